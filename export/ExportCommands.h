#pragma once

#include "LogExport.h"
#include "TextExport.h"

class CTvDeskDoc;
class QWidget;

// The export commands of the desktop program. Each asks for a file, writes
// the records the log's list shows under the document's filter with a
// progress dialog that can cancel, and tells the user of a failure. A
// cancelled or failed export leaves no file behind and an existing file as
// it was; a HotSync reload during the export cancels it.
namespace ExportCommands {

// The delimited text export. The settings come from the application: the
// delimiter also picks the dialog's file type (comma: .csv, else .txt). An
// empty log is not exported: its message is shown instead.
void ExportToText(CTvDeskDoc& document, ExportLog log, const TextExportSettings& settings,
                  QWidget* parent);

// The Excel export, as an Excel 5.0 workbook (.xls) or an Excel workbook
// (.xlsx), as the file type chosen in the dialog says; under "All Files" a
// name ending in .xlsx takes the .xlsx workbook.
void ExportToExcel(CTvDeskDoc& document, ExportLog log, QWidget* parent);

// File > Export > Service Schedule to Calendar: the planned service of every
// vehicle as an iCalendar file (.ics), one all-day event per dated entry.
void ExportServiceCalendar(CTvDeskDoc& document, QWidget* parent);

} // namespace ExportCommands
