#pragma once

#include "ChunkArena.h"

#include <cstddef>

// The texts of one store's records side by side in a few large blocks,
// given back all at once when the store is emptied.
class TextArena {
public:
    // The longest text the arena holds: its length is kept in one byte.
    static constexpr std::size_t kMaxSize = 255;

    // A NUL-terminated copy of size bytes, at most kMaxSize, at an even
    // address and with its length in the byte before it, as
    // NoteString::Borrow takes it; throws std::bad_alloc.
    const char* Store(const char* bytes, std::size_t size);
    void Release();
    // Exchanges the texts with other's; pointers to them stay valid.
    void Swap(TextArena& other);
    // For two arenas filled side by side and now full: takes other's texts
    // beside its own (pointers to them stay valid; other is empty) and gives
    // back the blocks kept from before that neither took. Throws
    // std::bad_alloc, and then nothing has changed.
    void Adopt(TextArena& other);
    // For two arenas about to be filled side by side, other still empty:
    // gives it about half of the blocks kept from before.
    void ShareSpares(TextArena& other) { m_blocks.ShareSpares(other.m_blocks); }

private:
    static constexpr std::size_t kBlockSize = 1 << 20;

    ChunkArena m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
};
