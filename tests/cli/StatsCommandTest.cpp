#include "ToolRunner.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

namespace {

// A small data file whose figures are worked out by hand: the van "Café"
// drove 50 + 0 (a reversed trip) + 60 miles and filled up twice; a deleted
// trip and expense and the bus's records never count.
class StatsCommandTest : public testing::Test {
protected:
    void SetUp() override { Write(false); }

    void Write(bool metric) {
        TvDocument document;
        document.InitNewDocument();
        if (metric)
            document.Trips().Settings[0] |= RecordStore::kUnitsKilometres;
        AddVehicle(document, "Caf\xE9 \"7\"", 11);
        AddVehicle(document, "Bus", 12);
        CategoryEntry work;
        work.Name = "Work";
        work.Category = 1;
        document.Trips().Categories.Add(work);
        CategoryEntry fuel;
        fuel.Name = "Fuel";
        fuel.Category = 1;
        document.Expenses().Categories.Add(fuel);
        ServiceTypeRecord oil;
        oil.Name.Set("Oil");
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        oil.ServiceTypeId = 0x80000002;
        document.ServiceTypes().Append(oil);

        AddTrip(document, 11, 1, MTime(2024, 1, 10, 8, 0, 0, -1), 100, 150);
        AddTrip(document, 11, 0, MTime(2024, 1, 20, 8, 0, 0, -1), 150, 140);
        AddTrip(document, 11, 1, MTime(2024, 2, 5, 8, 0, 0, -1), 200, 260);
        AddTrip(document, 11, 1, MTime(2024, 1, 6, 8, 0, 0, -1), 1, 2000).MarkDeleted();
        AddTrip(document, 12, 1, MTime(2024, 1, 5, 8, 0, 0, -1), 10, 20);
        AddExpense(document, 11, MTime(2024, 1, 5, 0, 0, 0, -1), 1000, 30000, 10000);
        AddExpense(document, 11, MTime(2024, 1, 25, 0, 0, 0, -1), 1300, 36500, 12000);
        AddExpense(document, 11, MTime(2024, 1, 26, 0, 0, 0, -1), 1350, 99000, 9000).MarkDeleted();
        AddExpense(document, 12, MTime(2024, 1, 26, 0, 0, 0, -1), 50, 5000, 2000);

        ServiceRecord due(MTime(2024, 6, 1, 9, 30, 0, -1));
        due.VehicleId = 11;
        due.ServiceTypeId = 0x80000002;
        due.Odometer = 4000;
        document.Services().Append(std::move(due));
        ASSERT_TRUE(document.OnSaveDocument(m_path));
    }

    static void AddVehicle(TvDocument& document, const char* name, std::uint32_t id) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        document.Vehicles().Append(vehicle);
    }

    static TripRecord& AddTrip(TvDocument& document, std::uint32_t vehicle, std::uint32_t category,
                               const MTime& start, std::int32_t from, std::int32_t to) {
        TripRecord trip(start);
        trip.VehicleId = vehicle;
        trip.Category = category;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Destination.Set("Depot");
        return document.Trips().Append(std::move(trip));
    }

    static ExpenseRecord& AddExpense(TvDocument& document, std::uint32_t vehicle, const MTime& date,
                                     std::int32_t odometer, std::int32_t cost,
                                     std::int32_t volume) {
        ExpenseRecord expense(date);
        expense.VehicleId = vehicle;
        expense.Category = 1;
        expense.Odometer = odometer;
        expense.Cost = cost;
        expense.ExpenseFlags = ExpenseFlagBits::FuelPurchase;
        expense.Volume = volume;
        expense.Vendor.Set("Shell");
        return document.Expenses().Append(std::move(expense));
    }

    ToolResult Stats(std::vector<std::string> options) const {
        options.insert(options.begin(), {"stats", m_path});
        options.insert(options.end(), {"--now", "2024-03-01 12:00:00"});
        return RunToolCaptured(options);
    }

    TempFolder m_folder;
    std::string m_path = m_folder.File("TvData.tv");
};

