#include "WorkbookWriter.h"

#include "ByteSink.h"
#include "LittleEndian.h"
#include "MExcept.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <vector>

namespace {

namespace RecordType {
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kPalette = 0x0092;
constexpr std::uint16_t kStyle = 0x0093;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kNumber = 0x0203;
} // namespace RecordType

constexpr std::uint16_t kBiff5 = 0x0500;
constexpr std::uint16_t kGlobalsKind = 0x0005;
constexpr std::uint16_t kWorksheetKind = 0x0010;
constexpr std::uint16_t kBuild = 0x0C92;
constexpr std::uint16_t kBuildYear = 0x07CA;
// Windows-1252, the code page of every text the workbook holds; without it
// each reader guesses.
constexpr std::uint16_t kWindows1252 = 1252;

// One record of the stream: a 4-byte header (type, length of the data) and
// exactly that many data bytes.
class BiffRecord {
public:
    BiffRecord(std::uint16_t type, std::uint16_t length) : m_type(type), m_length(length) {}
    virtual ~BiffRecord() = default;

    void Write(MByteSink& sink) {
        m_position = StreamPosition(sink);
        WriteU16LE(sink, m_type);
        WriteU16LE(sink, m_length);
        WriteData(sink);
    }
    // Where the record's header was written.
    std::uint32_t Position() const { return m_position; }

protected:
    virtual void WriteData(MByteSink& sink) = 0;

private:
    std::uint16_t m_type;
    std::uint16_t m_length;
    std::uint32_t m_position = 0;
};

// A record of fixed fields, each one, two or four bytes wide.
class FieldsRecord : public BiffRecord {
public:
    struct Field {
        int width;
        std::uint32_t value;
    };

    FieldsRecord(std::uint16_t type, std::vector<Field> fields)
        : BiffRecord(type, DataLength(fields)), m_fields(std::move(fields)) {}

    static FieldsRecord Words(std::uint16_t type, std::initializer_list<std::uint16_t> words) {
        std::vector<Field> fields;
        for (const std::uint16_t word : words)
            fields.push_back({2, word});
        return FieldsRecord(type, std::move(fields));
    }

protected:
    void WriteData(MByteSink& sink) override {
        for (const Field& field : m_fields) {
            if (field.width == 1)
                WriteByte(sink, static_cast<std::uint8_t>(field.value));
            else if (field.width == 2)
                WriteU16LE(sink, static_cast<std::uint16_t>(field.value));
            else
                WriteU32LE(sink, field.value);
        }
    }

private:
    static std::uint16_t DataLength(const std::vector<Field>& fields) {
        int length = 0;
        for (const Field& field : fields)
            length += field.width;
        return static_cast<std::uint16_t>(length);
    }

