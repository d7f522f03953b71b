#pragma once

#include "DelimitedReader.h"
#include "XlsReader.h"
#include "XlsxReader.h"

#include <memory>
#include <string>

// The readers of the three import formats. Their libraries (libcsv, FreeXL,
// libgsf with libxml2) are large: the desktop program loads them, with
// these, only when an import first needs one (LoadedFormats), while tvtool's
// command module and the tests link them in (LinkedRowReaderFormats.cpp).
// Each raises what its reader's constructor raises.
std::unique_ptr<XlsReader> OpenXlsReader(const std::string& path, const std::string& sheet);
std::unique_ptr<XlsxReader> OpenXlsxReader(const std::string& path, const std::string& sheet);
std::unique_ptr<DelimitedReader> OpenDelimitedReader(const std::string& path,
                                                     const DelimitedOptions& options);
