#include "ExportCommands.h"

#include "ExcelExport.h"
#include "ExportProgressDialog.h"
#include "ExportSaveDialog.h"
#include "MExcept.h"
#include "MessageBox.h"
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
    auto choice = ExportSaveDialog::Ask(parent, ExportFileBaseName(log), types);
    if (hold.Lost())
        return std::nullopt;
    return choice;
}

// The chosen file, unless it is the open data file (then the user is told).
std::optional<ExportSaveDialog::Choice>
RefuseDataFile(const CTvDeskDoc& document, QWidget* parent,
               std::optional<ExportSaveDialog::Choice> choice) {
    if (choice && IsOpenDataFile(document, LocalPath(choice->path))) {
        MessageBox::warning(parent, QString::fromLatin1(kExportOverDataFileMessage));
        return std::nullopt;
    }
    return choice;
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
    const CRecordHold hold(document);
    const auto choice = RefuseDataFile(
        document, parent,
        AskForFile(hold, parent, log,
                   {settings.Delimiter == ','
                        ? ExportSaveDialog::FileType{"Comma Separated Value (*.csv)", "csv"}
                        : ExportSaveDialog::FileType{"Text Files (*.txt)", "txt"}}));
    if (!choice)
        return;
    CExportProgressDialog progress(hold, parent, ProgressText(log));
    const std::string path = LocalPath(choice->path);
    errno = 0;
    try {
        ExportTextFile(document, log, settings, path, &progress);
    } catch (const MExcept& error) {
        const int lastError = errno;
        ReportTextFailure(parent, log, &error, CreateFailureCode(path, lastError));
    } catch (const std::exception&) {
        ReportTextFailure(parent, log, nullptr, 0);
    }
}

void ExportToExcel(CTvDeskDoc& document, ExportLog log, QWidget* parent) {
    const CRecordHold hold(document);
    const auto choice = RefuseDataFile(
        document, parent,
        AskForFile(hold, parent, log,
                   {{"Excel 5.0 Workbook (*.xls)", "xls"}, {"Excel Workbook (*.xlsx)", "xlsx"}}));
    if (!choice)
        return;
    const bool xlsx = choice->type == 1 ||
                      (choice->type < 0 &&
                       QFileInfo(choice->path).suffix().compare("xlsx", Qt::CaseInsensitive) == 0);
    CExportProgressDialog progress(hold, parent, ProgressText(log));
    try {
        ExportWorkbookFile(document, log, xlsx ? WorkbookFormat::Xlsx : WorkbookFormat::Excel5,
                           LocalPath(choice->path), &progress);
    } catch (const MExcept& error) {
        MessageBox::warning(parent, error.Message());
    } catch (const std::bad_alloc&) {
        MessageBox::warning(parent, MExceptOutOfMemory().Message());
    }
}

void ExportServiceCalendar(CTvDeskDoc& document, QWidget* parent) {
    const CRecordHold hold(document);
    auto choice = ExportSaveDialog::Ask(parent, QStringLiteral("ServiceSchedule"),
                                        {{"iCalendar Files (*.ics)", "ics"}});
    if (hold.Lost())
        return;
    choice = RefuseDataFile(document, parent, choice);
    if (!choice)
        return;
    try {
        ServiceCalendar::WriteCalendarFile(document, LocalPath(choice->path));
    } catch (const MExcept& error) {
        MessageBox::warning(parent, QString("The calendar could not be written to %1. %2")
                                        .arg(choice->path, QString::fromUtf8(error.Message())));
    } catch (const std::bad_alloc&) {
        MessageBox::warning(parent, MExceptOutOfMemory().Message());
    }
}

} // namespace ExportCommands
