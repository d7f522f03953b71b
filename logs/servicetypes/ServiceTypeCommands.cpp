#include "ServiceTypeCommands.h"

#include <unordered_set>

CDeleteServiceTypesCommand::CDeleteServiceTypesCommand(CTvDeskDoc& document, const IndexRuns& types)
    : CMarkDeletedCommand(document, Cascade(document, types),
                          CountedText("Delete", types.Count(), "Service Type", "Service Types")) {}

std::vector<CMarkDeletedCommand::Marks>
CDeleteServiceTypesCommand::Cascade(TvDocument& document, const IndexRuns& types) {
    std::unordered_set<std::uint32_t> ids;
    types.ForEach([&](std::uint32_t index) {
        ids.insert(document.ServiceTypes().Records()[index].ServiceTypeId);
    });
    IndexRuns entries;
    const auto& services = document.Services().Records();
    for (std::uint32_t i = 0; i < services.size(); ++i)
        if (!services[i].IsDeleted() && ids.count(services[i].ServiceTypeId) != 0)
            entries.Add(i);
    return {{StoreKind::ServiceTypes, Unmarked(document, StoreKind::ServiceTypes, types)},
            {StoreKind::Services, std::move(entries)}};
}
