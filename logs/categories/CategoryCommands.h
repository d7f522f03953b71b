#pragma once

#include "RecordCommands.h"

#include <string_view>

// The edits of Edit Categories, one command each (see DocumentCommand.h).
// A command keeps the store's whole category list before and after (at most
// 16 entries and LastUniqueId) and, for a deletion, the Category and Flags of
// the records it moved to "Unfiled".
class CCategoryListCommand : public CDocumentCommand {
protected:
    // after: the list as the edit leaves it; moved: the records the edit
    // files under "Unfiled".
    CCategoryListCommand(CTvDeskDoc& document, StoreKind kind, const CategoryList& after,
                         const IndexRuns& moved, const QString& text);

    void Apply(bool forward) override;
    std::vector<StoreChange> Changes(bool forward) const override;

private:
    struct Snapshot {
        std::vector<CategoryEntry> entries;
        std::uint32_t lastUniqueId = 0;
    };
    static Snapshot SnapshotOf(const CategoryList& list);
    // Gives the list the snapshot's entries in its order. Entries that stay
    // keep their place in memory, since the filter and the filter pane refer
    // to them; a filter on an entry that goes falls back to all categories.
    void Restore(const Snapshot& snapshot);

    StoreKind m_kind;
    Snapshot m_before;
    Snapshot m_after;
    HeaderMemo m_moved;
};

class CNewCategoryCommand final : public CCategoryListCommand {
public:
    CNewCategoryCommand(CTvDeskDoc& document, StoreKind kind, const CategoryList& after)
        : CCategoryListCommand(document, kind, after, {}, "New Category") {}
};

class CRenameCategoryCommand final : public CCategoryListCommand {
public:
    CRenameCategoryCommand(CTvDeskDoc& document, StoreKind kind, const CategoryList& after)
        : CCategoryListCommand(document, kind, after, {}, "Rename Category") {}
};

// Deletes a category and files its records (deleted ones too) under "Unfiled".
class CDeleteCategoryCommand final : public CCategoryListCommand {
public:
    CDeleteCategoryCommand(CTvDeskDoc& document, StoreKind kind, const CategoryList& after,
                           std::uint32_t index);

private:
    static IndexRuns RecordsOf(TvDocument& document, StoreKind kind, std::uint32_t index);
};
