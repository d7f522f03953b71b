#pragma once

#include "ByteSink.h"

#include <cstdint>
#include <string_view>

// Little-endian writers used by the workbook writer. Every failure of the
// underlying sink is raised as MExceptFileWriteError.

void WriteByte(MByteSink& sink, std::uint8_t value);
void WriteU16LE(MByteSink& sink, std::uint16_t value);
void WriteU32LE(MByteSink& sink, std::uint32_t value);
void WriteU64LE(MByteSink& sink, std::uint64_t value);

// One length byte, then the text. Texts longer than 255 bytes are cut to 255
// so that the length byte always describes what follows.
void WriteShortString(MByteSink& sink, std::string_view text);

// A 16-bit little-endian length, then the text; cut to 65535 bytes likewise.
void WriteLongString(MByteSink& sink, std::string_view text);

// The current position, low 32 bits.
std::uint32_t StreamPosition(MByteSink& sink);
