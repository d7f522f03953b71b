// Feeds arbitrary bytes to the import as a delimited text file (the first
// byte picks the log and the options); inputs that the import would read as
// a workbook are the workbook fuzzer's. See ImportFuzzing.h.

#include "ImportFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!IsWorkbook(data, size))
        FuzzImport(data, size);
    return 0;
}
