#pragma once

#include "LogView.h"
#include "Records.h"

#include <memory>

class ServiceRowContext;

// The service log: the service entries of the filter's vehicle and dates
// with their due status, and the commands that add, edit and delete them.
class CServiceView : public CLogView {
    Q_OBJECT
public:
    CServiceView(CTvDeskDoc& document, int& sortCode, QWidget* parent);
    ~CServiceView() override;

    int LogIndex() const override { return LogIndex::kServiceLog; }
    QString Title() const override { return "Service Log"; }
    bool HasReport() const override { return true; }
    bool HasRecordCommands() const override { return true; }

    void OnEditRecord() override;
    void OnNewRecord() override;
    void OnDeleteRecords() override;

    const std::vector<ServiceRecord*>& Rows() const { return m_model.Rows(); }
    // What the rows' statuses and types are judged with; null without rows.
    const ServiceRowContext* Context() const { return m_context.get(); }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
    void Fill() override;
    void SortRows() override;
    void DropRows() override;
    void OnEditRow(int row) override;
    std::unique_ptr<LogReport> MakeReport(const ReportSettings& settings) override;
    void OnReplay(const DocumentChange& change) override;

private:
    // Whether the stores hold what an entry needs; says what is missing.
    bool CanEdit(const char* noVehicleMessage);

    std::unique_ptr<ServiceRowContext> m_context;
    // What the report being printed judges its rows with.
    std::unique_ptr<ServiceRowContext> m_reportContext;
    RecordTableModel<ServiceRecord> m_model;
};
