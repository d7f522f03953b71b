#pragma once

#include "MFile.h"
#include "OutputGuard.h"

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
// file. The output guard checks the target when the writer starts and again
// right before the rename. The temporary, ".<name>.XXXXXX" beside the target,
// carries an flock while it is written, so that RemoveLeftovers tells the
// ones a killed writer left from those being written.
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

    // Raises MExceptTargetRefused for a target the output guard refuses, and
    // MExceptFileOpenError where opening the target for writing would fail:
    // a target that is not a regular file or is read-only, a folder that is
    // read-only in the same sense, or a temporary file that cannot be
    // created. Only the document's save of the data file it read passes
    // OutputGuard::Use::OwnDataFile.
    explicit AtomicFileWriter(const std::string& path, Durability durability = Durability::Always,
                              OutputGuard::Use use = OutputGuard::Use::Output);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    MFile& File() { return m_file; }
    // The temporary's path, for a library that writes a file by its name
    // (which then writes over the temporary) rather than through File().
    const std::string& TemporaryPath() const { return m_tempPath; }
    // Flushes, syncs and renames into place; raises MExceptFileWriteError,
    // or MExceptTargetRefused when the target became a protected file.
    // Returns the identity of the file now at the target.
    FileIdentity Commit();

    // Removes the temporaries of path's name that writers which are gone
    // left in its folder (a killed save); nothing else, and none that a
    // running writer holds.
    static void RemoveLeftovers(const std::string& path);

    // Whether path leads to an existing file that may not be written: one
    // whose permission bits allow no writing, which holds for an
    // administrator too whom the system would let write anyway, or one the
    // system does not let this program write.
    static bool IsReadOnlyFile(const std::string& path);

private:
    std::string m_target;
    std::string m_tempPath;
    Durability m_durability;
    OutputGuard::Use m_use;
    MFile m_file;
    // A second descriptor of the temporary that holds its flock until the
    // rename is done.
    int m_lockFd = -1;
    bool m_committed = false;
};
