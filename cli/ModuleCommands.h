#pragma once

#include "ToolCommand.h"

// The commands of tvtool's command module: those that draw with Qt Gui or
// write workbooks. The module (ModuleEntry.cpp) hands this table to tvtool;
// programs that link the commands in pass it to ToolModules::UseLinked.
const ToolCommandTable& ModuleCommands();
