#include "VehicleStatistics.h"

#include "ExpenseRows.h"
#include "ServiceRows.h"
#include "TripRows.h"
#include "TvDocument.h"

#include <algorithm>
#include <array>
#include <limits>
#include <tuple>

namespace {

// Category indexes run from 0 to 15; one more slot gathers the records whose
// index names no entry of the list.
constexpr std::size_t kCategorySlots = CategoryList::kMaxEntries;
constexpr std::size_t kUnknownSlot = kCategorySlots;
constexpr std::size_t kSlotsWithUnknown = kCategorySlots + 1;
constexpr const char* kUnknownCategoryName = "Unknown";

// The months the calendar can place: January 1970 to December 2038.
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2038;
constexpr std::size_t kMonthSlots = (kLastYear - kFirstYear + 1) * 12;

// Where each category slot's amounts go in a list of named amounts.
constexpr std::size_t kNoPosition = std::numeric_limits<std::size_t>::max();
using SlotPositions = std::array<std::size_t, kSlotsWithUnknown>;

constexpr std::size_t CategorySlot(std::uint32_t index) {
    return index < kCategorySlots ? index : kUnknownSlot;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The month of the local calendar that holds a date, as a slot from January
// 1970; none for a date the calendar cannot place. A date whose fields are a
// plain calendar date well inside the range (as the program and the handheld
// write them) lies in its own month; only others are normalised, which is a
// slow call of the C library.
std::optional<std::size_t> MonthSlot(const MTime& date) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = date.GetYear() + 1900;
    int month = date.GetMonth(); // 0-11
    const bool plain = year > kFirstYear && year < kLastYear && month >= 0 && month < 12 &&
                       date.GetDay() >= 1 &&
                       date.GetDay() <= kDays[month] + (month == 1 && IsLeapYear(year) ? 1 : 0) &&
                       date.GetHour() < 24 && date.GetMinute() < 60 && date.GetSecond() < 60;
    if (!plain) {
        if (date.AsSeconds() < 0)
            return std::nullopt;
        year = date.GetYear() + 1900;
        month = date.GetMonth();
    }
    const long slot = (static_cast<long>(year) - kFirstYear) * 12 + month;
    if (slot < 0 || static_cast<std::size_t>(slot) >= kMonthSlots)
        return std::nullopt;
    return static_cast<std::size_t>(slot);
}

// The figures of each calendar month, gathered in one table for the whole
// calendar so that no record costs an allocation.
class MonthTable {
public:
    MonthTable() : m_distance(kMonthSlots), m_cost(kMonthSlots * kSlotsWithUnknown) {}

    void AddTrip(std::size_t month, std::int64_t distance) {
        Mark(month);
        m_distance[month] += distance;
    }
    void AddExpense(std::size_t month, std::size_t categorySlot, std::int64_t cost) {
        Mark(month);
        m_cost[month * kSlotsWithUnknown + categorySlot] += cost;
    }

    // The used span of months, each month's costs placed by the position
    // of each category slot's named amount (kNoPosition: nowhere).
    std::vector<MonthFigures> Figures(const SlotPositions& positions, std::size_t named) const {
        std::vector<MonthFigures> months;
        if (m_first > m_last)
            return months;
        months.reserve(m_last - m_first + 1);
        for (std::size_t month = m_first; month <= m_last; ++month) {
            MonthFigures figures;
            figures.Year = kFirstYear + static_cast<int>(month / 12);
            figures.Month = static_cast<int>(month % 12) + 1;
            figures.Distance = m_distance[month];
            figures.CostByCategory.assign(named, 0);
            for (std::size_t slot = 0; slot < kSlotsWithUnknown; ++slot)
                if (positions[slot] != kNoPosition)
                    figures.CostByCategory[positions[slot]] +=
                        m_cost[month * kSlotsWithUnknown + slot];
            months.push_back(std::move(figures));
        }
        return months;
    }

private:
    void Mark(std::size_t month) {
        m_first = std::min(m_first, month);
        m_last = std::max(m_last, month);
    }

