#pragma once

// The record commands that every log builds its own from: append a record,
// replace one, mark records deleted, file records under another category.
// See DocumentCommand.h for the rules they keep.

#include "DocumentCommand.h"
#include "TvDeskDoc.h"

#include <type_traits>
#include <utility>

template <typename Store> constexpr StoreKind KindOf() {
    if constexpr (std::is_same_v<Store, VehicleStore>)
        return StoreKind::Vehicles;
    else if constexpr (std::is_same_v<Store, ServiceTypeStore>)
        return StoreKind::ServiceTypes;
    else if constexpr (std::is_same_v<Store, ServiceStore>)
        return StoreKind::Services;
    else if constexpr (std::is_same_v<Store, TripStore>)
        return StoreKind::Trips;
    else
        return StoreKind::Expenses;
}

template <typename Store> Store& StoreIn(TvDocument& document) {
    if constexpr (std::is_same_v<Store, VehicleStore>)
        return document.Vehicles();
    else if constexpr (std::is_same_v<Store, ServiceTypeStore>)
        return document.ServiceTypes();
    else if constexpr (std::is_same_v<Store, ServiceStore>)
        return document.Services();
    else if constexpr (std::is_same_v<Store, TripStore>)
        return document.Trips();
    else
        return document.Expenses();
}

// New: appends a record. The store's IdCounter may have moved for the
// record's identifier: the command keeps the value before and the value at
// its making, so that undo takes the identifier back.
template <typename Store> class CAddRecordCommand : public CDocumentCommand {
public:
    using Record = typename Store::RecordType;

    CAddRecordCommand(CTvDeskDoc& document, Record record, std::uint32_t idCounterBefore,
                      const QString& text)
        : CDocumentCommand(document, text), m_record(std::move(record)),
          m_index(static_cast<std::uint32_t>(StoreIn<Store>(document).Count())),
          m_idCounterBefore(idCounterBefore), m_idCounterAfter(StoreIn<Store>(document).IdCounter) {
    }

protected:
    void Apply(bool forward) override {
        Store& store = StoreIn<Store>(Document());
        if (forward) {
            store.IdCounter = m_idCounterAfter;
            store.Append(m_record);
            return;
        }
        if constexpr (std::is_same_v<Store, VehicleStore>) {
            if (Document().SelectedVehicle == &store.Records()[m_index])
                Document().SelectedVehicle = nullptr;
        }
        store.Records().pop_back();
        store.IdCounter = m_idCounterBefore;
    }
    std::vector<StoreChange> Changes(bool forward) const override {
        StoreChange change;
        change.kind = KindOf<Store>();
        if (forward)
            change.added = IndexRuns(m_index);
        else
            change.removedFrom = m_index;
        change.idCounter = m_idCounterBefore != m_idCounterAfter;
        return {std::move(change)};
    }

private:
    Record m_record;
    std::uint32_t m_index;
    std::uint32_t m_idCounterBefore;
    std::uint32_t m_idCounterAfter;
};

// Edit: replaces one record with what the dialog's OK made of it.
template <typename Store> class CEditRecordCommand : public CDocumentCommand {
public:
    using Record = typename Store::RecordType;

    CEditRecordCommand(CTvDeskDoc& document, std::uint32_t index, Record before, Record after,
                       const QString& text)
        : CDocumentCommand(document, text), m_index(index), m_before(std::move(before)),
          m_after(std::move(after)) {}

protected:
    void Apply(bool forward) override {
        StoreIn<Store>(Document()).Records()[m_index] = forward ? m_after : m_before;
    }
    std::vector<StoreChange> Changes(bool) const override {
        StoreChange change;
        change.kind = KindOf<Store>();
        change.changed = IndexRuns(m_index);
        return {std::move(change)};
    }

private:
    std::uint32_t m_index;
    Record m_before;
    Record m_after;
};

// Delete: sets the deleted bit of records, in one or more stores (a cascade
// is one command). Only the indexes are kept: the records listed are the
// ones whose bit was clear, and the bit is all that changes.
class CMarkDeletedCommand : public CDocumentCommand {
public:
    struct Marks {
        StoreKind kind;
        IndexRuns records;
    };

    CMarkDeletedCommand(CTvDeskDoc& document, std::vector<Marks> marks, const QString& text);

    // Those of the indexes whose record is not marked deleted yet.
    static IndexRuns Unmarked(TvDocument& document, StoreKind kind, const IndexRuns& indexes);

protected:
    void Apply(bool forward) override;
    std::vector<StoreChange> Changes(bool forward) const override;

private:
    std::vector<Marks> m_marks;
};

// The Category and Flags of records before a change that sets both, kept as
// runs of neighbouring records that shared them.
class HeaderMemo {
public:
    HeaderMemo() = default;
    HeaderMemo(TvDocument& document, StoreKind kind, const IndexRuns& records);

    const IndexRuns& Records() const { return m_records; }
    // Files every record under the category with its modified bit.
    void Refile(TvDocument& document, std::uint32_t category) const;
    void Restore(TvDocument& document) const;

private:
    struct Run {
        std::uint32_t first;
        std::uint32_t count;
        std::uint32_t category;
        std::uint32_t flags;
    };

    StoreKind m_kind = StoreKind::Trips;
    IndexRuns m_records;
    std::vector<Run> m_runs;
};

// Category Change: files records under another category of their store.
class CRefileCommand : public CDocumentCommand {
public:
    CRefileCommand(CTvDeskDoc& document, StoreKind kind, const IndexRuns& records,
                   std::uint32_t category, const QString& text);

protected:
    void Apply(bool forward) override;
    std::vector<StoreChange> Changes(bool forward) const override;

private:
    StoreKind m_kind;
    HeaderMemo m_memo;
    std::uint32_t m_category;
};
