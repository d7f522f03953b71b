#pragma once

#include "LogExport.h"
#include "MExcept.h"

#include <cstddef>
#include <string>

class SheetWriter;

// The Excel exports of the trip, service and expense logs: one sheet with a
// bold header row and one row per record the export takes, written as an
// Excel 5 workbook or as an .xlsx workbook from the same cells.

enum class WorkbookFormat { Excel5, Xlsx };

// Rows a sheet of the format holds, the header row included.
std::size_t MaxSheetRows(WorkbookFormat format);

// Raised before anything is written when an export needs more rows than a
// sheet of the format holds (a larger Excel 5 sheet could not be opened, or
// its rows would overwrite one another). The message names the limit and
// the exports that take the rows.
class MExceptTooManyRows : public MExcept {
public:
    MExceptTooManyRows(WorkbookFormat format, std::size_t rows);
    const char* Message() const override { return m_text.c_str(); }

private:
    std::string m_text;
};

// The rows of one log's sheet, taken once from the document's filter.
class ExcelSheet {
public:
    ExcelSheet(TvDocument& document, ExportLog log);

    // Rows the sheet needs, the header row included.
    std::size_t RowCount() const;
    // Row 0: the column titles as bold labels. Then one row per record, in
    // store order: dates as date-times (service and expense dates at 0:00),
    // readings, distances and amounts as numbers (the distance as it is,
    // negative for a reversed trip; amounts unrounded), texts as labels cut
    // to 255 characters with line breaks turned into spaces, category names
    // as they are. False when the progress stopped it.
    bool Write(SheetWriter& sheet, ExportProgress* progress) const;

private:
    TvDocument& m_document;
    ExportLog m_log;
    std::vector<TripRecord*> m_trips;
    std::vector<ServiceRecord*> m_services;
    std::vector<ExpenseRecord*> m_expenses;
};

// Writes the log's workbook to the file at path, which it replaces only
// once the whole file is written: an export that fails (MExcept raised) or is
// stopped leaves the path as it was and no partial file behind. Raises
// MExceptTooManyRows before touching the path when the rows do not fit, and
// MExceptFileOpenError when the file cannot be created there.
ExportOutcome ExportWorkbookFile(TvDocument& document, ExportLog log, WorkbookFormat format,
                                 const std::string& path, ExportProgress* progress);
