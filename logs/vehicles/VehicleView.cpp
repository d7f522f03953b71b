#include "VehicleView.h"

#include "MessageBox.h"
#include "ModalDialog.h"
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

void CVehicleView::Fill() {
    m_model.SetRows(VehicleRows(Document().Vehicles()));
    if (m_sortOnFill) {
        m_sortOnFill = false;
        SortRows();
    }
}

void CVehicleView::SortRows() {
    const int code = SortCodeValue();
    m_model.ReorderRows([code](std::vector<VehicleRecord*>& rows) { SortVehicles(rows, code); });
}

void CVehicleView::DropRows() {
    m_model.Clear();
}

int CVehicleView::RunDialog(CVehicleDialog& dialog) {
    // A reload of the data file while the dialog is open (a HotSync) takes
    // the vehicles away, the one being edited among them: the dialog is then
    // cancelled, so that nothing is written into a record that has gone.
    connect(&Document(), &CTvDeskDoc::contentsCleared, &dialog, &QDialog::reject);
    return ModalDialog::exec(dialog);
}

void CVehicleView::OnNewRecord() {
    VehicleStore& store = Document().Vehicles();
    VehicleRecord vehicle = store.CreateRecord();
    vehicle.VehicleId = store.NewId();
    CVehicleDialog dialog(vehicle, store, Metric(), this);
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    store.Append(vehicle);
    Fill();
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
    CVehicleDialog dialog(*vehicle, Document().Vehicles(), Metric(), this);
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    m_model.RecordChanged(row);
    NoteChange();
}

void CVehicleView::OnDeleteRecords() {
    if (MessageBox::question(this,
                             "All trip and service log items associated with this vehicle will be "
                             "deleted. Are you sure you want to procede?",
                             "Warning") != MessageBox::Yes)
        return;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    // From the bottom up, so that the rows still to go keep their numbers.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        DeleteVehicle(Document(), *m_model.RecordAt(*row));
        m_model.RemoveRecordRow(*row);
    }
    NoteChange();
}
