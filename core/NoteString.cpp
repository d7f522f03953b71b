#include "NoteString.h"

#include <new>
#include <utility>

std::atomic<std::size_t> NoteString::s_owned{0};

NoteString& NoteString::operator=(const NoteString& other) {
    if (this != &other)
        *this = other.View();
    return *this;
}

NoteString& NoteString::operator=(NoteString&& other) {
    if (this != &other) {
        NoteString taken(std::move(other));
        Free();
        Take(taken);
    }
    return *this;
}

NoteString& NoteString::operator=(std::string_view text) {
    // Built first, so that text may be a view into this note.
    NoteString replacement(text);
    Free();
    Take(replacement);
    return *this;
}

void NoteString::assign(std::size_t count, char character) {
    NoteString replacement;
    if (count != 0)
        std::memset(replacement.Allocate(count), character, count);
    Free();
    Take(replacement);
}

void NoteString::Own(std::string_view text) {
    if (!text.empty())
        std::memcpy(Allocate(text.size()), text.data(), text.size());
}

char* NoteString::Allocate(std::size_t size) {
    if (size > UINT32_MAX)
        throw std::bad_alloc();
    const auto length = static_cast<std::uint32_t>(size);
    // The length, then the text and its NUL. The block is aligned for any
    // object, so the text's address is even.
    char* block = new char[sizeof(length) + size + 1];
    std::memcpy(block, &length, sizeof(length));
    char* text = block + sizeof(length);
    text[size] = '\0';
    m_bits = reinterpret_cast<std::uintptr_t>(text) | kOwned;
    s_owned.fetch_add(1, std::memory_order_relaxed);
    return text;
}

void NoteString::Take(NoteString& other) {
    if (other.IsOwned()) {
        m_bits = other.m_bits;
        other.m_bits = 0;
        return;
    }
    Own(other.View());
}

void NoteString::Free() {
    if (IsOwned()) {
        delete[](Text() - sizeof(std::uint32_t));
        s_owned.fetch_sub(1, std::memory_order_relaxed);
    }
    m_bits = 0;
}
