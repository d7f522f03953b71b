#pragma once

#include <string>

class TvDocument;

// The service schedule as an iCalendar file (.ics), for a calendar program to
// import or subscribe to. Every planned entry (not completed, not deleted, of
// a live vehicle) whose type has a time schedule and whose date the calendar
// can place becomes an all-day event on its date: summary "Oil change:
// Civic", a description with the odometer target and the note. Each event's
// UID stays the same from one export to the next while the entry lives, so a
// calendar that reads the file again updates its events instead of adding
// them twice.
namespace ServiceCalendar {

// The calendar's text.
std::string CalendarText(const TvDocument& document);

// Writes the calendar to path, replacing the file only once it is complete;
// raises MExcept when the file cannot be written.
void WriteCalendarFile(const TvDocument& document, const std::string& path);

} // namespace ServiceCalendar
