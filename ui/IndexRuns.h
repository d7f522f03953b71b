#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A set of record indexes kept as runs of consecutive indexes, in rising
// order. The edits of the desktop touch mostly neighbouring records (all the
// trips of a list, a vehicle's service log), so a million indexes usually
// take a few runs rather than a million entries.
class IndexRuns {
public:
    struct Run {
        std::uint32_t first;
        std::uint32_t count;
    };

    IndexRuns() = default;
    explicit IndexRuns(std::uint32_t index) { Add(index); }
    // From indexes in any order; duplicates count once.
    static IndexRuns FromIndexes(std::vector<std::uint32_t> indexes);

    // Adds an index above every index held (the common case of a walk
    // through a store); any other index goes through FromIndexes.
    void Add(std::uint32_t index);
    bool Contains(std::uint32_t index) const;
    bool Empty() const { return m_runs.empty(); }
    std::size_t Count() const;
    const std::vector<Run>& Runs() const { return m_runs; }

    template <typename Visit> void ForEach(Visit visit) const {
        for (const Run& run : m_runs)
            for (std::uint32_t i = 0; i < run.count; ++i)
                visit(run.first + i);
    }

private:
    std::vector<Run> m_runs;
};
