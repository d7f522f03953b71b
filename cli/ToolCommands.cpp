#include "ToolCommands.h"

#include "ExportCommand.h"
#include "ImportCommand.h"
#include "JsonDump.h"
#include "ListCommand.h"
#include "MExcept.h"
#include "ReportCommand.h"
#include "SampleGenerator.h"
#include "StatsCommand.h"
#include "TvDocument.h"

#include <charconv>
#include <string_view>
#include <sys/stat.h>

namespace {

constexpr const char* kToolUsage =
    "usage: tvtool COMMAND [ARGS] (dump, check, resave, sample, list, export, import, "
    "report, stats)\n";

constexpr const char* kToolHelp =
    "tvtool: the Tarvenly Desktop data file from the command line.\n"
    "\n"
    "Commands:\n"
    "  dump FILE         print the whole data file as JSON\n"
    "  check FILE        open the data file and count the live and deleted\n"
    "                    records of each store\n"
    "  resave IN OUT     open IN and save it to OUT as the desktop program does\n"
    "  sample OUT [...]  write a generated data file with realistic records\n"
    "  list LOG FILE [...]  print what a log's list shows for a filter\n"
    "  export LOG FILE -o OUT [...]  write a log to a text file or a workbook as\n"
    "                    the desktop program's export does\n"
    "  import FILE.tv INPUT --log LOG [...]  add the rows of a text file or a\n"
    "                    workbook to a log\n"
    "  report LOG FILE -o OUT.pdf [...]  write a log's printed report to a PDF\n"
    "                    file\n"
    "  stats FILE [...]  print what a vehicle did and cost over a range of days\n"
    "\n"
    "Run 'tvtool COMMAND --help' for a command's options.\n"
    "Exit status: 0 success, 1 the data file could not be read or written,\n"
    "2 wrong arguments.\n";

struct Command;
using CommandRunner = int (*)(const Command& self, const std::vector<std::string>& args,
                              std::FILE* out, std::FILE* err);

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    CommandRunner run;
};

int UsageError(std::FILE* err, const Command& command, const std::string& problem) {
    std::fprintf(err, "tvtool %s: %s\nusage: %s\n", command.name, problem.c_str(), command.usage);
    return kExitUsage;
}

bool SaveDocument(TvDocument& document, const std::string& path, std::FILE* err) {
    if (document.OnSaveDocument(path))
        return true;
    std::fprintf(err, "%s. %s\n", document.LastError().c_str(), path.c_str());
    return false;
}

int RunDump(const Command&, const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, args[0], err))
        return kExitDataError;
    DumpJson(document, out);
    return kExitOk;
}

int RunCheck(const Command&, const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, args[0], err))
        return kExitDataError;
    const std::pair<const char*, const RecordStore*> stores[] = {
        {"vehicles", &document.Vehicles()},
        {"serviceTypes", &document.ServiceTypes()},
        {"services", &document.Services()},
        {"trips", &document.Trips()},
        {"expenses", &document.Expenses()}};
    for (const auto& [name, store] : stores) {
        const std::size_t live = store->LiveCount();
        std::fprintf(out, "%s: %zu live, %zu deleted\n", name, live, store->Count() - live);
    }
    return kExitOk;
}

int RunResave(const Command&, const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, args[0], err))
        return kExitDataError;
    return SaveDocument(document, args[1], err) ? kExitOk : kExitDataError;
}

