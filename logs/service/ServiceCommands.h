#pragma once

#include "RecordCommands.h"

// The service log's edits, one command each (see DocumentCommand.h).

class CNewServiceCommand final : public CAddRecordCommand<ServiceStore> {
public:
    CNewServiceCommand(CTvDeskDoc& document, ServiceRecord entry)
        : CAddRecordCommand(document, std::move(entry), document.Services().IdCounter,
                            "New Service Entry") {}
};

class CEditServiceCommand final : public CEditRecordCommand<ServiceStore> {
public:
    CEditServiceCommand(CTvDeskDoc& document, std::uint32_t index, ServiceRecord before,
                        ServiceRecord after)
        : CEditRecordCommand(document, index, std::move(before), std::move(after),
                             "Edit Service Entry") {}
};

class CDeleteServicesCommand final : public CMarkDeletedCommand {
public:
    CDeleteServicesCommand(CTvDeskDoc& document, const IndexRuns& entries)
        : CMarkDeletedCommand(
              document, {{StoreKind::Services, Unmarked(document, StoreKind::Services, entries)}},
              CountedText("Delete", entries.Count(), "Service Entry", "Service Entries")) {}
};
