#include "ToolModules.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <map>

namespace {

const ToolCommandTable* g_linked = nullptr;
// Loaded modules stay loaded until the process ends: their commands' code
// and texts are used until then.
std::map<std::string, const ToolCommandTable*> g_loaded;

std::string FolderOfProgram() {
    char path[PATH_MAX];
    if (::realpath("/proc/self/exe", path) == nullptr)
        return {};
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? std::string()
                            : std::string(path, static_cast<std::size_t>(slash - path));
}

const ToolCommand* InTable(const ToolCommandTable& table, const std::string& name) {
    for (std::size_t i = 0; i < table.count; ++i)
        if (name == table.commands[i].name)
            return &table.commands[i];
    return nullptr;
}

const ToolCommandTable* Load(const char* moduleFile, std::FILE* err) {
    if (const auto loaded = g_loaded.find(moduleFile); loaded != g_loaded.end())
        return loaded->second;
    std::string reasons;
    for (const std::string& candidate : ToolModules::Candidates(moduleFile)) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            reasons += std::string("\n  ") + ::dlerror();
            continue;
        }
        const auto entry =
            reinterpret_cast<ToolModules::Entry>(::dlsym(module, ToolModules::kEntryName));
        if (entry == nullptr) {
            reasons += "\n  " + candidate + ": no " + ToolModules::kEntryName;
            ::dlclose(module);
            continue;
        }
        const ToolCommandTable* table = entry();
        g_loaded.emplace(moduleFile, table);
        return table;
    }
    std::fprintf(err, "tvtool: the command module %s could not be loaded:%s\n", moduleFile,
                 reasons.c_str());
    return nullptr;
}

} // namespace

namespace ToolModules {

void UseLinked(const ToolCommandTable& table) {
    g_linked = &table;
}

std::vector<std::string> Candidates(const char* moduleFile) {
    std::vector<std::string> candidates;
    const std::string folder = FolderOfProgram();
    if (!folder.empty()) {
        candidates.push_back(folder + "/" + moduleFile);
#ifdef TV_MULTIARCH
        candidates.push_back(folder + "/../lib/" TV_MULTIARCH "/tarvenly/" + moduleFile);
#endif
        candidates.push_back(folder + "/../lib/tarvenly/" + moduleFile);
    }
#ifdef TV_INSTALLED_MODULE_FOLDER
    candidates.push_back(std::string(TV_INSTALLED_MODULE_FOLDER "/") + moduleFile);
#endif
    return candidates;
}

const ToolCommand* Find(const std::string& name, const char* moduleFile, std::FILE* err,
                        bool& loadFailed) {
    const ToolCommandTable* table = g_linked != nullptr ? g_linked : Load(moduleFile, err);
    loadFailed = table == nullptr;
    if (table == nullptr)
        return nullptr;
    return InTable(*table, name);
}

} // namespace ToolModules
