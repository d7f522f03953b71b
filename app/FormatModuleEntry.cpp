#include "FormatModule.h"

extern "C" __attribute__((visibility("default"))) const FormatModule::Table* TvDeskFormatModule() {
    static const FormatModule::Table table{sizeof(FormatModule::Table),
                                           &OpenXlsxWorkbook,
                                           &OpenWorkbookContainer,
                                           &OpenXlsReader,
                                           &OpenXlsxReader,
                                           &OpenDelimitedReader};
    return &table;
}
