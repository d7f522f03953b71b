#pragma once

#include "LogExport.h"
#include "MTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

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
// of a name, date or time that does not fit, or of a day the calendar range
// of the program does not hold.
std::optional<std::string> Apply(TvDocument& document, const Values& values,
                                 CategoryList* categories, CategoryEntry** filter);
// Apply with the log's own category list and filter entry; the service log
// has no category filter.
std::optional<std::string> ApplyToLog(TvDocument& document, const Values& values, ExportLog log);

// What a command does with one of its own options and its value (empty for
// an option without one): none when it is taken, else the usage problem.
using OptionHandler =
    std::function<std::optional<std::string>(const std::string& option, const std::string& value)>;

// Walks a command's arguments "LOG FILE [options]": the filter options go to
// values, the options named in withValue take the next argument, any other
// option is handed over without one, and LOG and FILE are returned. The
// usage problem of a missing value, an unknown option (one option() refuses)
// or a wrong number of arguments, or of a lone --from or --to.
std::optional<std::string> Scan(const std::vector<std::string>& args, Values& values,
                                const std::vector<std::string>& withValue,
                                const OptionHandler& option, std::string& log, std::string& file);

// A list's sort code: a whole number, the column plus 128 for the other
// direction.
std::optional<int> ParseSortCode(const std::string& text);

// The moment --now names; none without it. Apply has checked it.
std::optional<MTime> Now(const Values& values);

} // namespace FilterOptions
