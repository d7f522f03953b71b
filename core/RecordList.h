#pragma once

#include "ChunkArena.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// The records of a store, in order. Records live in large fixed chunks, so a
// reference to a record stays valid while records are appended (until
// pop_back of that record or clear()), and a million records cost a few
// hundred allocations rather than a million. The chunks come from an arena
// of large blocks.
template <typename T> class RecordList {
public:
    // Records per chunk: the records of one chunk lie next to each other.
    static constexpr std::size_t kChunkSize = 1024;

private:
    struct Chunk {
        alignas(T) unsigned char storage[sizeof(T) * kChunkSize];
        T* At(std::size_t index) { return std::launder(reinterpret_cast<T*>(storage) + index); }
    };

public:
    template <typename List, typename Value> class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_const_t<Value>;
        using difference_type = std::ptrdiff_t;
        using pointer = Value*;
        using reference = Value&;

        Iterator() = default;
        Iterator(List* list, std::size_t index) : m_list(list), m_index(index) {}
        reference operator*() const { return (*m_list)[m_index]; }
        pointer operator->() const { return &(*m_list)[m_index]; }
        Iterator& operator++() {
            ++m_index;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        List* m_list = nullptr;
        std::size_t m_index = 0;
    };

    using iterator = Iterator<RecordList, T>;
    using const_iterator = Iterator<const RecordList, const T>;

    RecordList() = default;
    ~RecordList() { clear(); }
    RecordList(const RecordList&) = delete;
    RecordList& operator=(const RecordList&) = delete;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    T& operator[](std::size_t index) {
        return *m_chunks[index / kChunkSize]->At(index % kChunkSize);
    }
    const T& operator[](std::size_t index) const {
        return *m_chunks[index / kChunkSize]->At(index % kChunkSize);
    }
    T& back() { return (*this)[m_size - 1]; }
    const T& back() const { return (*this)[m_size - 1]; }

    template <typename... Args> T& emplace_back(Args&&... args) {
        if (m_size == m_chunks.size() * kChunkSize)
            // Left uninitialised: records are built in place.
            m_chunks.push_back(static_cast<Chunk*>(m_arena.Allocate(sizeof(Chunk))));
        T* slot = m_chunks[m_size / kChunkSize]->At(m_size % kChunkSize);
        ::new (static_cast<void*>(slot)) T(std::forward<Args>(args)...);
        ++m_size;
        return *slot;
    }
    void push_back(T value) { emplace_back(std::move(value)); }

    // Room for `count` records in all, taken at once so that the memory can
    // be prepared while the records are being built.
    void reserve(std::size_t count) {
        const std::size_t capacity = m_chunks.size() * kChunkSize;
        if (count <= capacity)
            return;
        const std::size_t added = (count - capacity + kChunkSize - 1) / kChunkSize;
        m_chunks.reserve(m_chunks.size() + added);
        auto* first = static_cast<Chunk*>(m_arena.AllocateAhead(added * sizeof(Chunk)));
        for (std::size_t i = 0; i < added; ++i)
            m_chunks.push_back(first + i);
    }

    // Room reserved, records built or not.
    std::size_t capacity() const { return m_chunks.size() * kChunkSize; }
    // The memory of the reserved record `index` (size() <= index <
    // capacity()), for a record built out of turn: a second thread builds the
    // later records of a file there while emplace_back, within the room
    // reserved, grows the list towards them. Only reads the chunk table.
    T* ReservedSlot(std::size_t index) {
        return m_chunks[index / kChunkSize]->At(index % kChunkSize);
    }
    // Counts the `count` records built in the reserved slots right after the
    // last record into the list.
    void AdoptBuilt(std::size_t count) { m_size += count; }
    void pop_back() {
        --m_size;
        std::destroy_at(m_chunks[m_size / kChunkSize]->At(m_size % kChunkSize));
    }

    // Exchanges the records with other's; references to them stay valid.
    void swap(RecordList& other) {
        m_chunks.swap(other.m_chunks);
        m_arena.Swap(other.m_arena);
        std::swap(m_size, other.m_size);
    }

    void clear() {
        for (std::size_t i = 0; i < m_size; ++i)
            std::destroy_at(&(*this)[i]);
        Forget();
    }
    // Like clear(), for records whose destructors would free nothing: their
    // memory is given back without visiting each of them.
    void clearWithoutDestroying() { Forget(); }

    iterator begin() { return {this, 0}; }
    iterator end() { return {this, m_size}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }

private:
    void Forget() {
        m_size = 0;
        m_chunks.clear();
        m_arena.Release();
    }

    std::vector<Chunk*> m_chunks;
    ChunkArena m_arena;
    std::size_t m_size = 0;
};
