#pragma once

#include <QDialog>

struct VehicleRecord;
class VehicleStore;
class QLineEdit;
class LimitedTextEdit;

// "Vehicle": the name, odometer reading, licence plate, VIN and insurance
// details of one vehicle. OK checks the fields (odometer first, then the
// name: present and not another live vehicle's) and only then writes them
// into the record, marked modified; Cancel leaves the record as it was.
class CVehicleDialog : public QDialog {
    Q_OBJECT
public:
    // record: the vehicle to edit, or a new one not yet in the store.
    // store: the vehicles whose names a new name must differ from.
    CVehicleDialog(VehicleRecord& record, const VehicleStore& store, bool metric,
                   QWidget* parent = nullptr);

    void accept() override;

private:
    VehicleRecord& m_record;
    const VehicleStore& m_store;
    QLineEdit* m_name;
    QLineEdit* m_odometer;
    QLineEdit* m_license;
    QLineEdit* m_vin;
    LimitedTextEdit* m_insurance;
};
