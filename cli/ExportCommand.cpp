#include "ExportCommand.h"

#include "Clock.h"
#include "ExcelExport.h"
#include "FilterOptions.h"
#include "MExcept.h"
#include "OutputGuard.h"
#include "TextExport.h"
#include "ToolCommands.h"
#include "TvDocument.h"

#include <optional>

namespace ExportCommand {

const char* const kUsage =
    "tvtool export LOG FILE -o OUT [--format text|xls|xlsx] "
    "[--delimiter tab|comma|colon|semicolon] [--date-only] [--vehicle NAME] [--category NAME] "
    "[--from M/D/YYYY --to M/D/YYYY] [--now \"YYYY-MM-DD HH:MM:SS\"]";

const char* const kHelp =
    "Writes a log to a file exactly as the desktop program's export does for\n"
    "the same filter and settings: the records the log's list shows, in the\n"
    "order they are stored.\n"
    "  LOG                  trips, services or expenses\n"
    "  -o OUT               the file to write (replaced only once it is whole)\n"
    "  --format FORMAT      text (default): delimited text; xls: an Excel 5.0\n"
    "                       workbook (at most 16,383 records); xlsx: an Excel\n"
    "                       workbook\n"
    "  --delimiter NAME     the text format's field delimiter (default: comma)\n"
    "  --date-only          the text format's dates without the time of day\n"
    "  --vehicle NAME       the filter's vehicle (default: the first by name)\n"
    "  --category NAME      the filter's trip or expense category (default: All)\n"
    "  --from, --to M/D/YYYY  only these days, both included (default: all dates)\n"
    "  --now \"YYYY-MM-DD HH:MM:SS\"  the current time, which decides the service\n"
    "                       status (default: the real time)\n"
    "With the text format, a log without any record is not written: tvtool says\n"
    "so and exits 1. A workbook of such a log holds its header row.\n";

namespace {

enum class Format { Text, Excel5, Xlsx };

struct Options {
    ExportLog log = ExportLog::Trips;
    std::string file;
    std::string out;
    Format format = Format::Text;
    TextExportSettings text;
    bool textOptionGiven = false;
    FilterOptions::Values filter;
};

std::optional<Format> FormatNamed(const std::string& name) {
    if (name == "text")
        return Format::Text;
    if (name == "xls")
        return Format::Excel5;
    if (name == "xlsx")
        return Format::Xlsx;
    return std::nullopt;
}

std::optional<char> DelimiterNamed(const std::string& name) {
    if (name == "tab")
        return '\t';
    if (name == "comma")
        return ',';
    if (name == "colon")
        return ':';
    if (name == "semicolon")
        return ';';
    return std::nullopt;
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, Options& options) {
    const auto option = [&options](const std::string& name,
                                   const std::string& value) -> std::optional<std::string> {
        if (name == "-o") {
            options.out = value;
        } else if (name == "--format") {
            const std::optional<Format> format = FormatNamed(value);
            if (!format)
                return "unknown format: " + value + " (text, xls, xlsx)";
            options.format = *format;
        } else if (name == "--delimiter") {
            const std::optional<char> delimiter = DelimiterNamed(value);
            if (!delimiter)
                return "unknown delimiter: " + value + " (tab, comma, colon, semicolon)";
            options.text.Delimiter = *delimiter;
            options.textOptionGiven = true;
        } else if (name == "--date-only") {
            options.text.DateTimeExportFormat = 1;
            options.textOptionGiven = true;
        } else {
            return "unknown option: " + name;
        }
        return std::nullopt;
    };
    std::string log;
    if (auto problem = FilterOptions::Scan(args, options.filter, {"-o", "--format", "--delimiter"},
                                           option, log, options.file))
        return problem;
    const std::optional<ExportLog> named = ExportLogNamed(log);
    if (!named)
        return "unknown log: " + log + " (trips, services, expenses)";
    options.log = *named;
    if (options.out.empty())
        return std::string("no output file (-o OUT)");
    if (options.log == ExportLog::Services && options.filter.category)
        return std::string("the service log has no category filter");
    if (options.format != Format::Text && options.textOptionGiven)
        return std::string("--delimiter and --date-only belong to the text format");
    return std::nullopt;
}

int Export(TvDocument& document, const Options& options, std::FILE* err) {
    if (options.format == Format::Text && ExportStoreIsEmpty(document, options.log)) {
        std::fprintf(err, "%s\n", NoRecordsMessage(options.log));
        return kExitDataError;
    }
    try {
        // A refused target is told before anything about the rows.
        OutputGuard::Check(options.out);
        if (options.format == Format::Text)
            ExportTextFile(document, options.log, options.text, options.out, nullptr);
        else
            ExportWorkbookFile(document, options.log,
                               options.format == Format::Excel5 ? WorkbookFormat::Excel5
                                                                : WorkbookFormat::Xlsx,
                               options.out, nullptr);
    } catch (const MExceptTooManyRows& refused) {
        std::fprintf(err, "%s\n", refused.Message());
        return kExitDataError;
    } catch (const MExcept& error) {
        std::fprintf(err, "%s. %s\n", error.Message(), options.out.c_str());
        return kExitDataError;
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s. %s\n", MExceptOutOfMemory().Message(), options.out.c_str());
        return kExitDataError;
    } catch (const std::exception& error) {
        std::fprintf(err, "%s. %s\n", error.what(), options.out.c_str());
        return kExitDataError;
    }
    return kExitOk;
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError) {
    Options options;
    if (const auto problem = ParseOptions(args, options))
        return usageError(*problem);
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, options.file, err))
        return kExitDataError;
    if (const auto problem = FilterOptions::ApplyToLog(document, options.filter, options.log))
        return usageError(*problem);
    if (const std::optional<MTime> now = FilterOptions::Now(options.filter)) {
        const Clock::ScopedFix fixed(*now);
        return Export(document, options, err);
    }
    return Export(document, options, err);
}

} // namespace ExportCommand
