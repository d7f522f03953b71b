#pragma once

#include <string>
#include <string_view>

// Texts in the data file are bytes of the Windows-1252 code page.
namespace Cp1252 {

// The Unicode code point of a byte; the five bytes the code page leaves
// undefined keep their own value.
char16_t CodePoint(unsigned char byte);
// The byte of a code point, or '?' when the code page has none.
char ByteOf(char16_t codePoint);
std::string ToUtf8(std::string_view bytes);

} // namespace Cp1252
