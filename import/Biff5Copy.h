#pragma once

#include <optional>
#include <string>

// FreeXL reads the texts of an Excel 5 (BIFF5) workbook through iconv in
// the code page its CODEPAGE record names, and stops at the first byte that
// the code page leaves undefined; its reading of BIFF5 number formats also
// runs past the format's text into whatever the record buffer held before.
// A workbook without a CODEPAGE record (this program's Excel 5 export writes
// none) or with Windows-1252, whose five undefined bytes glibc refuses, is
// then unreadable. This writes a copy of such a workbook whose CODEPAGE
// record names code page 437, which defines every byte, into a temporary
// file that the object removes again; the texts read from the copy are
// turned back into the file's own bytes with TakeBackText. The copy's
// DIMENSION records also cover every cell of their sheet, which FreeXL
// needs and a streaming writer (this program's export) does not give.
class Biff5Copy {
public:
    // A copy only for a compound file whose "Book" stream is BIFF5.
    explicit Biff5Copy(const std::string& path);
    ~Biff5Copy();
    Biff5Copy(const Biff5Copy&) = delete;
    Biff5Copy& operator=(const Biff5Copy&) = delete;

    // The copy's path; none when the workbook is not BIFF5.
    const std::optional<std::string>& Path() const { return m_copy; }

    // A text FreeXL read from the copy (UTF-8 from code page 437) as the
    // workbook's bytes, which are taken as Windows-1252. False for a text
    // that code page 437 cannot have given.
    static bool TakeBackText(const char* utf8, std::string& bytes);

private:
    std::optional<std::string> m_copy;
};
