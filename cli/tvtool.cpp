#include "AllocatorTuning.h"
#include "LocalTimeZone.h"
#include "ToolCommands.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    TuneAllocatorForLargeFiles();
    CacheLocalTimeZone();
    ToolDocument::LeaveToProcessExit();
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunTool(args, stdout, stderr);
    if (std::fflush(stdout) != 0 && status == kExitOk) {
        std::perror("tvtool");
        return kExitDataError;
    }
    return status;
}
