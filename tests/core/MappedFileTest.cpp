#include "MExcept.h"
#include "MFile.h"
#include "RecordStore.h"
#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/mman.h>
#include <unistd.h>

namespace tvtest {
namespace {

// Bytes whose every position can be told from its value.
Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A file of Pattern() bytes in a folder of its own.
struct PatternFile {
    explicit PatternFile(std::size_t size) : content(Pattern(size)) {
        WriteFileBytes(path, content);
    }
    TempDir folder;
    const std::string path = folder.File("data.bin");
    const Bytes content;
};

Bytes ReadBytes(MFile& file, std::size_t count) {
    Bytes bytes(count);
    bytes.resize(file.Read(bytes.data(), count));
    return bytes;
}

TEST(MappedFile, ReadsTheSameBytesAsTheBufferFromWhereItWas) {
    const PatternFile data(3 * MFile::kBufferSize + 1234);
    const std::string& path = data.path;
    const Bytes& content = data.content;

    MFile file = MFile::OpenForRead(path, false);
    const Bytes head = ReadBytes(file, 5000);
    ASSERT_TRUE(file.MapRestForReading());
    EXPECT_FALSE(file.MapRestForReading()); // once is enough
    EXPECT_EQ(file.Tell(), 5000u);
    Bytes rest = ReadBytes(file, content.size());
    EXPECT_TRUE(file.MetEndOfFile());
    Bytes all = head;
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_EQ(all, content);
    EXPECT_EQ(file.Read(rest.data(), 1), 0u);

    // Positions and the in-place reads work on the mapping.
    file.SeekTo(MFile::kBufferSize + 3);
    EXPECT_EQ(file.Tell(), MFile::kBufferSize + 3);
    const char* held = file.ReadInPlace(16);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(Bytes(held, held + 16), Bytes(content.begin() + MFile::kBufferSize + 3,
                                            content.begin() + MFile::kBufferSize + 19));
    std::uint32_t word = 0;
    ASSERT_TRUE(ReadU32(file, word));
    const std::size_t at = MFile::kBufferSize + 19;
    EXPECT_EQ(word, (std::uint32_t{content[at]} << 24) | (std::uint32_t{content[at + 1]} << 16) |
                        (std::uint32_t{content[at + 2]} << 8) | content[at + 3]);
    EXPECT_FALSE(file.WasCut());
    file.Close();
}

TEST(MappedFile, AMovedFileGoesOnWhereItWas) {
    const PatternFile data(2 * MFile::kBufferSize);
    const std::string& path = data.path;
    const Bytes& content = data.content;

    MFile first = MFile::OpenForRead(path, false);
    ReadBytes(first, 3 * 4096 + 100); // the mapping starts at the page of 3 * 4096
    ASSERT_TRUE(first.MapRestForReading());
    ReadBytes(first, 10);
    MFile moved(std::move(first));
    EXPECT_EQ(moved.Tell(), 3 * 4096 + 110u);
    MFile assigned = MFile::OpenForRead(path, false);
    assigned = std::move(moved);
    EXPECT_EQ(assigned.Tell(), 3 * 4096 + 110u);
    assigned.SeekTo(5 * 4096);
    EXPECT_EQ(ReadBytes(assigned, 8),
              Bytes(content.begin() + 5 * 4096, content.begin() + 5 * 4096 + 8));
}

TEST(MappedFile, AFileCutShortWhileMappedReadsZerosAndSaysSo) {
    const PatternFile data(4 * MFile::kBufferSize);
    const std::string& path = data.path;
    const Bytes& content = data.content;
    MFile file = MFile::OpenForRead(path, false);
    ASSERT_TRUE(file.MapRestForReading());

    // Another program cuts the file to half while it is mapped.
    const std::size_t half = content.size() / 2;
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(half)), 0);
    const Bytes before = ReadBytes(file, half);
    EXPECT_EQ(before, Bytes(content.begin(), content.begin() + half));
    EXPECT_FALSE(file.WasCut());
    const Bytes after = ReadBytes(file, half);
    ASSERT_EQ(after.size(), half);
    EXPECT_EQ(after, Bytes(half, 0));
    EXPECT_TRUE(file.WasCut());
    file.Close();

    // The next mapping starts clean.
    WriteFileBytes(path, content);
    MFile again = MFile::OpenForRead(path, false);
    ASSERT_TRUE(again.MapRestForReading());
    EXPECT_EQ(ReadBytes(again, content.size()), content);
    EXPECT_FALSE(again.WasCut());
}

