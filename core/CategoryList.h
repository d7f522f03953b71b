#pragma once

#include "Records.h"

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

// Longest category name: the file's string capacity is 16 with its NUL.
constexpr std::uint32_t kCategoryNameCapacity = 16;
// The name of the entry at index 0, which is never written to the file.
constexpr std::string_view kUnfiledName = "Unfiled";

// One category. Its header's Uid is the category's unique identifier, its
// Category field the entry's index 0-15, and Flags bit 0 marks it deleted.
struct CategoryEntry : RecordHeader {
    std::string Name;

    std::uint32_t Index() const { return Category; }
};

// The entry at index 0 that every list read from a file or started anew holds.
CategoryEntry MakeUnfiledEntry();

// The categories of one store, kept ordered by name byte by byte with
// "Unfiled" always last. Entries live in a list, so references to them stay
// valid until they are removed or the list is cleared.
class CategoryList {
public:
    using Entries = std::list<CategoryEntry>;

    static constexpr std::uint32_t kNewLastUniqueId = 128;
    static constexpr int kMaxEntries = 16;

    // Inserts before the first entry whose name sorts after the new one or
    // that is "Unfiled", else at the end; returns the stored entry.
    CategoryEntry& Add(CategoryEntry entry);
    // Unlinks and destroys the entry.
    void Remove(const CategoryEntry& entry);
    // Deleted entries included; null when no entry has that index.
    CategoryEntry* FindByIndex(std::uint32_t index);
    const CategoryEntry* FindByIndex(std::uint32_t index) const;
    // True when a live entry other than except has exactly that name.
    bool NameInUse(std::string_view name, const CategoryEntry* except) const;
    // The lowest index 0-15 no entry uses, or -1 when none is free.
    int FreeIndex() const;
    void Clear() { m_entries.clear(); }

    const Entries& Items() const { return m_entries; }
    Entries& Items() { return m_entries; }
    std::size_t Size() const { return m_entries.size(); }

    std::uint32_t LastUniqueId = kNewLastUniqueId;

private:
    Entries m_entries;
};
