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

template <typename Store, typename Record, typename Patch>
std::size_t AddAll(Store& store, std::deque<Record>& records, Patch patch) {
    const std::size_t added = records.size();
    while (!records.empty()) {
        Record& record = records.front();
        patch(record);
        record.Uid = 0;
        record.MarkModified();
        store.Append(std::move(record));
        records.pop_front();
    }
    records.shrink_to_fit();
    return added;
}

} // namespace

std::size_t ApplyImport(TvDocument& document, ImportCheck&& check) {
    if (check.stopped || check.Accepted() == 0)
        return 0;
    std::vector<std::uint32_t> vehicles;
    if (!check.trips.empty() || !check.expenses.empty() || !check.services.empty())
        vehicles = ResolveVehicles(document, check.vehicleSlots);
    std::size_t added = 0;
    if (!check.trips.empty()) {
        const std::vector<std::uint32_t> categories =
            ResolveCategories(document.Trips().Categories, check.categorySlots);
        added += AddAll(document.Trips(), check.trips, [&](TripRecord& trip) {
            trip.VehicleId = vehicles[trip.VehicleId];
            trip.Category = categories[trip.Category];
        });
    }
    if (!check.expenses.empty()) {
        const std::vector<std::uint32_t> categories =
            ResolveCategories(document.Expenses().Categories, check.categorySlots);
        added += AddAll(document.Expenses(), check.expenses, [&](ExpenseRecord& expense) {
            expense.VehicleId = vehicles[expense.VehicleId];
            expense.Category = categories[expense.Category];
        });
    }
    if (!check.services.empty()) {
        const std::vector<std::uint32_t> types =
            ResolveServiceTypes(document, check.serviceTypeSlots);
        added += AddAll(document.Services(), check.services, [&](ServiceRecord& entry) {
            entry.VehicleId = vehicles[entry.VehicleId];
            entry.ServiceTypeId = types[entry.ServiceTypeId];
        });
    }
    if (!check.vehicles.empty()) {
        VehicleStore& store = document.Vehicles();
        added += AddAll(store, check.vehicles,
                        [&store](VehicleRecord& vehicle) { vehicle.VehicleId = store.NewId(); });
    }
    document.SetModifiedFlag(true);
    return added;
}
