#include "TabForm.h"
#include "LogView.h"
#include "MessageBox.h"
#include "SampleGenerator.h"
#include "ServiceDue.h"
#include "TripCommands.h"
#include "TvDeskDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <set>

namespace {

// A filter pane on a document of its own, as the main window holds it.
class TabFormTest : public testing::Test {
protected:
    void SetUp() override {
        MessageBox::clearShownTexts();
        m_document.InitNewDocument();
        for (const char* name : {"Business", "Personal", "Work"}) {
            CategoryEntry entry;
            entry.Name = name;
            entry.Category = m_document.Trips().Categories.FreeIndex();
            m_document.Trips().Categories.Add(entry);
        }
    }

    VehicleRecord& AddVehicle(const char* name) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        return m_document.Vehicles().Append(vehicle);
    }

    QComboBox* Box(int index) const { return m_form.findChildren<QComboBox*>().at(index); }
    QComboBox* Vehicles() const { return Box(0); }
    QComboBox* Categories() const { return Box(1); }
    QCheckBox* AllDates() const { return m_form.findChild<QCheckBox*>(); }
    QDateEdit* Picker(int index) const { return m_form.findChildren<QDateEdit*>().at(index); }
    QRadioButton* LogButton(int log) const { return m_form.findChildren<QRadioButton*>().at(log); }

    // Chooses an item of a box as the user does.
    static void Choose(QComboBox* box, const QString& text) {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    static QStringList Items(const QComboBox* box) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    CTvDeskDoc m_document;
    CTabForm m_form{m_document};
};

TEST_F(TabFormTest, TheControlsStandInOrderWithTheExpenseLogButtonHidden) {
    const QStringList logs = {"&Trip Log", "&Service Log", "Service T&ypes", "Vehicle &List",
                              "E&xpense Log"};
    for (int log = 0; log < LogIndex::kCount; ++log)
        EXPECT_EQ(LogButton(log)->text(), logs[log]);
    EXPECT_TRUE(LogButton(LogIndex::kExpenseLog)->isHidden());
    EXPECT_TRUE(LogButton(LogIndex::kTripLog)->isChecked());
    EXPECT_EQ(m_form.width(), CTabForm::kWidth);

    QStringList labels;
    for (const QLabel* label : m_form.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"Vehi&cle:", "C&ategory:", "Sta&rt Date:", "E&nd Date:"}));
    EXPECT_EQ(AllDates()->text(), "&Display All Dates");
    EXPECT_EQ(m_form.findChild<QGroupBox*>()->title(), "Display by range:");

    // Tab walks the controls from top to bottom.
    QList<QWidget*> chain;
    for (QWidget* widget = LogButton(0)->nextInFocusChain(); widget != LogButton(0);
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain << widget;
    }
    const qsizetype vehicles = chain.indexOf(Vehicles());
    ASSERT_GE(vehicles, 0);
    EXPECT_LT(vehicles, chain.indexOf(Categories()));
    EXPECT_LT(chain.indexOf(Categories()), chain.indexOf(AllDates()));
    EXPECT_LT(chain.indexOf(AllDates()), chain.indexOf(Picker(0)));
    EXPECT_LT(chain.indexOf(Picker(0)), chain.indexOf(Picker(1)));
}

