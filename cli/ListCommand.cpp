#include "ListCommand.h"

#include "Clock.h"
#include "Cp1252.h"
#include "ExpenseRows.h"
#include "FilterOptions.h"
#include "ServiceRows.h"
#include "ServiceTypeRows.h"
#include "ToolCommands.h"
#include "TripRows.h"
#include "TvDocument.h"
#include "VehicleRows.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace ListCommand {

const char* const kUsage =
    "tvtool list LOG FILE [--vehicle NAME] [--category NAME] "
    "[--from M/D/YYYY --to M/D/YYYY] [--sort CODE] [--now \"YYYY-MM-DD HH:MM:SS\"]";

const char* const kHelp =
    "Prints what a log's list shows for a filter: the column headings, then one\n"
    "line per row, cells separated by a tab, rows in the list's order.\n"
    "  LOG                  vehicles, trips, servicetypes, services or expenses\n"
    "  --vehicle NAME       the filter's vehicle (default: the first by name, with\n"
    "                       letter case and accents set aside)\n"
    "  --category NAME      the filter's category of trips or expenses (default: All)\n"
    "  --from, --to M/D/YYYY  only these days, both included (default: all dates)\n"
    "  --sort CODE          the list's sort code: column number, plus 128 for the\n"
    "                       other direction (default 0)\n"
    "  --now \"YYYY-MM-DD HH:MM:SS\"  the current time, which decides what service is\n"
    "                       due (default: the real time)\n";

namespace {

const char* const kLogs[] = {"vehicles", "trips", "servicetypes", "services", "expenses"};

struct Options {
    std::string log;
    std::string file;
    FilterOptions::Values filter;
    int sortCode = 0;
};

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, Options& options) {
    const auto option = [&options](const std::string& name,
                                   const std::string& value) -> std::optional<std::string> {
        if (name != "--sort")
            return "unknown option: " + name;
        const std::optional<int> code = FilterOptions::ParseSortCode(value);
        if (!code)
            return "not a sort code: " + value;
        options.sortCode = *code;
        return std::nullopt;
    };
    if (auto problem = FilterOptions::Scan(args, options.filter, {"--sort"}, option, options.log,
                                           options.file))
        return problem;
    if (std::find(std::begin(kLogs), std::end(kLogs), options.log) == std::end(kLogs))
        return "unknown log: " + options.log +
               " (vehicles, trips, servicetypes, services, expenses)";
    if (options.filter.category && options.log != "trips" && options.log != "expenses")
        return std::string("--category goes with trips or expenses");
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
    // The category names of the log's own list.
    CategoryList* categories =
        options.log == "expenses" ? &document.Expenses().Categories : &document.Trips().Categories;
    CategoryEntry** filter =
        options.log == "expenses" ? &document.ExpenseLogFilter : &document.TripLogFilter;
    if (const auto problem = FilterOptions::Apply(document, options.filter, categories, filter))
        return usageError(*problem);
    // Every status is judged at --now when it is given.
    std::optional<Clock::ScopedFix> now;
    if (const std::optional<MTime> moment = FilterOptions::Now(options.filter))
        now.emplace(*moment);

    const bool metric = document.Trips().UsesKilometres();
    const int code = options.sortCode;
    if (options.log == "vehicles") {
        std::vector<VehicleRecord*> rows = VehicleRows(document.Vehicles());
        SortVehicles(rows, code);
        PrintList(out, VehicleColumns(metric), rows, VehicleCellText);
    } else if (options.log == "trips") {
        std::vector<TripRecord*> rows =
            TripRows(document.Trips(), TripFilter::FromDocument(document));
        SortTrips(rows, code);
        PrintList(out, TripColumns(metric), rows, TripCellText);
    } else if (options.log == "servicetypes") {
        std::vector<ServiceTypeRecord*> rows = ServiceTypeRows(document.ServiceTypes());
        SortServiceTypes(rows, code);
        PrintList(out, ServiceTypeColumns(), rows, [metric](const auto& type, int column) {
            return ServiceTypeCellText(type, column, metric);
        });
    } else if (options.log == "services") {
        const ServiceRowContext context(document);
        std::vector<ServiceRecord*> rows =
            ServiceRows(document.Services(), ServiceFilter::FromDocument(document));
        SortServices(rows, code, context);
        PrintList(out, ServiceColumns(metric), rows, [&context](const auto& entry, int column) {
            return ServiceCellText(entry, column, context);
        });
    } else {
        std::vector<ExpenseRecord*> rows =
            ExpenseRows(document.Expenses(), ExpenseFilter::FromDocument(document));
        SortExpenses(rows, code);
        PrintList(out, ExpenseColumns(), rows, ExpenseCellText);
    }
    return kExitOk;
}

} // namespace ListCommand