    std::vector<std::int64_t> m_distance;
    std::vector<std::int64_t> m_cost;
    std::size_t m_first = kMonthSlots;
    std::size_t m_last = 0;
};

// Amounts per category slot, named after the store's category list.
struct CategoryAmounts {
    std::array<std::int64_t, kSlotsWithUnknown> amount{};
    std::array<std::int64_t, kSlotsWithUnknown> records{};

    void Add(std::size_t slot, std::int64_t value) {
        amount[slot] += value;
        ++records[slot];
    }

    // Every entry of the list in its order; an index held by an earlier
    // entry already gives the later one nothing. The records of indexes no
    // entry holds end up in a last "Unknown" entry. positions receives where
    // each slot's amounts went.
    std::vector<NamedAmount> Named(const CategoryList& list, SlotPositions& positions) const {
        std::vector<NamedAmount> named;
        positions.fill(kNoPosition);
        for (const CategoryEntry& entry : list.Items()) {
            const std::uint32_t index = entry.Index();
            if (index < kCategorySlots && positions[index] == kNoPosition) {
                positions[index] = named.size();
                named.push_back({entry.Name, amount[index]});
            } else {
                named.push_back({entry.Name, 0});
            }
        }
        NamedAmount unknown{kUnknownCategoryName, 0};
        std::int64_t unknownRecords = 0;
        for (std::size_t slot = 0; slot < kSlotsWithUnknown; ++slot) {
            if (positions[slot] == kNoPosition) {
                unknown.Amount += amount[slot];
                unknownRecords += records[slot];
            }
        }
        if (unknownRecords == 0)
            return named;
        for (std::size_t& position : positions)
            if (position == kNoPosition)
                position = named.size();
        named.push_back(std::move(unknown));
        return named;
    }
};

// The previous fill-up of every fill-up of the vehicle at once: the rule of
// ExpenseStore::PreviousFillUp (the vehicle's fuel purchases, deleted ones
// included, with the greatest reading below the fill-up's and above 0, the
// first in store order of equal readings), answered from the candidates
// sorted once instead of a walk of the whole store per fill-up. The fill-up
// itself is never among its candidates, its reading not being below its own.
class PreviousFillUps {
public:
    void AddCandidate(const ExpenseRecord& expense, std::size_t storeIndex) {
        if (expense.Odometer > 0)
            m_candidates.push_back({expense.Odometer, storeIndex, &expense});
    }

    // Sorts by reading, keeping the first in store order of each reading.
    void Prepare() {
        std::sort(
            m_candidates.begin(), m_candidates.end(), [](const Candidate& a, const Candidate& b) {
                return std::tie(a.odometer, a.storeIndex) < std::tie(b.odometer, b.storeIndex);
            });
        m_candidates.erase(std::unique(m_candidates.begin(), m_candidates.end(),
                                       [](const Candidate& a, const Candidate& b) {
                                           return a.odometer == b.odometer;
                                       }),
                           m_candidates.end());
    }

