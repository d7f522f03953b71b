#pragma once

#include "RowReaderFormats.h"
#include "WorkbookFormats.h"

#include <cstddef>

// The desktop program's format module, libtvdeskformats.so: the workbook
// writers and the import readers with the libraries they need, which the
// program would otherwise load at every start. Its one entry hands over
// the functions that open them.
namespace FormatModule {

constexpr const char* kFile = "libtvdeskformats.so";
constexpr const char* kEntryName = "TvDeskFormatModule";

struct Table {
    // sizeof(Table) of the module's build: a module of another build is not used.
    std::size_t size;
    decltype(&OpenXlsxWorkbook) openXlsxWorkbook;
    decltype(&OpenWorkbookContainer) openWorkbookContainer;
    decltype(&OpenXlsReader) openXlsReader;
    decltype(&OpenXlsxReader) openXlsxReader;
    decltype(&OpenDelimitedReader) openDelimitedReader;
};

using Entry = const Table* (*)();

} // namespace FormatModule
