#include "ToolRunner.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

namespace {

// The van's oil change is past due by date, the bus's tyres are due soon by
// distance (300 miles ahead), the car has only a completed entry.
TEST(DueCommandTest, ExitStatusTellsTheMostUrgentState) {
    TempFolder folder;
    const std::string path = folder.File("due.tv");
    {
        TvDocument document;
        document.InitNewDocument();
        for (const auto& [name, id, odometer] :
             {std::tuple{"Van", 11u, 20000}, {"Bus", 12u, 45000}, {"Car", 13u, 1000}}) {
            VehicleRecord vehicle;
            vehicle.Name.Set(name);
            vehicle.VehicleId = id;
            vehicle.Odometer = odometer;
            document.Vehicles().Append(vehicle);
        }
        ServiceTypeRecord oil;
        oil.Name.Set("Oil change");
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        oil.ServiceTypeId = 1;
        document.ServiceTypes().Append(oil);
        ServiceTypeRecord tyres;
        tyres.Name.Set("Tyres");
        tyres.ServiceTypeId = 2;
        document.ServiceTypes().Append(tyres);
        for (const auto& [vehicle, type, date, odometer, flags] :
             {std::tuple{11u, 1u, MTime(2024, 6, 1, 9, 0, 0, -1), 0, 0},
              {12u, 2u, MTime(2020, 1, 1, 9, 0, 0, -1), 45300, 0},
              {13u, 1u, MTime(2024, 6, 1, 9, 0, 0, -1), 0, 1}}) {
            ServiceRecord entry(date);
            entry.VehicleId = vehicle;
            entry.ServiceTypeId = type;
            entry.Odometer = odometer;
            entry.ServiceFlags = static_cast<std::uint16_t>(flags);
            document.Services().Append(std::move(entry));
        }
        ASSERT_TRUE(document.OnSaveDocument(path));
    }
    const struct {
        std::vector<std::string> options;
        int status;
    } cases[] = {
        {{}, 3},
        {{"--vehicle", "Bus"}, 1},
        {{"--vehicle", "Car"}, 0},
        {{"--vehicle", "Bus", "--distance", "299"}, 0},
        {{"--vehicle", "Van", "--now", "2024-05-20 09:00:00"}, 1},
        {{"--vehicle", "Van", "--now", "2024-05-20 09:00:00", "--days", "0"}, 0},
        {{"--days", "-1"}, 2},
        {{"--vehicle", "Nobody"}, 2},
    };
    for (const auto& test : cases) {
        std::vector<std::string> args{"due", path, "--now", "2024-06-10 12:00:00"};
        args.insert(args.end(), test.options.begin(), test.options.end());
        EXPECT_EQ(RunToolCaptured(args).status, test.status) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(RunToolCaptured({"due", folder.File("missing.tv")}).status, 4);

    const ToolResult json =
        RunToolCaptured({"due", path, "--json", "--now", "2024-06-10 12:00:00"});
    EXPECT_EQ(json.out, "[\n"
                        "  {\"vehicle\": \"Van\", \"serviceType\": \"Oil change\", \"date\": "
                        "\"2024-06-01T09:00:00\", \"odometer\": 0, \"state\": \"past due\"},\n"
                        "  {\"vehicle\": \"Bus\", \"serviceType\": \"Tyres\", \"date\": "
                        "\"2020-01-01T09:00:00\", \"odometer\": 45300, \"state\": \"due soon\"}\n"
                        "]\n");
}

} // namespace
