#pragma once

#include <string>

struct InstanceRecord;

// The lock that makes one copy of the program the running one. It is an
// exclusive flock on a file beside the hand-over socket, taken at start and
// held until the program ends. The kernel lets go of it whenever the process
// ends, also when it crashes or is killed, so a copy that is gone never keeps
// the next one from starting. The file itself stays: removing it would let a
// later copy lock a new file while another still holds the old one.
class InstanceLock {
public:
    enum class Result {
        Acquired,      // this object holds the lock now
        HeldElsewhere, // another copy (or another lock object) holds it
        Failed,        // the lock file cannot be used; the reason is in Error()
    };

    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. Taking a lock already held here
    // changes nothing.
    Result TryAcquire();
    void Release();
    // Replaces what the held lock file tells other processes; false when
    // the lock is not held or the file cannot take it.
    bool Record(const InstanceRecord& record);
    bool IsHeld() const { return m_fd >= 0; }

    const std::string& Path() const { return m_path; }
    // Why the last TryAcquire failed.
    const std::string& Error() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
    int m_fd = -1;
};
