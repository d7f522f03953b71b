#pragma once

#include "MFile.h"

#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// What tells one state of a file on disk from another: which file the path
// leads to (device and inode) and its size and modification time to the
// nanosecond. A program that replaces the file gives it another inode; one
// that rewrites it in place changes its modification time.
struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    long long ModifiedSeconds = 0;
    long ModifiedNanoseconds = 0;

    static FileIdentity Of(const struct stat& info);
    // The identity of an open file; none when the system cannot tell it.
    static std::optional<FileIdentity> OfDescriptor(int fd);
    // The identity of the file the path leads to now; none when there is none.
    static std::optional<FileIdentity> OfPath(const std::string& path);

    bool operator==(const FileIdentity&) const = default;
};

// Writes a file so that it is either wholly replaced or not touched: the data
// goes to a temporary file in the same folder, which is flushed to disk and
// then renamed over the target. Until Commit() succeeds the target keeps every
// byte it had; a writer destroyed without committing removes its temporary
// file.
class AtomicFileWriter {
public:
    // When Commit() waits for the disk.
    enum class Durability {
        // Always: a crash at any moment leaves the old file or the whole new
        // one. For the data file.
        Always,
        // Only when a file is replaced, so that a crash cannot lose the old
        // one; a new file is renamed into place and left to the system's
        // own writeback, since nothing the user had is at stake and a crash
        // soon after can at worst leave it short. For files made from the
        // data that can be made again, such as the exports.
        WhenReplacing
    };

    // Raises MExceptFileOpenError where opening the target for writing would
    // fail: a target that is not a regular file or is read-only, a folder
    // that is read-only in the same sense, or a temporary file that cannot be
    // created.
    explicit AtomicFileWriter(const std::string& path, Durability durability = Durability::Always);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    MFile& File() { return m_file; }
    // Flushes, syncs and renames into place; raises MExceptFileWriteError.
    // Returns the identity of the file now at the target.
    FileIdentity Commit();

    // Whether path leads to an existing file that may not be written: one
    // whose permission bits allow no writing, which holds for an
    // administrator too whom the system would let write anyway, or one the
    // system does not let this program write.
    static bool IsReadOnlyFile(const std::string& path);

private:
    std::string m_target;
    std::string m_tempPath;
    Durability m_durability;
    MFile m_file;
    bool m_committed = false;
};
