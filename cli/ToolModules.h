#pragma once

#include "ToolCommand.h"

#include <cstdio>
#include <string>
#include <vector>

// tvtool itself links the standard library and the data layer only, so that
// the commands that merely read and write data files start at once. Commands
// that need more (Qt Gui to draw, the workbook libraries) live in a command
// module, a shared library loaded when one of them runs.
//
// The module is looked for beside the real path of the running program
// (/proc/self/exe: the build folder, or an installation that keeps the whole
// program in one folder), then in ../lib/<multiarch>/tarvenly/ and
// ../lib/tarvenly/ from there (a system package with the program in bin/),
// then in the installation folder the build was configured for.
namespace ToolModules {

// The file name of the module that holds the commands beyond the data layer.
constexpr const char* kCommandModule = "libtvtoolcommands.so";
// The function every module exports, returning its command table.
constexpr const char* kEntryName = "TvToolModuleCommands";
using Entry = const ToolCommandTable* (*)();

// A program that links a module's commands in (the tests) hands over their
// table; modules are then not loaded at all.
void UseLinked(const ToolCommandTable& table);

// The command named name from the module file, loaded on first use; null
// when it has no such command, or when it cannot be loaded (the reason then
// goes to err, and loadFailed is set).
const ToolCommand* Find(const std::string& name, const char* moduleFile, std::FILE* err,
                        bool& loadFailed);

// Where the module file is looked for, in order.
std::vector<std::string> Candidates(const char* moduleFile);

} // namespace ToolModules
