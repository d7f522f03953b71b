// tvscreenshots OUTDIR: renders the main window once per log, the statistics
// window and every dialog it reaches, on generated sample data, into PNG
// files in OUTDIR, and prints the report of each printed log to a PDF file
// with its pages as PNG files (pdftoppm, of poppler-utils). It runs in a
// home folder of its own, so the user's settings and Palm Desktop are never
// touched, and needs no display (offscreen platform).

#include "AboutDialog.h"
#include "CategoryNameDialog.h"
#include "Clock.h"
#include "EditCategoriesDialog.h"
#include "ExpenseDialog.h"
#include "ExpenseView.h"
#include "FileUserManager.h"
#include "LogView.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "NoteDialog.h"
#include "PalmDesktopSettings.h"
#include "SampleGenerator.h"
#include "SelectCategoryDialog.h"
#include "ServiceRecordDialog.h"
#include "ServiceTypeDialog.h"
#include "ServiceView.h"
#include "SettingsDialog.h"
#include "StatisticsWindow.h"
#include "TabForm.h"
#include "TripDialog.h"
#include "TripView.h"
#include "TvDeskApp.h"
#include "TvDeskDoc.h"
#include "UserListDialog.h"
#include "UserNameDialog.h"
#include "VehicleDialog.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + ".png");
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "tvscreenshots: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

bool SaveDialog(QDialog& dialog, const QString& folder, const QString& name) {
    dialog.show();
    const bool saved = Save(dialog, folder, name);
    dialog.hide();
    return saved;
}

