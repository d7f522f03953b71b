// Feeds arbitrary bytes to the import as a workbook: inputs whose file (the
// bytes after the first, which picks the log and the options) starts as an
// .xlsx zip container or an .xls compound file; the seeds are workbooks of
// both kinds. See ImportFuzzing.h.

#include "ImportFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (IsWorkbook(data, size))
        FuzzImport(data, size);
    return 0;
}
