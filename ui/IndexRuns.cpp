#include "IndexRuns.h"

#include <algorithm>

IndexRuns IndexRuns::FromIndexes(std::vector<std::uint32_t> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    IndexRuns runs;
    for (const std::uint32_t index : indexes)
        runs.Add(index);
    return runs;
}

void IndexRuns::Add(std::uint32_t index) {
    if (!m_runs.empty() && m_runs.back().first + m_runs.back().count == index)
        ++m_runs.back().count;
    else
        m_runs.push_back({index, 1});
}

bool IndexRuns::Contains(std::uint32_t index) const {
    // The first run that starts after the index; the one before may hold it.
    const auto after =
        std::upper_bound(m_runs.begin(), m_runs.end(), index,
                         [](std::uint32_t value, const Run& run) { return value < run.first; });
    if (after == m_runs.begin())
        return false;
    const Run& run = *(after - 1);
    return index - run.first < run.count;
}

std::size_t IndexRuns::Count() const {
    std::size_t count = 0;
    for (const Run& run : m_runs)
        count += run.count;
    return count;
}
