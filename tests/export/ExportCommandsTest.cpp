// The export commands of the desktop program: their dialogs, their messages,
// and what a cancel, a failing disk or a HotSync reload leaves behind.

#include "ExportCommands.h"
#include "ByteSink.h"
#include "ExportData.h"
#include "ExportSaveDialog.h"
#include "FileSizeLimit.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "TvDeskDoc.h"
#include "WorkbookReader.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

// Messages in failures as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

class ExportCommandsTest : public testing::Test, protected ExportDocumentOf<CTvDeskDoc> {
protected:
    void SetUp() override {
        MessageBox::clearShownTexts();
        ExportSaveDialog::setTestMode(true);
    }

    void AddTrips(int count) {
        for (int i = 0; i < count; ++i)
            AddTrip(At(2004, 3, 7, 9, 5), At(2004, 3, 7, 9, 35), i, i + 12, "Depot, Gate 2",
                    "Note " + std::to_string(i));
    }

    static void Choose(const std::string& path, int type) {
        ExportSaveDialog::setNextChoice(QString::fromStdString(path), type);
    }

    // What the text export writes for these settings, on memory.
    std::string TextOf(ExportLog log, const TextExportSettings& settings) {
        MemorySink sink;
        EXPECT_TRUE(WriteTextExport(doc, log, settings, sink, nullptr));
        return SinkText(sink);
    }

    // Presses Cancel of the progress dialog once the export lets events in.
    static void CancelTheProgressSoon() {
        QTimer::singleShot(0, [] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(window))
                    progress->cancel();
        });
    }

    ScratchFolder m_folder;
};

TEST_F(ExportCommandsTest, TheTextFileTypeFollowsTheDelimiter) {
    AddTrips(3);
    Choose(m_folder.File("trips"), 0);
    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    EXPECT_EQ(ExportSaveDialog::lastFilters(),
              QStringList({"Comma Separated Value (*.csv)", "All Files (*.*)"}));
    EXPECT_EQ(ExportSaveDialog::lastProposedName(), "TripData");
    EXPECT_EQ(FileBytes(m_folder.File("trips.csv")), TextOf(ExportLog::Trips, {',', 0}))
        << "a name without extension takes the file type's";

    AddService(At(2004, 3, 7), 100, kOilId, true, "tab\there");
    Choose(m_folder.File("services"), -1);
    ExportCommands::ExportToText(doc, ExportLog::Services, {'\t', 1}, nullptr);
    EXPECT_EQ(ExportSaveDialog::lastFilters(),
              QStringList({"Text Files (*.txt)", "All Files (*.*)"}));
    EXPECT_EQ(ExportSaveDialog::lastProposedName(), "ServiceData");
    EXPECT_EQ(FileBytes(m_folder.File("services.txt")),
              "Date\tOdometer\tServiceType\tStatus\tNote\t\r\n"
              "3/7/2004\t100\tOil\tCompleted\ttab here\t\r\n");

    AddExpense(At(2004, 3, 7), "Shop", "", 1, 1, 1);
    Choose(m_folder.File("costs.dat"), 0);
    ExportCommands::ExportToText(doc, ExportLog::Expenses, {';', 0}, nullptr);
    EXPECT_EQ(ExportSaveDialog::lastProposedName(), "ExpenseData");
    EXPECT_EQ(FileBytes(m_folder.File("costs.dat")), TextOf(ExportLog::Expenses, {';', 0}));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
        << MessageBox::shownTexts().join("|").toStdString();
}

TEST_F(ExportCommandsTest, AnEmptyLogIsToldAndNoFileIsAskedFor) {
    Choose(m_folder.File("expenses.csv"), 0);
    ExportCommands::ExportToText(doc, ExportLog::Expenses, {',', 0}, nullptr);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({"There are no expenses to export."}));
    EXPECT_EQ(m_folder.Count(), 0u);

    // The queued choice is still there for the Excel export, which writes
    // the header row of an empty log.
    ExportCommands::ExportToExcel(doc, ExportLog::Expenses, nullptr);
    const ReadWorkbook book = RunWorkbookReader("xls", m_folder.File("expenses.csv"));
    ASSERT_TRUE(book.readable) << book.output;
    EXPECT_EQ(book.rows, 1);

    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    EXPECT_EQ(MessageBox::shownTexts().back(), "There are no trips to export.");
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2).MarkDeleted();
    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    EXPECT_EQ(MessageBox::shownTexts().size(), 2) << "a deleted trip is a trip of the store";
    EXPECT_EQ(m_folder.Count(), 1u) << "but cancelling the dialog writes nothing";
}

