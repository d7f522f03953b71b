#include "Records.h"

#include "MExcept.h"
#include "MFile.h"
#include "TextArena.h"

#include <cstring>

namespace {

void ReadHeader(MFile& file, RecordHeader& header) {
    ReadU32(file, header.Uid);
    ReadU32(file, header.Category);
    ReadU32(file, header.Flags);
}

void WriteHeader(MFile& file, const RecordHeader& header) {
    WriteU32(file, header.Uid);
    WriteU32(file, header.Category);
    WriteU32(file, header.Flags);
}

template <std::size_t N> void ReadText(MFile& file, FixedText<N>& text) {
    std::uint32_t length = 0;
    ReadFixedText(file, text.bytes, N, length);
}

template <std::size_t N> void WriteText(MFile& file, const FixedText<N>& text) {
    WriteFixedText(file, text.bytes, N);
}

void ReadSigned(MFile& file, std::int32_t& value) {
    std::uint32_t raw = 0;
    ReadU32(file, raw);
    value = static_cast<std::int32_t>(raw);
}

void WriteSigned(MFile& file, std::int32_t value) {
    WriteU32(file, static_cast<std::uint32_t>(value));
}

static_assert(kNoteCapacity - 1 <= TextArena::kMaxSize, "a note read fits its arena");

// A note as ReadString reads a text (up to its first NUL; a length beyond
// the capacity raises MExceptBufferExceeded), kept in the store's arena.
void ReadNoteText(MFile& file, std::uint32_t stored, NoteString& note, TextArena& texts) {
    if (static_cast<std::uint64_t>(stored) + 1 > kNoteCapacity)
        throw MExceptBufferExceeded();
    const char* bytes = file.ReadInPlace(stored);
    char buffer[kNoteCapacity];
    std::size_t got = stored;
    if (bytes == nullptr) {
        got = file.Read(buffer, stored);
        bytes = buffer;
    }
    const std::size_t length = ::strnlen(bytes, got);
    if (length != 0)
        note.Borrow(texts.Store(bytes, length));
}

void ReadNote(MFile& file, NoteString& note, TextArena& texts) {
    std::uint32_t stored = 0;
    if (ReadU32(file, stored))
        ReadNoteText(file, stored, note, texts);
}

std::uint32_t WordAt(const char* bytes, std::size_t offset) {
    return MFileDetail::FromBigEndian<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(bytes) +
                                                     offset);
}

// A trip's fields up to its note's length, when the destination fills its
// whole buffer (as every trip the handheld or this program writes does):
// they then lie at fixed places, and a million trips read from one look at
// the bytes each instead of a dozen calls. The bytes must all be in place.
namespace TripLayout {
constexpr std::size_t kDestinationLength = 12;
constexpr std::size_t kDestination = 16;
constexpr std::size_t kStartOdometer = kDestination + sizeof(TripRecord::Destination.bytes);
constexpr std::size_t kEndOdometer = kStartOdometer + 4;
constexpr std::size_t kStart = kEndOdometer + 4;
constexpr std::size_t kEnd = kStart + MTime::kStoredSize;
constexpr std::size_t kVehicleId = kEnd + MTime::kStoredSize;
constexpr std::size_t kNoteLength = kVehicleId + 4;
constexpr std::size_t kSize = kNoteLength + 4;
} // namespace TripLayout

bool ReadTripInPlace(MFile& file, TripRecord& record, TextArena& texts) {
    const char* bytes = file.PeekInPlace(TripLayout::kSize);
    if (bytes == nullptr ||
        WordAt(bytes, TripLayout::kDestinationLength) != sizeof(record.Destination.bytes))
        return false;
    file.ReadInPlace(TripLayout::kSize);
    const auto* unsignedBytes = reinterpret_cast<const std::uint8_t*>(bytes);
    record.Uid = WordAt(bytes, 0);
    record.Category = WordAt(bytes, 4);
    record.Flags = WordAt(bytes, 8);
    std::memcpy(record.Destination.bytes, bytes + TripLayout::kDestination,
                sizeof(record.Destination.bytes));
    record.StartOdometer = static_cast<std::int32_t>(WordAt(bytes, TripLayout::kStartOdometer));
    record.EndOdometer = static_cast<std::int32_t>(WordAt(bytes, TripLayout::kEndOdometer));
    record.Start.Decode(unsignedBytes + TripLayout::kStart);
    record.End.Decode(unsignedBytes + TripLayout::kEnd);
    record.VehicleId = WordAt(bytes, TripLayout::kVehicleId);
    ReadNoteText(file, WordAt(bytes, TripLayout::kNoteLength), record.Note, texts);
    return true;
}

} // namespace

bool SkipTrip(MFile& file) {
    // The fields between the destination and the note's length.
    constexpr std::size_t kMiddle = TripLayout::kNoteLength - TripLayout::kStartOdometer;
    const char* bytes = file.PeekInPlace(TripLayout::kDestination);
    if (bytes == nullptr)
        return false;
    const std::uint32_t destination = WordAt(bytes, TripLayout::kDestinationLength);
    if (destination > sizeof(TripRecord::Destination.bytes))
        return false;
    const std::size_t noteLength = TripLayout::kDestination + destination + kMiddle;
    bytes = file.PeekInPlace(noteLength + 4);
    if (bytes == nullptr)
        return false;
    const std::uint32_t note = WordAt(bytes, noteLength);
    if (static_cast<std::uint64_t>(note) + 1 > kNoteCapacity)
        return false;
    return file.ReadInPlace(noteLength + 4 + note) != nullptr;
}

