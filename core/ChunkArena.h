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
// helper thread faults in from the end while the caller fills it from the
// start: the system zeroes every new page, which for a large file costs more
// than parsing it, and on a second core about half of it overlaps the rest.
//
// Large blocks given back stay mapped as spares until the next Release, and
// a new block that fits in a spare takes the smallest such spare whole:
// reading a file again (after a HotSync) then finds its pages in place
// instead of having the system zero a hundred megabytes anew. Blocks taken
// ahead leave room for an eighth more, which a file grown since fills.
class ChunkArena {
public:
    ChunkArena() = default;
    ~ChunkArena();
    ChunkArena(const ChunkArena&) = delete;
    ChunkArena& operator=(const ChunkArena&) = delete;

    // Uninitialised memory, aligned for any record; throws std::bad_alloc.
    void* Allocate(std::size_t bytes);
    // Uninitialised memory for `bytes` that will be filled from its start
    // onwards, in a block of its own; throws std::bad_alloc.
    void* AllocateAhead(std::size_t bytes);
    // Gives back every block; what Allocate returned is gone. Large blocks
    // are kept as spares for the next blocks, in place of those kept before.
    void Release();
    // Exchanges the blocks with other's: what either handed out now belongs
    // to the other one.
    void Swap(ChunkArena& other);
    // For two arenas filled side by side and now full: takes other's blocks
    // beside its own, so that what other handed out now belongs to this one,
    // and gives back the spares of both. Other is empty. Throws
    // std::bad_alloc, and then nothing has changed.
    void Adopt(ChunkArena& other);
    // For two arenas about to be filled side by side, other still empty:
    // hands it every second spare by size, so that both find pages in place
    // instead of one taking them all and the other zeroing fresh ones.
    // Without memory for the hand-over, other gets none.
    void ShareSpares(ChunkArena& other);

private:
    static constexpr std::size_t kFirstBlockSize = 256 << 10;

    struct Block {
        void* base;
        std::size_t size;
    };

    // A block of at least size bytes: a spare may be larger, and all of it
    // is the block's.
    Block MapBlock(std::size_t size);
    void WaitForPrefault();
    static void Unmap(std::vector<Block>& blocks);

    std::vector<Block> m_blocks;
    std::vector<Block> m_spares;
    std::thread m_prefault;
    char* m_next = nullptr;
    char* m_end = nullptr;
    std::size_t m_nextBlockSize = kFirstBlockSize;
};
