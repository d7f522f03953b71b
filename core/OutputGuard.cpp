#include "OutputGuard.h"

#include <algorithm>
#include <mutex>
#include <sys/stat.h>
#include <utility>

namespace OutputGuard {
namespace {

struct Registry {
    std::mutex mutex;
    int nextId = 0;
    std::vector<std::pair<int, Source>> sources;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::vector<ProtectedFile> AllProtected() {
    Registry& registry = TheRegistry();
    std::vector<Source> sources;
    {
        const std::lock_guard lock(registry.mutex);
        for (const auto& entry : registry.sources)
            sources.push_back(entry.second);
    }
    std::vector<ProtectedFile> files;
    for (const Source& source : sources) {
        std::vector<ProtectedFile> more = source();
        files.insert(files.end(), std::make_move_iterator(more.begin()),
                     std::make_move_iterator(more.end()));
    }
    return files;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Matches(const ProtectedFile& file, const struct stat& target) {
    if (file.identity && file.identity->first == target.st_dev &&
        file.identity->second == target.st_ino)
        return true;
    struct stat info {};
    return !file.path.empty() && ::stat(file.path.c_str(), &info) == 0 &&
           info.st_dev == target.st_dev && info.st_ino == target.st_ino;
}

const char* RefusalText(Kind kind) {
    switch (kind) {
    case Kind::DataFile:
        return "The output cannot replace the open data file";
    case Kind::ForeignDataFile:
        return "The output cannot replace the data file that a running Tarvenly Desktop has "
               "open";
    case Kind::ProgramFile:
        break;
    }
    return "The output cannot replace a file that Tarvenly Desktop uses while it runs (its "
           "lock, socket or log)";
}

} // namespace

Registration::Registration(Source source) {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    m_id = registry.nextId++;
    registry.sources.emplace_back(m_id, std::move(source));
}

Registration::~Registration() {
    Registry& registry = TheRegistry();
    const std::lock_guard lock(registry.mutex);
    std::erase_if(registry.sources, [this](const auto& entry) { return entry.first == m_id; });
}

void Check(const std::string& path, Use use) {
    // A link is followed: what would be replaced is the file it leads to.
    struct stat target {};
    const bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode))
        throw MExceptTargetRefused("The output cannot replace a folder");
    struct stat folder {};
    if (!exists && (::stat(FolderOf(path).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)))
        throw MExceptTargetRefused("The folder of the file does not exist");
    if (!exists)
        return;
    for (const ProtectedFile& file : AllProtected()) {
        if (use == Use::OwnDataFile && file.kind == Kind::DataFile)
            continue;
        if (Matches(file, target))
            throw MExceptTargetRefused(RefusalText(file.kind));
    }
}

} // namespace OutputGuard
