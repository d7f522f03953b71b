#include "BackgroundSink.h"

#include <algorithm>

BackgroundSink::BackgroundSink(MByteSink& target) : m_target(target) {
    m_current = NewBlock();
    m_position = target.Tell();
    m_helper = std::thread([this] { Run(); });
}

BackgroundSink::~BackgroundSink() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_helper.join();
}

void BackgroundSink::WriteBytes(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    m_position += size;
    while (size > 0) {
        const std::size_t take = std::min(size, kBlockSize - m_current.size());
        m_current.insert(m_current.end(), bytes, bytes + take);
        bytes += take;
        size -= take;
        if (m_current.size() == kBlockSize) {
            Hand(std::move(m_current));
            m_current = NewBlock();
        }
    }
}

void BackgroundSink::SeekTo(std::uint64_t position) {
    Finish();
    m_target.SeekTo(position);
    m_position = position;
}

void BackgroundSink::Finish() {
    if (!m_current.empty()) {
        Hand(std::move(m_current));
        m_current = NewBlock();
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_failure || (m_waiting.empty() && !m_writing); });
    lock.unlock();
    RaiseFailure();
}

BackgroundSink::Block BackgroundSink::NewBlock() {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_spare.empty()) {
            Block block = std::move(m_spare.back());
            m_spare.pop_back();
            return block;
        }
    }
    Block block;
    block.reserve(kBlockSize);
    return block;
}

void BackgroundSink::Hand(Block block) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_failure || m_waiting.size() < kMaxWaiting; });
    if (!m_failure)
        m_waiting.push_back(std::move(block));
    lock.unlock();
    m_changed.notify_all();
    RaiseFailure();
}

void BackgroundSink::RaiseFailure() {
    const std::lock_guard lock(m_mutex);
    if (m_failure)
        std::rethrow_exception(m_failure);
}

void BackgroundSink::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_stop)
            return;
        Block block = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_writing = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            m_target.WriteBytes(block.data(), block.size());
        } catch (...) {
            failure = std::current_exception();
        }
        block.clear();
        lock.lock();
        m_spare.push_back(std::move(block));
        m_writing = false;
        m_failure = failure;
        m_changed.notify_all();
        if (m_failure)
            return;
    }
}