    std::vector<Field> m_fields;
};

// 10-point Arial in automatic colour.
class FontRecord : public BiffRecord {
public:
    FontRecord(std::uint16_t flags, std::uint16_t weight)
        : BiffRecord(RecordType::kFont, static_cast<std::uint16_t>(15 + kName.size())),
          m_flags(flags), m_weight(weight) {}

protected:
    void WriteData(MByteSink& sink) override {
        WriteU16LE(sink, 200); // height in twentieths of a point
        WriteU16LE(sink, m_flags);
        WriteU16LE(sink, 0x7FFF); // automatic colour
        WriteU16LE(sink, m_weight);
        WriteU16LE(sink, 0); // escapement
        WriteByte(sink, 0);  // underline
        WriteByte(sink, 0);  // family
        WriteByte(sink, 0);  // character set
        WriteByte(sink, 0);  // reserved
        WriteShortString(sink, kName);
    }

private:
    static constexpr std::string_view kName = "Arial";
    std::uint16_t m_flags;
    std::uint16_t m_weight;
};

class FormatRecord : public BiffRecord {
public:
    FormatRecord(std::uint16_t index, std::string_view text)
        : BiffRecord(RecordType::kFormat, static_cast<std::uint16_t>(3 + text.size())),
          m_index(index), m_text(text) {}

protected:
    void WriteData(MByteSink& sink) override {
        WriteU16LE(sink, m_index);
        WriteShortString(sink, m_text);
    }

private:
    std::uint16_t m_index;
    std::string_view m_text;
};

class XfRecord : public BiffRecord {
public:
    XfRecord(std::uint16_t font, std::uint16_t format, std::uint16_t flags)
        : BiffRecord(RecordType::kXf, 16), m_font(font), m_format(format), m_flags(flags) {}

protected:
    void WriteData(MByteSink& sink) override {
        WriteU16LE(sink, m_font);
        WriteU16LE(sink, m_format);
        WriteU16LE(sink, m_flags);
        WriteByte(sink, 0x21);        // alignment
        WriteByte(sink, 0xFC);        // attributes
        WriteU32LE(sink, 0x000020C0); // colours
        WriteU32LE(sink, 0);          // borders
    }

private:
    std::uint16_t m_font;
    std::uint16_t m_format;
    std::uint16_t m_flags;
};

// The 56 colours, each as the 32-bit value 0x00BBGGRR.
constexpr std::uint32_t kPalette[56] = {
    0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
    0x000080, 0x008000, 0x800000, 0x008080, 0x800080, 0x808000, 0xC0C0C0, 0x808080,
    0xFF8080, 0x602080, 0xC0FFFF, 0xE0E0A0, 0x800060, 0x8080FF, 0xC08000, 0xFFC0C0,
    0x800000, 0xFF00FF, 0x00FFFF, 0xFFFF00, 0x800080, 0x000080, 0x808000, 0xFF0000,
    0xFFCC00, 0xFFFF69, 0xCCFFCC, 0x99FFFF, 0xF0CAA6, 0xCC9CCC, 0xFF99CC, 0xE3E3E3,
    0xFF6633, 0xCCCC33, 0x339933, 0x339999, 0x336699, 0x666699, 0x996666, 0x969696,
    0xCC3333, 0x666633, 0x003300, 0x003333, 0x003366, 0x663399, 0x333399, 0x424242,
};

class PaletteRecord : public BiffRecord {
public:
    PaletteRecord()
        : BiffRecord(RecordType::kPalette,
                     static_cast<std::uint16_t>(2 + 4 * std::size(kPalette))) {}

protected:
    void WriteData(MByteSink& sink) override {
        WriteU16LE(sink, static_cast<std::uint16_t>(std::size(kPalette)));
        for (const std::uint32_t colour : kPalette)
            WriteU32LE(sink, colour);
    }
};

// The sheet's entry in the globals. The position of the sheet's BOF is not
// known while the globals are written: the field is written as 0 and its
// place kept for the patch.
class BoundSheetRecord : public BiffRecord {
public:
    BoundSheetRecord()
        : BiffRecord(RecordType::kBoundSheet, static_cast<std::uint16_t>(7 + kName.size())) {}

    std::uint32_t PositionField() const { return m_positionField; }

protected:
    void WriteData(MByteSink& sink) override {
        m_positionField = StreamPosition(sink);
        WriteU32LE(sink, 0);
        WriteU16LE(sink, 0); // flags: a visible worksheet
        WriteShortString(sink, kName);
    }

private:
    static constexpr std::string_view kName = "Sheet1";
    std::uint32_t m_positionField = 0;
};

void WriteRecord(MByteSink& sink, BiffRecord&& record) {
    record.Write(sink);
}

} // namespace

double OleAutomationDate(int year, int month, int day, int hour, int minute) {
    // Month 13 is January of the next year, month 0 December of the one before.
    const std::int64_t months = static_cast<std::int64_t>(year) * 12 + (month - 1);
    std::int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
    const std::int64_t m = months - y * 12 + 1;
    // Days since 1 March of year 0 of the proleptic Gregorian calendar, from
    // the first of the month; the day then counts on from there.
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    // 30 December 1899 is day 693899 of that count.
    const std::int64_t days = era * 146097 + dayOfEra + (day - 1) - 693899;

    const std::int64_t totalMinutes =
        days * 1440 + static_cast<std::int64_t>(hour) * 60 + static_cast<std::int64_t>(minute);
    const std::int64_t wholeDays =
        totalMinutes >= 0 ? totalMinutes / 1440 : -((-totalMinutes + 1439) / 1440);
    const double fraction = static_cast<double>(totalMinutes - wholeDays * 1440) / 1440.0;
    return wholeDays >= 0 ? static_cast<double>(wholeDays) + fraction
                          : static_cast<double>(wholeDays) - fraction;
}

