#include "ChunkArena.h"

#include <algorithm>
#include <new>
#include <sys/mman.h>

namespace {

constexpr std::size_t kAlignment = 64;
constexpr std::size_t kLargestBlock = 64 << 20;
// Blocks this large ask for huge pages.
constexpr std::size_t kHugePageBlock = 4 << 20;

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

} // namespace

void* ChunkArena::Allocate(std::size_t bytes) {
    bytes = RoundUp(bytes, kAlignment);
    if (m_next == nullptr || static_cast<std::size_t>(m_end - m_next) < bytes) {
        const std::size_t size = RoundUp(std::max(m_nextBlockSize, bytes), 4096);
        void* base =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            throw std::bad_alloc();
        if (size >= kHugePageBlock)
            ::madvise(base, size, MADV_HUGEPAGE); // a hint: without it, normal pages
        m_blocks.push_back({base, size});
        m_next = static_cast<char*>(base);
        m_end = m_next + size;
        m_nextBlockSize = std::min(m_nextBlockSize * 2, kLargestBlock);
    }
    void* memory = m_next;
    m_next += bytes;
    return memory;
}

void ChunkArena::Release() {
    for (const Block& block : m_blocks)
        ::munmap(block.base, block.size);
    m_blocks.clear();
    m_next = m_end = nullptr;
    m_nextBlockSize = 256 << 10;
}
