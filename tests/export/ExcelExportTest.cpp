// The Excel exports: the cells of each log, and the Excel 5 and .xlsx files as
// xlrd and openpyxl read them.

#include "ExcelExport.h"
#include "Clock.h"
#include "ExpenseRows.h"
#include "ExportData.h"
#include "FileSizeLimit.h"
#include "SheetWriter.h"
#include "WorkbookReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

// Keeps the cells an export writes.
class RecordingSheet : public SheetWriter {
public:
    struct Cell {
        char kind = ' '; // 'L'abel, 'N'umber, 'D'ate-time
        bool bold = false;
        std::string text;
        double number = 0;
        std::vector<int> date; // year, month, day, hour, minute
    };

    void WriteLabel(std::string_view text, std::uint32_t row, std::uint16_t column,
                    bool bold) override {
        Put(row, column, {'L', bold, std::string(text), 0, {}});
    }
    void WriteNumber(double value, std::uint32_t row, std::uint16_t column, bool bold) override {
        Put(row, column, {'N', bold, "", value, {}});
    }
    void WriteDateTime(std::uint32_t row, std::uint16_t column, int year, int month, int day,
                       int hour, int minute) override {
        Put(row, column, {'D', false, "", 0, {year, month, day, hour, minute}});
    }

    void Put(std::uint32_t row, std::uint16_t column, Cell cell) {
        EXPECT_TRUE(cells.emplace(std::make_pair(row, column), cell).second)
            << "cell " << row << "," << column << " written twice";
    }
    std::string Text(std::uint32_t row, std::uint16_t column) const {
        const Cell& cell = cells.at({row, column});
        EXPECT_EQ(cell.kind, 'L');
        return cell.text;
    }
    double Number(std::uint32_t row, std::uint16_t column) const {
        const Cell& cell = cells.at({row, column});
        EXPECT_EQ(cell.kind, 'N');
        return cell.number;
    }
    std::vector<int> Date(std::uint32_t row, std::uint16_t column) const {
        const Cell& cell = cells.at({row, column});
        EXPECT_EQ(cell.kind, 'D');
        return cell.date;
    }
    // The header row's titles, each checked to be a bold label.
    std::string Titles() const {
        std::string titles;
        for (const auto& [at, cell] : cells) {
            if (at.first != 0)
                continue;
            EXPECT_TRUE(cell.kind == 'L' && cell.bold) << titles;
            titles += cell.text + "|";
        }
        return titles;
    }
    std::uint32_t Rows() const { return cells.empty() ? 0 : cells.rbegin()->first.first + 1; }

    std::map<std::pair<std::uint32_t, std::uint16_t>, Cell> cells;
};

class ExcelSheetTest : public testing::Test, protected ExportDocument {
protected:
    RecordingSheet Write(ExportLog log) {
        RecordingSheet sheet;
        EXPECT_TRUE(ExcelSheet(doc, log).Write(sheet, nullptr));
        return sheet;
    }
};

TEST_F(ExcelSheetTest, TripRowsHoldDatesNumbersAndLabels) {
    AddTrip(At(2004, 3, 7, 9, 5), At(2004, 3, 7, 10, 30), 1200, 1100, "Main St,\r\nSpringfield",
            "first\r\nsecond, third", kCommaCategory);
    AddTrip(At(2004, 3, 8), At(2004, 3, 8), 1, 20000001, "x", std::string(300, 'n'), 9);
    const RecordingSheet sheet = Write(ExportLog::Trips);
    EXPECT_EQ(sheet.Titles(), "Start Time|End Time|Destination|Category|Start Miles|End Miles|"
                              "Distance|Note|");
    EXPECT_EQ(sheet.Date(1, 0), (std::vector<int>{2004, 3, 7, 9, 5}));
    EXPECT_EQ(sheet.Date(1, 1), (std::vector<int>{2004, 3, 7, 10, 30}));
    EXPECT_EQ(sheet.Text(1, 2), "Main St,  Springfield") << "line breaks go, commas stay";
    EXPECT_EQ(sheet.Text(1, 3), "Home, Away");
    EXPECT_EQ(sheet.Number(1, 4), 1200);
    EXPECT_EQ(sheet.Number(1, 5), 1100);
    EXPECT_EQ(sheet.Number(1, 6), -100) << "the workbook keeps a reversed trip's sign";
    EXPECT_EQ(sheet.Text(1, 7), "first  second, third");
    EXPECT_FALSE(sheet.cells.at({1, 7}).bold);
    EXPECT_EQ(sheet.Text(2, 3), "Unknown");
    EXPECT_EQ(sheet.Number(2, 6), 20000000) << "nor is the distance cut at the largest reading";
    EXPECT_EQ(sheet.Text(2, 7), std::string(255, 'n'));
    EXPECT_EQ(sheet.cells.size(), 24u);

    SetMetric(true);
    EXPECT_EQ(Write(ExportLog::Trips).Titles(),
              "Start Time|End Time|Destination|Category|Start Kilometers|End Kilometers|"
              "Distance|Note|");
}

