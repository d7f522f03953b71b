#pragma once

#include "OutputGuard.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// One command of tvtool: its name, usage line, help text and what runs it.
struct ToolCommand;
using ToolCommandRunner = int (*)(const ToolCommand& self, const std::vector<std::string>& args,
                                  std::FILE* out, std::FILE* err);

struct ToolCommand {
    const char* name;
    const char* usage;
    const char* help;
    ToolCommandRunner run;
    // The positional arguments it takes, or -1 when it parses its own.
    int positional;
};

// The commands of a command module (see ToolModules.h).
struct ToolCommandTable {
    const ToolCommand* commands;
    std::size_t count;
};

// Reports a usage problem of a command; returns the usage exit status.
int UsageError(std::FILE* err, const ToolCommand& command, const std::string& problem);

// The files a running Tarvenly Desktop uses, as its instance lock records
// them at the moment of asking: no command writes over them. tvtool and its
// command module each hold their own copy of the output guard, so each
// registers this source for the commands it runs.
std::vector<OutputGuard::ProtectedFile> RunningDeskFiles();
