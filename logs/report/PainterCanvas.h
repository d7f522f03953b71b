#pragma once

#include "ReportCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <array>
#include <functional>
#include <string>
#include <vector>

class LogReport;
class QPagedPaintDevice;
class QPainter;

// The sheet a report is drawn on, in device units: its resolution, the
// whole sheet and where the printable area begins on it.
struct ReportPage {
    int dpiX = 0;
    int dpiY = 0;
    int width = 0;
    int height = 0;
    int offsetX = 0;
    int offsetY = 0;

    // A printer's or PDF writer's sheet as its page layout and resolution
    // give it.
    static ReportPage Of(const QPagedPaintDevice& device);
};

// A report canvas over a painter whose origin is the top left of the
// printable area (a printer, a print preview, a PDF writer or an image).
// Fonts are Arial (Liberation Sans under fontconfig) of P * dpiY / 72 pixels;
// the line height is ascent plus descent plus leading, as the printer driver
// counts character height and external leading.
class PainterCanvas final : public ReportCanvas {
public:
    PainterCanvas(QPainter& painter, const ReportPage& page);

    int DpiX() const override { return m_page.dpiX; }
    int DpiY() const override { return m_page.dpiY; }
    int PhysicalWidth() const override { return m_page.width; }
    int PhysicalHeight() const override { return m_page.height; }
    int PhysicalOffsetX() const override { return m_page.offsetX; }
    int PhysicalOffsetY() const override { return m_page.offsetY; }

    void SelectFont(ReportFont font) override;
    int LineHeight() const override;
    int TextWidth(std::string_view text) const override;
    void DrawText(int x, int y, std::string_view text) override;
    void DrawLine(int x1, int y1, int x2, int y2) override;

private:
    QPainter& m_painter;
    ReportPage m_page;
    std::array<QFont, 3> m_fonts;
    std::vector<QFontMetrics> m_metrics; // of each font on the painter's device
    std::size_t m_selected = 0;
};

// The page loop every report output shares: begin once, pages first to last
// (within 1 to the page count) with a new sheet between them, end.
namespace ReportRender {

struct Hooks {
    // Called before each page with its place in the job (1-based) and the
    // number of pages the job draws; false stops the job.
    std::function<bool(int done, int total)> beforePage;
    // A page could not draw all its rows; false stops the job.
    std::function<bool(const std::string& error)> onError;
};

enum class Result { Done, Stopped, Failed };

// Draws the report on a paged device whose painter is active. first and last
// of 0 mean the first and the last page. Failed: the device refused a new
// sheet (a full disk, a printer gone).
Result DrawPages(LogReport& report, QPainter& painter, QPagedPaintDevice& device, int first,
                 int last, const Hooks& hooks);

} // namespace ReportRender
