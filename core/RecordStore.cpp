#include "RecordStore.h"

#include "MExcept.h"
#include "MFile.h"

#include <unordered_set>

namespace {

constexpr std::uint32_t ByteReversed(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

// Every field of a block must be there in full: a file that ends inside one
// is malformed, and nothing after that point may be trusted.
void RequireComplete(const MFile& file) {
    if (file.MetEndOfFile())
        throw MExceptFileBadFormat();
}

void ReadWord(MFile& file, std::uint32_t& value) {
    ReadU32(file, value);
    RequireComplete(file);
}

// A text length cut short by the end of the file is a truncated file, not a
// text too long for its buffer.
template <typename Read> void ReadGuarded(MFile& file, Read&& read) {
    try {
        read();
    } catch (const MExceptBufferExceeded&) {
        RequireComplete(file);
        throw;
    }
    RequireComplete(file);
}

template <typename Record> bool SameCategory(const Record& record, std::uint32_t index) {
    return static_cast<std::uint16_t>(record.Category) == static_cast<std::uint16_t>(index);
}

template <typename Store> void MoveRecordsToUnfiled(Store& store, std::uint32_t index) {
    for (auto& record : store.Records()) {
        if (SameCategory(record, index)) {
            record.Category = 0;
            record.MarkModified();
        }
    }
}

template <typename Records, typename IdOf>
std::uint32_t NextUnusedId(std::uint32_t& counter, const Records& records, IdOf idOf) {
    if (counter < RecordStore::kNewIdCounter)
        counter = RecordStore::kNewIdCounter + 1;
    std::unordered_set<std::uint32_t> used;
    for (const auto& record : records)
        used.insert(idOf(record));
    do {
        ++counter;
    } while (used.count(counter) != 0);
    return counter;
}

} // namespace

std::string RecordStore::TagText() const {
    return {static_cast<char>(m_tag >> 24), static_cast<char>(m_tag >> 16),
            static_cast<char>(m_tag >> 8), static_cast<char>(m_tag)};
}

void RecordStore::Clear() {
    ClearRecords();
    Categories.Clear();
}

std::uint32_t RecordStore::NewId() {
    return ++IdCounter;
}

void RecordStore::MoveCategoryToUnfiled(std::uint32_t) {}

void RecordStore::Read(MFile& file) {
    std::uint32_t tag = 0;
    if (!ReadU32(file, tag)) {
        if (!MayBeMissing())
            throw MExceptFileBadFormat();
        // An absent block reads as an empty one, whose list still has "Unfiled".
        Categories.Add(MakeUnfiledEntry());
        return;
    }
    RequireComplete(file);
    if (tag != m_tag && tag != ByteReversed(m_tag))
        throw MExceptFileBadFormat();

    std::uint32_t version = 0;
    ReadWord(file, version);
    if (version != kVersion && version != ByteReversed(kVersion))
        throw MExceptFileBadFormat();

    ReadWord(file, IdCounter);
    ReadCategories(file);
    for (std::uint32_t& word : Settings)
        ReadWord(file, word);

    std::uint32_t count = 0;
    if (!ReadU32(file, count))
        return; // no record count at all: a store without records
    RequireComplete(file);

    // Each record is checked as it arrives, so a count larger than the file
    // can hold ends at the first missing record instead of driving the loop;
    // the room prepared beforehand is bounded by the bytes left as well.
    const std::uint64_t size = file.Size();
    const std::uint64_t position = file.Tell();
    ReserveRecords(count, size > position ? size - position : 0);
    ReadRecords(file, count, MTime());
}

void RecordStore::ReadRecords(MFile& file, std::uint32_t count, const MTime& now) {
    for (std::uint32_t i = 0; i < count; ++i) {
        ReadOneRecord(file, now);
        if (i % kRecordsPerRelease == kRecordsPerRelease - 1)
            file.ReleaseReadPages();
    }
}

void RecordStore::ReadCategories(MFile& file) {
    Categories.Add(MakeUnfiledEntry());

    ReadWord(file, Categories.LastUniqueId);
    std::uint32_t count = 0;
    ReadWord(file, count);
    // A list has one entry per index 0-15; more cannot come from a handheld.
    if (count > static_cast<std::uint32_t>(CategoryList::kMaxEntries))
        throw MExceptFileBadFormat();
    for (std::uint32_t i = 0; i < count; ++i) {
        CategoryEntry entry;
        ReadGuarded(file, [&] {
            ReadU32(file, entry.Category);
            ReadU32(file, entry.Uid);
            ReadU32(file, entry.Flags);
            ReadString(file, entry.Name, kCategoryNameCapacity);
        });
        Categories.Add(std::move(entry));
    }
}

void RecordStore::Write(MFile& file) const {
    WriteU32(file, m_tag);
    WriteU32(file, kVersion);
    WriteU32(file, IdCounter);
    WriteCategories(file);
    for (std::uint32_t word : Settings)
        WriteU32(file, word);
    WriteU32(file, static_cast<std::uint32_t>(Count()));
    WriteRecords(file);
}

void RecordStore::WriteCategories(MFile& file) const {
    WriteU32(file, Categories.LastUniqueId);
    std::uint32_t written = 0;
    for (const CategoryEntry& entry : Categories.Items())
        if (entry.Category != 0)
            ++written;
    WriteU32(file, written);
    for (const CategoryEntry& entry : Categories.Items()) {
        if (entry.Category == 0)
            continue;
        WriteU32(file, entry.Category);
        WriteU32(file, entry.Uid);
        WriteU32(file, entry.Flags);
        // Cut to what a reader accepts, like a note.
        WriteString(file, std::string_view(entry.Name).substr(0, kCategoryNameCapacity - 1));
    }
}

template <typename R> void TypedStore<R>::ReadOneRecord(MFile& file, const MTime& now) {
    // Read in place; a record that cannot be read in full is dropped again.
    R& record = WithNewRecordArguments(
        now, [this](const auto&... args) -> R& { return m_records.emplace_back(args...); });
    try {
        ReadFields(file, record, m_texts);
    } catch (...) {
        m_records.pop_back();
        throw;
    }
}

template <typename R> void TypedStore<R>::ReadFields(MFile& file, R& record, TextArena& texts) {
    ReadGuarded(file, [&] { ReadRecord(file, record, texts); });
}

template class TypedStore<VehicleRecord>;
template class TypedStore<ServiceTypeRecord>;
template class TypedStore<ServiceRecord>;
template class TypedStore<TripRecord>;
template class TypedStore<ExpenseRecord>;

std::uint32_t VehicleStore::NewId() {
    return NextUnusedId(IdCounter, m_records, [](const VehicleRecord& v) { return v.VehicleId; });
}

VehicleRecord* VehicleStore::FindVehicle(std::uint32_t vehicleId) {
    for (VehicleRecord& vehicle : m_records)
        if (vehicle.VehicleId == vehicleId)
            return &vehicle;
    return nullptr;
}

const VehicleRecord* VehicleStore::FindVehicle(std::uint32_t vehicleId) const {
    return const_cast<VehicleStore*>(this)->FindVehicle(vehicleId);
}

std::uint32_t ServiceTypeStore::NewId() {
    return NextUnusedId(IdCounter, m_records,
                        [](const ServiceTypeRecord& t) { return t.ServiceTypeId; });
}

ServiceTypeRecord* ServiceTypeStore::FindServiceType(std::uint32_t serviceTypeId) {
    for (ServiceTypeRecord& type : m_records)
        if (type.ServiceTypeId == serviceTypeId)
            return &type;
    return nullptr;
}

const ServiceTypeRecord* ServiceTypeStore::FindServiceType(std::uint32_t serviceTypeId) const {
    return const_cast<ServiceTypeStore*>(this)->FindServiceType(serviceTypeId);
}

std::int32_t ServiceStore::MaxServiceOdometer(const VehicleRecord& vehicle) const {
    std::int32_t greatest = vehicle.Odometer;
    for (const ServiceRecord& entry : m_records)
        if (!entry.IsDeleted() && entry.IsCompleted() && entry.VehicleId == vehicle.VehicleId &&
            entry.Odometer > greatest)
            greatest = entry.Odometer;
    return greatest;
}

std::int32_t ServiceStore::LastServiceOdometer(const VehicleRecord& vehicle,
                                               const ServiceTypeRecord& type) const {
    bool found = false;
    std::int32_t greatest = 0;
    for (const ServiceRecord& entry : m_records) {
        if (entry.IsDeleted() || entry.VehicleId != vehicle.VehicleId ||
            entry.ServiceTypeId != type.ServiceTypeId)
            continue;
        if (!found || entry.Odometer > greatest)
            greatest = entry.Odometer;
        found = true;
    }
    return greatest;
}

const ServiceRecord* ServiceStore::LatestService(const VehicleRecord& vehicle,
                                                 const ServiceTypeRecord& type,
                                                 const MTime& now) const {
    const ServiceRecord* candidate = nullptr;
    for (const ServiceRecord& entry : m_records) {
        if (entry.IsDeleted() || entry.VehicleId != vehicle.VehicleId ||
            entry.ServiceTypeId != type.ServiceTypeId)
            continue;
        if (candidate == nullptr || (entry.Date > candidate->Date && entry.Date < now))
            candidate = &entry;
    }
    return candidate;
}

void ServiceStore::MarkVehicleDeleted(const VehicleRecord& vehicle) {
    for (ServiceRecord& entry : m_records)
        if (entry.VehicleId == vehicle.VehicleId)
            entry.MarkDeleted();
}

void ServiceStore::MarkServiceTypeDeleted(const ServiceTypeRecord& type) {
    for (ServiceRecord& entry : m_records)
        if (entry.ServiceTypeId == type.ServiceTypeId)
            entry.MarkDeleted();
}

std::int32_t TripStore::MaxTripOdometer(const VehicleRecord& vehicle) const {
    std::int32_t greatest = vehicle.Odometer;
    for (const TripRecord& trip : m_records)
        if (!trip.IsDeleted() && trip.VehicleId == vehicle.VehicleId && trip.EndOdometer > greatest)
            greatest = trip.EndOdometer;
    return greatest;
}

void TripStore::MarkVehicleDeleted(const VehicleRecord& vehicle) {
    for (TripRecord& trip : m_records)
        if (trip.VehicleId == vehicle.VehicleId)
            trip.MarkDeleted();
}

void TripStore::MoveCategoryToUnfiled(std::uint32_t index) {
    MoveRecordsToUnfiled(*this, index);
}

std::optional<VehicleReadings> TripStore::TakeReadingsAsRead() {
    if (!m_gathering)
        return std::nullopt;
    m_gathering = false;
    return std::move(m_readingsAsRead);
}

void TripStore::ClearRecords() {
    TypedStore::ClearRecords();
    m_gathering = false;
}

void TripStore::ReadOneRecord(MFile& file, const MTime& now) {
    TypedStore::ReadOneRecord(file, now);
    Gather(m_records.back(), m_readingsAsRead);
}

const ExpenseRecord* ExpenseStore::PreviousFillUp(const VehicleRecord& vehicle,
                                                  std::int32_t odometer,
                                                  const ExpenseRecord* except) const {
    const ExpenseRecord* best = nullptr;
    for (const ExpenseRecord& expense : m_records) {
        if (&expense == except || !expense.IsFuelPurchase() ||
            expense.VehicleId != vehicle.VehicleId)
            continue;
        if (expense.Odometer >= odometer || expense.Odometer <= 0)
            continue;
        if (best == nullptr || expense.Odometer > best->Odometer)
            best = &expense;
    }
    return best;
}

void ExpenseStore::MoveCategoryToUnfiled(std::uint32_t index) {
    MoveRecordsToUnfiled(*this, index);
}
