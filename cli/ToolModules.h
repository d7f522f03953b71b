#pragma once

#include "ToolCommand.h"

#include <cstdio>
#include <string>

// tvtool itself links the standard library and the data layer only, so that
// the commands that merely read and write data files start at once. Commands
// that need more (Qt Gui to draw, the workbook libraries) live in a command
// module, a shared library loaded when one of them runs, found where
// ProgramModules looks.
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

} // namespace ToolModules
