// tvtool export: the files it writes are the desktop program's, byte for byte.

#include "../export/WorkbookReader.h"
#include "Clock.h"
#include "ExcelExport.h"
#include "TextExport.h"
#include "ToolRunner.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

MTime At(int year, int month, int day, int hour = 0, int minute = 0) {
    return MTime(year, month, day, hour, minute, 0, -1);
}

// Two vehicles (Van and Bus, the bus first by name), trips, service entries
// and expenses of both, one category of each list.
class ExportCommandTest : public testing::Test {
protected:
    void SetUp() override {
        TvDocument document;
        document.InitNewDocument();
        AddVehicle(document, "Van", 11);
        AddVehicle(document, "Bus", 12);
        CategoryEntry work;
        work.Name = "Work";
        work.Category = 1;
        document.Trips().Categories.Add(work);
        document.Expenses().Categories.Add(work);
        ServiceTypeRecord oil;
        oil.Name.Set("Oil");
        oil.ServiceTypeId = 21;
        oil.DistanceInterval = 3000;
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        document.ServiceTypes().Append(oil);

        AddTrip(document, 11, 1, At(2004, 3, 7, 9, 5), 1200, 1234, "Bank, Main St", "a\r\nb");
        AddTrip(document, 11, 0, At(2004, 3, 9, 17, 0), 1234, 1200, "Home", "");
        AddTrip(document, 12, 0, At(2004, 3, 8, 8, 0), 10, 20, "School", "");
        AddService(document, 12, At(2004, 5, 1), 5000, false);
        AddService(document, 12, At(2004, 1, 1), 100, true);
        AddExpense(document, 11, At(2004, 3, 7, 12, 0), "Gas", 1, 12345, 10500);
        AddExpense(document, 11, At(2004, 3, 8), "Toll", 0, 250, 0);
        ASSERT_TRUE(document.OnSaveDocument(m_data));
    }

    static void AddVehicle(TvDocument& document, const char* name, std::uint32_t id) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        document.Vehicles().Append(vehicle);
    }
    static void AddTrip(TvDocument& document, std::uint32_t vehicle, std::uint32_t category,
                        const MTime& start, std::int32_t from, std::int32_t to,
                        const char* destination, const char* note) {
        TripRecord trip(start);
        trip.End = At(start.GetYear() + 1900, start.GetMonth() + 1, start.GetDay(), 23, 0);
        trip.VehicleId = vehicle;
        trip.Category = category;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Destination.Set(destination);
        trip.Note = note;
        document.Trips().Append(std::move(trip));
    }
    static void AddService(TvDocument& document, std::uint32_t vehicle, const MTime& date,
                           std::int32_t odometer, bool completed) {
        ServiceRecord entry(date);
        entry.VehicleId = vehicle;
        entry.ServiceTypeId = 21;
        entry.Odometer = odometer;
        entry.ServiceFlags = completed ? ServiceFlagBits::Completed : 0;
        document.Services().Append(std::move(entry));
    }
    static void AddExpense(TvDocument& document, std::uint32_t vehicle, const MTime& date,
                           const char* vendor, std::uint32_t category, std::int32_t cost,
                           std::int32_t volume) {
        ExpenseRecord expense(date);
        expense.VehicleId = vehicle;
        expense.Vendor.Set(vendor);
        expense.Category = category;
        expense.Cost = cost;
        expense.Volume = volume;
        document.Expenses().Append(std::move(expense));
    }

    ToolResult Export(const std::string& log, std::vector<std::string> options) const {
        options.insert(options.begin(), {"export", log, m_data});
        return RunToolCaptured(options);
    }

    // The document as the desktop program holds it, for the same filter.
    void Open(TvDocument& document, const char* vehicle) const {
        ASSERT_TRUE(document.OnOpenDocument(m_data));
        for (VehicleRecord& candidate : document.Vehicles().Records())
            if (candidate.Name.View() == vehicle)
                document.SelectedVehicle = &candidate;
        document.TripLogFilter = &document.AllCategoriesEntry;
        document.ExpenseLogFilter = &document.AllCategoriesEntry;
        document.DisplayAllDates = 1;
    }

    TempFolder m_folder;
    std::string m_data = m_folder.File("TvData.tv");
    std::string m_out = m_folder.File("out");
};

