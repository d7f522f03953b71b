#pragma once

#include "IndexRuns.h"
#include "TvDocument.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// The five stores of the document, as commands and changes name them.
enum class StoreKind : std::uint8_t { Vehicles, ServiceTypes, Services, Trips, Expenses };

// Calls visit with the store of that kind, typed.
template <typename Visit>
decltype(auto) VisitStore(TvDocument& document, StoreKind kind, Visit visit) {
    switch (kind) {
    case StoreKind::Vehicles:
        return visit(document.Vehicles());
    case StoreKind::ServiceTypes:
        return visit(document.ServiceTypes());
    case StoreKind::Services:
        return visit(document.Services());
    case StoreKind::Trips:
        return visit(document.Trips());
    case StoreKind::Expenses:
        break;
    }
    return visit(document.Expenses());
}

// What an edit, its undo or its redo did to one store. Records are named by
// their index in the store, which stays theirs until the store is cleared.
struct StoreChange {
    static constexpr std::uint32_t kNothingRemoved = std::numeric_limits<std::uint32_t>::max();

    StoreKind kind = StoreKind::Trips;
    IndexRuns added;   // appended records (a New, or the redo of one)
    IndexRuns changed; // records whose fields or Flags changed
    // The records from this index to the old end were taken away again (the
    // undo of a New); kNothingRemoved otherwise.
    std::uint32_t removedFrom = kNothingRemoved;
    bool categories = false; // the category list or its LastUniqueId
    bool settings = false;   // the settings words
    bool idCounter = false;  // IdCounter

    // The records to show the user after the change: added and changed.
    bool Shows(std::uint32_t index) const {
        return added.Contains(index) || changed.Contains(index);
    }
};

// One step of the document's history as it reached the stores: every store
// it touched, and whether it was the edit itself, its undo or its redo.
struct DocumentChange {
    enum class Cause { Edit, Undo, Redo };

    Cause cause = Cause::Edit;
    std::vector<StoreChange> stores;

    bool IsReplay() const { return cause != Cause::Edit; }
    const StoreChange* Find(StoreKind kind) const {
        for (const StoreChange& store : stores)
            if (store.kind == kind)
                return &store;
        return nullptr;
    }
    bool TouchesCategories() const {
        for (const StoreChange& store : stores)
            if (store.categories)
                return true;
        return false;
    }
};
