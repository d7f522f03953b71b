#include "TripReport.h"

#include "ReportCanvas.h"
#include "TripRows.h"

#include <cinttypes>
#include <cstdio>

TripReport::TripReport(std::vector<const TripRecord*> rows, ReportSettings settings)
    : LogReport(std::move(settings)), m_rows(std::move(rows)) {}

std::vector<ReportColumn> TripReport::Columns() const {
    return {{"Date", 20, false},
            {"Destination", 41, false},
            {"Start", 13, true},
            {"End", 13, true},
            {Settings().metric ? "Kilometers" : "Miles", 13, true}};
}

bool TripReport::RowPrinted(std::size_t row) const {
    return m_rows[row] != nullptr && InRange(m_rows[row]->Start);
}

std::vector<std::string> TripReport::RowCells(std::size_t row) const {
    const TripRecord& trip = *m_rows[row];
    return {TripCellText(trip, TripColumn::kDate), TripCellText(trip, TripColumn::kDestination),
            TripCellText(trip, TripColumn::kStart), TripCellText(trip, TripColumn::kEnd),
            TripCellText(trip, TripColumn::kDistance)};
}

void TripReport::DrawTotals(ReportCanvas& canvas, int y) const {
    // Every row of the list counts, in 64 bits: a million trips of the
    // longest distance do not fit in 32.
    std::int64_t total = 0;
    for (const TripRecord* trip : m_rows)
        if (trip != nullptr)
            total += TripDistance(*trip);
    const bool metric = Settings().metric;
    DrawTotalLine(canvas, y, metric ? "Total Kilometers" : "Total Miles", std::to_string(total));
    if (!PrintsRate())
        return;
    char label[96];
    std::snprintf(label, sizeof(label), "Total cost at %f per %s", Settings().rate,
                  metric ? "kilometer" : "mile");
    char cost[64];
    std::snprintf(cost, sizeof(cost), "%.2f", static_cast<double>(total) * Settings().rate);
    DrawTotalLine(canvas, y + canvas.LineHeight(), label, cost);
}
