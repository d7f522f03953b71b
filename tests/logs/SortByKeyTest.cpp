#include "SortByKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct Row {
    int key;
};

// Whatever order the rows come in (random, in order, the other way round,
// with runs of equal keys), the result is that of a stable sort.
TEST(SortByKey, GivesTheOrderOfAStableSortForRowsInAnyOrder) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int distinct = std::uniform_int_distribution<int>(1, 40)(random);
        std::vector<Row> rows(std::uniform_int_distribution<std::size_t>(0, 60)(random));
        for (Row& row : rows)
            row.key = std::uniform_int_distribution<int>(0, distinct)(random);
        if (round % 3 == 1)
            std::stable_sort(rows.begin(), rows.end(),
                             [](const Row& a, const Row& b) { return a.key < b.key; });
        if (round % 3 == 2)
            std::stable_sort(rows.begin(), rows.end(),
                             [](const Row& a, const Row& b) { return a.key > b.key; });
        for (const bool descending : {false, true}) {
            std::vector<Row*> sorted;
            for (Row& row : rows)
                sorted.push_back(&row);
            std::vector<Row*> expected = sorted;
            std::stable_sort(expected.begin(), expected.end(), [descending](Row* a, Row* b) {
                return descending ? b->key < a->key : a->key < b->key;
            });
            SortByKey<int>(sorted, descending, [](const Row& row) { return row.key; });
            ASSERT_EQ(sorted, expected) << "round " << round << (descending ? " descending" : "");
        }
    }
}

} // namespace
