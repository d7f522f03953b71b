#pragma once

#include <string>
#include <string_view>

// The encodings of the delimited text files the import reads. The data file
// keeps texts as Windows-1252 bytes, so UTF-8 text is converted on the way.
enum class TextEncoding { Utf8, Cp1252 };

// Whether bytes are well-formed UTF-8; with mayBeCut, a sequence cut short by
// the end of the bytes counts as well-formed (a sample of a longer file).
bool IsUtf8(std::string_view bytes, bool mayBeCut);

// Appends the UTF-8 text to out as Windows-1252 bytes, '?' for a character
// the code page lacks. False, with out as it was, when the text is not
// well-formed UTF-8.
bool AppendUtf8AsCp1252(std::string_view utf8, std::string& out);
