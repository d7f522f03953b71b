#pragma once

#include <cstdint>
#include <string_view>

// One worksheet as the Excel exports fill it: text, number and date-time
// cells, header cells in bold. The Excel 5 workbook and the .xlsx workbook
// both take the cells of an export through this, so that one export code
// fills both. Rows and columns count from 0. Failures raise MExcept.
class SheetWriter {
public:
    virtual ~SheetWriter() = default;

    // Text of the system's single-byte code page, at most 255 characters
    // (longer text is cut).
    virtual void WriteLabel(std::string_view text, std::uint32_t row, std::uint16_t column,
                            bool bold) = 0;
    virtual void WriteNumber(double value, std::uint32_t row, std::uint16_t column, bool bold) = 0;
    // A date and time shown as "m/d/yyyy h:mm", stored as OleAutomationDate.
    virtual void WriteDateTime(std::uint32_t row, std::uint16_t column, int year, int month,
                               int day, int hour, int minute) = 0;
};

// The OLE automation date of a calendar date and time: the days since 30
// December 1899, with the time of day as the fraction (2 January 1900 12:00
// is 3.5). A day before that date counts negative with the time still added
// as a positive fraction (29 December 1899 6:00 is -1.25). Fields out of their
// range carry over as in a calendar normalisation: month 13 is January of the
// next year, day 0 the last day of the month before.
double OleAutomationDate(int year, int month, int day, int hour, int minute);