void WorkbookWriter::Open(MByteSink& sink) {
    m_sink = &sink;
    m_open = false;

    WriteRecord(sink,
                FieldsRecord::Words(RecordType::kBof, {kBiff5, kGlobalsKind, kBuild, kBuildYear}));
    WriteRecord(sink, FieldsRecord::Words(RecordType::kCodePage, {kWindows1252}));
    WriteRecord(sink, FieldsRecord::Words(RecordType::kWindow1, {0, 0x0069, 0x339F, 0x1B5D, 0x0038,
                                                                 0, 0, 0x0001, 0x0258}));
    WriteRecord(sink, FontRecord(0x0000, 400));
    WriteRecord(sink, FontRecord(0x0000, 700));
    WriteRecord(sink, FontRecord(0x0008, 400));
    WriteRecord(sink, FontRecord(0x000A, 400));
    WriteRecord(sink, FontRecord(0x0002, 400));
    WriteRecord(sink, FormatRecord(0, "General"));
    WriteRecord(sink, FormatRecord(1, "m/d/yyyy h:mm"));
    WriteRecord(sink, FormatRecord(2, "m/d/yyyy"));
    for (int style = 0; style < kPlainFormat; ++style)
        WriteRecord(sink, XfRecord(0, 0, 0xFFF4));
    WriteRecord(sink, XfRecord(0, 0, 0)); // kPlainFormat
    WriteRecord(sink, XfRecord(1, 0, 0)); // kBoldFormat: the bold font
    WriteRecord(sink, XfRecord(0, 1, 0)); // kDateTimeFormat: "m/d/yyyy h:mm"
    WriteRecord(sink, PaletteRecord());
    WriteRecord(sink, FieldsRecord(RecordType::kStyle, {{2, 0}, {1, 0}, {1, 0}}));
    BoundSheetRecord boundSheet;
    boundSheet.Write(sink);
    WriteRecord(sink, FieldsRecord(RecordType::kEof, {}));

    FieldsRecord sheetBof =
        FieldsRecord::Words(RecordType::kBof, {kBiff5, kWorksheetKind, kBuild, kBuildYear});
    sheetBof.Write(sink);
    WriteRecord(sink, FieldsRecord(RecordType::kIndex, {{4, 0}, {2, 0}, {2, 5}, {4, 0}}));
    WriteRecord(sink, FieldsRecord::Words(RecordType::kDimensions, {0, 1, 0, 1, 0}));
    WriteRecord(sink, FieldsRecord(RecordType::kWindow2, {{2, 0x06B6}, {2, 0}, {2, 0}, {4, 0}}));

    // Link the sheet's entry to its BOF, then go on at the end.
    const std::uint64_t end = sink.Tell();
    sink.SeekTo(boundSheet.PositionField());
    WriteU32LE(sink, sheetBof.Position());
    sink.SeekTo(end);
    m_open = true;
}

void WorkbookWriter::Close() {
    if (!m_open)
        return;
    WriteRecord(*m_sink, FieldsRecord(RecordType::kEof, {}));
    m_open = false;
}

MByteSink& WorkbookWriter::Sink() {
    if (!m_open)
        throw MExceptFileWriteError();
    return *m_sink;
}

namespace {

std::uint16_t RowNumber(std::uint32_t row) {
    if (row >= WorkbookWriter::kMaxRows)
        throw MExceptFileWriteError();
    return static_cast<std::uint16_t>(row);
}

} // namespace

void WorkbookWriter::WriteLabel(std::string_view text, std::uint32_t row, std::uint16_t column,
                                bool bold) {
    const std::uint16_t rowNumber = RowNumber(row);
    MByteSink& sink = Sink();
    text = text.substr(0, 255);
    WriteU16LE(sink, RecordType::kLabel);
    WriteU16LE(sink, static_cast<std::uint16_t>(8 + text.size()));
    WriteU16LE(sink, rowNumber);
    WriteU16LE(sink, column);
    WriteU16LE(sink, bold ? kBoldFormat : kPlainFormat);
    WriteLongString(sink, text);
}

void WorkbookWriter::WriteNumber(double value, std::uint32_t row, std::uint16_t column, bool bold) {
    WriteNumberCell(value, row, column, bold ? kBoldFormat : kPlainFormat);
}

void WorkbookWriter::WriteDateTime(std::uint32_t row, std::uint16_t column, int year, int month,
                                   int day, int hour, int minute) {
    WriteNumberCell(OleAutomationDate(year, month, day, hour, minute), row, column,
                    kDateTimeFormat);
}

void WorkbookWriter::WriteNumberCell(double value, std::uint32_t row, std::uint16_t column,
                                     std::uint16_t format) {
    const std::uint16_t rowNumber = RowNumber(row);
    MByteSink& sink = Sink();
    WriteU16LE(sink, RecordType::kNumber);
    WriteU16LE(sink, 14);
    WriteU16LE(sink, rowNumber);
    WriteU16LE(sink, column);
    WriteU16LE(sink, format);
    WriteU64LE(sink, std::bit_cast<std::uint64_t>(value));
}
