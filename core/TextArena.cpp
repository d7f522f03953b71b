#include "TextArena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

const char* TextArena::Store(const char* bytes, std::size_t size) {
    // At most one byte to reach an odd address, the length, the text, its NUL.
    const std::size_t room = size + 3;
    if (m_next == nullptr || static_cast<std::size_t>(m_end - m_next) < room) {
        const std::size_t block = std::max(kBlockSize, room);
        m_next = static_cast<char*>(m_blocks.Allocate(block));
        m_end = m_next + block;
    }
    char* text = m_next + 1;
    text += reinterpret_cast<std::uintptr_t>(text) & 1;
    text[-1] = static_cast<char>(static_cast<unsigned char>(size));
    std::memcpy(text, bytes, size);
    text[size] = '\0';
    m_next = text + size + 1;
    return text;
}

void TextArena::Swap(TextArena& other) {
    m_blocks.Swap(other.m_blocks);
    std::swap(m_next, other.m_next);
    std::swap(m_end, other.m_end);
}

void TextArena::Adopt(TextArena& other) {
    m_blocks.Adopt(other.m_blocks);
    other.m_next = other.m_end = nullptr;
}

void TextArena::Release() {
    m_blocks.Release();
    m_next = m_end = nullptr;
}
