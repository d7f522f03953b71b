#pragma once

#include "DocumentCommand.h"
#include "ImportSession.h"

#include <deque>
#include <tuple>

class QWidget;

// File > Import as one step of the history: "Import 1,203 Trips". The rows
// go in through ApplyImport before the command is made (with progress, and
// taken back when cancelled); the command then only moves them: its undo
// takes the records added since the mark out of their stores into itself
// and restores the counters and category lists, its redo puts the same
// records back. The records are held once, either in the stores or here.
class CImportCommand final : public CDocumentCommand {
public:
    // The records ApplyImport added since `before` are in the stores.
    CImportCommand(CTvDeskDoc& document, const ImportMark& before, const QString& text);

protected:
    void Apply(bool forward) override;
    std::vector<StoreChange> Changes(bool forward) const override;

private:
    template <typename Store> struct Part {
        ImportMark::Store before;
        ImportMark::Store after;
        std::deque<typename Store::RecordType> taken; // while undone
    };
    template <typename Store> void Move(Part<Store>& part, bool forward);

    std::tuple<Part<VehicleStore>, Part<ServiceTypeStore>, Part<ServiceStore>, Part<TripStore>,
               Part<ExpenseStore>>
        m_parts;
    CategoryList m_tripCategories[2];    // before, after
    CategoryList m_expenseCategories[2]; // before, after
    bool m_inStores = true;
};

namespace ImportCommands {

// "Import 1,203 Trips", "Import Trip".
QString ImportText(ImportLog log, std::size_t count);

// File > Import: asks for the file, runs the import dialog on it and adds
// the accepted rows as one command. A file that cannot be read, a cancel, a
// HotSync reload or any failure on the way leaves the data as it was.
// Returns the records added.
std::size_t Import(CTvDeskDoc& document, ImportLog log, QWidget* parent);

} // namespace ImportCommands
