#pragma once

#include "MTime.h"
#include "ReportLayout.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class ReportCanvas;

// What a report takes from the settings and the filter pane.
struct ReportSettings {
    double rate = 0.365; // cost per distance unit
    std::int32_t printRate = 1;
    bool metric = false;
    bool allDates = true; // false: the range below is printed and rows outside it are blank
    MTime from;
    MTime to;
};

struct ReportColumn {
    const char* heading;
    int share; // per cent of the width
    bool rightAligned;
};

// A log's list printed on pages: the page number, the title, the date range
// and the column headings at the top of each page, then the rows of that
// page, then on the last page the totals of the whole list. Begin() lays the
// pages out for the device; DrawPage() draws pages 1 to PageCount().
class LogReport {
public:
    explicit LogReport(ReportSettings settings) : m_settings(std::move(settings)) {}
    virtual ~LogReport() = default;

    void Begin(ReportCanvas& canvas);
    const ReportLayout& Layout() const { return m_layout; }
    int PageCount() const { return m_layout.pageCount; }
    // Draws a page. A row whose date cannot be placed on the calendar stops
    // the page's rows; its error text is returned to be shown, and the totals
    // are still drawn.
    std::optional<std::string> DrawPage(ReportCanvas& canvas, int page);

protected:
    virtual const char* Title() const = 0;
    virtual std::vector<ReportColumn> Columns() const = 0;
    virtual std::size_t RowCount() const = 0;
    // Whether the row has a record whose date lies in the printed range.
    // Raises MExceptTimeOutOfRange for a date the calendar cannot place.
    virtual bool RowPrinted(std::size_t row) const = 0;
    virtual std::vector<std::string> RowCells(std::size_t row) const = 0;
    // The lines reserved after the rows on the last page.
    virtual int TotalLines() const { return 0; }
    virtual bool QuarterInchTop() const { return false; }
    // Draws the totals from line y in the heading font.
    virtual void DrawTotals(ReportCanvas& canvas, int y) const;

    const ReportSettings& Settings() const { return m_settings; }
    // Whether a date lies within the printed range; raises for a date the
    // calendar cannot place.
    bool InRange(const MTime& date) const;
    // Draws a label at the second column and a value right-aligned to the
    // right edge, in the selected font.
    void DrawTotalLine(ReportCanvas& canvas, int y, const std::string& label,
                       const std::string& value) const;
    // The lines reserved for a total and, when the rate is printed, its cost.
    int TotalAndRateLines() const { return 1 + (m_settings.printRate == 1 ? 1 : 0); }
    bool PrintsRate() const { return m_settings.rate > 0 && m_settings.printRate != 0; }

private:
    void DrawHeader(ReportCanvas& canvas, int page) const;
    std::vector<int> ColumnStarts() const;
    std::vector<int> ColumnWidths() const;

    ReportSettings m_settings;
    ReportLayout m_layout;
};
