#include "ImportCommands.h"

#include "FileDialog.h"
#include "ImportDialog.h"
#include "ImportProgressDialog.h"
#include "MessageBox.h"
#include "RecordCommands.h"
#include "RecordHold.h"
#include "TvDeskDoc.h"

#include <QDir>
#include <QFileInfo>

#include <exception>
#include <mutex>

namespace {

// Whether an import changed the list: it only ever adds entries.
bool Changed(const CategoryList& before, const CategoryList& after) {
    return before.Size() != after.Size() || before.LastUniqueId != after.LastUniqueId;
}

// Adds the rows under the stores lock, which the recovery journal's writer
// takes to read records on its thread, and lets go of it while the progress
// dialog handles events (a HotSync reload among them empties the stores
// under the same lock).
class LockedProgress final : public ImportProgress {
public:
    LockedProgress(std::unique_lock<std::mutex>& lock, ImportProgress& shown)
        : m_lock(lock), m_shown(shown) {}
    bool Continue(std::uint64_t done, std::uint64_t total) override {
        m_lock.unlock();
        const bool go = m_shown.Continue(done, total);
        m_lock.lock();
        return go;
    }

private:
    std::unique_lock<std::mutex>& m_lock;
    ImportProgress& m_shown;
};

void TakeBack(CTvDeskDoc& document, const ImportMark& mark) {
    const std::lock_guard lock(document.StoresLock());
    TakeBackImport(document, mark);
}

IndexRuns Range(std::size_t from, std::size_t to) {
    IndexRuns runs;
    for (std::size_t i = from; i < to; ++i)
        runs.Add(static_cast<std::uint32_t>(i));
    return runs;
}

} // namespace

CImportCommand::CImportCommand(CTvDeskDoc& document, const ImportMark& before, const QString& text)
    : CDocumentCommand(document, text) {
    const ImportMark after(document);
    auto& [vehicles, serviceTypes, services, trips, expenses] = m_parts;
    vehicles = {before.vehicles, after.vehicles, {}};
    serviceTypes = {before.serviceTypes, after.serviceTypes, {}};
    services = {before.services, after.services, {}};
    trips = {before.trips, after.trips, {}};
    expenses = {before.expenses, after.expenses, {}};
    m_tripCategories[0] = before.tripCategories;
    m_tripCategories[1] = after.tripCategories;
    m_expenseCategories[0] = before.expenseCategories;
    m_expenseCategories[1] = after.expenseCategories;
}

template <typename Store> void CImportCommand::Move(Part<Store>& part, bool forward) {
    Store& store = StoreIn<Store>(Document());
    if (forward) {
        while (!part.taken.empty()) {
            store.Append(std::move(part.taken.front()));
            part.taken.pop_front();
        }
        part.taken.shrink_to_fit();
        store.IdCounter = part.after.idCounter;
        return;
    }
    while (store.Count() > part.before.count) {
        if constexpr (std::is_same_v<Store, VehicleStore>) {
            if (Document().SelectedVehicle == &store.Records().back())
                Document().SelectedVehicle = nullptr;
        }
        part.taken.push_front(std::move(store.Records().back()));
        store.Records().pop_back();
    }
    store.IdCounter = part.before.idCounter;
}

void CImportCommand::Apply(bool forward) {
    // The first redo is the push: ApplyImport has put the records in.
    if (forward && m_inStores)
        return;
    std::apply([this, forward](auto&... parts) { (Move(parts, forward), ...); }, m_parts);
    Document().Trips().Categories = m_tripCategories[forward ? 1 : 0];
    Document().Expenses().Categories = m_expenseCategories[forward ? 1 : 0];
    m_inStores = forward;
}

