#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// tvtool export LOG FILE -o OUT [options]: writes the file the desktop
// program's export of that log writes for the same filter and settings.
namespace ExportCommand {

extern const char* const kUsage;
extern const char* const kHelp;

// args: everything after "export". Returns the tool's exit status; usage
// problems are reported through usageError.
int Run(const std::vector<std::string>& args, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError);

} // namespace ExportCommand
