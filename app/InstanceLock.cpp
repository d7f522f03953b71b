#include "InstanceLock.h"

#include "InstanceRecord.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

InstanceLock::InstanceLock(std::string path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::Result InstanceLock::TryAcquire() {
    if (IsHeld())
        return Result::Acquired;
    m_error.clear();
    // The folder may be shared with other users (/tmp): a link planted there
    // is not followed, and a file that another user owns is not used, since
    // that user could hold its lock for ever.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = std::strerror(errno);
        return Result::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        m_error = "not a file of this user";
        ::close(fd);
        return Result::Failed;
    }
    int locked = 0;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::HeldElsewhere;
        m_error = std::strerror(error);
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

bool InstanceLock::Record(const InstanceRecord& record) {
    return IsHeld() && record.WriteTo(m_fd);
}

void InstanceLock::Release() {
    if (!IsHeld())
        return;
    // Closing the only descriptor of the file lets go of the lock.
    ::close(std::exchange(m_fd, -1));
}
