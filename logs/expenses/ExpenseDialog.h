#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <string>

class CMomentEdit;
class CategoryList;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class TvDocument;
struct CategoryEntry;
struct ExpenseRecord;
struct VehicleRecord;

// "Expense": what a vehicle cost, when and at which reading; a fill-up also
// carries the fuel volume, and the dialog shows the fuel efficiency since
// the previous fill-up. Nothing reaches the record until OK has checked the
// fields.
class CExpenseDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxTextLength = 31;
    static constexpr std::int64_t kMaxOdometer = 999999999;
    static constexpr double kMaxVolume = 99999;

    // defaultVehicle and defaultCategory (either may be null) preselect the
    // boxes of a new expense; with a defaultVehicle the odometer holds a
    // proposal that follows the vehicle box until the user types a reading.
    CExpenseDialog(ExpenseRecord& expense, const TvDocument& document,
                   const VehicleRecord* defaultVehicle, const CategoryEntry* defaultCategory,
                   bool metric, QWidget* parent = nullptr);

    void accept() override;

    // Recomputes the efficiency and the last fill-up from the fields.
    void UpdateEfficiency();

protected:
    void changeEvent(QEvent* event) override;

private:
    void ShowFillUpControls();
    void OnVehicleChanged();

    ExpenseRecord& m_expense;
    const TvDocument& m_document;
    std::string m_note;
    // The amounts as the fields first showed them.
    QString m_shownCost;
    QString m_shownVolume;
    // The reading proposed for a new expense; none when editing.
    std::optional<QString> m_proposedOdometer;

    QComboBox* m_vehicle;
    QComboBox* m_category;
    QLineEdit* m_vendor;
    QLineEdit* m_cost;
    CMomentEdit* m_date;
    QLineEdit* m_description;
    QLineEdit* m_odometer;
    QCheckBox* m_gas;
    QLabel* m_volumeLabel;
    QLineEdit* m_volume;
    QLabel* m_efficiencyLabel;
    QLineEdit* m_efficiency;
    QLabel* m_lastFillUpLabel;
    QLineEdit* m_lastFillUp;
};
