#include "LittleEndian.h"

#include <algorithm>

namespace {

template <typename T> void WriteLE(MByteSink& sink, T value) {
    std::uint8_t bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    sink.WriteBytes(bytes, sizeof(T));
}

} // namespace

void WriteByte(MByteSink& sink, std::uint8_t value) {
    sink.WriteBytes(&value, 1);
}
void WriteU16LE(MByteSink& sink, std::uint16_t value) {
    WriteLE(sink, value);
}
void WriteU32LE(MByteSink& sink, std::uint32_t value) {
    WriteLE(sink, value);
}
void WriteU64LE(MByteSink& sink, std::uint64_t value) {
    WriteLE(sink, value);
}

void WriteShortString(MByteSink& sink, std::string_view text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 0xFF);
    WriteByte(sink, static_cast<std::uint8_t>(length));
    sink.WriteBytes(text.data(), length);
}

void WriteLongString(MByteSink& sink, std::string_view text) {
    const std::size_t length = std::min<std::size_t>(text.size(), 0xFFFF);
    WriteU16LE(sink, static_cast<std::uint16_t>(length));
    sink.WriteBytes(text.data(), length);
}

std::uint32_t StreamPosition(MByteSink& sink) {
    return static_cast<std::uint32_t>(sink.Tell());
}
