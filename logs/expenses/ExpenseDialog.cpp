#include "ExpenseDialog.h"

#include "AnsiText.h"
#include "ComboItems.h"
#include "ExpenseRows.h"
#include "FieldChecks.h"
#include "MExcept.h"
#include "MomentEdit.h"
#include "NoteDialog.h"
#include "TvDocument.h"
#include "VehicleRows.h"
#include "WholeNumber.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// An amount as the field shows it: every stored decimal, so that a dialog
// confirmed without touching the field keeps the amount to the thousandth.
QString AmountText(std::int32_t stored) {
    return QString::fromStdString(ExactAmountText(stored));
}

} // namespace

CExpenseDialog::CExpenseDialog(ExpenseRecord& expense, const TvDocument& document,
                               const VehicleRecord* defaultVehicle,
                               const CategoryEntry* defaultCategory, bool metric, QWidget* parent)
    : QDialog(parent), m_expense(expense), m_document(document), m_note(expense.Note),
      m_vehicle(new QComboBox(this)), m_category(new QComboBox(this)),
      m_vendor(MakeEdit("vendorEdit", this)), m_cost(MakeEdit("costEdit", this)),
      m_date(new CMomentEdit(expense.Date, this)), m_description(MakeEdit("descriptionEdit", this)),
      m_odometer(MakeEdit("odometerEdit", this)), m_gas(new QCheckBox("&Gas", this)),
      m_volumeLabel(new QLabel(metric ? "&Liters" : "Ga&llons", this)),
      m_volume(MakeEdit("volumeEdit", this)),
      m_efficiencyLabel(new QLabel(metric ? "Km/L" : "MPG", this)),
      m_efficiency(MakeEdit("efficiencyEdit", this)),
      m_lastFillUpLabel(new QLabel("Last Fillup:", this)),
      m_lastFillUp(MakeEdit("lastFillUpEdit", this)) {
    setWindowTitle("Expense");
    m_vehicle->setObjectName("vehicleBox");
    m_category->setObjectName("categoryBox");
    m_date->setObjectName("dateEdit");
    m_gas->setObjectName("gasBox");
    m_volumeLabel->setObjectName("volumeLabel");
    m_volumeLabel->setBuddy(m_volume);
    m_efficiencyLabel->setObjectName("efficiencyLabel");
    m_efficiency->setReadOnly(true);
    m_lastFillUp->setReadOnly(true);
    m_vendor->setMaxLength(kMaxTextLength);
    m_description->setMaxLength(kMaxTextLength);
    for (QLineEdit* number : {m_cost, m_odometer, m_volume, m_efficiency, m_lastFillUp})
        number->setAlignment(Qt::AlignRight);
    FieldChecks::AllowDigitsOnly(m_odometer);

    // The expense's vehicle, else the preselected one; in the filter pane's
    // order.
    int vehicleIndex = -1;
    int defaultIndex = -1;
    for (const VehicleRecord* vehicle : VehiclesByName(document.Vehicles())) {
        m_vehicle->addItem(AnsiText::ToQString(vehicle->Name.View()),
                           ComboItems::PointerData(vehicle));
        const int index = m_vehicle->count() - 1;
        if (vehicle->VehicleId == expense.VehicleId && vehicleIndex < 0)
            vehicleIndex = index;
        if (vehicle == defaultVehicle)
            defaultIndex = index;
    }
    m_vehicle->setCurrentIndex(vehicleIndex >= 0 ? vehicleIndex : defaultIndex);

    // The preselected entry, else the expense's; the first when none is there
    // (the "All" entry is not in the box).
    int categoryIndex = -1;
    for (const CategoryEntry& entry : document.Expenses().Categories.Items()) {
        m_category->addItem(AnsiText::ToQString(entry.Name), ComboItems::PointerData(&entry));
        const bool wanted = defaultCategory != nullptr ? &entry == defaultCategory
                                                       : entry.Category == expense.Category;
        if (wanted && categoryIndex < 0)
            categoryIndex = m_category->count() - 1;
    }
    m_category->setCurrentIndex(categoryIndex < 0 && m_category->count() > 0 ? 0 : categoryIndex);

    m_vendor->setText(AnsiText::ToQString(expense.Vendor.View()));
    m_description->setText(AnsiText::ToQString(expense.Description.View()));
    m_cost->setText(AmountText(expense.Cost));
    m_odometer->setText(QString::number(expense.Odometer));
    m_volume->setText(AmountText(expense.Volume));
    m_gas->setChecked(expense.IsFuelPurchase());
    m_shownCost = m_cost->text();
    m_shownVolume = m_volume->text();
    // A new expense proposes the vehicle's current reading.
    if (defaultVehicle != nullptr)
        m_proposedOdometer = m_odometer->text();

    auto* grid = new QGridLayout;
    const auto label = [this](const char* text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        return label;
    };
    grid->addWidget(label("&Vehicle:", m_vehicle), 0, 0, Qt::AlignRight);
    grid->addWidget(m_vehicle, 0, 1);
    grid->addWidget(label("Ca&tegory:", m_category), 0, 2, Qt::AlignRight);
    grid->addWidget(m_category, 0, 3);
    grid->addWidget(label("V&ender:", m_vendor), 1, 0, Qt::AlignRight);
    grid->addWidget(m_vendor, 1, 1);
    grid->addWidget(label("Co&st:", m_cost), 1, 2, Qt::AlignRight);
    grid->addWidget(m_cost, 1, 3);
    grid->addWidget(label("&Description:", m_description), 2, 0, Qt::AlignRight);
    grid->addWidget(m_description, 2, 1);
    grid->addWidget(label("D&ate:", m_date), 2, 2, Qt::AlignRight);
    grid->addWidget(m_date, 2, 3);
    grid->addWidget(label("Odo&meter:", m_odometer), 3, 0, Qt::AlignRight);
    grid->addWidget(m_odometer, 3, 1);
    grid->addWidget(m_gas, 3, 3);
    grid->addWidget(m_volumeLabel, 4, 0, Qt::AlignRight);
    grid->addWidget(m_volume, 4, 1);
    grid->addWidget(m_efficiencyLabel, 4, 2, Qt::AlignRight);
    grid->addWidget(m_efficiency, 4, 3);
    grid->addWidget(m_lastFillUpLabel, 5, 2, Qt::AlignRight);
    grid->addWidget(m_lastFillUp, 5, 3);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(grid);
    layout->addLayout(MakeNoteAndOkCancelRow(this, m_note));

    connect(m_gas, &QCheckBox::toggled, this, [this](bool checked) {
        ShowFillUpControls();
        if (checked)
            UpdateEfficiency();
    });
    connect(m_odometer, &QLineEdit::textChanged, this, &CExpenseDialog::UpdateEfficiency);
    connect(m_vehicle, &QComboBox::currentIndexChanged, this, &CExpenseDialog::OnVehicleChanged);
    ShowFillUpControls();
    UpdateEfficiency();
    m_vendor->setFocus();
}

