// The record container: growth keeps references, room taken ahead is used
// before anything new is allocated, and clearing gives everything back.

#include "RecordList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Item {
    Item(std::uint32_t n, std::string text) : number(n), label(std::move(text)) {}
    std::uint32_t number;
    std::string label; // long enough below to live on the heap: leaks would show
};

std::string LabelOf(std::uint32_t n) {
    return "item number " + std::to_string(n) + " with a label too long for in-place storage";
}

void Fill(RecordList<Item>& list, std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t n = from; n < to; ++n)
        list.emplace_back(n, LabelOf(n));
}

void ExpectHolds(const RecordList<Item>& list, std::uint32_t count) {
    ASSERT_EQ(list.size(), count);
    std::uint32_t expected = 0;
    for (const Item& item : list) {
        ASSERT_EQ(item.number, expected);
        ASSERT_EQ(item.label, LabelOf(expected));
        ++expected;
    }
}

TEST(RecordList, ReferencesSurviveGrowthAndPopBackDropsOnlyTheLast) {
    RecordList<Item> list;
    Item& first = list.emplace_back(0, LabelOf(0));
    Fill(list, 1, 5000);
    const Item* middle = &list[2500];
    Fill(list, 5000, 20000);
    EXPECT_EQ(&list[0], &first);
    EXPECT_EQ(&list[2500], middle);
    EXPECT_EQ(first.label, LabelOf(0));
    ExpectHolds(list, 20000);

    list.pop_back();
    EXPECT_EQ(list.back().number, 19998u);
    list.emplace_back(77, "again");
    EXPECT_EQ(list.size(), 20000u);
    EXPECT_EQ(list.back().label, "again");
}

TEST(RecordList, RoomTakenAheadIsFilledInPlaceAndGrowthGoesOnBeyondIt) {
    // The largest takes over 4 MiB, whose pages a helper thread prepares.
    for (const std::uint32_t reserved : {10u, 1024u, 200000u}) {
        RecordList<Item> list;
        Fill(list, 0, 3);
        list.reserve(reserved);
        const Item* third = &list[2];
        Fill(list, 3, reserved);
        EXPECT_EQ(&list[2], third);
        list.reserve(reserved / 2); // never shrinks
        Fill(list, reserved, reserved + 1500);
        EXPECT_EQ(&list[2], third);
        ExpectHolds(list, reserved + 1500);
    }
}

TEST(RecordList, ClearGivesEverythingBackAndTheListCanBeFilledAgain) {
    RecordList<Item> list;
    list.reserve(200000);
    Fill(list, 0, 150000);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
    Fill(list, 0, 3000);
    ExpectHolds(list, 3000);
    list.clear();
    list.reserve(50);
    Fill(list, 0, 2);
    ExpectHolds(list, 2);
}

} // namespace
