#include "ExpenseView.h"

#include "Clock.h"
#include "ExpenseCommands.h"
#include "ExpenseDialog.h"
#include "ExpenseReport.h"
#include "ExpenseRows.h"
#include "MessageBox.h"
#include "RecordHold.h"
#include "SelectCategoryDialog.h"
#include "TvDeskDoc.h"

#include <utility>

namespace {

const QString kSelectItem = QStringLiteral("Please select an item");

} // namespace

CExpenseView::CExpenseView(CTvDeskDoc& document, int& sortCode, QWidget* parent)
    : CLogView(document, sortCode, parent), m_model(ExpenseCellText) {
    setModel(&m_model);
}

std::vector<ListColumn> CExpenseView::MakeColumns(bool) const {
    return ToListColumns(ExpenseColumns());
}

void CExpenseView::Fill() {
    std::vector<ExpenseRecord*> rows =
        ExpenseRows(Document().Expenses(), ExpenseFilter::FromDocument(Document()));
    SortExpenses(rows, SortCodeValue());
    m_model.SetRows(std::move(rows));
}

void CExpenseView::SortRows() {
    const int code = SortCodeValue();
    m_model.ReorderRows([code](std::vector<ExpenseRecord*>& rows) { SortExpenses(rows, code); });
}

std::unique_ptr<LogReport> CExpenseView::MakeReport(const ReportSettings& settings) {
    const std::vector<ExpenseRecord*>& rows = m_model.Rows();
    return std::make_unique<ExpenseReport>(
        std::vector<const ExpenseRecord*>(rows.begin(), rows.end()), settings);
}

void CExpenseView::DropRows() {
    m_model.Clear();
}

bool CExpenseView::HasVehicles() {
    if (Document().Vehicles().LiveCount() != 0)
        return true;
    MessageBox::warning(this, "You must first create a vehicle, before using this option.");
    return false;
}

void CExpenseView::OnNewRecord() {
    if (!HasVehicles())
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    ExpenseRecord expense(Clock::Now());
    const VehicleRecord* vehicle = document.SelectedVehicle;
    expense.Odometer = vehicle != nullptr ? document.CurrentOdometer(*vehicle) : 0;
    CExpenseDialog dialog(expense, document, vehicle, document.ExpenseLogFilter, Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    document.Push(new CNewExpenseCommand(document, std::move(expense)));
    Fill();
}

void CExpenseView::OnEditRecord() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    OnEditRow(rows.front());
}

void CExpenseView::OnEditRow(int row) {
    ExpenseRecord* expense = m_model.RecordAt(row);
    if (expense == nullptr || !HasVehicles())
        return;
    CTvDeskDoc& document = Document();
    CRecordHold hold(document);
    // The dialog tells the stored expense from the others by its address (the
    // previous fill-up), so it works on the stored one and writes it at OK;
    // the old value goes back and the command puts the new one in place.
    const ExpenseRecord before = *expense;
    CExpenseDialog dialog(*expense, document, nullptr, nullptr, Metric(), this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    ExpenseRecord after = std::exchange(*expense, before);
    const std::uint32_t index =
        RecordLocator<ExpenseRecord>(document.Expenses().Records()).IndexOf(expense);
    document.Push(new CEditExpenseCommand(document, index, before, std::move(after)));
    // An expense moved to another vehicle or category leaves the list at
    // once; a new date is seen at the next refill.
    if (!ExpenseFilter::FromDocument(document).PassesVehicleAndCategory(*expense))
        m_model.RemoveRecordRow(row);
    else
        m_model.RecordChanged(row);
}

void CExpenseView::OnDeleteRecords() {
    const std::vector<int> rows =
        ConfirmedSelection("Are you sure you want to delete the selected items?");
    if (rows.empty())
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CDeleteExpensesCommand(
        document, IndexesOfRows(m_model, document.Expenses().Records(), rows)));
    TakeOutRows(m_model, rows);
}

void CExpenseView::OnCategoryChange() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        MessageBox::warning(this, kSelectItem);
        return;
    }
    CRecordHold hold(Document());
    CSelectCategoryDialog dialog(Document().Expenses().Categories, this);
    if (hold.Exec(dialog) != QDialog::Accepted)
        return;
    CTvDeskDoc& document = Document();
    document.Push(new CChangeExpenseCategoryCommand(
        document, IndexesOfRows(m_model, document.Expenses().Records(), rows),
        static_cast<std::uint32_t>(dialog.SelectedIndex())));
    for (const int row : rows)
        m_model.RecordChanged(row);
}

void CExpenseView::OnReplay(const DocumentChange& change) {
    if (const StoreChange* expenses = change.Find(StoreKind::Expenses)) {
        Fill();
        SelectChanged(m_model, Document().Expenses().Records(), *expenses);
    }
}
