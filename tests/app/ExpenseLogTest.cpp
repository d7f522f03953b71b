// The expense log in a started program: the expense dialog (the fill-up
// controls, the efficiency, the checks and their order, what OK stores), the
// list's filter, and a HotSync reload while the dialog is open.

#include "AppFixture.h"
#include "Clock.h"
#include "ExpenseView.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "MomentEdit.h"
#include "TabForm.h"
#include "TvDeskDoc.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace {

template <typename T> T* Field(QDialog& dialog, const char* name) {
    T* field = dialog.findChild<T*>(name);
    EXPECT_NE(field, nullptr) << name;
    return field;
}

MTime At(int year, int month, int day, int hour = 0) {
    return MTime(year, month, day, hour, 0, 0, -1);
}

class ExpenseLogTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        VehicleRecord vehicle = Doc().Vehicles().CreateRecord();
        vehicle.VehicleId = Doc().Vehicles().NewId();
        vehicle.Name.Set("Van");
        m_van = &Doc().Vehicles().Append(vehicle);
        CategoryEntry fuel;
        fuel.Name = "Fuel";
        fuel.Category = 3;
        m_fuel = &Doc().Expenses().Categories.Add(fuel);
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }

    ExpenseRecord& AddFillUp(std::int32_t odometer, std::uint32_t category = 3) {
        ExpenseRecord expense(At(2024, 3, 1, 12));
        expense.VehicleId = m_van->VehicleId;
        expense.Odometer = odometer;
        expense.Category = category;
        expense.Vendor.Set("Shell");
        expense.ExpenseFlags = ExpenseFlagBits::FuelPurchase;
        expense.Volume = 10000;
        return Doc().Expenses().Append(std::move(expense));
    }

    CExpenseView* ShowList() {
        m_frame->TabForm()->RebuildVehicleBox();
        m_frame->TabForm()->SwitchLog(LogIndex::kExpenseLog);
        QCoreApplication::processEvents(); // the frame switches the list when the pane is done
        auto* view = dynamic_cast<CExpenseView*>(m_frame->RightView());
        EXPECT_NE(view, nullptr);
        MessageBox::clearShownTexts();
        return view;
    }
    void Trigger(const char* action) { m_frame->findChild<QAction*>(action)->trigger(); }

    // A vehicle whose trips reach the reading.
    std::uint32_t AddVehicle(const char* name, std::int32_t reading) {
        VehicleRecord vehicle = Doc().Vehicles().CreateRecord();
        vehicle.VehicleId = Doc().Vehicles().NewId();
        vehicle.Name.Set(name);
        TripRecord trip(At(2024, 1, 1));
        trip.VehicleId = Doc().Vehicles().Append(vehicle).VehicleId;
        trip.EndOdometer = reading;
        return Doc().Trips().Append(std::move(trip)).VehicleId;
    }
    // Picks the item in the box of the dialog that start opens, then OK.
    static void OkWith(const char* box, const char* item, const std::function<void()>& start) {
        ModalDialog::pushHandler([box, item](QDialog& dialog) {
            if (box != nullptr)
                Field<QComboBox>(dialog, box)->setCurrentText(item);
            Field<QPushButton>(dialog, "okButton")->click();
            return dialog.result();
        });
        start();
    }

    VehicleRecord* m_van = nullptr;
    CategoryEntry* m_fuel = nullptr;
};