TEST_F(ExportCommandTest, TextDefaultsToCommasDatesWithTimesAndTheFirstVehicle) {
    const ToolResult bus = Export("trips", {"-o", m_out});
    EXPECT_EQ(bus.status, kExitOk) << bus.err;
    EXPECT_EQ(ReadBytes(m_out), "Start Time,End Time,Destination,Category,Start Miles,End Miles,"
                                "Distance,Note,\r\n"
                                "3/8/2004 8:00,3/8/2004 23:00,School,Unfiled,10,20,10,,\r\n");

    const ToolResult van = Export("trips", {"--vehicle", "Van", "-o", m_out, "--delimiter", "tab",
                                            "--date-only", "--category", "Work"});
    EXPECT_EQ(van.status, kExitOk) << van.err;
    EXPECT_EQ(ReadBytes(m_out),
              "Start Time\tEnd Time\tDestination\tCategory\tStart Miles\tEnd "
              "Miles\tDistance\tNote\t\r\n"
              "3/7/2004\t3/7/2004\tBank, Main St\tWork\t1200\t1234\t34\ta  b\t\r\n");

    EXPECT_EQ(Export("trips", {"--vehicle", "Van", "-o", m_out, "--delimiter", "semicolon",
                               "--from", "3/9/2004", "--to", "3/9/2004"})
                  .status,
              kExitOk);
    EXPECT_EQ(ReadBytes(m_out).substr(ReadBytes(m_out).find("\r\n") + 2),
              "3/9/2004 17:00;3/9/2004 23:00;Home;Unfiled;1234;1200;0;;\r\n");

    EXPECT_EQ(Export("expenses", {"--vehicle", "Van", "-o", m_out, "--delimiter", "colon"}).status,
              kExitOk);
    EXPECT_EQ(ReadBytes(m_out), "Date:Vender:Description:Category:Odometer:Cost:Gallons:Note:\r\n"
                                "3/7/2004 0:00:Gas::Work:0:12.35:10.50::\r\n"
                                "3/8/2004 0:00:Toll::Unfiled:0:0.25:0.00::\r\n");
}

TEST_F(ExportCommandTest, ServiceStatusIsJudgedAtTheGivenTime) {
    ASSERT_EQ(Export("services", {"-o", m_out, "--now", "2004-04-01 12:00:00"}).status, kExitOk);
    EXPECT_EQ(ReadBytes(m_out), "Date,Odometer,ServiceType,Status,Note,\r\n"
                                "5/1/2004 0:00,5000,Oil,Future,,\r\n"
                                "1/1/2004 0:00,100,Oil,Completed,,\r\n");
    ASSERT_EQ(Export("services", {"-o", m_out, "--now", "2004-05-01 00:00:00"}).status, kExitOk);
    EXPECT_NE(ReadBytes(m_out).find("5/1/2004 0:00,5000,Oil,Past Due,,"), std::string::npos)
        << "its day has come";
}

TEST_F(ExportCommandTest, EveryFormatWritesTheDesktopProgramsBytes) {
    const Clock::ScopedFix now(At(2004, 4, 1, 12, 0));
    for (const char* log : {"trips", "services", "expenses"}) {
        for (const char* format : {"text", "xls", "xlsx"}) {
            SCOPED_TRACE(std::string(log) + " " + format);
            const std::string tool = m_folder.File(std::string("tool.") + format);
            const ToolResult result = Export(log, {"-o", tool, "--format", format, "--now",
                                                   "2004-04-01 12:00:00", "--vehicle", "Van"});
            ASSERT_EQ(result.status, kExitOk) << result.err;

            TvDocument document;
            Open(document, "Van");
            const ExportLog which = log == std::string("trips")      ? ExportLog::Trips
                                    : log == std::string("services") ? ExportLog::Services
                                                                     : ExportLog::Expenses;
            const std::string desktop = m_folder.File(std::string("desktop.") + format);
            if (format == std::string("text"))
                ExportTextFile(document, which, {',', 0}, desktop, nullptr);
            else
                ExportWorkbookFile(document, which,
                                   format == std::string("xls") ? WorkbookFormat::Excel5
                                                                : WorkbookFormat::Xlsx,
                                   desktop, nullptr);
            const std::string written = ReadBytes(tool);
            EXPECT_FALSE(written.empty());
            EXPECT_TRUE(written == ReadBytes(desktop));
            if (format != std::string("text")) {
                const ReadWorkbook book = RunWorkbookReader(format, tool);
                ASSERT_TRUE(book.readable) << book.output;
                EXPECT_EQ(book.rows, which == ExportLog::Services ? 1 : 3) << "the van's records";
                EXPECT_TRUE(book.At(0, 0).bold);
            }
        }
    }
}

TEST_F(ExportCommandTest, AnEmptyLogGivesNoTextFileButAHeaderOnlyWorkbook) {
    TvDocument empty;
    empty.InitNewDocument();
    ASSERT_TRUE(empty.OnSaveDocument(m_data));
    const ToolResult text = Export("expenses", {"-o", m_out});
    EXPECT_EQ(text.status, kExitDataError);
    EXPECT_EQ(text.err, "There are no expenses to export.\n");
    EXPECT_FALSE(std::filesystem::exists(m_out));
    EXPECT_EQ(Export("trips", {"-o", m_out}).err, "There are no trips to export.\n");

    const ToolResult workbook = Export("services", {"-o", m_out, "--format", "xls"});
    EXPECT_EQ(workbook.status, kExitOk) << workbook.err;
    const ReadWorkbook book = RunWorkbookReader("xls", m_out);
    ASSERT_TRUE(book.readable) << book.output;
    EXPECT_EQ(book.rows, 1);
    EXPECT_EQ(book.At(0, 3).value, "Status");
}

