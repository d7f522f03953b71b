#pragma once

#include "CategoryList.h"
#include "RecordList.h"
#include "Records.h"
#include "TextArena.h"
#include "VehicleReadings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

class MFile;

// Four characters read as a big-endian 32-bit word.
constexpr std::uint32_t MakeTag(const char (&text)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}

// One store block of the data file: the records of one kind with their
// category list and settings words. Records are never removed one by one:
// deleting marks them, and only Clear() lets them go.
class RecordStore {
public:
    static constexpr std::uint32_t kVersion = 0x4D500100;
    static constexpr std::uint32_t kNewIdCounter = 0x80000000;
    // Trip store Settings[0]: set means kilometres, clear means miles.
    static constexpr std::uint32_t kUnitsKilometres = 2;

    explicit RecordStore(std::uint32_t tag) : m_tag(tag) {}
    virtual ~RecordStore() = default;
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    std::uint32_t Tag() const { return m_tag; }
    std::string TagText() const;

    // Destroys every record and category entry; IdCounter, Settings and
    // LastUniqueId keep their values.
    void Clear();
    // One store block. Reading expects a cleared store; a block cut short by
    // the end of the file raises MExceptFileBadFormat.
    void Read(MFile& file);
    void Write(MFile& file) const;

    virtual std::size_t Count() const = 0;
    // Records whose deleted flag is clear.
    virtual std::size_t LiveCount() const = 0;

    // Hands out the next identifier; the vehicle and service type stores skip
    // identifiers already in use.
    virtual std::uint32_t NewId();
    // Moves the records of a category to "Unfiled"; only the trip and expense
    // stores hold records in user categories.
    virtual void MoveCategoryToUnfiled(std::uint32_t index);

    std::uint32_t IdCounter = kNewIdCounter;
    CategoryList Categories;
    std::array<std::uint32_t, 4> Settings{};

protected:
    // Whether a file that ends where this block's tag should be holds an
    // empty block rather than a truncated file.
    virtual bool MayBeMissing() const { return false; }
    virtual void ClearRecords() = 0;
    virtual void ReadOneRecord(MFile& file, const MTime& now) = 0;
    // Mapped pages read are let go of after this many records.
    static constexpr std::uint32_t kRecordsPerRelease = 4096;
    // Reads `count` records one after the other.
    virtual void ReadRecords(MFile& file, std::uint32_t count, const MTime& now);
    // Prepares room for `count` records, or for as many as `bytesLeft` bytes
    // of the file can hold if that is fewer.
    virtual void ReserveRecords(std::uint32_t count, std::uint64_t bytesLeft) = 0;
    virtual void WriteRecords(MFile& file) const = 0;
    // Exchanges IdCounter, the category list and the settings words.
    void SwapBlockWords(RecordStore& other) {
        std::swap(IdCounter, other.IdCounter);
        std::swap(Categories, other.Categories);
        std::swap(Settings, other.Settings);
    }

private:
    void ReadCategories(MFile& file);
    void WriteCategories(MFile& file) const;

    std::uint32_t m_tag;
};

// A store of one record kind. A reference to a record stays valid while
// records are appended, until Clear().
template <typename R> class TypedStore : public RecordStore {
public:
    using RecordType = R;
    using RecordRange = RecordList<R>;

    using RecordStore::RecordStore;

    // An empty record: texts empty, numbers 0, dates now.
    R CreateRecord() const {
        return WithNewRecordArguments(MTime(), [](const auto&... args) { return R(args...); });
    }
    R& Append(R record) {
        m_records.push_back(std::move(record));
        return m_records.back();
    }

    std::size_t Count() const override { return m_records.size(); }
    std::size_t LiveCount() const override {
        std::size_t live = 0;
        for (const R& record : m_records)
            live += record.IsDeleted() ? 0 : 1;
        return live;
    }
    RecordRange& Records() { return m_records; }
    const RecordRange& Records() const { return m_records; }
    // Exchanges everything read from a file with other's: records, their
    // texts, categories, IdCounter and settings words. References to the
    // records follow them into the other store.
    void Swap(TypedStore& other) {
        SwapBlockWords(other);
        m_records.swap(other.m_records);
        m_texts.Swap(other.m_texts);
    }

protected:
    // Calls make with what a new record of this kind is built from: the
    // time `now` for the kinds that carry dates, nothing for the others.
    template <typename Make>
    static decltype(auto) WithNewRecordArguments(const MTime& now, Make make) {
        if constexpr (std::is_constructible_v<R, const MTime&>)
            return make(now);
        else
            return make();
    }
    void ClearRecords() override {
        // A record's only member that frees anything is its note; while no
        // note owns its text, emptying a million records need not visit them.
        if (NoteString::AnyOwned())
            m_records.clear();
        else
            m_records.clearWithoutDestroying();
        m_texts.Release();
    }
    void ReadOneRecord(MFile& file, const MTime& now) override;
    // One record's file form into record, its note into texts; raises what a
    // record out of bounds or cut short by the end of the file raises.
    static void ReadFields(MFile& file, R& record, TextArena& texts);
    void ReserveRecords(std::uint32_t count, std::uint64_t bytesLeft) override {
        m_records.reserve(std::min<std::uint64_t>(count, bytesLeft / R::kMinStoredSize));
    }
    void WriteRecords(MFile& file) const override {
        for (const R& record : m_records)
            WriteRecord(file, record);
    }

    RecordList<R> m_records;
    // The notes read from the file, which the records borrow.
    TextArena m_texts;
};