TEST_F(ExcelSheetTest, ServiceAndExpenseDatesAreAtMidnight) {
    const Clock::ScopedFix now(At(2004, 6, 1, 12, 0));
    AddService(At(2004, 3, 7, 9, 5), 4000, kOilId, true, "a\nb");
    AddService(At(2004, 9, 1), 90000, 999, false);
    AddExpense(At(2004, 3, 7, 18, 45), "Gas\r\nStation", "Fill up", 12000, 12345, 10995, kWork,
               "n\r");
    AddExpense(At(2004, 3, 9), "Shop", "Oil", 12100, -2500, 0, 5);

    const RecordingSheet services = Write(ExportLog::Services);
    EXPECT_EQ(services.Titles(), "Date|Odometer|ServiceType|Status|Note|");
    EXPECT_EQ(services.Date(1, 0), (std::vector<int>{2004, 3, 7, 0, 0}));
    EXPECT_EQ(services.Number(1, 1), 4000);
    EXPECT_EQ(services.Text(1, 2), "Oil");
    EXPECT_EQ(services.Text(1, 3), "Completed");
    EXPECT_EQ(services.Text(1, 4), "a b");
    EXPECT_EQ(services.Text(2, 2), "Unknown");
    EXPECT_EQ(services.Text(2, 3), "Future");

    SetMetric(true);
    const RecordingSheet expenses = Write(ExportLog::Expenses);
    EXPECT_EQ(expenses.Titles(), "Date|Vender|Description|Category|Odometer|Cost|Liters|Note|");
    EXPECT_EQ(expenses.Date(1, 0), (std::vector<int>{2004, 3, 7, 0, 0}));
    EXPECT_EQ(expenses.Text(1, 1), "Gas  Station");
    EXPECT_EQ(expenses.Text(1, 2), "Fill up");
    EXPECT_EQ(expenses.Text(1, 3), "Work");
    EXPECT_EQ(expenses.Number(1, 4), 12000);
    EXPECT_DOUBLE_EQ(expenses.Number(1, 5), 12.345) << "not rounded to cents";
    EXPECT_DOUBLE_EQ(expenses.Number(1, 6), 10.995);
    EXPECT_EQ(expenses.Text(1, 7), "n ");
    EXPECT_EQ(expenses.Text(2, 3), "Unknown");
    EXPECT_DOUBLE_EQ(expenses.Number(2, 5), -2.5);
}

// Records dated outside 1970-2038 are left out of a date range alike by the
// list and the exports (which share their rows), and shown with all dates.
TEST_F(ExcelSheetTest, TheListAndBothExportsTakeTheSameRecordsOfARange) {
    AddExpense(MTime(std::int64_t{-400 * 86400}), "Before", "", 1, 1, 0); // 1968
    AddExpense(At(2004, 6, 1), "Inside", "", 2, 1, 0);
    AddExpense(MTime(std::int64_t{2208988800}), "After", "", 3, 1, 0); // 2040
    doc.FromDate = At(1970, 1, 2);
    doc.ToDate = At(2038, 1, 17, 23, 59);
    for (const bool allDates : {false, true}) {
        doc.DisplayAllDates = allDates;
        std::string listed, sheetRows;
        for (const ExpenseRecord* row :
             ExpenseRows(doc.Expenses(), ExpenseFilter::FromDocument(doc)))
            listed += std::string(row->Vendor.View()) + ",";
        const RecordingSheet sheet = Write(ExportLog::Expenses);
        for (std::uint32_t row = 1; row < sheet.Rows(); ++row)
            sheetRows += sheet.Text(row, 1) + ",";
        EXPECT_EQ(listed, allDates ? "Before,Inside,After," : "Inside,");
        EXPECT_EQ(sheetRows, listed);
    }
}

