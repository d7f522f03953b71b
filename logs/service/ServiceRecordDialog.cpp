#include "ServiceRecordDialog.h"

#include "AnsiText.h"
#include "Clock.h"
#include "ComboItems.h"
#include "FieldChecks.h"
#include "MExcept.h"
#include "MomentEdit.h"
#include "NoteDialog.h"
#include "ServiceRows.h"
#include "TextOrder.h"
#include "TvDocument.h"
#include "VehicleRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CServiceRecordDialog::CServiceRecordDialog(ServiceRecord& entry, const TvDocument& document,
                                           bool metric, bool newEntry, QWidget* parent)
    : QDialog(parent), m_entry(entry), m_document(document), m_metric(metric), m_note(entry.Note),
      m_vehicle(new QComboBox(this)), m_type(new QComboBox(this)),
      m_odometer(new QLineEdit(QString::number(entry.Odometer), this)),
      m_date(new CMomentEdit(entry.Date, this)), m_autoSet(new QPushButton("&AutoSet", this)),
      m_completed(new QCheckBox("Com&pleted", this)), m_lastServicing(new QLabel(this)) {
    setWindowTitle("Service Record");
    m_vehicle->setObjectName("vehicleBox");
    m_type->setObjectName("typeBox");
    m_odometer->setObjectName("odometerEdit");
    m_odometer->setAlignment(Qt::AlignRight);
    FieldChecks::AllowDigitsOnly(m_odometer);
    m_date->setObjectName("dateEdit");
    m_autoSet->setObjectName("autoSetButton");
    m_autoSet->setAutoDefault(false);
    m_completed->setObjectName("completedBox");
    m_completed->setChecked(entry.IsCompleted());
    m_lastServicing->setObjectName("lastServicingLabel");
    m_lastServicing->setMinimumWidth(240);

    // The vehicles in the filter pane's order.
    int vehicleIndex = -1;
    for (const VehicleRecord* vehicle : VehiclesByName(document.Vehicles())) {
        m_vehicle->addItem(AnsiText::ToQString(vehicle->Name.View()),
                           ComboItems::PointerData(vehicle));
        if (vehicle->VehicleId == entry.VehicleId && vehicleIndex < 0)
            vehicleIndex = m_vehicle->count() - 1;
    }
    m_vehicle->setCurrentIndex(vehicleIndex);

    // Every type, deleted ones too, so that an entry of a deleted type still
    // shows it; sorted as people read names.
    std::vector<const ServiceTypeRecord*> types;
    for (const ServiceTypeRecord& type : document.ServiceTypes().Records())
        types.push_back(&type);
    std::stable_sort(types.begin(), types.end(),
                     [](const ServiceTypeRecord* a, const ServiceTypeRecord* b) {
                         return TextOrder::Less(a->Name.View(), b->Name.View());
                     });
    for (const ServiceTypeRecord* type : types)
        m_type->addItem(AnsiText::ToQString(type->Name.View()), ComboItems::PointerData(type));
    // The entry's type, or the first line for an entry without one.
    int typeIndex = types.empty() ? -1 : 0;
    if (entry.ServiceTypeId != 0) {
        const auto found = std::find_if(types.begin(), types.end(), [&](const auto* type) {
            return type->ServiceTypeId == entry.ServiceTypeId;
        });
        typeIndex = found == types.end() ? -1 : static_cast<int>(found - types.begin());
    }
    m_type->setCurrentIndex(typeIndex);

    auto* top = new QFormLayout;
    top->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addRow("&Vehicle:", m_vehicle);
    top->addRow("Service &Type:", m_type);

    auto* serviceOn = new QGroupBox("Service On", this);
    auto* serviceForm = new QFormLayout;
    serviceForm->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    serviceForm->addRow(metric ? "&Kilometers:" : "&Miles:", m_odometer);
    serviceForm->addRow("&Date:", m_date);
    auto* serviceRow = new QHBoxLayout(serviceOn);
    serviceRow->addLayout(serviceForm, 1);
    auto* serviceButtons = new QVBoxLayout;
    serviceButtons->addWidget(m_autoSet);
    serviceButtons->addWidget(m_completed);
    serviceRow->addLayout(serviceButtons);

    auto* last = new QGroupBox("Last Servicing", this);
    (new QVBoxLayout(last))->addWidget(m_lastServicing);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(top);
    layout->addWidget(serviceOn);
    layout->addWidget(last);
    layout->addLayout(MakeNoteAndOkCancelRow(this, m_note));

    connect(m_autoSet, &QPushButton::clicked, this, &CServiceRecordDialog::OnAutoSet);
    RefreshLastServicing();
    if (newEntry)
        Restore();
    connect(m_vehicle, &QComboBox::currentIndexChanged, this,
            &CServiceRecordDialog::OnVehicleOrTypeChanged);
    connect(m_type, &QComboBox::currentIndexChanged, this,
            &CServiceRecordDialog::OnVehicleOrTypeChanged);
}

