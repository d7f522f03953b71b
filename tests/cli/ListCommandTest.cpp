#include "ToolRunner.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

namespace {

// A small data file whose lists are known line by line.
class ListCommandTest : public testing::Test {
protected:
    void SetUp() override {
        TvDocument document;
        document.InitNewDocument();
        AddVehicle(document, "Van", 11, "AB 12", 900, "Acme\r\nPolicy 7");
        AddVehicle(document, "Bus", 12, "ZZ 1", 10000, "");
        AddVehicle(document, "Old", 13, "", 5, "").MarkDeleted();
        CategoryEntry work;
        work.Name = "Work";
        work.Category = 1;
        document.Trips().Categories.Add(work);
        AddTrip(document, 11, 1, MTime(2004, 1, 1, 0, 0, 0, -1), 100, 150, "Caf\xE9");
        AddTrip(document, 11, 0, MTime(2004, 1, 31, 23, 59, 0, -1), 150, 140, "Depot");
        AddTrip(document, 11, 1, MTime(2004, 2, 1, 8, 0, 0, -1), 200, 260, "Bank");
        AddTrip(document, 12, 1, MTime(2004, 1, 5, 8, 0, 0, -1), 10, 20, "School");
        AddTrip(document, 11, 1, MTime(2004, 1, 6, 8, 0, 0, -1), 1, 2, "Gone").MarkDeleted();
        ASSERT_TRUE(document.OnSaveDocument(m_path));
    }

    static VehicleRecord& AddVehicle(TvDocument& document, const char* name, std::uint32_t id,
                                     const char* license, std::int32_t odometer,
                                     const char* insurance) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        vehicle.License.Set(license);
        vehicle.Odometer = odometer;
        vehicle.Insurance.Set(insurance);
        return document.Vehicles().Append(vehicle);
    }

    static TripRecord& AddTrip(TvDocument& document, std::uint32_t vehicle, std::uint32_t category,
                               const MTime& start, std::int32_t from, std::int32_t to,
                               const char* place) {
        TripRecord trip(start);
        trip.VehicleId = vehicle;
        trip.Category = category;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Destination.Set(place);
        return document.Trips().Append(std::move(trip));
    }

    ToolResult List(std::vector<std::string> options) const {
        options.insert(options.begin(), {"list", "trips", m_path});
        return RunToolCaptured(options);
    }

    TempFolder m_folder;
    std::string m_path = m_folder.File("TvData.tv");
};

TEST_F(ListCommandTest, TripsOfTheFirstVehicleByNameNewestFirst) {
    // Bus comes before Van by name.
    const ToolResult bus = List({});
    EXPECT_EQ(bus.status, kExitOk) << bus.err;
    EXPECT_EQ(bus.out, "Date\tDestination\tStart Miles\tEnd Miles\tDistance\n"
                       "1/5/2004\tSchool\t10\t20\t10\n");

    const ToolResult van = List({"--vehicle", "Van"});
    EXPECT_EQ(van.out, "Date\tDestination\tStart Miles\tEnd Miles\tDistance\n"
                       "2/1/2004\tBank\t200\t260\t60\n"
                       "1/31/2004\tDepot\t150\t140\t0\n"
                       "1/1/2004\tCaf\xC3\xA9\t100\t150\t50\n");
}

TEST_F(ListCommandTest, TheDefaultVehicleIsTheFirstAsReadAndNamesAreGivenInUtf8) {
    {
        TvDocument document;
        ASSERT_TRUE(document.OnOpenDocument(m_path));
        AddVehicle(document, "bike", 14, "", 0, "");
        AddVehicle(document, "\311clair", 15, "", 0, ""); // "Éclair" in Windows-1252
        CategoryEntry cafe;
        cafe.Name = "Caf\351";
        cafe.Category = 2;
        document.Trips().Categories.Add(cafe);
        AddTrip(document, 14, 0, MTime(2004, 3, 1, 8, 0, 0, -1), 1, 3, "Park");
        AddTrip(document, 15, 2, MTime(2004, 3, 2, 8, 0, 0, -1), 5, 9, "Gare");
        AddTrip(document, 15, 0, MTime(2004, 3, 3, 8, 0, 0, -1), 9, 12, "Port");
        ASSERT_TRUE(document.OnSaveDocument(m_path));
    }
    const std::string heading = "Date\tDestination\tStart Miles\tEnd Miles\tDistance\n";
    // "bike" before "Bus", though 'b' comes after 'B' as a byte.
    EXPECT_EQ(List({}).out, heading + "3/1/2004\tPark\t1\t3\t2\n");

    // Names are given as tvtool prints them, in UTF-8.
    const ToolResult eclair = List({"--vehicle", "\303\211clair", "--category", "Caf\303\251"});
    EXPECT_EQ(eclair.status, kExitOk) << eclair.err;
    EXPECT_EQ(eclair.out, heading + "3/2/2004\tGare\t5\t9\t4\n");
    // A character the file cannot hold, the file's own bytes (no UTF-8) and
    // a letter written longer than UTF-8 allows name nothing.
    for (const char* name : {"\342\230\203", "\311clair", "\301\211clair"}) {
        const ToolResult none = List({"--vehicle", name});
        EXPECT_EQ(none.status, kExitUsage) << name;
        EXPECT_NE(none.err.find("no vehicle named"), std::string::npos);
    }
}

