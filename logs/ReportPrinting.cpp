#include "ReportPrinting.h"

#include "AtomicFileWriter.h"
#include "LogReport.h"
#include "MessageBox.h"
#include "OutputGuard.h"
#include "PainterCanvas.h"
#include "RecordHold.h"

#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <optional>
#include <string>

namespace ReportPrinting {

namespace {

int g_progressDelay = 500;

// Draws the pages of a job on an open painter with a progress window that
// shows once the job has run for a while. Between pages the window lets
// events through, and with them possibly a reload: the hold is asked before
// every page.
Outcome DrawWithProgress(QWidget* parent, const CRecordHold& hold, LogReport& report,
                         QPainter& painter, QPrinter& printer) {
    QProgressDialog progress(parent);
    progress.setWindowTitle(QStringLiteral("Printing"));
    progress.setCancelButtonText(QStringLiteral("&Cancel"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(g_progressDelay);
    progress.setAutoClose(false);
    progress.setAutoReset(false);

    Outcome outcome = Outcome::Done;
    const bool range = printer.printRange() == QPrinter::PageRange;
    ReportRender::Hooks hooks;
    hooks.beforePage = [&](int done, int total) {
        progress.setMaximum(total);
        progress.setLabelText(QStringLiteral("Printing page %1 of %2").arg(done).arg(total));
        progress.setValue(done - 1);
        if (hold.Lost())
            outcome = Outcome::Lost;
        else if (progress.wasCanceled())
            outcome = Outcome::Cancelled;
        return outcome == Outcome::Done;
    };
    hooks.onError = [&](const std::string& error) {
        MessageBox::warning(parent, QString::fromStdString(error));
        if (hold.Lost())
            outcome = Outcome::Lost;
        return outcome == Outcome::Done;
    };
    const ReportRender::Result result =
        ReportRender::DrawPages(report, painter, printer, range ? printer.fromPage() : 0,
                                range ? printer.toPage() : 0, hooks);
    if (result == ReportRender::Result::Failed)
        return Outcome::Failed;
    return outcome;
}

void TellFailure(QWidget* parent) {
    MessageBox::warning(parent, QStringLiteral("The report could not be printed."));
}

// The file a print to PDF writes; empty for a printer.
std::string PdfTarget(const QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return {};
    return QFile::encodeName(printer.outputFileName()).toStdString();
}

bool EndsAsPdf(const std::string& path) {
    QFile written(QFile::decodeName(path.c_str()));
    if (!written.open(QIODevice::ReadOnly) || written.size() < 6 ||
        !written.seek(written.size() - 6))
        return false;
    return written.readAll().trimmed().endsWith("%%EOF");
}

// Draws the job. A print to PDF goes to a temporary file beside the chosen
// one that takes its place once every page is drawn.
Outcome PrintJob(QWidget* parent, const CRecordHold& hold, LogReport& report, QPrinter& printer) {
    const std::string target = PdfTarget(printer);
    std::optional<AtomicFileWriter> file;
    if (!target.empty()) {
        file.emplace(target, AtomicFileWriter::Durability::WhenReplacing);
        printer.setOutputFileName(QFile::decodeName(file->TemporaryPath().c_str()));
    }
    // The chosen name stays the printer's for the next job.
    const struct Restore {
        QPrinter& printer;
        const std::string& target;
        ~Restore() {
            if (!target.empty())
                printer.setOutputFileName(QFile::decodeName(target.c_str()));
        }
    } restore{printer, target};
    QPainter painter;
    Outcome outcome = Outcome::Failed;
    if (painter.begin(&printer)) {
        outcome = DrawWithProgress(parent, hold, report, painter, printer);
        if (outcome != Outcome::Done)
            printer.abort();
        if (!painter.end() && outcome == Outcome::Done)
            outcome = Outcome::Failed;
    }
    if (file && outcome == Outcome::Done) {
        // The printer does not tell a failed write (a full disk): a whole
        // PDF ends with its end-of-file marker.
        if (!EndsAsPdf(file->TemporaryPath()))
            return Outcome::Failed;
        file->Commit();
    }
    return outcome;
}

} // namespace

void SetProgressDelay(int milliseconds) {
    g_progressDelay = milliseconds;
}

Outcome Print(QWidget* parent, CTvDeskDoc& document, QPrinter& printer, const MakeReport& make) {
    CRecordHold hold(document);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    // A PDF file the output guard refuses opens the dialog again.
    for (;;) {
        if (hold.Exec(dialog) != QDialog::Accepted)
            return hold.Lost() ? Outcome::Lost : Outcome::Cancelled;
        try {
            if (const std::string target = PdfTarget(printer); !target.empty())
                OutputGuard::Check(target);
            break;
        } catch (const MExceptTargetRefused& refused) {
            MessageBox::warning(parent, QString::fromStdString(refused.AskAgainText()));
            if (hold.Lost())
                return Outcome::Lost;
        }
    }

    // The rows as they stand now that the job begins.
    const std::unique_ptr<LogReport> report = make();
    if (report == nullptr)
        return Outcome::Cancelled;
    Outcome outcome = Outcome::Failed;
    try {
        outcome = PrintJob(parent, hold, *report, printer);
    } catch (const MExceptTargetRefused& refused) {
        MessageBox::warning(parent, QString::fromStdString(refused.AskAgainText()));
        outcome = Outcome::Cancelled;
    } catch (const MExcept&) {
        outcome = Outcome::Failed;
    } catch (const std::exception&) {
        outcome = Outcome::Failed;
    }
    // A page range chosen for this job is not kept for the next one.
    printer.setPrintRange(QPrinter::AllPages);
    if (outcome == Outcome::Failed)
        TellFailure(parent);
    return outcome;
}

Outcome Preview(QWidget* parent, CTvDeskDoc& document, QPrinter& printer, const MakeReport& make) {
    CRecordHold hold(document);
    printer.setPrintRange(QPrinter::AllPages);
    QPrintPreviewDialog preview(&printer, parent);
    bool failed = false;
    QObject::connect(
        &preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
            if (hold.Lost())
                return;
            const std::unique_ptr<LogReport> report = make();
            if (report != nullptr && !PdfTarget(*target).empty()) {
                // Printed to a PDF file from the preview: the same guarded
                // job as from the print dialog.
                try {
                    failed = PrintJob(&preview, hold, *report, *target) == Outcome::Failed;
                } catch (const MExceptTargetRefused& refused) {
                    MessageBox::warning(&preview, QString::fromStdString(refused.AskAgainText()));
                } catch (const MExcept&) {
                    failed = true;
                } catch (const std::exception&) {
                    failed = true;
                }
                return;
            }
            QPainter painter;
            if (report == nullptr || !painter.begin(target))
                return;
            if (DrawWithProgress(&preview, hold, *report, painter, *target) == Outcome::Failed) {
                failed = true;
                target->abort();
            }
            painter.end();
        });
    const int result = hold.Exec(preview);
    printer.setPrintRange(QPrinter::AllPages);
    if (hold.Lost())
        return Outcome::Lost;
    if (failed) {
        TellFailure(parent);
        return Outcome::Failed;
    }
    return result == QDialog::Accepted ? Outcome::Done : Outcome::Cancelled;
}

} // namespace ReportPrinting
