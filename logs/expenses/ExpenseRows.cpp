#include "ExpenseRows.h"

#include "SortByKey.h"
#include "SortCode.h"
#include "TvDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

std::optional<std::int32_t> ToStoredAmount(double amount) {
    // Half a thousandth goes away from zero on both sides, so that an amount
    // shown from its thousandths reads back as the same thousandths.
    const double scaled = std::round(amount * 1000.0);
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0))
        return std::nullopt;
    return static_cast<std::int32_t>(scaled);
}

double ToShownAmount(std::int32_t stored) {
    return stored * 0.001;
}

std::string CostText(std::int32_t stored) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", ToShownAmount(stored));
    return text;
}

std::string ExactAmountText(std::int64_t thousandths) {
    const bool negative = thousandths < 0;
    // The magnitude, without overflow for the smallest value.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(thousandths)
                                             : static_cast<std::uint64_t>(thousandths);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 1000);
    std::uint64_t fraction = magnitude % 1000;
    if (fraction != 0) {
        int digits = 3;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        char decimals[8];
        std::snprintf(decimals, sizeof(decimals), ".%0*llu", digits,
                      static_cast<unsigned long long>(fraction));
        text += decimals;
    }
    return text;
}

std::optional<double> GetFuelEfficiency(std::int32_t odometer, double volume,
                                        const ExpenseRecord* previousFillUp) {
    if (previousFillUp == nullptr || !(volume > 0))
        return std::nullopt;
    const std::int64_t distance = static_cast<std::int64_t>(odometer) - previousFillUp->Odometer;
    return static_cast<double>(distance) / volume;
}

std::string GetFuelEfficiencyText(std::int32_t odometer, double volume,
                                  const ExpenseRecord* previousFillUp) {
    const std::optional<double> efficiency = GetFuelEfficiency(odometer, volume, previousFillUp);
    if (!efficiency)
        return "Unknown";
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f", *efficiency);
    return text;
}

LogColumns ExpenseColumns() {
    return {{"Date", 100}, {"Vender", 200}, {"Description", 200}, {"Odometer", 100}, {"Cost", 100}};
}

std::string ExpenseCellText(const ExpenseRecord& expense, int column) {
    switch (column) {
    case ExpenseColumn::kDate:
        return expense.Date.DateText();
    case ExpenseColumn::kVendor:
        return std::string(expense.Vendor.View());
    case ExpenseColumn::kDescription:
        return std::string(expense.Description.View());
    case ExpenseColumn::kOdometer:
        return std::to_string(expense.Odometer);
    case ExpenseColumn::kCost:
        return CostText(expense.Cost);
    default:
        return {};
    }
}

ExpenseFilter::ExpenseFilter(const VehicleRecord* vehicle, const CategoryEntry* category,
                             bool allDates, const MTime& from, const MTime& to)
    : m_vehicle(vehicle), m_category(category),
      m_allCategories(category != nullptr && category->Name == TvDocument::kAllCategoriesName),
      m_dates(allDates, from, to) {}

ExpenseFilter ExpenseFilter::FromDocument(const TvDocument& document) {
    return ExpenseFilter(document.SelectedVehicle, document.ExpenseLogFilter,
                         document.DisplayAllDates != 0, document.FromDate, document.ToDate);
}

bool ExpenseFilter::PassesVehicleAndCategory(const ExpenseRecord& expense) const {
    if (m_vehicle == nullptr || m_vehicle->VehicleId != expense.VehicleId)
        return false;
    return m_category != nullptr && (m_allCategories || m_category->Category == expense.Category);
}

bool ExpenseFilter::Passes(const ExpenseRecord& expense) const {
    return PassesVehicleAndCategory(expense) && m_dates.Contains(expense.Date);
}

std::vector<ExpenseRecord*> ExpenseRows(ExpenseStore& store, const ExpenseFilter& filter) {
    std::vector<ExpenseRecord*> rows;
    for (ExpenseRecord& expense : store.Records())
        if (!expense.IsDeleted() && filter.Passes(expense))
            rows.push_back(&expense);
    return rows;
}

void SortExpenses(std::vector<ExpenseRecord*>& rows, int sortCode) {
    if (sortCode < 0 || SortCode::Column(sortCode) > ExpenseColumn::kCost ||
        (sortCode & ~(SortCode::kDirection | SortCode::kColumnMask)) != 0)
        return;
    // Without the 128 bit, the largest first.
    const bool descending = !SortCode::IsReversed(sortCode);
    switch (SortCode::Column(sortCode)) {
    case ExpenseColumn::kDate:
        SortByKey<std::int64_t>(rows, descending, [](const ExpenseRecord& expense) {
            return expense.Date.AsSeconds();
        });
        break;
    case ExpenseColumn::kVendor:
        SortByKey<std::string_view>(
            rows, descending, [](const ExpenseRecord& expense) { return expense.Vendor.View(); });
        break;
    case ExpenseColumn::kDescription:
        SortByKey<std::string_view>(rows, descending, [](const ExpenseRecord& expense) {
            return expense.Description.View();
        });
        break;
    case ExpenseColumn::kOdometer:
        SortByKey<std::int32_t>(rows, descending,
                                [](const ExpenseRecord& expense) { return expense.Odometer; });
        break;
    case ExpenseColumn::kCost:
        SortByKey<std::int32_t>(rows, descending,
                                [](const ExpenseRecord& expense) { return expense.Cost; });
        break;
    }
}
