#include "ExportCommands.h"

#include "ExcelExport.h"
#include "ExportProgressDialog.h"
#include "ExportSaveDialog.h"
#include "MExcept.h"
#include "MessageBox.h"
#include "OutputGuard.h"
#include "RecordHold.h"
#include "ServiceCalendar.h"
#include "TvDeskDoc.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>
#include <sys/stat.h>

namespace ExportCommands {
namespace {

QString ProgressText(ExportLog log) {
    switch (log) {
    case ExportLog::Trips:
        return QStringLiteral("Exporting the trip log...");
    case ExportLog::Services:
        return QStringLiteral("Exporting the service log...");
    case ExportLog::Expenses:
        return QStringLiteral("Exporting the expense log...");
    }
    return {};
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Asks for the file; none when the user cancelled or the records went
// while the dialog was open.
std::optional<ExportSaveDialog::Choice>
AskForFile(const CRecordHold& hold, QWidget* parent, ExportLog log,
           const std::vector<ExportSaveDialog::FileType>& types) {
    if (hold.Lost())
        return std::nullopt;
    auto choice = ExportSaveDialog::Ask(parent, ExportFileBaseName(log), types);
    if (hold.Lost())
        return std::nullopt;
    return choice;
}

// Set while an export runs: its messages and its progress let events
// through, and another export started from the menu meanwhile would run
// nested inside it.
bool g_exportRunning = false;

// Asks for a file until the output guard takes one or the user cancels,
// then runs write(choice, path, hold), one export at a time. A target
// that the guard refuses when the file is written (it became the data file
// meanwhile) opens the dialog again too. Write shows its progress in a
// dialog of its own that is gone before it reports a failure: a progress
// dialog left waiting behind the message would show up over it.
template <typename Write>
void RunExport(CTvDeskDoc& document, ExportLog log, QWidget* parent,
               const std::vector<ExportSaveDialog::FileType>& types, const Write& write) {
    if (g_exportRunning) {
        MessageBox::information(parent, QStringLiteral("Another export is still running."));
        return;
    }
    g_exportRunning = true;
    const struct Finished {
        ~Finished() { g_exportRunning = false; }
    } finished;
    const CRecordHold hold(document);
    for (;;) {
        const auto choice = AskForFile(hold, parent, log, types);
        if (!choice)
            return;
        const std::string path = LocalPath(choice->path);
        try {
            OutputGuard::Check(path);
            write(*choice, path, hold);
            return;
        } catch (const MExceptTargetRefused& refused) {
            MessageBox::warning(parent, QString::fromStdString(refused.AskAgainText()));
        }
    }
}

// The system's error number for a file that could not be created at path.
// The refusal may come from the permission bits alone, with no failed call
// to take the number from, so the place tells it: a missing folder, a folder
// where the file should be, or else no right to write there, unless a call
// failed for another reason (a full disk, say).
int CreateFailureCode(const std::string& path, int lastError) {
    const std::string folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return EISDIR;
    return lastError != 0 && lastError != ENOENT ? lastError : EACCES;
}

// The service and expense exports name the error and its code: the
// system's error number for a file that could not be created, 0 otherwise.
void ReportTextFailure(QWidget* parent, ExportLog log, const MExcept* error, int systemError) {
    if (log == ExportLog::Trips) {
        MessageBox::warning(parent, QStringLiteral("File Write Error"));
    } else if (error != nullptr) {
        const unsigned code =
            dynamic_cast<const MExceptFileOpenError*>(error) != nullptr ? systemError : 0;
        MessageBox::warning(parent, QString("%1. Error Code: %2").arg(error->Message()).arg(code));
    } else {
        MessageBox::warning(parent, QStringLiteral("Export Expense to text file:  Unknown error"));
    }
}

} // namespace

void ExportToText(CTvDeskDoc& document, ExportLog log, const TextExportSettings& settings,
                  QWidget* parent) {
    if (ExportStoreIsEmpty(document, log)) {
        MessageBox::warning(parent, NoRecordsMessage(log));
        return;
    }
    const ExportSaveDialog::FileType type =
        settings.Delimiter == ','
            ? ExportSaveDialog::FileType{"Comma Separated Value (*.csv)", "csv"}
            : ExportSaveDialog::FileType{"Text Files (*.txt)", "txt"};
    RunExport(
        document, log, parent, {type},
        [&](const ExportSaveDialog::Choice&, const std::string& path, const CRecordHold& hold) {
            try {
                CExportProgressDialog progress(hold, parent, ProgressText(log));
                errno = 0;
                ExportTextFile(document, log, settings, path, &progress);
            } catch (const MExceptTargetRefused&) {
                throw;
            } catch (const MExcept& error) {
                const int lastError = errno;
                ReportTextFailure(parent, log, &error, CreateFailureCode(path, lastError));
            } catch (const std::exception&) {
                ReportTextFailure(parent, log, nullptr, 0);
            }
        });
}

void ExportToExcel(CTvDeskDoc& document, ExportLog log, QWidget* parent) {
    RunExport(document, log, parent,
              {{"Excel 5.0 Workbook (*.xls)", "xls"}, {"Excel Workbook (*.xlsx)", "xlsx"}},
              [&](const ExportSaveDialog::Choice& choice, const std::string& path,
                  const CRecordHold& hold) {
                  const bool xlsx =
                      choice.type == 1 ||
                      (choice.type < 0 &&
                       QFileInfo(choice.path).suffix().compare("xlsx", Qt::CaseInsensitive) == 0);
                  try {
                      CExportProgressDialog progress(hold, parent, ProgressText(log));
                      ExportWorkbookFile(document, log,
                                         xlsx ? WorkbookFormat::Xlsx : WorkbookFormat::Excel5, path,
                                         &progress);
                  } catch (const MExceptTargetRefused&) {
                      throw;
                  } catch (const MExcept& error) {
                      MessageBox::warning(parent, error.Message());
                  } catch (const std::bad_alloc&) {
                      MessageBox::warning(parent, MExceptOutOfMemory().Message());
                  } catch (const std::exception& error) {
                      MessageBox::warning(parent, QString("The workbook could not be written: %1")
                                                      .arg(QString::fromLocal8Bit(error.what())));
                  }
              });
}

void ExportServiceCalendar(CTvDeskDoc& document, QWidget* parent) {
    const CRecordHold hold(document);
    for (;;) {
        const auto choice = ExportSaveDialog::Ask(parent, QStringLiteral("ServiceSchedule"),
                                                  {{"iCalendar Files (*.ics)", "ics"}});
        if (!choice || hold.Lost())
            return;
        try {
            ServiceCalendar::WriteCalendarFile(document, LocalPath(choice->path));
            return;
        } catch (const MExceptTargetRefused& refused) {
            MessageBox::warning(parent, QString::fromStdString(refused.AskAgainText()));
        } catch (const MExcept& error) {
            MessageBox::warning(parent, QString("The calendar could not be written to %1. %2")
                                            .arg(choice->path, QString::fromUtf8(error.Message())));
            return;
        } catch (const std::bad_alloc&) {
            MessageBox::warning(parent, MExceptOutOfMemory().Message());
            return;
        } catch (const std::exception& error) {
            MessageBox::warning(parent,
                                QString("The calendar could not be written to %1. %2")
                                    .arg(choice->path, QString::fromLocal8Bit(error.what())));
            return;
        }
    }
}

} // namespace ExportCommands
