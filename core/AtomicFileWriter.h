#pragma once

#include "MFile.h"

#include <string>

// Writes a file so that it is either wholly replaced or not touched: the data
// goes to a temporary file in the same folder, which is flushed to disk and
// then renamed over the target. Until Commit() succeeds the target keeps every
// byte it had; a writer destroyed without committing removes its temporary
// file.
class AtomicFileWriter {
public:
    // Raises MExceptFileOpenError when the temporary file cannot be created.
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    MFile& File() { return m_file; }
    // Flushes, syncs and renames into place; raises MExceptFileWriteError.
    void Commit();

private:
    std::string m_target;
    std::string m_tempPath;
    MFile m_file;
    bool m_committed = false;
};
