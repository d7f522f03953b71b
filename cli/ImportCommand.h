#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// tvtool import FILE.tv INPUT --log LOG [options]: adds the rows of a
// delimited text file or a workbook to a log of the data file, checking
// every row first: all accepted rows or none go in.
namespace ImportCommand {

extern const char* const kUsage;
extern const char* const kHelp;

// Exit statuses: every row went in; some rows were skipped; nothing was
// imported (a file that cannot be read, a data file that cannot be written,
// no row accepted, or wrong arguments).
constexpr int kExitAllImported = 0;
constexpr int kExitSomeSkipped = 1;
constexpr int kExitNothingImported = 2;

// args: everything after "import". Verdicts of bad rows and the summary go
// to err; usage problems through usageError.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError);

} // namespace ImportCommand
