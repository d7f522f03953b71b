#pragma once

#include "DocumentCommand.h"
#include "TvDeskDoc.h"

// The units choice of Settings: the units bit of the trip store's first
// settings word (see DocumentCommand.h).
class CUnitsCommand final : public CDocumentCommand {
public:
    CUnitsCommand(CTvDeskDoc& document, bool kilometres)
        : CDocumentCommand(document, "Change Units"), m_before(document.Trips().Settings[0]),
          m_after(kilometres ? m_before | RecordStore::kUnitsKilometres
                             : m_before & ~RecordStore::kUnitsKilometres) {}

    bool ChangesAnything() const { return m_before != m_after; }

protected:
    void Apply(bool forward) override {
        Document().Trips().Settings[0] = forward ? m_after : m_before;
    }
    std::vector<StoreChange> Changes(bool) const override {
        StoreChange change;
        change.kind = StoreKind::Trips;
        change.settings = true;
        return {std::move(change)};
    }

private:
    std::uint32_t m_before;
    std::uint32_t m_after;
};
