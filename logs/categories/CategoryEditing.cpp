#include "CategoryEditing.h"

#include "RecordStore.h"

#include <algorithm>

namespace {

bool IsUnfiled(const CategoryEntry& entry) {
    return entry.Category == 0 || entry.Name == kUnfiledName;
}

} // namespace

std::string FitCategoryName(std::string_view name) {
    return std::string(name.substr(0, kMaxCategoryNameLength));
}

std::uint32_t NextUniqueId(CategoryList& list) {
    std::uint32_t next = list.LastUniqueId + 1;
    if (next < CategoryList::kNewLastUniqueId)
        next = CategoryList::kNewLastUniqueId;
    list.LastUniqueId = next;
    return next;
}

bool IsCategoryListFull(const CategoryList& list) {
    return list.Size() >= static_cast<std::size_t>(CategoryList::kMaxEntries) ||
           list.FreeIndex() < 0;
}

AddCategoryOutcome AddCategory(CategoryList& list, std::string_view name) {
    if (IsCategoryListFull(list))
        return {AddCategoryResult::ListFull, nullptr};
    std::string fitted = FitCategoryName(name);
    if (list.NameInUse(fitted, nullptr))
        return {AddCategoryResult::NameInUse, nullptr};

    CategoryEntry entry;
    entry.Name = std::move(fitted);
    entry.Uid = NextUniqueId(list);
    entry.Category = static_cast<std::uint32_t>(list.FreeIndex());
    entry.MarkModified();
    return {AddCategoryResult::Added, &list.Add(std::move(entry))};
}

RenameCategoryResult RenameCategory(CategoryList& list, CategoryEntry& entry,
                                    std::string_view name) {
    if (IsUnfiled(entry))
        return RenameCategoryResult::IsUnfiled;
    std::string fitted = FitCategoryName(name);
    if (fitted == entry.Name)
        return RenameCategoryResult::Unchanged;
    if (list.NameInUse(fitted, &entry))
        return RenameCategoryResult::NameInUse;
    entry.Name = std::move(fitted);
    entry.MarkModified();
    return RenameCategoryResult::Renamed;
}

bool RemoveCategoryEntry(CategoryList& list, const CategoryEntry& entry) {
    const CategoryList::Entries& items = list.Items();
    const bool listed = std::any_of(items.begin(), items.end(),
                                    [&](const CategoryEntry& e) { return &e == &entry; });
    if (!listed || IsUnfiled(entry))
        return false;
    list.Remove(entry);
    return true;
}

bool DeleteCategory(RecordStore& owner, const CategoryEntry& entry) {
    const std::uint32_t index = entry.Category;
    if (!RemoveCategoryEntry(owner.Categories, entry))
        return false;
    owner.MoveCategoryToUnfiled(index);
    return true;
}
