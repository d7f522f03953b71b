#include "ServiceCalendar.h"

#include "Clock.h"
#include "ExportData.h"
#include "TvDocument.h"

#include <libical/ical.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

struct Event {
    std::string summary;
    std::string description;
    std::string date; // YYYYMMDD, all day
};

// The events of a calendar file as libical reads them, by UID.
std::map<std::string, Event> ReadEvents(const std::string& path) {
    icalcomponent* calendar = icalparser_parse_string(FileBytes(path).c_str());
    EXPECT_NE(calendar, nullptr);
    std::map<std::string, Event> events;
    if (calendar == nullptr)
        return events;
    EXPECT_EQ(icalcomponent_check_restrictions(calendar), 1);
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         event != nullptr;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype start = icalcomponent_get_dtstart(event);
        EXPECT_TRUE(start.is_date);
        const char* description = icalcomponent_get_description(event);
        char date[16];
        std::snprintf(date, sizeof(date), "%04d%02d%02d", start.year, start.month, start.day);
        events[icalcomponent_get_uid(event)] = {icalcomponent_get_summary(event),
                                                description != nullptr ? description : "", date};
    }
    icalcomponent_free(calendar);
    return events;
}

ServiceRecord& AddEntry(TvDocument& document, std::uint32_t type, const MTime& date,
                        std::int32_t odometer, const char* note) {
    ServiceRecord entry(date);
    entry.VehicleId = 7;
    entry.ServiceTypeId = type;
    entry.Odometer = odometer;
    entry.Note = note;
    return document.Services().Append(std::move(entry));
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
    ServiceTypeRecord tyres; // by distance alone: its date is no due date
    tyres.Name.Set("Tyres");
    tyres.ServiceTypeId = 2;
    document.ServiceTypes().Append(tyres);

    ServiceRecord& planned =
        AddEntry(document, 1, MTime(2016, 3, 12, 23, 30, 0, -1), 45000, "Synthetic, caf\xE9");
    AddEntry(document, 1, MTime(2015, 12, 1, 9, 0, 0, -1), 42000, "").ServiceFlags =
        ServiceFlagBits::Completed;
    AddEntry(document, 2, MTime(2016, 4, 1, 9, 0, 0, -1), 50000, "");
    const std::string first = folder.File("first.ics");
    ServiceCalendar::WriteCalendarFile(document, first);
    const std::map<std::string, Event> before = ReadEvents(first);
    ASSERT_EQ(before.size(), 1u);
    const Event& change = before.begin()->second;
    EXPECT_EQ(change.summary, "Oil change: Civic");
    EXPECT_EQ(change.date, "20160312");
    EXPECT_NE(change.description.find("45,000 miles"), std::string::npos);
    EXPECT_NE(change.description.find("Synthetic, caf\xC3\xA9"), std::string::npos);

    // A new entry and a changed date: the old event keeps its UID, the new
    // one gets another.
    AddEntry(document, 1, MTime(2016, 6, 12, 9, 0, 0, -1), 48000, "");
    planned.Date = MTime(2016, 3, 14, 9, 0, 0, -1);
    const std::string second = folder.File("second.ics");
    ServiceCalendar::WriteCalendarFile(document, second);
    const std::map<std::string, Event> after = ReadEvents(second);
    ASSERT_EQ(after.size(), 2u);
    ASSERT_EQ(after.count(before.begin()->first), 1u);
    EXPECT_EQ(after.at(before.begin()->first).date, "20160314");
}

} // namespace
