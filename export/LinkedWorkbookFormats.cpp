#include "CompoundFile.h"
#include "WorkbookFormats.h"
#include "XlsxWriter.h"

std::unique_ptr<XlsxWorkbook> OpenXlsxWorkbook(const std::string& path, std::time_t created,
                                               const std::string& tmpdir) {
    return std::make_unique<XlsxSheetWriter>(path, created, tmpdir);
}

std::unique_ptr<WorkbookContainer> OpenWorkbookContainer(const char* streamName) {
    return std::make_unique<CompoundFile>(streamName);
}
