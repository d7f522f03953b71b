#include "FileTraceLog.h"

#include "MExcept.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

FileTraceLog::FileTraceLog(ErrorReporter reporter) : m_reporter(std::move(reporter)) {}

FileTraceLog::OpenResult FileTraceLog::Open(const std::string& folder) {
    Close();
    m_path = folder + "/" + kFileName;
    // A link planted at the path is not followed, nor is anything but a
    // file of this user written (a FIFO would block the start); the log is
    // the owner's alone.
    const int fd =
        ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return OpenResult::Failed;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        ::fchmod(fd, 0600) != 0) {
        ::close(fd);
        return OpenResult::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return OpenResult::InUse;
    }
    if (::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return OpenResult::Failed;
    }
    m_file = std::make_unique<MFile>(fd);
    return OpenResult::Opened;
}

void FileTraceLog::Close() {
    if (m_file == nullptr)
        return;
    try {
        m_file->Close();
    } catch (const MExceptFile&) {
        // Closing at exit: nobody is left to tell.
    }
    m_file.reset();
}

void FileTraceLog::Log(const char* entry) {
    if (m_file == nullptr)
        return;
    try {
        WriteText(*m_file, entry);
        WriteText(*m_file, "\r\n");
        m_file->Flush();
    } catch (const MExceptFile& error) {
        const int code = errno;
        char text[256];
        std::snprintf(text, sizeof(text), "%s. Error Code: %d", error.Message(), code);
        m_reporter(text);
    }
}
