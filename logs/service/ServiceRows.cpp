#include "ServiceRows.h"

#include "Clock.h"
#include "MExcept.h"
#include "SortByKey.h"
#include "SortCode.h"
#include "TvDocument.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string_view>
#include <utility>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

ServiceStatus GetServiceStatusAt(const ServiceRecord& entry, std::int32_t currentReading,
                                 bool typeHasTimeSchedule, std::int64_t nowSeconds) {
    if (entry.IsCompleted())
        return ServiceStatus::Completed;
    // A date the calendar cannot place (before 1970 or after 2038) has no
    // moment to reach; such an entry is judged by distance.
    const std::int64_t date = entry.Date.AsSeconds();
    if (typeHasTimeSchedule && date >= 0 && date <= nowSeconds)
        return ServiceStatus::PastDue;
    if (entry.Odometer > currentReading || entry.Odometer == 0)
        return ServiceStatus::Future;
    return ServiceStatus::PastDue;
}

ServiceStatus GetServiceStatus(const ServiceRecord& entry, std::int32_t currentReading,
                               bool typeHasTimeSchedule) {
    return GetServiceStatusAt(entry, currentReading, typeHasTimeSchedule, Clock::Now().AsSeconds());
}

const char* ServiceStatusText(ServiceStatus status) {
    switch (status) {
    case ServiceStatus::PastDue:
        return "Past Due";
    case ServiceStatus::Future:
        return "Future";
    case ServiceStatus::Completed:
        return "Completed";
    }
    return "";
}

const char* GetServiceStatusText(const ServiceRecord& entry, std::int32_t currentReading,
                                 bool typeHasTimeSchedule) {
    return ServiceStatusText(GetServiceStatus(entry, currentReading, typeHasTimeSchedule));
}

ServiceProposal ProposeNextService(const TvDocument& document, const VehicleRecord& vehicle,
                                   const ServiceTypeRecord* type) {
    const MTime now = Clock::Now();
    ServiceProposal proposal;
    const ServiceRecord* latest =
        type != nullptr ? document.Services().LatestService(vehicle, *type, now) : nullptr;
    // A latest date the calendar cannot place gives no moment to count from:
    // the proposal then starts from the trips and today, as without service.
    std::int64_t from = latest != nullptr ? latest->Date.AsSeconds() : -1;
    if (from >= 0) {
        proposal.Odometer = latest->Odometer;
        proposal.Date = latest->Date;
    } else {
        proposal.Odometer = document.Trips().MaxTripOdometer(vehicle);
        proposal.Date = now;
        from = now.AsSeconds();
    }
    if (type != nullptr) {
        proposal.Odometer = SaturatedSum(proposal.Odometer, type->DistanceInterval);
        const std::int64_t due = from + type->IntervalDays() * kSecondsPerDay;
        // The data file holds no moment past the 32-bit range.
        if (from < 0 || due > std::numeric_limits<std::int32_t>::max())
            throw MExceptTimeOutOfRange();
        proposal.Date = MTime(due);
    }
    return proposal;
}

std::string GetLastServicingText(const TvDocument& document, const VehicleRecord& vehicle,
                                 const ServiceTypeRecord& type, bool metric) {
    const ServiceRecord* latest = document.Services().LatestService(vehicle, type, Clock::Now());
    if (latest == nullptr)
        return "Unknown.";
    char text[96];
    std::snprintf(text, sizeof(text), "%d %s, on %s",
                  document.Services().LastServiceOdometer(vehicle, type),
                  metric ? "kilometers" : "miles", latest->Date.DateText().c_str());
    return text;
}

LogColumns ServiceColumns(bool metric) {
    return {
        {"Date", 100}, {"Complete", 100}, {"Type", 150}, {metric ? "Kilometers" : "Miles", 100}};
}

ServiceRowContext::ServiceRowContext(const TvDocument& document)
    : m_document(document), m_now(Clock::Now().AsSeconds()) {
    // The first type with an identifier wins, as in the store's own lookup.
    for (const ServiceTypeRecord& type : document.ServiceTypes().Records())
        m_types.emplace(type.ServiceTypeId, &type);
}

