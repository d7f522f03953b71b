#pragma once

#include <QDialog>
#include <cstdint>

class QButtonGroup;
class QLabel;
class QLineEdit;
class ServiceTypeStore;
struct ServiceTypeRecord;

// "Service Type": the name of a kind of servicing and its schedule, every N
// days, weeks, months or years and every N miles or kilometres. Nothing
// reaches the record until OK has checked the fields.
class CServiceTypeDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 19;
    static constexpr std::int64_t kMaxCount = 255;
    // The count a unit click lets stand; a larger one is set back to 1.
    static constexpr std::int64_t kMaxRepeat = 100;

    CServiceTypeDialog(ServiceTypeRecord& type, const ServiceTypeStore& store, bool metric,
                       QWidget* parent = nullptr);

    void accept() override;

private:
    // A click on one of the unit buttons.
    void OnUnitClicked();
    // Reads the count and distance fields into the dialog; false when a
    // field check refused one.
    bool ReadFields();
    // The count field, its "Every:" label and the units label follow the unit.
    void ShowUnit();
    int SelectedUnit() const;
    // "Every 3 months", "Never", ... for the fields as they stand.
    void ShowSchedules();

    ServiceTypeRecord& m_type;
    const ServiceTypeStore& m_store;
    // The count and distance as last read from the fields.
    std::int64_t m_count;
    std::int64_t m_distance;

    QLineEdit* m_name;
    QButtonGroup* m_units;
    QLabel* m_everyLabel;
    QLineEdit* m_countEdit;
    QLabel* m_unitLabel;
    QLineEdit* m_distanceEdit;
    QLabel* m_timeSchedule;
    QLabel* m_distanceSchedule;
    bool m_metric;
};
