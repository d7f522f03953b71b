#pragma once

#include "ImportCells.h"

#include <string>
#include <vector>

typedef struct _GsfInput GsfInput;
typedef struct _GsfInfile GsfInfile;
typedef struct _xmlTextReader xmlTextReader;

// Reads one sheet of an .xlsx workbook: the zip container through libgsf,
// the workbook, its relations, the shared strings and the sheet through
// libxml2's streaming reader, so that the sheet is never held whole (the
// shared strings are). The first sheet, or the one named. Numbers (dates
// among them, as day serials) come as numbers, texts in Windows-1252.
class XlsxReader : public RowReader {
public:
    // Raises MExceptImport when the file is no readable workbook or has no
    // sheet of that name.
    XlsxReader(const std::string& path, const std::string& sheet);
    ~XlsxReader() override;
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    bool Next(ImportRow& row) override;
    std::size_t Line() const override { return m_line; }
    std::uint64_t Done() const override;
    std::uint64_t Total() const override;
    bool UsesDate1904() const override { return m_date1904; }
    // The names of the workbook's sheets, in order (Windows-1252).
    const std::vector<std::string>& SheetNames() const { return m_sheetNames; }

private:
    // The sheet's path inside the container.
    std::string FindSheet(const std::string& sheet);
    void ReadSharedStrings();
    void Close();

    GsfInput* m_file = nullptr;
    GsfInfile* m_zip = nullptr;
    GsfInput* m_sheet = nullptr;
    xmlTextReader* m_reader = nullptr;
    std::vector<std::string> m_strings;
    std::vector<std::string> m_sheetNames;
    bool m_date1904 = false;
    std::size_t m_line = 0;
};
