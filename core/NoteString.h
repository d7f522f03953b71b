#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The note of a record: a text of any length, NUL-terminated. Used like a
// std::string for what the program does with notes: assigned from any text,
// read as a std::string_view, compared, copied.
//
// A note read from a data file lies in its store's text arena (see
// TextArena.h), beside the other notes of the store: a million notes cost a
// few large blocks instead of an allocation each. Such a note borrows its
// bytes; every other note, and every copy of a note, owns them. So a copy
// taken out of a store (a record kept to be restored later) stays valid
// after the store is emptied.
class NoteString {
public:
    NoteString() = default;
    NoteString(std::string_view text) { Own(text); } // NOLINT: used like a std::string
    NoteString(const NoteString& other) { Own(other.View()); }
    // Moving copies a borrowed text, so it may throw std::bad_alloc.
    NoteString(NoteString&& other) { Take(other); }
    NoteString& operator=(const NoteString& other);
    NoteString& operator=(NoteString&& other);
    NoteString& operator=(std::string_view text);
    // Inline: emptying a store destroys a million notes, nearly all borrowed.
    ~NoteString() {
        if (m_owned)
            Free();
    }

    // Points at text held by the store's arena, which outlives this note.
    // Inline: reading a file borrows a million notes.
    void Borrow(const char* text, std::uint32_t size) {
        if (m_owned)
            Free();
        m_text = text;
        m_size = size;
    }
    // Whether any note in the program owns its text. While none does,
    // destroying notes frees nothing, and a store's records can be let go of
    // without destroying them one by one.
    static bool AnyOwned() { return s_owned.load(std::memory_order_relaxed) != 0; }
    void assign(std::size_t count, char character);

    const char* data() const { return m_text; }
    const char* c_str() const { return m_text; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::string_view View() const { return {m_text, m_size}; }
    operator std::string_view() const { return View(); } // NOLINT: read like a std::string

    friend bool operator==(const NoteString& a, const NoteString& b) {
        return a.View() == b.View();
    }
    friend bool operator==(const NoteString& a, std::string_view b) { return a.View() == b; }

private:
    void Own(std::string_view text);
    // Moves an owned text over, copies a borrowed one.
    void Take(NoteString& other);
    void Free();

    // How many notes own their text, across all threads.
    static std::atomic<std::size_t> s_owned;

    const char* m_text = "";
    std::uint32_t m_size = 0;
    bool m_owned = false;
};
