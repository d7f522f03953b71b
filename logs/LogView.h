#pragma once

#include "DocumentChange.h"
#include "ListViewEx.h"
#include "LogColumn.h"
#include "RecordLocator.h"
#include "RecordTableModel.h"

#include <QItemSelection>

#include <memory>
#include <vector>

class CTvDeskDoc;
class LogReport;
class QPrinter;
struct ReportRate;
struct ReportSettings;

// The five logs the filter pane chooses between, by their index there.
namespace LogIndex {
constexpr int kTripLog = 0;
constexpr int kServiceLog = 1;
constexpr int kServiceTypes = 2;
constexpr int kVehicleList = 3;
constexpr int kExpenseLog = 4;
constexpr int kCount = 5;
} // namespace LogIndex

// A log list in the right-hand pane of the main window. It shows the records
// of one store through a table model of references, names the main window
// after its log, refills when the document or the filter changes, and runs
// the record commands (Edit, New, Delete, and where the log has categories,
// Category Change) from the Edit menu, the context menu, a double-click and
// the Delete key. Each command's OK pushes one command on the document's undo
// stack and updates the rows as the log's rules say; after an undo or redo
// the list refills and selects the records the step changed.
class CLogView : public CListViewEx {
    Q_OBJECT
public:
    // sortCode: the log's sort code, kept by the application for the run.
    CLogView(CTvDeskDoc& document, int& sortCode, QWidget* parent);

    CTvDeskDoc& Document() const { return m_document; }
    virtual int LogIndex() const = 0;
    // The main window's title while this log is shown.
    virtual QString Title() const = 0;
    // Only the trip, service and expense logs print reports.
    virtual bool HasReport() const { return false; }
    // Whether Edit, New and Delete act on this log's records.
    virtual bool HasRecordCommands() const { return false; }

    // First showing: the window title, the columns (their headings follow the
    // distance units of the moment) and the rows.
    void OnInitialUpdate();
    // The columns and rows again, after the units changed.
    void RebuildColumnsAndRows();

    // Prints or previews the log's report on the printer, its cost line at
    // the settings' rate. A log without a report ignores it.
    virtual void OnFilePrint(QPrinter& printer, const ReportRate& rate);
    virtual void OnFilePrintPreview(QPrinter& printer, const ReportRate& rate);

    // The record commands; a log without them ignores them.
    virtual void OnEditRecord();
    virtual void OnNewRecord();
    virtual void OnDeleteRecords();
    // Files the selected records under another category (trips, expenses).
    virtual void OnCategoryChange();

    int SortCodeValue() const { return m_sortCode; }
    // A click on a column header: the sort code follows the click and the
    // rows are sorted again (not refilled).
    void OnColumnClick(int column);

protected:
    // The log's columns; the last one is widened to fill the list.
    virtual std::vector<ListColumn> MakeColumns(bool metric) const = 0;
    // Lists the records the log shows.
    virtual void Fill();
    // Orders the rows by the sort code.
    virtual void SortRows();
    // Drops every row: the records are about to go.
    virtual void DropRows();
    // Another view or the document changed the data; the default refills.
    virtual void OnDocumentUpdate(int hint);
    // Edits the record of a row that was double-clicked.
    virtual void OnEditRow(int row);
    // The report of the rows as they stand, in list order; null for a log
    // without a report. The report reads the rows' records while it draws.
    virtual std::unique_ptr<LogReport> MakeReport(const ReportSettings& settings);
    // Whether the context menu offers Category Change.
    virtual bool HasCategoryChange() const { return false; }

    bool Metric() const;
    // A log's columns as the list shows them, left-aligned.
    static std::vector<ListColumn> ToListColumns(const LogColumns& columns);
    int& SortCodeRef() { return m_sortCode; }
    // The rows selected, top to bottom.
    std::vector<int> SelectedRows() const;
    // An undo or redo changed the document: a log whose records it touched
    // refills and selects them.
    virtual void OnReplay(const DocumentChange& change);
    void keyPressEvent(QKeyEvent* event) override;
    // The shared first steps of Delete: the question (caption "Warning")
    // comes before the selection is looked at. The selected rows, top to
    // bottom, on Yes; none on No, after "Please select an item", or when the
    // document was emptied while the question was open.
    std::vector<int> ConfirmedSelection(const QString& question);
    // The store indexes of the rows' records.
    template <typename Record>
    static IndexRuns IndexesOfRows(const RecordTableModel<Record>& model,
                                   const RecordList<Record>& records,
                                   const std::vector<int>& rows) {
        const RecordLocator<Record> locator(records);
        std::vector<std::uint32_t> indexes;
        indexes.reserve(rows.size());
        for (const int row : rows)
            indexes.push_back(locator.IndexOf(model.RecordAt(row)));
        return IndexRuns::FromIndexes(std::move(indexes));
    }
    // Takes the rows (top to bottom) out of the list in one step.
    template <typename Record>
    static void TakeOutRows(RecordTableModel<Record>& model, const std::vector<int>& rows) {
        std::vector<Record*> kept;
        kept.reserve(model.Rows().size() - rows.size());
        auto taken = rows.begin();
        for (int row = 0; row < static_cast<int>(model.Rows().size()); ++row) {
            if (taken != rows.end() && *taken == row)
                ++taken;
            else
                kept.push_back(model.RecordAt(row));
        }
        model.SetRows(std::move(kept));
    }
    // Selects the rows of the records that the change added or changed and
    // scrolls to the first of them.
    template <typename Record>
    void SelectChanged(const RecordTableModel<Record>& model, const RecordList<Record>& records,
                       const StoreChange& change) {
        const RecordLocator<Record> locator(records);
        QItemSelection selection;
        int first = -1;
        const int last = static_cast<int>(model.Rows().size()) - 1;
        for (int row = 0; row <= last; ++row) {
            if (!change.Shows(locator.IndexOf(model.RecordAt(row))))
                continue;
            int end = row;
            while (end < last && change.Shows(locator.IndexOf(model.RecordAt(end + 1))))
                ++end;
            selection.select(model.index(row, 0), model.index(end, model.columnCount() - 1));
            if (first < 0)
                first = row;
            row = end;
        }
        SelectAndReveal(selection, first);
    }

    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SelectAndReveal(const QItemSelection& selection, int first);
    // The units, the document's date range and the rate of a report.
    ReportSettings ReportSettingsOf(const ReportRate& rate) const;

    CTvDeskDoc& m_document;
    int& m_sortCode;
    RecordTableModelBase m_columnsOnly;
};