TEST_F(ExportCommandsTest, TheExcelFileTypeDecidesTheWorkbook) {
    AddTrips(2);
    struct {
        const char* name;
        int type;
        const char* written;
        const char* reader;
    } cases[] = {{"one", 0, "one.xls", "xls"},
                 {"two", 1, "two.xlsx", "xlsx"},
                 {"three.xlsx", -1, "three.xlsx", "xlsx"},
                 {"four", -1, "four.xls", "xls"},
                 {"five.XLSX", -1, "five.XLSX", "xlsx"}};
    for (const auto& each : cases) {
        Choose(m_folder.File(each.name), each.type);
        ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
        EXPECT_EQ(ExportSaveDialog::lastFilters(),
                  QStringList({"Excel 5.0 Workbook (*.xls)", "Excel Workbook (*.xlsx)",
                               "All Files (*.*)"}));
        EXPECT_EQ(ExportSaveDialog::lastProposedName(), "TripData");
        const ReadWorkbook book = RunWorkbookReader(each.reader, m_folder.File(each.written));
        ASSERT_TRUE(book.readable) << each.written << ": " << book.output;
        EXPECT_EQ(book.rows, 3);
        EXPECT_TRUE(book.At(0, 0).bold);
        EXPECT_EQ(book.At(2, 2).value, "Depot, Gate 2");
    }
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(ExportCommandsTest, FailuresShowTheProgramsTextsAndLeaveNoFile) {
    AddTrips(3000);
    AddService(At(2004, 3, 7), 100, kOilId, true);
    AddExpense(At(2004, 3, 7), "Shop", "", 1, 1, 1, 0, std::string(200, 'n'));
    const std::string missing = m_folder.File("missing/out");

    Choose(missing, 0);
    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    Choose(missing, 0);
    ExportCommands::ExportToText(doc, ExportLog::Services, {',', 0}, nullptr);
    Choose(missing, 0);
    ExportCommands::ExportToExcel(doc, ExportLog::Services, nullptr);
    const std::string locked = m_folder.File("locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0500), 0);
    Choose(locked + "/out", 0);
    ExportCommands::ExportToText(doc, ExportLog::Expenses, {',', 0}, nullptr);
    const std::string folder = m_folder.File("folder.txt");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    Choose(folder, 0);
    ExportCommands::ExportToText(doc, ExportLog::Expenses, {'\t', 0}, nullptr);
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList({"The folder of the file does not exist. Please choose another file.",
                           "The folder of the file does not exist. Please choose another file.",
                           "The folder of the file does not exist. Please choose another file.",
                           "File Open error. Error Code: 13",
                           "The output cannot replace a folder. Please choose another file."}))
        << "no such folder, no right to write there, a folder in the file's place";
    ASSERT_EQ(::rmdir(locked.c_str()), 0);
    ASSERT_EQ(::rmdir(folder.c_str()), 0);

    MessageBox::clearShownTexts();
    const std::string old = m_folder.File("old.csv");
    std::ofstream(old) << "the last export";
    {
        const FileSizeLimit limit(16 * 1024);
        for (int i = 0; i < 100; ++i)
            AddExpense(At(2004, 3, 8), "Shop", "", 1, 1, 1, 0, std::string(200, 'n'));
        Choose(old, 0);
        ExportCommands::ExportToText(doc, ExportLog::Expenses, {',', 0}, nullptr);
        Choose(old, 0);
        ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
        Choose(old, -1);
        ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
    }
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList({"File had a write error. Error Code: 0", "File Write Error",
                           "File had a write error"}));
    EXPECT_EQ(FileBytes(old), "the last export");
    EXPECT_EQ(m_folder.Count(), 1u) << "no partial or temporary file stays behind";
}

TEST_F(ExportCommandsTest, TheOpenDataFileIsNeverTheExportsTarget) {
    AddTrips(3);
    const std::string data = m_folder.File("TvData.tv");
    ASSERT_TRUE(doc.OnSaveDocument(data));
    doc.SetPathName(data);
    const std::string before = FileBytes(data);
    const std::string link = m_folder.File("trips.csv");
    std::filesystem::create_symlink(data, link);

    Choose(data, 0);
    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    Choose(link, 0);
    ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
    Choose(data, 1);
    ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList(3, "The output cannot replace the open data file. Please choose "
                             "another file."));
    EXPECT_TRUE(FileBytes(data) == before) << "the data file was replaced";
    EXPECT_EQ(m_folder.Count(), 2u) << "no export and no temporary file";
}

