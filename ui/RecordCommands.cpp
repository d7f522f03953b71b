#include "RecordCommands.h"

CMarkDeletedCommand::CMarkDeletedCommand(CTvDeskDoc& document, std::vector<Marks> marks,
                                         const QString& text)
    : CDocumentCommand(document, text), m_marks(std::move(marks)) {}

IndexRuns CMarkDeletedCommand::Unmarked(TvDocument& document, StoreKind kind,
                                        const IndexRuns& indexes) {
    return VisitStore(document, kind, [&indexes](auto& store) {
        IndexRuns unmarked;
        const auto& records = store.Records();
        indexes.ForEach([&](std::uint32_t index) {
            if (!records[index].IsDeleted())
                unmarked.Add(index);
        });
        return unmarked;
    });
}

void CMarkDeletedCommand::Apply(bool forward) {
    for (const Marks& marks : m_marks) {
        VisitStore(Document(), marks.kind, [&](auto& store) {
            auto& records = store.Records();
            if (forward)
                marks.records.ForEach([&](std::uint32_t i) { records[i].MarkDeleted(); });
            else
                marks.records.ForEach(
                    [&](std::uint32_t i) { records[i].Flags &= ~RecordFlags::Deleted; });
        });
    }
}

std::vector<StoreChange> CMarkDeletedCommand::Changes(bool) const {
    std::vector<StoreChange> changes;
    for (const Marks& marks : m_marks) {
        StoreChange change;
        change.kind = marks.kind;
        change.changed = marks.records;
        changes.push_back(std::move(change));
    }
    return changes;
}

HeaderMemo::HeaderMemo(TvDocument& document, StoreKind kind, const IndexRuns& records)
    : m_kind(kind), m_records(records) {
    VisitStore(document, kind, [this](auto& store) {
        const auto& list = store.Records();
        m_records.ForEach([&](std::uint32_t index) {
            const RecordHeader& header = list[index];
            if (!m_runs.empty()) {
                Run& last = m_runs.back();
                if (last.first + last.count == index && last.category == header.Category &&
                    last.flags == header.Flags) {
                    ++last.count;
                    return;
                }
            }
            m_runs.push_back({index, 1, header.Category, header.Flags});
        });
    });
}

void HeaderMemo::Refile(TvDocument& document, std::uint32_t category) const {
    VisitStore(document, m_kind, [&](auto& store) {
        auto& list = store.Records();
        m_records.ForEach([&](std::uint32_t index) {
            list[index].Category = category;
            list[index].MarkModified();
        });
    });
}

void HeaderMemo::Restore(TvDocument& document) const {
    VisitStore(document, m_kind, [this](auto& store) {
        auto& list = store.Records();
        for (const Run& run : m_runs) {
            for (std::uint32_t i = 0; i < run.count; ++i) {
                list[run.first + i].Category = run.category;
                list[run.first + i].Flags = run.flags;
            }
        }
    });
}

CRefileCommand::CRefileCommand(CTvDeskDoc& document, StoreKind kind, const IndexRuns& records,
                               std::uint32_t category, const QString& text)
    : CDocumentCommand(document, text), m_kind(kind), m_memo(document, kind, records),
      m_category(category) {}

void CRefileCommand::Apply(bool forward) {
    if (forward)
        m_memo.Refile(Document(), m_category);
    else
        m_memo.Restore(Document());
}

std::vector<StoreChange> CRefileCommand::Changes(bool) const {
    StoreChange change;
    change.kind = m_kind;
    change.changed = m_memo.Records();
    return {std::move(change)};
}
