#pragma once

#include "DateRange.h"
#include "LogColumn.h"
#include "RecordStore.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class TvDocument;

// The due status of service work, the next-service proposal, the "Last
// Servicing" line, and what the service log lists and how. The list, the
// report, the exports and tvtool all ask these functions, so an entry has one
// status everywhere. The current time comes from the Clock.

enum class ServiceStatus { PastDue = 0, Future = 1, Completed = 2 };

// Completed when marked so; Past Due when a time-scheduled entry's date has
// been reached (equal counts); else Future while the reading lies ahead of
// currentReading or is 0, and Past Due once reached.
ServiceStatus GetServiceStatus(const ServiceRecord& entry, std::int32_t currentReading,
                               bool typeHasTimeSchedule);
// The same at a given moment, for callers that judge many entries at once.
ServiceStatus GetServiceStatusAt(const ServiceRecord& entry, std::int32_t currentReading,
                                 bool typeHasTimeSchedule, std::int64_t nowSeconds);
// "Past Due", "Future" or "Completed".
const char* ServiceStatusText(ServiceStatus status);
const char* GetServiceStatusText(const ServiceRecord& entry, std::int32_t currentReading,
                                 bool typeHasTimeSchedule);

// Where and when the next servicing of the vehicle falls: from its latest
// entry of the type (or, with none or with one dated where the calendar
// cannot place it, its trips' highest reading and now), plus the type's
// distance and time schedule when a type is given. Raises
// MExceptTimeOutOfRange when the date due lies past what the data file holds.
struct ServiceProposal {
    std::int32_t Odometer = 0;
    MTime Date;
};
ServiceProposal ProposeNextService(const TvDocument& document, const VehicleRecord& vehicle,
                                   const ServiceTypeRecord* type);

// "Unknown." or "%d miles, on M/D/YYYY" (kilometers under metric): the
// highest reading of the pair's entries and the date of the latest one.
std::string GetLastServicingText(const TvDocument& document, const VehicleRecord& vehicle,
                                 const ServiceTypeRecord& type, bool metric);

// "Date", "Complete", "Type", then the distance unit.
LogColumns ServiceColumns(bool metric);
namespace ServiceColumn {
constexpr int kDate = 0;
constexpr int kComplete = 1;
constexpr int kType = 2;
constexpr int kOdometer = 3;
} // namespace ServiceColumn

// What a list of entries needs beyond the entries: their types and each
// vehicle's current reading, looked up once, and the moment their status is
// judged at (taken once, when the list is made).
class ServiceRowContext {
public:
    // Takes the moment from the Clock.
    explicit ServiceRowContext(const TvDocument& document);

    // The entry's type; null when the store has none with its identifier.
    const ServiceTypeRecord* TypeOf(const ServiceRecord& entry) const;
    // The type's name, or "Unknown" for a missing type.
    std::string TypeText(const ServiceRecord& entry) const;
    // A missing type counts as scheduled by time.
    bool HasTimeSchedule(const ServiceRecord& entry) const;
    // CurrentOdometer of the entry's vehicle; 0 when it has none.
    std::int32_t CurrentReading(const ServiceRecord& entry) const;
    ServiceStatus StatusOf(const ServiceRecord& entry) const;
    std::int64_t NowSeconds() const { return m_now; }

private:
    const TvDocument& m_document;
    std::int64_t m_now;
    std::unordered_map<std::uint32_t, const ServiceTypeRecord*> m_types;
};

std::string ServiceCellText(const ServiceRecord& entry, int column,
                            const ServiceRowContext& context);

// The service filter: the selected vehicle only, and unless all dates are
// shown, the entry's date within the range (both ends included).
class ServiceFilter {
public:
    ServiceFilter(const VehicleRecord* vehicle, bool allDates, const MTime& from, const MTime& to);
    static ServiceFilter FromDocument(const TvDocument& document);
    bool Passes(const ServiceRecord& entry) const;

private:
    const VehicleRecord* m_vehicle;
    DateRange m_dates;
};

// The live entries that pass the filter, in store order.
std::vector<ServiceRecord*> ServiceRows(ServiceStore& store, const ServiceFilter& filter);

// Orders the rows by a sort code: 0 newest first, 128 oldest first (equal
// dates keep store order); 1 and 2 by status text and type name byte by byte,
// 3 by reading, ascending; 129-131 descending; any other code keeps the
// order. Equal rows keep their order.
void SortServices(std::vector<ServiceRecord*>& rows, int sortCode,
                  const ServiceRowContext& context);
