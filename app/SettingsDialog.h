#pragma once

#include "RecordHold.h"
#include "ServiceDue.h"

#include <QDialog>

class CTvDeskApp;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Tarvenly Settings": the reimbursement rate, the export delimiter and date
// format, and the distance units of the data file. OK checks the rate, then
// applies the values to the program and the document; Cancel changes nothing,
// and so does OK once the document was emptied or replaced while the dialog
// was open (its units would land in the data read since).
class CSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSettingsDialog(CTvDeskApp& app, QWidget* parent = nullptr);

    void accept() override;

    // The delimiter for the button at that position: tab, comma, colon,
    // semicolon; tab for anything else.
    static char DelimiterForButton(int button);
    // The button showing a delimiter; tab's for any other character.
    static int ButtonForDelimiter(char delimiter);
    // A rate as the rate field shows it: its shortest decimal form.
    static QString RateText(double rate);

private:
    CTvDeskApp& m_app;
    CRecordHold m_hold;
    QLineEdit* m_rootFolder;
    QLineEdit* m_rate;
    QCheckBox* m_printRate;
    QButtonGroup* m_delimiters;
    QButtonGroup* m_units;
    QComboBox* m_dateFormat;
    // "Remind me N days / D miles ahead", the distance in the chosen units,
    // and whether due service is announced on the desktop.
    QWidget* MakeReminderBox();
    void ShowReminderUnits(bool metric);
    QSpinBox* m_reminderDays = nullptr;
    QSpinBox* m_reminderDistance = nullptr;
    QLabel* m_reminderUnits = nullptr;
    QCheckBox* m_notifications = nullptr;
    // The distance of each unit while the dialog is open.
    ReminderSettings m_reminders;
    bool m_reminderMetric = false;
};
