#include "DueCommand.h"

#include "Clock.h"
#include "Cp1252.h"
#include "FilterOptions.h"
#include "ServiceDue.h"
#include "ToolCommands.h"
#include "TvDocument.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>

namespace DueCommand {

const char* const kUsage = "tvtool due FILE [--vehicle NAME] [--days N] [--distance D] [--json] "
                           "[--now \"YYYY-MM-DD HH:MM:SS\"]";

const char* const kHelp =
    "Lists the service entries that are past due or due soon, past due first:\n"
    "vehicle, service type, date, odometer, state and how far past or how soon,\n"
    "one line per entry with tabs between the fields, texts in UTF-8.\n"
    "An entry is due soon when its date is at most N days ahead (for a type with\n"
    "a time schedule) or its odometer at most D above the vehicle's reading.\n"
    "  --vehicle NAME   only this vehicle (default: every vehicle)\n"
    "  --days N         days ahead, 0 for none (default 14)\n"
    "  --distance D     miles or kilometers ahead, in the file's unit, 0 for none\n"
    "                   (default 500 miles or 800 kilometers)\n"
    "  --now \"YYYY-MM-DD HH:MM:SS\"  the current time (default: the real time)\n"
    "  --json           one JSON array of objects with \"vehicle\", \"serviceType\",\n"
    "                   \"date\" (ISO 8601, local time), \"odometer\" and \"state\"\n"
    "                   (\"past due\" or \"due soon\")\n"
    "Exit status: 0 nothing is due, 1 something is due soon, 3 something is past\n"
    "due, 2 wrong arguments, 4 the data file could not be read.\n";

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::optional<std::int32_t> ParseCount(const std::string& text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 0)
        return std::nullopt;
    return value;
}

std::string Utf8(std::string_view stored) {
    return Cp1252::ToUtf8(stored);
}

std::string IsoDate(const MTime& date) {
    char text[64];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d", date.GetYear() + 1900,
                  date.GetMonth() + 1, date.GetDay(), date.GetHour(), date.GetMinute(),
                  date.GetSecond());
    return text;
}

std::string Plural(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "12 days overdue, 300 miles over" or "in 3 days, in 120 miles": the date
// for a type with a time schedule, the reading for an entry that has one.
std::string MarginText(const DueService& due, const ServiceRowContext& context, bool metric) {
    const ServiceRecord& entry = *due.Entry;
    std::string text;
    const std::int64_t date = entry.Date.AsSeconds();
    if (context.HasTimeSchedule(entry) && date >= 0) {
        const std::int64_t ahead = date - context.NowSeconds();
        if (ahead <= 0)
            text = -ahead < kSecondsPerDay
                       ? std::string("due today")
                       : Plural(-ahead / kSecondsPerDay, "day", "days") + " overdue";
        else
            text = "in " + Plural((ahead + kSecondsPerDay - 1) / kSecondsPerDay, "day", "days");
    }
    if (entry.Odometer != 0) {
        const std::int64_t left =
            static_cast<std::int64_t>(entry.Odometer) - context.CurrentReading(entry);
        const char* one = metric ? "kilometer" : "mile";
        const char* many = metric ? "kilometers" : "miles";
        if (!text.empty())
            text += ", ";
        text += left > 0 ? "in " + Plural(left, one, many) : Plural(-left, one, many) + " over";
    }
    return text;
}

std::string JsonString(std::string_view utf8) {
    std::string text = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + '"';
}

const char* StateText(DueState state) {
    return state == DueState::PastDue ? "past due" : "due soon";
}

std::string DueJson(const std::vector<DueService>& due, const ServiceRowContext& context) {
    std::string json = "[";
    for (std::size_t i = 0; i < due.size(); ++i) {
        const ServiceRecord& entry = *due[i].Entry;
        json += i == 0 ? "\n  {" : ",\n  {";
        json += "\"vehicle\": " + JsonString(Utf8(due[i].Vehicle->Name.View()));
        json += ", \"serviceType\": " + JsonString(Utf8(context.TypeText(entry)));
        json += ", \"date\": " +
                (entry.Date.AsSeconds() >= 0 ? JsonString(IsoDate(entry.Date)) : "null");
        json += ", \"odometer\": " + std::to_string(entry.Odometer);
        json += ", \"state\": " + JsonString(StateText(due[i].State)) + "}";
    }
    return json + (due.empty() ? "]\n" : "\n]\n");
}

std::string DueLines(const std::vector<DueService>& due, const ServiceRowContext& context,
                     bool metric) {
    std::string text;
    for (const DueService& item : due) {
        const ServiceRecord& entry = *item.Entry;
        text += Utf8(item.Vehicle->Name.View()) + '\t' + Utf8(context.TypeText(entry)) + '\t' +
                entry.Date.DateText() + '\t' + std::to_string(entry.Odometer) + '\t' +
                StateText(item.State) + '\t' + MarginText(item, context, metric) + '\n';
    }
    return text;
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError) {
    FilterOptions::Values values;
    bool asJson = false;
    std::optional<std::int32_t> days;
    std::optional<std::int32_t> distance;
    const auto option = [&](const std::string& name,
                            const std::string& value) -> std::optional<std::string> {
        if (name == "--json") {
            asJson = true;
            return std::nullopt;
        }
        if (name != "--days" && name != "--distance")
            return "unknown option: " + name;
        const std::optional<std::int32_t> count = ParseCount(value);
        if (!count)
            return "not a whole number of 0 or more for " + name + ": " + value;
        (name == "--days" ? days : distance) = count;
        return std::nullopt;
    };
    // The scanner reads "LOG FILE"; the command's name stands in for the log.
    std::vector<std::string> withCommand{"due"};
    withCommand.insert(withCommand.end(), args.begin(), args.end());
    std::string command;
    std::string file;
    if (auto problem = FilterOptions::Scan(withCommand, values, {"--days", "--distance"}, option,
                                           command, file))
        return usageError(*problem);
    if (values.category || values.from)
        return usageError("due takes no --category, --from or --to");

    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, file, err))
        return kDataError;
    if (const auto problem = FilterOptions::Apply(document, values, nullptr, nullptr))
        return usageError(*problem);
    const VehicleRecord* vehicle = values.vehicle ? document.SelectedVehicle : nullptr;
    const Clock::ScopedFix now(FilterOptions::Now(values).value_or(Clock::Now()));

    const bool metric = document.Trips().UsesKilometres();
    ReminderWindow window = ReminderSettings().Window(metric);
    window.Days = days.value_or(window.Days);
    window.Distance = distance.value_or(window.Distance);
    const ServiceRowContext context(document);
    const std::vector<DueService> due = DueServices(document, context, window, vehicle);
    const std::string text = asJson ? DueJson(due, context) : DueLines(due, context, metric);
    std::fwrite(text.data(), 1, text.size(), out);
    if (due.empty())
        return kNothingDue;
    return due.front().State == DueState::PastDue ? kPastDue : kDueSoon;
}

} // namespace DueCommand