const ServiceTypeRecord* ServiceRowContext::TypeOf(const ServiceRecord& entry) const {
    const auto found = m_types.find(entry.ServiceTypeId);
    return found == m_types.end() ? nullptr : found->second;
}

std::string ServiceRowContext::TypeText(const ServiceRecord& entry) const {
    const ServiceTypeRecord* type = TypeOf(entry);
    return type != nullptr ? std::string(type->Name.View()) : std::string("Unknown");
}

bool ServiceRowContext::HasTimeSchedule(const ServiceRecord& entry) const {
    const ServiceTypeRecord* type = TypeOf(entry);
    return type == nullptr || type->TimeUnit != static_cast<std::uint8_t>(TimeUnit::None);
}

std::int32_t ServiceRowContext::CurrentReading(const ServiceRecord& entry) const {
    return m_document.CurrentReadingOf(entry.VehicleId);
}

ServiceStatus ServiceRowContext::StatusOf(const ServiceRecord& entry) const {
    return GetServiceStatusAt(entry, CurrentReading(entry), HasTimeSchedule(entry), m_now);
}

std::string ServiceCellText(const ServiceRecord& entry, int column,
                            const ServiceRowContext& context) {
    switch (column) {
    case ServiceColumn::kDate:
        return entry.Date.DateText();
    case ServiceColumn::kComplete:
        return ServiceStatusText(context.StatusOf(entry));
    case ServiceColumn::kType:
        return context.TypeText(entry);
    case ServiceColumn::kOdometer:
        return std::to_string(entry.Odometer);
    default:
        return {};
    }
}

ServiceFilter::ServiceFilter(const VehicleRecord* vehicle, bool allDates, const MTime& from,
                             const MTime& to)
    : m_vehicle(vehicle), m_dates(allDates, from, to) {}

ServiceFilter ServiceFilter::FromDocument(const TvDocument& document) {
    return ServiceFilter(document.SelectedVehicle, document.DisplayAllDates != 0, document.FromDate,
                         document.ToDate);
}

bool ServiceFilter::Passes(const ServiceRecord& entry) const {
    return m_vehicle != nullptr && m_vehicle->VehicleId == entry.VehicleId &&
           m_dates.Contains(entry.Date);
}

std::vector<ServiceRecord*> ServiceRows(ServiceStore& store, const ServiceFilter& filter) {
    std::vector<ServiceRecord*> rows;
    for (ServiceRecord& entry : store.Records())
        if (!entry.IsDeleted() && filter.Passes(entry))
            rows.push_back(&entry);
    return rows;
}

void SortServices(std::vector<ServiceRecord*>& rows, int sortCode,
                  const ServiceRowContext& context) {
    if (sortCode < 0 || SortCode::Column(sortCode) > ServiceColumn::kOdometer ||
        (sortCode & ~(SortCode::kDirection | SortCode::kColumnMask)) != 0)
        return;
    const bool reversed = SortCode::IsReversed(sortCode);
    switch (SortCode::Column(sortCode)) {
    case ServiceColumn::kDate:
        // Code 0 lists the newest first.
        SortByKey<std::int64_t>(rows, !reversed,
                                [](const ServiceRecord& entry) { return entry.Date.AsSeconds(); });
        break;
    case ServiceColumn::kComplete:
        SortByKey<std::string_view>(rows, reversed, [&context](const ServiceRecord& entry) {
            return std::string_view(ServiceStatusText(context.StatusOf(entry)));
        });
        break;
    case ServiceColumn::kType:
        SortByKey<std::string>(rows, reversed, [&context](const ServiceRecord& entry) {
            return context.TypeText(entry);
        });
        break;
    case ServiceColumn::kOdometer:
        SortByKey<std::int32_t>(rows, reversed,
                                [](const ServiceRecord& entry) { return entry.Odometer; });
        break;
    }
}
