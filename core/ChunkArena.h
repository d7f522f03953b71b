#pragma once

#include <cstddef>
#include <thread>
#include <vector>

// Memory for the record chunks of one store, handed out from a few large
// blocks and given back all at once. A large data file fills over a hundred
// megabytes of records; taking them as transparent huge pages where the
// system offers them turns tens of thousands of page faults into a few dozen.
// Blocks start small and double, so that a small file costs little.
//
// When the caller knows how much it is about to fill (a store's record count
// read from the file), AllocateAhead takes it as one block whose pages a
// helper thread faults in ahead of the caller: the system zeroes every new
// page, which for a large file costs about as much as reading it, and on a
// second core that work overlaps the parsing.
class ChunkArena {
public:
    ChunkArena() = default;
    ~ChunkArena() { Release(); }
    ChunkArena(const ChunkArena&) = delete;
    ChunkArena& operator=(const ChunkArena&) = delete;

    // Uninitialised memory, aligned for any record; throws std::bad_alloc.
    void* Allocate(std::size_t bytes);
    // Uninitialised memory for `bytes` that will be filled from its start
    // onwards, in a block of its own; throws std::bad_alloc.
    void* AllocateAhead(std::size_t bytes);
    // Gives back every block; what Allocate returned is gone.
    void Release();

private:
    static constexpr std::size_t kFirstBlockSize = 256 << 10;

    struct Block {
        void* base;
        std::size_t size;
    };

    void* MapBlock(std::size_t size);
    void WaitForPrefault();

    std::vector<Block> m_blocks;
    std::thread m_prefault;
    char* m_next = nullptr;
    char* m_end = nullptr;
    std::size_t m_nextBlockSize = kFirstBlockSize;
};