template <typename Integer> bool ParseNumber(const std::string& text, Integer& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

int RunSample(const Command& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err);

int RunList(const Command& command, const std::vector<std::string>& args, std::FILE* out,
            std::FILE* err) {
    return ListCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunExport(const Command& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err) {
    return ExportCommand::Run(args, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunImport(const Command& command, const std::vector<std::string>& args, std::FILE* out,
              std::FILE* err) {
    return ImportCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunReport(const Command& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err) {
    return ReportCommand::Run(args, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunStats(const Command& command, const std::vector<std::string>& args, std::FILE* out,
             std::FILE* err) {
    return StatsCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

const Command kCommands[] = {
    {"dump", "tvtool dump FILE",
     "Prints the whole data file as JSON: the five stores in file order with\n"
     "their header words, categories and records, deleted ones included.\n",
     RunDump},
    {"check", "tvtool check FILE",
     "Opens the data file as the desktop program does and prints one line per\n"
     "store with its live and deleted record counts.\n",
     RunCheck},
    {"resave", "tvtool resave IN OUT",
     "Opens IN and saves it to OUT exactly as the desktop program saves.\n", RunResave},
    {"sample",
     "tvtool sample OUT [--vehicles N] [--trips N] [--services N] [--expenses N] "
     "[--seed S] [--metric]",
     "Writes a generated data file with realistic records. The same options\n"
     "always give the same file.\n"
     "  --vehicles N   vehicles (default 4)\n"
     "  --trips N      trips (default 2000)\n"
     "  --services N   service entries (default 80)\n"
     "  --expenses N   expenses (default 400)\n"
     "  --seed S       seed of the generator (default 1)\n"
     "  --metric       kilometres and litres instead of miles and gallons\n",
     RunSample},
    {"list", ListCommand::kUsage, ListCommand::kHelp, RunList},
    {"export", ExportCommand::kUsage, ExportCommand::kHelp, RunExport},
    {"import", ImportCommand::kUsage, ImportCommand::kHelp, RunImport},
    {"report", ReportCommand::kUsage, ReportCommand::kHelp, RunReport},
    {"stats", StatsCommand::kUsage, StatsCommand::kHelp, RunStats},
};

int RunSample(const Command& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err) {
    SampleOptions options;
    std::string target;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::uint32_t* count = arg == "--vehicles"   ? &options.Vehicles
                               : arg == "--trips"    ? &options.Trips
                               : arg == "--services" ? &options.Services
                               : arg == "--expenses" ? &options.Expenses
                                                     : nullptr;
        if (count != nullptr || arg == "--seed") {
            if (i + 1 == args.size())
                return UsageError(err, command, arg + " needs a value");
            const std::string& value = args[++i];
            const bool parsed =
                count != nullptr ? ParseNumber(value, *count) : ParseNumber(value, options.Seed);
            if (!parsed)
                return UsageError(err, command, "not a number for " + arg + ": " + value);
        } else if (arg == "--metric") {
            options.Metric = true;
        } else if (arg.starts_with("--") || !target.empty()) {
            return UsageError(err, command, "unexpected argument: " + arg);
        } else {
            target = arg;
        }
    }
    if (target.empty())
        return UsageError(err, command, "no output file");
    TvDocument document;
    GenerateSample(document, options);
    return SaveDocument(document, target, err) ? kExitOk : kExitDataError;
}

// The positional arguments a command takes, or -1 when it parses its own.
int PositionalCount(const Command& command) {
    const std::string_view name = command.name;
    if (name == "sample" || name == "list" || name == "export" || name == "import" ||
        name == "report" ||
        name == "stats")
        return -1;
    return name == "resave" ? 2 : 1;
}

} // namespace

namespace {

bool g_leaveToProcessExit = false;
// The data set left to the process exit (one command runs per process)
// stays reachable from here, so that leak checkers do not count it.
TvDocument* g_leftToExit = nullptr;

} // namespace

ToolDocument::ToolDocument() : m_document(new TvDocument) {}

ToolDocument::~ToolDocument() {
    if (g_leaveToProcessExit && g_leftToExit == nullptr)
        g_leftToExit = m_document;
    else
        delete m_document;
}

void ToolDocument::LeaveToProcessExit() {
    g_leaveToProcessExit = true;
}

// The command-line tool never creates a data file by looking at it: the
// document would start a new data set for a missing path.
bool OpenExistingDocument(TvDocument& document, const std::string& path, std::FILE* err) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        std::fprintf(err, "%s. %s\n", MExceptFileOpenError().Message(), path.c_str());
        return false;
    }
    if (document.OnOpenDocument(path))
        return true;
    std::fprintf(err, "%s\n", document.LastError().c_str());
    return false;
}

int RunTool(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        std::fputs(kToolUsage, err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kToolHelp, out);
        return kExitOk;
    }
    const Command* command = nullptr;
    for (const Command& candidate : kCommands)
        if (args[0] == candidate.name)
            command = &candidate;
    if (command == nullptr) {
        std::fprintf(err, "tvtool: unknown command '%s'\n", args[0].c_str());
        std::fputs(kToolUsage, err);
        return kExitUsage;
    }

    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& arg : rest) {
        if (arg == "--help" || arg == "-h") {
            std::fprintf(out, "usage: %s\n\n%s", command->usage, command->help);
            return kExitOk;
        }
    }
    const int expected = PositionalCount(*command);
    if (expected >= 0) {
        for (const std::string& arg : rest)
            if (arg.starts_with("--"))
                return UsageError(err, *command, "unknown option: " + arg);
        if (rest.size() != static_cast<std::size_t>(expected))
            return UsageError(err, *command,
                              rest.size() < static_cast<std::size_t>(expected)
                                  ? "missing argument"
                                  : "too many arguments");
    }
    return command->run(*command, rest, out, err);
}
