#include "MFile.h"

#include "MExcept.h"
#include "MappedFileGuard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
// Mapped pages are let go of and brought in this many bytes at a time.
constexpr std::size_t kReleaseStep = 4 << 20;
} // namespace

MFile::MFile(int fd)
    : m_fd(fd), m_buffer(new std::uint8_t[kBufferSize]), m_readBase(m_buffer.get()) {}

MFile::~MFile() {
    Unmap();
    if (m_fd >= 0 && m_writeAt < 0) {
        try {
            FlushWrites();
        } catch (const MExcept&) {
            // Destroyed after a failure: the caller has already been told.
        }
        ::close(m_fd);
    }
}

MFile::MFile(MFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_buffer(std::move(other.m_buffer)),
      m_readBase(std::exchange(other.m_readBase, nullptr)),
      m_map(std::exchange(other.m_map, nullptr)), m_mapSize(std::exchange(other.m_mapSize, 0)),
      m_mapOffset(other.m_mapOffset), m_mapReleased(other.m_mapReleased),
      m_mapPopulated(other.m_mapPopulated), m_guardSlot(std::exchange(other.m_guardSlot, -1)),
      m_mapBorrowed(other.m_mapBorrowed), m_writeAt(other.m_writeAt), m_readPos(other.m_readPos),
      m_readEnd(other.m_readEnd), m_writeEnd(other.m_writeEnd), m_metEnd(other.m_metEnd),
      m_writeback(other.m_writeback) {}

MFile& MFile::operator=(MFile&& other) noexcept {
    if (this != &other) {
        Unmap();
        if (m_fd >= 0 && m_writeAt < 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_buffer = std::move(other.m_buffer);
        m_readBase = std::exchange(other.m_readBase, nullptr);
        m_map = std::exchange(other.m_map, nullptr);
        m_mapSize = std::exchange(other.m_mapSize, 0);
        m_mapOffset = other.m_mapOffset;
        m_mapReleased = other.m_mapReleased;
        m_mapPopulated = other.m_mapPopulated;
        m_guardSlot = std::exchange(other.m_guardSlot, -1);
        m_mapBorrowed = other.m_mapBorrowed;
        m_writeAt = other.m_writeAt;
        m_readPos = other.m_readPos;
        m_readEnd = other.m_readEnd;
        m_writeEnd = other.m_writeEnd;
        m_metEnd = other.m_metEnd;
        m_writeback = other.m_writeback;
    }
    return *this;
}

MFile MFile::OpenForRead(const std::string& path, bool createIfMissing) {
    const int flags = O_RDONLY | O_CLOEXEC | (createIfMissing ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        throw MExceptFileOpenError();
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw MExceptFileOpenError();
    }
    return MFile(fd);
}

MFile MFile::CreateForWrite(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw MExceptFileOpenError();
    return MFile(fd);
}

std::size_t MFile::ReadSlow(void* data, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(data);
    if (m_map != nullptr) {
        // The mapping holds everything there is: a short count is the end.
        const std::size_t take = std::min(size, m_readEnd - m_readPos);
        std::memcpy(out, m_readBase + m_readPos, take);
        m_readPos += take;
        m_metEnd = true;
        return take;
    }
    // The buffer is shared: bytes waiting to be written go out first.
    FlushWrites();
    std::size_t done = 0;
    while (done < size) {
        if (m_readPos == m_readEnd) {
            if (size - done >= kBufferSize) {
                // Large reads go straight to the caller's memory.
                const ssize_t got = ::read(m_fd, out + done, size - done);
                if (got < 0) {
                    if (errno == EINTR)
                        continue;
                    throw MExceptFileReadError();
                }
                if (got == 0)
                    break;
                done += static_cast<std::size_t>(got);
                continue;
            }
            const ssize_t got = ::read(m_fd, m_buffer.get(), kBufferSize);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                throw MExceptFileReadError();
            }
            m_readPos = 0;
            m_readEnd = static_cast<std::size_t>(got);
            if (got == 0)
                break;
        }
        const std::size_t take = std::min(size - done, m_readEnd - m_readPos);
        std::memcpy(out + done, m_readBase + m_readPos, take);
        m_readPos += take;
        done += take;
    }
    if (done < size)
        m_metEnd = true;
    return done;
}

void MFile::WriteSlow(const void* data, std::size_t size) {
    const auto* in = static_cast<const std::uint8_t*>(data);
    DropReadBuffer();
    while (size > 0) {
        if (m_writeEnd == kBufferSize)
            FlushWrites();
        const std::size_t take = std::min(size, kBufferSize - m_writeEnd);
        std::memcpy(m_buffer.get() + m_writeEnd, in, take);
        m_writeEnd += take;
        in += take;
        size -= take;
    }
}

void MFile::FlushWrites() {
    if (m_writeEnd == 0)
        return;
    const off_t start = m_writeAt >= 0 ? m_writeAt : m_writeback ? ::lseek(m_fd, 0, SEEK_CUR) : -1;
    std::size_t done = 0;
    while (done < m_writeEnd) {
        const ssize_t put =
            m_writeAt >= 0
                ? ::pwrite(m_fd, m_buffer.get() + done, m_writeEnd - done, m_writeAt + done)
                : ::write(m_fd, m_buffer.get() + done, m_writeEnd - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            m_writeEnd = 0;
            throw MExceptFileWriteError();
        }
        if (put == 0) {
            m_writeEnd = 0;
            throw MExceptFileWriteError();
        }
        done += static_cast<std::size_t>(put);
    }
    if (m_writeAt >= 0)
        m_writeAt += static_cast<off_t>(done);
    // Only a head start: Sync() still reports whether the data reached the disk.
    if (m_writeback && start >= 0)
        ::sync_file_range(m_fd, start, static_cast<off_t>(done), SYNC_FILE_RANGE_WRITE);
    m_writeEnd = 0;
}

void MFile::DropReadBuffer() {
    if (m_readPos != m_readEnd) {
        // Give back what was read ahead so the file position matches ours.
        const off_t unread = static_cast<off_t>(m_readEnd - m_readPos);
        if (::lseek(m_fd, -unread, SEEK_CUR) < 0)
            throw MExceptFileReadError();
    }
    m_readPos = m_readEnd = 0;
}

std::uint64_t MFile::Tell() {
    if (m_writeAt >= 0)
        return static_cast<std::uint64_t>(m_writeAt) + m_writeEnd;
    if (m_map != nullptr)
        return m_mapOffset + m_readPos;
    const off_t position = ::lseek(m_fd, 0, SEEK_CUR);
    if (position < 0)
        throw MExceptFileReadError();
    return static_cast<std::uint64_t>(position) + m_writeEnd - (m_readEnd - m_readPos);
}

void MFile::SeekTo(std::uint64_t position) {
    if (m_map != nullptr) {
        // Within the mapping only; nothing lies past it.
        const std::uint64_t offset = position < m_mapOffset ? 0 : position - m_mapOffset;
        m_readPos = static_cast<std::size_t>(std::min<std::uint64_t>(offset, m_readEnd));
        m_metEnd = false;
        return;
    }
    FlushWrites();
    m_readPos = m_readEnd = 0;
    if (::lseek(m_fd, static_cast<off_t>(position), SEEK_SET) < 0)
        throw MExceptFileWriteError();
    m_metEnd = false;
}

std::uint64_t MFile::Size() {
    FlushWrites();
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        throw MExceptFileReadError();
    return static_cast<std::uint64_t>(info.st_size);
}

void MFile::Flush() {
    FlushWrites();
}

void MFile::Sync() {
    FlushWrites();
    if (::fsync(m_fd) != 0)
        throw MExceptFileWriteError();
}

void MFile::Close() {
    Unmap();
    if (m_fd < 0)
        return;
    try {
        FlushWrites();
    } catch (const MExcept&) {
        ::close(std::exchange(m_fd, -1));
        throw;
    }
    if (::close(std::exchange(m_fd, -1)) != 0)
        throw MExceptFileWriteError();
}

bool ReadFixedText(MFile& file, char* buffer, std::uint32_t capacity, std::uint32_t& length) {
    std::uint32_t stored = 0;
    if (!ReadU32(file, stored))
        return false;
    if (stored > capacity)
        throw MExceptBufferExceeded();
    length = stored;
    file.Read(buffer, stored);
    return true;
}

void WriteFixedText(MFile& file, const char* buffer, std::uint32_t size) {
    WriteU32(file, size);
    file.WriteBytes(buffer, size);
}

bool ReadString(MFile& file, std::string& text, std::uint32_t capacity) {
    std::uint32_t stored = 0;
    if (!ReadU32(file, stored))
        return false;
    if (static_cast<std::uint64_t>(stored) + 1 > capacity)
        throw MExceptBufferExceeded();
    // Straight from the read buffer when it holds the whole text, up to its
    // first NUL.
    if (const char* bytes = file.ReadInPlace(stored)) {
        text.assign(bytes, ::strnlen(bytes, stored));
        return true;
    }
    // The capacity bounds the allocation, never the stored length alone.
    text.resize(stored);
    const std::size_t got = file.Read(text.data(), stored);
    text.resize(::strnlen(text.data(), got));
    return true;
}

void WriteString(MFile& file, std::string_view text) {
    const std::size_t end = text.find('\0');
    if (end != std::string_view::npos)
        text = text.substr(0, end);
    WriteU32(file, static_cast<std::uint32_t>(text.size()));
    file.WriteBytes(text.data(), text.size());
}

void WriteText(MFile& file, const char* text) {
    if (text != nullptr)
        file.WriteBytes(text, std::strlen(text));
}

bool MFile::MapRestForReading() {
    if (m_map != nullptr || m_fd < 0 || m_writeEnd != 0)
        return false;
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const std::uint64_t position = Tell();
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (position >= size)
        return false;
    // Whole pages from the page holding the position, up to the end.
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t start = position / page * page;
    const std::size_t length = static_cast<std::size_t>(size - start);
    void* map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, m_fd, static_cast<off_t>(start));
    if (map == MAP_FAILED)
        return false;
    const int slot = MappedFileGuard::Watch(map, length);
    if (slot < 0) {
        ::munmap(map, length);
        return false;
    }
    m_map = map;
    m_mapSize = length;
    m_mapOffset = start;
    m_guardSlot = slot;
    m_readBase = static_cast<const std::uint8_t*>(map);
    m_readPos = static_cast<std::size_t>(position - start);
    m_readEnd = length;
    m_metEnd = false;
    m_mapReleased = 0;
    m_mapPopulated = 0;
    ::madvise(map, length, MADV_SEQUENTIAL);
    ReleaseReadPages();
    return true;
}

