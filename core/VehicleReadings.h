#pragma once

#include "RecordList.h"
#include "Records.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// The odometer reading of every vehicle identifier, each raised to the
// greatest reading it is shown. The identifiers are those of the vehicles it
// starts from, each at the reading of the first vehicle that has it;
// readings of other identifiers are left out.
class VehicleReadings {
public:
    VehicleReadings() = default;
    explicit VehicleReadings(const RecordList<VehicleRecord>& vehicles);

    void Raise(std::uint32_t vehicleId, std::int32_t reading) {
        // Records of one vehicle mostly follow each other: the entry is
        // looked up again only when the identifier changes.
        if (vehicleId != m_lastId || m_last == kNone) {
            m_lastId = vehicleId;
            m_last = Find(vehicleId);
        }
        if (m_last != kNone && reading > m_readings[m_last].second)
            m_readings[m_last].second = reading;
    }
    // A live trip's end reading, a completed live service entry's reading;
    // other records raise nothing.
    void RaiseBy(const TripRecord& trip) {
        if (!trip.IsDeleted())
            Raise(trip.VehicleId, trip.EndOdometer);
    }
    void RaiseBy(const ServiceRecord& done) {
        if (!done.IsDeleted() && done.IsCompleted())
            Raise(done.VehicleId, done.Odometer);
    }
    // Raises each reading to the other's of the same identifier.
    void RaiseTo(const VehicleReadings& other);
    // The reading of the identifier; 0 when no vehicle has it.
    std::int32_t Of(std::uint32_t vehicleId) const;

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t Find(std::uint32_t vehicleId) const;

    std::vector<std::pair<std::uint32_t, std::int32_t>> m_readings; // by identifier
    std::uint32_t m_lastId = 0;
    std::size_t m_last = kNone;
};
