#pragma once

#include "LogView.h"
#include "Records.h"

// The vehicles that are not marked deleted, with the commands that add, edit
// and delete them. Deleting a vehicle deletes its trips and service entries.
//
// The rows keep their order and selection: they are sorted when the list is
// filled (its first showing, a rebuild, a reload of the data) and on header
// clicks; an edit rewrites its row in place, a delete removes its rows, and
// changes announced by others (the filter pane, Edit Categories) leave the
// rows alone, for vehicles change only here.
class CVehicleView : public CLogView {
    Q_OBJECT
public:
    CVehicleView(CTvDeskDoc& document, int& sortCode, QWidget* parent);

    int LogIndex() const override { return LogIndex::kVehicleList; }
    QString Title() const override { return "Vehicle List"; }
    bool HasRecordCommands() const override { return true; }

    void OnEditRecord() override;
    void OnNewRecord() override;
    void OnDeleteRecords() override;

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
    // Lists the vehicles sorted by the sort code.
    void Fill() override;
    void SortRows() override;
    void DropRows() override;
    // Refills only rows that a reload of the data dropped.
    void OnDocumentUpdate(int hint) override;
    void OnEditRow(int row) override;
    void OnReplay(const DocumentChange& change) override;

private:
    // Runs the dialog on the vehicle of a row; on OK repaints the row and
    // tells the others.
    void EditRow(int row);

    RecordTableModel<VehicleRecord> m_model;
    // The document was emptied: the rows went with the records.
    bool m_rowsDropped = false;
};
