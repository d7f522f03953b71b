#include "ServiceCalendar.h"

#include "Clock.h"
#include "ExportData.h"
#include "TvDocument.h"

#include <libical/ical.h>

#include <gtest/gtest.h>

#include <map>

namespace {

// The events of a calendar file as libical reads them: UID to summary, the
// all-day date (YYYYMMDD) and the description.
std::map<std::string, std::string> ReadEvents(const std::string& path) {
    icalcomponent* calendar = icalparser_parse_string(FileBytes(path).c_str());
    std::map<std::string, std::string> events;
    if (calendar == nullptr || icalcomponent_check_restrictions(calendar) != 1)
        return events;
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event != nullptr;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype day = icalcomponent_get_dtstart(event);
        const char* description = icalcomponent_get_description(event);
        events[icalcomponent_get_uid(event)] =
            std::string(icalcomponent_get_summary(event)) + "|" +
            (day.is_date ? std::to_string(day.year * 10000 + day.month * 100 + day.day) : "timed") +
            "|" + (description != nullptr ? description : "");
    }
    icalcomponent_free(calendar);
    return events;
}

TEST(ServiceCalendarTest, PlannedEntriesBecomeAllDayEventsWithStableUids) {
    const Clock::ScopedFix clock(MTime(2016, 3, 1, 12, 0, 0, -1));
    ScratchFolder folder;
    TvDocument document;
    document.InitNewDocument();
    VehicleRecord civic;
    civic.Name.Set("Civic");
    civic.VehicleId = 7;
    document.Vehicles().Append(civic);
    ServiceTypeRecord oil;
    oil.Name.Set("Oil change");
    oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
    oil.TimeCount = 3;
    oil.ServiceTypeId = 1;
    document.ServiceTypes().Append(oil);
    const auto add = [&document](std::uint32_t type, const MTime& date, bool completed) -> auto& {
        ServiceRecord entry(date);
        entry.VehicleId = 7;
        entry.ServiceTypeId = type;
        entry.Odometer = 45000;
        entry.ServiceFlags = completed ? ServiceFlagBits::Completed : 0;
        return document.Services().Append(std::move(entry));
    };
    ServiceRecord& planned = add(1, MTime(2016, 3, 12, 23, 30, 0, -1), false);
    planned.Note = "Synthetic, caf\xE9";
    add(1, MTime(2015, 12, 1, 9, 0, 0, -1), true);
    add(2, MTime(2016, 4, 1, 9, 0, 0, -1), false); // type 2 is missing: scheduled by time
    document.ServiceTypes().Append([] {
        ServiceTypeRecord tyres; // by distance alone: its entries' dates are no due dates
        tyres.ServiceTypeId = 3;
        return tyres;
    }());
    add(3, MTime(2016, 5, 1, 9, 0, 0, -1), false);

    ServiceCalendar::WriteCalendarFile(document, folder.File("first.ics"));
    const auto before = ReadEvents(folder.File("first.ics"));
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before.begin()->second,
              "Oil change: Civic|20160312|Due at 45,000 miles.\nSynthetic, caf\xC3\xA9");

    // A new entry and a changed date: the old events keep their UIDs.
    add(1, MTime(2016, 6, 12, 9, 0, 0, -1), false);
    planned.Date = MTime(2016, 3, 14, 9, 0, 0, -1);
    ServiceCalendar::WriteCalendarFile(document, folder.File("second.ics"));
    const auto after = ReadEvents(folder.File("second.ics"));
    ASSERT_EQ(after.size(), 3u);
    for (const auto& [uid, event] : before)
        ASSERT_EQ(after.count(uid), 1u) << uid;
    EXPECT_NE(after.at(before.begin()->first).find("|20160314|"), std::string::npos);
}

} // namespace