TEST_F(ExportCommandsTest, AnExcel5SheetTooSmallForTheLogIsRefusedWithTheWaysOut) {
    AddTrips(16384);
    Choose(m_folder.File("all"), 0);
    ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
    ASSERT_EQ(MessageBox::shownTexts().size(), 1);
    const QString message = MessageBox::shownTexts().front();
    EXPECT_TRUE(message.contains("16,384") && message.contains("text file") &&
                message.contains("Excel Workbook (*.xlsx)"))
        << message.toStdString();
    EXPECT_EQ(m_folder.Count(), 0u);
}

// A failure is told once the export's progress is gone: a progress dialog
// still waiting to show would come up over the open message.
TEST_F(ExportCommandsTest, AFailureIsToldWithNoProgressOverIt) {
    AddTrips(16384); // more than an Excel 5 sheet holds: refused at the start
    MessageBox::setTestMode(false);
    ModalDialog::setTestMode(false);
    bool progressShown = false;
    QTimer::singleShot(200, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            progressShown |=
                qobject_cast<QProgressDialog*>(window) != nullptr && window->isVisible();
            if (auto* box = qobject_cast<QMessageBox*>(window))
                box->close();
        }
    });
    Choose(m_folder.File("all"), 0);
    ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
    MessageBox::setTestMode(true);
    ModalDialog::setTestMode(true);
    EXPECT_FALSE(progressShown);
    EXPECT_EQ(m_folder.Count(), 0u);
}

TEST_F(ExportCommandsTest, CancellingTheProgressKeepsWhatWasThere) {
    AddTrips(5000);
    const std::string old = m_folder.File("TripData.csv");
    std::ofstream(old) << "the last export";
    for (int format = 0; format < 3; ++format) {
        Choose(old, format == 0 ? 0 : format - 1);
        CancelTheProgressSoon();
        if (format == 0)
            ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
        else
            ExportCommands::ExportToExcel(doc, ExportLog::Trips, nullptr);
        EXPECT_EQ(FileBytes(old), "the last export") << format;
    }
    EXPECT_EQ(m_folder.Count(), 1u);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty()) << "a cancel is no failure";

    Choose(old, 0);
    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    EXPECT_EQ(FileBytes(old), TextOf(ExportLog::Trips, {',', 0}))
        << "without a cancel it is written";
}

TEST_F(ExportCommandsTest, AHotSyncReloadStopsTheExportWithoutTouchingTheRecordsAgain) {
    AddTrips(5000);
    for (int i = 0; i < 5000; ++i)
        AddService(At(2004, 3, 7), i, kOilId, false, "due");
    auto reload = [this] {
        doc.DeleteContents();
        doc.InitNewDocument();
        for (int i = 0; i < 100; ++i)
            AddTrip(At(2005, 1, 1), At(2005, 1, 1), 7, 8, "After the HotSync");
    };
    const std::string path = m_folder.File("TripData.csv");
    for (int format = 0; format < 3; ++format) {
        Choose(path, format == 0 ? 0 : format - 1);
        QTimer::singleShot(0, reload);
        if (format == 0)
            ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
        else
            ExportCommands::ExportToExcel(doc, ExportLog::Services, nullptr);
        EXPECT_FALSE(std::filesystem::exists(path)) << format;
        EXPECT_EQ(doc.Trips().Count(), 100u) << "the reload came";
        // The records again for the next round.
        doc.DeleteContents();
        Fill();
        AddTrips(5000);
        for (int i = 0; i < 5000; ++i)
            AddService(At(2004, 3, 7), i, kOilId, false, "due");
    }
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(ExportCommandsTest, AReloadWhileTheDialogIsOpenCancelsTheExport) {
    AddTrips(10);
    Choose(m_folder.File("trips.csv"), 0);
    ExportSaveDialog::whileOpen([this] {
        doc.DeleteContents();
        doc.InitNewDocument();
    });
    ExportCommands::ExportToText(doc, ExportLog::Trips, {',', 0}, nullptr);
    EXPECT_EQ(m_folder.Count(), 0u);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

} // namespace
