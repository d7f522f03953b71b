#include "ServiceTypeView.h"

#include "MessageBox.h"
#include "RecordHold.h"
#include "ServiceTypeDialog.h"
#include "ServiceTypeRows.h"
#include "TvDeskDoc.h"

namespace {

const QString kSelectItem = QStringLiteral("Please select an item");

} // namespace

CServiceTypeView::CServiceTypeView(CTvDeskDoc& document, int& sortCode, QWidget* parent)
    : CLogView(document, sortCode, parent),
      m_model([this](const ServiceTypeRecord& type, int column) {
          return ServiceTypeCellText(type, column, Metric());
      }) {
    setModel(&m_model);
}

std::vector<ListColumn> CServiceTypeView::MakeColumns(bool) const {
    return ToListColumns(ServiceTypeColumns());
}

void CServiceTypeView::FillInStoreOrder() {
    m_model.SetRows(ServiceTypeRows(Document().ServiceTypes()));
    m_rowsDropped = false;
}

void CServiceTypeView::Fill() {
    FillInStoreOrder();
    SortRows();
}

void CServiceTypeView::SortRows() {
    const int code = SortCodeValue();
    m_model.ReorderRows(
        [code](std::vector<ServiceTypeRecord*>& rows) { SortServiceTypes(rows, code); });
}

void CServiceTypeView::DropRows() {
    m_model.Clear();
    m_rowsDropped = true;
}

void CServiceTypeView::OnDocumentUpdate(int) {
    if (m_rowsDropped)
        Fill();
    else
        viewport()->update();
}

void CServiceTypeView::OnNewRecord() {
    CRecordHold hold(Document());
    ServiceTypeStore& store = Document().ServiceTypes();
    ServiceTypeRecord type = store.CreateRecord();
    type.ServiceTypeId = store.NewId();
    CServiceTypeDialog dialog(type, store, Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    store.Append(type);
    FillInStoreOrder();
    NoteChange();
}

void CServiceTypeView::OnEditRecord() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    OnEditRow(rows.front());
}

void CServiceTypeView::OnEditRow(int row) {
    ServiceTypeRecord* type = m_model.RecordAt(row);
    if (type == nullptr)
        return;
    CRecordHold hold(Document());
    CServiceTypeDialog dialog(*type, Document().ServiceTypes(), Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    m_model.RecordChanged(row);
    NoteChange();
}

void CServiceTypeView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("All service log items associated with this service type will be "
                           "deleted. Are you sure you want to procede?");
    if (rows.empty())
        return;
    RemoveRows(m_model, rows,
               [this](ServiceTypeRecord& type) { DeleteServiceType(Document(), type); });
    NoteChange();
}
