#include "ToolCommands.h"

#include "DueCommand.h"
#include "InstanceRecord.h"
#include "JsonDump.h"
#include "ListCommand.h"
#include "MExcept.h"
#include "OutputGuard.h"
#include "SampleGenerator.h"
#include "StatsCommand.h"
#include "ToolModules.h"
#include "TvDocument.h"

#include <charconv>
#include <string_view>
#include <sys/stat.h>

namespace {

constexpr const char* kToolUsage =
    "usage: tvtool COMMAND [ARGS] (dump, check, resave, sample, list, export, import, "
    "report, stats, due)\n";

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
    "  due FILE [...]    list the service that is past due or due soon\n"
    "\n"
    "Run 'tvtool COMMAND --help' for a command's options, 'tvtool --version' for\n"
    "the version.\n"
    "Exit status: 0 success, 1 the data file could not be read or written,\n"
    "2 wrong arguments.\n";

bool SaveDocument(TvDocument& document, const std::string& path, std::FILE* err) {
    if (document.OnSaveDocument(path))
        return true;
    std::fprintf(err, "%s. %s\n", document.LastError().c_str(), path.c_str());
    return false;
}

int RunDump(const ToolCommand&, const std::vector<std::string>& args, std::FILE* out,
            std::FILE* err) {
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, args[0], err))
        return kExitDataError;
    DumpJson(document, out);
    return kExitOk;
}

int RunCheck(const ToolCommand&, const std::vector<std::string>& args, std::FILE* out,
             std::FILE* err) {
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

int RunResave(const ToolCommand&, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err) {
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

int RunSample(const ToolCommand& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err);

int RunList(const ToolCommand& command, const std::vector<std::string>& args, std::FILE* out,
            std::FILE* err) {
    return ListCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunStats(const ToolCommand& command, const std::vector<std::string>& args, std::FILE* out,
             std::FILE* err) {
    return StatsCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunDue(const ToolCommand& command, const std::vector<std::string>& args, std::FILE* out,
           std::FILE* err) {
    return DueCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

const ToolCommand kCommands[] = {
    {"dump", "tvtool dump FILE",
     "Prints the whole data file as JSON: the five stores in file order with\n"
     "their header words, categories and records, deleted ones included.\n",
     RunDump, 1},
    {"check", "tvtool check FILE",
     "Opens the data file as the desktop program does and prints one line per\n"
     "store with its live and deleted record counts.\n",
     RunCheck, 1},
    {"resave", "tvtool resave IN OUT",
     "Opens IN and saves it to OUT exactly as the desktop program saves.\n", RunResave, 2},
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
     RunSample, -1},
    {"list", ListCommand::kUsage, ListCommand::kHelp, RunList, -1},
    {"stats", StatsCommand::kUsage, StatsCommand::kHelp, RunStats, -1},
    {"due", DueCommand::kUsage, DueCommand::kHelp, RunDue, -1},
};

int RunSample(const ToolCommand& command, const std::vector<std::string>& args, std::FILE*,
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

int UsageError(std::FILE* err, const ToolCommand& command, const std::string& problem) {
    std::fprintf(err, "tvtool %s: %s\nusage: %s\n", command.name, problem.c_str(), command.usage);
    return kExitUsage;
}

std::vector<OutputGuard::ProtectedFile> RunningDeskFiles() {
    using OutputGuard::Kind;
    const std::string lock = InstanceRecord::LockPath();
    std::vector<OutputGuard::ProtectedFile> files = {{Kind::ProgramFile, lock, std::nullopt}};
    if (const std::optional<InstanceRecord> record = InstanceRecord::Read(lock)) {
        files.push_back({Kind::ForeignDataFile, record->DataFile, std::nullopt});
        files.push_back({Kind::ProgramFile, record->Socket, std::nullopt});
        files.push_back({Kind::ProgramFile, record->TraceLog, std::nullopt});
    }
    return files;
}

int RunTool(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const OutputGuard::Registration runningDesk(RunningDeskFiles);
    if (args.empty()) {
        std::fputs(kToolUsage, err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(kToolHelp, out);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::fputs("tvtool " TV_VERSION "\n", out);
        return kExitOk;
    }
    const ToolCommand* command = nullptr;
    for (const ToolCommand& candidate : kCommands)
        if (args[0] == candidate.name)
            command = &candidate;
    // Commands that need libraries beyond the data layer are in the module.
    bool moduleMissing = false;
    if (command == nullptr)
        command = ToolModules::Find(args[0], ToolModules::kCommandModule, err, moduleMissing);
    if (command == nullptr) {
        std::fprintf(err, "tvtool: unknown command '%s'%s\n", args[0].c_str(),
                     moduleMissing ? ", or one of the command module's, which could not be loaded"
                                   : "");
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
    const int expected = command->positional;
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
