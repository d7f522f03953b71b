#include "TabForm.h"

#include "AnsiText.h"
#include "LogView.h"
#include "MExcept.h"
#include "MessageBox.h"
#include "ServiceDue.h"
#include "TvDeskDoc.h"
#include "VehicleRows.h"
#include "WholeDateEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

template <typename T> T* ItemPointer(const QComboBox* box, int index) {
    return static_cast<T*>(box->itemData(index).value<void*>());
}

QVariant PointerData(const void* pointer) {
    return QVariant::fromValue(const_cast<void*>(pointer));
}

// Dates are shown month first without leading zeros, as everywhere else; a
// typed date is taken whole, on Enter or on leaving the field.
QDateEdit* MakeDatePicker(QWidget* parent) {
    return new CWholeDateEdit(QDate::currentDate(), parent);
}

} // namespace

CTabForm::CTabForm(CTvDeskDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document), m_logButtons(new QButtonGroup(this)),
      m_vehicleLabel(new QLabel("Vehi&cle:", this)), m_vehicles(new QComboBox(this)),
      m_categoryLabel(new QLabel("C&ategory:", this)), m_categories(new QComboBox(this)),
      m_allDates(new QCheckBox("&Display All Dates", this)),
      m_range(new QGroupBox("Display by range:", this)),
      m_startLabel(new QLabel("Sta&rt Date:", m_range)), m_start(MakeDatePicker(m_range)),
      m_endLabel(new QLabel("E&nd Date:", m_range)), m_end(MakeDatePicker(m_range)) {
    setObjectName("TabForm");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 8, 10);
    layout->setSpacing(4);

    const char* const logNames[LogIndex::kCount] = {"&Trip Log", "&Service Log", "Service T&ypes",
                                                    "Vehicle &List", "E&xpense Log"};
    for (int log = 0; log < LogIndex::kCount; ++log) {
        auto* button = new QRadioButton(logNames[log], this);
        m_logButtons->addButton(button, log);
        layout->addWidget(button);
    }
    m_logButtons->button(LogIndex::kTripLog)->setChecked(true);
    // The expense log is complete but not offered here.
    m_logButtons->button(LogIndex::kExpenseLog)->hide();

    layout->addSpacing(12);
    m_vehicleLabel->setBuddy(m_vehicles);
    layout->addWidget(m_vehicleLabel);
    layout->addWidget(m_vehicles);
    layout->addSpacing(6);
    m_categoryLabel->setBuddy(m_categories);
    layout->addWidget(m_categoryLabel);
    layout->addWidget(m_categories);
    layout->addSpacing(10);
    m_allDates->setChecked(true);
    layout->addWidget(m_allDates);
    layout->addSpacing(4);

    auto* range = new QFormLayout(m_range);
    range->setContentsMargins(8, 8, 8, 8);
    range->setRowWrapPolicy(QFormLayout::WrapAllRows);
    range->setVerticalSpacing(4);
    m_startLabel->setBuddy(m_start);
    m_endLabel->setBuddy(m_end);
    range->addRow(m_startLabel, m_start);
    range->addRow(m_endLabel, m_end);
    layout->addWidget(m_range);
    layout->addStretch(1);

    for (QWidget* box : {static_cast<QWidget*>(m_vehicles), static_cast<QWidget*>(m_categories)})
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    connect(m_logButtons, &QButtonGroup::idClicked, this, &CTabForm::SwitchLog);
    connect(m_allDates, &QCheckBox::clicked, this, &CTabForm::ToggleDates);
    connect(m_vehicles, &QComboBox::activated, this, &CTabForm::ApplyFilter);
    connect(m_categories, &QComboBox::activated, this, &CTabForm::ApplyFilter);
    connect(m_start, &QDateEdit::dateChanged, this, &CTabForm::ApplyFilter);
    connect(m_end, &QDateEdit::dateChanged, this, &CTabForm::ApplyFilter);
    // Changes made elsewhere (vehicles, categories, a new data file) rebuild
    // the vehicle box; the pane's own broadcasts do not come back here.
    connect(&m_document, &CTvDeskDoc::viewsUpdated, this, [this](QObject* sender, int) {
        if (sender != this) {
            const QScopedValueRollback answering(m_answeringBroadcast, true);
            RebuildVehicleBox();
            ShowPastDueCount();
        }
    });
    // An undo or redo of a change to the vehicles or the categories rebuilds
    // the boxes as the change itself did. The pane is made before any log
    // view, so this runs before the views put their rows back.
    connect(&m_document, &CTvDeskDoc::documentChanged, this, [this](const DocumentChange& change) {
        if (change.IsReplay() &&
            (change.Find(StoreKind::Vehicles) != nullptr || change.TouchesCategories()))
            RebuildVehicleBox();
        // Whether an entry is past due hangs on the entries, their types and
        // the vehicles' readings, which trips raise: the count follows every
        // edit, undo and redo of them.
        for (const StoreKind kind : {StoreKind::Trips, StoreKind::Services, StoreKind::Vehicles,
                                     StoreKind::ServiceTypes}) {
            if (change.Find(kind) != nullptr) {
                ShowPastDueCount();
                break;
            }
        }
    });
    // The stores are about to be emptied: no item may keep a record.
    connect(&m_document, &CTvDeskDoc::contentsCleared, this, [this] {
        m_vehicles->clear();
        m_categories->clear();
        m_logButtons->button(LogIndex::kServiceLog)->setText("&Service Log");
    });

    setFixedWidth(kWidth);
    ShowControlsFor(m_log);
    ToggleDatesEnabled();
}

