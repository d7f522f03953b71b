#include "TripDialog.h"

#include "AnsiText.h"
#include "ComboItems.h"
#include "FieldChecks.h"
#include "MExcept.h"
#include "MomentEdit.h"
#include "NoteDialog.h"
#include "RecordStore.h"
#include "TripRows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <optional>

namespace {

constexpr int kDestinationLength = 31;

QLineEdit* MakeOdometerEdit(std::int32_t reading, const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(reading), parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight);
    FieldChecks::AllowDigitsOnly(edit);
    return edit;
}

CMomentEdit* MakeDatePicker(const MTime& time, const char* name, QWidget* parent) {
    auto* picker = new CMomentEdit(time, parent);
    picker->setObjectName(name);
    return picker;
}

QTimeEdit* MakeTimePicker(const MTime& time, const char* name, QWidget* parent) {
    auto* picker = new QTimeEdit(QTime(time.GetHour(), time.GetMinute(), time.GetSecond()), parent);
    picker->setObjectName(name);
    picker->setDisplayFormat("h:mm:ss AP");
    return picker;
}

CTripDialog::Pickers MakePickers(const MTime& time, const char* dateName, const char* timeName,
                                 QWidget* parent) {
    CTripDialog::Pickers pickers{MakeDatePicker(time, dateName, parent),
                                 MakeTimePicker(time, timeName, parent), QTime()};
    pickers.shownTime = pickers.time->time();
    return pickers;
}

// The labels of one end: the two ends' fields take different access keys.
struct EndLabels {
    const char* distance;
    const char* date;
    const char* time;
};

QGroupBox* MakeEndGroup(const char* title, const EndLabels& labels, QLineEdit* odometer,
                        QDateEdit* date, QTimeEdit* time, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* form = new QFormLayout(group);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(labels.distance, odometer);
    form->addRow(labels.date, date);
    form->addRow(labels.time, time);
    return group;
}

// A moment of the record as its two pickers leave it.
struct PickedMoment {
    // Whether the user changed the day or the time.
    bool changed = false;
    // The new moment when changed; none when the data file cannot hold it.
    std::optional<MTime> time;
};

// A changed day or time replaces that part of the stored moment (the stored
// day may be one the picker cannot show); daylight saving is the calendar's.
PickedMoment Pick(const CTripDialog::Pickers& pickers) {
    const QTime clock = pickers.time->time();
    const bool timeChanged = clock != pickers.shownTime;
    if (!pickers.date->Changed() && !timeChanged)
        return {};
    const std::optional<MTime> day = pickers.date->Moment();
    if (!day || !timeChanged)
        return {true, day};
    try {
        return {true, MTime(day->GetYear() + 1900, day->GetMonth() + 1, day->GetDay(), clock.hour(),
                            clock.minute(), clock.second(), -1)};
    } catch (const MExcept&) {
        return {true, std::nullopt};
    }
}

} // namespace

