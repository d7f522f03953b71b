#pragma once

#include "DateRange.h"
#include "LogColumn.h"
#include "RecordStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TvDocument;

// Amounts, fuel efficiency, and what the expense log lists and how. The list,
// the dialog, the report, the exports and tvtool share these functions.

// Costs and volumes are kept as thousandths in a signed 32-bit number.
// The largest and smallest amounts that fit.
constexpr double kMaxStoredAmount = 2147483.647;
constexpr double kMinStoredAmount = -2147483.648;
// Amount x 1000, rounded half away from zero (12.345 -> 12345, 0.0005 -> 1,
// -12.345 -> -12345); none when it does not fit in 32 bits.
std::optional<std::int32_t> ToStoredAmount(double amount);
// Thousandths back to the amount (12340 -> 12.34).
double ToShownAmount(std::int32_t stored);
// "%.2f" of a stored cost in currency units.
std::string CostText(std::int32_t stored);
// Thousandths as an exact decimal, without trailing zeros: 12340 -> "12.34",
// -5 -> "-0.005", 2000 -> "2". Read back, it gives the same thousandths.
std::string ExactAmountText(std::int64_t thousandths);

// The distance since the previous fill-up per unit of volume (miles per
// gallon or kilometres per litre); none without a previous fill-up or with no
// volume (0, negative or not a number).
std::optional<double> GetFuelEfficiency(std::int32_t odometer, double volume,
                                        const ExpenseRecord* previousFillUp);
// "%.2f" of GetFuelEfficiency, or "Unknown" when it has none.
std::string GetFuelEfficiencyText(std::int32_t odometer, double volume,
                                  const ExpenseRecord* previousFillUp);

// "Date", "Vender", "Description", "Odometer", "Cost".
LogColumns ExpenseColumns();
namespace ExpenseColumn {
constexpr int kDate = 0;
constexpr int kVendor = 1;
constexpr int kDescription = 2;
constexpr int kOdometer = 3;
constexpr int kCost = 4;
} // namespace ExpenseColumn

std::string ExpenseCellText(const ExpenseRecord& expense, int column);

// The filter of the expense log as the filter pane left it: the selected
// vehicle, the expense category (the entry named "All" lets every category
// through) and, unless all dates are shown, the date within the range (both
// ends included). Without a vehicle or a category nothing passes.
class ExpenseFilter {
public:
    ExpenseFilter(const VehicleRecord* vehicle, const CategoryEntry* category, bool allDates,
                  const MTime& from, const MTime& to);
    static ExpenseFilter FromDocument(const TvDocument& document);

    bool Passes(const ExpenseRecord& expense) const;
    // Vehicle and category only: whether a row stays after an edit.
    bool PassesVehicleAndCategory(const ExpenseRecord& expense) const;

private:
    const VehicleRecord* m_vehicle;
    const CategoryEntry* m_category;
    bool m_allCategories;
    DateRange m_dates;
};

// The live expenses that pass the filter, in store order.
std::vector<ExpenseRecord*> ExpenseRows(ExpenseStore& store, const ExpenseFilter& filter);

// Orders the rows by a sort code: without the 128 bit every column from the
// largest down (0 newest first, 1-2 vendor and description byte by byte, 3
// odometer, 4 cost), with it from the smallest up; any other code keeps the
// order. Equal rows keep their order.
void SortExpenses(std::vector<ExpenseRecord*>& rows, int sortCode);
