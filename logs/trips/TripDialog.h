#pragma once

#include <QDialog>
#include <string>

class CategoryList;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QTimeEdit;
class VehicleStore;
struct CategoryEntry;
struct TripRecord;
struct VehicleRecord;

// "Trip": creates or edits one trip. Nothing reaches the record until OK has
// checked every field; then the record is updated in place and marked
// modified.
class CTripDialog : public QDialog {
    Q_OBJECT
public:
    // defaultVehicle and defaultCategory (either may be null) preselect the
    // boxes of a new trip.
    CTripDialog(TripRecord& trip, const VehicleStore& vehicles, const CategoryList& categories,
                const VehicleRecord* defaultVehicle, const CategoryEntry* defaultCategory,
                bool metric, bool newTrip, QWidget* parent = nullptr);

    void accept() override;

private:
    void OnNote();

    TripRecord& m_trip;
    // The note as edited so far; it reaches the record with OK.
    std::string m_note;

    QComboBox* m_vehicle;
    QComboBox* m_category;
    QLineEdit* m_destination;
    QLineEdit* m_startOdometer;
    QDateEdit* m_startDate;
    QTimeEdit* m_startTime;
    QLineEdit* m_endOdometer;
    QDateEdit* m_endDate;
    QTimeEdit* m_endTime;
};
