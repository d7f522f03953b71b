#pragma once

#include "ImportCells.h"

#include <string>
#include <vector>

// Reads one sheet of an Excel 5 or Excel 97-2003 workbook (.xls) through
// FreeXL (through a FreeXlCopy of the workbook): the first sheet, or the
// one named. Numbers come as numbers, texts
// converted to Windows-1252, and cells that the workbook formats as dates as
// "YYYY-MM-DD HH:MM:SS" texts (FreeXL reads the formats).
class XlsReader : public RowReader {
public:
    // Raises MExceptImport when the file is no readable workbook, is
    // protected by a password, or has no sheet of that name.
    XlsReader(const std::string& path, const std::string& sheet);
    ~XlsReader() override;
    XlsReader(const XlsReader&) = delete;
    XlsReader& operator=(const XlsReader&) = delete;

    bool Next(ImportRow& row) override;
    std::size_t Line() const override { return m_next; }
    std::uint64_t Done() const override { return m_next; }
    std::uint64_t Total() const override { return m_rows; }
    bool UsesDate1904() const override { return m_date1904; }
    // The names of the workbook's sheets, in order (Windows-1252).
    const std::vector<std::string>& SheetNames() const { return m_sheetNames; }

private:
    const void* m_handle = nullptr;
    unsigned int m_rows = 0;
    unsigned short m_columns = 0;
    unsigned int m_next = 0; // the row Next reads, counted from 0
    bool m_date1904 = false;
    bool m_fromCodePage437 = false; // a BIFF5 FreeXlCopy
    std::vector<std::string> m_sheetNames;
};
