#pragma once

#include "MExcept.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the readers of delimited text and workbooks hand to the import: rows
// of cells, one row at a time, so that a file is never held whole.

struct ImportCell {
    enum class Kind : std::uint8_t { Empty, Text, Number };

    Kind kind = Kind::Empty;
    std::string text;  // a Text cell's bytes, in Windows-1252 as the data file keeps them
    double number = 0; // a Number cell's value (a workbook's date is its day serial)

    void SetText(const char* bytes, std::size_t size) {
        kind = size == 0 ? Kind::Empty : Kind::Text;
        text.assign(bytes, size);
    }
    void SetNumber(double value) {
        kind = Kind::Number;
        text.clear();
        number = value;
    }
};

using ImportRow = std::vector<ImportCell>;

// A file the import cannot read (damaged, binary, empty, not in the chosen
// encoding): the message says why, in words for the user.
class MExceptImport : public MExcept {
public:
    explicit MExceptImport(std::string text) : m_text(std::move(text)) {}
    const char* Message() const override { return m_text.c_str(); }

private:
    std::string m_text;
};

// The rows of one file or sheet, in order.
class RowReader {
public:
    virtual ~RowReader() = default;

    // The next row that holds any cell, left to right; false after the last.
    // Raises MExceptImport when the rest of the file cannot be read.
    virtual bool Next(ImportRow& row) = 0;
    // Where the row last returned starts: its line in a text file, its row
    // number in a sheet, counted from 1.
    virtual std::size_t Line() const = 0;
    // How far reading has come and how far it goes (bytes or rows), for
    // progress.
    virtual std::uint64_t Done() const = 0;
    virtual std::uint64_t Total() const = 0;
    // Whether the workbook counts its date serials from 1904 rather than 1900.
    virtual bool UsesDate1904() const { return false; }
};
