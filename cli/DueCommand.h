#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// tvtool due FILE [options]: the service entries that are past due or due
// soon, as lines or as one JSON array, with an exit status a cron job or a
// login script can act on.
namespace DueCommand {

// Exit statuses of the command.
constexpr int kNothingDue = 0;
constexpr int kDueSoon = 1;
constexpr int kPastDue = 3;
// The data file could not be read (1 means "due soon" here).
constexpr int kDataError = 4;

extern const char* const kUsage;
extern const char* const kHelp;

// args: everything after "due". Usage problems are reported through
// usageError, whose status is returned.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError);

} // namespace DueCommand
