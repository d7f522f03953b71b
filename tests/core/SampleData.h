#pragma once

// A data set that holds every record kind and the awkward corners of the file
// format: deleted records and categories, bytes after the terminator of fixed
// texts, unknown flag bits, settings words, negative numbers, full-length texts.

#include "TvDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvtest {

// Identifiers used by the sample.
inline constexpr std::uint32_t kCivicId = 0x80000002;
inline constexpr std::uint32_t kOldTruckId = 0x00000010;
inline constexpr std::uint32_t kVanId = 0x80000003;
inline constexpr std::uint32_t kOilChangeId = 0x80000004;
inline constexpr std::uint32_t kTiresId = 7;

// Fills a document whose stores are empty. Every category list starts with
// "Unfiled", as it does after reading a file.
void FillEveryKind(TvDocument& doc);

// Appends count trips of the Civic, each with a note, to make a big file.
void AddTrips(TvDocument& doc, std::size_t count);

// Every store setting, category entry and record field of actual equals that
// of expected (dates compared field by field, without normalising).
void ExpectSameData(const TvDocument& expected, const TvDocument& actual);

} // namespace tvtest
