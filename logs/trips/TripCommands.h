#pragma once

#include "RecordCommands.h"

// The trip log's edits, one command each (see DocumentCommand.h).

class CNewTripCommand final : public CAddRecordCommand<TripStore> {
public:
    CNewTripCommand(CTvDeskDoc& document, TripRecord trip)
        : CAddRecordCommand(document, std::move(trip), document.Trips().IdCounter, "New Trip") {}
};

class CEditTripCommand final : public CEditRecordCommand<TripStore> {
public:
    CEditTripCommand(CTvDeskDoc& document, std::uint32_t index, TripRecord before, TripRecord after)
        : CEditRecordCommand(document, index, std::move(before), std::move(after), "Edit Trip") {}
};

class CDeleteTripsCommand final : public CMarkDeletedCommand {
public:
    CDeleteTripsCommand(CTvDeskDoc& document, const IndexRuns& trips)
        : CMarkDeletedCommand(document,
                              {{StoreKind::Trips, Unmarked(document, StoreKind::Trips, trips)}},
                              CountedText("Delete", trips.Count(), "Trip", "Trips")) {}
};

class CChangeTripCategoryCommand final : public CRefileCommand {
public:
    CChangeTripCategoryCommand(CTvDeskDoc& document, const IndexRuns& trips, std::uint32_t category)
        : CRefileCommand(document, StoreKind::Trips, trips, category,
                         trips.Count() == 1
                             ? QString("Change Category of Trip")
                             : QString("Change Category of %1 Trips").arg(trips.Count())) {}
};
