#include "VehicleView.h"

#include "MessageBox.h"
#include "RecordHold.h"
#include "TvDeskDoc.h"
#include "VehicleCommands.h"
#include "VehicleDialog.h"
#include "VehicleRows.h"

#include <mutex>
#include <utility>

namespace {

const QString kSelectItem = QStringLiteral("Please select an item");

} // namespace

CVehicleView::CVehicleView(CTvDeskDoc& document, int& sortCode, QWidget* parent)
    : CLogView(document, sortCode, parent), m_model(VehicleCellText) {
    setModel(&m_model);
}

std::vector<ListColumn> CVehicleView::MakeColumns(bool metric) const {
    return ToListColumns(VehicleColumns(metric));
}

void CVehicleView::Fill() {
    m_model.SetRows(VehicleRows(Document().Vehicles()));
    m_rowsDropped = false;
    SortRows();
}

void CVehicleView::SortRows() {
    const int code = SortCodeValue();
    m_model.ReorderRows([code](std::vector<VehicleRecord*>& rows) { SortVehicles(rows, code); });
}

void CVehicleView::DropRows() {
    m_model.Clear();
    m_rowsDropped = true;
}

void CVehicleView::OnDocumentUpdate(int) {
    if (m_rowsDropped)
        Fill();
}

void CVehicleView::OnNewRecord() {
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    VehicleStore& store = document.Vehicles();
    VehicleRecord vehicle = store.CreateRecord();
    const std::uint32_t idCounterBefore = store.IdCounter;
    {
        // The recovery journal's writer reads IdCounter under the stores lock.
        const std::lock_guard lock(document.StoresLock());
        vehicle.VehicleId = store.NewId();
    }
    CVehicleDialog dialog(vehicle, store, Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted) {
        // A cancelled New leaves the stored state as it was.
        if (!hold.Lost()) {
            const std::lock_guard lock(document.StoresLock());
            store.IdCounter = idCounterBefore;
        }
        return;
    }
    document.Push(new CNewVehicleCommand(document, std::move(vehicle), idCounterBefore));
    // The new row takes its place in the list's order.
    Fill();
    document.UpdateAllViews(this, 0);
}

void CVehicleView::OnEditRecord() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    EditRow(rows.front());
}

void CVehicleView::OnEditRow(int row) {
    EditRow(row);
}

void CVehicleView::EditRow(int row) {
    VehicleRecord* vehicle = m_model.RecordAt(row);
    if (vehicle == nullptr)
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    // The dialog tells the vehicle from the others by its address (the name
    // check), so it works on the stored one and writes it at OK; the old
    // value goes back and the command puts the new one in place.
    const VehicleRecord before = *vehicle;
    CVehicleDialog dialog(*vehicle, document.Vehicles(), Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    VehicleRecord after = std::exchange(*vehicle, before);
    const std::uint32_t index =
        RecordLocator<VehicleRecord>(document.Vehicles().Records()).IndexOf(vehicle);
    document.Push(new CEditVehicleCommand(document, index, before, std::move(after)));
    m_model.RecordChanged(row);
    document.UpdateAllViews(this, 0);
}

void CVehicleView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("All trip and service log items associated with this vehicle will be "
                           "deleted. Are you sure you want to procede?");
    if (rows.empty())
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CDeleteVehiclesCommand(
        document, IndexesOfRows(m_model, document.Vehicles().Records(), rows)));
    TakeOutRows(m_model, rows);
    document.UpdateAllViews(this, 0);
}

void CVehicleView::OnReplay(const DocumentChange& change) {
    if (const StoreChange* vehicles = change.Find(StoreKind::Vehicles)) {
        Fill();
        SelectChanged(m_model, Document().Vehicles().Records(), *vehicles);
    }
}
