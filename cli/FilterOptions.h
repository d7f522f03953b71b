#pragma once

#include "MTime.h"

#include <optional>
#include <string>

class CategoryList;
struct CategoryEntry;
class TvDocument;

// The filter options that tvtool's list and export commands share, and how
// they set the document's filter as the filter pane would.
namespace FilterOptions {

struct Values {
    std::optional<std::string> vehicle;
    std::optional<std::string> category;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::string> now;
};

// Where the value of a filter option goes (--vehicle, --category, --from,
// --to, --now); null for any other argument.
std::optional<std::string>* Slot(Values& values, const std::string& option);

// "--from and --to go together" when one comes without the other.
std::optional<std::string> CheckPairs(const Values& values);

// Sets the document's filter: the vehicle of that name (default: the first
// by name); when categories are given, their entry of that name as filter
// (default: the "All" entry); the range of whole days (default: all dates).
// Names are taken in UTF-8, as tvtool prints them. Returns the usage problem
// of a name, date or time that does not fit; raises MExceptTimeOutOfRange
// for a day the calendar range of the program does not hold.
std::optional<std::string> Apply(TvDocument& document, const Values& values,
                                 CategoryList* categories, CategoryEntry** filter);

// The moment --now names; none without it. Apply has checked it.
std::optional<MTime> Now(const Values& values);

} // namespace FilterOptions
