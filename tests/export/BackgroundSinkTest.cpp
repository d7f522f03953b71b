// Writing on a helper thread: every byte in order, failures raised again.

#include "BackgroundSink.h"
#include "MExcept.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

// A memory sink that fails every write once it holds `limit` bytes.
class FailingSink : public MemorySink {
public:
    explicit FailingSink(std::size_t limit) : m_limit(limit) {}
    void WriteBytes(const void* data, std::size_t size) override {
        if (Bytes().size() + size > m_limit)
            throw MExceptFileWriteError();
        MemorySink::WriteBytes(data, size);
        ++writes;
    }
    std::atomic<int> writes = 0;

private:
    std::size_t m_limit;
};

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

TEST(BackgroundSinkTest, EveryByteArrivesInOrder) {
    const std::string bytes = Pattern(5 * 1024 * 1024 + 333);
    MemorySink target;
    target.WriteBytes("head", 4);
    {
        BackgroundSink sink(target);
        EXPECT_EQ(sink.Tell(), 4u);
        for (std::size_t at = 0, piece = 1; at < bytes.size();
             at += piece, piece = piece * 3 % 70001 + 1)
            sink.WriteBytes(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(sink.Tell(), 4 + bytes.size());
        sink.Finish();
        EXPECT_EQ(std::string(target.Bytes().begin(), target.Bytes().end()), "head" + bytes);

        // A seek waits for what is on its way, then the sink goes on there.
        sink.WriteBytes("tail", 4);
        sink.SeekTo(2);
        sink.WriteBytes("AD", 2);
        sink.Finish();
    }
    const std::string written(target.Bytes().begin(), target.Bytes().end());
    EXPECT_EQ(written.substr(0, 4), "heAD");
    EXPECT_EQ(written.substr(written.size() - 4), "tail");
    EXPECT_EQ(written.size(), 8 + bytes.size());
}

TEST(BackgroundSinkTest, AFailureOfTheTargetComesBack) {
    FailingSink target(3 * 1024 * 1024);
    const std::string bytes = Pattern(1024 * 1024);
    BackgroundSink sink(target);
    bool raised = false;
    try {
        for (int i = 0; i < 64; ++i)
            sink.WriteBytes(bytes.data(), bytes.size());
        sink.Finish();
    } catch (const MExceptFileWriteError&) {
        raised = true;
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(target.writes, 3) << "the helper stops at the failure";
    EXPECT_THROW(sink.Finish(), MExceptFileWriteError) << "and stays failed";
}

TEST(BackgroundSinkTest, ASinkLeftUnfinishedStopsItsHelper) {
    FailingSink target(std::size_t(1) << 40);
    {
        BackgroundSink sink(target);
        const std::string bytes = Pattern(3 * 1024 * 1024);
        sink.WriteBytes(bytes.data(), bytes.size());
    }
    EXPECT_LE(target.Bytes().size(), 3u * 1024 * 1024) << "whole blocks or none";
    EXPECT_EQ(target.Bytes().size() % (1024 * 1024), 0u);
}

} // namespace
