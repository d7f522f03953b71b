#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Something bytes can be written to that knows its position and can seek:
// an open file, a compound-file stream, or a memory buffer in tests.
class MByteSink {
public:
    virtual ~MByteSink() = default;
    // Writes every byte or raises MExceptFileWriteError.
    virtual void WriteBytes(const void* data, std::size_t size) = 0;
    virtual std::uint64_t Tell() = 0;
    // Moves the write position to an absolute offset; raises MExceptFileWriteError.
    virtual void SeekTo(std::uint64_t position) = 0;
};

// A growable in-memory sink. Seeking back and writing overwrites; writing
// past the end extends the buffer.
class MemorySink : public MByteSink {
public:
    void WriteBytes(const void* data, std::size_t size) override;
    std::uint64_t Tell() override { return m_position; }
    void SeekTo(std::uint64_t position) override;

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};
