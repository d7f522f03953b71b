#include "NoteString.h"

#include <cstring>
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
    char* text = new char[count + 1];
    std::memset(text, character, count);
    text[count] = '\0';
    Free();
    m_text = text;
    m_size = static_cast<std::uint32_t>(count);
    m_owned = true;
    s_owned.fetch_add(1, std::memory_order_relaxed);
}

void NoteString::Own(std::string_view text) {
    if (text.empty())
        return;
    if (text.size() > UINT32_MAX)
        throw std::bad_alloc();
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    m_text = copy;
    m_size = static_cast<std::uint32_t>(text.size());
    m_owned = true;
    s_owned.fetch_add(1, std::memory_order_relaxed);
}

void NoteString::Take(NoteString& other) {
    if (other.m_owned) {
        m_text = other.m_text;
        m_size = other.m_size;
        m_owned = true;
        other.m_text = "";
        other.m_size = 0;
        other.m_owned = false;
        return;
    }
    Own(other.View());
}

void NoteString::Free() {
    if (m_owned) {
        delete[] m_text;
        s_owned.fetch_sub(1, std::memory_order_relaxed);
    }
    m_text = "";
    m_size = 0;
    m_owned = false;
}