TEST_F(ExcelSheetTest, SkippedRecordsLeaveNoEmptyRows) {
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2, "One");
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2, "Deleted").MarkDeleted();
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2, "Bus", "", 0, kBusId);
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2, "Two", "", kWork);
    AddTrip(At(2005, 1, 1), At(2005, 1, 1), 1, 2, "Later");
    AddTrip(At(2004, 1, 2), At(2004, 1, 1), 1, 2, "Three");
    doc.DisplayAllDates = 0;
    doc.FromDate = At(2004, 1, 1);
    doc.ToDate = At(2004, 12, 31, 23, 59);
    const ExcelSheet trips(doc, ExportLog::Trips);
    EXPECT_EQ(trips.RowCount(), 4u);
    RecordingSheet sheet;
    ASSERT_TRUE(trips.Write(sheet, nullptr));
    EXPECT_EQ(sheet.Rows(), 4u);
    EXPECT_EQ(sheet.Text(1, 2) + sheet.Text(2, 2) + sheet.Text(3, 2), "OneTwoThree");

    doc.SelectedVehicle = nullptr;
    EXPECT_EQ(Write(ExportLog::Trips).Rows(), 1u) << "the header only, without a vehicle";
    EXPECT_EQ(Write(ExportLog::Services).Rows(), 1u);
    EXPECT_EQ(Write(ExportLog::Expenses).Rows(), 1u);
}

// The same exports through both workbook formats and their real readers.
class WorkbookFileTest : public testing::TestWithParam<WorkbookFormat>, protected ExportDocument {
protected:
    bool Xlsx() const { return GetParam() == WorkbookFormat::Xlsx; }
    std::string Name(const std::string& base) const {
        return m_folder.File(base + (Xlsx() ? ".xlsx" : ".xls"));
    }
    ReadWorkbook ExportAndRead(ExportLog log, const std::string& path) {
        EXPECT_EQ(ExportWorkbookFile(doc, log, GetParam(), path, nullptr), ExportOutcome::Written);
        return RunWorkbookReader(Xlsx() ? "xlsx" : "xls", path);
    }

    ScratchFolder m_folder;
};

