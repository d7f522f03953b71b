#pragma once

#include <QDialog>
#include <QTime>
#include <string>

class CMomentEdit;
class CategoryList;
class QComboBox;
class QLineEdit;
class QTimeEdit;
class VehicleStore;
struct CategoryEntry;
struct TripRecord;
struct VehicleRecord;

// "Trip": creates or edits one trip. Nothing reaches the record until OK has
// checked every field; then the record is updated in place and marked
// modified. A start or end whose day and time the user left alone stays as
// stored, also a day the date picker cannot show (month 13, 30 February),
// which shows as the list shows it.
class CTripDialog : public QDialog {
    Q_OBJECT
public:
    // defaultVehicle and defaultCategory (either may be null) preselect the
    // boxes of a new trip.
    CTripDialog(TripRecord& trip, const VehicleStore& vehicles, const CategoryList& categories,
                const VehicleRecord* defaultVehicle, const CategoryEntry* defaultCategory,
                bool metric, bool newTrip, QWidget* parent = nullptr);

    void accept() override;

    // The date and time pickers of the start or the end, and the time shown
    // when the dialog opened.
    struct Pickers {
        CMomentEdit* date;
        QTimeEdit* time;
        QTime shownTime;
    };

private:
    TripRecord& m_trip;
    // The note as edited so far; it reaches the record with OK.
    std::string m_note;

    QComboBox* m_vehicle;
    QComboBox* m_category;
    QLineEdit* m_destination;
    QLineEdit* m_startOdometer;
    Pickers m_start;
    QLineEdit* m_endOdometer;
    Pickers m_end;
};
