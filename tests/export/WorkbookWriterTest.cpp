// The Excel 5 "Book" stream, byte for byte on memory, and the compound file
// that holds it as a real reader finds it.

#include "WorkbookWriter.h"
#include "ByteSink.h"
#include "CompoundFile.h"
#include "MExcept.h"
#include "WorkbookReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const MemorySink& sink, std::size_t offset, std::size_t size) {
    const Bytes& all = sink.Bytes();
    if (offset + size > all.size())
        return {};
    return Bytes(all.begin() + static_cast<std::ptrdiff_t>(offset),
                 all.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

Bytes Concat(Bytes head, const std::string& text) {
    head.insert(head.end(), text.begin(), text.end());
    return head;
}

std::uint32_t U32At(const MemorySink& sink, std::size_t offset) {
    const Bytes bytes = Slice(sink, offset, 4);
    return bytes.empty() ? 0 : bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
}

struct Record {
    std::uint16_t type;
    std::uint16_t length;
    std::size_t offset; // of the header
};

// The records of a stream, each header's length taken at its word.
std::vector<Record> Records(const MemorySink& sink) {
    std::vector<Record> records;
    const Bytes& bytes = sink.Bytes();
    std::size_t at = 0;
    while (at + 4 <= bytes.size()) {
        const auto type = static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
        const auto length = static_cast<std::uint16_t>(bytes[at + 2] | bytes[at + 3] << 8);
        records.push_back({type, length, at});
        at += 4 + length;
    }
    EXPECT_EQ(at, bytes.size()) << "the last record runs past the end";
    return records;
}

MemorySink EmptyBook() {
    MemorySink sink;
    WorkbookWriter writer;
    writer.Open(sink);
    writer.Close();
    return sink;
}

TEST(WorkbookWriterTest, AnEmptyBookIsTheGlobalsTheSheetHeadAndTheEnd) {
    const MemorySink sink = EmptyBook();
    EXPECT_EQ(sink.Bytes().size(), 888u);

    std::vector<std::pair<int, int>> expected = {{0x0809, 8}, {0x0042, 2}, {0x003D, 18}};
    for (int font = 0; font < 5; ++font)
        expected.emplace_back(0x0031, 20);
    expected.insert(expected.end(), {{0x041E, 10}, {0x041E, 16}, {0x041E, 11}});
    for (int format = 0; format < 18; ++format)
        expected.emplace_back(0x00E0, 16);
    expected.insert(expected.end(), {{0x0092, 226},
                                     {0x0093, 4},
                                     {0x0085, 13},
                                     {0x000A, 0},
                                     {0x0809, 8},
                                     {0x020B, 12},
                                     {0x0200, 10},
                                     {0x023E, 10},
                                     {0x000A, 0}});
    std::vector<std::pair<int, int>> actual;
    for (const Record& record : Records(sink))
        actual.emplace_back(record.type, record.length);
    EXPECT_EQ(actual, expected);
}

TEST(WorkbookWriterTest, TheSheetEntryPointsAtTheWorksheetBof) {
    const MemorySink sink = EmptyBook();
    EXPECT_EQ(U32At(sink, 807 + 4), 0x33Cu) << "the BOUNDSHEET's position field";
    EXPECT_EQ(Slice(sink, 807, 17),
              Concat({0x85, 0x00, 0x0D, 0x00, 0x3C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x06}, "Sheet1"));
    EXPECT_EQ(Slice(sink, 0x33C, 12),
              (Bytes{0x09, 0x08, 0x08, 0x00, 0x00, 0x05, 0x10, 0x00, 0x92, 0x0C, 0xCA, 0x07}));
}

TEST(WorkbookWriterTest, GlobalsRecordsCarryTheirFieldsLowByteFirst) {
    const MemorySink sink = EmptyBook();
    // The globals' BOF, the code page (1252) and the window.
    EXPECT_EQ(
        Slice(sink, 0, 40),
        (Bytes{0x09, 0x08, 0x08, 0x00, 0x00, 0x05, 0x05, 0x00, 0x92, 0x0C, 0xCA, 0x07, 0x42, 0x00,
               0x02, 0x00, 0xE4, 0x04, 0x3D, 0x00, 0x12, 0x00, 0x00, 0x00, 0x69, 0x00, 0x9F, 0x33,
               0x5D, 0x1B, 0x38, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x58, 0x02}));
    // Font 1, the bold one, and font 3 (flags 0x000A).
    EXPECT_EQ(Slice(sink, 40 + 24, 24),
              Concat({0x31, 0x00, 0x14, 0x00, 0xC8, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0xBC, 0x02, 0x00,
                      0x00, 0x00, 0x00, 0x00, 0x00, 0x05},
                     "Arial"));
    EXPECT_EQ(Slice(sink, 40 + 3 * 24 + 6, 4), (Bytes{0x0A, 0x00, 0xFF, 0x7F}));
    // The date-time number format.
    EXPECT_EQ(Slice(sink, 160 + 14, 20),
              Concat({0x1E, 0x04, 0x10, 0x00, 0x01, 0x00, 0x0D}, "m/d/yyyy h:mm"));
    // Cell formats 14 (a style), 16 (bold font) and 17 (date-time format).
    const Bytes tail = {0x21, 0xFC, 0xC0, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(Slice(sink, 209 + 14 * 20, 20),
              Concat({0xE0, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF4, 0xFF},
                     std::string(tail.begin(), tail.end())));
    EXPECT_EQ(Slice(sink, 209 + 16 * 20, 10),
              (Bytes{0xE0, 0x00, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Slice(sink, 209 + 17 * 20, 10),
              (Bytes{0xE0, 0x00, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}));
    // The palette: its count, red as entry 2, the last grey, then STYLE.
    EXPECT_EQ(Slice(sink, 569, 6), (Bytes{0x92, 0x00, 0xE2, 0x00, 0x38, 0x00}));
    EXPECT_EQ(Slice(sink, 575 + 2 * 4, 4), (Bytes{0xFF, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Slice(sink, 575 + 55 * 4, 4), (Bytes{0x42, 0x42, 0x42, 0x00}));
    EXPECT_EQ(Slice(sink, 799, 8), (Bytes{0x93, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}));
    // The worksheet's index, dimensions and window.
    EXPECT_EQ(Slice(sink, 840, 48),
              (Bytes{0x0B, 0x02, 0x0C, 0x00, 0,    0,    0,    0,    0x00, 0x00, 0x05, 0x00,
                     0,    0,    0,    0,    0x00, 0x02, 0x0A, 0x00, 0x00, 0x00, 0x01, 0x00,
                     0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x3E, 0x02, 0x0A, 0x00, 0xB6, 0x06,
                     0x00, 0x00, 0x00, 0x00, 0,    0,    0,    0,    0x0A, 0x00, 0x00, 0x00}));
}

class WorkbookCellsTest : public testing::Test {
protected:
    void SetUp() override { m_writer.Open(m_sink); }
    // The bytes written since the header.
    Bytes Cells() const { return Slice(m_sink, 884, m_sink.Bytes().size() - 884); }

    MemorySink m_sink;
    WorkbookWriter m_writer;
};

TEST_F(WorkbookCellsTest, LabelsAndNumbersAreSingleRecords) {
    m_writer.WriteLabel("Note", 0, 7, true);
    EXPECT_EQ(
        Cells(),
        Concat({0x04, 0x02, 0x0C, 0x00, 0x00, 0x00, 0x07, 0x00, 0x10, 0x00, 0x04, 0x00}, "Note"));

    const std::size_t before = m_sink.Bytes().size();
    m_writer.WriteNumber(1.0, 1, 4, false);
    EXPECT_EQ(Slice(m_sink, before, 18),
              (Bytes{0x03, 0x02, 0x0E, 0x00, 0x01, 0x00, 0x04, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0xF0, 0x3F}));

    const std::size_t date = m_sink.Bytes().size();
    m_writer.WriteDateTime(0x1234, 2, 1900, 1, 2, 12, 0);
    EXPECT_EQ(Slice(m_sink, date, 18),
              (Bytes{0x03, 0x02, 0x0E, 0x00, 0x34, 0x12, 0x02, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0x0C, 0x40}))
        << "3.5 in the date-time format 17";

    m_writer.Close();
    EXPECT_EQ(Slice(m_sink, m_sink.Bytes().size() - 4, 4), (Bytes{0x0A, 0x00, 0x00, 0x00}));
}

TEST_F(WorkbookCellsTest, LabelsStopAt255Characters) {
    m_writer.WriteLabel(std::string(255, 'x'), 3, 0, false);
    m_writer.WriteLabel(std::string(300, 'y'), 4, 0, false);
    const std::vector<Record> records = Records(m_sink);
    ASSERT_EQ(records.size(), 39u);
    EXPECT_EQ(records[37].length, 263);
    EXPECT_EQ(records[38].length, 263);
    EXPECT_EQ(Slice(m_sink, records[38].offset + 10, 2), (Bytes{0xFF, 0x00}))
        << "the text's own length";
}

TEST_F(WorkbookCellsTest, RowsPastTheSheetsLastAreRefusedUnwritten) {
    m_writer.WriteNumber(2.0, WorkbookWriter::kMaxRows - 1, 0, false);
    EXPECT_EQ(Slice(m_sink, 888, 2), (Bytes{0xFF, 0x3F}));
    const std::size_t size = m_sink.Bytes().size();
    EXPECT_THROW(m_writer.WriteNumber(2.0, WorkbookWriter::kMaxRows, 0, false),
                 MExceptFileWriteError);
    EXPECT_THROW(m_writer.WriteLabel("x", 65536 + 5, 0, false), MExceptFileWriteError)
        << "would come out as row 5";
    EXPECT_THROW(m_writer.WriteDateTime(70000, 0, 2004, 1, 1, 0, 0), MExceptFileWriteError);
    EXPECT_EQ(m_sink.Bytes().size(), size);
}

TEST(WorkbookWriterTest, OnlyAnOpenWorkbookTakesCellsAndItsEnd) {
    MemorySink sink;
    WorkbookWriter writer;
    writer.Close();
    EXPECT_TRUE(sink.Bytes().empty());
    EXPECT_THROW(writer.WriteLabel("x", 0, 0, false), MExceptFileWriteError);
    writer.Open(sink);
    writer.Close();
    writer.Close();
    EXPECT_EQ(sink.Bytes().size(), 888u) << "one end record";
}

TEST(OleAutomationDateTest, DaysSinceTheEndOf1899WithTheTimeAsFraction) {
    EXPECT_DOUBLE_EQ(OleAutomationDate(1900, 1, 2, 12, 0), 3.5);
    EXPECT_DOUBLE_EQ(OleAutomationDate(1899, 12, 30, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(OleAutomationDate(1899, 12, 29, 6, 0), -1.25);
    EXPECT_DOUBLE_EQ(OleAutomationDate(1800, 1, 1, 0, 0), -36522.0);
    EXPECT_DOUBLE_EQ(OleAutomationDate(1900, 3, 1, 0, 0), 61.0);
    EXPECT_DOUBLE_EQ(OleAutomationDate(2000, 2, 29, 0, 0), 36585.0) << "a leap day";
    EXPECT_DOUBLE_EQ(OleAutomationDate(2004, 3, 7, 9, 5), 38053.0 + 545.0 / 1440.0);
    EXPECT_DOUBLE_EQ(OleAutomationDate(2038, 1, 19, 23, 59), 50424.0 + 1439.0 / 1440.0);
    EXPECT_DOUBLE_EQ(OleAutomationDate(9999, 12, 31, 0, 0), 2958465.0);
    // Fields out of their range carry over.
    EXPECT_DOUBLE_EQ(OleAutomationDate(2003, 13, 7, 0, 0), OleAutomationDate(2004, 1, 7, 0, 0));
    EXPECT_DOUBLE_EQ(OleAutomationDate(2004, 0, 15, 0, 0), OleAutomationDate(2003, 12, 15, 0, 0));
    EXPECT_DOUBLE_EQ(OleAutomationDate(2004, 3, 0, 0, 0), OleAutomationDate(2004, 2, 29, 0, 0));
    EXPECT_DOUBLE_EQ(OleAutomationDate(2004, 3, 7, 24, 90), OleAutomationDate(2004, 3, 8, 1, 30));
}

TEST(CompoundFileTest, TheBookStreamHoldsExactlyTheWrittenBytes) {
    for (const int labels : {0, 1, 400}) {
        MemorySink expected;
        WorkbookWriter plain;
        plain.Open(expected);
        CompoundFile container("Book");
        WorkbookWriter contained;
        contained.Open(container.Stream());
        for (int row = 0; row < labels; ++row) {
            plain.WriteLabel("Row " + std::to_string(row), static_cast<std::uint32_t>(row), 1,
                             false);
            contained.WriteLabel("Row " + std::to_string(row), static_cast<std::uint32_t>(row), 1,
                                 false);
        }
        plain.Close();
        contained.Close();
        MemorySink file;
        container.WriteTo(file);

        char path[] = "/tmp/tvexport-book-XXXXXX";
        const int fd = ::mkstemp(path);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, file.Bytes().data(), file.Bytes().size()),
                  static_cast<ssize_t>(file.Bytes().size()));
        ::close(fd);
        const ReadWorkbook book = RunWorkbookReader("book", path);
        ::unlink(path);
        ASSERT_TRUE(book.readable) << book.output;
        std::string hex;
        for (const std::uint8_t byte : expected.Bytes()) {
            char digits[3];
            std::snprintf(digits, sizeof(digits), "%02x", byte);
            hex += digits;
        }
        EXPECT_EQ(book.output, hex + "\n") << labels << " labels";
    }
}

} // namespace
