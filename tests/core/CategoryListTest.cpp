// The category list of a store: name order, free indexes, name checks.

#include "CategoryList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CategoryEntry Entry(std::uint32_t index, const std::string& name, std::uint32_t flags = 0,
                    std::uint32_t uid = 0) {
    CategoryEntry entry;
    entry.Category = index;
    entry.Name = name;
    entry.Flags = flags;
    entry.Uid = uid;
    return entry;
}

std::vector<std::string> Names(const CategoryList& list) {
    std::vector<std::string> names;
    for (const CategoryEntry& entry : list.Items())
        names.push_back(entry.Name);
    return names;
}

} // namespace

TEST(CategoryListTest, NewListIsEmptyWithLastUniqueId128) {
    const CategoryList list;
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(list.LastUniqueId, 128u);
    EXPECT_EQ(list.FreeIndex(), 0);
}

TEST(CategoryListTest, EntriesAreKeptInByteOrderWithUnfiledLast) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Work"));
    list.Add(Entry(2, "Business"));
    list.Add(Entry(3, "car"));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Business", "Work", "car", "Unfiled"}));
}

TEST(CategoryListTest, NamesSortingAfterUnfiledStillGoBeforeIt) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Zoo"));
    list.Add(Entry(2, "apple"));
    list.Add(Entry(3, "Vacation"));
    list.Add(Entry(4, "Alpha"));
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"Alpha", "Vacation", "Zoo", "apple", "Unfiled"}));
}

TEST(CategoryListTest, HighBytesSortAfterAscii) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "\xC9t\xE9"));
    list.Add(Entry(2, "zz"));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"zz", "\xC9t\xE9", "Unfiled"}));
}

TEST(CategoryListTest, WithoutUnfiledNewNamesGoToTheEndInOrder) {
    CategoryList list;
    list.Add(Entry(1, "b"));
    list.Add(Entry(2, "c"));
    list.Add(Entry(3, "a"));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(CategoryListTest, EqualNamesKeepTheirArrivalOrder) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Same", 0, 11));
    list.Add(Entry(2, "Same", 0, 22));
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list.Items().front().Uid, 11u);
    EXPECT_EQ(std::next(list.Items().begin())->Uid, 22u);
}

TEST(CategoryListTest, AddReturnsTheStoredEntry) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    CategoryEntry& work = list.Add(Entry(1, "Work"));
    EXPECT_EQ(&work, &list.Items().front());
    // Later additions do not move it.
    list.Add(Entry(2, "Alpha"));
    EXPECT_EQ(list.FindByIndex(1), &work);
}

TEST(CategoryListTest, FreeIndexIsTheLowestUnusedOne) {
    CategoryList list;
    for (std::uint32_t index : {0u, 1u, 2u, 5u})
        list.Add(Entry(index, "c" + std::to_string(index)));
    EXPECT_EQ(list.FreeIndex(), 3);
}

TEST(CategoryListTest, DeletedEntriesStillOccupyTheirIndex) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Gone", RecordFlags::Deleted));
    EXPECT_EQ(list.FreeIndex(), 2);
}

TEST(CategoryListTest, IndexesOutsideTheRangeUseNoSlot) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(40, "Odd"));
    EXPECT_EQ(list.FreeIndex(), 1);
}

TEST(CategoryListTest, FifteenEntriesLeaveTheLastIndex) {
    CategoryList list;
    for (std::uint32_t index = 0; index < 15; ++index)
        list.Add(Entry(index, "c" + std::to_string(index)));
    EXPECT_EQ(list.FreeIndex(), 15);
}

TEST(CategoryListTest, SixteenEntriesLeaveNoFreeIndex) {
    CategoryList full;
    for (std::uint32_t index = 0; index < 16; ++index)
        full.Add(Entry(index, "c" + std::to_string(index)));
    EXPECT_EQ(full.FreeIndex(), -1);

    // Sixteen entries, even with a gap among the indexes.
    CategoryList crowded;
    for (std::uint32_t index = 0; index < 15; ++index)
        crowded.Add(Entry(index, "c" + std::to_string(index)));
    crowded.Add(Entry(99, "odd"));
    EXPECT_EQ(crowded.FreeIndex(), -1);
}

TEST(CategoryListTest, NameInUseIsExactAndCaseSensitive) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Work"));
    EXPECT_TRUE(list.NameInUse("Work", nullptr));
    EXPECT_TRUE(list.NameInUse("Unfiled", nullptr));
    EXPECT_FALSE(list.NameInUse("work", nullptr));
    EXPECT_FALSE(list.NameInUse("WORK", nullptr));
    EXPECT_FALSE(list.NameInUse("Wor", nullptr));
    EXPECT_FALSE(list.NameInUse("Work ", nullptr));
    EXPECT_FALSE(list.NameInUse("", nullptr));
}

TEST(CategoryListTest, NameInUseIgnoresDeletedEntries) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Old", RecordFlags::Deleted | RecordFlags::Modified));
    EXPECT_FALSE(list.NameInUse("Old", nullptr));
    list.Add(Entry(2, "Old"));
    EXPECT_TRUE(list.NameInUse("Old", nullptr));
}

TEST(CategoryListTest, NameInUseIgnoresTheEntryBeingRenamed) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    CategoryEntry& work = list.Add(Entry(1, "Work"));
    CategoryEntry& home = list.Add(Entry(2, "Home"));
    EXPECT_FALSE(list.NameInUse("Work", &work));
    EXPECT_TRUE(list.NameInUse("Work", &home));
}

TEST(CategoryListTest, RemoveTakesOutExactlyThatEntry) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Same", 0, 11));
    CategoryEntry& second = list.Add(Entry(2, "Same", 0, 22));
    list.Add(Entry(3, "Other"));
    list.Remove(second);
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list.FindByIndex(2), nullptr);
    ASSERT_NE(list.FindByIndex(1), nullptr);
    EXPECT_EQ(list.FindByIndex(1)->Uid, 11u);
    EXPECT_EQ(list.FreeIndex(), 2);

    // An entry that is not in the list changes nothing.
    const CategoryEntry stranger = Entry(3, "Other");
    list.Remove(stranger);
    EXPECT_EQ(list.Size(), 3u);
}

TEST(CategoryListTest, FindByIndexIncludesDeletedEntries) {
    CategoryList list;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(4, "Gone", RecordFlags::Deleted));
    const CategoryList& constList = list;
    ASSERT_NE(constList.FindByIndex(4), nullptr);
    EXPECT_EQ(constList.FindByIndex(4)->Name, "Gone");
    EXPECT_EQ(list.FindByIndex(0)->Name, "Unfiled");
    EXPECT_EQ(list.FindByIndex(3), nullptr);
    EXPECT_EQ(constList.FindByIndex(15), nullptr);
}

TEST(CategoryListTest, ClearEmptiesButKeepsLastUniqueId) {
    CategoryList list;
    list.LastUniqueId = 300;
    list.Add(Entry(0, "Unfiled"));
    list.Add(Entry(1, "Work"));
    list.Clear();
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(list.FindByIndex(0), nullptr);
    EXPECT_EQ(list.LastUniqueId, 300u);
    EXPECT_EQ(list.FreeIndex(), 0);
}
