#pragma once

#include "WorkbookFormats.h"

#include <memory>

class MByteSink;

// A compound file (OLE structured storage, as Excel 5 keeps its workbooks in)
// with one stream, built in memory by libgsf and written out whole.
class CompoundFile : public WorkbookContainer {
public:
    // A container holding one empty stream of that name.
    explicit CompoundFile(const char* streamName);
    ~CompoundFile() override;
    CompoundFile(const CompoundFile&) = delete;
    CompoundFile& operator=(const CompoundFile&) = delete;

    // Where the stream's bytes go; it can seek back within what it holds.
    MByteSink& Stream() override;
    // Closes the stream and the container, then writes the whole compound
    // file to out. Raises MExceptFileWriteError when the container fails.
    void WriteTo(MByteSink& out) override;

private:
    struct Objects;
    std::unique_ptr<Objects> m_objects;
};