TEST(MappedFile, ABusErrorElsewhereStillEndsTheProgram) {
    const PatternFile data(2 * MFile::kBufferSize);
    const std::string& path = data.path;
    const auto diedOfIt = [](int status) {
        return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0);
    };
    EXPECT_EXIT(
        {
            MFile file = MFile::OpenForRead(path, false);
            if (file.MapRestForReading())
                std::raise(SIGBUS);
            std::_Exit(0);
        },
        diedOfIt, "");
}

TEST(MappedFile, ALargeDataFileIsReadThroughTheMappingAndSavedAlike) {
    TempDir folder;
    TvDocument written;
    FillEveryKind(written);
    AddTrips(written, 60000);
    const std::string path = folder.File("TvData.tv");
    ASSERT_TRUE(written.OnSaveDocument(path));
    ASSERT_GT(ReadFileBytes(path).size(), 4u << 20);

    TvDocument read;
    ASSERT_TRUE(read.OnOpenDocument(path)) << read.LastError();
    ExpectSameData(written, read);
    const std::string copy = folder.File("copy.tv");
    ASSERT_TRUE(read.OnSaveDocument(copy));
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(path));
}

// A trip block of `count` random trips: texts of every length up to their
// capacities, with and without NULs inside. A fault, when asked for, goes
// into trip `faultAt`: a destination or note length past its capacity, or
// the file ending inside that trip. A marker word follows the block.
enum class TripFault { None, LongDestination, LongNote, CutShort };
Bytes RandomTripBlock(std::uint32_t seed, std::uint32_t count, TripFault fault,
                      std::uint32_t faultAt) {
    std::mt19937 random(seed);
    const auto below = [&random](std::uint32_t n) { return random() % n; };
    const auto text = [&](std::uint32_t length) {
        std::string bytes(length, '\0');
        for (char& c : bytes)
            c = below(8) == 0 ? '\0' : static_cast<char>('a' + below(26));
        return bytes;
    };
    ByteBuilder b;
    b.BlockStart("Trip").Settings().U32(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (fault == TripFault::CutShort && i == faultAt) {
            b.U32(i).U32(0).U32(0).U32(32).Raw(text(10));
            return b.Get();
        }
        b.U32(i).U32(below(16)).U32(below(8));
        const std::uint32_t destination = below(3) == 0 ? below(33) : 32;
        b.U32(fault == TripFault::LongDestination && i == faultAt ? 33 : destination);
        b.Raw(text(destination)).I32(static_cast<std::int32_t>(random())).I32(1000 + i);
        b.Raw(text(12)).Raw(text(12)).U32(below(4));
        const std::uint32_t note = below(4) == 0 ? below(256) : 0;
        b.U32(fault == TripFault::LongNote && i == faultAt ? 256 : note).Raw(text(note));
    }
    b.U32(0x600DF00D);
    return b.Get();
}

// What reading the trip block gives: the block written back and the word
// after it, or the error.
std::string ReadTripBlock(const std::string& path, bool mapped) {
    MFile file = MFile::OpenForRead(path, false);
    if (mapped) {
        EXPECT_TRUE(file.MapRestForReading());
    }
    TripStore store;
    std::uint32_t after = 0;
    try {
        store.Read(file);
        ReadU32(file, after);
    } catch (const MExcept& error) {
        return std::string("error: ") + error.Message();
    }
    MFile written = MemoryFile();
    store.Write(written);
    const Bytes bytes = ContentsOf(written);
    return std::string(bytes.begin(), bytes.end()) + std::to_string(after);
}

TEST(MappedFile, ALargeTripStoreReadsThroughTheMappingAsItDoesInOrder) {
    // Large enough for a second thread to read the later trips of a mapped
    // file; read through the buffer, the trips are read in order.
    constexpr std::uint32_t kTrips = 40000;
    struct Case {
        TripFault fault;
        std::uint32_t at;
    };
    const Case cases[] = {{TripFault::None, 0},
                          {TripFault::LongDestination, 900},
                          {TripFault::LongNote, kTrips - 3},
                          {TripFault::CutShort, 30000},
                          {TripFault::CutShort, 7}};
    TempDir folder;
    const std::string path = folder.File("trips.bin");
    std::uint32_t seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "fault " << static_cast<int>(c.fault) << " at " << c.at);
        WriteFileBytes(path, RandomTripBlock(seed++, kTrips, c.fault, c.at));
        const std::string inOrder = ReadTripBlock(path, false);
        EXPECT_EQ(inOrder.rfind("error: ", 0) == 0, c.fault != TripFault::None);
        EXPECT_EQ(ReadTripBlock(path, true), inOrder);
    }
}

} // namespace
} // namespace tvtest
