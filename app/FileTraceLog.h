#pragma once

#include "MFile.h"
#include "TraceLog.h"

#include <functional>
#include <memory>
#include <string>

// The trace log "LogFile.txt": created anew at every start, one entry per
// line ending in CR LF, no time stamp, flushed after every entry. The file is
// locked while the program runs, so a second copy never empties the log of
// the running one.
class FileTraceLog : public TraceLog {
public:
    static constexpr const char* kFileName = "LogFile.txt";

    enum class OpenResult { Opened, Failed, InUse };

    // Reports a failed write: the text to show.
    using ErrorReporter = std::function<void(const std::string& text)>;

    explicit FileTraceLog(ErrorReporter reporter);

    // Creates the log in that folder.
    OpenResult Open(const std::string& folder);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }

    // Appends one entry if the log is open; a failed write is reported as
    // "<message>. Error Code: <errno>" and the program goes on.
    void Log(const char* entry) override;

private:
    ErrorReporter m_reporter;
    std::unique_ptr<MFile> m_file;
    std::string m_path;
};
