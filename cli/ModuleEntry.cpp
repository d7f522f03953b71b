#include "LocalTimeZone.h"
#include "ModuleCommands.h"
#include "ToolCommands.h"

// What tvtool calls after loading the module. The module carries its own copy
// of the data layer, so the settings tvtool's main makes for its copy are
// made here for this one.
extern "C" __attribute__((visibility("default"))) const ToolCommandTable* TvToolModuleCommands() {
    CacheLocalTimeZone();
    ToolDocument::LeaveToProcessExit();
    return &ModuleCommands();
}
