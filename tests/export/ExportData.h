#pragma once

#include "ByteSink.h"
#include "TvDocument.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

// A document of the tests' own: two vehicles, trip and expense categories
// (one holding a comma), two service types, and helpers that add records.
// The filter starts on the van, every category and every date. Document is
// TvDocument or the desktop program's document.
template <typename Document> class ExportDocumentOf {
public:
    static constexpr std::uint32_t kVanId = 11;
    static constexpr std::uint32_t kBusId = 12;
    static constexpr std::uint32_t kOilId = 21;        // every 3 months or 3000 miles
    static constexpr std::uint32_t kTiresId = 22;      // every 20000 miles, no time schedule
    static constexpr std::uint32_t kWork = 1;          // trip and expense category "Work"
    static constexpr std::uint32_t kCommaCategory = 2; // trip category "Home, Away"

    static MTime At(int year, int month, int day, int hour = 0, int minute = 0) {
        return MTime(year, month, day, hour, minute, 0, -1);
    }

    ExportDocumentOf() { Fill(); }

    // Starts the data set afresh in an emptied document.
    void Fill() {
        doc.InitNewDocument();
        van = &AddVehicle("Van", kVanId);
        bus = &AddVehicle("Bus", kBusId);
        AddCategory(doc.Trips().Categories, "Work", kWork);
        AddCategory(doc.Trips().Categories, "Home, Away", kCommaCategory);
        AddCategory(doc.Expenses().Categories, "Work", kWork);
        AddServiceType("Oil", kOilId, 3000, TimeUnit::Months, 3);
        AddServiceType("Tires", kTiresId, 20000, TimeUnit::None, 0);
        doc.SelectedVehicle = van;
        doc.TripLogFilter = &doc.AllCategoriesEntry;
        doc.ExpenseLogFilter = &doc.AllCategoriesEntry;
        doc.DisplayAllDates = 1;
    }

    VehicleRecord& AddVehicle(const char* name, std::uint32_t id) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        return doc.Vehicles().Append(vehicle);
    }

    static CategoryEntry& AddCategory(CategoryList& list, const char* name, std::uint32_t index) {
        CategoryEntry entry;
        entry.Name = name;
        entry.Category = index;
        return list.Add(entry);
    }

    ServiceTypeRecord& AddServiceType(const char* name, std::uint32_t id, std::int32_t distance,
                                      TimeUnit unit, std::uint8_t count) {
        ServiceTypeRecord type;
        type.Name.Set(name);
        type.ServiceTypeId = id;
        type.DistanceInterval = distance;
        type.TimeUnit = static_cast<std::uint8_t>(unit);
        type.TimeCount = count;
        return doc.ServiceTypes().Append(type);
    }

    TripRecord& AddTrip(const MTime& start, const MTime& end, std::int32_t from, std::int32_t to,
                        const std::string& destination = "Depot", const std::string& note = "",
                        std::uint32_t category = 0, std::uint32_t vehicle = kVanId) {
        TripRecord trip(start);
        trip.End = end;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Destination.Set(destination);
        trip.Note = note;
        trip.Category = category;
        trip.VehicleId = vehicle;
        return doc.Trips().Append(std::move(trip));
    }

    ServiceRecord& AddService(const MTime& date, std::int32_t odometer, std::uint32_t type,
                              bool completed, const std::string& note = "",
                              std::uint32_t vehicle = kVanId) {
        ServiceRecord entry(date);
        entry.Odometer = odometer;
        entry.ServiceTypeId = type;
        entry.ServiceFlags = completed ? ServiceFlagBits::Completed : 0;
        entry.Note = note;
        entry.VehicleId = vehicle;
        return doc.Services().Append(std::move(entry));
    }

    ExpenseRecord& AddExpense(const MTime& date, const std::string& vendor,
                              const std::string& description, std::int32_t odometer,
                              std::int32_t cost, std::int32_t volume, std::uint32_t category = 0,
                              const std::string& note = "", std::uint32_t vehicle = kVanId) {
        ExpenseRecord expense(date);
        expense.Vendor.Set(vendor);
        expense.Description.Set(description);
        expense.Odometer = odometer;
        expense.Cost = cost;
        expense.Volume = volume;
        expense.Category = category;
        expense.Note = note;
        expense.VehicleId = vehicle;
        return doc.Expenses().Append(std::move(expense));
    }

    void SetMetric(bool metric) {
        if (metric)
            doc.Trips().Settings[0] |= RecordStore::kUnitsKilometres;
        else
            doc.Trips().Settings[0] &= ~RecordStore::kUnitsKilometres;
    }

    Document doc;
    VehicleRecord* van = nullptr;
    VehicleRecord* bus = nullptr;
};

using ExportDocument = ExportDocumentOf<TvDocument>;

inline std::string SinkText(const MemorySink& sink) {
    return {sink.Bytes().begin(), sink.Bytes().end()};
}

// A fresh folder per test, removed afterwards (made writable first).
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tvexport-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        ::chmod(m_path.c_str(), 0700);
        std::filesystem::remove_all(m_path);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // How many entries the folder holds.
    std::size_t Count() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                      std::filesystem::directory_iterator()));
    }

private:
    std::string m_path;
};

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
