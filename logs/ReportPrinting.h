#pragma once

#include <functional>
#include <memory>

class CTvDeskDoc;
class LogReport;
class QPrinter;
class QWidget;

// What the settings add to a report: the rate per distance unit and whether
// the cost line is printed.
struct ReportRate {
    double rate = 0.365;
    bool printRate = true;
};

// Printing and previewing a log's report through Qt's print dialog and
// preview window. Both run under a record hold: the report reads the
// document's records while it draws, and a HotSync reload can free them
// inside any modal loop (the dialogs, the progress window, a message box).
// Once that happens nothing more is drawn, a print job is aborted and the
// preview closes as cancelled.
namespace ReportPrinting {

// Makes the report of the list as it stands; called when a job begins.
using MakeReport = std::function<std::unique_ptr<LogReport>()>;

enum class Outcome {
    Done,      // every page was drawn
    Cancelled, // the user cancelled a dialog or the progress window
    Lost,      // the records went during the job
    Failed,    // the printer could not be opened or refused a page
};

// The print dialog, then the pages the user chose on the printer, with a
// progress window that can cancel the job.
Outcome Print(QWidget* parent, CTvDeskDoc& document, QPrinter& printer, const MakeReport& make);

// The preview window over the printer's settings. The report is made again
// for each rendering of the preview (a page setup change, printing from the
// preview).
Outcome Preview(QWidget* parent, CTvDeskDoc& document, QPrinter& printer, const MakeReport& make);

// How long a job runs before its progress window shows (500 ms unless set).
void SetProgressDelay(int milliseconds);

} // namespace ReportPrinting
