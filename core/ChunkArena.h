#pragma once

#include <cstddef>
#include <vector>

// Memory for the record chunks of one store, handed out from a few large
// blocks and given back all at once. A large data file fills over a hundred
// megabytes of records; taking them as transparent huge pages where the
// system offers them turns tens of thousands of page faults into a few dozen.
// Blocks start small and double, so that a small file costs little.
class ChunkArena {
public:
    ChunkArena() = default;
    ~ChunkArena() { Release(); }
    ChunkArena(const ChunkArena&) = delete;
    ChunkArena& operator=(const ChunkArena&) = delete;

    // Uninitialised memory, aligned for any record; throws std::bad_alloc.
    void* Allocate(std::size_t bytes);
    // Gives back every block; what Allocate returned is gone.
    void Release();

private:
    struct Block {
        void* base;
        std::size_t size;
    };

    std::vector<Block> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
    std::size_t m_nextBlockSize = 256 << 10;
};