void CExpenseDialog::ShowFillUpControls() {
    const bool gas = m_gas->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_volumeLabel, m_volume, m_efficiencyLabel, m_efficiency,
                                         m_lastFillUpLabel, m_lastFillUp})
        control->setVisible(gas);
}

void CExpenseDialog::OnVehicleChanged() {
    // The proposal follows the vehicle until the user types a reading.
    const VehicleRecord* vehicle = ComboItems::Current<VehicleRecord>(m_vehicle);
    if (vehicle != nullptr && m_proposedOdometer && m_odometer->text() == *m_proposedOdometer) {
        m_proposedOdometer = QString::number(m_document.CurrentOdometer(*vehicle));
        m_odometer->setText(*m_proposedOdometer);
    }
    UpdateEfficiency();
}

void CExpenseDialog::UpdateEfficiency() {
    // Worked out from the fields as they stand, without a word about a field
    // that is still being typed: OK checks them.
    const VehicleRecord* vehicle = ComboItems::Current<VehicleRecord>(m_vehicle);
    const WholeNumber odometer =
        WholeNumber::Parse(m_odometer->text().toStdString(), 0, kMaxOdometer);
    const ExpenseRecord* previous =
        vehicle != nullptr && odometer.verdict == WholeNumber::Verdict::Ok
            ? m_document.Expenses().PreviousFillUp(
                  *vehicle, static_cast<std::int32_t>(odometer.value), &m_expense)
            : nullptr;
    if (previous == nullptr) {
        m_efficiency->setText("Unknown");
        m_lastFillUp->setText("Unknown");
        return;
    }
    m_lastFillUp->setText(QString::number(previous->Odometer));
    // The volume as it will be stored: below half a thousandth it is none.
    const double typed = static_cast<float>(FieldChecks::PeekNumber(m_volume).value_or(0));
    const double volume = ToShownAmount(ToStoredAmount(typed).value_or(0));
    m_efficiency->setText(QString::fromStdString(
        GetFuelEfficiencyText(static_cast<std::int32_t>(odometer.value), volume, previous)));
}

void CExpenseDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        UpdateEfficiency();
    QDialog::changeEvent(event);
}

void CExpenseDialog::accept() {
    // An amount field left as it was opened keeps the stored thousandths.
    std::int32_t storedCost = m_expense.Cost;
    if (m_cost->text() != m_shownCost) {
        const auto cost = FieldChecks::ReadNumber(m_cost, kMinStoredAmount, kMaxStoredAmount);
        if (!cost)
            return;
        const std::optional<std::int32_t> converted = ToStoredAmount(*cost);
        if (!converted) {
            FieldChecks::Refuse(m_cost, QString("Please enter a number between %1 and %2.")
                                            .arg(kMinStoredAmount, 0, 'f', 3)
                                            .arg(kMaxStoredAmount, 0, 'f', 3));
            return;
        }
        storedCost = *converted;
    }
    const auto odometer = FieldChecks::ReadInteger(m_odometer, 0, kMaxOdometer);
    if (!odometer)
        return;
    // The volume is checked only while it is shown; hidden, it is carried
    // through as stored.
    std::int32_t storedVolume = m_expense.Volume;
    if (m_gas->isChecked() && m_volume->text() != m_shownVolume) {
        const auto volume = FieldChecks::ReadNumber(m_volume, 0, kMaxVolume);
        if (!volume)
            return;
        storedVolume = ToStoredAmount(*volume).value_or(0);
    }
    if (m_vendor->text().isEmpty()) {
        FieldChecks::Refuse(m_vendor, "You must enter a Vender");
        return;
    }
    const auto* vehicle = ComboItems::Current<VehicleRecord>(m_vehicle);
    if (vehicle == nullptr) {
        FieldChecks::Refuse(m_vehicle, "You must select a vehicle");
        return;
    }
    const auto* category = ComboItems::Current<CategoryEntry>(m_category);
    if (category == nullptr) {
        FieldChecks::Refuse(m_category, "You must select a category");
        return;
    }
    // The day at midnight; a stored day the picker could not show and the
    // user left alone stays as stored.
    const std::optional<MTime> date = m_date->Moment(true);
    if (!date) {
        FieldChecks::Refuse(m_date, MExceptTimeOutOfRange().Message());
        return;
    }

    m_expense.Vendor.Set(AnsiText::FromQString(m_vendor->text()));
    m_expense.Description.Set(AnsiText::FromQString(m_description->text()));
    m_expense.Cost = storedCost;
    m_expense.Odometer = static_cast<std::int32_t>(*odometer);
    if (m_gas->isChecked())
        m_expense.ExpenseFlags |= ExpenseFlagBits::FuelPurchase;
    else
        m_expense.ExpenseFlags &= static_cast<std::uint16_t>(~ExpenseFlagBits::FuelPurchase);
    m_expense.Volume = storedVolume;
    m_expense.VehicleId = vehicle->VehicleId;
    m_expense.Category = category->Category;
    m_expense.Date = *date;
    m_expense.Note = m_note;
    // Like every other change made here, so that the next HotSync carries it.
    m_expense.MarkModified();
    QDialog::accept();
}
