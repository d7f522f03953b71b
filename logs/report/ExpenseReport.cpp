#include "ExpenseReport.h"

#include "ExpenseRows.h"

#include <cstdio>

ExpenseReport::ExpenseReport(std::vector<const ExpenseRecord*> rows, ReportSettings settings)
    : LogReport(std::move(settings)), m_rows(std::move(rows)) {}

std::vector<ReportColumn> ExpenseReport::Columns() const {
    return {{"Date", 13, false},
            {"Vender", 28, false},
            {"Description", 33, false},
            {Settings().metric ? "Kilometers" : "Miles", 13, true},
            {"Cost", 13, true}};
}

bool ExpenseReport::RowPrinted(std::size_t row) const {
    return m_rows[row] != nullptr && InRange(m_rows[row]->Date);
}

std::vector<std::string> ExpenseReport::RowCells(std::size_t row) const {
    const ExpenseRecord& expense = *m_rows[row];
    return {ExpenseCellText(expense, ExpenseColumn::kDate),
            ExpenseCellText(expense, ExpenseColumn::kVendor),
            ExpenseCellText(expense, ExpenseColumn::kDescription),
            ExpenseCellText(expense, ExpenseColumn::kOdometer),
            ExpenseCellText(expense, ExpenseColumn::kCost)};
}

std::int64_t ExpenseReport::TotalCost() const {
    std::int64_t total = 0;
    for (const ExpenseRecord* expense : m_rows)
        if (expense != nullptr)
            total += expense->Cost;
    return total;
}

void ExpenseReport::DrawTotals(ReportCanvas& canvas, int y) const {
    // The total goes with the rate setting: without a printed rate there is none.
    if (!PrintsRate())
        return;
    char total[64];
    std::snprintf(total, sizeof(total), "%.2f", static_cast<double>(TotalCost()) * 0.001);
    DrawTotalLine(canvas, y, "TOTAL", total);
}
