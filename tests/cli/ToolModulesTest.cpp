// The real tvtool program finds its command module in each layout it is
// installed in, and without one runs no module command.

#include "ToolRunner.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

int RunProgram(const fs::path& tool, const std::string& args) {
    const std::string command = "'" + tool.string() + "' " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ToolModules, TheProgramFindsItsModuleWhereverItIsInstalled) {
    TempFolder folder;
    const std::string data = folder.File("TvData.tv");
    ASSERT_EQ(RunToolCaptured({"sample", data, "--trips", "50"}).status, kExitOk);
    const fs::path root = folder.File("root");
    // Program folder, module folder (relative to the program folder).
    const std::vector<std::pair<std::string, std::string>> layouts = {
        {"lib/tarvenly", "."},
        {"usr/bin", "../lib/" TV_MULTIARCH "/tarvenly"},
        {"bin", "../lib/tarvenly"},
    };
    for (const auto& [programFolder, moduleFolder] : layouts) {
        SCOPED_TRACE(programFolder);
        fs::remove_all(root);
        const fs::path program = root / programFolder / "tvtool";
        const fs::path module = root / programFolder / moduleFolder / "libtvtoolcommands.so";
        fs::create_directories(module.parent_path());
        fs::copy_file(TV_TOOL_PATH, program);
        fs::copy_file(TV_TOOL_MODULE_PATH, module);
        // Started through a link elsewhere, as from a PATH folder.
        fs::create_symlink(program, folder.File("linked-tvtool"));

        const std::string out = folder.File("trips.txt");
        EXPECT_EQ(RunProgram(folder.File("linked-tvtool"),
                             "export trips '" + data + "' -o '" + out + "'"),
                  kExitOk);
        EXPECT_TRUE(fs::remove(out));
        fs::remove(module);
        EXPECT_EQ(RunProgram(program, "export trips '" + data + "' -o '" + out + "'"), kExitUsage);
        EXPECT_FALSE(fs::exists(out));
        fs::remove(folder.File("linked-tvtool"));
    }
}

} // namespace
