#pragma once

#include "LogReport.h"
#include "ServiceRows.h"

// "Service Log Report": date, type, status and reading of each entry, from a
// quarter inch below the top of the printable area; no totals.
class ServiceReport final : public LogReport {
public:
    // The context judges each entry's status as the list does.
    ServiceReport(std::vector<const ServiceRecord*> rows, const ServiceRowContext& context,
                  ReportSettings settings);

protected:
    const char* Title() const override { return "Service Log Report"; }
    std::vector<ReportColumn> Columns() const override;
    std::size_t RowCount() const override { return m_rows.size(); }
    bool RowPrinted(std::size_t row) const override;
    std::vector<std::string> RowCells(std::size_t row) const override;
    bool QuarterInchTop() const override { return true; }

private:
    std::vector<const ServiceRecord*> m_rows;
    const ServiceRowContext& m_context;
};
