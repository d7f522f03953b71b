#pragma once

#include "LogColumn.h"
#include "RecordStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the vehicle list shows and the rules of a vehicle's fields, shared by
// the desktop list and dialog and by tvtool, so that all of them agree.

// The longest texts a vehicle holds: its fixed buffers less the terminator.
constexpr std::size_t kMaxVehicleNameLength = decltype(VehicleRecord::Name)::kSize - 1;
constexpr std::size_t kMaxLicenseLength = decltype(VehicleRecord::License)::kSize - 1;
constexpr std::size_t kMaxVinLength = decltype(VehicleRecord::Vin)::kSize - 1;
constexpr std::size_t kMaxInsuranceLength = decltype(VehicleRecord::Insurance)::kSize - 1;

// The list's columns: "Name", "License", "Vin", the distance unit, "Insurance".
namespace VehicleColumn {
constexpr int kName = 0;
constexpr int kLicense = 1;
constexpr int kVin = 2;
constexpr int kOdometer = 3;
constexpr int kInsurance = 4;
constexpr int kCount = 5;
} // namespace VehicleColumn

LogColumns VehicleColumns(bool metric);

// The vehicles not marked deleted, in store order.
std::vector<VehicleRecord*> VehicleRows(VehicleStore& store);
std::vector<const VehicleRecord*> VehicleRows(const VehicleStore& store);

// A cell of the list as file bytes: the insurance text loses its line
// breaks, so that it shows on one line; a column out of range is empty.
std::string VehicleCellText(const VehicleRecord& vehicle, int column);

// Orders the rows by a sort code (column 0-4, plus 128 for descending).
// Rows that compare equal keep their order in both directions; any other
// code leaves the order as it is.
void SortVehicles(std::vector<VehicleRecord*>& rows, int sortCode);

// Whether a vehicle not marked deleted, other than except, has exactly this
// name (byte for byte, so other letter case is another name).
bool IsVehicleNameUsed(const VehicleStore& store, std::string_view name,
                       const VehicleRecord* except);

// The live vehicles by name as people read them (TextOrder: case and accents
// aside first; equal names in store order): the order of the filter pane's
// vehicle box.
std::vector<VehicleRecord*> VehiclesByName(VehicleStore& store);
// The same for the boxes of the service and expense dialogs.
std::vector<const VehicleRecord*> VehiclesByName(const VehicleStore& store);
// The first of those, the vehicle the filter pane selects by itself; none
// without live vehicles.
VehicleRecord* FirstVehicleByName(VehicleStore& store);
