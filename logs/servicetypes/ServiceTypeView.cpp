#include "ServiceTypeView.h"

#include "MessageBox.h"
#include "RecordHold.h"
#include "ServiceTypeCommands.h"
#include "ServiceTypeDialog.h"
#include "ServiceTypeRows.h"
#include "TvDeskDoc.h"

#include <mutex>
#include <utility>

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

void CServiceTypeView::Fill() {
    m_model.SetRows(ServiceTypeRows(Document().ServiceTypes()));
    m_rowsDropped = false;
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
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    ServiceTypeStore& store = document.ServiceTypes();
    ServiceTypeRecord type = store.CreateRecord();
    const std::uint32_t idCounterBefore = store.IdCounter;
    {
        // The recovery journal's writer reads IdCounter under the stores lock.
        const std::lock_guard lock(document.StoresLock());
        type.ServiceTypeId = store.NewId();
    }
    CServiceTypeDialog dialog(type, store, Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted) {
        // A cancelled New leaves the stored state as it was.
        if (!hold.Lost()) {
            const std::lock_guard lock(document.StoresLock());
            store.IdCounter = idCounterBefore;
        }
        return;
    }
    document.Push(new CNewServiceTypeCommand(document, std::move(type), idCounterBefore));
    // The new row takes its place in the list's order.
    Fill();
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
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    // The dialog tells the type from the others by its address (the name
    // check), so it works on the stored one and writes it at OK; the old
    // value goes back and the command puts the new one in place.
    const ServiceTypeRecord before = *type;
    CServiceTypeDialog dialog(*type, document.ServiceTypes(), Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    ServiceTypeRecord after = std::exchange(*type, before);
    const std::uint32_t index =
        RecordLocator<ServiceTypeRecord>(document.ServiceTypes().Records()).IndexOf(type);
    document.Push(new CEditServiceTypeCommand(document, index, before, std::move(after)));
    m_model.RecordChanged(row);
}

void CServiceTypeView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("All service log items associated with this service type will be "
                           "deleted. Are you sure you want to procede?");
    if (rows.empty())
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CDeleteServiceTypesCommand(
        document, IndexesOfRows(m_model, document.ServiceTypes().Records(), rows)));
    TakeOutRows(m_model, rows);
}

void CServiceTypeView::OnReplay(const DocumentChange& change) {
    if (const StoreChange* types = change.Find(StoreKind::ServiceTypes)) {
        Fill();
        SelectChanged(m_model, Document().ServiceTypes().Records(), *types);
    }
}