TEST_P(WorkbookFileTest, ReadersFindTheCellsTheirKindsAndTheBoldHeader) {
    AddTrip(At(2004, 3, 7, 9, 5), At(2004, 3, 7, 10, 30), 1200, 1100, "Caf\xE9 M\xFCller \x80",
            "line\r\nbreak", kCommaCategory);
    AddTrip(At(2004, 3, 8), At(2004, 3, 8, 23, 59), 5, 10, "<&>\"'", "");
    const ReadWorkbook trips = ExportAndRead(ExportLog::Trips, Name("TripData"));
    ASSERT_TRUE(trips.readable) << trips.output;
    EXPECT_EQ(trips.sheetName, "Sheet1");
    EXPECT_EQ(trips.rows, 3);
    EXPECT_EQ(trips.columns, 8);
    const char* titles[] = {"Start Time",  "End Time",  "Destination", "Category",
                            "Start Miles", "End Miles", "Distance",    "Note"};
    for (int column = 0; column < 8; ++column) {
        const ReadCell& title = trips.At(0, column);
        EXPECT_EQ(title.kind, "text");
        EXPECT_TRUE(title.bold) << title;
        EXPECT_EQ(title.value, titles[column]);
    }
    EXPECT_EQ(trips.At(1, 0).kind, "date");
    EXPECT_EQ(trips.At(1, 0).value, "2004-03-07 09:05:00|m/d/yyyy h:mm");
    EXPECT_FALSE(trips.At(1, 0).bold);
    EXPECT_EQ(trips.At(1, 1).value, "2004-03-07 10:30:00|m/d/yyyy h:mm");
    EXPECT_EQ(trips.At(1, 2).value, "Caf\xC3\xA9 M\xC3\xBCller \xE2\x82\xAC")
        << "Windows-1252, as the workbook names it, read as such";
    EXPECT_EQ(trips.At(1, 3).value, "Home, Away");
    EXPECT_EQ(trips.At(1, 4).kind, "number");
    EXPECT_EQ(trips.At(1, 4).value, "1200.0");
    EXPECT_EQ(trips.At(1, 6).value, "-100.0");
    EXPECT_FALSE(trips.At(1, 6).bold);
    EXPECT_EQ(trips.At(1, 7).value, "line  break");
    EXPECT_EQ(trips.At(2, 1).value, "2004-03-08 23:59:00|m/d/yyyy h:mm");
    EXPECT_EQ(trips.At(2, 2).value, "<&>\"'");
    EXPECT_EQ(trips.At(2, 7).value, "") << "an empty note";

    const Clock::ScopedFix now(At(2004, 6, 1, 12, 0));
    AddService(At(2004, 3, 7, 9, 5), 4000, kOilId, true, "done");
    const ReadWorkbook services = ExportAndRead(ExportLog::Services, Name("ServiceData"));
    ASSERT_TRUE(services.readable) << services.output;
    EXPECT_EQ(services.rows, 2);
    EXPECT_TRUE(services.At(0, 2).bold);
    EXPECT_EQ(services.At(0, 2).value, "ServiceType");
    EXPECT_EQ(services.At(1, 0).value, "2004-03-07 00:00:00|m/d/yyyy h:mm");
    EXPECT_EQ(services.At(1, 1).value, "4000.0");
    EXPECT_EQ(services.At(1, 3).value, "Completed");

    AddExpense(At(2004, 3, 7, 18, 45), "Gas", "Fill up", 12000, 12345, 10995, kWork);
    const ReadWorkbook expenses = ExportAndRead(ExportLog::Expenses, Name("ExpenseData"));
    ASSERT_TRUE(expenses.readable) << expenses.output;
    EXPECT_EQ(expenses.At(0, 6).value, "Gallons");
    EXPECT_EQ(expenses.At(1, 0).value, "2004-03-07 00:00:00|m/d/yyyy h:mm");
    EXPECT_EQ(expenses.At(1, 5).kind, "number");
    EXPECT_NEAR(std::stod(expenses.At(1, 5).value), 12.345, 1e-12);
    EXPECT_NEAR(std::stod(expenses.At(1, 6).value), 10.995, 1e-12);
}

TEST_P(WorkbookFileTest, AHeaderOnlySheetIsAWorkbookToo) {
    AddExpense(At(2004, 3, 7), "Gas", "", 1, 1, 1, 0, "", kBusId);
    const ReadWorkbook expenses = ExportAndRead(ExportLog::Expenses, Name("ExpenseData"));
    ASSERT_TRUE(expenses.readable) << expenses.output;
    EXPECT_EQ(expenses.rows, 1);
    EXPECT_EQ(expenses.cells.size(), 8u);
    EXPECT_EQ(expenses.At(0, 7).value, "Note");
}

TEST_P(WorkbookFileTest, AFullExcel5SheetKeepsItsLastRowAndTakesNoMore) {
    for (int i = 0; i < 16383; ++i)
        AddTrip(At(2004, 1, 1), At(2004, 1, 1), i, i + 1, "Trip " + std::to_string(i));
    const ReadWorkbook full = ExportAndRead(ExportLog::Trips, Name("Full"));
    ASSERT_TRUE(full.readable) << full.output.substr(0, 500);
    EXPECT_EQ(full.rows, 16384);
    EXPECT_EQ(full.At(16383, 2).value, "Trip 16382");
    EXPECT_EQ(full.At(16383, 5).value, "16383.0");
    EXPECT_EQ(full.At(1, 2).value, "Trip 0") << "no row overwrote another";

    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 0, 1, "One too many");
    const std::string path = Name("TooMany");
    if (Xlsx()) {
        const ReadWorkbook more = ExportAndRead(ExportLog::Trips, path);
        ASSERT_TRUE(more.readable);
        EXPECT_EQ(more.rows, 16385);
        EXPECT_EQ(more.At(16384, 2).value, "One too many");
        return;
    }
    std::ofstream(path) << "an older workbook";
    try {
        ExportWorkbookFile(doc, ExportLog::Trips, GetParam(), path, nullptr);
        ADD_FAILURE() << "16,385 rows were written";
    } catch (const MExceptTooManyRows& refused) {
        const std::string message = refused.Message();
        EXPECT_NE(message.find("16,385 rows"), std::string::npos) << message;
        EXPECT_NE(message.find("16,384"), std::string::npos) << message;
        EXPECT_NE(message.find("text file"), std::string::npos) << message;
        EXPECT_NE(message.find("(*.xlsx)"), std::string::npos) << message;
    }
    EXPECT_TRUE(FileBytes(path) == "an older workbook") << "the old file was replaced";
}

