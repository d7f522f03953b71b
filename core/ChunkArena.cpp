#include "ChunkArena.h"

#include <algorithm>
#include <new>
#include <sys/mman.h>
#include <system_error>

namespace {

constexpr std::size_t kAlignment = 64;
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kLargestBlock = 64 << 20;
// Blocks this large ask for huge pages.
constexpr std::size_t kHugePageBlock = 4 << 20;

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

} // namespace

void* ChunkArena::MapBlock(std::size_t size) {
    m_blocks.reserve(m_blocks.size() + 1); // so that the push below cannot throw
    void* base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        throw std::bad_alloc();
    if (size >= kHugePageBlock)
        ::madvise(base, size, MADV_HUGEPAGE); // a hint: without it, normal pages
    m_blocks.push_back({base, size});
    return base;
}

void* ChunkArena::Allocate(std::size_t bytes) {
    bytes = RoundUp(bytes, kAlignment);
    if (m_next == nullptr || static_cast<std::size_t>(m_end - m_next) < bytes) {
        const std::size_t size = RoundUp(std::max(m_nextBlockSize, bytes), kPageSize);
        m_next = static_cast<char*>(MapBlock(size));
        m_end = m_next + size;
        m_nextBlockSize = std::min(m_nextBlockSize * 2, kLargestBlock);
    }
    void* memory = m_next;
    m_next += bytes;
    return memory;
}

void* ChunkArena::AllocateAhead(std::size_t bytes) {
    const std::size_t size = RoundUp(std::max<std::size_t>(bytes, 1), kPageSize);
    WaitForPrefault();
    void* base = MapBlock(size);
    if (size >= kHugePageBlock) {
        // Only a hint as well: an older kernel refuses it, and the pages then
        // fault in as they are first written. A thread that cannot be started
        // leaves the same.
        try {
            m_prefault = std::thread([base, size] { ::madvise(base, size, MADV_POPULATE_WRITE); });
        } catch (const std::system_error&) {
        }
    }
    return base;
}

void ChunkArena::WaitForPrefault() {
    if (m_prefault.joinable())
        m_prefault.join();
}

void ChunkArena::Release() {
    WaitForPrefault();
    for (const Block& block : m_blocks)
        ::munmap(block.base, block.size);
    m_blocks.clear();
    m_next = m_end = nullptr;
    m_nextBlockSize = kFirstBlockSize;
}
