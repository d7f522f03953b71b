#include "TextEncoding.h"

#include "Cp1252.h"

#include <cstdint>

namespace {

// The code point of the sequence at text[at], its length in length; -1 for
// a malformed sequence, -2 for one cut short by the end of the text.
long DecodeOne(std::string_view text, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    long code = 0;
    long least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return -1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size())
            return -2;
        if ((byte(at + i) & 0xC0) != 0x80)
            return -1;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return -1;
    return code;
}

} // namespace

bool IsUtf8(std::string_view bytes, bool mayBeCut) {
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = 1;
        const long code = DecodeOne(bytes, at, length);
        if (code == -2)
            return mayBeCut;
        if (code < 0)
            return false;
        at += length;
    }
    return true;
}

bool AppendUtf8AsCp1252(std::string_view utf8, std::string& out) {
    const std::size_t before = out.size();
    for (std::size_t at = 0; at < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++at;
            continue;
        }
        std::size_t length = 1;
        const long code = DecodeOne(utf8, at, length);
        if (code < 0) {
            out.resize(before);
            return false;
        }
        out.push_back(code > 0xFFFF ? '?' : Cp1252::ByteOf(static_cast<char16_t>(code)));
        at += length;
    }
    return true;
}
