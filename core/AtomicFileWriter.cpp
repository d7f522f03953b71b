#include "AtomicFileWriter.h"

#include "MExcept.h"

#include <cerrno>
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

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Writable by the permission bits and by the system's own check for this
// process's effective user.
bool Writable(const std::string& path, const struct stat& info) {
    return (info.st_mode & kAnyWriteBit) != 0 &&
           ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Whether a save may replace the file at target, as opening it for writing
// would tell: an existing target must be a writable regular file, and the
// folder must be writable to take the new file.
bool MayReplace(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || !Writable(target, info))
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    const std::string folder = FolderOf(target);
    struct stat folderInfo {};
    return ::stat(folder.c_str(), &folderInfo) == 0 && S_ISDIR(folderInfo.st_mode) &&
           Writable(folder, folderInfo);
}

int CreateTemporary(const std::string& target, std::string& tempPath) {
    if (!MayReplace(target))
        throw MExceptFileOpenError();
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

FileIdentity FileIdentity::Of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, static_cast<long long>(info.st_mtim.tv_sec),
            info.st_mtim.tv_nsec};
}

std::optional<FileIdentity> FileIdentity::OfDescriptor(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return Of(info);
}

std::optional<FileIdentity> FileIdentity::OfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return Of(info);
}

bool AtomicFileWriter::IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !Writable(path, info);
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, Durability durability)
    : m_target(ResolveTarget(path)), m_durability(durability),
      m_file(CreateTemporary(m_target, m_tempPath)) {
    // Where Commit() will wait for the disk, the disk starts early. A new
    // file made from the data is left to the system's own writeback, which
    // then costs the export no time.
    struct stat existing {};
    if (durability == Durability::Always || ::stat(m_target.c_str(), &existing) == 0)
        m_file.StartWritebackAsWritten();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!m_committed)
        ::unlink(m_tempPath.c_str());
}

FileIdentity AtomicFileWriter::Commit() {
    struct stat existing {};
    const bool durable =
        m_durability == Durability::Always || ::stat(m_target.c_str(), &existing) == 0;
    if (durable)
        m_file.Sync();
    else
        m_file.Flush();
    // The rename keeps inode, size and modification time.
    const std::optional<FileIdentity> written = FileIdentity::OfDescriptor(m_file.Descriptor());
    if (!written)
        throw MExceptFileWriteError();
    m_file.Close();
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        throw MExceptFileWriteError();
    m_committed = true;
    if (!durable)
        return *written;
    // Make the rename itself durable; the data is already in place, so a
    // failure here changes nothing the user could act on.
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return *written;
}
