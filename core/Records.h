#pragma once

#include "FixedText.h"
#include "MTime.h"
#include "NoteString.h"

#include <cstddef>
#include <cstdint>
#include <string>

class MFile;
class TextArena;

namespace RecordFlags {
constexpr std::uint32_t Deleted = 1;  // bit 0: deleted on the desktop or the handheld
constexpr std::uint32_t Modified = 4; // bit 2: changed on the desktop
} // namespace RecordFlags

// Longest note a record can hold: the file's string capacity is 256 with its NUL.
constexpr std::uint32_t kNoteCapacity = 256;

// Every member of a record but its Note is trivially destructible: while no
// note owns its text, a store lets go of its records without destroying each
// (TypedStore::ClearRecords). A member that frees memory breaks that.
//
// The header that every record and category entry starts with.
// Each record kind names kMinStoredSize: the fewest bytes its file form can
// take (every text empty), which bounds how many records a file can hold.
struct RecordHeader {
    std::uint32_t Uid = 0;      // handheld identifier; 0 for a record made on the desktop
    std::uint32_t Category = 0; // index into the store's category list; 0 is "Unfiled"
    std::uint32_t Flags = 0;

    bool IsDeleted() const { return (Flags & RecordFlags::Deleted) != 0; }
    void MarkDeleted() { Flags |= RecordFlags::Deleted; }
    void MarkModified() { Flags |= RecordFlags::Modified; }
};

// The highest odometer reading (and trip distance) the desktop accepts.
constexpr std::int32_t kMaxOdometer = 9999999;

struct VehicleRecord : RecordHeader {
    static constexpr std::size_t kMinStoredSize = 36;
    FixedText<16> Name;
    FixedText<16> License;
    FixedText<20> Vin;
    FixedText<64> Insurance;
    std::int32_t Odometer = 0;
    std::uint32_t VehicleId = 0;
};

// Time schedule units of a service type.
enum class TimeUnit : std::uint8_t { None = 0, Days = 1, Weeks = 2, Months = 3, Years = 4 };

struct ServiceTypeRecord : RecordHeader {
    static constexpr std::size_t kMinStoredSize = 26;
    FixedText<20> Name;
    std::int32_t DistanceInterval = 0; // 0: no distance schedule
    std::uint8_t TimeUnit = 0;         // a ::TimeUnit value, 0-4
    std::uint8_t TimeCount = 0;
    std::uint32_t ServiceTypeId = 0;

    // The time schedule in days, as a 16-bit number (months count 30 days,
    // years 365).
    std::uint16_t IntervalDays() const;
};

namespace ServiceFlagBits {
constexpr std::uint16_t Completed = 1;
}

struct ServiceRecord : RecordHeader {
    explicit ServiceRecord(const MTime& now) : Date(now) {}

    static constexpr std::size_t kMinStoredSize = 42;
    std::int32_t Odometer = 0;
    MTime Date;
    std::uint16_t ServiceFlags = 0;
    std::uint32_t VehicleId = 0;
    std::uint32_t ServiceTypeId = 0;
    NoteString Note;

    bool IsCompleted() const { return (ServiceFlags & ServiceFlagBits::Completed) != 0; }
};

struct TripRecord : RecordHeader {
    explicit TripRecord(const MTime& now) : Start(now), End(now) {}

    static constexpr std::size_t kMinStoredSize = 56;
    FixedText<32> Destination;
    std::int32_t StartOdometer = 0;
    std::int32_t EndOdometer = 0;
    MTime Start;
    MTime End;
    std::uint32_t VehicleId = 0;
    NoteString Note;
};

namespace ExpenseFlagBits {
constexpr std::uint16_t FuelPurchase = 1;
}

struct ExpenseRecord : RecordHeader {
    explicit ExpenseRecord(const MTime& now) : Date(now) {}

    static constexpr std::size_t kMinStoredSize = 58;
    FixedText<32> Vendor;
    FixedText<32> Description;
    FixedText<16> ExtraText; // carried, never shown or edited
    std::int32_t Cost = 0;   // thousandths of the currency unit
    MTime Date;
    std::int32_t Odometer = 0;
    std::uint16_t ExpenseFlags = 0;
    std::int32_t Volume = 0; // thousandths of a gallon or litre
    std::uint32_t VehicleId = 0;
    NoteString Note;

    bool IsFuelPurchase() const { return (ExpenseFlags & ExpenseFlagBits::FuelPurchase) != 0; }
};

// Field-by-field file forms, header included. Notes read go into texts, the
// store's arena, for the store's records to borrow. The readers raise
// MExceptBufferExceeded for a text that does not fit and MExceptFileBadFormat
// for a service type time unit above 4; a record cut short by the end of the
// file is detected by the store through MFile::MetEndOfFile.
void ReadRecord(MFile& file, VehicleRecord& record, TextArena& texts);
void ReadRecord(MFile& file, ServiceTypeRecord& record, TextArena& texts);
void ReadRecord(MFile& file, ServiceRecord& record, TextArena& texts);
void ReadRecord(MFile& file, TripRecord& record, TextArena& texts);
void ReadRecord(MFile& file, ExpenseRecord& record, TextArena& texts);

// Moves past one trip's file form without building a record: what the trip
// reader would take for it. False, with nothing moved, when it is not all in
// place in the read buffer or mapping, or a length is beyond its capacity.
bool SkipTrip(MFile& file);
// The bytes WriteRecord writes for the trip.
std::size_t StoredSize(const TripRecord& record);

void WriteRecord(MFile& file, const VehicleRecord& record);
void WriteRecord(MFile& file, const ServiceTypeRecord& record);
void WriteRecord(MFile& file, const ServiceRecord& record);
void WriteRecord(MFile& file, const TripRecord& record);
void WriteRecord(MFile& file, const ExpenseRecord& record);
