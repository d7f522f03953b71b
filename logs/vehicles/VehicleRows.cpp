#include "VehicleRows.h"

#include "SortCode.h"
#include "TextOrder.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string WithoutLineBreaks(std::string_view text) {
    std::string joined;
    joined.reserve(text.size());
    for (const char c : text)
        if (c != '\r' && c != '\n')
            joined.push_back(c);
    return joined;
}

// Texts compare byte by byte: std::char_traits<char> compares the bytes as
// unsigned values, so accented letters (0xC0 and up) sort after 'z'.
int CompareByColumn(const VehicleRecord& a, const VehicleRecord& b, int column) {
    switch (column) {
    case VehicleColumn::kName:
        return a.Name.View().compare(b.Name.View());
    case VehicleColumn::kLicense:
        return a.License.View().compare(b.License.View());
    case VehicleColumn::kVin:
        return a.Vin.View().compare(b.Vin.View());
    case VehicleColumn::kOdometer:
        return a.Odometer < b.Odometer ? -1 : (a.Odometer > b.Odometer ? 1 : 0);
    case VehicleColumn::kInsurance:
        return WithoutLineBreaks(a.Insurance.View()).compare(WithoutLineBreaks(b.Insurance.View()));
    default:
        return 0;
    }
}

} // namespace

LogColumns VehicleColumns(bool metric) {
    return {{"Name", 100},
            {"License", 100},
            {"Vin", 100},
            {metric ? "Kilometers" : "Miles", 100},
            {"Insurance", 100}};
}

std::vector<VehicleRecord*> VehicleRows(VehicleStore& store) {
    std::vector<VehicleRecord*> rows;
    for (VehicleRecord& vehicle : store.Records())
        if (!vehicle.IsDeleted())
            rows.push_back(&vehicle);
    return rows;
}

std::vector<const VehicleRecord*> VehicleRows(const VehicleStore& store) {
    std::vector<const VehicleRecord*> rows;
    for (const VehicleRecord& vehicle : store.Records())
        if (!vehicle.IsDeleted())
            rows.push_back(&vehicle);
    return rows;
}

std::string VehicleCellText(const VehicleRecord& vehicle, int column) {
    switch (column) {
    case VehicleColumn::kName:
        return std::string(vehicle.Name.View());
    case VehicleColumn::kLicense:
        return std::string(vehicle.License.View());
    case VehicleColumn::kVin:
        return std::string(vehicle.Vin.View());
    case VehicleColumn::kOdometer: {
        char text[16];
        std::snprintf(text, sizeof text, "%ld", static_cast<long>(vehicle.Odometer));
        return text;
    }
    case VehicleColumn::kInsurance:
        return WithoutLineBreaks(vehicle.Insurance.View());
    default:
        return {};
    }
}

void SortVehicles(std::vector<VehicleRecord*>& rows, int sortCode) {
    const bool descending = SortCode::IsReversed(sortCode);
    const int column = sortCode - (descending ? SortCode::kDirection : 0);
    if (column < 0 || column >= VehicleColumn::kCount)
        return;
    std::stable_sort(rows.begin(), rows.end(),
                     [column, descending](const VehicleRecord* a, const VehicleRecord* b) {
                         const int order = CompareByColumn(*a, *b, column);
                         return descending ? order > 0 : order < 0;
                     });
}

bool IsVehicleNameUsed(const VehicleStore& store, std::string_view name,
                       const VehicleRecord* except) {
    for (const VehicleRecord& vehicle : store.Records())
        if (&vehicle != except && !vehicle.IsDeleted() && vehicle.Name.View() == name)
            return true;
    return false;
}

namespace {

template <typename Vehicle> void SortByName(std::vector<Vehicle*>& vehicles) {
    std::stable_sort(vehicles.begin(), vehicles.end(), [](const Vehicle* a, const Vehicle* b) {
        return TextOrder::Less(a->Name.View(), b->Name.View());
    });
}

} // namespace

std::vector<VehicleRecord*> VehiclesByName(VehicleStore& store) {
    std::vector<VehicleRecord*> vehicles = VehicleRows(store);
    SortByName(vehicles);
    return vehicles;
}

std::vector<const VehicleRecord*> VehiclesByName(const VehicleStore& store) {
    std::vector<const VehicleRecord*> vehicles = VehicleRows(store);
    SortByName(vehicles);
    return vehicles;
}

VehicleRecord* FirstVehicleByName(VehicleStore& store) {
    const std::vector<VehicleRecord*> vehicles = VehiclesByName(store);
    return vehicles.empty() ? nullptr : vehicles.front();
}
