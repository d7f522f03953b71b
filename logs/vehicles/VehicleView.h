#pragma once

#include "LogView.h"
#include "Records.h"

class CVehicleDialog;

// The vehicles that are not marked deleted, with the commands that add, edit
// and delete them. Deleting a vehicle deletes its trips and service entries.
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
    // Lists the vehicles in store order; only the first filling, the view's
    // initialisation, sorts them.
    void Fill() override;
    void SortRows() override;
    void DropRows() override;
    void OnEditRow(int row) override;

private:
    // Runs a vehicle dialog; Accepted only when the record may be used.
    int RunDialog(CVehicleDialog& dialog);
    // Runs the dialog on the vehicle of a row; on OK repaints the row and
    // tells the others.
    void EditRow(int row);

    RecordTableModel<VehicleRecord> m_model;
    bool m_sortOnFill = true;
};
