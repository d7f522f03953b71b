#pragma once

#include "LogView.h"
#include "RecordStore.h"

// The trip log: the trips of the filter's vehicle, category and dates, with
// the commands that add, edit, delete and re-file them.
class CTripView : public CLogView {
    Q_OBJECT
public:
    CTripView(CTvDeskDoc& document, int& sortCode, QWidget* parent);

    int LogIndex() const override { return LogIndex::kTripLog; }
    QString Title() const override { return "Trip Log"; }
    bool HasReport() const override { return true; }
    bool HasRecordCommands() const override { return true; }

    void OnEditRecord() override;
    void OnNewRecord() override;
    void OnDeleteRecords() override;
    void OnCategoryChange() override;

    // The trips listed, top to bottom.
    const std::vector<TripRecord*>& Rows() const { return m_model.Rows(); }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
    void Fill() override;
    void SortRows() override;
    void DropRows() override;
    void OnEditRow(int row) override;
    std::unique_ptr<LogReport> MakeReport(const ReportSettings& settings) override;
    bool HasCategoryChange() const override { return true; }
    void OnReplay(const DocumentChange& change) override;

private:
    // Tells the user when there is no vehicle to file a trip under.
    bool HasVehicles();

    RecordTableModel<TripRecord> m_model;
};
