#pragma once

#include "ByteSink.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

// An open file descriptor with a large internal buffer, so that reading or
// writing a field costs a memory copy rather than a system call. The caller
// opens and closes it; the primitives below read or write at the current
// position. Reads raise MExceptFileReadError on an operating-system failure
// and report a short count only at end of file; writes raise
// MExceptFileWriteError.
class MFile final : public MByteSink {
public:
    // Takes ownership of an open descriptor.
    explicit MFile(int fd);
    ~MFile() override;
    MFile(const MFile&) = delete;
    MFile& operator=(const MFile&) = delete;
    MFile(MFile&& other) noexcept;
    MFile& operator=(MFile&& other) noexcept;

    // Opens for reading; raises MExceptFileOpenError when the path cannot be
    // opened or is not a regular file. With createIfMissing an absent file is
    // created empty first.
    static MFile OpenForRead(const std::string& path, bool createIfMissing);
    // Creates or truncates a file for writing; raises MExceptFileOpenError.
    static MFile CreateForWrite(const std::string& path);

    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

    static constexpr std::size_t kBufferSize = 1 << 20;

    // Reads the rest of the file through a read-only memory mapping instead
    // of the buffer, saving a copy of every byte; only for reading. A file
    // cut short meanwhile reads zeros past its new end and shows in
    // WasCut(). False (nothing changed) when the file cannot be mapped.
    bool MapRestForReading();
    // Whether the mapped file was cut short while it was read.
    bool WasCut() const;
    bool IsMapped() const { return m_map != nullptr; }
    // Another reader of this file's mapping, at the same position: for a
    // second thread that reads a later part of the file while this one reads
    // on. It shares the mapping and its guard, lets go of its own pages as it
    // reads, and must not outlive this file. Only for a mapped file.
    MFile MappedView() const;
    // Goes on from where the view stopped reading, with what it met there.
    void ContinueAfter(const MFile& view);
    // A writer of the same file from `position` on, with a buffer of its
    // own: for a second thread that writes a later part of the file while
    // this one writes the part before. It never moves this file's position;
    // it must be flushed before this file is closed, and must not outlive it.
    MFile WriterAt(std::uint64_t position) const;
    // For a mapped file read from start to end: lets go of the mapped pages
    // already read and brings in the next ones, so that a large file never
    // lies in memory whole beside what is built from it. Nothing for a file
    // read through the buffer. Cheap enough to call every few records.
    void ReleaseReadPages();

    // Reads up to size bytes; fewer only at end of file.
    std::size_t Read(void* data, std::size_t size) {
        if (m_writeEnd == 0 && m_readEnd - m_readPos >= size) {
            std::memcpy(data, m_readBase + m_readPos, size);
            m_readPos += size;
            return size;
        }
        return ReadSlow(data, size);
    }
    // The next size bytes where they lie in the read buffer, consumed; null
    // (and nothing consumed) when they are not all buffered yet.
    const char* ReadInPlace(std::size_t size) {
        const char* bytes = PeekInPlace(size);
        if (bytes != nullptr)
            m_readPos += size;
        return bytes;
    }
    // The same bytes, left unread.
    const char* PeekInPlace(std::size_t size) const {
        if (m_writeEnd != 0 || m_readEnd - m_readPos < size)
            return nullptr;
        return reinterpret_cast<const char*>(m_readBase + m_readPos);
    }
    // True once a read has returned fewer bytes than it asked for.
    bool MetEndOfFile() const { return m_metEnd; }

    void WriteBytes(const void* data, std::size_t size) override {
        if (m_readPos == m_readEnd && kBufferSize - m_writeEnd >= size) {
            std::memcpy(m_buffer.get() + m_writeEnd, data, size);
            m_writeEnd += size;
            return;
        }
        WriteSlow(data, size);
    }
    std::uint64_t Tell() override;
    void SeekTo(std::uint64_t position) override;

    // The size of the file on disk plus anything still buffered for writing.
    std::uint64_t Size();
    // Hands buffered bytes to the operating system.
    void Flush();
    // Flushes and asks the operating system to put the data on disk.
    void Sync();
    // From now on every block handed to the operating system also starts on
    // its way to disk, so that writing overlaps with building the next block
    // and a later Sync() finds little left to wait for.
    void StartWritebackAsWritten() { m_writeback = true; }
    // Flushes and closes; raises MExceptFileWriteError when either fails.
    // A file that is destroyed open is closed without flushing errors.
    void Close();

private:
    void FlushWrites();
    void DropReadBuffer();
    std::size_t ReadSlow(void* data, std::size_t size);
    void WriteSlow(const void* data, std::size_t size);
    void Unmap();
    MFile() = default;

