#include "RowReaderFormats.h"

std::unique_ptr<XlsReader> OpenXlsReader(const std::string& path, const std::string& sheet) {
    return std::make_unique<XlsReader>(path, sheet);
}

std::unique_ptr<XlsxReader> OpenXlsxReader(const std::string& path, const std::string& sheet) {
    return std::make_unique<XlsxReader>(path, sheet);
}

std::unique_ptr<DelimitedReader> OpenDelimitedReader(const std::string& path,
                                                     const DelimitedOptions& options) {
    return std::make_unique<DelimitedReader>(path, options);
}
