#pragma once

#include <cstddef>

class ReportCanvas;

// Where a report's parts go on the page, computed once per print job from
// the device: half-inch margins inside the printable area (a quarter inch at
// the top of the service report), a header of one and a half inches, and as
// many body lines per page as fit below it.
struct ReportLayout {
    int halfInchX = 0;
    int halfInchY = 0;
    int headerHeight = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int lineHeight = 0;  // of the body font
    int rowsPerPage = 1; // never below 1, even on a sheet too small for a row
    int gap = 0;         // a tenth of an inch before each column's right edge
    std::size_t rowCount = 0;
    int pageCount = 1;

    // extraLines: the lines after the rows that must also fit (the totals).
    static ReportLayout Compute(ReportCanvas& canvas, std::size_t rowCount, bool quarterInchTop,
                                int extraLines);
};
