// The desktop program's own definitions of the functions that open the
// workbook and import formats: each loads the format module on first use and
// calls its function. Linked in as objects, they stand in for the linked
// definitions in the export and import libraries, so that the program links
// none of those formats' libraries.

#include "FormatModule.h"
#include "MExcept.h"
#include "ProgramModules.h"

#include <string>

namespace {

class MExceptFormatModule : public MExcept {
public:
    explicit MExceptFormatModule(const std::string& reasons)
        : m_text(std::string("The program's file format module ") + FormatModule::kFile +
                 " could not be loaded:" + reasons) {}
    const char* Message() const override { return m_text.c_str(); }

private:
    std::string m_text;
};

const FormatModule::Table* LoadTable() {
    std::string reasons;
    const auto entry = reinterpret_cast<FormatModule::Entry>(
        ProgramModules::LoadEntry(FormatModule::kFile, FormatModule::kEntryName, reasons));
    const FormatModule::Table* table = entry != nullptr ? entry() : nullptr;
    if (table == nullptr || table->size != sizeof(FormatModule::Table))
        throw MExceptFormatModule(table == nullptr ? reasons : "\n  it is of another build");
    return table;
}

// Loaded once, by whichever thread asks first; a load that failed is tried
// again by the next export or import.
const FormatModule::Table& Module() {
    static const FormatModule::Table* const table = LoadTable();
    return *table;
}

} // namespace

std::unique_ptr<XlsxWorkbook> OpenXlsxWorkbook(const std::string& path, std::time_t created,
                                               const std::string& tmpdir) {
    return Module().openXlsxWorkbook(path, created, tmpdir);
}

std::unique_ptr<WorkbookContainer> OpenWorkbookContainer(const char* streamName) {
    return Module().openWorkbookContainer(streamName);
}

std::unique_ptr<XlsReader> OpenXlsReader(const std::string& path, const std::string& sheet) {
    return Module().openXlsReader(path, sheet);
}

std::unique_ptr<XlsxReader> OpenXlsxReader(const std::string& path, const std::string& sheet) {
    return Module().openXlsxReader(path, sheet);
}

std::unique_ptr<DelimitedReader> OpenDelimitedReader(const std::string& path,
                                                     const DelimitedOptions& options) {
    return Module().openDelimitedReader(path, options);
}