// Prints the shown log's report through the print dialog (answered here)
// into NAME.pdf, and its pages into NAME-1.png, NAME-2.png and so on.
bool SaveReport(CMainFrame& frame, const QString& folder, const QString& name) {
    const QString pdf = QDir(folder).filePath(name + ".pdf");
    QFile::remove(pdf);
    QPrinter& printer = frame.Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ModalDialog::pushHandler([](QDialog&) { return int(QDialog::Accepted); });
    frame.OnFilePrint();
    ModalDialog::clearHandlers();
    if (!QFile::exists(pdf)) {
        std::fprintf(stderr, "tvscreenshots: no report in %s\n", pdf.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", pdf.toLocal8Bit().constData());
    const int status =
        QProcess::execute("pdftoppm", {"-r", "80", "-png", pdf, QDir(folder).filePath(name)});
    if (status != 0) {
        std::fprintf(stderr, "tvscreenshots: pdftoppm failed on %s (poppler-utils)\n",
                     pdf.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// A Palm Desktop with two users; the first one's data file holds sample data.
bool SetUpPalmDesktop(const QString& folder) {
    const std::string desktop = folder.toStdString();
    if (!FileUserManager::Create(desktop, desktop + "/"))
        return false;
    auto users = FileUserManager::Open(desktop);
    if (users == nullptr || users->UmAddUser("Demo", 0) != 0 || users->UmAddUser("Pat", 0) != 0)
        return false;
    PalmDesktopSettings::SetDesktopFolder(folder);
    std::uint32_t id = 0;
    char userFolder[260] = {};
    std::int16_t size = sizeof(userFolder);
    users->UmGetIDFromName("Demo", &id);
    if (users->UmGetUserDirectory(id, userFolder, &size) <= 0)
        return false;
    const QString data = folder + "/" + QString::fromUtf8(userFolder) + "/Tarvenly";
    if (!QDir().mkpath(data))
        return false;
    TvDocument document;
    SampleOptions options;
    options.Trips = 600;
    options.Expenses = 120;
    options.Seed = 7;
    GenerateSample(document, options);
    return document.OnSaveDocument((data + "/TvData.tv").toStdString());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tvscreenshots OUTDIR\n", stderr);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir home;
    if (!home.isValid() || !QDir().mkpath(output))
        return 1;
    const QByteArray root = home.path().toLocal8Bit();
    ::setenv("HOME", root.constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").constData(), 1);
    // The lock of a copy of its own: a TvDesk the user runs is left alone.
    ::setenv("TV_INSTANCE_FOLDER", (root + "/state").constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QDir(home.path()).mkpath("run");
    QFile::setPermissions(home.path() + "/run",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Brisklane");
    QCoreApplication::setApplicationName("TvDesk");
    QApplication::setFont(QFont("Liberation Sans", 9));
    // Nothing may wait for an answer here.
    MessageBox::setTestMode(true);

    const QString palm = home.path() + "/Palm Desktop";
    if (!QDir().mkpath(palm) || !SetUpPalmDesktop(palm)) {
        std::fputs("tvscreenshots: cannot set up the sample Palm Desktop\n", stderr);
        return 1;
    }

    CTvDeskApp app;
    if (!app.InitApplication() || !app.InitInstance()) {
        std::fputs("tvscreenshots: the program did not start\n", stderr);
        // What it told the user: the messages are not shown here.
        for (const QString& message : MessageBox::shownTexts())
            std::fprintf(stderr, "  %s\n", message.toLocal8Bit().constData());
        return 1;
    }
    CMainFrame& frame = *app.MainFrame();
    frame.resize(1000, 620);
    bool ok = true;

    const char* const logNames[] = {"trip-log", "service-log", "service-types", "vehicle-list",
                                    "expense-log"};
    for (int log = LogIndex::kTripLog; log <= LogIndex::kExpenseLog; ++log) {
        frame.TabForm()->SwitchLog(log);
        QApplication::processEvents();
        ok &= Save(frame, output, QString("main-%1-%2").arg(log).arg(logNames[log]));
    }
    // The dialogs of the printing run through the test seam: nothing waits.
    ModalDialog::setTestMode(true);
    const std::pair<int, const char*> reports[] = {{LogIndex::kTripLog, "report-trip-log"},
                                                   {LogIndex::kServiceLog, "report-service-log"},
                                                   {LogIndex::kExpenseLog, "report-expense-log"}};
    for (const auto& [log, name] : reports) {
        frame.TabForm()->SwitchLog(log);
        QApplication::processEvents();
        ok &= SaveReport(frame, output, name);
    }
    ModalDialog::setTestMode(false);
    frame.TabForm()->SwitchLog(LogIndex::kTripLog);
    QApplication::processEvents();

    for (QMenu* menu : frame.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        if (!menu->objectName().startsWith("menu"))
            continue;
        menu->popup(frame.mapToGlobal(QPoint(0, 0)));
        ok &= Save(*menu, output, "menu-" + menu->objectName().mid(4).toLower());
        menu->hide();
    }
    if (auto* exports = frame.findChild<QMenu*>("menuExport")) {
        exports->popup(frame.mapToGlobal(QPoint(0, 0)));
        ok &= Save(*exports, output, "menu-export");
        exports->hide();
    }

    // The statistics window of the first vehicle over all dates, then over a
    // year without records; the filter pane sets its filter again after.
    frame.OnVehicleStatistics();
    if (auto* statistics = frame.findChild<CStatisticsWindow*>()) {
        ok &= Save(*statistics, output, "window-vehicle-statistics");
        // The charts' labels and legends at a small and a large size too.
        const QSize usual = statistics->size();
        for (const QSize size : {QSize(760, 560), QSize(1700, 1050)}) {
            statistics->resize(size);
            QCoreApplication::processEvents();
            ok &= Save(
                *statistics, output,
                QString("window-vehicle-statistics-%1x%2").arg(size.width()).arg(size.height()));
        }
        statistics->resize(usual);
        CTvDeskDoc& filtered = app.Doc();
        filtered.DisplayAllDates = 0;
        filtered.FromDate = MTime(2001, 1, 1, 0, 0, 0, -1);
        filtered.ToDate = MTime(2001, 12, 31, 23, 59, 59, -1);
        statistics->Refresh();
        ok &= Save(*statistics, output, "window-vehicle-statistics-empty");
        statistics->close();
        filtered.UpdateAllViews(nullptr, 0);
    }

    CSettingsDialog settings(app, &frame);
    ok &= SaveDialog(settings, output, "dialog-settings");
    CAboutDialog about(QString::fromStdString(app.DataFilePath), &frame);
    ok &= SaveDialog(about, output, "dialog-about");
    CUserListDialog users(*app.UserManager(), &frame);
    ok &= SaveDialog(users, output, "dialog-user-list");
    CUserNameDialog userName("Demo", &frame);
    ok &= SaveDialog(userName, output, "dialog-user-name");

    CTvDeskDoc& document = app.Doc();
    frame.TabForm()->SwitchLog(LogIndex::kTripLog);
    QApplication::processEvents();
    auto* trips = dynamic_cast<CTripView*>(frame.RightView());
    if (trips != nullptr && !trips->Rows().empty()) {
        TripRecord& trip = *trips->Rows().front();
        CTripDialog tripDialog(trip, document.Vehicles(), document.Trips().Categories, nullptr,
                               nullptr, document.Trips().UsesKilometres(), false, &frame);
        ok &= SaveDialog(tripDialog, output, "dialog-trip");
    }
    CNoteDialog note("Client meeting, then the depot.\nFuel receipt in the glovebox.", &frame);
    ok &= SaveDialog(note, output, "dialog-note");
    if (VehicleRecord* vehicle = document.SelectedVehicle) {
        CVehicleDialog vehicleDialog(*vehicle, document.Vehicles(),
                                     document.Trips().UsesKilometres(), &frame);
        ok &= SaveDialog(vehicleDialog, output, "dialog-vehicle");
    }
    CEditCategoriesDialog categories(document, true, true, &document.Trips().Categories, &frame);
    ok &= SaveDialog(categories, output, "dialog-edit-categories");
    CCategoryNameDialog categoryName("Business", &frame);
    ok &= SaveDialog(categoryName, output, "dialog-category-name");
    CSelectCategoryDialog selectCategory(document.Trips().Categories, &frame);
    ok &= SaveDialog(selectCategory, output, "dialog-select-category");

    const bool metric = document.Trips().UsesKilometres();
    for (ServiceTypeRecord& type : document.ServiceTypes().Records()) {
        if (type.IsDeleted())
            continue;
        CServiceTypeDialog typeDialog(type, document.ServiceTypes(), metric, &frame);
        ok &= SaveDialog(typeDialog, output, "dialog-service-type");
        break;
    }
    frame.TabForm()->SwitchLog(LogIndex::kServiceLog);
    QApplication::processEvents();
    if (auto* services = dynamic_cast<CServiceView*>(frame.RightView());
        services != nullptr && !services->Rows().empty()) {
        CServiceRecordDialog serviceDialog(*services->Rows().front(), document, metric, false,
                                           &frame);
        ok &= SaveDialog(serviceDialog, output, "dialog-service-record");
        // A week before the newest planned entry, so that it shows as due
        // soon beside those already past due.
        const auto planned =
            std::find_if(services->Rows().begin(), services->Rows().end(),
                         [](const ServiceRecord* entry) { return !entry->IsCompleted(); });
        if (planned != services->Rows().end()) {
            const Clock::ScopedFix weekBefore(MTime((*planned)->Date.AsSeconds() - 7 * 86400));
            document.UpdateAllViews(nullptr, 0);
            QApplication::processEvents();
            ok &= Save(frame, output, "main-1-service-log-due-soon");
        }
        document.UpdateAllViews(nullptr, 0);
    }
    frame.TabForm()->SwitchLog(LogIndex::kExpenseLog);
    QApplication::processEvents();
    if (auto* expenses = dynamic_cast<CExpenseView*>(frame.RightView())) {
        // A fill-up shows every field of the dialog.
        for (ExpenseRecord* expense : expenses->Rows()) {
            if (!expense->IsFuelPurchase())
                continue;
            CExpenseDialog expenseDialog(*expense, document, nullptr, nullptr, metric, &frame);
            ok &= SaveDialog(expenseDialog, output, "dialog-expense");
            break;
        }
    }

    document.SetModifiedFlag(false);
    app.ExitInstance();
    return ok ? 0 : 1;
}
