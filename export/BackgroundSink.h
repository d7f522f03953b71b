#pragma once

#include "ByteSink.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Writes to another sink on a helper thread, so that the caller makes the
// next bytes while the last ones are written: the bytes are gathered in
// blocks, and each full block is handed over. A failure of the other sink is
// raised again by a later write, a seek or Finish. Until Finish returns the
// other sink belongs to the helper.
class BackgroundSink : public MByteSink {
public:
    explicit BackgroundSink(MByteSink& target);
    // Stops the helper; blocks not yet written are dropped.
    ~BackgroundSink() override;
    BackgroundSink(const BackgroundSink&) = delete;
    BackgroundSink& operator=(const BackgroundSink&) = delete;

    void WriteBytes(const void* data, std::size_t size) override;
    std::uint64_t Tell() override { return m_position; }
    // Finishes, then seeks the other sink.
    void SeekTo(std::uint64_t position) override;

    // Waits until every byte has reached the other sink; raises what it raised.
    void Finish();

private:
    using Block = std::vector<char>;

    // An empty block with room for kBlockSize bytes, one written before
    // when there is one.
    Block NewBlock();
    void Hand(Block block);
    void RaiseFailure();
    void Run();

    static constexpr std::size_t kBlockSize = 1 << 20;
    // Blocks waiting for the helper at most; the caller waits beyond that.
    static constexpr std::size_t kMaxWaiting = 2;

    MByteSink& m_target;
    Block m_current;
    std::uint64_t m_position = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_waiting;
    std::vector<Block> m_spare;
    bool m_writing = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_helper;
};
