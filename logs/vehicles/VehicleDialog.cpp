#include "VehicleDialog.h"

#include "AnsiText.h"
#include "DialogButtons.h"
#include "FieldChecks.h"
#include "LimitedTextEdit.h"
#include "VehicleRows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

constexpr int kInsuranceLines = 4;
// The field column is wide enough for the longest field, the VIN, with room.
constexpr int kFieldWidthInCharacters = 30;

} // namespace

CVehicleDialog::CVehicleDialog(VehicleRecord& record, const VehicleStore& store, bool metric,
                               QWidget* parent)
    : QDialog(parent), m_record(record), m_store(store), m_name(new QLineEdit(this)),
      m_odometer(new QLineEdit(this)), m_license(new QLineEdit(this)), m_vin(new QLineEdit(this)),
      m_insurance(new LimitedTextEdit(static_cast<int>(kMaxInsuranceLength), this)) {
    setWindowTitle("Vehicle");

    m_name->setObjectName("nameEdit");
    m_name->setMaxLength(static_cast<int>(kMaxVehicleNameLength));
    m_name->setText(AnsiText::ToQString(record.Name.View()));

    m_odometer->setObjectName("odometerEdit");
    FieldChecks::AllowDigitsOnly(m_odometer);
    m_odometer->setText(QString::number(record.Odometer));

    m_license->setObjectName("licenseEdit");
    m_license->setMaxLength(static_cast<int>(kMaxLicenseLength));
    m_license->setText(AnsiText::ToQString(record.License.View()));

    m_vin->setObjectName("vinEdit");
    m_vin->setMaxLength(static_cast<int>(kMaxVinLength));
    m_vin->setText(AnsiText::ToQString(record.Vin.View()));

    m_insurance->setObjectName("insuranceEdit");
    m_insurance->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_insurance->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_insurance->setPlainText(AnsiText::ToQString(record.Insurance.View()));
    const QFontMetrics metrics = m_insurance->fontMetrics();
    const QMargins frame = m_insurance->contentsMargins();
    m_insurance->setFixedHeight(metrics.lineSpacing() * kInsuranceLines +
                                2 * static_cast<int>(m_insurance->document()->documentMargin()) +
                                frame.top() + frame.bottom());

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow("Vehicle &Name:", m_name);
    form->addRow(metric ? "&Kilometers:" : "&Miles", m_odometer);
    form->addRow("&License Plate:", m_license);
    form->addRow("&VIN:", m_vin);
    form->addRow("&Insurance Info:", m_insurance);
    m_name->setMinimumWidth(m_name->fontMetrics().averageCharWidth() * kFieldWidthInCharacters);

    QDialogButtonBox* buttons = MakeOkCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // Top to bottom, then the buttons in the order they show.
    QWidget::setTabOrder(m_name, m_odometer);
    QWidget::setTabOrder(m_odometer, m_license);
    QWidget::setTabOrder(m_license, m_vin);
    QWidget::setTabOrder(m_vin, m_insurance);
    m_name->setFocus();
}

void CVehicleDialog::accept() {
    const std::optional<std::int64_t> odometer =
        FieldChecks::ReadInteger(m_odometer, 0, kMaxOdometer);
    if (!odometer)
        return;
    const std::string name = AnsiText::FromQString(m_name->text());
    if (name.empty()) {
        FieldChecks::Refuse(m_name, "You must enter a vehicle name");
        return;
    }
    if (IsVehicleNameUsed(m_store, name, &m_record)) {
        FieldChecks::Refuse(m_name,
                            "The vehicle name is already used. Please enter a unique name.");
        return;
    }

    m_record.Odometer = static_cast<std::int32_t>(*odometer);
    // Line breaks are stored as the handheld stores them, as line feeds.
    m_record.Insurance.Set(AnsiText::FromQString(m_insurance->toPlainText()));
    m_record.License.Set(AnsiText::FromQString(m_license->text()));
    m_record.Name.Set(name);
    m_record.Vin.Set(AnsiText::FromQString(m_vin->text()));
    m_record.MarkModified();
    QDialog::accept();
}