void MFile::ReleaseReadPages() {
    // In steps of whole pages; the window brought in ahead keeps the reader
    // off page faults.
    if (m_map == nullptr)
        return;
    char* base = static_cast<char*>(m_map);
    const std::size_t read = m_readPos / kReleaseStep * kReleaseStep;
    if (read > m_mapReleased) {
        // The pages were only read: dropping them from this mapping leaves
        // them in the page cache, and reading them again reads the file.
        ::madvise(base + m_mapReleased, read - m_mapReleased, MADV_DONTNEED);
        m_mapReleased = read;
    }
    const std::size_t ahead = std::min(m_mapSize, read + 2 * kReleaseStep);
    if (ahead > m_mapPopulated) {
        // Only a hint: a part cut off meanwhile faults when read, and the
        // guard stands in for it.
        ::madvise(base + m_mapPopulated, ahead - m_mapPopulated, MADV_POPULATE_READ);
        m_mapPopulated = ahead;
    }
}

bool MFile::WasCut() const {
    return MappedFileGuard::WasCut(m_guardSlot);
}

MFile MFile::MappedView() const {
    MFile view;
    view.m_map = m_map;
    view.m_mapBorrowed = true;
    view.m_mapSize = m_mapSize;
    view.m_mapOffset = m_mapOffset;
    view.m_guardSlot = m_guardSlot;
    view.m_readBase = m_readBase;
    view.m_readPos = m_readPos;
    view.m_readEnd = m_readEnd;
    // The pages before the position are this file's to let go of, and the
    // view's first step may still hold some of them.
    view.m_mapReleased = (m_readPos + kReleaseStep - 1) / kReleaseStep * kReleaseStep;
    view.m_mapPopulated = std::max(m_mapPopulated, m_readPos);
    return view;
}

void MFile::ContinueAfter(const MFile& view) {
    m_readPos = view.m_readPos;
    m_metEnd = view.m_metEnd;
    // What the view brought in is not brought in again; what it let go of
    // is let go of again at the next release, which costs next to nothing.
    m_mapPopulated = std::max(m_mapPopulated, view.m_mapPopulated);
}

MFile MFile::WriterAt(std::uint64_t position) const {
    MFile writer;
    writer.m_fd = m_fd;
    writer.m_writeAt = static_cast<std::int64_t>(position);
    writer.m_buffer.reset(new std::uint8_t[kBufferSize]);
    writer.m_readBase = writer.m_buffer.get();
    writer.m_writeback = m_writeback;
    return writer;
}

void MFile::Unmap() {
    if (m_map == nullptr)
        return;
    if (!m_mapBorrowed) {
        ::munmap(m_map, m_mapSize);
        MappedFileGuard::Release(m_guardSlot);
    }
    m_map = nullptr;
    m_mapSize = 0;
    m_mapOffset = 0;
    m_mapReleased = m_mapPopulated = 0;
    m_guardSlot = -1;
    m_readBase = m_buffer.get();
    m_readPos = m_readEnd = 0;
}
