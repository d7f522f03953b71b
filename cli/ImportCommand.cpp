#include "ImportCommand.h"

#include "ImportSession.h"
#include "MExcept.h"
#include "TextEncoding.h"
#include "ToolCommands.h"
#include "TvDocument.h"

#include <optional>

namespace ImportCommand {

const char* const kUsage =
    "tvtool import FILE.tv INPUT --log trips|expenses|service|vehicles [--vehicle NAME] "
    "[--map COL=FIELD ...] [--date-order mdy|dmy|ymd] [--encoding utf-8|cp1252] "
    "[--delimiter comma|semicolon|tab|colon] [--sheet NAME] [--units metric|us] "
    "[--create-names] [--keep-duplicates] [--dry-run]";

const char* const kHelp =
    "Adds the rows of INPUT (delimited text, an .xls or an .xlsx workbook) to a\n"
    "log of the data file, as records made on the desktop. Every row is checked\n"
    "first; the accepted rows go in together, and nothing changes when none is\n"
    "accepted. A header row names the columns; this program's own exports need\n"
    "no options at all.\n"
    "  --log LOG            trips, expenses, service or vehicles\n"
    "  --vehicle NAME       the vehicle of rows that name none (the log exports\n"
    "                       carry none)\n"
    "  --map COL=FIELD      the field a column fills; COL is the header's text\n"
    "                       or the column's number from 1; FIELD one of date,\n"
    "                       start, end, start-odometer, end-odometer, odometer,\n"
    "                       distance, destination, vendor, description, cost,\n"
    "                       volume, price, category, vehicle, note, completed,\n"
    "                       service-type, name, license, vin, insurance, ignore\n"
    "  --date-order ORDER   mdy, dmy or ymd, for dates that read either way\n"
    "  --encoding NAME      utf-8 or cp1252 (default: detected)\n"
    "  --delimiter NAME     the text's delimiter (default: detected)\n"
    "  --sheet NAME         the workbook's sheet (default: the first)\n"
    "  --units NAME         the file's units, metric (kilometres, litres) or us\n"
    "                       (miles, gallons), converted into the data file's\n"
    "                       (default: the headers', else the data file's)\n"
    "  --create-names       create the vehicles and service types the file names\n"
    "                       and the data file lacks (else their rows are bad)\n"
    "  --keep-duplicates    add rows that duplicate a record of the log\n"
    "  --dry-run            check and report, write nothing\n"
    "Bad rows and duplicates are listed on stderr with their lines, then a\n"
    "summary. Exit status: 0 every row went in, 1 some rows were skipped, 2\n"
    "nothing was imported.\n";

namespace {

struct Options {
    std::string dataFile;
    std::string input;
    ImportOptions import;
    bool logGiven = false;
    std::vector<std::pair<std::string, ImportField>> maps;
    bool dryRun = false;
};

std::string ToCp1252(const std::string& utf8) {
    std::string bytes;
    return AppendUtf8AsCp1252(utf8, bytes) ? bytes : utf8;
}

std::optional<std::string> Parse(const std::vector<std::string>& args, Options& options) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--dry-run") {
            options.dryRun = true;
            continue;
        }
        if (arg == "--create-names") {
            options.import.createNames = true;
            continue;
        }
        if (arg == "--keep-duplicates") {
            options.import.keepDuplicates = true;
            continue;
        }
        if (!arg.starts_with("--")) {
            positional.push_back(arg);
            continue;
        }
        if (i + 1 == args.size())
            return arg + " needs a value";
        const std::string& value = args[++i];
        if (arg == "--log") {
            const std::optional<ImportLog> log = ImportLogNamed(value);
            if (!log)
                return "unknown log: " + value;
            options.import.log = *log;
            options.logGiven = true;
        } else if (arg == "--vehicle") {
            options.import.vehicle = ToCp1252(value);
        } else if (arg == "--map") {
            const std::size_t equals = value.rfind('=');
            const std::optional<ImportField> field =
                equals == std::string::npos ? std::nullopt
                                            : ImportFieldNamed(value.substr(equals + 1));
            if (!field)
                return "not COL=FIELD: " + value;
            options.maps.emplace_back(ToCp1252(value.substr(0, equals)), *field);
        } else if (arg == "--date-order") {
            if (value == "mdy")
                options.import.dateOrder = DateOrder::MonthDayYear;
            else if (value == "dmy")
                options.import.dateOrder = DateOrder::DayMonthYear;
            else if (value == "ymd")
                options.import.dateOrder = DateOrder::YearMonthDay;
            else
                return "unknown date order: " + value;
        } else if (arg == "--encoding") {
            if (value == "utf-8")
                options.import.text.encoding = TextEncoding::Utf8;
            else if (value == "cp1252")
                options.import.text.encoding = TextEncoding::Cp1252;
            else
                return "unknown encoding: " + value;
        } else if (arg == "--delimiter") {
            const char delimiter = value == "comma"       ? ','
                                   : value == "semicolon" ? ';'
                                   : value == "tab"       ? '\t'
                                   : value == "colon"     ? ':'
                                                          : '\0';
            if (delimiter == '\0')
                return "unknown delimiter: " + value;
            options.import.text.delimiter = delimiter;
        } else if (arg == "--sheet") {
            options.import.sheet = ToCp1252(value);
        } else if (arg == "--units") {
            if (value != "metric" && value != "us")
                return "unknown units: " + value;
            options.import.sourceMetric = value == "metric";
        } else {
            return "unexpected argument: " + arg;
        }
    }
    if (positional.size() != 2)
        return "needs FILE.tv and INPUT";
    if (!options.logGiven)
        return "--log is needed";
    options.dataFile = positional[0];
    options.input = positional[1];
    return std::nullopt;
}

