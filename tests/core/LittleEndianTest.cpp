// The little-endian writers of the workbook writer, on a memory sink and on a
// file.

#include "LittleEndian.h"
#include "ByteSink.h"
#include "MExcept.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

using namespace tvtest;

TEST(LittleEndianTest, IntegersAreWrittenLowByteFirst) {
    MemorySink sink;
    WriteByte(sink, 0xAB);
    WriteU16LE(sink, 0x1234);
    WriteU32LE(sink, 0x12345678);
    WriteU64LE(sink, 0x0102030405060708ull);
    EXPECT_EQ(sink.Bytes(), (Bytes{0xAB, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x08, 0x07, 0x06, 0x05,
                                   0x04, 0x03, 0x02, 0x01}));
}

TEST(LittleEndianTest, DoubleGoesOutAsItsIeeeBits) {
    MemorySink sink;
    WriteU64LE(sink, std::bit_cast<std::uint64_t>(1.5));
    EXPECT_EQ(sink.Bytes(), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F}));
}

TEST(LittleEndianTest, ShortStringHasAOneByteLength) {
    MemorySink sink;
    WriteShortString(sink, "Trip");
    WriteShortString(sink, "");
    EXPECT_EQ(sink.Bytes(), (Bytes{4, 'T', 'r', 'i', 'p', 0}));
}

TEST(LittleEndianTest, ShortStringIsCutTo255Bytes) {
    std::string text(300, 'a');
    text[254] = 'Z';
    text[255] = 'Y';
    MemorySink sink;
    WriteShortString(sink, text);
    ASSERT_EQ(sink.Bytes().size(), 256u);
    EXPECT_EQ(sink.Bytes()[0], 255);
    EXPECT_EQ(sink.Bytes()[255], 'Z');

    MemorySink exact;
    WriteShortString(exact, std::string(255, 'b'));
    EXPECT_EQ(exact.Bytes().size(), 256u);
    EXPECT_EQ(exact.Bytes()[0], 255);
}

TEST(LittleEndianTest, LongStringHasATwoByteLength) {
    MemorySink sink;
    WriteLongString(sink, std::string(258, 'q'));
    ASSERT_EQ(sink.Bytes().size(), 260u);
    EXPECT_EQ(sink.Bytes()[0], 0x02);
    EXPECT_EQ(sink.Bytes()[1], 0x01);
    EXPECT_EQ(sink.Bytes()[2], 'q');
}

TEST(LittleEndianTest, LongStringIsCutTo65535Bytes) {
    std::string text(70000, 'x');
    text[65534] = 'E';
    MemorySink sink;
    WriteLongString(sink, text);
    ASSERT_EQ(sink.Bytes().size(), 2u + 65535u);
    EXPECT_EQ(sink.Bytes()[0], 0xFF);
    EXPECT_EQ(sink.Bytes()[1], 0xFF);
    EXPECT_EQ(sink.Bytes().back(), 'E');
}

TEST(LittleEndianTest, StreamPositionFollowsWritesAndSeeks) {
    MemorySink sink;
    EXPECT_EQ(StreamPosition(sink), 0u);
    WriteU32LE(sink, 0);
    WriteU16LE(sink, 0x0809);
    EXPECT_EQ(StreamPosition(sink), 6u);

    // Patch a value written earlier, as the workbook does with offsets.
    sink.SeekTo(0);
    EXPECT_EQ(StreamPosition(sink), 0u);
    WriteU32LE(sink, 0xDEADBEEF);
    EXPECT_EQ(StreamPosition(sink), 4u);
    EXPECT_EQ(sink.Bytes(), (Bytes{0xEF, 0xBE, 0xAD, 0xDE, 0x09, 0x08}));

    // Writing over the end extends the buffer.
    sink.SeekTo(5);
    WriteU16LE(sink, 0x0201);
    EXPECT_EQ(sink.Bytes(), (Bytes{0xEF, 0xBE, 0xAD, 0xDE, 0x09, 0x01, 0x02}));
}

TEST(LittleEndianTest, SeekingPastTheEndOfMemoryIsAWriteError) {
    MemorySink sink;
    WriteU16LE(sink, 1);
    EXPECT_NO_THROW(sink.SeekTo(2));
    EXPECT_THROW(sink.SeekTo(3), MExceptFileWriteError);
}

TEST(LittleEndianTest, WritersWorkOnAFileToo) {
    MFile file = MemoryFile();
    WriteU16LE(file, 0x0809);
    WriteLongString(file, "ab");
    EXPECT_EQ(StreamPosition(file), 6u);
    file.SeekTo(0);
    WriteU16LE(file, 0x0102);
    EXPECT_EQ(StreamPosition(file), 2u);
    EXPECT_EQ(ContentsOf(file), (Bytes{0x02, 0x01, 2, 0, 'a', 'b'}));
}

TEST(LittleEndianTest, StreamPositionGivesTheLow32Bits) {
    MFile file = MemoryFile();
    file.SeekTo((std::uint64_t{1} << 32) + 5);
    EXPECT_EQ(file.Tell(), (std::uint64_t{1} << 32) + 5);
    EXPECT_EQ(StreamPosition(file), 5u);
}
