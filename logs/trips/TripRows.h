#pragma once

#include "DateRange.h"
#include "LogColumn.h"
#include "RecordStore.h"

#include <cstdint>
#include <string>
#include <vector>

class TvDocument;

// What the trip log lists and how: the filter, the row texts and the order.
// The list, the report, the exports and tvtool all ask these functions, so
// they show the same trips the same way.

// A reading kept within 0 to kMaxOdometer.
std::int32_t ClampOdometer(std::int64_t reading);
// End minus start, kept within 0 to kMaxOdometer.
std::int32_t TripDistance(const TripRecord& trip);

// "Date", "Destination", start, end, "Distance"; the odometer headings name
// the distance unit.
LogColumns TripColumns(bool metric);
namespace TripColumn {
constexpr int kDate = 0;
constexpr int kDestination = 1;
constexpr int kStart = 2;
constexpr int kEnd = 3;
constexpr int kDistance = 4;
} // namespace TripColumn

// The date ("%d/%d/%d" of the start), the destination, the start and end
// readings and the distance.
std::string TripCellText(const TripRecord& trip, int column);

// The filter of the trip log as the filter pane left it in the document.
// There is no "all vehicles": without a vehicle or a category nothing
// passes. The date range's ends are converted once, not per trip.
class TripFilter {
public:
    TripFilter(const VehicleRecord* vehicle, const CategoryEntry* category, bool allDates,
               const MTime& from, const MTime& to);
    static TripFilter FromDocument(const TvDocument& document);

    // Vehicle, category and, unless all dates are shown, the start date
    // within the range (both ends included).
    bool Passes(const TripRecord& trip) const;
    // Vehicle and category only: whether a trip's row stays after an edit.
    bool PassesVehicleAndCategory(const TripRecord& trip) const;

private:
    const VehicleRecord* m_vehicle;
    const CategoryEntry* m_category;
    bool m_allCategories;
    DateRange m_dates;
};

// The live trips that pass the filter, in store order.
std::vector<TripRecord*> TripRows(TripStore& store, const TripFilter& filter);

// Orders the rows by a sort code: 0 newest first, 1-4 by destination (byte by
// byte), start, end and distance ascending; 128-132 the other way round; any
// other code keeps the order. Equal rows keep their order.
void SortTrips(std::vector<TripRecord*>& rows, int sortCode);
