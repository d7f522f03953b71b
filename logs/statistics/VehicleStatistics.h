#pragma once

#include "MTime.h"
#include "Records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TvDocument;

// What one vehicle did and cost over the filter pane's date range: the figures
// of the statistics window and of `tvtool stats`. Computed from the same
// filters, distances and efficiency rule as the trip and expense lists, so the
// figures agree with what the lists show.

// The vehicle and the date range the figures are for (both ends included,
// whole days, as the lists filter); every category of trips and expenses.
struct StatisticsScope {
    const VehicleRecord* Vehicle = nullptr;
    bool AllDates = true;
    MTime From;
    MTime To;

    // The filter pane's vehicle and range as the document holds them.
    static StatisticsScope FromDocument(const TvDocument& document);
};

// A named amount: a trip category's distance or an expense category's cost.
// The lists hold every entry of the store's category list in list order, zero
// amounts included, so a chart keeps its colours while the range changes. Live
// records whose category index names no entry of the list (a damaged file)
// are summed into one last entry named "Unknown", present only when there are
// such records.
struct NamedAmount {
    std::string Name; // as stored (cp1252)
    std::int64_t Amount = 0;
};

// One fill-up of the range with its efficiency as the expense list computes
// it (distance since the previous fill-up of the vehicle, deleted ones and
// those outside the range included, per unit of volume); none when it has no
// previous fill-up or no volume.
struct FillUpPoint {
    MTime Date;
    std::int32_t Odometer = 0;
    std::int32_t Volume = 0; // thousandths
    std::optional<double> Efficiency;
};

// One calendar month of the range, by the local calendar date of the trip's
// start or the expense's date. Only dates the calendar can place (1970 to
// 2038) fall into a month; a record dated outside still counts in the totals.
struct MonthFigures {
    int Year = 0;
    int Month = 0;             // 1-12
    std::int64_t Distance = 0; // the month's trips, by their start date
    // The month's cost per expense category, in thousandths, in the order of
    // VehicleStatistics::CostByCategory.
    std::vector<std::int64_t> CostByCategory;
};

// Where the cost per distance unit takes its distance from.
enum class DistanceSource {
    Trips,    // the distance of the range's trips (even when it is 0)
    Odometer, // no trips: the highest minus the lowest reading (above 0) of
              // the range's expenses, when that is above 0
    None      // neither gives a distance
};

// The service entry due next: its type name ("Unknown" for a missing type,
// as the service log shows it) and its date or reading.
struct NextServiceDue {
    std::string TypeName;
    std::optional<MTime> Date;            // when the type has a time schedule
    std::optional<std::int32_t> Odometer; // when the entry has a reading
};

struct VehicleStatistics {
    bool Metric = false;

    // Trips
    std::int64_t TripCount = 0;
    std::int64_t Distance = 0;                   // the trip list's distances, clamped as there
    std::vector<NamedAmount> DistanceByCategory; // trip category list order

    // Expenses (amounts in thousandths)
    std::int64_t ExpenseCount = 0;
    std::int64_t Cost = 0;
    std::vector<NamedAmount> CostByCategory; // expense category list order, "All" left out
    std::int64_t FillUps = 0;
    std::int64_t Volume = 0;
    std::int64_t FuelCost = 0;

    // Fuel efficiency: every fill-up of the range in date order (equal dates
    // by reading, then store order), and the average: over the fill-ups with
    // a reading (above 0) after the first of them, the distance each covered
    // since its previous fill-up divided by the volume they bought. That is
    // the distance from the range's first fill-up to its last over the volume
    // of every fill-up after the first, while the readings rise with the
    // dates; a deleted fill-up in between (still a previous fill-up, as in
    // the expense list) or readings out of order cannot put the average
    // outside its points. None with fewer than two fill-ups or no volume.
    std::vector<FillUpPoint> FillUpPoints;
    std::optional<double> AverageEfficiency;

    // Cost per distance unit: Cost (in currency units) / CostDistance, none
    // when the distance is 0.
    DistanceSource CostDistanceSource = DistanceSource::None;
    std::int64_t CostDistance = 0;
    std::optional<double> CostPerDistance;

    // Service work of the vehicle: entries completed in the range, entries
    // past due now (any date), and the open entry due next. Statuses are the
    // service log's, judged at `now`. The entry due next is the "Future"
    // entry that falls due first: entries of a time-scheduled type by date,
    // earliest first, ahead of those judged by distance alone, which follow
    // by reading; an entry with neither a time schedule nor a reading is
    // never due.
    std::int64_t ServicesCompleted = 0;
    std::int64_t ServicesPastDue = 0;
    std::optional<NextServiceDue> NextDue;

    // The calendar months from the first to the last month that holds a trip
    // or an expense of the range, gaps included, oldest first.
    std::vector<MonthFigures> Months;
};

// The figures for the scope, judged at `now` (the Clock's time in the
// program; tvtool's --now).
VehicleStatistics ComputeVehicleStatistics(const TvDocument& document, const StatisticsScope& scope,
                                           const MTime& now);
