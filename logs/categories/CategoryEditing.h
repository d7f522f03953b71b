#pragma once

#include "CategoryList.h"

#include <cstdint>
#include <string>
#include <string_view>

class RecordStore;

// The changes the desktop makes to a store's category list. Names are
// compared exactly, byte by byte and case-sensitive, and stored cut to the
// 15 characters that the file's name buffer holds.

// The longest name a category can have.
constexpr std::size_t kMaxCategoryNameLength = kCategoryNameCapacity - 1;

// The name as it is stored: its first 15 bytes.
std::string FitCategoryName(std::string_view name);

// Hands out the next unique identifier of the list: LastUniqueId + 1, raised
// to 128 when smaller; the result is stored back into LastUniqueId.
std::uint32_t NextUniqueId(CategoryList& list);

// True when no category can be added: 16 entries, "Unfiled" included, or no
// free index.
bool IsCategoryListFull(const CategoryList& list);

enum class AddCategoryResult {
    Added,
    ListFull,  // see IsCategoryListFull
    NameInUse, // a live entry already has the name
};

struct AddCategoryOutcome {
    AddCategoryResult Result;
    CategoryEntry* Entry; // the new entry when added, else null
};

// Adds a category at the lowest free index with the next unique identifier,
// marked modified, at its place by name.
AddCategoryOutcome AddCategory(CategoryList& list, std::string_view name);

enum class RenameCategoryResult {
    Renamed,
    Unchanged, // the name is the entry's own: nothing changes
    NameInUse, // another live entry has the name
    IsUnfiled, // "Unfiled" is recreated on reading, so a new name would be lost
};

// Gives the entry a new name and marks it modified. The entry keeps its
// place in the list.
RenameCategoryResult RenameCategory(CategoryList& list, CategoryEntry& entry,
                                    std::string_view name);

// Moves the owner's records of the entry's category (deleted ones included)
// to "Unfiled" and removes the entry from the owner's list. Refuses, changing
// nothing, an entry that is not in the owner's list, and "Unfiled" itself:
// without it index 0 would be handed out to a new category and every unfiled
// record would silently join it. True when the category was deleted.
bool DeleteCategory(RecordStore& owner, const CategoryEntry& entry);

// The list part of DeleteCategory: removes the entry, refusing as it does.
// The records are left to the caller (the delete command moves them).
bool RemoveCategoryEntry(CategoryList& list, const CategoryEntry& entry);
