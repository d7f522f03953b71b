#include "VehicleReadings.h"

#include <algorithm>

VehicleReadings::VehicleReadings(const RecordList<VehicleRecord>& vehicles) {
    m_readings.reserve(vehicles.size());
    for (const VehicleRecord& vehicle : vehicles)
        m_readings.emplace_back(vehicle.VehicleId, vehicle.Odometer);
    std::stable_sort(m_readings.begin(), m_readings.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    m_readings.erase(std::unique(m_readings.begin(), m_readings.end(),
                                 [](const auto& a, const auto& b) { return a.first == b.first; }),
                     m_readings.end());
}

void VehicleReadings::RaiseTo(const VehicleReadings& other) {
    for (const auto& [vehicleId, reading] : other.m_readings)
        Raise(vehicleId, reading);
}

std::int32_t VehicleReadings::Of(std::uint32_t vehicleId) const {
    const std::size_t found = Find(vehicleId);
    return found != kNone ? m_readings[found].second : 0;
}

std::size_t VehicleReadings::Find(std::uint32_t vehicleId) const {
    const auto found =
        std::lower_bound(m_readings.begin(), m_readings.end(), vehicleId,
                         [](const auto& reading, std::uint32_t id) { return reading.first < id; });
    return found != m_readings.end() && found->first == vehicleId
               ? static_cast<std::size_t>(found - m_readings.begin())
               : kNone;
}