TEST_F(StatsCommandTest, TextLinesOfTheFirstVehicleByName) {
    const ToolResult bus = Stats({});
    EXPECT_EQ(bus.status, kExitOk) << bus.err;
    EXPECT_EQ(bus.out.substr(0, bus.out.find("Expenses")), "Vehicle\tBus\n"
                                                           "Dates\tAll dates\n"
                                                           "Trips\t1\n"
                                                           "Distance\t10 miles\n"
                                                           "Distance, Work\t10 miles\n"
                                                           "Distance, Unfiled\t0 miles\n");

    const ToolResult van = Stats({"--vehicle", "Caf\xC3\xA9 \"7\""});
    EXPECT_EQ(van.status, kExitOk) << van.err;
    EXPECT_EQ(van.out, "Vehicle\tCaf\xC3\xA9 \"7\"\n"
                       "Dates\tAll dates\n"
                       "Trips\t3\n"
                       "Distance\t110 miles\n"
                       "Distance, Work\t110 miles\n"
                       "Distance, Unfiled\t0 miles\n"
                       "Expenses\t2\n"
                       "Cost\t66.50\n"
                       "Cost, Fuel\t66.50\n"
                       "Cost, Unfiled\t0.00\n"
                       "Fill-ups\t2\n"
                       "Volume\t22.00 gallons\n"
                       "Fuel cost\t66.50\n"
                       "Average efficiency\t25.00 miles per gallon\n"
                       "Cost per mile\t0.60\n"
                       "Cost distance\t110 miles, from the trips\n"
                       "Services completed\t0\n"
                       "Services past due\t0\n"
                       "Next service\tOil, 6/1/2024, 4000 miles\n"
                       "Fill-up 1/5/2024\t1000 miles, 10.00 gallons, Unknown\n"
                       "Fill-up 1/25/2024\t1300 miles, 12.00 gallons, 25.00 miles per gallon\n"
                       "Month 1/2024\t50 miles, 66.50\n"
                       "Month 2/2024\t60 miles, 0.00\n");
}

