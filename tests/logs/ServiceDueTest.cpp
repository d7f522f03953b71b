#include "ServiceDue.h"

#include "Clock.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

namespace {

MTime At(int year, int month, int day, int hour, int minute, int second) {
    return MTime(year, month, day, hour, minute, second, -1);
}

TEST(ServiceDueTest, DueSoonAtTheEdgesOfTheWindow) {
    const MTime now = At(2024, 6, 15, 10, 30, 0);
    const Clock::ScopedFix clock(now);
    TvDocument document;
    document.InitNewDocument();
    VehicleRecord van;
    van.VehicleId = 100;
    van.Odometer = 10000;
    document.Vehicles().Append(van);
    ServiceTypeRecord timed; // type 1 every 3 months, type 2 by distance alone
    timed.ServiceTypeId = 1;
    timed.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
    timed.TimeCount = 3;
    document.ServiceTypes().Append(timed);
    document.ServiceTypes().Append(ServiceTypeRecord{}).ServiceTypeId = 2;

    const MTime later = At(2030, 1, 1, 0, 0, 0);
    const struct {
        const char* what;
        std::uint32_t type;
        MTime date;
        std::int32_t odometer;
        bool metric;
        ReminderSettings settings;
        DueState expected;
    } cases[] = {
        {"exactly 14 days ahead", 1, At(2024, 6, 29, 10, 30, 0), 0, false, {}, DueState::DueSoon},
        {"one second more", 1, At(2024, 6, 29, 10, 30, 1), 0, false, {}, DueState::NotDue},
        {"days test off", 1, At(2024, 6, 16, 0, 0, 0), 0, false, {0, 500, 800}, DueState::NotDue},
        {"date reached", 1, now, 0, false, {}, DueState::PastDue},
        {"exactly 500 miles ahead", 1, later, 10500, false, {}, DueState::DueSoon},
        {"501 miles ahead", 1, later, 10501, false, {}, DueState::NotDue},
        {"distance test off", 1, later, 10001, false, {14, 0, 0}, DueState::NotDue},
        {"reading reached", 1, later, 10000, false, {}, DueState::PastDue},
        {"no time schedule, date near",
         2,
         At(2024, 6, 16, 0, 0, 0),
         0,
         false,
         {},
         DueState::NotDue},
        {"no time schedule, reading near",
         2,
         At(2024, 6, 16, 0, 0, 0),
         10400,
         false,
         {},
         DueState::DueSoon},
        {"missing type counts as timed",
         99,
         At(2024, 6, 20, 0, 0, 0),
         0,
         false,
         {},
         DueState::DueSoon},
        {"metric: 800 kilometers ahead", 2, later, 10800, true, {}, DueState::DueSoon},
        {"metric: 801 kilometers ahead", 2, later, 10801, true, {}, DueState::NotDue},
    };
    for (const auto& test : cases) {
        document.Trips().Settings[0] = test.metric ? RecordStore::kUnitsKilometres : 0;
        ServiceRecord entry(test.date);
        entry.VehicleId = 100;
        entry.ServiceTypeId = test.type;
        entry.Odometer = test.odometer;
        const ServiceRowContext context(document);
        const ReminderWindow window = test.settings.Window(document.Trips().UsesKilometres());
        EXPECT_EQ(GetDueState(entry, context, window), test.expected) << test.what;
        entry.ServiceFlags = ServiceFlagBits::Completed;
        EXPECT_EQ(GetDueState(entry, context, window), DueState::NotDue) << test.what;
    }
}

} // namespace
