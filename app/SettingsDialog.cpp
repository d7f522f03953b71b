#include "SettingsDialog.h"

#include "DialogButtons.h"
#include "FieldChecks.h"
#include "MainFrame.h"
#include "RecordStore.h"
#include "TvDeskApp.h"
#include "TvDeskDoc.h"
#include "UnitsCommand.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <memory>
#include <optional>

namespace {

constexpr char kDelimiters[] = {'\t', ',', ':', ';'};

QGroupBox* RadioGroup(const QString& title, const QStringList& labels, QButtonGroup* group,
                      QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(box);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QRadioButton(labels[i], box);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch();
    return box;
}

// The rate the user typed, with the program's decimal point or the user's
// own. Group separators are refused, so "1,500" is never taken for 1500 by
// someone who writes a decimal comma.
std::optional<double> ParseRate(const QString& text) {
    const QString trimmed = text.trimmed();
    for (QLocale locale : {QLocale::c(), QLocale()}) {
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        bool isNumber = false;
        const double rate = locale.toDouble(trimmed, &isNumber);
        if (isNumber && std::isfinite(rate))
            return rate;
    }
    return std::nullopt;
}

} // namespace

QString CSettingsDialog::RateText(double rate) {
    return QString::number(rate, 'f', QLocale::FloatingPointShortest);
}

char CSettingsDialog::DelimiterForButton(int button) {
    if (button < 0 || button >= static_cast<int>(sizeof(kDelimiters)))
        return '\t';
    return kDelimiters[button];
}

int CSettingsDialog::ButtonForDelimiter(char delimiter) {
    for (int i = 1; i < static_cast<int>(sizeof(kDelimiters)); ++i)
        if (kDelimiters[i] == delimiter)
            return i;
    return 0;
}

