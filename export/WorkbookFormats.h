#pragma once

#include "SheetWriter.h"

#include <ctime>
#include <memory>
#include <string>

class MByteSink;

// The two workbook formats as the Excel exports use them. Their libraries
// (libgsf, libxlsxwriter) are large: the desktop program loads them, with
// these, only when an export first needs one (LoadedFormats), while tvtool's
// command module and the tests link them in (LinkedWorkbookFormats.cpp).
// Both raise MExcept where the classes behind them do.

// A one-sheet .xlsx workbook, written to its file by Close (XlsxSheetWriter).
class XlsxWorkbook : public SheetWriter {
public:
    virtual void Close() = 0;
};

// The compound file that holds an Excel 5 workbook's stream (CompoundFile).
class WorkbookContainer {
public:
    virtual ~WorkbookContainer() = default;
    // Where the stream's bytes go; it can seek back within what it holds.
    virtual MByteSink& Stream() = 0;
    // Closes the stream and the container, then writes the whole file to out.
    virtual void WriteTo(MByteSink& out) = 0;
};

std::unique_ptr<XlsxWorkbook> OpenXlsxWorkbook(const std::string& path, std::time_t created,
                                               const std::string& tmpdir);
std::unique_ptr<WorkbookContainer> OpenWorkbookContainer(const char* streamName);