extern template class TypedStore<VehicleRecord>;
extern template class TypedStore<ServiceTypeRecord>;
extern template class TypedStore<ServiceRecord>;
extern template class TypedStore<TripRecord>;
extern template class TypedStore<ExpenseRecord>;

class VehicleStore : public TypedStore<VehicleRecord> {
public:
    VehicleStore() : TypedStore(MakeTag("Vehi")) {}
    std::uint32_t NewId() override;
    // Deleted vehicles included.
    VehicleRecord* FindVehicle(std::uint32_t vehicleId);
    const VehicleRecord* FindVehicle(std::uint32_t vehicleId) const;
};

class ServiceTypeStore : public TypedStore<ServiceTypeRecord> {
public:
    ServiceTypeStore() : TypedStore(MakeTag("STyp")) {}
    std::uint32_t NewId() override;
    // Deleted service types included.
    ServiceTypeRecord* FindServiceType(std::uint32_t serviceTypeId);
    const ServiceTypeRecord* FindServiceType(std::uint32_t serviceTypeId) const;
};

class ServiceStore : public TypedStore<ServiceRecord> {
public:
    ServiceStore() : TypedStore(MakeTag("Serv")) {}
    // The greatest odometer of the vehicle's completed entries, never below
    // the vehicle's own odometer.
    std::int32_t MaxServiceOdometer(const VehicleRecord& vehicle) const;
    // The greatest odometer of the vehicle's entries of that type, completed
    // or not; 0 when there are none.
    std::int32_t LastServiceOdometer(const VehicleRecord& vehicle,
                                     const ServiceTypeRecord& type) const;
    // The latest entry of that vehicle and type dated before now; the first
    // one in store order when none is later. Raises MExceptTimeOutOfRange
    // for a date that cannot be compared.
    const ServiceRecord* LatestService(const VehicleRecord& vehicle, const ServiceTypeRecord& type,
                                       const MTime& now) const;
    void MarkVehicleDeleted(const VehicleRecord& vehicle);
    void MarkServiceTypeDeleted(const ServiceTypeRecord& type);
};

class TripStore : public TypedStore<TripRecord> {
public:
    TripStore() : TypedStore(MakeTag("Trip")) {}
    bool UsesKilometres() const { return (Settings[0] & kUnitsKilometres) != 0; }
    // The greatest end odometer of the vehicle's trips, never below the
    // vehicle's own odometer.
    std::int32_t MaxTripOdometer(const VehicleRecord& vehicle) const;
    void MarkVehicleDeleted(const VehicleRecord& vehicle);
    void MoveCategoryToUnfiled(std::uint32_t index) override;

    // The next Read also raises each of these vehicles' readings to the
    // greatest end odometer of its live trips, while their bytes are at
    // hand: a pass over a million trips afterwards costs more than that.
    void GatherReadingsOf(const RecordList<VehicleRecord>& vehicles) {
        m_readingsAsRead = VehicleReadings(vehicles);
        m_gathering = true;
    }
    // What the last Read gathered, handed over once; none when nothing was
    // asked for or the store was emptied since.
    std::optional<VehicleReadings> TakeReadingsAsRead();
    void Swap(TripStore& other) {
        TypedStore::Swap(other);
        std::swap(m_readingsAsRead, other.m_readingsAsRead);
        std::swap(m_gathering, other.m_gathering);
    }

protected:
    void ClearRecords() override;
    void ReadOneRecord(MFile& file, const MTime& now) override;
    // A large store is read (from a mapped file) and written on two threads
    // (TripStoreOnTwoThreads.cpp).
    void ReadRecords(MFile& file, std::uint32_t count, const MTime& now) override;
    void WriteRecords(MFile& file) const override;

private:
    void Gather(const TripRecord& trip, VehicleReadings& readings) const {
        if (m_gathering)
            readings.RaiseBy(trip);
    }

    VehicleReadings m_readingsAsRead;
    bool m_gathering = false;
};

class ExpenseStore : public TypedStore<ExpenseRecord> {
public:
    ExpenseStore() : TypedStore(MakeTag("Exps")) {}
    // Among the vehicle's fuel purchases other than except, deleted ones
    // included, the one with the greatest odometer below the given reading
    // and above 0; the first in store order on equal readings.
    const ExpenseRecord* PreviousFillUp(const VehicleRecord& vehicle, std::int32_t odometer,
                                        const ExpenseRecord* except) const;
    void MoveCategoryToUnfiled(std::uint32_t index) override;

protected:
    // A file may end after the trip block: the expense block is then empty.
    bool MayBeMissing() const override { return true; }
};
