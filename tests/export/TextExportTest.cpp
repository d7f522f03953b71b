// The delimited text exports, byte for byte, on memory and on disk.

#include "TextExport.h"
#include "Clock.h"
#include "ExportData.h"
#include "FileSizeLimit.h"
#include "MExcept.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace {

class TextExportTest : public testing::Test, protected ExportDocument {
protected:
    std::string Export(ExportLog log, char delimiter = ',', int format = 0,
                       ExportProgress* progress = nullptr) {
        MemorySink sink;
        EXPECT_TRUE(WriteTextExport(doc, log, {delimiter, format}, sink, progress));
        return SinkText(sink);
    }

    // The lines after the header.
    std::string Rows(ExportLog log, char delimiter = ',', int format = 0) {
        const std::string text = Export(log, delimiter, format);
        return text.substr(text.find("\r\n") + 2);
    }
};

TEST_F(TextExportTest, HeaderLinesNameTheColumnsForEachDelimiterAndUnit) {
    EXPECT_EQ(Export(ExportLog::Trips, '\t'),
              "Start Time\tEnd Time\tDestination\tCategory\tStart Miles\tEnd Miles\tDistance\tNote"
              "\t\r\n");
    EXPECT_EQ(Export(ExportLog::Services, ':'), "Date:Odometer:ServiceType:Status:Note:\r\n");
    EXPECT_EQ(Export(ExportLog::Expenses, ';'),
              "Date;Vender;Description;Category;Odometer;Cost;Gallons;Note;\r\n");

    SetMetric(true);
    EXPECT_EQ(Export(ExportLog::Trips, ','),
              "Start Time,End Time,Destination,Category,Start Kilometers,End Kilometers,Distance,"
              "Note,\r\n");
    EXPECT_EQ(Export(ExportLog::Expenses, '\t'),
              "Date\tVender\tDescription\tCategory\tOdometer\tCost\tLiters\tNote\t\r\n");
    EXPECT_EQ(Export(ExportLog::Services, ','), "Date,Odometer,ServiceType,Status,Note,\r\n")
        << "the service log names no unit";
}

TEST_F(TextExportTest, TripLinesCarryEveryFieldEachFollowedByTheDelimiter) {
    AddTrip(At(2004, 3, 7, 9, 5), At(2004, 3, 7, 10, 30), 1200, 1234, "Bank", "Paid", kWork);
    AddTrip(At(2004, 12, 31, 23, 59), At(2005, 1, 1, 0, 0), 9999990, 10000000, "Far", "", 0);
    EXPECT_EQ(Rows(ExportLog::Trips),
              "3/7/2004 9:05,3/7/2004 10:30,Bank,Work,1200,1234,34,Paid,\r\n"
              "12/31/2004 23:59,1/1/2005 0:00,Far,Unfiled,9999990,"
              "10000000,10,,\r\n");
    EXPECT_EQ(Rows(ExportLog::Trips, '\t', 1),
              "3/7/2004\t3/7/2004\tBank\tWork\t1200\t1234\t34\tPaid\t\r\n"
              "12/31/2004\t1/1/2005\tFar\tUnfiled\t9999990\t10000000\t10\t\t\r\n");
}

TEST_F(TextExportTest, TripDistanceIsNeverNegativeNorAboveTheLargestReading) {
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 500, 400);
    AddTrip(At(2004, 3, 8), At(2004, 3, 8), -9999999, 9999999);
    EXPECT_EQ(Rows(ExportLog::Trips, ',', 1), "3/7/2004,3/7/2004,Depot,Unfiled,500,400,0,,\r\n"
                                              "3/8/2004,3/8/2004,Depot,Unfiled,-9999999,9999999,"
                                              "9999999,,\r\n");
}

TEST_F(TextExportTest, FreeTextLosesLineBreaksAndTheDelimiterAndIsCutAt255) {
    const std::string longNote = std::string(250, 'n') + "ABCDE" + "cut off";
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 1, 2, "Main St, Springfield", "one\r\ntwo\nthree\r");
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 1, 2, "x", longNote);
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 1, 2, "Tab\there", "a;b:c");

    const std::string comma = Rows(ExportLog::Trips, ',', 1);
    EXPECT_EQ(comma, "3/7/2004,3/7/2004,Main St  Springfield,Unfiled,1,2,1,one  two three ,\r\n"
                     "3/7/2004,3/7/2004,x,Unfiled,1,2,1," +
                         longNote.substr(0, 255) +
                         ",\r\n"
                         "3/7/2004,3/7/2004,Tab\there,Unfiled,1,2,1,a;b:c,\r\n");
    // Only the chosen delimiter is replaced.
    EXPECT_EQ(Rows(ExportLog::Trips, '\t', 1).substr(0, 56),
              "3/7/2004\t3/7/2004\tMain St, Springfield\tUnfiled\t1\t2\t1\tone");
    EXPECT_NE(Rows(ExportLog::Trips, '\t', 1).find("\tTab here\t"), std::string::npos);
    EXPECT_NE(Rows(ExportLog::Trips, ';', 1).find(";a b:c;"), std::string::npos);
}