TEST_F(StatsCommandTest, ARangeAndMetricUnits) {
    Write(true);
    const ToolResult result =
        Stats({"--vehicle", "Caf\xC3\xA9 \"7\"", "--from", "1/15/2024", "--to", "2/29/2024"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    for (const char* line :
         {"Dates\t1/15/2024 through 2/29/2024\n", "Trips\t2\n", "Distance\t60 kilometers\n",
          "Volume\t12.00 liters\n", "Average efficiency\tUnknown\n", "Cost per kilometer\t0.61\n",
          "Fill-up 1/25/2024\t1300 kilometers, 12.00 liters, 25.00 kilometers per liter\n",
          "Month 1/2024\t0 kilometers, 36.50\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "in\n" << result.out;
}

TEST_F(StatsCommandTest, JsonObjectWithNumbersAndNulls) {
    const ToolResult result = Stats({"--vehicle", "Caf\xC3\xA9 \"7\"", "--json"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out,
              "{\n"
              "  \"vehicle\": \"Caf\xC3\xA9 \\\"7\\\"\",\n"
              "  \"from\": null,\n"
              "  \"to\": null,\n"
              "  \"metric\": false,\n"
              "  \"trips\": 3,\n"
              "  \"distance\": 110,\n"
              "  \"distanceByCategory\": [{\"name\": \"Work\", \"distance\": 110}, "
              "{\"name\": \"Unfiled\", \"distance\": 0}],\n"
              "  \"expenses\": 2,\n"
              "  \"cost\": 66.5,\n"
              "  \"costByCategory\": [{\"name\": \"Fuel\", \"cost\": 66.5}, "
              "{\"name\": \"Unfiled\", \"cost\": 0}],\n"
              "  \"fillUps\": 2,\n"
              "  \"volume\": 22,\n"
              "  \"fuelCost\": 66.5,\n"
              "  \"averageEfficiency\": 25,\n"
              "  \"costPerDistance\": 0.6045454545454545,\n"
              "  \"costDistance\": 110,\n"
              "  \"costDistanceSource\": \"trips\",\n"
              "  \"servicesCompleted\": 0,\n"
              "  \"servicesPastDue\": 0,\n"
              "  \"nextService\": {\"type\": \"Oil\", \"date\": \"2024-06-01 09:30:00\", "
              "\"odometer\": 4000},\n"
              "  \"fillUpPoints\": [\n"
              "    {\"date\": \"2024-01-05 00:00:00\", \"odometer\": 1000, \"volume\": 10, "
              "\"efficiency\": null},\n"
              "    {\"date\": \"2024-01-25 00:00:00\", \"odometer\": 1300, \"volume\": 12, "
              "\"efficiency\": 25}\n"
              "  ],\n"
              "  \"months\": [\n"
              "    {\"year\": 2024, \"month\": 1, \"distance\": 50, \"cost\": 66.5, "
              "\"costByCategory\": [66.5, 0]},\n"
              "    {\"year\": 2024, \"month\": 2, \"distance\": 60, \"cost\": 0, "
              "\"costByCategory\": [0, 0]}\n"
              "  ]\n"
              "}\n");

    // A vehicle without records: no NaN, nulls where nothing is known, and
    // exact thousandths.
    {
        TvDocument document;
        ASSERT_TRUE(document.OnOpenDocument(m_path));
        document.Expenses().Records()[3].Cost = -1005;
        ASSERT_TRUE(document.OnSaveDocument(m_path));
    }
    const ToolResult bus =
        Stats({"--vehicle", "Bus", "--json", "--from", "1/26/2024", "--to", "1/26/2024"});
    EXPECT_EQ(bus.status, kExitOk) << bus.err;
    for (const char* member :
         {"\"from\": \"1/26/2024\"", "\"trips\": 0", "\"cost\": -1.005", "\"volume\": 2",
          "\"averageEfficiency\": null", "\"costPerDistance\": null",
          "\"costDistanceSource\": null", "\"nextService\": null"})
        EXPECT_NE(bus.out.find(member), std::string::npos) << member << " in\n" << bus.out;
    EXPECT_EQ(bus.out.find("nan"), std::string::npos);
}

TEST_F(StatsCommandTest, ErrorsAsTheOtherCommandsGiveThem) {
    const ToolResult missing = RunToolCaptured({"stats", m_folder.File("none.tv")});
    EXPECT_EQ(missing.status, kExitDataError);
    EXPECT_EQ(missing.err, "File Open error. " + m_folder.File("none.tv") + "\n");

    WriteBytes(m_path, "not a data file");
    const ToolResult damaged = RunToolCaptured({"stats", m_path});
    EXPECT_EQ(damaged.status, kExitDataError);
    EXPECT_NE(damaged.err.find("File has a bad"), std::string::npos) << damaged.err;
    EXPECT_TRUE(damaged.out.empty());

    Write(false);
    const struct {
        std::vector<std::string> args;
        const char* problem;
    } usage[] = {
        {{"stats"}, "missing argument"},
        {{"stats", m_path, "other.tv"}, "too many arguments"},
        {{"stats", m_path, "--vehicle", "Truck"}, "no vehicle named Truck"},
        {{"stats", m_path, "--from", "1/1/2024"}, "--from and --to go together"},
        {{"stats", m_path, "--from", "2/30/2024", "--to", "3/1/2024"}, "not a date"},
        {{"stats", m_path, "--category", "Work"}, "--category does not go with stats"},
        {{"stats", m_path, "--sort", "1"}, "unknown option: --sort"},
        {{"stats", m_path, "--now", "tomorrow"}, "not a time"},
    };
    for (const auto& [args, problem] : usage) {
        const ToolResult result = RunToolCaptured(args);
        EXPECT_EQ(result.status, kExitUsage) << problem;
        EXPECT_NE(result.err.find(std::string("tvtool stats: ") + problem), std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find("usage: tvtool stats FILE"), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

} // namespace
