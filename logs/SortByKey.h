#pragma once

#include <algorithm>
#include <utility>
#include <vector>

// Orders a list's rows by a key taken once per row, so that no comparison
// repeats the work (a date's key is a calendar conversion, a status needs a
// vehicle's reading). Rows with equal keys keep their order, in both
// directions.
//
// Rows already in order, or in the opposite order, are common (a log is
// kept in the order it was written, newest last) and are put in order in
// one pass instead of a sort.
template <typename Key, typename Record, typename KeyOf>
void SortByKey(std::vector<Record*>& rows, bool descending, KeyOf keyOf) {
    using Keyed = std::pair<Key, Record*>;
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (Record* row : rows)
        keyed.emplace_back(keyOf(*row), row);
    const auto before = [descending](const Keyed& a, const Keyed& b) {
        return descending ? b.first < a.first : a.first < b.first;
    };
    if (std::is_sorted(keyed.begin(), keyed.end(), before))
        return;
    if (std::is_sorted(keyed.rbegin(), keyed.rend(), before)) {
        // Turned round, then each run of equal keys turned back, so that
        // equal rows keep their order.
        std::reverse(keyed.begin(), keyed.end());
        for (auto run = keyed.begin(); run != keyed.end();) {
            const auto end = std::find_if(run + 1, keyed.end(), [&run, &before](const Keyed& next) {
                return before(*run, next);
            });
            std::reverse(run, end);
            run = end;
        }
    } else {
        std::stable_sort(keyed.begin(), keyed.end(), before);
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].second;
}
