#include "ReportLayout.h"

#include "ReportCanvas.h"

#include <algorithm>
#include <cstdint>

ReportFontSpec SpecOf(ReportFont font) {
    switch (font) {
    case ReportFont::Title:
        return {"Arial", 700, 16};
    case ReportFont::Heading:
        return {"Arial", 700, 10};
    case ReportFont::Body:
        break;
    }
    return {"Arial", 400, 10};
}

ReportLayout ReportLayout::Compute(ReportCanvas& canvas, std::size_t rowCount, bool quarterInchTop,
                                   int extraLines) {
    ReportLayout layout;
    layout.halfInchX = canvas.DpiX() / 2;
    layout.halfInchY = quarterInchTop ? canvas.DpiY() / 4 : canvas.DpiY() / 2;
    layout.headerHeight = canvas.DpiY() * 3 / 2;
    layout.left = canvas.PhysicalOffsetX() + layout.halfInchX;
    layout.top = canvas.PhysicalOffsetY() + layout.halfInchY;
    layout.width = canvas.PhysicalWidth() - 2 * layout.left;
    canvas.SelectFont(ReportFont::Body);
    layout.lineHeight = std::max(1, canvas.LineHeight());
    // A sheet with no room for a row still prints one per page rather than
    // dividing by nothing.
    layout.rowsPerPage = std::max(
        1, (canvas.PhysicalHeight() - 2 * layout.top - layout.headerHeight) / layout.lineHeight);
    layout.gap = canvas.DpiX() / 10;
    layout.rowCount = rowCount;
    const std::uint64_t lines = rowCount + static_cast<std::uint64_t>(std::max(0, extraLines));
    const std::uint64_t pages =
        (lines + static_cast<std::uint64_t>(layout.rowsPerPage) - 1) / layout.rowsPerPage;
    layout.pageCount = static_cast<int>(std::clamp<std::uint64_t>(pages, 1, 1u << 30));
    return layout;
}