TEST_F(ExpenseLogTest, TheDialogShowsTheFillUpControlsWithGasAndWorksOutTheEfficiency) {
    const Clock::ScopedFix now(At(2024, 4, 2, 15));
    AddFillUp(1000);
    AddFillUp(1300);
    AddFillUp(1600);
    CExpenseView* view = ShowList();
    ASSERT_EQ(view->Rows().size(), 3u);

    ModalDialog::pushHandler([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Expense");
        auto* gas = Field<QCheckBox>(dialog, "gasBox");
        auto* volume = Field<QLineEdit>(dialog, "volumeEdit");
        auto* efficiency = Field<QLineEdit>(dialog, "efficiencyEdit");
        auto* last = Field<QLineEdit>(dialog, "lastFillUpEdit");
        EXPECT_FALSE(gas->isChecked());
        EXPECT_TRUE(volume->isHidden());
        EXPECT_TRUE(efficiency->isHidden());
        EXPECT_TRUE(last->isHidden());
        EXPECT_EQ(Field<QLabel>(dialog, "volumeLabel")->text(), "Ga&llons");
        EXPECT_EQ(Field<QLabel>(dialog, "efficiencyLabel")->text(), "MPG");
        // The new expense starts at the vehicle's current reading: fill-ups
        // do not raise it.
        EXPECT_EQ(Field<QLineEdit>(dialog, "odometerEdit")->text(), "0");
        gas->setChecked(true);
        EXPECT_FALSE(volume->isHidden());
        Field<QLineEdit>(dialog, "odometerEdit")->setText("1500");
        EXPECT_EQ(last->text(), "1300");
        EXPECT_EQ(efficiency->text(), "Unknown") << "no volume yet";
        volume->setText("10");
        EXPECT_EQ(efficiency->text(), "Unknown") << "the volume alone does not recompute";
        Field<QLineEdit>(dialog, "odometerEdit")->setText("1500 ");
        EXPECT_EQ(efficiency->text(), "20.00");
        volume->setText("0.0004");
        Field<QLineEdit>(dialog, "odometerEdit")->setText("1500");
        EXPECT_EQ(efficiency->text(), "Unknown") << "as stored, no volume";
        Field<QLineEdit>(dialog, "odometerEdit")->setText("1000");
        EXPECT_EQ(last->text(), "Unknown");
        gas->setChecked(false);
        EXPECT_TRUE(last->isHidden());

        // The checks, in their order.
        Field<QLineEdit>(dialog, "costEdit")->setText("12.345");
        Field<QPushButton>(dialog, "okButton")->click();
        EXPECT_EQ(MessageBox::shownTexts().last(), "You must enter a Vender");
        Field<QLineEdit>(dialog, "vendorEdit")->setText("Garage");
        Field<QComboBox>(dialog, "vehicleBox")->setCurrentIndex(-1);
        Field<QComboBox>(dialog, "categoryBox")->setCurrentIndex(-1);
        Field<QPushButton>(dialog, "okButton")->click();
        EXPECT_EQ(MessageBox::shownTexts().last(), "You must select a vehicle");
        Field<QComboBox>(dialog, "vehicleBox")->setCurrentIndex(0);
        Field<QPushButton>(dialog, "okButton")->click();
        EXPECT_EQ(MessageBox::shownTexts().last(), "You must select a category");
        auto* categories = Field<QComboBox>(dialog, "categoryBox");
        categories->setCurrentIndex(categories->findText("Fuel"));
        Field<QLineEdit>(dialog, "costEdit")->setText("3000000");
        Field<QPushButton>(dialog, "okButton")->click();
        EXPECT_TRUE(MessageBox::shownTexts().last().startsWith("Please enter a number between"))
            << "more than 32 bits of thousandths";
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        Field<QLineEdit>(dialog, "costEdit")->setText("12.345");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    Doc().SetModifiedFlag(false);
    Trigger("actionNew");

    ASSERT_EQ(Doc().Expenses().Count(), 4u);
    const ExpenseRecord& added = Doc().Expenses().Records()[3];
    EXPECT_EQ(added.Vendor.View(), "Garage");
    EXPECT_EQ(added.Cost, 12345);
    EXPECT_EQ(added.Odometer, 1000);
    EXPECT_EQ(added.Volume, 0) << "hidden without Gas, the volume stays as it was";
    EXPECT_FALSE(added.IsFuelPurchase());
    EXPECT_EQ(added.Category, 3u);
    EXPECT_EQ(added.Date.AsSeconds(), At(2024, 4, 2).AsSeconds()) << "the day at midnight";
    EXPECT_EQ(added.Flags, RecordFlags::Modified);
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(ExpenseLogTest, EditingSetsTheModifiedBitAndAReloadDuringTheDialogLeavesNoTrace) {
    ExpenseRecord& expense = AddFillUp(1000);
    CExpenseView* view = ShowList();
    view->selectAll();

    ModalDialog::pushHandler([](QDialog& dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "costEdit")->text(), "0");
        EXPECT_EQ(Field<QLineEdit>(dialog, "volumeEdit")->text(), "10");
        Field<QLineEdit>(dialog, "descriptionEdit")->setText("Diesel");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    Trigger("actionEdit");
    EXPECT_EQ(expense.Description.View(), "Diesel");
    EXPECT_EQ(expense.Flags & RecordFlags::Modified, RecordFlags::Modified);
    EXPECT_EQ(expense.Date.AsSeconds(), At(2024, 3, 1).AsSeconds());

    ModalDialog::pushHandler([this](QDialog& dialog) {
        Doc().DeleteContents();
        Field<QLineEdit>(dialog, "vendorEdit")->setText("Gone");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    view->selectAll();
    Trigger("actionEdit");
    EXPECT_EQ(Doc().Expenses().Count(), 0u);
    EXPECT_EQ(view->model()->rowCount(), 0);
}

// The fields show every stored decimal: an edit of another field must not
// round a large or precise cost or volume to what single precision or six
// significant digits would keep.
TEST_F(ExpenseLogTest, EditingAnotherFieldKeepsTheAmountsToTheThousandth) {
    ExpenseRecord& expense = AddFillUp(1000);
    expense.Cost = 1234567891; // 1,234,567.891
    expense.Volume = 12345678; // 12,345.678
    CExpenseView* view = ShowList();
    view->selectAll();
    ModalDialog::pushHandler([](QDialog& dialog) {
        EXPECT_EQ(Field<QLineEdit>(dialog, "costEdit")->text(), "1234567.891");
        EXPECT_EQ(Field<QLineEdit>(dialog, "volumeEdit")->text(), "12345.678");
        Field<QLineEdit>(dialog, "descriptionEdit")->setText("Diesel");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    Trigger("actionEdit");
    EXPECT_EQ(expense.Description.View(), "Diesel");
    EXPECT_EQ(expense.Cost, 1234567891);
    EXPECT_EQ(expense.Volume, 12345678);
}

// An unchanged OK keeps a refund and a hidden, out-of-range volume as stored;
// an edit to another category or vehicle takes the row out of the list.
TEST_F(ExpenseLogTest, EditsKeepUntouchedAmountsAndDropRowsThatLeaveTheFilter) {
    ExpenseRecord& refund = AddFillUp(1000);
    refund.ExpenseFlags = 0;
    refund.Cost = -12340;
    refund.Volume = -5;
    AddFillUp(2000);
    AddVehicle("Wagon", 0);
    Doc().ExpenseLogFilter = m_fuel;
    CExpenseView* view = ShowList();
    int rows = 2;
    for (const auto& [box, item] :
         {std::pair{"", ""}, {"categoryBox", "Unfiled"}, {"vehicleBox", "Wagon"}}) {
        view->selectAll();
        OkWith(*box ? box : nullptr, item, [this] { Trigger("actionEdit"); });
        EXPECT_EQ(view->model()->rowCount(), *box ? --rows : rows) << box;
    }
    EXPECT_EQ(refund.Cost, -12340);
    EXPECT_EQ(refund.Volume, -5);
}

// The filter pane's vehicle order; the proposal follows the vehicle chosen.
TEST_F(ExpenseLogTest, ANewExpenseProposesTheChosenVehiclesReading) {
    AddVehicle("Alpha", 5000);
    ShowList();
    ModalDialog::pushHandler([](QDialog& dialog) {
        auto* vehicles = Field<QComboBox>(dialog, "vehicleBox");
        auto* odometer = Field<QLineEdit>(dialog, "odometerEdit");
        EXPECT_EQ(vehicles->itemText(0) + vehicles->itemText(1), "AlphaVan");
        EXPECT_EQ(odometer->text(), "5000");
        vehicles->setCurrentIndex(1);
        EXPECT_EQ(odometer->text(), "0");
        odometer->setText("1500");
        vehicles->setCurrentIndex(0);
        EXPECT_EQ(odometer->text(), "1500");
        return QDialog::Rejected;
    });
    Trigger("actionNew");
}

TEST_F(ExpenseLogTest, CategoryChangeRefilesEverySelectedExpense) {
    ExpenseRecord* expenses[] = {&AddFillUp(1000), &AddFillUp(2000)};
    CExpenseView* view = ShowList();
    view->selectAll();
    Doc().SetModifiedFlag(false);
    OkWith("categoryBox", "Unfiled", [view] { view->OnCategoryChange(); });
    for (const ExpenseRecord* expense : expenses) {
        EXPECT_EQ(expense->Category, 0u);
        EXPECT_EQ(expense->Flags & RecordFlags::Modified, RecordFlags::Modified);
    }
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(ExpenseLogTest, TheViewMenuOffersTheExpenseLogAndRemembersItAcrossARestart) {
    auto* toggle = m_frame->findChild<QAction*>("actionExpenseLog");
    ASSERT_NE(toggle, nullptr);
    auto expenseButton = [this] {
        for (QRadioButton* button : m_frame->TabForm()->findChildren<QRadioButton*>())
            if (button->text() == "E&xpense Log")
                return button;
        return static_cast<QRadioButton*>(nullptr);
    };
    auto exportEntry = [this] { return m_frame->findChild<QAction*>("actionExportExpenseText"); };
    m_frame->show();
    // The window starts without the expense log.
    EXPECT_FALSE(toggle->isChecked());
    ASSERT_NE(expenseButton(), nullptr);
    EXPECT_FALSE(expenseButton()->isVisible());
    ASSERT_NE(exportEntry(), nullptr);
    EXPECT_FALSE(exportEntry()->isVisible());

    toggle->trigger();
    EXPECT_TRUE(expenseButton()->isVisible());
    EXPECT_TRUE(exportEntry()->isVisible());
    expenseButton()->click();
    QCoreApplication::processEvents();
    EXPECT_NE(dynamic_cast<CExpenseView*>(m_frame->RightView()), nullptr);

    // Turned off while shown: the window goes back to the trip log.
    toggle->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(expenseButton()->isVisible());
    EXPECT_FALSE(exportEntry()->isVisible());
    EXPECT_EQ(m_frame->RightView()->LogIndex(), LogIndex::kTripLog);

    // On again, and the program started anew keeps it on.
    toggle->trigger();
    m_app->ExitInstance();
    m_app.reset();
    ASSERT_TRUE(Start());
    m_frame = m_app->MainFrame();
    m_frame->show();
    EXPECT_TRUE(m_frame->findChild<QAction*>("actionExpenseLog")->isChecked());
    EXPECT_TRUE(expenseButton()->isVisible());
    EXPECT_TRUE(exportEntry()->isVisible());
}

} // namespace
