#pragma once

#include "LogReport.h"
#include "Records.h"

// "Expense Log Report": date, vendor, description, reading and cost of each
// expense, then, when the rate is printed, the total cost of the list.
class ExpenseReport final : public LogReport {
public:
    ExpenseReport(std::vector<const ExpenseRecord*> rows, ReportSettings settings);

    // The sum of every row's cost in thousandths, exact in 64 bits.
    std::int64_t TotalCost() const;

protected:
    const char* Title() const override { return "Expense Log Report"; }
    std::vector<ReportColumn> Columns() const override;
    std::size_t RowCount() const override { return m_rows.size(); }
    bool RowPrinted(std::size_t row) const override;
    std::vector<std::string> RowCells(std::size_t row) const override;
    int TotalLines() const override { return TotalAndRateLines(); }
    void DrawTotals(ReportCanvas& canvas, int y) const override;

private:
    std::vector<const ExpenseRecord*> m_rows;
};
