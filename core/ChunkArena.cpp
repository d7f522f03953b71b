#include "ChunkArena.h"

#include <algorithm>
#include <new>
#include <sys/mman.h>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kAlignment = 64;
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kLargestBlock = 64 << 20;
// Blocks this large ask for huge pages.
constexpr std::size_t kHugePageBlock = 4 << 20;
// The helper faults pages in this many bytes at a time.
constexpr std::size_t kPrefaultStep = 4 << 20;

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

// Faults in the pages of [base, base + size) from the end towards the start.
// The caller fills the block from its start and faults in its own pages as
// it goes, so the two zero different pages on two cores and meet somewhere
// in between; where the caller was first, the helper finds the pages in
// place, which costs next to nothing.
void PrefaultFromTheEnd(char* base, std::size_t size) {
    for (std::size_t end = size; end > 0;) {
        const std::size_t begin = end > kPrefaultStep ? end - kPrefaultStep : 0;
        if (::madvise(base + begin, end - begin, MADV_POPULATE_WRITE) != 0)
            return;
        end = begin;
    }
}

} // namespace

ChunkArena::~ChunkArena() {
    Release();
    Unmap(m_spares);
}

void ChunkArena::Unmap(std::vector<Block>& blocks) {
    for (const Block& block : blocks)
        ::munmap(block.base, block.size);
    blocks.clear();
}

ChunkArena::Block ChunkArena::MapBlock(std::size_t size) {
    // So that the pushes below and in Release cannot throw.
    m_blocks.reserve(m_blocks.size() + 1);
    m_spares.reserve(m_blocks.size() + 1);
    // The smallest spare that holds the block; its pages are in memory.
    auto spare = m_spares.end();
    for (auto it = m_spares.begin(); it != m_spares.end(); ++it)
        if (it->size >= size && (spare == m_spares.end() || it->size < spare->size))
            spare = it;
    if (spare != m_spares.end()) {
        const Block taken = *spare;
        m_spares.erase(spare);
        m_blocks.push_back(taken);
        return taken;
    }
    void* base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        throw std::bad_alloc();
    if (size >= kHugePageBlock)
        ::madvise(base, size, MADV_HUGEPAGE); // a hint: without it, normal pages
    m_blocks.push_back({base, size});
    return m_blocks.back();
}

void* ChunkArena::Allocate(std::size_t bytes) {
    bytes = RoundUp(bytes, kAlignment);
    if (m_next == nullptr || static_cast<std::size_t>(m_end - m_next) < bytes) {
        const std::size_t size = RoundUp(std::max(m_nextBlockSize, bytes), kPageSize);
        // A spare taken whole serves the next requests too, instead of
        // leaving its rest unused while they map fresh memory.
        const Block block = MapBlock(size);
        m_next = static_cast<char*>(block.base);
        m_end = m_next + block.size;
        m_nextBlockSize = std::min(m_nextBlockSize * 2, kLargestBlock);
    }
    void* memory = m_next;
    m_next += bytes;
    return memory;
}

void* ChunkArena::AllocateAhead(std::size_t bytes) {
    const std::size_t size = RoundUp(std::max<std::size_t>(bytes, 1), kPageSize);
    WaitForPrefault();
    // Spares too small for what is about to be filled go first, so that they
    // do not stay in memory beside it. A new large block gets room for an
    // eighth more, which is only address space until a later use of it as a
    // spare fills it.
    const bool spareFits = std::any_of(m_spares.begin(), m_spares.end(),
                                       [size](const Block& spare) { return spare.size >= size; });
    if (!spareFits)
        Unmap(m_spares);
    void* base =
        MapBlock(spareFits || size < kHugePageBlock ? size : RoundUp(size + size / 8, kPageSize))
            .base;
    if (size >= kHugePageBlock) {
        // Only a hint as well: an older kernel refuses it, and the pages then
        // fault in as they are first written. A thread that cannot be started
        // leaves the same.
        try {
            m_prefault = std::thread(PrefaultFromTheEnd, static_cast<char*>(base), size);
        } catch (const std::system_error&) {
        }
    }
    return base;
}

void ChunkArena::WaitForPrefault() {
    if (m_prefault.joinable())
        m_prefault.join();
}

void ChunkArena::Swap(ChunkArena& other) {
    WaitForPrefault();
    other.WaitForPrefault();
    m_blocks.swap(other.m_blocks);
    m_spares.swap(other.m_spares);
    std::swap(m_next, other.m_next);
    std::swap(m_end, other.m_end);
    std::swap(m_nextBlockSize, other.m_nextBlockSize);
}

void ChunkArena::Adopt(ChunkArena& other) {
    other.WaitForPrefault();
    // Room for what MapBlock and Release push later, as they expect.
    m_blocks.reserve(m_blocks.size() + other.m_blocks.size() + 1);
    m_spares.reserve(m_blocks.capacity());
    m_blocks.insert(m_blocks.end(), other.m_blocks.begin(), other.m_blocks.end());
    other.m_blocks.clear();
    // The two were filled side by side and are full now: spares neither
    // took would only stay in memory until the next Release.
    Unmap(m_spares);
    Unmap(other.m_spares);
    other.m_next = other.m_end = nullptr;
    other.m_nextBlockSize = kFirstBlockSize;
}

void ChunkArena::ShareSpares(ChunkArena& other) {
    try {
        other.m_spares.reserve(other.m_spares.size() + m_spares.size());
    } catch (const std::bad_alloc&) {
        return;
    }
    std::sort(m_spares.begin(), m_spares.end(),
              [](const Block& left, const Block& right) { return left.size > right.size; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_spares.size(); ++i) {
        if (i % 2 == 0)
            m_spares[kept++] = m_spares[i];
        else
            other.m_spares.push_back(m_spares[i]);
    }
    m_spares.resize(kept);
}

void ChunkArena::Release() {
    WaitForPrefault();
    // Emptied again before anything was taken: the spares stay.
    if (!m_blocks.empty())
        Unmap(m_spares);
    for (const Block& block : m_blocks) {
        if (block.size >= kHugePageBlock)
            m_spares.push_back(block);
        else
            ::munmap(block.base, block.size);
    }
    m_blocks.clear();
    m_next = m_end = nullptr;
    m_nextBlockSize = kFirstBlockSize;
}
