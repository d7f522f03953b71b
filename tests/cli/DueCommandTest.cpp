#include "ToolRunner.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

namespace {

// The van's oil change is past due by date, the bus's tyres are due soon by
// distance, the car has only a completed entry.
class DueCommandTest : public testing::Test {
protected:
    void SetUp() override {
        TvDocument document;
        document.InitNewDocument();
        AddVehicle(document, "Van", 11, 20000);
        AddVehicle(document, "Bus", 12, 45000);
        AddVehicle(document, "Car", 13, 1000);
        ServiceTypeRecord oil;
        oil.Name.Set("Oil change");
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        oil.ServiceTypeId = 0x80000002;
        document.ServiceTypes().Append(oil);
        ServiceTypeRecord tyres;
        tyres.Name.Set("Tyres");
        tyres.ServiceTypeId = 0x80000003;
        document.ServiceTypes().Append(tyres);
        AddEntry(document, 11, 0x80000002, MTime(2024, 6, 1, 9, 0, 0, -1), 0, false);
        AddEntry(document, 12, 0x80000003, MTime(2020, 1, 1, 9, 0, 0, -1), 45300, false);
        AddEntry(document, 13, 0x80000002, MTime(2024, 6, 1, 9, 0, 0, -1), 0, true);
        ASSERT_TRUE(document.OnSaveDocument(m_path));
    }

    static void AddVehicle(TvDocument& document, const char* name, std::uint32_t id,
                           std::int32_t odometer) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        vehicle.Odometer = odometer;
        document.Vehicles().Append(vehicle);
    }

    static void AddEntry(TvDocument& document, std::uint32_t vehicle, std::uint32_t type,
                         const MTime& date, std::int32_t odometer, bool completed) {
        ServiceRecord entry(date);
        entry.VehicleId = vehicle;
        entry.ServiceTypeId = type;
        entry.Odometer = odometer;
        entry.ServiceFlags = completed ? ServiceFlagBits::Completed : 0;
        document.Services().Append(std::move(entry));
    }

    TempFolder m_folder;
    const std::string m_path = m_folder.File("due.tv");
};

TEST_F(DueCommandTest, ExitStatusTellsTheMostUrgentState) {
    const std::string now = "2024-06-10 12:00:00";
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
        std::vector<std::string> args{"due", m_path, "--now", now};
        args.insert(args.end(), test.options.begin(), test.options.end());
        EXPECT_EQ(RunToolCaptured(args).status, test.status) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(RunToolCaptured({"due", m_folder.File("missing.tv")}).status, 4);
}

TEST_F(DueCommandTest, JsonListsPastDueBeforeDueSoon) {
    const ToolResult result =
        RunToolCaptured({"due", m_path, "--json", "--now", "2024-06-10 12:00:00"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.out, "[\n"
                          "  {\"vehicle\": \"Van\", \"serviceType\": \"Oil change\", \"date\": "
                          "\"2024-06-01T09:00:00\", \"odometer\": 0, \"state\": \"past due\"},\n"
                          "  {\"vehicle\": \"Bus\", \"serviceType\": \"Tyres\", \"date\": "
                          "\"2020-01-01T09:00:00\", \"odometer\": 45300, \"state\": \"due soon\"}\n"
                          "]\n");
}

} // namespace