std::vector<StoreChange> CImportCommand::Changes(bool forward) const {
    std::vector<StoreChange> changes;
    const auto add = [&](StoreKind kind, const auto& part, bool categories) {
        const bool grew = part.after.count != part.before.count;
        const bool counted = part.after.idCounter != part.before.idCounter;
        if (!grew && !counted && !categories)
            return;
        StoreChange change;
        change.kind = kind;
        if (grew && forward)
            change.added = Range(part.before.count, part.after.count);
        else if (grew)
            change.removedFrom = static_cast<std::uint32_t>(part.before.count);
        change.idCounter = counted;
        change.categories = categories;
        changes.push_back(std::move(change));
    };
    const auto& [vehicles, serviceTypes, services, trips, expenses] = m_parts;
    add(StoreKind::Vehicles, vehicles, false);
    add(StoreKind::ServiceTypes, serviceTypes, false);
    add(StoreKind::Services, services, false);
    add(StoreKind::Trips, trips, Changed(m_tripCategories[0], m_tripCategories[1]));
    add(StoreKind::Expenses, expenses, Changed(m_expenseCategories[0], m_expenseCategories[1]));
    return changes;
}

namespace ImportCommands {

QString ImportText(ImportLog log, std::size_t count) {
    const bool one = count == 1;
    const char* noun = "";
    switch (log) {
    case ImportLog::Trips:
        noun = one ? "Trip" : "Trips";
        break;
    case ImportLog::Expenses:
        noun = one ? "Expense" : "Expenses";
        break;
    case ImportLog::Services:
        noun = one ? "Service Entry" : "Service Entries";
        break;
    case ImportLog::Vehicles:
        noun = one ? "Vehicle" : "Vehicles";
        break;
    }
    return QString("Import %1 %2")
        .arg(QString::fromStdString(GroupedNumber(static_cast<long long>(count))), noun);
}

std::size_t Import(CTvDeskDoc& document, ImportLog log, QWidget* parent) {
    // The folder of the last import, for the next one in this session.
    static QString folder = QDir::homePath();
    const QString path = FileDialog::getOpenFileName(parent, "Import", folder, kImportFileFilter);
    if (path.isEmpty())
        return 0;
    folder = QFileInfo(path).path();

    CRecordHold hold(document);
    const auto warn = [&](const QString& why) -> std::size_t {
        if (!hold.Lost())
            MessageBox::warning(
                parent,
                QString("%1 cannot be imported.\n\n%2").arg(QFileInfo(path).fileName(), why),
                "Import");
        return 0;
    };
    std::unique_ptr<CImportDialog> dialog;
    try {
        dialog = std::make_unique<CImportDialog>(document, hold, path, log, parent);
    } catch (const MExcept& failure) {
        return warn(QString::fromUtf8(failure.Message()));
    } catch (const std::exception& failure) {
        return warn(QString::fromUtf8(failure.what()));
    }
    if (hold.Exec(*dialog) != QDialog::Accepted)
        return 0;
    ImportCheck check = dialog->TakeCheck();
    const ImportLog target = dialog->Log();
    dialog.reset();

    const ImportMark mark(document);
    std::size_t added = 0;
    // Out of memory on the way: what went in goes out again.
    const auto failed = [&](const QString& why) {
        if (!hold.Lost())
            TakeBack(document, mark);
        return warn(why);
    };
    try {
        CImportProgressDialog progress(hold, parent, "Adding the rows to the log...");
        std::unique_lock stores(document.StoresLock());
        LockedProgress locked(stores, progress);
        added = ApplyImport(document, std::move(check), &locked);
    } catch (const MExcept& failure) {
        return failed(QString::fromUtf8(failure.Message()));
    } catch (const std::exception& failure) {
        return failed(QString::fromUtf8(failure.what()));
    }
    // A reload meanwhile emptied the document, the records added with it.
    if (hold.Lost())
        return 0;
    if (check.stopped || added == 0) {
        TakeBack(document, mark);
        return 0;
    }
    document.Push(new CImportCommand(document, mark, ImportText(target, added)));
    // Every list and the filter pane show the new rows and names.
    document.UpdateAllViews(nullptr, 0);
    return added;
}

} // namespace ImportCommands
