#pragma once

#include <QDialog>
#include <string>

class CMomentEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TvDocument;
struct ServiceRecord;
struct ServiceTypeRecord;
struct VehicleRecord;

// "Service Record": one servicing of a vehicle, done or planned: the vehicle,
// the type, the reading and the day it is due or was done, whether it is
// completed, and a note. AutoSet proposes when the next servicing falls and,
// clicked again, goes back to the vehicle's reading and now. Nothing reaches
// the record until OK has checked the fields.
class CServiceRecordDialog : public QDialog {
    Q_OBJECT
public:
    CServiceRecordDialog(ServiceRecord& entry, const TvDocument& document, bool metric,
                         bool newEntry, QWidget* parent = nullptr);

    void accept() override;

    // What the next AutoSet click does.
    bool ProposesNext() const { return m_proposeNext; }

private:
    void OnAutoSet();
    // The vehicle's reading and now; AutoSet proposes again after it.
    void Restore();
    void OnVehicleOrTypeChanged();
    void RefreshLastServicing();

    const VehicleRecord* SelectedVehicle() const;
    const ServiceTypeRecord* SelectedType() const;

    ServiceRecord& m_entry;
    const TvDocument& m_document;
    bool m_metric;
    bool m_proposeNext = true;
    // The note as edited so far; it reaches the record with OK.
    std::string m_note;

    QComboBox* m_vehicle;
    QComboBox* m_type;
    QLineEdit* m_odometer;
    CMomentEdit* m_date;
    QPushButton* m_autoSet;
    QCheckBox* m_completed;
    QLabel* m_lastServicing;
};
