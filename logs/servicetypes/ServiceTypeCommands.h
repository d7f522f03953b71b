#pragma once

#include "RecordCommands.h"

// The service type list's edits, one command each (see DocumentCommand.h).

// idCounterBefore: the store's IdCounter before the new type's identifier
// was handed out.
class CNewServiceTypeCommand final : public CAddRecordCommand<ServiceTypeStore> {
public:
    CNewServiceTypeCommand(CTvDeskDoc& document, ServiceTypeRecord type,
                           std::uint32_t idCounterBefore)
        : CAddRecordCommand(document, std::move(type), idCounterBefore, "New Service Type") {}
};

class CEditServiceTypeCommand final : public CEditRecordCommand<ServiceTypeStore> {
public:
    CEditServiceTypeCommand(CTvDeskDoc& document, std::uint32_t index, ServiceTypeRecord before,
                            ServiceTypeRecord after)
        : CEditRecordCommand(document, index, std::move(before), std::move(after),
                             "Edit Service Type") {}
};

// Deletes service types with their service entries, in one step.
class CDeleteServiceTypesCommand final : public CMarkDeletedCommand {
public:
    CDeleteServiceTypesCommand(CTvDeskDoc& document, const IndexRuns& types);

private:
    static std::vector<Marks> Cascade(TvDocument& document, const IndexRuns& types);
};
