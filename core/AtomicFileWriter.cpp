#include "AtomicFileWriter.h"

#include "MExcept.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

// The temporary's name is ".<name>." and kRandomLength random letters and
// digits, as mkostemp makes them.
constexpr std::size_t kRandomLength = 6;

std::string TemporaryPrefix(const std::string& target) {
    return "." + NameOf(target) + ".";
}

bool IsTemporaryName(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kRandomLength || !entry.starts_with(prefix))
        return false;
    for (std::size_t i = prefix.size(); i < entry.size(); ++i)
        if (std::isalnum(static_cast<unsigned char>(entry[i])) == 0)
            return false;
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Creates the temporary and takes its flock. A cleanup of another process
// may have removed it in the moment before the lock was taken; then a new
// one is made.
int CreateLockedTemporary(const std::string& target, std::string& tempPath) {
    constexpr int kAttempts = 4;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string pattern = FolderOf(target) + "/" + TemporaryPrefix(target) + "XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (fd < 0)
            throw MExceptFileOpenError();
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(buffer.data(), &named) == 0 && SameFile(opened, named)) {
            tempPath = buffer.data();
            return fd;
        }
        ::close(fd);
    }
    throw MExceptFileOpenError();
}

int CreateTemporary(const std::string& target, OutputGuard::Use use, std::string& tempPath) {
    OutputGuard::Check(target, use);
    if (!MayReplace(target))
        throw MExceptFileOpenError();
    const int fd = CreateLockedTemporary(target, tempPath);

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

AtomicFileWriter::AtomicFileWriter(const std::string& path, Durability durability,
                                   OutputGuard::Use use)
    : m_target(ResolveTarget(path)), m_durability(durability), m_use(use),
      m_file(CreateTemporary(m_target, use, m_tempPath)),
      m_lockFd(::fcntl(m_file.Descriptor(), F_DUPFD_CLOEXEC, 0)) {
    if (m_lockFd < 0) {
        ::unlink(m_tempPath.c_str());
        throw MExceptFileOpenError();
    }
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
    ::close(m_lockFd);
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
    // The target may have become a protected file since the writer began
    // (the data file moved there, say).
    OutputGuard::Check(m_target, m_use);
    if (::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        throw MExceptFileWriteError();
    m_committed = true;
    ::close(std::exchange(m_lockFd, -1));
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

void AtomicFileWriter::RemoveLeftovers(const std::string& path) {
    const std::string target = ResolveTarget(path);
    const std::string folder = FolderOf(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryName(name, prefix))
            continue;
        const std::string candidate = folder + "/" + name;
        struct stat named {};
        if (::lstat(candidate.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
            named.st_uid != ::geteuid())
            continue;
        const int fd = ::open(candidate.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        // A writer that still runs holds the lock; the name must still lead
        // to the file that was locked.
        struct stat opened {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(candidate.c_str(), &named) == 0 && SameFile(opened, named))
            ::unlink(candidate.c_str());
        ::close(fd);
    }
    ::closedir(listing);
}