TEST_F(ListCommandTest, CategoryDatesAndSortCodeNarrowAndOrderTheTrips) {
    const ToolResult work =
        List({"--vehicle", "Van", "--category", "Work", "--from", "1/1/2004", "--to", "1/31/2004"});
    EXPECT_EQ(work.status, kExitOk) << work.err;
    EXPECT_EQ(work.out, "Date\tDestination\tStart Miles\tEnd Miles\tDistance\n"
                        "1/1/2004\tCaf\xC3\xA9\t100\t150\t50\n");

    const ToolResult unfiled = List({"--vehicle", "Van", "--category", "Unfiled"});
    EXPECT_NE(unfiled.out.find("Depot"), std::string::npos);
    EXPECT_EQ(unfiled.out.find("Bank"), std::string::npos);

    const ToolResult byDistance = List({"--vehicle", "Van", "--sort", "132"});
    EXPECT_EQ(byDistance.out.substr(byDistance.out.find('\n') + 1, 8), "2/1/2004");
    const ToolResult oldest =
        List({"--vehicle", "Van", "--sort", "128", "--now", "2005-01-01 12:00:00"});
    EXPECT_EQ(oldest.out.substr(oldest.out.find('\n') + 1, 8), "1/1/2004");
}

TEST_F(ListCommandTest, VehiclesAreListedLiveAndSortedByTheCode) {
    const ToolResult byName = RunToolCaptured({"list", "vehicles", m_path});
    EXPECT_EQ(byName.status, kExitOk) << byName.err;
    EXPECT_EQ(byName.out, "Name\tLicense\tVin\tMiles\tInsurance\n"
                          "Bus\tZZ 1\t\t10000\t\n"
                          "Van\tAB 12\t\t900\tAcmePolicy 7\n");
    const ToolResult byOdometer = RunToolCaptured({"list", "vehicles", m_path, "--sort", "3"});
    EXPECT_EQ(byOdometer.out.substr(byOdometer.out.find('\n') + 1, 3), "Van");
}

TEST_F(ListCommandTest, HeadingsFollowTheUnitsOfTheFile) {
    TvDocument document;
    ASSERT_TRUE(document.OnOpenDocument(m_path));
    document.Trips().Settings[0] |= RecordStore::kUnitsKilometres;
    ASSERT_TRUE(document.OnSaveDocument(m_path));
    const auto firstLine = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    EXPECT_EQ(firstLine(List({}).out),
              "Date\tDestination\tStart Kilometers\tEnd Kilometers\tDistance");
    EXPECT_EQ(firstLine(RunToolCaptured({"list", "vehicles", m_path}).out),
              "Name\tLicense\tVin\tKilometers\tInsurance");
}