TEST_F(TabFormTest, AtStartAllDatesAreShownAndTheRangeIsDisabledUntilUnticked) {
    m_form.RebuildVehicleBox();
    EXPECT_TRUE(AllDates()->isChecked());
    EXPECT_EQ(m_document.DisplayAllDates, 1);
    EXPECT_FALSE(m_form.findChild<QGroupBox*>()->isEnabled());
    EXPECT_FALSE(Picker(0)->isEnabled());
    EXPECT_FALSE(Picker(1)->isEnabled());
    EXPECT_EQ(Picker(0)->date(), QDate::currentDate());

    AllDates()->click();
    EXPECT_EQ(m_document.DisplayAllDates, 0);
    EXPECT_TRUE(Picker(0)->isEnabled());
    EXPECT_TRUE(Picker(1)->isEnabled());
    // Today, from its first second to its last.
    const QDate today = QDate::currentDate();
    EXPECT_EQ(m_document.FromDate, MTime(today.year(), today.month(), today.day(), 0, 0, 0, -1));
    EXPECT_EQ(m_document.ToDate, MTime(today.year(), today.month(), today.day(), 23, 59, 59, -1));

    Picker(0)->setDate(QDate(2004, 1, 1));
    Picker(1)->setDate(QDate(2004, 1, 31));
    EXPECT_EQ(m_document.FromDate, MTime(2004, 1, 1, 0, 0, 0, -1));
    EXPECT_EQ(m_document.ToDate, MTime(2004, 1, 31, 23, 59, 59, -1));
}

TEST_F(TabFormTest, ADayOutsideTheDateRangeIsReportedAndKeepsTheOldValue) {
    m_form.RebuildVehicleBox();
    AllDates()->click();
    Picker(0)->setDate(QDate(2004, 1, 1));
    MessageBox::clearShownTexts();

    Picker(0)->setDate(QDate(1969, 12, 31));
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Time out of range."));
    EXPECT_EQ(m_document.FromDate, MTime(2004, 1, 1, 0, 0, 0, -1));
    // The rest of the filter is still applied.
    Picker(1)->setDate(QDate(2039, 1, 1));
    EXPECT_EQ(MessageBox::shownTexts().size(), 3);
    EXPECT_EQ(m_document.DisplayAllDates, 0);
}

// A typed date is taken whole on Enter; one that does not exist is refused.
TEST_F(TabFormTest, ATypedDateIsTakenWholeOnEnter) {
    AllDates()->click();
    Picker(0)->setDate(QDate(2016, 1, 1));
    int applied = 0;
    QObject::connect(&m_document, &CTvDeskDoc::viewsUpdated, &m_form,
                     [&](QObject* sender, int) { applied += sender == &m_form ? 1 : 0; });
    auto* text = Picker(0)->findChild<QLineEdit*>();
    for (const QString typed : {"12/31/2015", "2/30/2015"}) {
        text->selectAll();
        for (const QChar key : typed + '\r') {
            EXPECT_EQ(applied, 0) << "nothing is taken while typing";
            QKeyEvent press(QEvent::KeyPress,
                            key == '\r' ? int{Qt::Key_Return} : int{key.unicode()}, Qt::NoModifier,
                            key == '\r' ? QString() : QString(key));
            QCoreApplication::sendEvent(Picker(0), &press);
        }
        EXPECT_EQ(text->text(), "12/31/2015");
        EXPECT_EQ(m_document.FromDate, MTime(2015, 12, 31, 0, 0, 0, -1));
        applied = 0;
    }
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Invalid date"));
}

TEST_F(TabFormTest, WithoutVehiclesTheBoxIsEmptyAndNoVehicleIsSelected) {
    m_form.RebuildVehicleBox();
    EXPECT_EQ(Vehicles()->count(), 0);
    EXPECT_EQ(Vehicles()->currentIndex(), -1);
    EXPECT_EQ(m_document.SelectedVehicle, nullptr);

    // Deleting the last vehicle elsewhere leads to the same state.
    VehicleRecord& only = AddVehicle("Civic");
    m_document.UpdateAllViews(nullptr, 0);
    EXPECT_EQ(m_document.SelectedVehicle, &only);
    only.MarkDeleted();
    m_document.UpdateAllViews(nullptr, 0);
    EXPECT_EQ(Vehicles()->count(), 0);
    EXPECT_EQ(m_document.SelectedVehicle, nullptr);
}

