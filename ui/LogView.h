#pragma once

#include "ListViewEx.h"
#include "RecordTableModel.h"

#include <vector>

class CTvDeskDoc;

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
// after its log, and answers the frame's filter-changed and print requests.
class CLogView : public CListViewEx {
    Q_OBJECT
public:
    CLogView(CTvDeskDoc& document, QWidget* parent);

    CTvDeskDoc& Document() const { return m_document; }
    virtual int LogIndex() const = 0;
    // The main window's title while this log is shown.
    virtual QString Title() const = 0;
    // Only the trip, service and expense logs print reports.
    virtual bool HasReport() const { return false; }

    // First showing: the window title, the columns (their headings follow the
    // distance units of the moment) and the rows.
    void OnInitialUpdate();
    // The columns and rows again, after the units changed.
    void RebuildColumnsAndRows();

    // The filter pane changed the document's filter. A log that is not
    // filtered (service types, vehicles) ignores it.
    virtual void OnFilterChanged(int log, int data);
    // Prints or previews the log's report. A log without a report ignores it.
    virtual void OnFilePrint();
    virtual void OnFilePrintPreview();

protected:
    // The log's columns; the last one is widened to fill the list.
    virtual std::vector<ListColumn> MakeColumns(bool metric) const = 0;
    // Lists the records the log shows.
    virtual void Fill();
    bool Metric() const;

private:
    CTvDeskDoc& m_document;
    RecordTableModelBase m_columnsOnly;
};
