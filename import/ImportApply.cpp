#include "ImportSession.h"

#include "CategoryEditing.h"
#include "TvDocument.h"

namespace {

// The data file's identifier of each slot, creating what the slots lack.
template <typename Store, typename Create>
std::vector<std::uint32_t> Resolve(Store& store, const std::vector<NameSlot>& slots,
                                   Create create) {
    std::vector<std::uint32_t> ids;
    ids.reserve(slots.size());
    for (const NameSlot& slot : slots) {
        if (slot.id) {
            ids.push_back(*slot.id);
            continue;
        }
        auto record = store.CreateRecord();
        ids.push_back(create(record, slot.name));
        record.MarkModified();
        store.Append(std::move(record));
    }
    return ids;
}

std::vector<std::uint32_t> ResolveVehicles(TvDocument& document,
                                           const std::vector<NameSlot>& slots) {
    VehicleStore& store = document.Vehicles();
    return Resolve(store, slots, [&store](VehicleRecord& vehicle, std::string_view name) {
        vehicle.Name.Set(name);
        vehicle.VehicleId = store.NewId();
        return vehicle.VehicleId;
    });
}

std::vector<std::uint32_t> ResolveServiceTypes(TvDocument& document,
                                               const std::vector<NameSlot>& slots) {
    ServiceTypeStore& store = document.ServiceTypes();
    return Resolve(store, slots, [&store](ServiceTypeRecord& type, std::string_view name) {
        type.Name.Set(name);
        type.ServiceTypeId = store.NewId();
        return type.ServiceTypeId;
    });
}

// New categories at the lowest free index, as the category editor adds them;
// a name that no longer fits goes to Unfiled.
std::vector<std::uint32_t> ResolveCategories(CategoryList& list,
                                             const std::vector<NameSlot>& slots) {
    std::vector<std::uint32_t> ids;
    ids.reserve(slots.size());
    for (const NameSlot& slot : slots) {
        if (slot.id) {
            ids.push_back(*slot.id);
            continue;
        }
        const AddCategoryOutcome added = AddCategory(list, slot.name);
        ids.push_back(added.Entry != nullptr ? added.Entry->Index() : 0);
    }
    return ids;
}

// Tells the progress every so many records; false once it said stop.
class ApplyProgress {
public:
    ApplyProgress(ImportProgress* progress, std::uint64_t total)
        : m_progress(progress), m_total(total) {}

    bool Step() {
        ++m_done;
        if (m_progress == nullptr || m_done % kStep != 0)
            return true;
        return m_progress->Continue(m_done, m_total);
    }

private:
    static constexpr std::uint64_t kStep = 4096;
    ImportProgress* m_progress;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
};

// Moves the records into the store; false when the progress stopped it.
template <typename Store, typename Record, typename Patch>
bool AddAll(Store& store, ReleasingQueue<Record>& records, ApplyProgress& progress, Patch patch) {
    while (!records.empty()) {
        Record& record = records.front();
        patch(record);
        record.Uid = 0;
        record.MarkModified();
        store.Append(std::move(record));
        records.pop_front();
        if (!progress.Step())
            return false;
    }
    records.shrink_to_fit();
    return true;
}

template <typename Store> ImportMark::Store MarkOf(const Store& store) {
    return {store.Count(), store.IdCounter};
}

template <typename Store> void TakeBack(Store& store, const ImportMark::Store& mark) {
    while (store.Count() > mark.count)
        store.Records().pop_back();
    store.IdCounter = mark.idCounter;
}

} // namespace

ImportMark::ImportMark(const TvDocument& document)
    : vehicles(MarkOf(document.Vehicles())), serviceTypes(MarkOf(document.ServiceTypes())),
      services(MarkOf(document.Services())), trips(MarkOf(document.Trips())),
      expenses(MarkOf(document.Expenses())), tripCategories(document.Trips().Categories),
      expenseCategories(document.Expenses().Categories) {}

void TakeBackImport(TvDocument& document, const ImportMark& mark) {
    TakeBack(document.Trips(), mark.trips);
    TakeBack(document.Expenses(), mark.expenses);
    TakeBack(document.Services(), mark.services);
    TakeBack(document.ServiceTypes(), mark.serviceTypes);
    VehicleStore& vehicles = document.Vehicles();
    for (std::size_t i = mark.vehicles.count; i < vehicles.Count(); ++i)
        if (document.SelectedVehicle == &vehicles.Records()[i])
            document.SelectedVehicle = nullptr;
    TakeBack(vehicles, mark.vehicles);
    document.Trips().Categories = mark.tripCategories;
    document.Expenses().Categories = mark.expenseCategories;
}

std::size_t ApplyImport(TvDocument& document, ImportCheck&& check, ImportProgress* progress) {
    if (check.stopped || check.Accepted() == 0)
        return 0;
    const std::size_t accepted = check.Accepted();
    ApplyProgress steps(progress, accepted);
    std::vector<std::uint32_t> vehicles;
    if (!check.trips.empty() || !check.expenses.empty() || !check.services.empty())
        vehicles = ResolveVehicles(document, check.vehicleSlots);
    bool complete = true;
    if (!check.trips.empty()) {
        const std::vector<std::uint32_t> categories =
            ResolveCategories(document.Trips().Categories, check.categorySlots);
        complete = AddAll(document.Trips(), check.trips, steps, [&](TripRecord& trip) {
            trip.VehicleId = vehicles[trip.VehicleId];
            trip.Category = categories[trip.Category];
        });
    }
    if (complete && !check.expenses.empty()) {
        const std::vector<std::uint32_t> categories =
            ResolveCategories(document.Expenses().Categories, check.categorySlots);
        complete = AddAll(document.Expenses(), check.expenses, steps, [&](ExpenseRecord& expense) {
            expense.VehicleId = vehicles[expense.VehicleId];
            expense.Category = categories[expense.Category];
        });
    }
    if (complete && !check.services.empty()) {
        const std::vector<std::uint32_t> types =
            ResolveServiceTypes(document, check.serviceTypeSlots);
        complete = AddAll(document.Services(), check.services, steps, [&](ServiceRecord& entry) {
            entry.VehicleId = vehicles[entry.VehicleId];
            entry.ServiceTypeId = types[entry.ServiceTypeId];
        });
    }
    if (complete && !check.vehicles.empty()) {
        VehicleStore& store = document.Vehicles();
        complete = AddAll(store, check.vehicles, steps,
                          [&store](VehicleRecord& vehicle) { vehicle.VehicleId = store.NewId(); });
    }
    if (!complete) {
        check.stopped = true;
        return 0;
    }
    return accepted;
}
