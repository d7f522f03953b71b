#include "FilterOptions.h"

#include "CategoryList.h"
#include "Cp1252.h"
#include "MExcept.h"
#include "TvDocument.h"
#include "VehicleRows.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <vector>

namespace FilterOptions {

namespace {

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

// A name given in UTF-8, as tvtool prints names, in the file's code page;
// none when it is not UTF-8 or holds a character that the code page lacks,
// so that no name of the file can be meant.
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

} // namespace

std::optional<std::string>* Slot(Values& values, const std::string& option) {
    return option == "--vehicle"    ? &values.vehicle
           : option == "--category" ? &values.category
           : option == "--from"     ? &values.from
           : option == "--to"       ? &values.to
           : option == "--now"      ? &values.now
                                    : nullptr;
}

std::optional<std::string> CheckPairs(const Values& values) {
    if (values.from.has_value() != values.to.has_value())
        return std::string("--from and --to go together");
    return std::nullopt;
}

namespace {

std::optional<std::string> ApplyOrRaise(TvDocument& document, const Values& values,
                                        CategoryList* categories, CategoryEntry** filter) {
    std::vector<VehicleRecord*> vehicles = VehicleRows(document.Vehicles());
    if (values.vehicle) {
        const std::optional<std::string> name = InFileCodePage(*values.vehicle);
        const auto named = std::find_if(vehicles.begin(), vehicles.end(), [&](auto* vehicle) {
            return name && vehicle->Name.View() == *name;
        });
        if (named == vehicles.end())
            return "no vehicle named " + *values.vehicle;
        document.SelectedVehicle = *named;
    } else {
        document.SelectedVehicle = FirstVehicleByName(document.Vehicles());
    }

    if (categories != nullptr) {
        *filter = &document.AllCategoriesEntry;
        if (values.category && *values.category != TvDocument::kAllCategoriesName) {
            const std::optional<std::string> name = InFileCodePage(*values.category);
            CategoryEntry* named = nullptr;
            for (CategoryEntry& entry : categories->Items()) {
                if (name && entry.Name == *name) {
                    named = &entry;
                    break;
                }
            }
            if (named == nullptr)
                return "no category named " + *values.category;
            *filter = named;
        }
    }

    document.DisplayAllDates = values.from ? 0 : 1;
    if (values.from) {
        const auto from = ParseDay(*values.from, 0, 0, 0);
        if (!from)
            return "not a date (M/D/YYYY): " + *values.from;
        const auto to = ParseDay(*values.to, 23, 59, 59);
        if (!to)
            return "not a date (M/D/YYYY): " + *values.to;
        document.FromDate = *from;
        document.ToDate = *to;
    }
    if (values.now && !ParseMoment(*values.now))
        return "not a time (YYYY-MM-DD HH:MM:SS): " + *values.now;
    return std::nullopt;
}

} // namespace

std::optional<std::string> Apply(TvDocument& document, const Values& values,
                                 CategoryList* categories, CategoryEntry** filter) {
    try {
        return ApplyOrRaise(document, values, categories, filter);
    } catch (const MExcept& error) {
        return std::string(error.Message());
    }
}

std::optional<std::string> ApplyToLog(TvDocument& document, const Values& values, ExportLog log) {
    switch (log) {
    case ExportLog::Trips:
        return Apply(document, values, &document.Trips().Categories, &document.TripLogFilter);
    case ExportLog::Expenses:
        return Apply(document, values, &document.Expenses().Categories, &document.ExpenseLogFilter);
    case ExportLog::Services:
        break;
    }
    return Apply(document, values, nullptr, nullptr);
}

std::optional<std::string> Scan(const std::vector<std::string>& args, Values& values,
                                const std::vector<std::string>& withValue,
                                const OptionHandler& option, std::string& log, std::string& file) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* slot = Slot(values, arg);
        const bool takesValue = slot != nullptr || std::find(withValue.begin(), withValue.end(),
                                                             arg) != withValue.end();
        if (takesValue && i + 1 == args.size())
            return arg + " needs a value";
        if (slot != nullptr) {
            *slot = args[++i];
        } else if (arg.size() > 1 && arg.starts_with("-")) {
            if (auto problem = option(arg, takesValue ? args[++i] : std::string()))
                return problem;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2)
        return std::string("missing argument");
    if (positional.size() > 2)
        return std::string("too many arguments");
    log = positional[0];
    file = positional[1];
    return CheckPairs(values);
}

std::optional<int> ParseSortCode(const std::string& text) {
    int code = 0;
    const char* last = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), last, code);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != last)
        return std::nullopt;
    return code;
}

std::optional<MTime> Now(const Values& values) {
    return values.now ? ParseMoment(*values.now) : std::nullopt;
}

} // namespace FilterOptions
