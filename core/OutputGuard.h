#pragma once

#include "MExcept.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A file the user named as the target of a save, an export, a chart or a
// print that may not be written there; Message() says why. It is an open
// error: the target is refused before anything is written.
class MExceptTargetRefused : public MExceptFileOpenError {
public:
    explicit MExceptTargetRefused(std::string text) : m_text(std::move(text)) {}
    const char* Message() const override { return m_text.c_str(); }
    // The message as a dialog shows it before it asks again.
    std::string AskAgainText() const { return m_text + ". Please choose another file."; }

private:
    std::string m_text;
};

// The one check every file written for the user passes, at the moment it is
// written (AtomicFileWriter runs it when the temporary is made and again
// right before the rename). It refuses a folder, a path whose folder does not
// exist, and every file the program must keep: the open data file (also
// through a hard or symbolic link to it, told by device and inode), the data
// file a running Tarvenly Desktop has open, and the program's lock, socket
// and trace log. Whoever owns such a file registers a source that names it
// for as long as the owner lives.
namespace OutputGuard {

enum class Kind {
    DataFile,        // the data file this process has open
    ForeignDataFile, // the data file another process (a running TvDesk) has open
    ProgramFile,     // a lock, socket or trace log
};

struct ProtectedFile {
    Kind kind = Kind::ProgramFile;
    std::string path;
    // The file as it was last read or written, found also after it was
    // moved away from path.
    std::optional<std::pair<dev_t, ino_t>> identity;
};

using Source = std::function<std::vector<ProtectedFile>()>;

// Keeps a source registered while it lives.
class Registration {
public:
    explicit Registration(Source source);
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    int m_id;
};

enum class Use {
    Output,     // any file the user names
    OwnDataFile // the document saving the data file it read: only that one is allowed
};

// Raises MExceptTargetRefused when path may not be written.
void Check(const std::string& path, Use use = Use::Output);

} // namespace OutputGuard
