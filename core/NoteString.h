#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
//
// A note is one pointer wide, since records hold millions of them: the
// length lies before the text, in one byte for a borrowed text (the arena
// puts it there) and in four for an owned one.
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
        if (IsOwned())
            Free();
    }

    // Points at a text that TextArena::Store returned, which outlives this
    // note. Inline: reading a file borrows a million notes.
    void Borrow(const char* text) {
        if (IsOwned())
            Free();
        m_bits = reinterpret_cast<std::uintptr_t>(text);
    }
    // Whether any note in the program owns its text. While none does,
    // destroying notes frees nothing, and a store's records can be let go of
    // without destroying them one by one.
    static bool AnyOwned() { return s_owned.load(std::memory_order_relaxed) != 0; }
    void assign(std::size_t count, char character);

    const char* data() const { return m_bits == 0 ? "" : Text(); }
    const char* c_str() const { return data(); }
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    std::string_view View() const { return {data(), size()}; }
    operator std::string_view() const { return View(); } // NOLINT: read like a std::string

    friend bool operator==(const NoteString& a, const NoteString& b) {
        return a.View() == b.View();
    }
    friend bool operator==(const NoteString& a, std::string_view b) { return a.View() == b; }

private:
    static constexpr std::uintptr_t kOwned = 1;

    bool IsOwned() const { return (m_bits & kOwned) != 0; }
    const char* Text() const { return reinterpret_cast<const char*>(m_bits & ~kOwned); }
    void Own(std::string_view text);
    // Makes this empty note own a new text of size bytes, NUL-terminated
    // and otherwise uninitialised, and returns it.
    char* Allocate(std::size_t size);
    // Moves an owned text over, copies a borrowed one.
    void Take(NoteString& other);
    void Free();

    // How many notes own their text, across all threads.
    static std::atomic<std::size_t> s_owned;

    // 0 for the empty note; otherwise the text's address, which is even,
    // with kOwned set when this note owns it.
    std::uintptr_t m_bits = 0;
};

inline std::size_t NoteString::size() const {
    if (m_bits == 0)
        return 0;
    if (!IsOwned())
        return static_cast<unsigned char>(Text()[-1]);
    std::uint32_t length = 0;
    std::memcpy(&length, Text() - sizeof(length), sizeof(length));
    return length;
}

static_assert(sizeof(NoteString) == sizeof(void*));