    int m_fd = -1;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    // Where reads come from: the buffer, or the mapping of the file.
    const std::uint8_t* m_readBase = nullptr;
    void* m_map = nullptr;
    std::size_t m_mapSize = 0;
    std::uint64_t m_mapOffset = 0;  // the file position of the mapping's first byte
    std::size_t m_mapReleased = 0;  // mapped bytes let go of, from the start
    std::size_t m_mapPopulated = 0; // mapped bytes brought in, from the start
    int m_guardSlot = -1;
    bool m_mapBorrowed = false; // a view's mapping belongs to another file
    // Where a writer view writes next; -1 for a file that owns its descriptor.
    std::int64_t m_writeAt = -1;
    std::size_t m_readPos = 0;  // next unread byte in the read buffer
    std::size_t m_readEnd = 0;  // bytes held in the read buffer
    std::size_t m_writeEnd = 0; // bytes waiting in the write buffer
    bool m_metEnd = false;
    bool m_writeback = false;
};

// Big-endian primitives of the data file. A read primitive returns whether any
// byte at all was read: false only at end of file.

namespace MFileDetail {

// Reverses the bytes of an unsigned word on a little-endian machine, so that a
// word is read or written with one load or store instead of a byte at a time.
template <typename T> inline T BigEndianSwapped(T value) {
    static_assert(std::is_unsigned_v<T> && sizeof(T) <= 4);
    if constexpr (std::endian::native == std::endian::big || sizeof(T) == 1)
        return value;
    else if constexpr (sizeof(T) == 2)
        return __builtin_bswap16(value);
    else
        return __builtin_bswap32(value);
}

template <typename T> inline T FromBigEndian(const std::uint8_t* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return BigEndianSwapped(value);
}

template <typename T> inline bool ReadBigEndian(MFile& file, T& value) {
    if (const char* held = file.ReadInPlace(sizeof(T))) {
        value = FromBigEndian<T>(reinterpret_cast<const std::uint8_t*>(held));
        return true;
    }
    std::uint8_t bytes[sizeof(T)] = {};
    const std::size_t got = file.Read(bytes, sizeof(T));
    value = FromBigEndian<T>(bytes);
    return got > 0;
}

template <typename T> inline void WriteBigEndian(MFile& file, T value) {
    const T swapped = BigEndianSwapped(value);
    file.WriteBytes(&swapped, sizeof(T));
}

} // namespace MFileDetail

// Inline: a million-record file calls these tens of millions of times.
inline bool ReadU8(MFile& file, std::uint8_t& value) {
    return MFileDetail::ReadBigEndian(file, value);
}
inline bool ReadU16(MFile& file, std::uint16_t& value) {
    return MFileDetail::ReadBigEndian(file, value);
}
inline bool ReadU32(MFile& file, std::uint32_t& value) {
    return MFileDetail::ReadBigEndian(file, value);
}
inline void WriteU8(MFile& file, std::uint8_t value) {
    MFileDetail::WriteBigEndian(file, value);
}
inline void WriteU16(MFile& file, std::uint16_t value) {
    MFileDetail::WriteBigEndian(file, value);
}
inline void WriteU32(MFile& file, std::uint32_t value) {
    MFileDetail::WriteBigEndian(file, value);
}

// A 32-bit length, then that many bytes into the buffer; no NUL is added. A
// length above capacity raises MExceptBufferExceeded before the body is read.
// At end of file nothing is read and the buffer is left untouched.
bool ReadFixedText(MFile& file, char* buffer, std::uint32_t capacity, std::uint32_t& length);
// The size as a 32-bit length, then exactly size bytes of the buffer.
void WriteFixedText(MFile& file, const char* buffer, std::uint32_t size);

// A 32-bit length, then the characters. Length + 1 above capacity raises
// MExceptBufferExceeded; the text ends at its first NUL, as in a C buffer.
bool ReadString(MFile& file, std::string& text, std::uint32_t capacity);
// The text's length up to its first NUL, then those characters.
void WriteString(MFile& file, std::string_view text);

// The bytes of the text only; a null text writes nothing.
void WriteText(MFile& file, const char* text);