TEST_F(TabFormTest, AVehicleAddedElsewhereResetsTheBoxToTheAlphabeticallyFirst) {
    AddVehicle("Truck");
    VehicleRecord& van = AddVehicle("Van");
    AddVehicle("Deleted").MarkDeleted();
    m_form.RebuildVehicleBox();
    Choose(Vehicles(), "Van");
    EXPECT_EQ(m_document.SelectedVehicle, &van);

    // As people read names: case and accents aside, then the exact text.
    AddVehicle("Camry");
    VehicleRecord& added = AddVehicle("camper");
    AddVehicle("\311clair"); // "Éclair" in Windows-1252
    AddVehicle("Eagle");
    VehicleRecord& capital = AddVehicle("Camper");
    m_document.UpdateAllViews(nullptr, 0);
    EXPECT_EQ(Items(Vehicles()), QStringList({"Camper", "camper", "Camry", "Eagle",
                                              QString::fromUtf8("\303\211clair"), "Truck", "Van"}));
    EXPECT_EQ(Vehicles()->currentIndex(), 0);
    EXPECT_EQ(m_document.SelectedVehicle, &capital);
    // The box's items carry the vehicles they show.
    Choose(Vehicles(), "camper");
    EXPECT_EQ(m_document.SelectedVehicle, &added);

    // The pane's own changes do not rebuild it.
    Choose(Vehicles(), "Van");
    m_document.UpdateAllViews(&m_form, 0);
    EXPECT_EQ(m_document.SelectedVehicle, &van);
}

TEST_F(TabFormTest, EachLogGetsBackTheCategoryChosenForIt) {
    m_form.RebuildVehicleBox();
    EXPECT_EQ(Items(Categories()), QStringList({"All", "Business", "Personal", "Work", "Unfiled"}));
    EXPECT_EQ(m_document.TripLogFilter, &m_document.AllCategoriesEntry);
    Choose(Categories(), "Work");
    CategoryEntry* work = m_document.TripLogFilter;
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->Name, "Work");
    EXPECT_EQ(m_document.CurrentCategoryList, &m_document.Trips().Categories);

    LogButton(LogIndex::kServiceLog)->click();
    EXPECT_EQ(m_document.CurrentCategoryList, &m_document.Services().Categories);
    EXPECT_EQ(m_document.ServiceLogFilter, &m_document.AllCategoriesEntry);
    EXPECT_EQ(Categories()->currentText(), "All");
    EXPECT_EQ(m_document.TripLogFilter, work);

    LogButton(LogIndex::kTripLog)->click();
    EXPECT_EQ(Categories()->currentText(), "Work");
    EXPECT_EQ(m_document.TripLogFilter, work);
    EXPECT_EQ(m_document.CurrentCategoryList, &m_document.Trips().Categories);
}

TEST_F(TabFormTest, ServiceTypesAndVehicleListHideTheFilterAndLeaveItAlone) {
    VehicleRecord& van = AddVehicle("Van");
    AddVehicle("Bus");
    m_form.RebuildVehicleBox();
    m_form.show();
    Choose(Vehicles(), "Van");
    Choose(Categories(), "Personal");
    AllDates()->click();
    const CategoryEntry* personal = m_document.TripLogFilter;
    const MTime from = m_document.FromDate;

    for (const int log : {LogIndex::kServiceTypes, LogIndex::kVehicleList}) {
        LogButton(log)->click();
        EXPECT_FALSE(Vehicles()->isVisible()) << log;
        EXPECT_FALSE(Categories()->isVisible()) << log;
        EXPECT_FALSE(AllDates()->isVisible()) << log;
        EXPECT_FALSE(m_form.findChild<QGroupBox*>()->isVisible()) << log;
        EXPECT_EQ(m_document.SelectedVehicle, &van) << log;
        EXPECT_EQ(m_document.TripLogFilter, personal) << log;
        EXPECT_EQ(m_document.DisplayAllDates, 0) << log;
        EXPECT_EQ(m_document.FromDate, from) << log;
        EXPECT_EQ(m_document.CurrentCategoryList, &m_document.Trips().Categories) << log;
    }

    LogButton(LogIndex::kServiceLog)->click();
    EXPECT_TRUE(Vehicles()->isVisible());
    EXPECT_FALSE(Categories()->isVisible());
    EXPECT_TRUE(AllDates()->isVisible());
    LogButton(LogIndex::kTripLog)->click();
    EXPECT_TRUE(Categories()->isVisible());
}

