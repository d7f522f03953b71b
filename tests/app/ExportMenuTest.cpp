// The File menu's exports: offered by their log's list, run with the
// settings' delimiter and date format.

#include "../export/WorkbookReader.h"
#include "AppFixture.h"
#include "ExportSaveDialog.h"
#include "LogView.h"
#include "TvDeskDoc.h"

#include <QAction>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>

namespace {

class ExportMenuTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        ExportSaveDialog::setTestMode(true);
    }

    QAction* Action(const char* name) const { return m_frame->findChild<QAction*>(name); }

    // The exports enabled now, by their action names.
    QStringList Enabled() const {
        QStringList names;
        for (const char* name :
             {"actionExportTripText", "actionExportTripExcel", "actionExportServiceText",
              "actionExportServiceExcel", "actionExportExpenseText", "actionExportExpenseExcel"})
            if (Action(name)->isEnabled())
                names << name;
        return names;
    }

    static std::string Read(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    QTemporaryDir m_out;
};

TEST_F(ExportMenuTest, EachLogsListOffersItsOwnExports) {
    EXPECT_EQ(Enabled(), QStringList({"actionExportTripText", "actionExportTripExcel"}));
    m_frame->ShowLog(LogIndex::kServiceLog);
    EXPECT_EQ(Enabled(), QStringList({"actionExportServiceText", "actionExportServiceExcel"}));
    m_frame->ShowLog(LogIndex::kVehicleList);
    EXPECT_EQ(Enabled(), QStringList());
    m_frame->ShowLog(LogIndex::kServiceTypes);
    EXPECT_EQ(Enabled(), QStringList());
    Action("actionExpenseLog")->trigger(); // View > Expense Log offers it
    m_frame->ShowLog(LogIndex::kExpenseLog);
    EXPECT_EQ(Enabled(), QStringList({"actionExportExpenseText", "actionExportExpenseExcel"}));
    m_frame->ShowLog(LogIndex::kTripLog);
    EXPECT_EQ(Enabled(), QStringList({"actionExportTripText", "actionExportTripExcel"}));
}

TEST_F(ExportMenuTest, TheTextExportTakesTheSettingsDelimiterAndDateFormat) {
    Action("actionExportTripText")->trigger();
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({"There are no trips to export."}));

    CTvDeskDoc& document = m_app->Doc();
    VehicleRecord van;
    van.Name.Set("Van");
    van.VehicleId = 5;
    document.SelectedVehicle = &document.Vehicles().Append(van);
    document.TripLogFilter = &document.AllCategoriesEntry;
    document.DisplayAllDates = 1;
    TripRecord trip(MTime(2004, 3, 7, 9, 5, 0, -1));
    trip.VehicleId = 5;
    trip.Destination.Set("Bank; Main St");
    trip.StartOdometer = 10;
    trip.EndOdometer = 25;
    document.Trips().Append(std::move(trip));

    m_app->Delimiter = ';';
    m_app->DateTimeExportFormat = 1;
    ExportSaveDialog::setNextChoice(m_out.filePath("trips"), 0);
    Action("actionExportTripText")->trigger();
    EXPECT_EQ(ExportSaveDialog::lastFilters().front(), "Text Files (*.txt)");
    EXPECT_EQ(Read(m_out.filePath("trips.txt")),
              "Start Time;End Time;Destination;Category;Start Miles;End Miles;Distance;Note;\r\n"
              "3/7/2004;3/7/2004;Bank  Main St;Unfiled;10;25;15;;\r\n");

    ExportSaveDialog::setNextChoice(m_out.filePath("trips"), 0);
    Action("actionExportTripExcel")->trigger();
    const ReadWorkbook book = RunWorkbookReader("xls", m_out.filePath("trips.xls").toStdString());
    ASSERT_TRUE(book.readable) << book.output;
    EXPECT_EQ(book.rows, 2);
    EXPECT_EQ(book.At(1, 2).value, "Bank; Main St") << "the delimiter is the text files' only";
    EXPECT_EQ(book.At(1, 0).value, "2004-03-07 09:05:00|m/d/yyyy h:mm") << "and so is the format";
    EXPECT_EQ(MessageBox::shownTexts().size(), 1);
}

} // namespace
