#include "ServiceReport.h"

ServiceReport::ServiceReport(std::vector<const ServiceRecord*> rows,
                             const ServiceRowContext& context, ReportSettings settings)
    : LogReport(std::move(settings)), m_rows(std::move(rows)), m_context(context) {}

std::vector<ReportColumn> ServiceReport::Columns() const {
    return {{"Date", 20, false},
            {"Type of Service", 40, false},
            {"Complete", 20, true},
            {Settings().metric ? "Kilometers" : "Mileage", 20, true}};
}

bool ServiceReport::RowPrinted(std::size_t row) const {
    return m_rows[row] != nullptr && InRange(m_rows[row]->Date);
}

std::vector<std::string> ServiceReport::RowCells(std::size_t row) const {
    const ServiceRecord& entry = *m_rows[row];
    return {ServiceCellText(entry, ServiceColumn::kDate, m_context),
            ServiceCellText(entry, ServiceColumn::kType, m_context),
            ServiceCellText(entry, ServiceColumn::kComplete, m_context),
            ServiceCellText(entry, ServiceColumn::kOdometer, m_context)};
}
