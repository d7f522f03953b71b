#pragma once

#include "WorkbookFormats.h"

#include <cstdint>
#include <ctime>
#include <string>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Writes a one-sheet .xlsx workbook ("Sheet1") through libxlsxwriter, with the
// cells of the Excel 5 sheet: labels, numbers, date-times shown as
// "m/d/yyyy h:mm" and bold header cells. Rows are written in order and
// each is handed to a temporary file as soon as the next begins, so memory
// stays flat however many rows there are.
class XlsxSheetWriter : public XlsxWorkbook {
public:
    // Rows a sheet holds; rows are numbered 0 to kMaxRows - 1.
    static constexpr std::uint32_t kMaxRows = 1048576;

    // Starts a workbook that Close writes to path; created is the time the
    // workbook names as its creation. The library's own temporary files go
    // to tmpdir. Raises MExceptOutOfMemory when the workbook cannot be
    // started.
    XlsxSheetWriter(const std::string& path, std::time_t created, const std::string& tmpdir);
    // Lets go of a workbook that was not closed without writing it, and of
    // the temporary file that holds its rows.
    ~XlsxSheetWriter() override;
    XlsxSheetWriter(const XlsxSheetWriter&) = delete;
    XlsxSheetWriter& operator=(const XlsxSheetWriter&) = delete;

    // Writes the workbook, then reads it back: libxlsxwriter does not check
    // the writes to its own temporary files, so a full disk could leave a
    // sheet cut short in a workbook that looks complete. Raises
    // MExceptFileWriteError when writing fails or the workbook is not whole.
    void Close() override;

    // Texts are bytes of the Windows-1252 code page, stored as Unicode.
    void WriteLabel(std::string_view text, std::uint32_t row, std::uint16_t column,
                    bool bold) override;
    void WriteNumber(double value, std::uint32_t row, std::uint16_t column, bool bold) override;
    void WriteDateTime(std::uint32_t row, std::uint16_t column, int year, int month, int day,
                       int hour, int minute) override;

private:
    void Written(std::uint32_t row);
    void FreeUnclosed();

    std::string m_path;
    std::string m_tmpdir;
    std::uint32_t m_rows = 0; // the rows written hold cells up to row m_rows - 1
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_format* m_dateTime = nullptr;
};
