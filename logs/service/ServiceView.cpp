#include "ServiceView.h"

#include "Clock.h"
#include "MessageBox.h"
#include "RecordHold.h"
#include "ServiceCommands.h"
#include "ServiceDueDelegate.h"
#include "ServiceRecordDialog.h"
#include "ServiceReport.h"
#include "ServiceRows.h"
#include "TvDeskDoc.h"

namespace {

const QString kSelectItem = QStringLiteral("Please select an item");

} // namespace

CServiceView::CServiceView(CTvDeskDoc& document, int& sortCode, QWidget* parent)
    : CLogView(document, sortCode, parent), m_model([this](const ServiceRecord& entry, int column) {
          return m_context != nullptr ? ServiceCellText(entry, column, *m_context) : std::string();
      }) {
    setModel(&m_model);
    // Past-due and due-soon rows are marked in the Complete column.
    const auto dueState = [this](int row) {
        const ServiceRecord* entry = m_model.RecordAt(row);
        if (entry == nullptr || m_context == nullptr)
            return DueState::NotDue;
        return GetDueState(*entry, *m_context, ReminderSettings::Current().Window(Metric()));
    };
    setItemDelegateForColumn(ServiceColumn::kComplete, new CServiceDueDelegate(dueState, this));
}

CServiceView::~CServiceView() = default;

std::vector<ListColumn> CServiceView::MakeColumns(bool metric) const {
    return ToListColumns(ServiceColumns(metric));
}

void CServiceView::Fill() {
    // The statuses are judged at the moment of the filling.
    auto context = std::make_unique<ServiceRowContext>(Document());
    std::vector<ServiceRecord*> rows =
        ServiceRows(Document().Services(), ServiceFilter::FromDocument(Document()));
    SortServices(rows, SortCodeValue(), *context);
    m_model.Clear();
    m_context = std::move(context);
    m_model.SetRows(std::move(rows));
}

void CServiceView::SortRows() {
    if (m_context == nullptr)
        return;
    const int code = SortCodeValue();
    const ServiceRowContext& context = *m_context;
    m_model.ReorderRows(
        [code, &context](std::vector<ServiceRecord*>& rows) { SortServices(rows, code, context); });
}

std::unique_ptr<LogReport> CServiceView::MakeReport(const ReportSettings& settings) {
    // The statuses are judged when the job begins, as a refilled list would.
    m_reportContext = std::make_unique<ServiceRowContext>(Document());
    const std::vector<ServiceRecord*>& rows = m_model.Rows();
    return std::make_unique<ServiceReport>(
        std::vector<const ServiceRecord*>(rows.begin(), rows.end()), *m_reportContext, settings);
}

void CServiceView::DropRows() {
    m_model.Clear();
    m_context.reset();
}

bool CServiceView::CanEdit(const char* noVehicleMessage) {
    if (Document().Vehicles().LiveCount() == 0) {
        MessageBox::warning(this, noVehicleMessage);
        return false;
    }
    if (Document().ServiceTypes().LiveCount() == 0) {
        MessageBox::warning(this,
                            "You must first create a service type, before using this option.");
        return false;
    }
    return true;
}

void CServiceView::OnNewRecord() {
    if (!CanEdit("You must first create a vehicle. before using this option."))
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    ServiceRecord entry(Clock::Now());
    entry.VehicleId = document.SelectedVehicle != nullptr ? document.SelectedVehicle->VehicleId : 0;
    CServiceRecordDialog dialog(entry, document, Metric(), true, this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    document.Push(new CNewServiceCommand(document, std::move(entry)));
    Fill();
}

void CServiceView::OnEditRecord() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    OnEditRow(rows.front());
}

void CServiceView::OnEditRow(int row) {
    ServiceRecord* entry = m_model.RecordAt(row);
    if (entry == nullptr || !CanEdit("You must first create a vehicle, before using this option."))
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    ServiceRecord edited = *entry;
    CServiceRecordDialog dialog(edited, document, Metric(), false, this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    const std::uint32_t index =
        RecordLocator<ServiceRecord>(document.Services().Records()).IndexOf(entry);
    document.Push(new CEditServiceCommand(document, index, *entry, std::move(edited)));
    Fill();
}

void CServiceView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("Are you sure you want to delete the selected items?");
    if (rows.empty())
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CDeleteServicesCommand(
        document, IndexesOfRows(m_model, document.Services().Records(), rows)));
    TakeOutRows(m_model, rows);
}

void CServiceView::OnReplay(const DocumentChange& change) {
    // The statuses follow the trips, vehicles and types as well.
    Fill();
    if (const StoreChange* entries = change.Find(StoreKind::Services))
        SelectChanged(m_model, Document().Services().Records(), *entries);
}
