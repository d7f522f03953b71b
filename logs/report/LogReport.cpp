#include "LogReport.h"

#include "MExcept.h"
#include "ReportCanvas.h"

#include <algorithm>

void LogReport::Begin(ReportCanvas& canvas) {
    m_layout = ReportLayout::Compute(canvas, RowCount(), QuarterInchTop(), TotalLines());
}

bool LogReport::InRange(const MTime& date) const {
    if (m_settings.allDates)
        return true;
    return date >= m_settings.from && date <= m_settings.to;
}

std::vector<int> LogReport::ColumnWidths() const {
    std::vector<int> widths;
    for (const ReportColumn& column : Columns())
        widths.push_back(column.share * m_layout.width / 100);
    return widths;
}

std::vector<int> LogReport::ColumnStarts() const {
    std::vector<int> starts;
    int x = m_layout.left;
    for (const int width : ColumnWidths()) {
        starts.push_back(x);
        x += width;
    }
    return starts;
}

void LogReport::DrawHeader(ReportCanvas& canvas, int page) const {
    const ReportLayout& layout = m_layout;
    const int physicalWidth = canvas.PhysicalWidth();

    canvas.SelectFont(ReportFont::Body);
    const int bodyLine = canvas.LineHeight();
    const std::string pageText = "Page " + std::to_string(page);
    const int y1 = layout.top + bodyLine;
    canvas.DrawText(physicalWidth - layout.left - canvas.TextWidth(pageText), y1, pageText);

    canvas.SelectFont(ReportFont::Title);
    const int y2 = y1 + bodyLine;
    const std::string title = Title();
    canvas.DrawText((physicalWidth - canvas.TextWidth(title)) / 2, y2, title);
    const int y3 = y2 + canvas.LineHeight();

    canvas.SelectFont(ReportFont::Body);
    const std::string range =
        m_settings.allDates ? std::string() : MTime::RangeText(m_settings.from, m_settings.to);
    canvas.DrawText((physicalWidth - canvas.TextWidth(range)) / 2, y3, range);

    canvas.SelectFont(ReportFont::Heading);
    const int headingLine = canvas.LineHeight();
    const int yh = layout.top + layout.headerHeight - headingLine - headingLine / 2;
    const std::vector<ReportColumn> columns = Columns();
    const std::vector<int> starts = ColumnStarts();
    const std::vector<int> widths = ColumnWidths();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string heading = columns[i].heading;
        canvas.DrawText(starts[i] + (widths[i] - canvas.TextWidth(heading) - layout.gap) / 2, yh,
                        heading);
        canvas.DrawLine(starts[i], yh + headingLine, starts[i] + widths[i] - layout.gap,
                        yh + headingLine);
    }
}

std::optional<std::string> LogReport::DrawPage(ReportCanvas& canvas, int page) {
    DrawHeader(canvas, page);

    canvas.SelectFont(ReportFont::Body);
    const ReportLayout& layout = m_layout;
    const std::vector<ReportColumn> columns = Columns();
    const std::vector<int> starts = ColumnStarts();
    const std::vector<int> widths = ColumnWidths();
    const std::size_t first = static_cast<std::size_t>(page - 1) * layout.rowsPerPage;
    const std::size_t end =
        std::min(static_cast<std::size_t>(page) * layout.rowsPerPage, layout.rowCount);
    int y = layout.top + layout.headerHeight;
    std::optional<std::string> error;
    for (std::size_t row = first; row < end; ++row, y += layout.lineHeight) {
        bool printed = false;
        try {
            printed = RowPrinted(row);
        } catch (const MExcept& failure) {
            error = failure.Message();
            break;
        }
        if (!printed)
            continue;
        const std::vector<std::string> cells = RowCells(row);
        for (std::size_t i = 0; i < columns.size() && i < cells.size(); ++i) {
            const int x = columns[i].rightAligned
                              ? starts[i] + widths[i] - layout.gap - canvas.TextWidth(cells[i])
                              : starts[i];
            canvas.DrawText(x, y, cells[i]);
        }
    }
    if (page == layout.pageCount) {
        // The totals begin on the line after the last row of the page, drawn or not.
        const std::size_t rowsOnPage = end > first ? end - first : 0;
        canvas.SelectFont(ReportFont::Heading);
        DrawTotals(canvas, layout.top + layout.headerHeight +
                               static_cast<int>(rowsOnPage) * layout.lineHeight);
    }
    canvas.SelectFont(ReportFont::Body);
    return error;
}

void LogReport::DrawTotals(ReportCanvas&, int) const {}

void LogReport::DrawTotalLine(ReportCanvas& canvas, int y, const std::string& label,
                              const std::string& value) const {
    const std::vector<int> starts = ColumnStarts();
    canvas.DrawText(starts.size() > 1 ? starts[1] : m_layout.left, y, label);
    canvas.DrawText(m_layout.left + m_layout.width - m_layout.gap - canvas.TextWidth(value), y,
                    value);
}
