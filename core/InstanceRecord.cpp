#include "InstanceRecord.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Fields are "key=value" ended by a NUL byte (no path holds one); an empty
// field ends the record, so that the rest of a longer record written before
// is never read.
constexpr char kSocketKey[] = "socket=";
constexpr char kDataKey[] = "data=";
constexpr char kLogKey[] = "log=";

std::string HomeFolder() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
        return {};
    return found->pw_dir;
}

} // namespace

std::string InstanceRecord::LockPath() {
    std::string folder;
    if (const char* test = std::getenv("TV_INSTANCE_FOLDER"); test != nullptr && test[0] == '/') {
        folder = test;
    } else {
        const std::string home = HomeFolder();
        if (home.empty())
            return {};
        folder = home + "/.local/state";
    }
    return folder + "/TarvenlyDesktop-" + std::to_string(::getuid()) + ".lock";
}

void InstanceRecord::CreateLockFolder() {
    const std::string path = LockPath();
    // Each missing folder on the way, as mkdir -p makes them.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

bool InstanceRecord::WriteTo(int fd) const {
    std::string bytes;
    for (const auto& [key, value] : {std::pair{kSocketKey, &Socket}, std::pair{kDataKey, &DataFile},
                                     std::pair{kLogKey, &TraceLog}}) {
        bytes += key;
        bytes += *value;
        bytes += '\0';
    }
    bytes += '\0';
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
}

std::optional<InstanceRecord> InstanceRecord::Read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    char block[4096];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof(block));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || bytes.size() > (1 << 16))
            break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    InstanceRecord record;
    bool ended = false;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find('\0', at);
        if (end == std::string::npos)
            break;
        const std::string field = bytes.substr(at, end - at);
        at = end + 1;
        if (field.empty()) {
            ended = true;
            break;
        }
        for (const auto& [key, value] :
             {std::pair{kSocketKey, &record.Socket}, std::pair{kDataKey, &record.DataFile},
              std::pair{kLogKey, &record.TraceLog}})
            if (field.starts_with(key))
                *value = field.substr(std::char_traits<char>::length(key));
    }
    if (!ended || record.Socket.empty())
        return std::nullopt;
    return record;
}
