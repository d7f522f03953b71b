#include "ListCommand.h"

#include "Cp1252.h"
#include "MExcept.h"
#include "ToolCommands.h"
#include "TripRows.h"
#include "TvDocument.h"
#include "VehicleRows.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace ListCommand {

const char* const kUsage =
    "tvtool list LOG FILE [--vehicle NAME] [--category NAME] "
    "[--from M/D/YYYY --to M/D/YYYY] [--sort CODE] [--now \"YYYY-MM-DD HH:MM:SS\"]";

const char* const kHelp =
    "Prints what a log's list shows for a filter: the column headings, then one\n"
    "line per row, cells separated by a tab, rows in the list's order.\n"
    "  LOG                  vehicles or trips\n"
    "  --vehicle NAME       the filter's vehicle (default: the first by name, with\n"
    "                       letter case and accents set aside)\n"
    "  --category NAME      the filter's category (default: All)\n"
    "  --from, --to M/D/YYYY  only these days, both included (default: all dates)\n"
    "  --sort CODE          the list's sort code: column number, plus 128 for the\n"
    "                       other direction (default 0)\n"
    "  --now \"YYYY-MM-DD HH:MM:SS\"  the current time (default: the real time)\n";

namespace {

struct Options {
    std::string log;
    std::string file;
    std::optional<std::string> vehicle;
    std::optional<std::string> category;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::string> now;
    int sortCode = 0;
};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsCalendarDay(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    return day <= kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

// "M/D/YYYY" at a time of that day; none when the text is not such a day.
std::optional<MTime> ParseDay(const std::string& text, int hour, int minute, int second) {
    int month = 0, day = 0, year = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d/%d/%d%c", &month, &day, &year, &end) != 3 ||
        !IsCalendarDay(year, month, day))
        return std::nullopt;
    return MTime(year, month, day, hour, minute, second, -1);
}

std::optional<MTime> ParseMoment(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &year, &month, &day, &hour, &minute,
                    &second, &end) != 6 ||
        !IsCalendarDay(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return std::nullopt;
    return MTime(year, month, day, hour, minute, second, -1);
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, Options& options) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* value = arg == "--vehicle"    ? &options.vehicle
                                            : arg == "--category" ? &options.category
                                            : arg == "--from"     ? &options.from
                                            : arg == "--to"       ? &options.to
                                            : arg == "--now"      ? &options.now
                                                                  : nullptr;
        if (value != nullptr || arg == "--sort") {
            if (i + 1 == args.size())
                return arg + " needs a value";
            const std::string& text = args[++i];
            if (value != nullptr) {
                *value = text;
                continue;
            }
            const char* last = text.data() + text.size();
            const auto parsed = std::from_chars(text.data(), last, options.sortCode);
            if (text.empty() || parsed.ec != std::errc() || parsed.ptr != last)
                return "not a sort code: " + text;
        } else if (arg.starts_with("--")) {
            return "unknown option: " + arg;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2)
        return std::string("missing argument");
    if (positional.size() > 2)
        return std::string("too many arguments");
    options.log = positional[0];
    options.file = positional[1];
    if (options.log != "vehicles" && options.log != "trips")
        return "unknown log: " + options.log + " (vehicles, trips)";
    if (options.from.has_value() != options.to.has_value())
        return std::string("--from and --to go together");
    return std::nullopt;
}

// A name given on the command line, in UTF-8 as the lists are printed, in
// the file's code page; none when it is not UTF-8 or holds a character that
// the code page lacks, so that no name of the file can be meant.
std::optional<std::string> InFileCodePage(std::string_view utf8) {
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        // Every character of the code page takes at most three bytes.
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                                           : 0;
        if (length == 0 || i + length > utf8.size())
            return std::nullopt;
        char32_t code = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        // A character written longer than it needs is no UTF-8.
        if ((length == 2 && code < 0x80) || (length == 3 && code < 0x800))
            return std::nullopt;
        const char byte = Cp1252::ByteOf(static_cast<char16_t>(code));
        if (byte == '?' && code != U'?')
            return std::nullopt;
        bytes.push_back(byte);
        i += length;
    }
    return bytes;
}

// The filter as the filter pane would set it for these options.
std::optional<std::string> SetFilter(TvDocument& document, const Options& options) {
    std::vector<VehicleRecord*> vehicles = VehicleRows(document.Vehicles());
    if (options.vehicle) {
        const std::optional<std::string> name = InFileCodePage(*options.vehicle);
        const auto named = std::find_if(vehicles.begin(), vehicles.end(), [&](auto* vehicle) {
            return name && vehicle->Name.View() == *name;
        });
        if (named == vehicles.end())
            return "no vehicle named " + *options.vehicle;
        document.SelectedVehicle = *named;
    } else {
        document.SelectedVehicle = FirstVehicleByName(document.Vehicles());
    }

    document.TripLogFilter = &document.AllCategoriesEntry;
    if (options.category && *options.category != TvDocument::kAllCategoriesName) {
        const std::optional<std::string> name = InFileCodePage(*options.category);
        CategoryEntry* named = nullptr;
        for (CategoryEntry& entry : document.Trips().Categories.Items()) {
            if (name && entry.Name == *name) {
                named = &entry;
                break;
            }
        }
        if (named == nullptr)
            return "no category named " + *options.category;
        document.TripLogFilter = named;
    }

    document.DisplayAllDates = options.from ? 0 : 1;
    if (options.from) {
        const auto from = ParseDay(*options.from, 0, 0, 0);
        if (!from)
            return "not a date (M/D/YYYY): " + *options.from;
        const auto to = ParseDay(*options.to, 23, 59, 59);
        if (!to)
            return "not a date (M/D/YYYY): " + *options.to;
        document.FromDate = *from;
        document.ToDate = *to;
    }
    if (options.now && !ParseMoment(*options.now))
        return "not a time (YYYY-MM-DD HH:MM:SS): " + *options.now;
    return std::nullopt;
}

void PrintLine(std::FILE* out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i != 0)
            std::fputc('\t', out);
        std::fputs(Cp1252::ToUtf8(cells[i]).c_str(), out);
    }
    std::fputc('\n', out);
}

template <typename Record, typename CellText>
void PrintList(std::FILE* out, const LogColumns& columns, const std::vector<Record*>& rows,
               CellText cellText) {
    std::vector<std::string> cells;
    for (const LogColumn& column : columns)
        cells.push_back(column.title);
    PrintLine(out, cells);
    for (const Record* record : rows) {
        for (std::size_t column = 0; column < columns.size(); ++column)
            cells[column] = cellText(*record, static_cast<int>(column));
        PrintLine(out, cells);
    }
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError) {
    Options options;
    if (const auto problem = ParseOptions(args, options))
        return usageError(*problem);
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, options.file, err))
        return kExitDataError;
    try {
        if (const auto problem = SetFilter(document, options))
            return usageError(*problem);
    } catch (const MExcept& error) {
        return usageError(error.Message());
    }

    const bool metric = document.Trips().UsesKilometres();
    if (options.log == "vehicles") {
        std::vector<VehicleRecord*> rows = VehicleRows(document.Vehicles());
        SortVehicles(rows, options.sortCode);
        PrintList(out, VehicleColumns(metric), rows, VehicleCellText);
    } else {
        std::vector<TripRecord*> rows =
            TripRows(document.Trips(), TripFilter::FromDocument(document));
        SortTrips(rows, options.sortCode);
        PrintList(out, TripColumns(metric), rows, TripCellText);
    }
    return kExitOk;
}

} // namespace ListCommand
