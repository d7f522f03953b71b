#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// tvtool stats FILE [options]: what one vehicle did and cost over a range of
// days, as "Label<TAB>value" lines or as one JSON object.
namespace StatsCommand {

extern const char* const kUsage;
extern const char* const kHelp;

// args: everything after "stats". Returns the tool's exit status; usage
// problems are reported through usageError.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError);

} // namespace StatsCommand
