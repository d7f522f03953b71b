#include "ModuleCommands.h"

#include "ExportCommand.h"
#include "ImportCommand.h"
#include "ReportCommand.h"

namespace {

int RunExport(const ToolCommand& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err) {
    const OutputGuard::Registration runningDesk(RunningDeskFiles);
    return ExportCommand::Run(args, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunImport(const ToolCommand& command, const std::vector<std::string>& args, std::FILE* out,
              std::FILE* err) {
    const OutputGuard::Registration runningDesk(RunningDeskFiles);
    return ImportCommand::Run(args, out, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

int RunReport(const ToolCommand& command, const std::vector<std::string>& args, std::FILE*,
              std::FILE* err) {
    const OutputGuard::Registration runningDesk(RunningDeskFiles);
    return ReportCommand::Run(args, err, [&command, err](const std::string& problem) {
        return UsageError(err, command, problem);
    });
}

// tvtool looks here for every command it does not hold itself.
const ToolCommand kCommands[] = {
    {"export", ExportCommand::kUsage, ExportCommand::kHelp, RunExport, -1},
    {"import", ImportCommand::kUsage, ImportCommand::kHelp, RunImport, -1},
    {"report", ReportCommand::kUsage, ReportCommand::kHelp, RunReport, -1},
};

} // namespace

const ToolCommandTable& ModuleCommands() {
    static const ToolCommandTable table{kCommands, std::size(kCommands)};
    return table;
}
