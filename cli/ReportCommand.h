#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// tvtool report LOG FILE -o OUT.pdf [options]: the pages the desktop program
// prints for a log's list, written to a PDF file on US Letter.
namespace ReportCommand {

extern const char* const kUsage;
extern const char* const kHelp;

// args: everything after "report". Returns the tool's exit status; usage
// problems are reported through usageError.
int Run(const std::vector<std::string>& args, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError);

} // namespace ReportCommand