std::string Summary(const ImportCheck& check, ImportLog log, std::size_t added, bool dryRun) {
    std::string text = (dryRun ? "would import " : "imported ") + RecordCountText(log, added);
    const std::size_t skipped = check.duplicates - check.keptDuplicates;
    if (skipped != 0)
        text += ", skipped " + GroupedNumber(static_cast<long long>(skipped)) +
                (skipped == 1 ? " duplicate" : " duplicates");
    if (check.bad != 0)
        text += ", " + GroupedNumber(static_cast<long long>(check.bad)) +
                (check.bad == 1 ? " bad row" : " bad rows");
    return text;
}

void ListNames(std::FILE* err, const char* what, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        std::fprintf(err, "%s \"%s\"\n", what, name.c_str());
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE*, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError) {
    Options options;
    if (const std::optional<std::string> problem = Parse(args, options))
        return usageError(*problem);

    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, options.dataFile, err))
        return kExitNothingImported;
    ImportCheck check;
    try {
        ImportSession session(options.input, options.import);
        for (const auto& [column, field] : options.maps) {
            const std::optional<std::size_t> at = session.ColumnNamed(column);
            if (!at)
                return usageError("no column " + column);
            session.SetField(*at, field);
        }
        check = session.Check(document, nullptr);
    } catch (const MExcept& failure) {
        std::fprintf(err, "%s %s\n", options.input.c_str(), failure.Message());
        return kExitNothingImported;
    }
    for (const RowVerdict& verdict : check.verdicts)
        std::fprintf(err, "%s\n", verdict.text.c_str());
    const std::size_t unlisted = check.bad + check.duplicates - check.verdicts.size();
    if (unlisted != 0)
        std::fprintf(err, "and %zu more rows\n", unlisted);
    ListNames(err, "new vehicle", check.newVehicles);
    ListNames(err, "new service type", check.newServiceTypes);
    ListNames(err, "new category", check.newCategories);
    ListNames(err, "category list full, to Unfiled:", check.unfiledCategories);

    const bool allIn = check.Accepted() == check.rows;
    const ImportLog log = options.import.log;
    const std::size_t accepted = check.Accepted();
    if (accepted == 0 || options.dryRun) {
        std::fprintf(err, "%s\n", Summary(check, log, accepted, options.dryRun).c_str());
        return accepted == 0 ? kExitNothingImported : allIn ? kExitAllImported : kExitSomeSkipped;
    }
    ApplyImport(document, std::move(check));
    document.SetModifiedFlag(true);
    if (!document.OnSaveDocument(options.dataFile)) {
        std::fprintf(err, "%s. %s\n", document.LastError().c_str(), options.dataFile.c_str());
        return kExitNothingImported;
    }
    std::fprintf(err, "%s\n", Summary(check, log, accepted, false).c_str());
    return allIn ? kExitAllImported : kExitSomeSkipped;
}

} // namespace ImportCommand
