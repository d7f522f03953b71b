// The big-endian read and write primitives and the buffered file under them,
// on real (in-memory) files.

#include "MExcept.h"
#include "MFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace tvtest;

namespace {

std::uint32_t BigEndian32(const Bytes& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

} // namespace

TEST(PrimitivesTest, EmptyStringIsFourZeroBytesAndReadsBackEmpty) {
    MFile file = MemoryFile();
    WriteString(file, "");
    EXPECT_EQ(ContentsOf(file), (Bytes{0, 0, 0, 0}));

    file.SeekTo(0);
    std::string text = "stale";
    EXPECT_TRUE(ReadString(file, text, 16));
    EXPECT_EQ(text, "");
    EXPECT_EQ(file.Tell(), 4u);
}

TEST(PrimitivesTest, StringIsLengthThenCharactersWithoutTerminator) {
    MFile file = MemoryFile();
    WriteString(file, "Work");
    EXPECT_EQ(ContentsOf(file), (Bytes{0, 0, 0, 4, 'W', 'o', 'r', 'k'}));
}

TEST(PrimitivesTest, ReadStringTakesFifteenCharactersInSixteenBytes) {
    MFile file = MemoryFile(ByteBuilder().Str("ABCDEFGHIJKLMNO").U32(0xCAFEF00D).Get());
    std::string text;
    EXPECT_TRUE(ReadString(file, text, 16));
    EXPECT_EQ(text, "ABCDEFGHIJKLMNO");
    std::uint32_t next = 0;
    ReadU32(file, next);
    EXPECT_EQ(next, 0xCAFEF00Du);
}

TEST(PrimitivesTest, ReadStringRefusesSixteenCharactersInSixteenBytes) {
    MFile file = MemoryFile(ByteBuilder().Str("ABCDEFGHIJKLMNOP").Get());
    std::string text = "kept";
    EXPECT_THROW(ReadString(file, text, 16), MExceptBufferExceeded);
    // Nothing of the body is read: the position is just after the length.
    EXPECT_EQ(file.Tell(), 4u);
    std::uint8_t first = 0;
    ReadU8(file, first);
    EXPECT_EQ(first, 'A');
}

TEST(PrimitivesTest, ReadStringRefusesAHugeLengthWithoutReadingOn) {
    MFile file = MemoryFile(ByteBuilder().U32(0xFFFFFFFF).Raw("abc").Get());
    std::string text;
    EXPECT_THROW(ReadString(file, text, 256), MExceptBufferExceeded);
    EXPECT_EQ(file.Tell(), 4u);
}

TEST(PrimitivesTest, ReadFixedTextTakesAFullBufferAndAddsNoTerminator) {
    const std::string text(32, 'T');
    MFile file = MemoryFile(ByteBuilder().U32(32).Raw(text).Get());
    char buffer[33];
    std::memset(buffer, '#', sizeof(buffer));
    std::uint32_t length = 0;
    EXPECT_TRUE(ReadFixedText(file, buffer, 32, length));
    EXPECT_EQ(length, 32u);
    EXPECT_EQ(std::string(buffer, 32), text);
    EXPECT_EQ(buffer[32], '#');
    EXPECT_EQ(file.Tell(), 36u);
}

TEST(PrimitivesTest, ReadFixedTextRefusesOneByteTooManyBeforeTheBody) {
    MFile file = MemoryFile(ByteBuilder().U32(33).Raw(std::string(33, 'T')).Get());
    char buffer[32];
    std::memset(buffer, '#', sizeof(buffer));
    std::uint32_t length = 7;
    EXPECT_THROW(ReadFixedText(file, buffer, 32, length), MExceptBufferExceeded);
    EXPECT_EQ(file.Tell(), 4u);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(buffer[31], '#');
}

TEST(PrimitivesTest, ReadFixedTextShorterThanTheBufferLeavesTheRest) {
    MFile file = MemoryFile(ByteBuilder().U32(3).Raw("abc").Get());
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    std::uint32_t length = 0;
    EXPECT_TRUE(ReadFixedText(file, buffer, 8, length));
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(std::string(buffer, 8), "abc#####");
}

TEST(PrimitivesTest, ReadFixedTextAtEndOfFileReportsNothingAndLeavesTheBuffer) {
    MFile file = MemoryFile();
    char buffer[4] = {'k', 'e', 'p', 't'};
    std::uint32_t length = 99;
    EXPECT_FALSE(ReadFixedText(file, buffer, 4, length));
    EXPECT_EQ(std::string(buffer, 4), "kept");
    EXPECT_EQ(length, 99u);
}

TEST(PrimitivesTest, WriteFixedTextWritesTheWholeBufferBehindItsSize) {
    const char buffer[6] = {'a', 'b', '\0', 'z', 'z', '\0'};
    MFile file = MemoryFile();
    WriteFixedText(file, buffer, 6);
    EXPECT_EQ(ContentsOf(file), (Bytes{0, 0, 0, 6, 'a', 'b', 0, 'z', 'z', 0}));
}

TEST(PrimitivesTest, U32IsBigEndian) {
    MFile file = MemoryFile();
    WriteU32(file, 0x56656869);
    EXPECT_EQ(ContentsOf(file), BytesOf("Vehi"));

    file.SeekTo(0);
    std::uint32_t value = 0;
    EXPECT_TRUE(ReadU32(file, value));
    EXPECT_EQ(value, 0x56656869u);
}

TEST(PrimitivesTest, U16AndU8AreBigEndian) {
    MFile file = MemoryFile();
    WriteU16(file, 0x1234);
    WriteU8(file, 0xFE);
    WriteU16(file, 0xFF01);
    EXPECT_EQ(ContentsOf(file), (Bytes{0x12, 0x34, 0xFE, 0xFF, 0x01}));

    file.SeekTo(0);
    std::uint16_t word = 0;
    std::uint8_t byte = 0;
    EXPECT_TRUE(ReadU16(file, word));
    EXPECT_EQ(word, 0x1234);
    EXPECT_TRUE(ReadU8(file, byte));
    EXPECT_EQ(byte, 0xFE);
    EXPECT_TRUE(ReadU16(file, word));
    EXPECT_EQ(word, 0xFF01);
}

TEST(PrimitivesTest, ReadAtEndOfFileReportsNothingReadWithoutRaising) {
    MFile file = MemoryFile(Bytes{1, 2, 3, 4});
    std::uint32_t value = 0;
    EXPECT_TRUE(ReadU32(file, value));
    EXPECT_FALSE(file.MetEndOfFile());
    EXPECT_FALSE(ReadU32(file, value));
    EXPECT_TRUE(file.MetEndOfFile());

    std::uint16_t word = 0;
    std::uint8_t byte = 0;
    EXPECT_FALSE(ReadU16(file, word));
    EXPECT_FALSE(ReadU8(file, byte));
    std::string text = "kept";
    EXPECT_FALSE(ReadString(file, text, 16));
    EXPECT_EQ(text, "kept");
}

TEST(PrimitivesTest, PartialReadCountsAsReadButMarksTheEnd) {
    MFile file = MemoryFile(Bytes{0xAB, 0xCD});
    std::uint32_t value = 0;
    EXPECT_TRUE(ReadU32(file, value));
    EXPECT_TRUE(file.MetEndOfFile());
}

TEST(PrimitivesTest, WriteTextWritesTheBytesOnly) {
    MFile file = MemoryFile();
    WriteText(file, nullptr);
    EXPECT_EQ(ContentsOf(file), Bytes{});
    WriteText(file, "");
    WriteText(file, "Trip,");
    WriteText(file, "Boston\r\n");
    EXPECT_EQ(ContentsOf(file), BytesOf("Trip,Boston\r\n"));
}

TEST(PrimitivesTest, WriteTextOfALongTextWritesEveryByte) {
    std::string text(3 * 1024 * 1024 + 7, 'x');
    for (std::size_t i = 0; i < text.size(); i += 4099)
        text[i] = static_cast<char>('a' + i % 26);
    MFile file = MemoryFile();
    WriteText(file, text.c_str());
    EXPECT_EQ(ContentsOf(file), BytesOf(text));
}

TEST(PrimitivesTest, ManySmallWritesAndReadsOverSeveralBuffersAgree) {
    // About 2.4 MiB of mixed fields, more than two buffers' worth.
    constexpr std::uint32_t kCount = 200000;
    MFile file = MemoryFile();
    std::uint64_t expectedPosition = 0;
    for (std::uint32_t i = 0; i < kCount; ++i) {
        WriteU32(file, i * 2654435761u);
        WriteU8(file, static_cast<std::uint8_t>(i));
        WriteString(file, std::string(i % 5, static_cast<char>('a' + i % 26)));
        expectedPosition += 4 + 1 + 4 + i % 5;
        if (i % 9973 == 0) {
            ASSERT_EQ(file.Tell(), expectedPosition) << "while writing, field " << i;
        }
    }
    EXPECT_EQ(file.Tell(), expectedPosition);
    EXPECT_EQ(file.Size(), expectedPosition);

    // What reached the file is what was written.
    const Bytes contents = ContentsOf(file);
    ASSERT_EQ(contents.size(), expectedPosition);
    EXPECT_EQ(BigEndian32(contents, 0), 0u);
    EXPECT_EQ(BigEndian32(contents, 9), 2654435761u);

    file.SeekTo(0);
    std::uint64_t position = 0;
    for (std::uint32_t i = 0; i < kCount; ++i) {
        std::uint32_t word = 0;
        std::uint8_t byte = 0;
        std::string text;
        ASSERT_TRUE(ReadU32(file, word));
        ASSERT_TRUE(ReadU8(file, byte));
        ASSERT_TRUE(ReadString(file, text, 16));
        ASSERT_EQ(word, i * 2654435761u) << "field " << i;
        ASSERT_EQ(byte, static_cast<std::uint8_t>(i));
        ASSERT_EQ(text, std::string(i % 5, static_cast<char>('a' + i % 26)));
        position += 4 + 1 + 4 + i % 5;
        if (i % 9973 == 0) {
            ASSERT_EQ(file.Tell(), position) << "while reading, field " << i;
        }
    }
    EXPECT_EQ(file.Tell(), position);
    std::uint8_t extra = 0;
    EXPECT_FALSE(ReadU8(file, extra));
}

TEST(PrimitivesTest, LargeBlockReadsBypassingTheBufferKeepTheirOrder) {
    Bytes data(3 * 1024 * 1024 + 5);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 31 + i / 4096);
    MFile file = MemoryFile(data);

