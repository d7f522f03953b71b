#pragma once

#include "SheetWriter.h"

#include <cstdint>
#include <string_view>

class MByteSink;

// Writes the "Book" stream of an Excel 5 (BIFF5) workbook with one sheet,
// "Sheet1": the workbook globals (window, five Arial fonts, three number
// formats, eighteen cell formats, the palette, the sheet's entry) and the
// worksheet's opening records when opened, then the cells as they come, then
// the end record. Cell format 15 is plain, 16 bold (the header row), 17 the
// date-time format "m/d/yyyy h:mm".
//
// The stream goes to a byte sink that can seek (the sheet's position in the
// globals is patched once known), so it can be written to memory as well as
// into the compound file that holds it (CompoundFile.h).
class WorkbookWriter : public SheetWriter {
public:
    // Rows a sheet holds; rows are numbered 0 to kMaxRows - 1.
    static constexpr std::uint32_t kMaxRows = 16384;
    static constexpr std::uint16_t kPlainFormat = 15;
    static constexpr std::uint16_t kBoldFormat = 16;
    static constexpr std::uint16_t kDateTimeFormat = 17;

    // Writes the globals and the worksheet's opening records to sink, which
    // must stay alive until Close.
    void Open(MByteSink& sink);
    // Writes the end record of an open workbook; nothing when it is not open.
    void Close();

    // A row beyond the sheet's last one raises MExceptFileWriteError: its
    // number would not fit the format.
    void WriteLabel(std::string_view text, std::uint32_t row, std::uint16_t column,
                    bool bold) override;
    void WriteNumber(double value, std::uint32_t row, std::uint16_t column, bool bold) override;
    void WriteDateTime(std::uint32_t row, std::uint16_t column, int year, int month, int day,
                       int hour, int minute) override;

private:
    void WriteNumberCell(double value, std::uint32_t row, std::uint16_t column,
                         std::uint16_t format);
    MByteSink& Sink();

    MByteSink* m_sink = nullptr;
    bool m_open = false;
};
