#include "AtomicFileWriter.h"

#include "MExcept.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A symbolic link is followed, so that saving replaces the file it names
// rather than the link itself.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr)
            return resolved;
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int CreateTemporary(const std::string& target, std::string& tempPath) {
    std::string pattern = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        throw MExceptFileOpenError();
    tempPath = buffer.data();

    // The new file gets the old one's permissions, or the usual ones for a
    // new file under the current umask.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
        ::close(fd);
        ::unlink(tempPath.c_str());
        throw MExceptFileOpenError();
    }
    return fd;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path)
    : m_target(ResolveTarget(path)), m_file(CreateTemporary(m_target, m_tempPath)) {
    m_file.StartWritebackAsWritten();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!m_committed)
        ::unlink(m_tempPath.c_str());
}

void AtomicFileWriter::Commit() {
    m_file.Sync();
    m_file.Close();
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        throw MExceptFileWriteError();
    m_committed = true;
    // Make the rename itself durable; the data is already in place, so a
    // failure here changes nothing the user could act on.
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}