const VehicleRecord* CServiceRecordDialog::SelectedVehicle() const {
    return ComboItems::Current<VehicleRecord>(m_vehicle);
}

const ServiceTypeRecord* CServiceRecordDialog::SelectedType() const {
    return ComboItems::Current<ServiceTypeRecord>(m_type);
}

void CServiceRecordDialog::RefreshLastServicing() {
    const VehicleRecord* vehicle = SelectedVehicle();
    const ServiceTypeRecord* type = SelectedType();
    std::string text = "Unknown.";
    if (vehicle != nullptr && type != nullptr) {
        try {
            text = GetLastServicingText(m_document, *vehicle, *type, m_metric);
        } catch (const MExcept&) {
            // A date the calendar cannot place leaves the line unknown.
        }
    }
    m_lastServicing->setText(AnsiText::ToQString(text));
}

void CServiceRecordDialog::Restore() {
    const VehicleRecord* vehicle = SelectedVehicle();
    m_odometer->setText(
        QString::number(vehicle != nullptr ? m_document.CurrentOdometer(*vehicle) : 0));
    m_date->SetMoment(Clock::Now());
    m_proposeNext = true;
}

void CServiceRecordDialog::OnAutoSet() {
    if (!FieldChecks::ReadInteger(m_odometer, 0, kMaxOdometer))
        return;
    if (!m_proposeNext) {
        Restore();
        return;
    }
    const VehicleRecord* vehicle = SelectedVehicle();
    if (vehicle == nullptr)
        return;
    try {
        const ServiceProposal proposal = ProposeNextService(m_document, *vehicle, SelectedType());
        m_odometer->setText(QString::number(proposal.Odometer));
        m_date->SetMoment(proposal.Date);
    } catch (const MExcept& error) {
        FieldChecks::Refuse(m_date, error.Message());
        return;
    }
    m_proposeNext = false;
}

void CServiceRecordDialog::OnVehicleOrTypeChanged() {
    RefreshLastServicing();
    Restore();
}

void CServiceRecordDialog::accept() {
    const auto odometer = FieldChecks::ReadInteger(m_odometer, 0, kMaxOdometer);
    if (!odometer)
        return;
    const VehicleRecord* vehicle = SelectedVehicle();
    if (vehicle == nullptr) {
        FieldChecks::Refuse(m_vehicle, "You must select a vehicle");
        return;
    }
    const ServiceTypeRecord* type = SelectedType();
    if (type == nullptr) {
        FieldChecks::Refuse(m_type, "You must select a service type");
        return;
    }
    const std::optional<MTime> date = m_date->Moment();
    if (!date) {
        FieldChecks::Refuse(m_date, MExceptTimeOutOfRange().Message());
        return;
    }
    m_entry.VehicleId = vehicle->VehicleId;
    m_entry.ServiceTypeId = type->ServiceTypeId;
    m_entry.Odometer = static_cast<std::int32_t>(*odometer);
    m_entry.Date = *date;
    if (m_completed->isChecked())
        m_entry.ServiceFlags |= ServiceFlagBits::Completed;
    else
        m_entry.ServiceFlags &= static_cast<std::uint16_t>(~ServiceFlagBits::Completed);
    m_entry.Note = m_note;
    m_entry.MarkModified();
    QDialog::accept();
}