    Bytes head(10);
    ASSERT_EQ(file.Read(head.data(), head.size()), head.size());
    EXPECT_EQ(file.Tell(), 10u);
    Bytes rest(data.size() - 10 + 100);
    EXPECT_EQ(file.Read(rest.data(), rest.size()), data.size() - 10);
    EXPECT_TRUE(file.MetEndOfFile());
    rest.resize(data.size() - 10);
    head.insert(head.end(), rest.begin(), rest.end());
    EXPECT_EQ(head, data);
    EXPECT_EQ(file.Tell(), data.size());
}

TEST(PrimitivesTest, WritingAfterReadingOverwritesAtTheReadPosition) {
    MFile file = MemoryFile(Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    std::uint16_t word = 0;
    ReadU16(file, word);
    EXPECT_EQ(file.Tell(), 2u);
    WriteU16(file, 0xAABB);
    EXPECT_EQ(file.Tell(), 4u);
    EXPECT_EQ(ContentsOf(file), (Bytes{1, 2, 0xAA, 0xBB, 5, 6, 7, 8}));
}

TEST(PrimitivesTest, ReadingAfterWritingReadsWhatFollowsTheWrittenBytes) {
    MFile file = MemoryFile(Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    WriteU16(file, 0xAABB);
    std::uint16_t word = 0;
    ASSERT_TRUE(ReadU16(file, word));
    EXPECT_EQ(word, 0x0304);
    EXPECT_EQ(file.Tell(), 4u);
    EXPECT_EQ(ContentsOf(file), (Bytes{0xAA, 0xBB, 3, 4, 5, 6, 7, 8}));
}

TEST(PrimitivesTest, OsWriteFailureIsAWriteError) {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    MFile file(fd);
    WriteU32(file, 1); // buffered
    EXPECT_THROW(file.Flush(), MExceptFileWriteError);
    WriteU32(file, 2);
    EXPECT_THROW(file.Close(), MExceptFileWriteError);
    EXPECT_FALSE(file.IsOpen());
}

TEST(PrimitivesTest, OsReadFailureIsAReadError) {
    TempDir dir;
    const int fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    MFile file(fd);
    std::uint32_t value = 0;
    EXPECT_THROW(ReadU32(file, value), MExceptFileReadError);
}

TEST(PrimitivesTest, OpeningForReadRefusesMissingFilesAndFolders) {
    TempDir dir;
    EXPECT_THROW(MFile::OpenForRead(dir.File("missing.tv"), false), MExceptFileOpenError);
    EXPECT_FALSE(PathExists(dir.File("missing.tv")));
    EXPECT_THROW(MFile::OpenForRead(dir.Path(), false), MExceptFileOpenError);
    EXPECT_THROW(MFile::OpenForRead(dir.Path(), true), MExceptFileOpenError);

    MFile created = MFile::OpenForRead(dir.File("new.tv"), true);
    EXPECT_EQ(created.Size(), 0u);
    EXPECT_TRUE(PathExists(dir.File("new.tv")));
}

TEST(PrimitivesTest, CreatingForWriteTruncatesAndFailsInAMissingFolder) {
    TempDir dir;
    WriteFileBytes(dir.File("a.tv"), BytesOf("old contents"));
    {
        MFile file = MFile::CreateForWrite(dir.File("a.tv"));
        WriteText(file, "new");
        file.Close();
    }
    EXPECT_EQ(ReadFileBytes(dir.File("a.tv")), BytesOf("new"));
    EXPECT_THROW(MFile::CreateForWrite(dir.File("no/such/folder.tv")), MExceptFileOpenError);
}

TEST(PrimitivesTest, MovedFileKeepsItsBufferedBytes) {
    TempDir dir;
    {
        MFile first = MFile::CreateForWrite(dir.File("m.tv"));
        WriteText(first, "abc");
        MFile second = std::move(first);
        EXPECT_FALSE(first.IsOpen());
        WriteText(second, "def");
        second.Close();
    }
    EXPECT_EQ(ReadFileBytes(dir.File("m.tv")), BytesOf("abcdef"));
}
