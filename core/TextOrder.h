#pragma once

#include <string_view>

// The order in which people read names: how the boxes of the program that
// are sorted by name (vehicles, categories, users) and tvtool's default
// vehicle order texts. Texts are bytes of the Windows-1252 code page.
//
// Two texts are first compared with letter case and accents set aside: every
// letter stands for its small base letter ("É" and "e" both for "e", "Æ" for
// "ae", "ß" for "ss"); every other byte stands for itself. Texts that are
// equal that way are then ordered by their exact bytes, so that the order is
// total and the same every time ("Civic" before "civic", "Eclair" before
// "Éclair").
namespace TextOrder {

// Negative when a comes before b, 0 when the texts are the same, positive
// when a comes after b.
int Compare(std::string_view a, std::string_view b);

// Whether two texts are the same with letter case and accents set aside
// ("Eclair" and "éCLAIR"): the names that the boxes cannot tell apart.
bool SameLetters(std::string_view a, std::string_view b);

inline bool Less(std::string_view a, std::string_view b) {
    return Compare(a, b) < 0;
}

} // namespace TextOrder
