#include "ServiceCalendar.h"

#include "AtomicFileWriter.h"
#include "Clock.h"
#include "Cp1252.h"
#include "MExcept.h"
#include "ServiceDue.h"
#include "TvDocument.h"

#include <libical/ical.h>

#include <map>
#include <memory>
#include <utility>

namespace ServiceCalendar {
namespace {

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype DateOf(const MTime& date) {
    icaltimetype day = icaltime_null_date();
    day.year = date.GetYear() + 1900;
    day.month = date.GetMonth() + 1;
    day.day = date.GetDay();
    return day;
}

// Entries made on the handheld keep their record identifier; one made on the
// desktop has none, so it is named by its vehicle, its type and its place
// among the store's entries of that pair, deleted ones included (deleting
// marks entries, so the places of the others do not move).
std::string UidOf(const ServiceRecord& entry, int place) {
    if (entry.Uid != 0)
        return "service-" + std::to_string(entry.Uid) + "@tarvenly-desktop";
    return "service-" + std::to_string(entry.VehicleId) + "-" +
           std::to_string(entry.ServiceTypeId) + "-" + std::to_string(place) + "@tarvenly-desktop";
}

std::string DescriptionOf(const ServiceRecord& entry, bool metric) {
    std::string text;
    if (entry.Odometer != 0)
        text = "Due at " + GroupedNumber(entry.Odometer) + (metric ? " kilometers." : " miles.");
    if (!entry.Note.empty())
        text += (text.empty() ? "" : "\n") + Cp1252::ToUtf8(entry.Note);
    return text;
}

} // namespace

std::string CalendarText(const TvDocument& document) {
    const ServiceRowContext context(document);
    const bool metric = document.Trips().UsesKilometres();
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(),
                               icalproperty_new_prodid("-//Brisklane//Tarvenly Desktop//EN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    const icaltimetype stamp = icaltime_from_timet_with_zone(
        static_cast<time_t>(context.NowSeconds()), 0, icaltimezone_get_utc_timezone());

    std::map<std::pair<std::uint32_t, std::uint32_t>, int> places;
    for (const ServiceRecord& entry : document.Services().Records()) {
        const int place = places[{entry.VehicleId, entry.ServiceTypeId}]++;
        if (entry.IsDeleted() || entry.IsCompleted() || !context.HasTimeSchedule(entry) ||
            entry.Date.AsSeconds() < 0)
            continue;
        const VehicleRecord* vehicle = document.Vehicles().FindVehicle(entry.VehicleId);
        if (vehicle == nullptr || vehicle->IsDeleted())
            continue;
        icalcomponent* event = icalcomponent_new_vevent();
        icalcomponent_add_property(event, icalproperty_new_uid(UidOf(entry, place).c_str()));
        icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
        const icaltimetype day = DateOf(entry.Date);
        icalcomponent_add_property(event, icalproperty_new_dtstart(day));
        icalcomponent_add_property(
            event, icalproperty_new_dtend(icaltime_add(day, icaldurationtype_from_int(86400))));
        const std::string summary =
            Cp1252::ToUtf8(context.TypeText(entry)) + ": " + Cp1252::ToUtf8(vehicle->Name.View());
        icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
        const std::string description = DescriptionOf(entry, metric);
        if (!description.empty())
            icalcomponent_add_property(event, icalproperty_new_description(description.c_str()));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        icalcomponent_add_component(calendar.get(), event);
    }
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    if (text == nullptr)
        throw MExceptOutOfMemory();
    std::string result(text);
    icalmemory_free_buffer(text);
    return result;
}

void WriteCalendarFile(const TvDocument& document, const std::string& path) {
    const std::string text = CalendarText(document);
    AtomicFileWriter writer(path, AtomicFileWriter::Durability::WhenReplacing);
    writer.File().WriteBytes(text.data(), text.size());
    writer.Commit();
}

} // namespace ServiceCalendar
