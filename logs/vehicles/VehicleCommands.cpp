#include "VehicleCommands.h"

#include <unordered_set>

CDeleteVehiclesCommand::CDeleteVehiclesCommand(CTvDeskDoc& document, const IndexRuns& vehicles)
    : CMarkDeletedCommand(document, Cascade(document, vehicles),
                          CountedText("Delete", vehicles.Count(), "Vehicle", "Vehicles")) {}

std::vector<CMarkDeletedCommand::Marks> CDeleteVehiclesCommand::Cascade(TvDocument& document,
                                                                        const IndexRuns& vehicles) {
    std::unordered_set<std::uint32_t> ids;
    vehicles.ForEach(
        [&](std::uint32_t index) { ids.insert(document.Vehicles().Records()[index].VehicleId); });
    // Every trip and service entry of those identifiers, as the stores' own
    // MarkVehicleDeleted take them, but only those not deleted already.
    const auto ofVehicles = [&ids](const auto& records) {
        IndexRuns found;
        for (std::uint32_t i = 0; i < records.size(); ++i)
            if (!records[i].IsDeleted() && ids.count(records[i].VehicleId) != 0)
                found.Add(i);
        return found;
    };
    return {{StoreKind::Vehicles, Unmarked(document, StoreKind::Vehicles, vehicles)},
            {StoreKind::Trips, ofVehicles(document.Trips().Records())},
            {StoreKind::Services, ofVehicles(document.Services().Records())}};
}