TEST(CleanTextTest, EveryLineBreakAndDelimiterIsFoundWhereverItStands) {
    // Texts of every length up to past the cut, with one character to
    // replace at each place in turn (the copy goes word by word).
    for (const char special : {'\r', '\n', ';'}) {
        for (std::size_t length = 0; length <= 260; ++length) {
            for (std::size_t at = 0; at <= length; ++at) {
                std::string text(length, 'x');
                for (std::size_t i = 0; i < length; ++i)
                    text[i] = static_cast<char>('a' + i % 26);
                if (at < length)
                    text[at] = special;
                std::string expected = text.substr(0, 255);
                if (at < expected.size())
                    expected[at] = ' ';
                char out[300];
                std::fill(std::begin(out), std::end(out), '#');
                char* end = CopyCleanText(out, text, ';');
                ASSERT_EQ(std::string(out, static_cast<std::size_t>(end - out)), expected)
                    << length << " " << at;
                ASSERT_EQ(*end, '#') << "nothing written past the end";
            }
        }
    }
    EXPECT_EQ(CleanText("a,b\r\nc", ','), "a b  c");
    EXPECT_EQ(CleanText("a,b\r\nc", '\r'), "a,b  c");
}

TEST_F(TextExportTest, CategoryNamesCannotShiftTheColumns) {
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 1, 2, "Home", "", kCommaCategory);
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 1, 2, "Lost", "", 9);
    AddCategory(doc.Trips().Categories, "Line\r\nBreak", 3);
    AddTrip(At(2004, 3, 7), At(2004, 3, 7), 1, 2, "Broken", "", 3);
    EXPECT_EQ(Rows(ExportLog::Trips, ',', 1), "3/7/2004,3/7/2004,Home,Home  Away,1,2,1,,\r\n"
                                              "3/7/2004,3/7/2004,Lost,Unknown,1,2,1,,\r\n"
                                              "3/7/2004,3/7/2004,Broken,Line  Break,1,2,1,,\r\n");
    EXPECT_NE(Rows(ExportLog::Trips, '\t', 1).find("\tHome, Away\t"), std::string::npos)
        << "another delimiter keeps the comma";

    AddExpense(At(2004, 3, 7), "Shop", "Stuff", 100, 0, 0, 7);
    AddCategory(doc.Expenses().Categories, "Toll;Fee", 4);
    AddExpense(At(2004, 3, 8), "Road", "Bridge", 100, 0, 0, 4);
    EXPECT_EQ(Rows(ExportLog::Expenses, ';', 1),
              "3/7/2004;Shop;Stuff;Unknown;100;0.00;0.00;;\r\n"
              "3/8/2004;Road;Bridge;Toll Fee;100;0.00;0.00;;\r\n");
}

TEST_F(TextExportTest, ServiceLinesShowTypeStatusAndMidnight) {
    const Clock::ScopedFix now(At(2004, 6, 1, 12, 0));
    AddTrip(At(2004, 5, 1), At(2004, 5, 1), 4000, 5000); // the van's reading: 5000
    AddService(At(2004, 3, 7, 9, 5), 4000, kOilId, true, "done\r\nwell, really");
    AddService(At(2004, 5, 20), 4500, kTiresId, false, "");   // reading reached: past due
    AddService(At(2004, 8, 1), 8000, kOilId, false, "later"); // due in August
    AddService(At(2004, 3, 7), 100, 999, false, "");          // its type is gone
    AddService(At(2004, 3, 7), 100, kOilId, false, "", kBusId);
    ServiceTypeRecord& odd = AddServiceType("Wax, Polish", 23, 0, TimeUnit::Days, 30);
    AddService(At(2004, 5, 1), 0, odd.ServiceTypeId, false, "");

    EXPECT_EQ(Rows(ExportLog::Services), "3/7/2004 0:00,4000,Oil,Completed,done  well  really,\r\n"
                                         "5/20/2004 0:00,4500,Tires,Past Due,,\r\n"
                                         "8/1/2004 0:00,8000,Oil,Future,later,\r\n"
                                         "3/7/2004 0:00,100,Unknown,Past Due,,\r\n"
                                         "5/1/2004 0:00,0,Wax  Polish,Past Due,,\r\n");
    const std::string tabbed = Rows(ExportLog::Services, '\t', 1);
    EXPECT_EQ(tabbed.substr(0, tabbed.find("\r\n")),
              "3/7/2004\t4000\tOil\tCompleted\tdone  well, really\t");
}

