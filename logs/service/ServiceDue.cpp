#include "ServiceDue.h"

#include "Cp1252.h"
#include "TvDocument.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

ReminderSettings g_current;

// The moment a dated entry falls due; none for one judged by distance alone
// or dated where the calendar cannot place it.
std::int64_t DueSeconds(const ServiceRecord& entry, bool typeHasTimeSchedule) {
    const std::int64_t date = entry.Date.AsSeconds();
    return typeHasTimeSchedule && date >= 0 ? date : std::numeric_limits<std::int64_t>::max();
}

} // namespace

const ReminderSettings& ReminderSettings::Current() {
    return g_current;
}

void ReminderSettings::SetCurrent(const ReminderSettings& settings) {
    g_current = settings;
}

bool IsServiceDueSoon(const ServiceRecord& entry, std::int32_t currentReading,
                      bool typeHasTimeSchedule, std::int64_t nowSeconds,
                      const ReminderWindow& window) {
    if (GetServiceStatusAt(entry, currentReading, typeHasTimeSchedule, nowSeconds) !=
        ServiceStatus::Future)
        return false;
    const std::int64_t date = entry.Date.AsSeconds();
    if (window.Days > 0 && typeHasTimeSchedule && date >= 0 &&
        date <= nowSeconds + static_cast<std::int64_t>(window.Days) * kSecondsPerDay)
        return true;
    // A Future entry with a reading lies above the current one.
    return window.Distance > 0 && entry.Odometer != 0 &&
           static_cast<std::int64_t>(entry.Odometer) - currentReading <= window.Distance;
}

DueState GetDueState(const ServiceRecord& entry, const ServiceRowContext& context,
                     const ReminderWindow& window) {
    const std::int32_t reading = context.CurrentReading(entry);
    const bool timed = context.HasTimeSchedule(entry);
    switch (GetServiceStatusAt(entry, reading, timed, context.NowSeconds())) {
    case ServiceStatus::PastDue:
        return DueState::PastDue;
    case ServiceStatus::Future:
        return IsServiceDueSoon(entry, reading, timed, context.NowSeconds(), window)
                   ? DueState::DueSoon
                   : DueState::NotDue;
    case ServiceStatus::Completed:
        break;
    }
    return DueState::NotDue;
}

std::vector<DueService> DueServices(const TvDocument& document, const ServiceRowContext& context,
                                    const ReminderWindow& window, const VehicleRecord* vehicle) {
    // Each with the moment it falls due, worked out once rather than at
    // every comparison of the sort.
    std::vector<std::pair<std::int64_t, DueService>> found;
    for (const ServiceRecord& entry : document.Services().Records()) {
        if (entry.IsDeleted() || entry.IsCompleted() ||
            (vehicle != nullptr && entry.VehicleId != vehicle->VehicleId))
            continue;
        const VehicleRecord* owner = document.Vehicles().FindVehicle(entry.VehicleId);
        if (owner == nullptr || owner->IsDeleted())
            continue;
        const DueState state = GetDueState(entry, context, window);
        if (state != DueState::NotDue)
            found.push_back(
                {DueSeconds(entry, context.HasTimeSchedule(entry)), {&entry, owner, state}});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.second.State != b.second.State)
            return a.second.State == DueState::PastDue;
        if (a.first != b.first)
            return a.first < b.first;
        return a.second.Entry->Odometer < b.second.Entry->Odometer;
    });
    std::vector<DueService> due;
    due.reserve(found.size());
    for (const auto& [dueSeconds, service] : found)
        due.push_back(service);
    return due;
}

std::size_t CountPastDue(const TvDocument& document, const ServiceRowContext& context) {
    std::size_t count = 0;
    for (const ServiceRecord& entry : document.Services().Records()) {
        if (entry.IsDeleted() || entry.IsCompleted())
            continue;
        const VehicleRecord* owner = document.Vehicles().FindVehicle(entry.VehicleId);
        if (owner != nullptr && !owner->IsDeleted() &&
            context.StatusOf(entry) == ServiceStatus::PastDue)
            ++count;
    }
    return count;
}

std::string DueSummaryText(const std::vector<DueService>& due) {
    const auto pastDue = static_cast<std::size_t>(std::count_if(
        due.begin(), due.end(), [](const DueService& d) { return d.State == DueState::PastDue; }));
    const std::size_t soon = due.size() - pastDue;
    const auto services = [](std::size_t count) {
        return std::to_string(count) + (count == 1 ? " service " : " services ");
    };
    if (pastDue > 0 && soon > 0)
        return services(pastDue) + "past due, " + std::to_string(soon) + " due soon";
    if (pastDue > 0)
        return services(pastDue) + "past due";
    if (soon > 0)
        return services(soon) + "due soon";
    return {};
}

std::string GroupedNumber(std::int64_t value) {
    const std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    std::string grouped = digits.substr(0, sign);
    for (std::size_t i = sign; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string DueWhenText(const ServiceRecord& entry, const ServiceRowContext& context, bool metric) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string when;
    if (DueSeconds(entry, context.HasTimeSchedule(entry)) !=
        std::numeric_limits<std::int64_t>::max()) {
        char date[32];
        std::snprintf(date, sizeof(date), "%d %s %d", entry.Date.GetDay(),
                      kMonths[entry.Date.GetMonth()], entry.Date.GetYear() + 1900);
        when = std::string("due ") + date;
    }
    if (entry.Odometer != 0) {
        when += when.empty() ? "due at " : " or at ";
        when += GroupedNumber(entry.Odometer) + (metric ? " kilometers" : " miles");
    }
    return when;
}

std::string DueEntryText(const DueService& due, const ServiceRowContext& context, bool metric) {
    std::string text = Cp1252::ToUtf8(context.TypeText(*due.Entry));
    if (due.Vehicle != nullptr)
        text += ", " + Cp1252::ToUtf8(due.Vehicle->Name.View());
    const std::string when = DueWhenText(*due.Entry, context, metric);
    return when.empty() ? text : text + ": " + when;
}

std::string DueSetKey(const std::vector<DueService>& due) {
    std::string key;
    for (const DueService& item : due) {
        const ServiceRecord& entry = *item.Entry;
        key += std::to_string(entry.VehicleId) + '/' + std::to_string(entry.ServiceTypeId) + '/' +
               std::to_string(entry.Date.AsSeconds()) + '/' + std::to_string(entry.Odometer) + '/' +
               (item.State == DueState::PastDue ? 'p' : 's') + ';';
    }
    return key;
}
