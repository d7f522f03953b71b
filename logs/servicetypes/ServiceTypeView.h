#pragma once

#include "LogView.h"
#include "Records.h"

// The service types not marked deleted, with their time and distance
// schedules, and the commands that add, edit and delete them. Deleting a type
// deletes its service log entries.
//
// The rows are sorted when the list is first filled and on header clicks; a
// new type refills the list in store order, an edit rewrites its row in place,
// and changes announced by others leave the rows alone.
class CServiceTypeView : public CLogView {
    Q_OBJECT
public:
    CServiceTypeView(CTvDeskDoc& document, int& sortCode, QWidget* parent);

    int LogIndex() const override { return LogIndex::kServiceTypes; }
    QString Title() const override { return "Service Type List"; }
    bool HasRecordCommands() const override { return true; }

    void OnEditRecord() override;
    void OnNewRecord() override;
    void OnDeleteRecords() override;

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
    void Fill() override;
    void SortRows() override;
    void DropRows() override;
    // Refills only rows that a reload of the data dropped.
    void OnDocumentUpdate(int hint) override;
    void OnEditRow(int row) override;
    void OnReplay(const DocumentChange& change) override;

private:
    RecordTableModel<ServiceTypeRecord> m_model;
    bool m_rowsDropped = false;
};