// Stops the export at its second report.
class StopAtSecond : public ExportProgress {
public:
    bool Continue(std::size_t, std::size_t) override { return ++m_calls < 2; }

private:
    int m_calls = 0;
};

TEST_P(WorkbookFileTest, AStoppedOrFailedExportLeavesNoPartialFile) {
    for (int i = 0; i < 5000; ++i)
        AddTrip(At(2004, 1, 1), At(2004, 1, 1), i, i + 1, "Somewhere far away",
                std::string(200, 'x'));
    const std::string fresh = Name("Fresh");
    StopAtSecond stop;
    EXPECT_EQ(ExportWorkbookFile(doc, ExportLog::Trips, GetParam(), fresh, &stop),
              ExportOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const std::string old = Name("Old");
    std::ofstream(old) << "an older workbook";
    {
        const FileSizeLimit limit(16 * 1024); // either workbook takes far more
        EXPECT_THROW(ExportWorkbookFile(doc, ExportLog::Trips, GetParam(), old, nullptr),
                     MExceptFileWriteError);
    }
    EXPECT_TRUE(FileBytes(old) == "an older workbook") << "the old file was replaced";
    EXPECT_EQ(m_folder.Count(), 1u) << "no temporary file stays behind";

    EXPECT_THROW(
        ExportWorkbookFile(doc, ExportLog::Trips, GetParam(), m_folder.File("no/such"), nullptr),
        MExceptFileOpenError);
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                      std::filesystem::directory_iterator()));
}

// The workbooks are built beside their targets: a missing or unusable
// temporary folder changes nothing, and a stopped export closes what it
// opened.
TEST_P(WorkbookFileTest, NoTemporaryFolderIsNeededAndAStopClosesEverything) {
    for (int i = 0; i < 3000; ++i)
        AddTrip(At(2004, 1, 1), At(2004, 1, 1), i, i + 1, "Somewhere", std::string(100, 'x'));
    const std::string notAFolder = m_folder.File("file");
    std::ofstream(notAFolder) << "x";
    const std::string saved = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "";
    for (const std::string& tmpdir : {m_folder.File("missing"), notAFolder}) {
        SCOPED_TRACE(tmpdir);
        ::setenv("TMPDIR", tmpdir.c_str(), 1);
        const std::size_t open = OpenDescriptors();
        StopAtSecond stop;
        EXPECT_EQ(ExportWorkbookFile(doc, ExportLog::Trips, GetParam(), Name("Stopped"), &stop),
                  ExportOutcome::Stopped);
        EXPECT_EQ(OpenDescriptors(), open) << "a file of the stopped export stays open";
        const ReadWorkbook book = ExportAndRead(ExportLog::Trips, Name("Whole"));
        EXPECT_TRUE(book.readable) << book.output.substr(0, 300);
        EXPECT_EQ(book.rows, 3001);
    }
    ::setenv("TMPDIR", saved.c_str(), 1);
    if (saved.empty())
        ::unsetenv("TMPDIR");
    EXPECT_EQ(m_folder.Count(), 2u) << "the workbook and the file, nothing else";
}

INSTANTIATE_TEST_SUITE_P(BothFormats, WorkbookFileTest,
                         testing::Values(WorkbookFormat::Excel5, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return info.param == WorkbookFormat::Excel5 ? "Excel5" : "Xlsx";
                         });

} // namespace