CTripDialog::CTripDialog(TripRecord& trip, const VehicleStore& vehicles,
                         const CategoryList& categories, const VehicleRecord* defaultVehicle,
                         const CategoryEntry* defaultCategory, bool metric, bool newTrip,
                         QWidget* parent)
    : QDialog(parent), m_trip(trip), m_note(trip.Note), m_vehicle(new QComboBox(this)),
      m_category(new QComboBox(this)), m_destination(new QLineEdit(this)),
      m_startOdometer(MakeOdometerEdit(trip.StartOdometer, "startOdometerEdit", this)),
      m_start(MakePickers(trip.Start, "startDateEdit", "startTimeEdit", this)),
      m_endOdometer(MakeOdometerEdit(trip.EndOdometer, "endOdometerEdit", this)),
      m_end(MakePickers(trip.End, "endDateEdit", "endTimeEdit", this)) {
    setWindowTitle("Trip");
    m_vehicle->setObjectName("vehicleBox");
    m_category->setObjectName("categoryBox");
    m_destination->setObjectName("destinationEdit");

    // The vehicle of the trip (or the default one of a new trip); of several
    // with that identifier the last one in store order.
    const std::uint32_t wantedId =
        newTrip ? (defaultVehicle != nullptr ? defaultVehicle->VehicleId : 0) : trip.VehicleId;
    const bool wantVehicle = !newTrip || defaultVehicle != nullptr;
    int vehicleIndex = -1;
    for (const VehicleRecord& vehicle : vehicles.Records()) {
        if (vehicle.IsDeleted())
            continue;
        m_vehicle->addItem(AnsiText::ToQString(vehicle.Name.View()),
                           ComboItems::PointerData(&vehicle));
        if (wantVehicle && vehicle.VehicleId == wantedId)
            vehicleIndex = m_vehicle->count() - 1;
    }
    m_vehicle->setCurrentIndex(vehicleIndex);

    int categoryIndex = -1;
    for (const CategoryEntry& entry : categories.Items()) {
        m_category->addItem(AnsiText::ToQString(entry.Name), ComboItems::PointerData(&entry));
        const bool wanted = newTrip ? &entry == defaultCategory : entry.Category == trip.Category;
        if (wanted && categoryIndex < 0)
            categoryIndex = m_category->count() - 1;
    }
    m_category->setCurrentIndex(categoryIndex < 0 && m_category->count() > 0 ? 0 : categoryIndex);

    m_destination->setMaxLength(kDestinationLength);
    m_destination->setText(AnsiText::ToQString(trip.Destination.View()));
    m_destination->setMinimumWidth(260);

    auto* top = new QFormLayout;
    top->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addRow("&Vehicle:", m_vehicle);
    top->addRow("Cate&gory:", m_category);
    top->addRow("&Destination:", m_destination);

    const EndLabels start{metric ? "&Kilometers:" : "&Miles:", "D&ate:", "&Time:"};
    const EndLabels end{metric ? "Ki&lometers:" : "Mi&les:", "Dat&e:", "T&ime:"};
    auto* ends = new QHBoxLayout;
    ends->addWidget(
        MakeEndGroup("Start", start, m_startOdometer, m_start.date, m_start.time, this));
    ends->addWidget(MakeEndGroup("End", end, m_endOdometer, m_end.date, m_end.time, this));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addLayout(ends);
    layout->addSpacing(6);
    layout->addLayout(MakeNoteAndOkCancelRow(this, m_note));
    m_destination->setFocus();
}

void CTripDialog::accept() {
    const auto start = FieldChecks::ReadInteger(m_startOdometer, 0, kMaxOdometer);
    if (!start)
        return;
    const auto end = FieldChecks::ReadInteger(m_endOdometer, 0, kMaxOdometer);
    if (!end)
        return;
    if (m_destination->text().isEmpty()) {
        FieldChecks::Refuse(m_destination, "You must enter a place");
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
    // A moment the data file cannot hold keeps the dialog open on its date,
    // with nothing of the entry lost. Moments the user did not change stay
    // as they are stored, even where the pickers cannot show them.
    const PickedMoment startTime = Pick(m_start);
    if (startTime.changed && !startTime.time) {
        FieldChecks::Refuse(m_start.date, MExceptTimeOutOfRange().Message());
        return;
    }
    const PickedMoment endTime = Pick(m_end);
    if (endTime.changed && !endTime.time) {
        FieldChecks::Refuse(m_end.date, MExceptTimeOutOfRange().Message());
        return;
    }

    m_trip.Destination.Set(AnsiText::FromQString(m_destination->text()));
    m_trip.Category = category->Category;
    m_trip.VehicleId = vehicle->VehicleId;
    m_trip.StartOdometer = ClampOdometer(*start);
    m_trip.EndOdometer = ClampOdometer(*end);
    if (startTime.changed)
        m_trip.Start = *startTime.time;
    if (endTime.changed)
        m_trip.End = *endTime.time;
    m_trip.Note = m_note;
    m_trip.Flags |= RecordFlags::Modified;
    QDialog::accept();
}