TEST_F(ExportCommandTest, WrongArgumentsWriteNothing) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"export", "trips", m_data}, "no output file (-o OUT)"},
        {{"export", "trips", m_data, "-o"}, "-o needs a value"},
        {{"export", "fuel", m_data, "-o", m_out}, "unknown log: fuel (trips, services, expenses)"},
        {{"export", "trips", m_data, "-o", m_out, "--format", "pdf"},
         "unknown format: pdf (text, xls, xlsx)"},
        {{"export", "trips", m_data, "-o", m_out, "--delimiter", "pipe"},
         "unknown delimiter: pipe (tab, comma, colon, semicolon)"},
        {{"export", "trips", m_data, "-o", m_out, "--format", "xls", "--date-only"},
         "--delimiter and --date-only belong to the text format"},
        {{"export", "services", m_data, "-o", m_out, "--category", "Work"},
         "the service log has no category filter"},
        {{"export", "trips", m_data, "-o", m_out, "--vehicle", "Truck"}, "no vehicle named Truck"},
        {{"export", "expenses", m_data, "-o", m_out, "--category", "Fuel"},
         "no category named Fuel"},
        {{"export", "trips", m_data, "-o", m_out, "--from", "2/30/2004", "--to", "3/1/2004"},
         "not a date (M/D/YYYY): 2/30/2004"},
        {{"export", "trips", m_data, "-o", m_out, "--from", "3/1/2004"},
         "--from and --to go together"},
        {{"export", "trips", m_data, "-o", m_out, "--now", "yesterday"},
         "not a time (YYYY-MM-DD HH:MM:SS): yesterday"},
        {{"export", "trips", m_data, "-o", m_out, "--sort", "1"}, "unknown option: --sort"},
        {{"export", "trips", m_data, m_data, "-o", m_out}, "too many arguments"},
    };
    for (const auto& [args, problem] : cases) {
        const ToolResult result = RunToolCaptured(args);
        EXPECT_EQ(result.status, kExitUsage) << problem;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "tvtool export: " + problem);
        EXPECT_NE(result.err.find("\nusage: tvtool export LOG FILE -o OUT"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(m_out));
}

TEST_F(ExportCommandTest, FailuresAreReportedAndLeaveNoFile) {
    const std::string nowhere = m_folder.File("missing/out.csv");
    const ToolResult open = Export("trips", {"-o", nowhere});
    EXPECT_EQ(open.status, kExitDataError);
    EXPECT_EQ(open.err, "The folder of the file does not exist. " + nowhere + "\n");

    const ToolResult missing =
        RunToolCaptured({"export", "trips", m_folder.File("none.tv"), "-o", m_out});
    EXPECT_EQ(missing.status, kExitDataError);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("none.tv"))) << "nothing is created";

    TvDocument many;
    many.InitNewDocument();
    VehicleRecord van;
    van.Name.Set("Van");
    van.VehicleId = 11;
    many.Vehicles().Append(van);
    for (int i = 0; i < 16384; ++i) {
        TripRecord trip(At(2004, 1, 1));
        trip.VehicleId = 11;
        many.Trips().Append(std::move(trip));
    }
    ASSERT_TRUE(many.OnSaveDocument(m_data));
    const ToolResult full = Export("trips", {"-o", m_out, "--format", "xls"});
    EXPECT_EQ(full.status, kExitDataError);
    EXPECT_NE(full.err.find("16,384 rows"), std::string::npos) << full.err;
    EXPECT_FALSE(std::filesystem::exists(m_out));
    EXPECT_EQ(Export("trips", {"-o", m_out, "--format", "xlsx"}).status, kExitOk);
    const ReadWorkbook book = RunWorkbookReader("xlsx", m_out);
    ASSERT_TRUE(book.readable) << book.output.substr(0, 300);
    EXPECT_EQ(book.rows, 16385) << "the .xlsx workbook takes them";

    // The data file itself, by its name or through a link, is never the
    // export's target: the records it holds would be gone.
    const std::string before = ReadBytes(m_data);
    const std::string link = m_folder.File("link.csv");
    std::filesystem::create_symlink(m_data, link);
    for (const std::string& target : {m_data, link})
        for (const char* format : {"text", "xls", "xlsx"}) {
            SCOPED_TRACE(target + " " + format);
            const ToolResult refused = Export("trips", {"-o", target, "--format", format});
            EXPECT_EQ(refused.status, kExitDataError);
            EXPECT_NE(refused.err.find("cannot replace the open data file"), std::string::npos)
                << refused.err;
        }
    EXPECT_EQ(ReadBytes(m_data), before);
}

} // namespace
