#pragma once

#include "Records.h"
#include "ServiceRows.h"

#include <cstdint>
#include <string>
#include <vector>

class TvDocument;

// Service reminders: which planned entries are due soon beside those already
// past due, shared by the service list's markers, the log selector's count,
// the desktop notification, the statistics window and `tvtool due`. The three
// statuses stay those of GetServiceStatus; "due soon" only picks out some
// Future entries.

// How far ahead a reminder looks: Days (whole days of 24 hours) and
// Distance (in the data file's unit). 0 turns that test off.
struct ReminderWindow {
    std::int32_t Days = 14;
    std::int32_t Distance = 500;
};

// The reminder settings of the program: one distance per unit, so that a
// change of units keeps a sensible distance.
struct ReminderSettings {
    static constexpr std::int32_t kDefaultDays = 14;
    static constexpr std::int32_t kDefaultMiles = 500;
    static constexpr std::int32_t kDefaultKilometres = 800;

    std::int32_t Days = kDefaultDays;
    std::int32_t Miles = kDefaultMiles;
    std::int32_t Kilometres = kDefaultKilometres;

    ReminderWindow Window(bool metric) const { return {Days, metric ? Kilometres : Miles}; }

    // The settings the desktop program's lists and reminders use; the
    // program sets them from its stored settings.
    static const ReminderSettings& Current();
    static void SetCurrent(const ReminderSettings& settings);
};

enum class DueState { NotDue, DueSoon, PastDue };

// Due soon: Future by GetServiceStatus, and either the type has a time
// schedule and the date is no later than now + Days x 24 hours, or the entry
// has a reading (not 0) at most Distance above currentReading.
bool IsServiceDueSoon(const ServiceRecord& entry, std::int32_t currentReading,
                      bool typeHasTimeSchedule, std::int64_t nowSeconds,
                      const ReminderWindow& window);

// Past Due, due soon, or neither (Future and not soon, or Completed).
DueState GetDueState(const ServiceRecord& entry, const ServiceRowContext& context,
                     const ReminderWindow& window);

// An entry that needs the user's attention.
struct DueService {
    const ServiceRecord* Entry = nullptr;
    const VehicleRecord* Vehicle = nullptr;
    DueState State = DueState::NotDue;
};

// The live entries of live vehicles (of one vehicle when given) that are past
// due or due soon: past due first, then due soon, each by date (entries
// judged by distance alone after the dated ones), then by reading; equal
// entries in store order.
std::vector<DueService> DueServices(const TvDocument& document, const ServiceRowContext& context,
                                    const ReminderWindow& window,
                                    const VehicleRecord* vehicle = nullptr);

// The number of live entries of live vehicles that are Past Due.
std::size_t CountPastDue(const TvDocument& document, const ServiceRowContext& context);

// "3 services past due, 1 due soon", "1 service past due", "2 services due
// soon"; empty when nothing is due.
std::string DueSummaryText(const std::vector<DueService>& due);

// "due 12 Mar 2016 or at 45,000 miles": the date when the type has a time
// schedule, the reading when the entry has one; texts in UTF-8.
std::string DueWhenText(const ServiceRecord& entry, const ServiceRowContext& context, bool metric);
// "Oil change, Civic: due 12 Mar 2016 or at 45,000 miles", in UTF-8.
std::string DueEntryText(const DueService& due, const ServiceRowContext& context, bool metric);

// A fingerprint of the set of due entries and their states, so that the same
// set is not announced twice.
std::string DueSetKey(const std::vector<DueService>& due);

// 45000 as "45,000".
std::string GroupedNumber(std::int64_t value);
