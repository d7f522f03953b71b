#include "CategoryCommands.h"

#include <algorithm>

CCategoryListCommand::CCategoryListCommand(CTvDeskDoc& document, StoreKind kind,
                                           const CategoryList& after, const IndexRuns& moved,
                                           const QString& text)
    : CDocumentCommand(document, text), m_kind(kind),
      m_before(SnapshotOf(VisitStore(
          document, kind, [](auto& store) -> auto& { return store.Categories; }))),
      m_after(SnapshotOf(after)), m_moved(document, kind, moved) {}

CCategoryListCommand::Snapshot CCategoryListCommand::SnapshotOf(const CategoryList& list) {
    return {{list.Items().begin(), list.Items().end()}, list.LastUniqueId};
}

void CCategoryListCommand::Apply(bool forward) {
    if (forward) {
        m_moved.Refile(Document(), 0);
        Restore(m_after);
    } else {
        Restore(m_before);
        m_moved.Restore(Document());
    }
}

std::vector<StoreChange> CCategoryListCommand::Changes(bool) const {
    StoreChange change;
    change.kind = m_kind;
    change.changed = m_moved.Records();
    change.categories = true;
    return {std::move(change)};
}

void CCategoryListCommand::Restore(const Snapshot& snapshot) {
    CTvDeskDoc& document = Document();
    CategoryList& list =
        VisitStore(document, m_kind, [](auto& store) -> CategoryList& { return store.Categories; });
    CategoryList::Entries& items = list.Items();
    CategoryList::Entries ordered;
    for (const CategoryEntry& wanted : snapshot.entries) {
        // Indexes name the entries; a file may repeat one, so each present
        // entry is used once.
        auto present = std::find_if(items.begin(), items.end(), [&](const CategoryEntry& entry) {
            return entry.Index() == wanted.Index();
        });
        if (present != items.end()) {
            *present = wanted;
            ordered.splice(ordered.end(), items, present);
        } else {
            ordered.push_back(wanted);
        }
    }
    // What is left in items goes with this function's end.
    for (const CategoryEntry& gone : items) {
        for (CategoryEntry** filter :
             {&document.TripLogFilter, &document.ServiceLogFilter, &document.ExpenseLogFilter})
            if (*filter == &gone)
                *filter = &document.AllCategoriesEntry;
    }
    items.swap(ordered);
    list.LastUniqueId = snapshot.lastUniqueId;
}

CDeleteCategoryCommand::CDeleteCategoryCommand(CTvDeskDoc& document, StoreKind kind,
                                               const CategoryList& after, std::uint32_t index)
    : CCategoryListCommand(document, kind, after, RecordsOf(document, kind, index),
                           "Delete Category") {}

IndexRuns CDeleteCategoryCommand::RecordsOf(TvDocument& document, StoreKind kind,
                                            std::uint32_t index) {
    return VisitStore(document, kind, [index](auto& store) {
        IndexRuns found;
        const auto& records = store.Records();
        // Compared as the stores' own MoveCategoryToUnfiled compares.
        for (std::uint32_t i = 0; i < records.size(); ++i)
            if (static_cast<std::uint16_t>(records[i].Category) ==
                static_cast<std::uint16_t>(index))
                found.Add(i);
        return found;
    });
}
