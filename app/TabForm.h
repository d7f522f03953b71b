#pragma once

#include <QWidget>
#include <cstdint>

class CTvDeskDoc;
class CategoryList;
struct CategoryEntry;
struct VehicleRecord;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QRadioButton;

// The narrow pane on the left of the main window: its radio buttons choose
// the log that the right-hand pane shows, and its filter controls (vehicle,
// category, date range) set the document's filter that the lists, reports
// and exports obey.
class CTabForm : public QWidget {
    Q_OBJECT
public:
    explicit CTabForm(CTvDeskDoc& document, QWidget* parent = nullptr);

    static constexpr int kWidth = 190;

    int SelectedLog() const { return m_log; }

    // Chooses a log as a click on its radio button does.
    void SwitchLog(int log);
    // Writes the controls into the document's filter, tells the frame and
    // the other views.
    void ApplyFilter();
    // Enables the date range unless all dates are shown, then applies.
    void ToggleDates();
    // Lists the live vehicles again and selects the first; then the log's
    // category box and the filter follow.
    void RebuildVehicleBox();
    // Shows or hides the "Expense Log" button; hidden while the expense log
    // is shown, the pane switches to the trip log.
    void OfferExpenseLog(bool offered);
    // Chooses the vehicle with that identifier, when the box lists it, and
    // applies the filter.
    void SelectVehicle(std::uint32_t vehicleId);

signals:
    // The log to show changed (delivered to the frame after this pane's own
    // work is done).
    void logChanged(int log);

private:
    void ToggleDatesEnabled();
    void FillCategoryBox(int log);
    void ShowControlsFor(int log);
    CategoryList* CategoryListOf(int log) const;
    CategoryEntry** RememberedFilterOf(int log) const;
    // "Service Log (3)" while entries are past due, else "Service Log".
    void ShowPastDueCount();

    CTvDeskDoc& m_document;
    int m_log = 0;
    // Set while the pane answers another's broadcast: every list hears that
    // one after the pane, so the pane's own would fill them a second time.
    bool m_answeringBroadcast = false;

    QButtonGroup* m_logButtons;
    QLabel* m_vehicleLabel;
    QComboBox* m_vehicles;
    QLabel* m_categoryLabel;
    QComboBox* m_categories;
    QCheckBox* m_allDates;
    QGroupBox* m_range;
    QLabel* m_startLabel;
    QDateEdit* m_start;
    QLabel* m_endLabel;
    QDateEdit* m_end;
};
