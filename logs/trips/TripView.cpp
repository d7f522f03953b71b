#include "TripView.h"

#include "MessageBox.h"
#include "RecordHold.h"
#include "SelectCategoryDialog.h"
#include "TripCommands.h"
#include "TripDialog.h"
#include "TripReport.h"
#include "TripRows.h"
#include "TvDeskDoc.h"

namespace {

constexpr const char* kSelectItem = "Please select an item";

} // namespace

CTripView::CTripView(CTvDeskDoc& document, int& sortCode, QWidget* parent)
    : CLogView(document, sortCode, parent), m_model(TripCellText) {
    setModel(&m_model);
}

std::vector<ListColumn> CTripView::MakeColumns(bool metric) const {
    return ToListColumns(TripColumns(metric));
}

void CTripView::Fill() {
    std::vector<TripRecord*> rows =
        TripRows(Document().Trips(), TripFilter::FromDocument(Document()));
    SortTrips(rows, SortCodeValue());
    m_model.SetRows(std::move(rows));
}

void CTripView::SortRows() {
    const int code = SortCodeValue();
    m_model.ReorderRows([code](std::vector<TripRecord*>& rows) { SortTrips(rows, code); });
}

std::unique_ptr<LogReport> CTripView::MakeReport(const ReportSettings& settings) {
    const std::vector<TripRecord*>& rows = m_model.Rows();
    return std::make_unique<TripReport>(std::vector<const TripRecord*>(rows.begin(), rows.end()),
                                        settings);
}

void CTripView::DropRows() {
    m_model.Clear();
}

bool CTripView::HasVehicles() {
    if (Document().Vehicles().LiveCount() != 0)
        return true;
    MessageBox::warning(this, "You must first create a vehicle, before using this option.");
    return false;
}

void CTripView::OnNewRecord() {
    if (!HasVehicles())
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    TripRecord trip(MTime{});
    const VehicleRecord* vehicle = document.SelectedVehicle;
    // A reading from the file may lie outside what the odometer fields take.
    trip.StartOdometer = trip.EndOdometer =
        vehicle != nullptr ? ClampOdometer(document.CurrentOdometer(*vehicle)) : 0;
    CTripDialog dialog(trip, document.Vehicles(), document.Trips().Categories, vehicle,
                       document.TripLogFilter, Metric(), true, this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    document.Push(new CNewTripCommand(document, std::move(trip)));
    Fill();
}

void CTripView::OnEditRecord() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    OnEditRow(rows.front());
}

void CTripView::OnEditRow(int row) {
    TripRecord* trip = m_model.RecordAt(row);
    if (trip == nullptr || !HasVehicles())
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    TripRecord edited = *trip;
    CTripDialog dialog(edited, document.Vehicles(), document.Trips().Categories, nullptr,
                       document.TripLogFilter, Metric(), false, this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    const std::uint32_t index = RecordLocator<TripRecord>(document.Trips().Records()).IndexOf(trip);
    document.Push(new CEditTripCommand(document, index, *trip, std::move(edited)));
    // A trip moved to another vehicle or category leaves the list at once; a
    // new date is seen at the next refill.
    if (!TripFilter::FromDocument(document).PassesVehicleAndCategory(*trip))
        m_model.RemoveRecordRow(row);
    else if (!trip->IsDeleted())
        m_model.RecordChanged(row);
}

void CTripView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("Are you sure you want to delete the selected items?");
    if (rows.empty())
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CDeleteTripsCommand(
        document, IndexesOfRows(m_model, document.Trips().Records(), rows)));
    TakeOutRows(m_model, rows);
}

void CTripView::OnCategoryChange() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    CRecordHold hold(Document());
    CSelectCategoryDialog dialog(Document().Trips().Categories, this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CChangeTripCategoryCommand(
        document, IndexesOfRows(m_model, document.Trips().Records(), rows),
        static_cast<std::uint32_t>(dialog.SelectedIndex())));
    for (const int row : rows)
        m_model.RecordChanged(row);
}

void CTripView::OnReplay(const DocumentChange& change) {
    if (const StoreChange* trips = change.Find(StoreKind::Trips)) {
        Fill();
        SelectChanged(m_model, Document().Trips().Records(), *trips);
    }
}
