#pragma once

#include <cstdio>

class TvDocument;

// Writes the five stores of a document as JSON: every header word, category
// and record, deleted ones included, in file order. Texts are shown up to
// their NUL with each byte as the character of the same code (Latin-1);
// dates as "YYYY-MM-DD HH:MM:SS" from the stored values, unnormalised.
void DumpJson(const TvDocument& document, std::FILE* out);
