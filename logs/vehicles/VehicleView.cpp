#include "VehicleView.h"

#include "MessageBox.h"
#include "RecordHold.h"
#include "TvDeskDoc.h"
#include "VehicleDialog.h"
#include "VehicleRows.h"

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

void CVehicleView::FillInStoreOrder() {
    m_model.SetRows(VehicleRows(Document().Vehicles()));
    m_rowsDropped = false;
}

void CVehicleView::Fill() {
    FillInStoreOrder();
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
    CRecordHold hold(Document());
    VehicleStore& store = Document().Vehicles();
    VehicleRecord vehicle = store.CreateRecord();
    vehicle.VehicleId = store.NewId();
    CVehicleDialog dialog(vehicle, store, Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    store.Append(vehicle);
    FillInStoreOrder();
    NoteChange();
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
    CRecordHold hold(Document());
    CVehicleDialog dialog(*vehicle, Document().Vehicles(), Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    m_model.RecordChanged(row);
    NoteChange();
}

void CVehicleView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("All trip and service log items associated with this vehicle will be "
                           "deleted. Are you sure you want to procede?");
    if (rows.empty())
        return;
    RemoveRows(m_model, rows,
               [this](VehicleRecord& vehicle) { DeleteVehicle(Document(), vehicle); });
    NoteChange();
}
