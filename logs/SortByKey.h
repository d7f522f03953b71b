#pragma once

#include <algorithm>
#include <utility>
#include <vector>

// Orders a list's rows by a key taken once per row, so that no comparison
// repeats the work (a date's key is a calendar conversion, a status needs a
// vehicle's reading). Rows with equal keys keep their order, in both
// directions.
template <typename Key, typename Record, typename KeyOf>
void SortByKey(std::vector<Record*>& rows, bool descending, KeyOf keyOf) {
    std::vector<std::pair<Key, Record*>> keyed;
    keyed.reserve(rows.size());
    for (Record* row : rows)
        keyed.emplace_back(keyOf(*row), row);
    if (descending)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return b.first < a.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].second;
}
