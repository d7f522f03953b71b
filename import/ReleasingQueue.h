#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

// A first-in first-out queue of records that gives its memory back to the
// system as it empties: records live in blocks mapped on their own, and a
// block is unmapped as soon as its last record is taken. The import holds
// its checked records here while it moves them into a store, so the two are
// not both in memory in full at the peak (blocks of the heap, as a deque
// uses, stay with the process once freed).
template <typename T> class ReleasingQueue {
public:
    ReleasingQueue() = default;
    ReleasingQueue(const ReleasingQueue&) = delete;
    ReleasingQueue& operator=(const ReleasingQueue&) = delete;
    ReleasingQueue(ReleasingQueue&& other) noexcept { *this = std::move(other); }
    ReleasingQueue& operator=(ReleasingQueue&& other) noexcept {
        if (this != &other) {
            Clear();
            m_blocks = std::move(other.m_blocks);
            m_head = std::exchange(other.m_head, 0);
            m_size = std::exchange(other.m_size, 0);
            other.m_blocks.clear();
        }
        return *this;
    }
    ~ReleasingQueue() { Clear(); }

    bool empty() const { return m_size == 0; }
    std::size_t size() const { return m_size; }

    T& operator[](std::size_t index) {
        const std::size_t at = m_head + index;
        return m_blocks[at / kPerBlock][at % kPerBlock];
    }
    const T& operator[](std::size_t index) const {
        const std::size_t at = m_head + index;
        return m_blocks[at / kPerBlock][at % kPerBlock];
    }
    T& front() { return (*this)[0]; }

    void push_back(T&& record) {
        const std::size_t at = m_head + m_size;
        if (at / kPerBlock == m_blocks.size())
            m_blocks.push_back(MapBlock());
        new (&m_blocks[at / kPerBlock][at % kPerBlock]) T(std::move(record));
        ++m_size;
    }
    void push_back(const T& record) { push_back(T(record)); }

    void pop_front() {
        m_blocks.front()[m_head].~T();
        --m_size;
        if (++m_head == kPerBlock || m_size == 0) {
            ::munmap(m_blocks.front(), kBlockBytes);
            m_blocks.erase(m_blocks.begin());
            m_head = 0;
        }
    }

    // The blocks go as they empty; nothing is left to give back.
    void shrink_to_fit() {}

private:
    static constexpr std::size_t kBlockBytes = 4 << 20;
    static constexpr std::size_t kPerBlock = kBlockBytes / sizeof(T);
    static_assert(kPerBlock > 0);

    static T* MapBlock() {
        void* block = ::mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void Clear() {
        while (m_size > 0)
            pop_front();
        for (T* block : m_blocks)
            ::munmap(block, kBlockBytes);
        m_blocks.clear();
        m_head = 0;
    }

    std::vector<T*> m_blocks;
    std::size_t m_head = 0; // the front record's place in the first block
    std::size_t m_size = 0;
};