CSettingsDialog::CSettingsDialog(CTvDeskApp& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_hold(app.Doc()), m_rootFolder(new QLineEdit(this)),
      m_rate(new QLineEdit(this)), m_printRate(new QCheckBox(this)),
      m_delimiters(new QButtonGroup(this)), m_units(new QButtonGroup(this)),
      m_dateFormat(new QComboBox(this)) {
    setWindowTitle(tr("Tarvenly Settings"));

    char root[CTvDeskApp::kUserTextBufferSize] = {};
    std::int16_t size = CTvDeskApp::kUserTextBufferSize;
    if (app.UserManager() != nullptr)
        app.UserManager()->UmGetRootDirectory(root, &size);
    m_rootFolder->setText(QString::fromUtf8(root));
    m_rootFolder->setMaxLength(256);
    m_rootFolder->setReadOnly(true);

    m_rate->setObjectName("rate");
    m_rate->setText(RateText(app.Rate));

    m_printRate->setText(tr("&Print rate times mileage on trip report"));
    m_printRate->setChecked(app.PrintRate);

    m_dateFormat->addItems({"1/1/2004 1:01", "1/1/2004"});
    m_dateFormat->setCurrentIndex(app.DateTimeExportFormat);

    auto* delimiterBox =
        RadioGroup(tr("Text Export Field Delimiter"),
                   {tr("&Tab"), tr("Co&mma"), tr("Co&lon"), tr("&Semicolon")}, m_delimiters, this);
    m_delimiters->button(ButtonForDelimiter(app.Delimiter))->setChecked(true);

    auto* unitsBox =
        RadioGroup(tr("Units"), {tr("&Imperial(Miles)"), tr("M&etric(Kilometers)")}, m_units, this);
    m_units->button(app.Doc().Trips().UsesKilometres() ? 1 : 0)->setChecked(true);

    // One form, so that the labels share one column.
    auto* form = new QFormLayout;
    form->addRow(tr("Root &Data Directory"), m_rootFolder);
    form->addRow(tr("Milage Reimbursement R&ate:"), m_rate);
    form->addRow(QString(), m_printRate);
    form->addRow(delimiterBox);
    form->addRow(unitsBox);
    form->addRow(tr("Date/Time E&xport Format:"), m_dateFormat);
    form->addRow(MakeReminderBox());
    m_rootFolder->setMinimumWidth(320);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CSettingsDialog::accept() {
    if (m_hold.Lost()) {
        QDialog::reject();
        return;
    }
    // The rate must fit its stored form (ten-thousandths in 32 bits), or it
    // would come back as another number at the next start.
    const std::optional<double> rate = ParseRate(m_rate->text());
    if (!rate) {
        FieldChecks::Refuse(m_rate, "Please enter a number.");
        return;
    }
    if (*rate < 0 || *rate > AppSettings::kMaxRate) {
        FieldChecks::Refuse(m_rate, QString("Please enter a number between 0 and %1.")
                                        .arg(RateText(AppSettings::kMaxRate)));
        return;
    }
    m_app.Rate = *rate;
    m_app.PrintRate = m_printRate->isChecked();
    m_app.Delimiter = DelimiterForButton(m_delimiters->checkedId());
    m_app.DateTimeExportFormat = m_dateFormat->currentIndex() > 0 ? 1 : 0;
    ShowReminderUnits(m_units->checkedId() == 1);
    m_reminders.Days = m_reminderDays->value();
    m_app.Reminders = m_reminders;
    m_app.ServiceNotifications = m_notifications->isChecked();
    ReminderSettings::SetCurrent(m_reminders);

    // The units live in the data file: a change is an edit of the data,
    // undone as any other; an unchanged choice changes nothing.
    CTvDeskDoc& document = m_app.Doc();
    auto units = std::make_unique<CUnitsCommand>(document, m_units->checkedId() == 1);
    if (units->ChangesAnything()) {
        document.Push(units.release());
        if (m_app.MainFrame() != nullptr)
            m_app.MainFrame()->RebuildActiveView();
    }
    QDialog::accept();
}

QWidget* CSettingsDialog::MakeReminderBox() {
    auto* box = new QGroupBox(tr("Service Reminders"), this);
    m_reminders = m_app.Reminders;
    m_reminderDays = new QSpinBox(box);
    m_reminderDays->setObjectName("reminderDays");
    m_reminderDays->setRange(0, AppSettings::kMaxReminder);
    m_reminderDays->setValue(m_reminders.Days);
    m_reminderDistance = new QSpinBox(box);
    m_reminderDistance->setObjectName("reminderDistance");
    m_reminderDistance->setRange(0, AppSettings::kMaxReminder);
    m_reminderUnits = new QLabel(box);
    m_reminderUnits->setBuddy(m_reminderDistance);
    m_notifications = new QCheckBox(tr("Show a desktop &notification when service is due"), box);
    m_notifications->setObjectName("serviceNotifications");
    m_notifications->setChecked(m_app.ServiceNotifications);
    m_reminderMetric = m_units->checkedId() == 1;
    m_reminderDistance->setValue(m_reminderMetric ? m_reminders.Kilometres : m_reminders.Miles);
    ShowReminderUnits(m_reminderMetric);
    connect(m_units, &QButtonGroup::idClicked, this,
            [this](int button) { ShowReminderUnits(button == 1); });

    auto* remindMe = new QLabel(tr("&Remind me"), box);
    remindMe->setBuddy(m_reminderDays);
    auto* line = new QHBoxLayout;
    line->addWidget(remindMe);
    line->addWidget(m_reminderDays);
    line->addWidget(new QLabel(tr("days /"), box));
    line->addWidget(m_reminderDistance);
    line->addWidget(m_reminderUnits);
    line->addStretch();
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(line);
    layout->addWidget(m_notifications);
    return box;
}

void CSettingsDialog::ShowReminderUnits(bool metric) {
    // The distance typed for one unit is kept for it when the units change.
    (m_reminderMetric ? m_reminders.Kilometres : m_reminders.Miles) = m_reminderDistance->value();
    m_reminderMetric = metric;
    m_reminderDistance->setValue(metric ? m_reminders.Kilometres : m_reminders.Miles);
    m_reminderUnits->setText(metric ? tr("kilometers a&head") : tr("miles a&head"));
}
