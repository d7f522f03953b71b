// The order in which the sorted boxes and tvtool's default vehicle take
// names: as people read them, in the data file's code page.

#include "TextOrder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names Sorted(Names names) {
    std::sort(names.begin(), names.end(), TextOrder::Less);
    return names;
}

// Windows-1252 bytes of a few letters.
const std::string kEacute = "\xC9";     // É
const std::string kSmallE = "\xE9";     // é
const std::string kAelig = "\xC6";      // Æ
const std::string kSzlig = "\xDF";      // ß
const std::string kScaron = "\x8A";     // Š
const std::string kOslash = "\xD8";     // Ø
const std::string kTimes = "\xD7";      // ×, no letter
const std::string kYdiaer = "\xFF";     // ÿ
const std::string kOeLigature = "\x9C"; // œ

TEST(TextOrder, CaseAndAccentsAsideNamesStandWhereTheirLettersPutThem) {
    EXPECT_EQ(Sorted({"Civic", "Escort", "camper", kEacute + "clair", "Beetle", "Eagle", "zebra",
                      "Zagato"}),
              (Names{"Beetle", "camper", "Civic", "Eagle", kEacute + "clair", "Escort", "Zagato",
                     "zebra"}));
    // Letters above ASCII stand for their base letters, ligatures for two.
    EXPECT_EQ(Sorted({"Afton", kAelig + "ble", "Adam"}), (Names{"Adam", kAelig + "ble", "Afton"}));
    EXPECT_EQ(Sorted({"Suzuki", kScaron + "koda", "Seat"}),
              (Names{"Seat", kScaron + "koda", "Suzuki"}));
    EXPECT_EQ(Sorted({"Oslo", kOslash + "resund", "Opel"}),
              (Names{"Opel", kOslash + "resund", "Oslo"}));
    EXPECT_EQ(Sorted({"Strasser", "Stra" + kSzlig + "e", "Strat"}),
              (Names{"Stra" + kSzlig + "e", "Strasser", "Strat"}));
    EXPECT_EQ(Sorted({"yz", kYdiaer + "a", "ya"}), (Names{"ya", kYdiaer + "a", "yz"}));
    EXPECT_EQ(Sorted({"Ox", "C" + kOeLigature + "ur", "Cod"}),
              (Names{"Cod", "C" + kOeLigature + "ur", "Ox"}));
    // A byte that is no letter stands for itself, after every letter.
    EXPECT_EQ(Sorted({"a" + kTimes, "az", "A1"}), (Names{"A1", "az", "a" + kTimes}));
    // A name comes before the longer names it begins.
    EXPECT_EQ(Sorted({"Van 2", "van", "", "Van"}), (Names{"", "Van", "van", "Van 2"}));
}

TEST(TextOrder, NamesAlikeButForCaseOrAccentsFollowTheirExactBytes) {
    // The same letters: capitals before small ones, plain before accented.
    EXPECT_EQ(Sorted({kSmallE + "clair", kEacute + "clair", "eclair", "Eclair"}),
              (Names{"Eclair", "eclair", kEacute + "clair", kSmallE + "clair"}));
    EXPECT_EQ(Sorted({"Stra" + kSzlig + "e", "Strasse"}),
              (Names{"Strasse", "Stra" + kSzlig + "e"}));
    // Only the same text compares equal, and the order is the same either way.
    EXPECT_EQ(TextOrder::Compare("Civic", "Civic"), 0);
    EXPECT_LT(TextOrder::Compare("Civic", "civic"), 0);
    EXPECT_GT(TextOrder::Compare("civic", "Civic"), 0);
    EXPECT_LT(TextOrder::Compare("camper", "Civic"), 0);
    EXPECT_GT(TextOrder::Compare("Civic", "camper"), 0);
}

} // namespace
