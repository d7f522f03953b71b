#include "ServiceTypeDialog.h"

#include "AnsiText.h"
#include "DialogButtons.h"
#include "FieldChecks.h"
#include "MessageBox.h"
#include "ServiceTypeRows.h"
#include "WholeNumber.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The unit buttons in the order of the time units 0-4.
const char* const kUnitNames[] = {"None", "Day", "Week", "Month", "Year"};
const char* const kUnitLabels[] = {"", "days", "weeks", "months", "years"};

QLineEdit* MakeNumberEdit(std::int64_t value, const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight);
    FieldChecks::AllowDigitsOnly(edit);
    return edit;
}

} // namespace

CServiceTypeDialog::CServiceTypeDialog(ServiceTypeRecord& type, const ServiceTypeStore& store,
                                       bool metric, QWidget* parent)
    : QDialog(parent), m_type(type), m_store(store), m_count(type.TimeCount),
      m_distance(type.DistanceInterval), m_name(new QLineEdit(this)),
      m_units(new QButtonGroup(this)), m_everyLabel(new QLabel("&Every:", this)),
      m_countEdit(MakeNumberEdit(type.TimeCount, "countEdit", this)), m_unitLabel(new QLabel(this)),
      m_distanceEdit(MakeNumberEdit(type.DistanceInterval, "distanceEdit", this)),
      m_timeSchedule(new QLabel(this)), m_distanceSchedule(new QLabel(this)), m_metric(metric) {
    setWindowTitle("Service Type");
    m_name->setObjectName("nameEdit");
    m_name->setMaxLength(kMaxNameLength);
    m_name->setText(AnsiText::ToQString(type.Name.View()));
    m_unitLabel->setObjectName("unitLabel");
    m_unitLabel->setMinimumWidth(m_unitLabel->fontMetrics().horizontalAdvance("months") + 4);
    m_countEdit->setMaximumWidth(60);
    m_everyLabel->setBuddy(m_countEdit);
    // The count field keeps its place whether "Every:" shows or not.
    QSizePolicy everyPolicy = m_everyLabel->sizePolicy();
    everyPolicy.setRetainSizeWhenHidden(true);
    m_everyLabel->setSizePolicy(everyPolicy);
    m_timeSchedule->setObjectName("timeScheduleLabel");
    m_distanceSchedule->setObjectName("distanceScheduleLabel");

    auto* time = new QGroupBox("Repeat TIme", this);
    auto* timeLayout = new QGridLayout(time);
    for (int unit = 0; unit < 5; ++unit) {
        auto* button = new QRadioButton(QString("&") + kUnitNames[unit], time);
        button->setObjectName(QString("unit%1Button").arg(kUnitNames[unit]));
        m_units->addButton(button, unit);
        timeLayout->addWidget(button, unit, 0);
    }
    const int unit = type.TimeUnit <= 4 ? type.TimeUnit : 0;
    m_units->button(unit)->setChecked(true);
    auto* count = new QHBoxLayout;
    count->addWidget(m_everyLabel);
    count->addWidget(m_countEdit);
    count->addWidget(m_unitLabel);
    count->addStretch(1);
    auto* countAndSchedule = new QVBoxLayout;
    countAndSchedule->addLayout(count);
    countAndSchedule->addWidget(m_timeSchedule);
    timeLayout->addLayout(countAndSchedule, 0, 1, 5, 1, Qt::AlignTop);
    timeLayout->setColumnStretch(1, 1);
    connect(m_units, &QButtonGroup::idClicked, this, &CServiceTypeDialog::OnUnitClicked);
    connect(m_countEdit, &QLineEdit::textChanged, this, &CServiceTypeDialog::ShowSchedules);
    connect(m_distanceEdit, &QLineEdit::textChanged, this, &CServiceTypeDialog::ShowSchedules);

    auto* distance = new QGroupBox("Repeat Milage", this);
    auto* distanceLayout = new QVBoxLayout(distance);
    auto* distanceRow = new QHBoxLayout;
    auto* everyDistance = new QLabel("E&very:", distance);
    everyDistance->setBuddy(m_distanceEdit);
    distanceRow->addWidget(everyDistance);
    distanceRow->addWidget(m_distanceEdit);
    distanceRow->addWidget(new QLabel(metric ? "Kilometers:" : "Miles", distance));
    distanceRow->addStretch(1);
    distanceLayout->addLayout(distanceRow);
    distanceLayout->addWidget(m_distanceSchedule);

    auto* name = new QFormLayout;
    name->addRow("N&ame:", m_name);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(name);
    layout->addWidget(time);
    layout->addWidget(distance);
    layout->addWidget(MakeOkCancelButtons(this));
    ShowUnit();
    m_name->setFocus();
}