TEST_F(TextExportTest, ExpenseLinesShowAmountsWithTwoDecimals) {
    AddExpense(At(2004, 3, 7, 18, 45), "Gas\r\nStation, Inc", "Fill, up", 12000, 12345, 0, kWork,
               "receipt\nlost");
    AddExpense(At(2004, 3, 8), "Shop", "Oil", 12100, -2500, 11000, 0);
    EXPECT_EQ(Rows(ExportLog::Expenses),
              "3/7/2004 0:00,Gas  Station  Inc,Fill  up,Work,12000,12.35,0.00,receipt lost,\r\n"
              "3/8/2004 0:00,Shop,Oil,Unfiled,12100,-2.50,11.00,,\r\n");
}

TEST_F(TextExportTest, OnlyTheRecordsTheListWouldShowAreWritten) {
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2, "Early");
    AddTrip(At(2004, 1, 2, 23, 59), At(2004, 1, 3), 1, 2, "Work", "", kWork);
    AddTrip(At(2004, 1, 2), At(2004, 1, 2), 1, 2, "Deleted").MarkDeleted();
    AddTrip(At(2004, 1, 2), At(2004, 1, 2), 1, 2, "Bus trip", "", 0, kBusId);
    AddTrip(At(2004, 1, 4), At(2004, 1, 4), 1, 2, "Late");
    AddExpense(At(2004, 1, 2), "Fuel", "", 1, 1, 1, kWork);
    AddExpense(At(2004, 1, 2), "Other", "", 1, 1, 1, 0);
    AddExpense(At(2004, 1, 2), "Gone", "", 1, 1, 1, 0).MarkDeleted();
    AddService(At(2004, 1, 2), 1, kOilId, true, "Van's");
    AddService(At(2004, 1, 2), 1, kOilId, true, "Bus's", kBusId);

    auto destinations = [this] {
        std::string names;
        const std::string rows = Rows(ExportLog::Trips, '\t', 1);
        for (std::size_t line = 0; line < rows.size(); line = rows.find('\n', line) + 1) {
            const std::size_t start = line + 18; // past the two dates
            names += rows.substr(start, rows.find('\t', start) - start) + "|";
        }
        return names;
    };
    EXPECT_EQ(destinations(), "Early|Work|Late|") << "every live trip of the van, in store order";

    doc.TripLogFilter = &doc.Trips().Categories.Items().front(); // "Home, Away" sorts first
    EXPECT_EQ(destinations(), "");
    doc.TripLogFilter = doc.Trips().Categories.FindByIndex(kWork);
    EXPECT_EQ(destinations(), "Work|");
    doc.TripLogFilter = nullptr;
    EXPECT_EQ(destinations(), "Early|Work|Late|") << "no chosen category lets every one through";

    doc.DisplayAllDates = 0;
    doc.FromDate = At(2004, 1, 2, 0, 0);
    doc.ToDate = MTime(2004, 1, 3, 23, 59, 59, -1);
    EXPECT_EQ(destinations(), "Work|") << "both ends of the range count";

    doc.ExpenseLogFilter = doc.Expenses().Categories.FindByIndex(kWork);
    EXPECT_EQ(Rows(ExportLog::Expenses, ',', 1), "1/2/2004,Fuel,,Work,1,0.00,0.00,,\r\n");
    doc.ExpenseLogFilter = nullptr;
    EXPECT_EQ(Rows(ExportLog::Expenses, ',', 1), "1/2/2004,Fuel,,Work,1,0.00,0.00,,\r\n"
                                                 "1/2/2004,Other,,Unfiled,1,0.00,0.00,,\r\n");
    EXPECT_EQ(Rows(ExportLog::Services, ',', 1), "1/2/2004,1,Oil,Completed,Van's,\r\n");
}

TEST_F(TextExportTest, WithoutAVehicleOnlyTheHeaderIsWritten) {
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2);
    AddService(At(2004, 1, 1), 1, kOilId, false);
    AddExpense(At(2004, 1, 1), "Shop", "", 1, 1, 1);
    doc.SelectedVehicle = nullptr;
    for (const ExportLog log : {ExportLog::Trips, ExportLog::Services, ExportLog::Expenses}) {
        const std::string text = Export(log);
        EXPECT_EQ(text.find("\r\n"), text.size() - 2) << text;
    }
}

