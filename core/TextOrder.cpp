#include "TextOrder.h"

#include <array>
#include <cstdint>

namespace {

// What a byte stands for when case and accents are set aside: one or two
// bytes.
struct Folded {
    char bytes[2] = {};
    std::uint8_t size = 1;
};

constexpr Folded As(const char* text) {
    Folded folded;
    folded.bytes[0] = text[0];
    folded.size = text[1] == '\0' ? 1 : 2;
    if (folded.size == 2)
        folded.bytes[1] = text[1];
    return folded;
}

constexpr std::array<Folded, 256> MakeFoldingTable() {
    std::array<Folded, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte].bytes[0] = static_cast<char>(byte);
    for (int byte = 'A'; byte <= 'Z'; ++byte)
        table[byte].bytes[0] = static_cast<char>(byte - 'A' + 'a');
    const auto range = [&table](int first, int last, const char* base) {
        for (int byte = first; byte <= last; ++byte)
            table[byte] = As(base);
    };
    // The letters of the code page above ASCII, capital and small.
    range(0x83, 0x83, "f");
    range(0x8A, 0x8A, "s");
    range(0x8C, 0x8C, "oe");
    range(0x8E, 0x8E, "z");
    range(0x9A, 0x9A, "s");
    range(0x9C, 0x9C, "oe");
    range(0x9E, 0x9E, "z");
    range(0x9F, 0x9F, "y");
    for (const int offset : {0x00, 0x20}) {
        range(0xC0 + offset, 0xC5 + offset, "a");
        range(0xC6 + offset, 0xC6 + offset, "ae");
        range(0xC7 + offset, 0xC7 + offset, "c");
        range(0xC8 + offset, 0xCB + offset, "e");
        range(0xCC + offset, 0xCF + offset, "i");
        range(0xD0 + offset, 0xD0 + offset, "d");
        range(0xD1 + offset, 0xD1 + offset, "n");
        range(0xD2 + offset, 0xD6 + offset, "o");
        range(0xD8 + offset, 0xD8 + offset, "o");
        range(0xD9 + offset, 0xDC + offset, "u");
        range(0xDD + offset, 0xDD + offset, "y");
        range(0xDE + offset, 0xDE + offset, "th");
    }
    // 0xDF is "ß"; its place among the small letters, 0xFF, is "ÿ".
    range(0xDF, 0xDF, "ss");
    range(0xFF, 0xFF, "y");
    return table;
}

constexpr std::array<Folded, 256> kFolding = MakeFoldingTable();

// The bytes a text stands for with case and accents set aside, one at a time.
class FoldedBytes {
public:
    explicit FoldedBytes(std::string_view text) : m_text(text) {}

    // The next byte as an unsigned value; -1 after the last.
    int Next() {
        if (m_left == 0) {
            if (m_next == m_text.size())
                return -1;
            m_current = &kFolding[static_cast<unsigned char>(m_text[m_next++])];
            m_left = m_current->size;
        }
        return static_cast<unsigned char>(m_current->bytes[m_current->size - m_left--]);
    }

private:
    std::string_view m_text;
    std::size_t m_next = 0;
    const Folded* m_current = nullptr;
    int m_left = 0;
};

} // namespace

namespace TextOrder {

int Compare(std::string_view a, std::string_view b) {
    FoldedBytes left(a);
    FoldedBytes right(b);
    for (;;) {
        const int x = left.Next();
        const int y = right.Next();
        if (x != y)
            return x < y ? -1 : 1;
        if (x < 0)
            break;
    }
    // std::char_traits<char> compares bytes as unsigned values.
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

bool SameLetters(std::string_view a, std::string_view b) {
    FoldedBytes left(a);
    FoldedBytes right(b);
    for (;;) {
        const int x = left.Next();
        if (x != right.Next())
            return false;
        if (x < 0)
            return true;
    }
}

} // namespace TextOrder
