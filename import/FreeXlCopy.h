#pragma once

#include <string>

// FreeXL trusts what a workbook says: the sizes of its compound file's
// directory entries, and the lengths of the texts inside its records, which
// it copies without looking at the record's own size. So FreeXL never sees
// the file itself: this reads the workbook stream through libgsf, checks
// every record FreeXL reads a length from against the record, and writes the
// stream into a new compound file of libgsf's, in a temporary file that the
// object removes again.
//
// An Excel 5 (BIFF5) copy also differs from its workbook in two ways FreeXL
// needs. FreeXL converts BIFF5 texts with iconv from the code page the
// CODEPAGE record names, and stops at the first byte that code page leaves
// undefined (its reading of number formats runs past their text into bytes
// of earlier records, too): a workbook without a CODEPAGE record (this
// program's Excel 5 export writes none) or in Windows-1252 could not be read.
// The copy names code page 437, which defines every byte, and TakeBackText
// turns the texts read from it back into the workbook's bytes. And FreeXL
// takes a sheet's DIMENSION record as its size, refusing any cell outside,
// where a writer that streams its rows (this program's export) may name
// less: the copy's cover every cell of their sheet.
class FreeXlCopy {
public:
    // Raises MExceptImport for a file that is no workbook or is damaged.
    explicit FreeXlCopy(const std::string& path);
    ~FreeXlCopy();
    FreeXlCopy(const FreeXlCopy&) = delete;
    FreeXlCopy& operator=(const FreeXlCopy&) = delete;

    const std::string& Path() const { return m_copy; }
    // Whether the workbook is BIFF5, its texts to be taken back.
    bool IsExcel5() const { return m_excel5; }

    // A text FreeXL read from a BIFF5 copy (UTF-8 from code page 437) as the
    // workbook's bytes, which are taken as Windows-1252. False for a text
    // that code page 437 cannot have given.
    static bool TakeBackText(const char* utf8, std::string& bytes);

private:
    std::string m_copy;
    bool m_excel5 = false;
};
