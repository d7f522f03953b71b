#pragma once

#include "ImportCells.h"
#include "TextEncoding.h"

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>

struct csv_parser;

// What the user may fix about a delimited text file; whatever is left open
// is detected from the start of the file.
struct DelimitedOptions {
    std::optional<TextEncoding> encoding;
    std::optional<char> delimiter; // ',', ';', '\t' or ':'
    // RFC 4180 quotes. This program's text export quotes nothing, so a text
    // of its own that starts with a quote is read with quotes off.
    bool quotes = true;
};

// Reads a delimited text file (RFC 4180 quoting, through libcsv) a block at
// a time, so that only the rows of one block are held at once. The encoding
// is UTF-8 when the file starts with a byte-order mark or its first megabyte
// is well-formed UTF-8, else Windows-1252. The delimiter is the one of comma,
// semicolon, tab and colon that splits the first lines most evenly. Texts are
// kept exactly, blanks included; empty lines are skipped.
//
// The colon-delimited export writes times as "H:MM" unquoted, so with colons
// a field ending in a date's hour followed by a field of two digits is read
// back as one "date H:MM" field.
class DelimitedReader : public RowReader {
public:
    // Reads the file at path; raises MExceptImport when it cannot be opened,
    // is empty or holds binary data.
    DelimitedReader(const std::string& path, const DelimitedOptions& options);
    // Reads the bytes in memory (the fuzzer's input).
    DelimitedReader(const void* bytes, std::size_t size, const DelimitedOptions& options);
    ~DelimitedReader() override;
    DelimitedReader(const DelimitedReader&) = delete;
    DelimitedReader& operator=(const DelimitedReader&) = delete;

    char Delimiter() const { return m_delimiter; }
    TextEncoding Encoding() const { return m_encoding; }

    bool Next(ImportRow& row) override;
    std::size_t Line() const override { return m_line; }
    std::uint64_t Done() const override { return m_done; }
    std::uint64_t Total() const override { return m_total; }

private:
    struct PendingRow {
        std::size_t line = 0;
        ImportRow cells;
    };

    void Start(const DelimitedOptions& options);
    // Hands the next block to the parser; false at the end of the file.
    bool ParseBlock();
    void Parse(const char* bytes, std::size_t size, bool last);
    static void OnField(void* data, std::size_t size, void* self);
    static void OnRowEnd(int terminator, void* self);
    void AddField(const char* data, std::size_t size);
    void EndRow(int terminator);
    void JoinColonTimes(ImportRow& cells) const;

    std::FILE* m_file = nullptr;
    std::unique_ptr<csv_parser> m_parser;
    std::string m_block;   // the bytes read and not yet parsed
    std::string m_scratch; // one field converted to Windows-1252
    char m_delimiter = ',';
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_atEnd = false;
    std::uint64_t m_done = 0;
    std::uint64_t m_total = 0;

    // The row the parser is filling, and the rows complete but not read.
    PendingRow m_current;
    std::size_t m_fields = 0;
    std::deque<PendingRow> m_ready;
    std::deque<PendingRow> m_spare; // rows read, kept for their buffers
    // Lines the parser has gone past, and how the last row ended.
    std::size_t m_lines = 1;
    bool m_afterCarriageReturn = false;
    std::size_t m_badLine = 0; // a field that is not UTF-8, 0 for none
    std::string m_failure;     // why the rest cannot be read, once the rows before are
    std::size_t m_line = 0;
};