    const ExpenseRecord* Before(std::int32_t odometer) const {
        const auto above = std::lower_bound(m_candidates.begin(), m_candidates.end(), odometer,
                                            [](const Candidate& candidate, std::int32_t value) {
                                                return candidate.odometer < value;
                                            });
        return above == m_candidates.begin() ? nullptr : std::prev(above)->expense;
    }

private:
    struct Candidate {
        std::int32_t odometer;
        std::size_t storeIndex;
        const ExpenseRecord* expense;
    };
    std::vector<Candidate> m_candidates;
};

struct RangeFillUp {
    std::int64_t seconds;
    std::size_t storeIndex;
    const ExpenseRecord* expense;
};

void AddTrips(const TvDocument& document, const StatisticsScope& scope, VehicleStatistics& figures,
              CategoryAmounts& categories, MonthTable& months) {
    const TripFilter filter(scope.Vehicle, &document.AllCategoriesEntry, scope.AllDates, scope.From,
                            scope.To);
    for (const TripRecord& trip : document.Trips().Records()) {
        if (trip.IsDeleted() || !filter.Passes(trip))
            continue;
        const std::int32_t distance = TripDistance(trip);
        ++figures.TripCount;
        figures.Distance += distance;
        categories.Add(CategorySlot(trip.Category), distance);
        if (const std::optional<std::size_t> month = MonthSlot(trip.Start))
            months.AddTrip(*month, distance);
    }
}

void AddExpenses(const TvDocument& document, const StatisticsScope& scope,
                 VehicleStatistics& figures, CategoryAmounts& categories, MonthTable& months,
                 std::int32_t& lowestReading, std::int32_t& highestReading) {
    const ExpenseFilter filter(scope.Vehicle, &document.AllCategoriesEntry, scope.AllDates,
                               scope.From, scope.To);
    PreviousFillUps previous;
    std::vector<RangeFillUp> rangeFillUps;
    std::size_t storeIndex = 0;
    for (const ExpenseRecord& expense : document.Expenses().Records()) {
        const std::size_t index = storeIndex++;
        // Deleted fill-ups still mark where the tank was filled before.
        if (expense.IsFuelPurchase() && expense.VehicleId == scope.Vehicle->VehicleId)
            previous.AddCandidate(expense, index);
        if (expense.IsDeleted() || !filter.Passes(expense))
            continue;
        const std::size_t slot = CategorySlot(expense.Category);
        ++figures.ExpenseCount;
        figures.Cost += expense.Cost;
        categories.Add(slot, expense.Cost);
        if (const std::optional<std::size_t> month = MonthSlot(expense.Date))
            months.AddExpense(*month, slot, expense.Cost);
        if (expense.Odometer > 0) {
            lowestReading = std::min(lowestReading, expense.Odometer);
            highestReading = std::max(highestReading, expense.Odometer);
        }
        if (expense.IsFuelPurchase()) {
            ++figures.FillUps;
            figures.Volume += expense.Volume;
            figures.FuelCost += expense.Cost;
            rangeFillUps.push_back({expense.Date.AsSeconds(), index, &expense});
        }
    }

    previous.Prepare();
    std::sort(rangeFillUps.begin(), rangeFillUps.end(),
              [](const RangeFillUp& a, const RangeFillUp& b) {
                  return std::tie(a.seconds, a.expense->Odometer, a.storeIndex) <
                         std::tie(b.seconds, b.expense->Odometer, b.storeIndex);
              });
    figures.FillUpPoints.reserve(rangeFillUps.size());
    // The average is the distance each fill-up after the first covered
    // since its previous fill-up, over the fuel those fill-ups bought: a
    // mean of the points weighted by volume. With every fill-up live and the
    // readings rising with the dates, the distances add up to the span from
    // the first fill-up to the last.
    bool firstSeen = false;
    std::int64_t distance = 0;
    std::int64_t volume = 0;
    for (const RangeFillUp& fillUp : rangeFillUps) {
        const ExpenseRecord& expense = *fillUp.expense;
        const ExpenseRecord* before = previous.Before(expense.Odometer);
        figures.FillUpPoints.push_back(
            {expense.Date, expense.Odometer, expense.Volume,
             GetFuelEfficiency(expense.Odometer, ToShownAmount(expense.Volume), before)});
        if (expense.Odometer <= 0)
            continue;
        if (!firstSeen) {
            firstSeen = true;
        } else if (before != nullptr && expense.Volume > 0) {
            distance += expense.Odometer - before->Odometer;
            volume += expense.Volume;
        }
    }
    if (volume > 0)
        figures.AverageEfficiency =
            static_cast<double>(distance) / (static_cast<double>(volume) * 0.001);
}

void AddServices(const TvDocument& document, const StatisticsScope& scope, const MTime& now,
                 VehicleStatistics& figures) {
    const ServiceFilter inRange(scope.Vehicle, scope.AllDates, scope.From, scope.To);
    const ServiceFilter anyDate(scope.Vehicle, true, scope.From, scope.To);
    const ServiceRowContext context(document);
    const std::int64_t nowSeconds = now.AsSeconds();
    // The vehicle's reading takes a walk over every trip; only open entries
    // need it.
    std::optional<std::int32_t> currentReading;

    // The best candidate so far: time-scheduled entries by date first, then
    // the others by reading.
    const ServiceRecord* next = nullptr;
    bool nextByDate = false;
    std::int64_t nextKey = 0;

    for (const ServiceRecord& entry : document.Services().Records()) {
        if (entry.IsDeleted() || !anyDate.Passes(entry))
            continue;
        if (entry.IsCompleted()) {
            figures.ServicesCompleted += inRange.Passes(entry) ? 1 : 0;
            continue;
        }
        if (!currentReading)
            currentReading = document.CurrentOdometer(*scope.Vehicle);
        const bool byDate = context.HasTimeSchedule(entry);
        const ServiceStatus status = GetServiceStatusAt(entry, *currentReading, byDate, nowSeconds);
        if (status == ServiceStatus::PastDue) {
            ++figures.ServicesPastDue;
            continue;
        }
        const std::int64_t date = entry.Date.AsSeconds();
        const bool hasDate = byDate && date >= 0;
        if (!hasDate && entry.Odometer == 0)
            continue;
        const std::int64_t key = hasDate ? date : entry.Odometer;
        if (next == nullptr || (hasDate && !nextByDate) ||
            (hasDate == nextByDate && key < nextKey)) {
            next = &entry;
            nextByDate = hasDate;
            nextKey = key;
        }
    }
    if (next != nullptr) {
        NextServiceDue due;
        due.TypeName = context.TypeText(*next);
        if (nextByDate)
            due.Date = next->Date;
        if (next->Odometer != 0)
            due.Odometer = next->Odometer;
        figures.NextDue = std::move(due);
    }
}

} // namespace