TEST_F(ListCommandTest, WrongNamesDatesAndOptionsAreUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"--vehicle", "Truck"}, "no vehicle named Truck"},
        {{"--vehicle", "Old"}, "no vehicle named Old"},
        {{"--category", "Home"}, "no category named Home"},
        {{"--category", "work"}, "no category named work"},
        {{"--from", "1/1/2004"}, "--from and --to go together"},
        {{"--from", "2/30/2004", "--to", "3/1/2004"}, "not a date (M/D/YYYY): 2/30/2004"},
        {{"--from", "1/1/1969", "--to", "1/2/1969"}, "Time out of range."},
        {{"--sort", "x"}, "not a sort code: x"},
        {{"--now", "yesterday"}, "not a time (YYYY-MM-DD HH:MM:SS): yesterday"},
        {{"--colour", "red"}, "unknown option: --colour"},
    };
    for (const auto& [options, problem] : wrong) {
        const ToolResult result = List(options);
        EXPECT_EQ(result.status, kExitUsage) << problem;
        EXPECT_NE(result.err.find(problem), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("usage: tvtool list"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(RunToolCaptured({"list", "fuel", m_path}).status, kExitUsage);
    EXPECT_EQ(RunToolCaptured({"list", "services", m_path, "--category", "Work"}).status,
              kExitUsage)
        << "the service log has no categories";
    EXPECT_EQ(RunToolCaptured({"list", "trips"}).status, kExitUsage);
    const ToolResult missing = RunToolCaptured({"list", "trips", m_folder.File("none.tv")});
    EXPECT_EQ(missing.status, kExitDataError);
    EXPECT_NE(missing.err.find("File Open error"), std::string::npos);
}

// Service types, service entries and expenses of one vehicle, whose lists
// are known line by line at a fixed time.
class ServiceAndExpenseListTest : public testing::Test {
protected:
    void SetUp() override {
        TvDocument document;
        document.InitNewDocument();
        VehicleRecord van;
        van.Name.Set("Van");
        van.VehicleId = 11;
        van.Odometer = 5000;
        document.Vehicles().Append(van);
        AddType(document, "Oil", 3000, TimeUnit::Months, 3, 21);
        AddType(document, "Tyres", 10, TimeUnit::None, 0, 22);
        AddEntry(document, 21, MTime(2024, 6, 1, 9, 0, 0, -1), 6000, false);
        AddEntry(document, 22, MTime(2024, 6, 1, 9, 0, 0, -1), 6000, false);
        AddEntry(document, 21, MTime(2024, 1, 2, 9, 0, 0, -1), 4000, true);
        AddEntry(document, 99, MTime(2024, 7, 1, 9, 0, 0, -1), 0, false);
        CategoryEntry fuel;
        fuel.Name = "Fuel";
        fuel.Category = 2;
        document.Expenses().Categories.Add(fuel);
        AddExpense(document, 2, "Shell", 45600, 4100);
        AddExpense(document, 0, "Garage", 120000, 4200);
        ASSERT_TRUE(document.OnSaveDocument(m_path));
    }

    static void AddType(TvDocument& document, const char* name, std::int32_t distance,
                        TimeUnit unit, std::uint8_t count, std::uint32_t id) {
        ServiceTypeRecord type;
        type.Name.Set(name);
        type.DistanceInterval = distance;
        type.TimeUnit = static_cast<std::uint8_t>(unit);
        type.TimeCount = count;
        type.ServiceTypeId = id;
        document.ServiceTypes().Append(type);
    }
    static void AddEntry(TvDocument& document, std::uint32_t type, const MTime& date,
                         std::int32_t odometer, bool completed) {
        ServiceRecord entry(date);
        entry.VehicleId = 11;
        entry.ServiceTypeId = type;
        entry.Odometer = odometer;
        entry.ServiceFlags = completed ? ServiceFlagBits::Completed : 0;
        document.Services().Append(std::move(entry));
    }
    static void AddExpense(TvDocument& document, std::uint32_t category, const char* vendor,
                           std::int32_t cost, std::int32_t odometer) {
        ExpenseRecord expense(MTime(2024, 3, 4, 0, 0, 0, -1));
        expense.VehicleId = 11;
        expense.Category = category;
        expense.Vendor.Set(vendor);
        expense.Cost = cost;
        expense.Odometer = odometer;
        document.Expenses().Append(std::move(expense));
    }

    ToolResult List(std::vector<std::string> options) const { return RunToolCaptured(options); }

    TempFolder m_folder;
    std::string m_path = m_folder.File("TvData.tv");
};

TEST_F(ServiceAndExpenseListTest, ServiceTypesWithTheirSchedules) {
    const ToolResult types = List({"list", "servicetypes", m_path, "--sort", "1"});
    EXPECT_EQ(types.status, kExitOk) << types.err;
    EXPECT_EQ(types.out, "Name\tTime Schedule\tDistance Schedule\n"
                         "Oil\tEvery 3 months\tEvery 3000 miles\n"
                         "Tyres\tNever\tEvery 10 miles\n");
}

TEST_F(ServiceAndExpenseListTest, ServiceStatusesAreJudgedAtTheGivenTime) {
    // The van stands at 5000 (its completed entry at 4000 is below).
    const ToolResult before = List({"list", "services", m_path, "--now", "2024-05-31 12:00:00"});
    EXPECT_EQ(before.status, kExitOk) << before.err;
    EXPECT_EQ(before.out, "Date\tComplete\tType\tMiles\n"
                          "7/1/2024\tFuture\tUnknown\t0\n"
                          "6/1/2024\tFuture\tOil\t6000\n"
                          "6/1/2024\tFuture\tTyres\t6000\n"
                          "1/2/2024\tCompleted\tOil\t4000\n");
    // A day later the time-scheduled oil change is due; the tyres wait for
    // their reading. Sorted by status.
    const ToolResult after =
        List({"list", "services", m_path, "--now", "2024-06-01 09:00:00", "--sort", "1"});
    EXPECT_EQ(after.out, "Date\tComplete\tType\tMiles\n"
                         "1/2/2024\tCompleted\tOil\t4000\n"
                         "6/1/2024\tFuture\tTyres\t6000\n"
                         "7/1/2024\tFuture\tUnknown\t0\n"
                         "6/1/2024\tPast Due\tOil\t6000\n");
}

TEST_F(ServiceAndExpenseListTest, ExpensesByCategoryLargestFirst) {
    const ToolResult all = List({"list", "expenses", m_path, "--sort", "4"});
    EXPECT_EQ(all.status, kExitOk) << all.err;
    EXPECT_EQ(all.out, "Date\tVender\tDescription\tOdometer\tCost\n"
                       "3/4/2024\tGarage\t\t4200\t120.00\n"
                       "3/4/2024\tShell\t\t4100\t45.60\n");
    const ToolResult fuel = List({"list", "expenses", m_path, "--category", "Fuel"});
    EXPECT_EQ(fuel.out, "Date\tVender\tDescription\tOdometer\tCost\n"
                        "3/4/2024\tShell\t\t4100\t45.60\n");
}

} // namespace