// Each change reaches the lists in one broadcast, after the filter is
// written: a list filled twice for one change costs a million-trip log
// twice the time.
TEST_F(TabFormTest, TheFrameHearsOfANewLogOnceAndTheListsOfAFilterOnceAfterItIsWritten) {
    const VehicleRecord& van = AddVehicle("Van");
    m_form.RebuildVehicleBox();
    QList<int> logs;
    QObject::connect(&m_form, &CTabForm::logChanged, &m_form, [&](int log) { logs << log; });
    int broadcasts = 0;
    const VehicleRecord* seen = nullptr;
    QObject::connect(&m_document, &CTvDeskDoc::viewsUpdated, &m_form, [&](QObject*, int) {
        ++broadcasts;
        seen = m_document.SelectedVehicle;
    });

    LogButton(LogIndex::kServiceLog)->click();
    LogButton(LogIndex::kServiceLog)->click();
    EXPECT_EQ(logs, QList<int>({LogIndex::kServiceLog}));
    EXPECT_EQ(broadcasts, 2);
    // A new vehicle: the pane rebuilds its box within the document's
    // broadcast, before the lists hear it, and sends none of its own.
    AddVehicle("Bus");
    broadcasts = 0;
    m_document.UpdateAllViews(nullptr, 0);
    EXPECT_EQ(broadcasts, 1);
    EXPECT_EQ(seen, &m_document.Vehicles().Records()[1]);
    Choose(Vehicles(), "Van");
    EXPECT_EQ(broadcasts, 2);
    EXPECT_EQ(seen, &van);
}

TEST_F(TabFormTest, EmptyingTheDocumentLeavesNoRecordInTheBoxes) {
    AddVehicle("Van");
    m_form.RebuildVehicleBox();
    ASSERT_EQ(Vehicles()->count(), 1);
    m_document.DeleteContents();
    EXPECT_EQ(Vehicles()->count(), 0);
    EXPECT_EQ(Categories()->count(), 0);
    EXPECT_EQ(m_document.SelectedVehicle, nullptr);
}

// Raising the vehicles' readings through their trips moves entries past due;
// the count on the button follows each edit and each undo.
TEST(TabFormPastDue, TheCountFollowsTheEditsOfTrips) {
    CTvDeskDoc document;
    GenerateSample(document, {.Vehicles = 3, .Trips = 3000, .Services = 60, .Expenses = 100});
    CTabForm form{document};
    document.UpdateAllViews(nullptr, 0);
    QAbstractButton* button = form.findChildren<QRadioButton*>().at(LogIndex::kServiceLog);
    const QString before = button->text();
    std::set<std::uint32_t> raised;
    for (std::uint32_t index = 0; index < document.Trips().Count(); ++index) {
        TripRecord trip = document.Trips().Records()[index];
        if (trip.IsDeleted() || !raised.insert(trip.VehicleId).second)
            continue;
        trip.EndOdometer = kMaxOdometer;
        document.Push(
            new CEditTripCommand(document, index, document.Trips().Records()[index], trip));
        const std::size_t due = CountPastDue(document, ServiceRowContext(document));
        EXPECT_EQ(button->text(), QString("&Service Log (%1)").arg(due));
    }
    EXPECT_NE(button->text(), before);
    document.UndoStack().setIndex(0);
    EXPECT_EQ(button->text(), before);
}

} // namespace