StatisticsScope StatisticsScope::FromDocument(const TvDocument& document) {
    StatisticsScope scope;
    scope.Vehicle = document.SelectedVehicle;
    scope.AllDates = document.DisplayAllDates != 0;
    scope.From = document.FromDate;
    scope.To = document.ToDate;
    return scope;
}

VehicleStatistics ComputeVehicleStatistics(const TvDocument& document, const StatisticsScope& scope,
                                           const MTime& now) {
    VehicleStatistics figures;
    figures.Metric = document.Trips().UsesKilometres();
    CategoryAmounts tripCategories;
    CategoryAmounts expenseCategories;
    MonthTable months;
    std::int32_t lowestReading = std::numeric_limits<std::int32_t>::max();
    std::int32_t highestReading = 0;
    if (scope.Vehicle != nullptr) {
        AddTrips(document, scope, figures, tripCategories, months);
        AddExpenses(document, scope, figures, expenseCategories, months, lowestReading,
                    highestReading);
        AddServices(document, scope, now, figures);
    }

    SlotPositions positions;
    figures.DistanceByCategory = tripCategories.Named(document.Trips().Categories, positions);
    figures.CostByCategory = expenseCategories.Named(document.Expenses().Categories, positions);
    figures.Months = months.Figures(positions, figures.CostByCategory.size());

    if (figures.TripCount > 0) {
        figures.CostDistanceSource = DistanceSource::Trips;
        figures.CostDistance = figures.Distance;
    } else if (highestReading > lowestReading) {
        figures.CostDistanceSource = DistanceSource::Odometer;
        figures.CostDistance = static_cast<std::int64_t>(highestReading) - lowestReading;
    }
    if (figures.CostDistance > 0)
        figures.CostPerDistance =
            static_cast<double>(figures.Cost) * 0.001 / static_cast<double>(figures.CostDistance);
    return figures;
}
