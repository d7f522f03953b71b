#pragma once

#include "RecordCommands.h"

// The vehicle list's edits, one command each (see DocumentCommand.h).

// idCounterBefore: the store's IdCounter before the new vehicle's
// identifier was handed out.
class CNewVehicleCommand final : public CAddRecordCommand<VehicleStore> {
public:
    CNewVehicleCommand(CTvDeskDoc& document, VehicleRecord vehicle, std::uint32_t idCounterBefore)
        : CAddRecordCommand(document, std::move(vehicle), idCounterBefore, "New Vehicle") {}
};

class CEditVehicleCommand final : public CEditRecordCommand<VehicleStore> {
public:
    CEditVehicleCommand(CTvDeskDoc& document, std::uint32_t index, VehicleRecord before,
                        VehicleRecord after)
        : CEditRecordCommand(document, index, std::move(before), std::move(after), "Edit Vehicle") {
    }
};

// Deletes vehicles with their trips and service entries, in one step.
class CDeleteVehiclesCommand final : public CMarkDeletedCommand {
public:
    CDeleteVehiclesCommand(CTvDeskDoc& document, const IndexRuns& vehicles);

private:
    static std::vector<Marks> Cascade(TvDocument& document, const IndexRuns& vehicles);
};
