#include "ByteSink.h"

#include "MExcept.h"

#include <cstring>

void MemorySink::WriteBytes(const void* data, std::size_t size) {
    if (size == 0)
        return;
    if (m_position + size > m_bytes.size())
        m_bytes.resize(m_position + size);
    std::memcpy(m_bytes.data() + m_position, data, size);
    m_position += size;
}

void MemorySink::SeekTo(std::uint64_t position) {
    if (position > m_bytes.size())
        throw MExceptFileWriteError();
    m_position = static_cast<std::size_t>(position);
}