TEST_F(TextExportTest, EmptyStoresAreToldApartFromEmptySelections) {
    for (const ExportLog log : {ExportLog::Trips, ExportLog::Services, ExportLog::Expenses})
        EXPECT_TRUE(ExportStoreIsEmpty(doc, log));
    EXPECT_STREQ(NoRecordsMessage(ExportLog::Services), "There are no services to export.");
    AddTrip(At(2004, 1, 1), At(2004, 1, 1), 1, 2).MarkDeleted();
    AddService(At(2004, 1, 1), 1, kOilId, false, "", kBusId);
    EXPECT_FALSE(ExportStoreIsEmpty(doc, ExportLog::Trips)) << "a deleted trip still counts";
    EXPECT_FALSE(ExportStoreIsEmpty(doc, ExportLog::Services));
    EXPECT_TRUE(ExportStoreIsEmpty(doc, ExportLog::Expenses));
}

// Stops after a given number of progress reports, keeping what it was told.
class StoppingProgress : public ExportProgress {
public:
    explicit StoppingProgress(int allowed) : m_allowed(allowed) {}
    bool Continue(std::size_t done, std::size_t total) override {
        reports.emplace_back(done, total);
        return static_cast<int>(reports.size()) <= m_allowed;
    }
    std::vector<std::pair<std::size_t, std::size_t>> reports;

private:
    int m_allowed;
};

class TextExportFileTest : public TextExportTest {
protected:
    void SetUp() override {
        for (int i = 0; i < 3000; ++i)
            AddTrip(At(2004, 1, 1), At(2004, 1, 1), i, i + 10, "Somewhere", std::string(200, 'n'));
    }

    ScratchFolder m_folder;
};

TEST_F(TextExportFileTest, TheFileHoldsExactlyWhatTheExportWrites) {
    const std::string path = m_folder.File("TripData.csv");
    std::ofstream(path) << "an older, longer file that the export replaces entirely";
    StoppingProgress progress(1000);
    EXPECT_EQ(ExportTextFile(doc, ExportLog::Trips, {',', 0}, path, &progress),
              ExportOutcome::Written);
    EXPECT_EQ(FileBytes(path), Export(ExportLog::Trips));
    EXPECT_EQ(m_folder.Count(), 1u);
    ASSERT_EQ(progress.reports.size(), 4u) << "rows 0, 1024 and 2048, then the end";
    EXPECT_EQ(progress.reports.back(), std::make_pair(std::size_t{3000}, std::size_t{3000}));
}

TEST_F(TextExportFileTest, AStoppedExportLeavesThePathAsItWas) {
    const std::string fresh = m_folder.File("TripData.csv");
    StoppingProgress stopAtOnce(0);
    EXPECT_EQ(ExportTextFile(doc, ExportLog::Trips, {',', 0}, fresh, &stopAtOnce),
              ExportOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const std::string old = m_folder.File("Old.txt");
    std::ofstream(old) << "kept";
    StoppingProgress stopLater(2);
    EXPECT_EQ(ExportTextFile(doc, ExportLog::Trips, {'\t', 0}, old, &stopLater),
              ExportOutcome::Stopped);
    EXPECT_EQ(FileBytes(old), "kept");
    EXPECT_EQ(m_folder.Count(), 1u) << "no partial file stays behind";
}

TEST_F(TextExportFileTest, AFailingDiskRaisesTheWriteErrorAndKeepsNoPartialFile) {
    const std::string path = m_folder.File("TripData.csv");
    std::ofstream(path) << "previous export";
    {
        const FileSizeLimit limit(100 * 1024); // the export needs about 700 KB
        EXPECT_THROW(ExportTextFile(doc, ExportLog::Trips, {',', 0}, path, nullptr),
                     MExceptFileWriteError);
    }
    EXPECT_EQ(FileBytes(path), "previous export");
    EXPECT_EQ(m_folder.Count(), 1u);
}

TEST_F(TextExportFileTest, AFolderThatCannotTakeTheFileRaisesTheOpenError) {
    EXPECT_THROW(ExportTextFile(doc, ExportLog::Trips, {',', 0},
                                m_folder.File("missing/TripData.csv"), nullptr),
                 MExceptFileOpenError);
    ASSERT_EQ(::chmod(m_folder.Path().c_str(), 0500), 0);
    EXPECT_THROW(
        ExportTextFile(doc, ExportLog::Trips, {',', 0}, m_folder.File("TripData.csv"), nullptr),
        MExceptFileOpenError)
        << "a read-only folder refuses the file, for an administrator too";
    EXPECT_EQ(m_folder.Count(), 0u);
}

} // namespace
