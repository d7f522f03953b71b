#pragma once

#include "RecordList.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// Finds the index in its store of a record that a list row points to. The
// records lie in chunks of consecutive records, so the chunk starts, sorted by address,
// give any record's index by one binary search. Valid until records are
// appended or the store is cleared.
template <typename R> class RecordLocator {
public:
    explicit RecordLocator(const RecordList<R>& records) {
        for (std::size_t first = 0; first < records.size(); first += RecordList<R>::kChunkSize)
            m_starts.emplace_back(&records[first], first);
        std::sort(m_starts.begin(), m_starts.end(), [](const auto& a, const auto& b) {
            return std::less<const R*>()(a.first, b.first);
        });
    }

    std::uint32_t IndexOf(const R* record) const {
        auto chunk = std::upper_bound(m_starts.begin(), m_starts.end(), record,
                                      [](const R* value, const auto& start) {
                                          return std::less<const R*>()(value, start.first);
                                      });
        --chunk; // the records of a list are never ahead of its first chunk
        return static_cast<std::uint32_t>(chunk->second + (record - chunk->first));
    }

    template <typename Pointers> std::vector<std::uint32_t> IndexesOf(const Pointers& rows) const {
        std::vector<std::uint32_t> indexes;
        indexes.reserve(rows.size());
        for (const R* row : rows)
            indexes.push_back(IndexOf(row));
        return indexes;
    }

private:
    std::vector<std::pair<const R*, std::size_t>> m_starts;
};