namespace {

// What is written of a note: up to its first NUL, as a string is written,
// and no longer than a reader accepts (a longer note would make the whole
// file unreadable).
std::string_view WrittenNote(const NoteString& note) {
    const std::string_view text = note.View().substr(0, kNoteCapacity - 1);
    return text.substr(0, text.find('\0'));
}

void WriteNote(MFile& file, const NoteString& note) {
    WriteString(file, WrittenNote(note));
}

} // namespace

std::uint16_t ServiceTypeRecord::IntervalDays() const {
    int days = 0;
    switch (static_cast<::TimeUnit>(TimeUnit)) {
    case ::TimeUnit::Days:
        days = TimeCount;
        break;
    case ::TimeUnit::Weeks:
        days = TimeCount * 7;
        break;
    case ::TimeUnit::Months:
        days = TimeCount * 30;
        break;
    case ::TimeUnit::Years:
        days = TimeCount * 365;
        break;
    case ::TimeUnit::None:
        break;
    }
    return static_cast<std::uint16_t>(days);
}

void ReadRecord(MFile& file, VehicleRecord& record, TextArena&) {
    ReadHeader(file, record);
    ReadText(file, record.Name);
    ReadText(file, record.License);
    ReadText(file, record.Vin);
    ReadText(file, record.Insurance);
    ReadSigned(file, record.Odometer);
    ReadU32(file, record.VehicleId);
}

void WriteRecord(MFile& file, const VehicleRecord& record) {
    WriteHeader(file, record);
    WriteText(file, record.Name);
    WriteText(file, record.License);
    WriteText(file, record.Vin);
    WriteText(file, record.Insurance);
    WriteSigned(file, record.Odometer);
    WriteU32(file, record.VehicleId);
}

void ReadRecord(MFile& file, ServiceTypeRecord& record, TextArena&) {
    ReadHeader(file, record);
    ReadText(file, record.Name);
    ReadSigned(file, record.DistanceInterval);
    ReadU8(file, record.TimeUnit);
    ReadU8(file, record.TimeCount);
    if (record.TimeUnit > static_cast<std::uint8_t>(TimeUnit::Years))
        throw MExceptFileBadFormat();
    ReadU32(file, record.ServiceTypeId);
}

void WriteRecord(MFile& file, const ServiceTypeRecord& record) {
    WriteHeader(file, record);
    WriteText(file, record.Name);
    WriteSigned(file, record.DistanceInterval);
    WriteU8(file, record.TimeUnit);
    WriteU8(file, record.TimeCount);
    WriteU32(file, record.ServiceTypeId);
}

void ReadRecord(MFile& file, ServiceRecord& record, TextArena& texts) {
    ReadHeader(file, record);
    ReadSigned(file, record.Odometer);
    record.Date.Read(file);
    ReadU16(file, record.ServiceFlags);
    ReadU32(file, record.ServiceTypeId);
    ReadU32(file, record.VehicleId);
    ReadNote(file, record.Note, texts);
}

void WriteRecord(MFile& file, const ServiceRecord& record) {
    WriteHeader(file, record);
    WriteSigned(file, record.Odometer);
    record.Date.Write(file);
    WriteU16(file, record.ServiceFlags);
    WriteU32(file, record.ServiceTypeId);
    WriteU32(file, record.VehicleId);
    WriteNote(file, record.Note);
}

void ReadRecord(MFile& file, TripRecord& record, TextArena& texts) {
    if (ReadTripInPlace(file, record, texts))
        return;
    ReadHeader(file, record);
    ReadText(file, record.Destination);
    ReadSigned(file, record.StartOdometer);
    ReadSigned(file, record.EndOdometer);
    record.Start.Read(file);
    record.End.Read(file);
    ReadU32(file, record.VehicleId);
    ReadNote(file, record.Note, texts);
}

void WriteRecord(MFile& file, const TripRecord& record) {
    WriteHeader(file, record);
    WriteText(file, record.Destination);
    WriteSigned(file, record.StartOdometer);
    WriteSigned(file, record.EndOdometer);
    record.Start.Write(file);
    record.End.Write(file);
    WriteU32(file, record.VehicleId);
    WriteNote(file, record.Note);
}

std::size_t StoredSize(const TripRecord& record) {
    return TripLayout::kSize + WrittenNote(record.Note).size();
}

void ReadRecord(MFile& file, ExpenseRecord& record, TextArena& texts) {
    ReadHeader(file, record);
    ReadText(file, record.Vendor);
    ReadText(file, record.Description);
    ReadText(file, record.ExtraText);
    ReadSigned(file, record.Cost);
    record.Date.Read(file);
    ReadSigned(file, record.Odometer);
    ReadU16(file, record.ExpenseFlags);
    ReadSigned(file, record.Volume);
    ReadU32(file, record.VehicleId);
    ReadNote(file, record.Note, texts);
}

void WriteRecord(MFile& file, const ExpenseRecord& record) {
    WriteHeader(file, record);
    WriteText(file, record.Vendor);
    WriteText(file, record.Description);
    WriteText(file, record.ExtraText);
    WriteSigned(file, record.Cost);
    record.Date.Write(file);
    WriteSigned(file, record.Odometer);
    WriteU16(file, record.ExpenseFlags);
    WriteSigned(file, record.Volume);
    WriteU32(file, record.VehicleId);
    WriteNote(file, record.Note);
}
