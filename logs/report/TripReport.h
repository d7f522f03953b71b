#pragma once

#include "LogReport.h"
#include "Records.h"

// "Trip Log Report": date, destination, start, end and distance of each trip,
// then the total distance and, when the rate is printed, what it costs.
class TripReport final : public LogReport {
public:
    TripReport(std::vector<const TripRecord*> rows, ReportSettings settings);

protected:
    const char* Title() const override { return "Trip Log Report"; }
    std::vector<ReportColumn> Columns() const override;
    std::size_t RowCount() const override { return m_rows.size(); }
    bool RowPrinted(std::size_t row) const override;
    std::vector<std::string> RowCells(std::size_t row) const override;
    int TotalLines() const override { return TotalAndRateLines(); }
    void DrawTotals(ReportCanvas& canvas, int y) const override;

private:
    std::vector<const TripRecord*> m_rows;
};
