#include "ServiceTypeRows.h"

#include "SortCode.h"

#include <algorithm>
#include <utility>

std::string GetTimeScheduleText(const ServiceTypeRecord& type) {
    const int count = type.TimeCount;
    if (type.TimeUnit == static_cast<std::uint8_t>(TimeUnit::None) || count == 0)
        return "Never";
    const char* unit = nullptr;
    switch (static_cast<TimeUnit>(type.TimeUnit)) {
    case TimeUnit::Days:
        unit = "day";
        break;
    case TimeUnit::Weeks:
        unit = "week";
        break;
    case TimeUnit::Months:
        unit = "month";
        break;
    case TimeUnit::Years:
        unit = "year";
        break;
    default:
        // The reader refuses any other unit; a record built in memory with
        // one has no schedule to describe.
        return "Never";
    }
    if (count == 1)
        return std::string("Every ") + unit;
    return "Every " + std::to_string(count) + " " + unit + "s";
}

std::string GetDistanceScheduleText(const ServiceTypeRecord& type, bool metric) {
    const char* unit = metric ? "kilometer" : "mile";
    if (type.DistanceInterval == 0)
        return "Never";
    if (type.DistanceInterval == 1)
        return std::string("Every ") + unit;
    return "Every " + std::to_string(type.DistanceInterval) + " " + unit + "s";
}

bool IsServiceTypeNameUsed(const ServiceTypeStore& store, std::string_view name,
                           const ServiceTypeRecord* except) {
    for (const ServiceTypeRecord& type : store.Records())
        if (&type != except && !type.IsDeleted() && type.Name.View() == name)
            return true;
    return false;
}

LogColumns ServiceTypeColumns() {
    return {{"Name", 100}, {"Time Schedule", 200}, {"Distance Schedule", 200}};
}

std::string ServiceTypeCellText(const ServiceTypeRecord& type, int column, bool metric) {
    switch (column) {
    case ServiceTypeColumn::kName:
        return std::string(type.Name.View());
    case ServiceTypeColumn::kTimeSchedule:
        return GetTimeScheduleText(type);
    case ServiceTypeColumn::kDistanceSchedule:
        return GetDistanceScheduleText(type, metric);
    default:
        return {};
    }
}

std::vector<ServiceTypeRecord*> ServiceTypeRows(ServiceTypeStore& store) {
    std::vector<ServiceTypeRecord*> rows;
    for (ServiceTypeRecord& type : store.Records())
        if (!type.IsDeleted())
            rows.push_back(&type);
    return rows;
}

void SortServiceTypes(std::vector<ServiceTypeRecord*>& rows, int sortCode) {
    const int column = SortCode::Column(sortCode);
    if (sortCode < 0 || column > ServiceTypeColumn::kDistanceSchedule ||
        (sortCode & ~(SortCode::kDirection | SortCode::kColumnMask)) != 0)
        return;
    // The texts are made once per row; the distance column always sorts by
    // its wording in miles.
    std::vector<std::pair<std::string, ServiceTypeRecord*>> keyed;
    keyed.reserve(rows.size());
    for (ServiceTypeRecord* type : rows)
        keyed.emplace_back(ServiceTypeCellText(*type, column, false), type);
    if (SortCode::IsReversed(sortCode))
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return b.first < a.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].second;
}
