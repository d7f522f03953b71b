#include "StatsCommand.h"

#include "Clock.h"
#include "Cp1252.h"
#include "ExpenseRows.h"
#include "FilterOptions.h"
#include "ToolCommands.h"
#include "TvDocument.h"
#include "VehicleStatistics.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string_view>

namespace StatsCommand {

const char* const kUsage = "tvtool stats FILE [--vehicle NAME] [--from M/D/YYYY --to M/D/YYYY] "
                           "[--now \"YYYY-MM-DD HH:MM:SS\"] [--json]";

const char* const kHelp =
    "Prints what one vehicle did and cost over a range of days, every trip and\n"
    "expense category included: trips and distance, costs, fill-ups, fuel\n"
    "efficiency, cost per distance unit, service work, and the figures of each\n"
    "month and fill-up. One \"Label<TAB>value\" line per figure, texts in UTF-8.\n"
    "  --vehicle NAME       the vehicle (default: the first by name, with letter\n"
    "                       case and accents set aside)\n"
    "  --from, --to M/D/YYYY  only these days, both included (default: all dates)\n"
    "  --now \"YYYY-MM-DD HH:MM:SS\"  the current time, which decides what service is\n"
    "                       due (default: the real time)\n"
    "  --json               one JSON object instead: \"trips\", \"distance\" (whole\n"
    "                       distance units), \"cost\" (currency units), \"fillUps\",\n"
    "                       \"volume\" (gallons or litres), \"averageEfficiency\"\n"
    "                       (null when unknown) and the other figures\n";

namespace {

struct Units {
    const char* distance;   // "miles"
    const char* perUnit;    // "mile"
    const char* volume;     // "gallons"
    const char* efficiency; // "miles per gallon"
};

Units UnitsOf(bool metric) {
    return metric ? Units{"kilometers", "kilometer", "liters", "kilometers per liter"}
                  : Units{"miles", "mile", "gallons", "miles per gallon"};
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

// "%.2f" of thousandths, as the lists show costs and volumes.
std::string Hundredths(std::int64_t thousandths) {
    return Format("%.2f", static_cast<double>(thousandths) * 0.001);
}

std::string Utf8(std::string_view stored) {
    return Cp1252::ToUtf8(stored.substr(0, stored.find('\0')));
}

std::string DateTimeText(const MTime& date) {
    return Format("%04d-%02d-%02d %02d:%02d:%02d", date.GetYear() + 1900, date.GetMonth() + 1,
                  date.GetDay(), date.GetHour(), date.GetMinute(), date.GetSecond());
}

std::string NextServiceText(const NextServiceDue& due, const Units& units) {
    std::string text = Utf8(due.TypeName);
    if (due.Date)
        text += ", " + due.Date->DateText();
    if (due.Odometer)
        text += Format(", %d %s", *due.Odometer, units.distance);
    return text;
}

// "Label<TAB>value" lines.
class TextLines {
public:
    void Line(const std::string& label, const std::string& value) {
        m_text += label;
        m_text += '\t';
        m_text += value;
        m_text += '\n';
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

std::string StatisticsText(const VehicleStatistics& figures, const StatisticsScope& scope) {
    const Units units = UnitsOf(figures.Metric);
    const auto efficiency = [&units](const std::optional<double>& value) {
        return value ? Format("%.2f %s", *value, units.efficiency) : std::string("Unknown");
    };
    TextLines lines;
    lines.Line("Vehicle", scope.Vehicle != nullptr ? Utf8(scope.Vehicle->Name.View()) : "None");
    lines.Line("Dates", scope.AllDates ? "All dates" : MTime::RangeText(scope.From, scope.To));

    lines.Line("Trips", std::to_string(figures.TripCount));
    lines.Line("Distance",
               Format("%lld %s", static_cast<long long>(figures.Distance), units.distance));
    for (const NamedAmount& category : figures.DistanceByCategory)
        lines.Line("Distance, " + Utf8(category.Name),
                   Format("%lld %s", static_cast<long long>(category.Amount), units.distance));

    lines.Line("Expenses", std::to_string(figures.ExpenseCount));
    lines.Line("Cost", Hundredths(figures.Cost));
    for (const NamedAmount& category : figures.CostByCategory)
        lines.Line("Cost, " + Utf8(category.Name), Hundredths(category.Amount));
    lines.Line("Fill-ups", std::to_string(figures.FillUps));
    lines.Line("Volume", Hundredths(figures.Volume) + " " + units.volume);
    lines.Line("Fuel cost", Hundredths(figures.FuelCost));
    lines.Line("Average efficiency", efficiency(figures.AverageEfficiency));

    lines.Line(std::string("Cost per ") + units.perUnit,
               figures.CostPerDistance ? Format("%.2f", *figures.CostPerDistance) : "Unknown");
    const std::string costDistance =
        Format("%lld %s", static_cast<long long>(figures.CostDistance), units.distance);
    switch (figures.CostDistanceSource) {
    case DistanceSource::Trips:
        lines.Line("Cost distance", costDistance + ", from the trips");
        break;
    case DistanceSource::Odometer:
        lines.Line("Cost distance", costDistance + ", from the expenses' odometer readings");
        break;
    case DistanceSource::None:
        lines.Line("Cost distance", "Unknown");
        break;
    }

    lines.Line("Services completed", std::to_string(figures.ServicesCompleted));
    lines.Line("Services past due", std::to_string(figures.ServicesPastDue));
    lines.Line("Next service", figures.NextDue ? NextServiceText(*figures.NextDue, units) : "None");

    for (const FillUpPoint& point : figures.FillUpPoints)
        lines.Line("Fill-up " + point.Date.DateText(),
                   Format("%d %s, %s %s, ", point.Odometer, units.distance,
                          Hundredths(point.Volume).c_str(), units.volume) +
                       efficiency(point.Efficiency));
    for (const MonthFigures& month : figures.Months) {
        std::int64_t cost = 0;
        for (const std::int64_t amount : month.CostByCategory)
            cost += amount;
        lines.Line(Format("Month %d/%d", month.Month, month.Year),
                   Format("%lld %s, ", static_cast<long long>(month.Distance), units.distance) +
                       Hundredths(cost));
    }
    return lines.Text();
}

// Writes JSON values; texts are taken as stored (Windows-1252) and written in
// UTF-8.
class JsonText {
public:
    void Raw(std::string_view text) { m_text += text; }
    void Key(std::string_view name) {
        Raw(m_first ? "\n  " : ",\n  ");
        m_first = false;
        String(name);
        Raw(": ");
    }
    void Integer(std::int64_t value) { Raw(std::to_string(value)); }
    void Thousandths(std::int64_t value) { Raw(ExactAmountText(value)); }
    void Real(const std::optional<double>& value) {
        if (!value) {
            Raw("null");
            return;
        }
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof(digits), *value);
        Raw(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }
    void Stored(std::string_view text) { String(Utf8(text)); }
    // [{"name": ..., "<valueKey>": ...}, ...]
    template <typename WriteAmount>
    void NamedAmounts(const std::vector<NamedAmount>& amounts, std::string_view valueKey,
                      WriteAmount writeAmount) {
        Raw("[");
        for (std::size_t i = 0; i < amounts.size(); ++i) {
            Raw(i == 0 ? "{\"name\": " : ", {\"name\": ");
            Stored(amounts[i].Name);
            Raw(", ");
            String(valueKey);
            Raw(": ");
            writeAmount(amounts[i].Amount);
            Raw("}");
        }
        Raw("]");
    }
    void String(std::string_view utf8) {
        m_text += '"';
        for (const char c : utf8) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                m_text += '\\';
                m_text += c;
            } else if (byte < 0x20) {
                m_text += Format("\\u%04x", byte);
            } else {
                m_text += c;
            }
        }
        m_text += '"';
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    bool m_first = true;
};

std::string StatisticsJson(const VehicleStatistics& figures, const StatisticsScope& scope) {
    JsonText json;
    json.Raw("{");
    json.Key("vehicle");
    if (scope.Vehicle != nullptr)
        json.Stored(scope.Vehicle->Name.View());
    else
        json.Raw("null");
    json.Key("from");
    json.Raw(scope.AllDates ? "null" : "\"" + scope.From.DateText() + "\"");
    json.Key("to");
    json.Raw(scope.AllDates ? "null" : "\"" + scope.To.DateText() + "\"");
    json.Key("metric");
    json.Raw(figures.Metric ? "true" : "false");

    json.Key("trips");
    json.Integer(figures.TripCount);
    json.Key("distance");
    json.Integer(figures.Distance);
    json.Key("distanceByCategory");
    json.NamedAmounts(figures.DistanceByCategory, "distance",
                      [&json](std::int64_t amount) { json.Integer(amount); });

    json.Key("expenses");
    json.Integer(figures.ExpenseCount);
    json.Key("cost");
    json.Thousandths(figures.Cost);
    json.Key("costByCategory");
    json.NamedAmounts(figures.CostByCategory, "cost",
                      [&json](std::int64_t amount) { json.Thousandths(amount); });
    json.Key("fillUps");
    json.Integer(figures.FillUps);
    json.Key("volume");
    json.Thousandths(figures.Volume);
    json.Key("fuelCost");
    json.Thousandths(figures.FuelCost);
    json.Key("averageEfficiency");
    json.Real(figures.AverageEfficiency);

    json.Key("costPerDistance");
    json.Real(figures.CostPerDistance);
    json.Key("costDistance");
    json.Integer(figures.CostDistance);
    json.Key("costDistanceSource");
    json.Raw(figures.CostDistanceSource == DistanceSource::Trips      ? "\"trips\""
             : figures.CostDistanceSource == DistanceSource::Odometer ? "\"odometer\""
                                                                      : "null");

    json.Key("servicesCompleted");
    json.Integer(figures.ServicesCompleted);
    json.Key("servicesPastDue");
    json.Integer(figures.ServicesPastDue);
    json.Key("nextService");
    if (figures.NextDue) {
        json.Raw("{\"type\": ");
        json.Stored(figures.NextDue->TypeName);
        json.Raw(", \"date\": ");
        json.Raw(figures.NextDue->Date ? "\"" + DateTimeText(*figures.NextDue->Date) + "\""
                                       : "null");
        json.Raw(", \"odometer\": ");
        json.Raw(figures.NextDue->Odometer ? std::to_string(*figures.NextDue->Odometer) : "null");
        json.Raw("}");
    } else {
        json.Raw("null");
    }

    json.Key("fillUpPoints");
    json.Raw("[");
    for (std::size_t i = 0; i < figures.FillUpPoints.size(); ++i) {
        const FillUpPoint& point = figures.FillUpPoints[i];
        json.Raw(i == 0 ? "\n    {\"date\": \"" : ",\n    {\"date\": \"");
        json.Raw(DateTimeText(point.Date));
        json.Raw("\", \"odometer\": ");
        json.Integer(point.Odometer);
        json.Raw(", \"volume\": ");
        json.Thousandths(point.Volume);
        json.Raw(", \"efficiency\": ");
        json.Real(point.Efficiency);
        json.Raw("}");
    }
    json.Raw(figures.FillUpPoints.empty() ? "]" : "\n  ]");

    json.Key("months");
    json.Raw("[");
    for (std::size_t i = 0; i < figures.Months.size(); ++i) {
        const MonthFigures& month = figures.Months[i];
        json.Raw(i == 0 ? "\n    {\"year\": " : ",\n    {\"year\": ");
        json.Integer(month.Year);
        json.Raw(", \"month\": ");
        json.Integer(month.Month);
        json.Raw(", \"distance\": ");
        json.Integer(month.Distance);
        std::int64_t cost = 0;
        for (const std::int64_t amount : month.CostByCategory)
            cost += amount;
        json.Raw(", \"cost\": ");
        json.Thousandths(cost);
        json.Raw(", \"costByCategory\": [");
        for (std::size_t k = 0; k < month.CostByCategory.size(); ++k) {
            json.Raw(k == 0 ? "" : ", ");
            json.Thousandths(month.CostByCategory[k]);
        }
        json.Raw("]}");
    }
    json.Raw(figures.Months.empty() ? "]" : "\n  ]");
    json.Raw("\n}\n");
    return json.Text();
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError) {
    FilterOptions::Values values;
    bool asJson = false;
    const auto option = [&asJson](const std::string& name,
                                  const std::string&) -> std::optional<std::string> {
        if (name != "--json")
            return "unknown option: " + name;
        asJson = true;
        return std::nullopt;
    };
    // The scanner reads "LOG FILE"; the command's name stands in for the log.
    std::vector<std::string> withCommand{"stats"};
    withCommand.insert(withCommand.end(), args.begin(), args.end());
    std::string command;
    std::string file;
    if (auto problem = FilterOptions::Scan(withCommand, values, {}, option, command, file))
        return usageError(*problem);
    if (values.category)
        return usageError("--category does not go with stats: the figures cover every category");

    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, file, err))
        return kExitDataError;
    if (const auto problem = FilterOptions::Apply(document, values, nullptr, nullptr))
        return usageError(*problem);
    const MTime now = FilterOptions::Now(values).value_or(Clock::Now());
    const StatisticsScope scope = StatisticsScope::FromDocument(document);
    const VehicleStatistics figures = ComputeVehicleStatistics(document, scope, now);
    const std::string text =
        asJson ? StatisticsJson(figures, scope) : StatisticsText(figures, scope);
    std::fwrite(text.data(), 1, text.size(), out);
    return kExitOk;
}

} // namespace StatsCommand
