#pragma once

// The error family of the data layer. Every failure of reading or writing the
// data file, the trace log or an export is raised as one of these; the
// operation boundaries catch MExcept and show Message().

class MExcept {
public:
    virtual ~MExcept() = default;
    virtual const char* Message() const { return "Unknown MException"; }
};

class MExceptOutOfMemory : public MExcept {
public:
    const char* Message() const override { return "Out of memory"; }
};

// Common base of the file errors; never raised by itself.
class MExceptFile : public MExcept {
public:
    const char* Message() const override { return "Unknown MException"; }
};

class MExceptFileOpenError : public MExceptFile {
public:
    const char* Message() const override { return "File Open error"; }
};

class MExceptFileBadVersion : public MExceptFile {
public:
    const char* Message() const override { return "File has a bad version"; }
};

class MExceptFileBadFormat : public MExceptFile {
public:
    const char* Message() const override { return "File has a bad format"; }
};

class MExceptFileReadError : public MExceptFile {
public:
    const char* Message() const override { return "File had a read error"; }
};

class MExceptFileWriteError : public MExceptFile {
public:
    const char* Message() const override { return "File had a write error"; }
};

// Not file errors: a handler that catches only MExceptFile does not see these.
class MExceptBufferExceeded : public MExcept {
public:
    const char* Message() const override { return "Buffer was exceeded."; }
};

class MExceptTimeOutOfRange : public MExcept {
public:
    const char* Message() const override { return "Time out of range."; }
};
