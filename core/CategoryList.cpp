#include "CategoryList.h"

#include <algorithm>
#include <bitset>

CategoryEntry MakeUnfiledEntry() {
    CategoryEntry entry;
    entry.Name = kUnfiledName;
    return entry;
}

CategoryEntry& CategoryList::Add(CategoryEntry entry) {
    // std::string compares bytes as unsigned char, so upper case sorts first.
    auto position = std::find_if(m_entries.begin(), m_entries.end(), [&](const CategoryEntry& e) {
        return e.Name > entry.Name || e.Name == kUnfiledName;
    });
    return *m_entries.insert(position, std::move(entry));
}

void CategoryList::Remove(const CategoryEntry& entry) {
    m_entries.remove_if([&](const CategoryEntry& e) { return &e == &entry; });
}

CategoryEntry* CategoryList::FindByIndex(std::uint32_t index) {
    for (CategoryEntry& entry : m_entries)
        if (entry.Category == index)
            return &entry;
    return nullptr;
}

const CategoryEntry* CategoryList::FindByIndex(std::uint32_t index) const {
    return const_cast<CategoryList*>(this)->FindByIndex(index);
}

bool CategoryList::NameInUse(std::string_view name, const CategoryEntry* except) const {
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const CategoryEntry& e) {
        return &e != except && !e.IsDeleted() && e.Name == name;
    });
}

int CategoryList::FreeIndex() const {
    if (m_entries.size() >= static_cast<std::size_t>(kMaxEntries))
        return -1;
    std::bitset<kMaxEntries> used;
    for (const CategoryEntry& entry : m_entries)
        if (entry.Category < static_cast<std::uint32_t>(kMaxEntries))
            used.set(entry.Category);
    for (int index = 0; index < kMaxEntries; ++index)
        if (!used.test(static_cast<std::size_t>(index)))
            return index;
    return -1;
}
