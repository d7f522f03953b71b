#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// tvtool list LOG FILE [options]: what a log's list shows for a filter, as
// tab-separated lines: the column headings, then one line per row.
namespace ListCommand {

extern const char* const kUsage;
extern const char* const kHelp;

// args: everything after "list". Returns the tool's exit status; usage
// problems are reported through usageError.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError);

} // namespace ListCommand
