#include "ProgramModules.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace {

std::string FolderOfProgram() {
    char path[PATH_MAX];
    if (::realpath("/proc/self/exe", path) == nullptr)
        return {};
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? std::string()
                            : std::string(path, static_cast<std::size_t>(slash - path));
}

// Where the module file is looked for, in order.
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

} // namespace

namespace ProgramModules {

void* LoadEntry(const char* moduleFile, const char* entryName, std::string& reasons) {
    reasons.clear();
    for (const std::string& candidate : Candidates(moduleFile)) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            reasons += std::string("\n  ") + ::dlerror();
            continue;
        }
        if (void* entry = ::dlsym(module, entryName))
            return entry;
        reasons += "\n  " + candidate + ": no " + entryName;
        ::dlclose(module);
    }
    return nullptr;
}

} // namespace ProgramModules
