#pragma once

#include "ToolCommand.h"

#include <cstdio>
#include <string>
#include <vector>

// Exit statuses of tvtool.
constexpr int kExitOk = 0;
constexpr int kExitDataError = 1; // the data file could not be read or written
constexpr int kExitUsage = 2;

// Runs tvtool with its arguments (without the program name), writing results
// to out and messages to err; returns the exit status.
int RunTool(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

class TvDocument;

// Opens an existing data file through the document; a missing file is not
// created. On failure the document's message goes to err.
bool OpenExistingDocument(TvDocument& document, const std::string& path, std::FILE* err);

// The data set a command works on. When the command ends it is freed, or, in
// the tvtool program, left to the system that is about to end the process:
// freeing a million records takes longer than the exit itself.
class ToolDocument {
public:
    ToolDocument();
    ~ToolDocument();
    ToolDocument(const ToolDocument&) = delete;
    ToolDocument& operator=(const ToolDocument&) = delete;

    TvDocument& Get() { return *m_document; }

    // Called by a program's main once: data sets are no longer freed.
    static void LeaveToProcessExit();

private:
    TvDocument* m_document;
};
