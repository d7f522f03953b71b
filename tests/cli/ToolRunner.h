#pragma once

#include "ModuleCommands.h"
#include "ToolCommands.h"
#include "ToolModules.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

// Runs tvtool in-process, with the module's commands linked in, and keeps
// what it printed.
struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline ToolResult RunToolCaptured(const std::vector<std::string>& args) {
    ToolResult result;
    char* outText = nullptr;
    char* errText = nullptr;
    std::size_t outSize = 0;
    std::size_t errSize = 0;
    std::FILE* out = ::open_memstream(&outText, &outSize);
    std::FILE* err = ::open_memstream(&errText, &errSize);
    ToolModules::UseLinked(ModuleCommands());
    result.status = RunTool(args, out, err);
    std::fclose(out);
    std::fclose(err);
    result.out.assign(outText, outSize);
    result.err.assign(errText, errSize);
    std::free(outText);
    std::free(errText);
    return result;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tvcli-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