int CServiceTypeDialog::SelectedUnit() const {
    return std::max(0, m_units->checkedId());
}

void CServiceTypeDialog::ShowUnit() {
    const int unit = SelectedUnit();
    const bool scheduled = unit != 0;
    m_everyLabel->setVisible(scheduled);
    m_countEdit->setEnabled(scheduled);
    m_unitLabel->setText(kUnitLabels[unit]);
    ShowSchedules();
}

void CServiceTypeDialog::ShowSchedules() {
    // What OK would store, in the list's words: a count or distance of 0
    // reads "Never". A field that OK would refuse shows no schedule.
    ServiceTypeRecord schedule;
    schedule.TimeUnit = static_cast<std::uint8_t>(SelectedUnit());
    const WholeNumber count = WholeNumber::Parse(m_countEdit->text().toStdString(), 0, kMaxCount);
    const WholeNumber distance =
        WholeNumber::Parse(m_distanceEdit->text().toStdString(), 0, kMaxOdometer);
    schedule.TimeCount = static_cast<std::uint8_t>(count.value);
    schedule.DistanceInterval = static_cast<std::int32_t>(distance.value);
    const auto text = [](const WholeNumber& field, const std::string& schedule) {
        return field.verdict == WholeNumber::Verdict::Ok ? QString::fromStdString(schedule)
                                                         : QString();
    };
    m_timeSchedule->setText(text(count, GetTimeScheduleText(schedule)));
    m_distanceSchedule->setText(text(distance, GetDistanceScheduleText(schedule, m_metric)));
}

bool CServiceTypeDialog::ReadFields() {
    const auto count = FieldChecks::ReadInteger(m_countEdit, 0, kMaxCount);
    if (!count)
        return false;
    const auto distance = FieldChecks::ReadInteger(m_distanceEdit, 0, kMaxOdometer);
    if (!distance)
        return false;
    m_count = *count;
    m_distance = *distance;
    return true;
}

void CServiceTypeDialog::OnUnitClicked() {
    // The count is judged as it was last read: one typed since then is
    // judged at the next click.
    if (m_count > kMaxRepeat) {
        m_count = 1;
        m_countEdit->setText(QString::number(m_count));
        FieldChecks::Refuse(m_countEdit, "The repeat number must be between 0 and 100.");
    }
    ReadFields();
    ShowUnit();
}

void CServiceTypeDialog::accept() {
    if (!ReadFields())
        return;
    const std::string name = AnsiText::FromQString(m_name->text());
    if (name.empty()) {
        FieldChecks::Refuse(m_name, "You must enter a service type name");
        return;
    }
    if (IsServiceTypeNameUsed(m_store, name, &m_type)) {
        FieldChecks::Refuse(m_name,
                            "The service type name is already used. Please enter a unique name.");
        return;
    }
    m_type.Name.Set(name);
    m_type.DistanceInterval = static_cast<std::int32_t>(m_distance);
    m_type.TimeCount = static_cast<std::uint8_t>(m_count);
    m_type.TimeUnit = static_cast<std::uint8_t>(SelectedUnit());
    m_type.MarkModified();
    QDialog::accept();
}