void CTabForm::ApplyFilter() {
    const auto dayAt = [](QDate date, int hour, int minute, int second) {
        return MTime(date.year(), date.month(), date.day(), hour, minute, second, -1);
    };
    try {
        m_document.FromDate = dayAt(m_start->date(), 0, 0, 0);
    } catch (const MExcept& error) {
        MessageBox::warning(this, error.Message());
    }
    try {
        m_document.ToDate = dayAt(m_end->date(), 23, 59, 59);
    } catch (const MExcept& error) {
        MessageBox::warning(this, error.Message());
    }
    m_document.DisplayAllDates = m_allDates->isChecked() ? 1 : 0;

    const int vehicle = m_vehicles->currentIndex();
    m_document.SelectedVehicle =
        vehicle < 0 ? nullptr : ItemPointer<VehicleRecord>(m_vehicles, vehicle);
    const int category = m_categories->currentIndex();
    if (category >= 0) {
        if (CategoryEntry** filter = RememberedFilterOf(m_log))
            *filter = ItemPointer<CategoryEntry>(m_categories, category);
    }
    // The lists hear of the change once every filter member is written.
    if (!m_answeringBroadcast)
        m_document.UpdateAllViews(this, 0);
}

void CTabForm::ToggleDates() {
    ToggleDatesEnabled();
    ApplyFilter();
}

void CTabForm::ToggleDatesEnabled() {
    const bool byRange = !m_allDates->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(m_range), static_cast<QWidget*>(m_startLabel),
                             static_cast<QWidget*>(m_start), static_cast<QWidget*>(m_endLabel),
                             static_cast<QWidget*>(m_end)})
        control->setEnabled(byRange);
}

void CTabForm::OfferExpenseLog(bool offered) {
    m_logButtons->button(LogIndex::kExpenseLog)->setVisible(offered);
    if (!offered && m_log == LogIndex::kExpenseLog)
        SwitchLog(LogIndex::kTripLog);
}

void CTabForm::SwitchLog(int log) {
    if (log < 0 || log >= LogIndex::kCount)
        return;
    if (log != m_log) {
        m_log = log;
        m_logButtons->button(log)->setChecked(true);
        emit logChanged(log);
    }
    FillCategoryBox(log);
    ToggleDates();
    ShowControlsFor(log);
}

void CTabForm::FillCategoryBox(int log) {
    CategoryList* list = CategoryListOf(log);
    if (list == nullptr)
        return;
    m_document.CurrentCategoryList = list;
    const QSignalBlocker blocker(m_categories);
    m_categories->clear();
    m_categories->addItem(QString::fromLatin1(TvDocument::kAllCategoriesName.data(),
                                              TvDocument::kAllCategoriesName.size()),
                          PointerData(&m_document.AllCategoriesEntry));
    for (CategoryEntry& entry : list->Items())
        m_categories->addItem(AnsiText::ToQString(entry.Name), PointerData(&entry));
    const CategoryEntry* remembered = *RememberedFilterOf(log);
    const int found = m_categories->findData(PointerData(remembered));
    m_categories->setCurrentIndex(found < 0 ? 0 : found);
}

void CTabForm::ShowControlsFor(int log) {
    const bool filtered =
        log == LogIndex::kTripLog || log == LogIndex::kServiceLog || log == LogIndex::kExpenseLog;
    const bool byCategory = log == LogIndex::kTripLog || log == LogIndex::kExpenseLog;
    m_vehicleLabel->setVisible(filtered);
    m_vehicles->setVisible(filtered);
    m_categoryLabel->setVisible(byCategory);
    m_categories->setVisible(byCategory);
    m_allDates->setVisible(filtered);
    m_range->setVisible(filtered);
}

void CTabForm::RebuildVehicleBox() {
    const std::vector<VehicleRecord*> vehicles = VehiclesByName(m_document.Vehicles());
    {
        const QSignalBlocker blocker(m_vehicles);
        m_vehicles->clear();
        for (VehicleRecord* vehicle : vehicles)
            m_vehicles->addItem(AnsiText::ToQString(vehicle->Name.View()), PointerData(vehicle));
        m_vehicles->setCurrentIndex(vehicles.empty() ? -1 : 0);
    }
    m_document.SelectedVehicle = vehicles.empty() ? nullptr : vehicles.front();
    SwitchLog(m_log);
}

CategoryList* CTabForm::CategoryListOf(int log) const {
    switch (log) {
    case LogIndex::kTripLog:
        return &m_document.Trips().Categories;
    case LogIndex::kServiceLog:
        return &m_document.Services().Categories;
    case LogIndex::kExpenseLog:
        return &m_document.Expenses().Categories;
    default:
        return nullptr;
    }
}

CategoryEntry** CTabForm::RememberedFilterOf(int log) const {
    switch (log) {
    case LogIndex::kTripLog:
        return &m_document.TripLogFilter;
    case LogIndex::kServiceLog:
        return &m_document.ServiceLogFilter;
    case LogIndex::kExpenseLog:
        return &m_document.ExpenseLogFilter;
    default:
        return nullptr;
    }
}

void CTabForm::SelectVehicle(std::uint32_t vehicleId) {
    for (int index = 0; index < m_vehicles->count(); ++index) {
        if (ItemPointer<VehicleRecord>(m_vehicles, index)->VehicleId == vehicleId) {
            m_vehicles->setCurrentIndex(index);
            ApplyFilter();
            return;
        }
    }
}

void CTabForm::ShowPastDueCount() {
    const std::size_t pastDue = CountPastDue(m_document, ServiceRowContext(m_document));
    m_logButtons->button(LogIndex::kServiceLog)
        ->setText(pastDue == 0 ? QString("&Service Log")
                               : QString("&Service Log (%1)").arg(pastDue));
}
