// The vehicle list and the vehicle dialog in a started program: adding,
// editing and deleting vehicles, the checks of the dialog, and sorting.

#include "VehicleView.h"
#include "AnsiText.h"
#include "AppFixture.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "TabForm.h"
#include "TvDeskDoc.h"
#include "VehicleDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <utility>

namespace {

const QString kDeleteQuestion = "All trip and service log items associated with this vehicle "
                                "will be deleted. Are you sure you want to procede?";
const QString kSelectItem = "Please select an item";
const QString kOdometerPrompt = "Please enter an integer between 0 and 9999999.";
const QString kNoName = "You must enter a vehicle name";
const QString kNameUsed = "The vehicle name is already used. Please enter a unique name.";

template <typename T> T* Field(QDialog& dialog, const char* name) {
    T* field = dialog.findChild<T*>(name);
    EXPECT_NE(field, nullptr) << name;
    return field;
}

struct Entry {
    Entry(QString name, QString odometer, QString license = {}, QString vin = {},
          QString insurance = {})
        : name(std::move(name)), odometer(std::move(odometer)), license(std::move(license)),
          vin(std::move(vin)), insurance(std::move(insurance)) {}

    QString name;
    QString odometer;
    QString license;
    QString vin;
    QString insurance;
};

void FillIn(QDialog& dialog, const Entry& entry) {
    Field<QLineEdit>(dialog, "nameEdit")->setText(entry.name);
    Field<QLineEdit>(dialog, "odometerEdit")->setText(entry.odometer);
    Field<QLineEdit>(dialog, "licenseEdit")->setText(entry.license);
    Field<QLineEdit>(dialog, "vinEdit")->setText(entry.vin);
    Field<QPlainTextEdit>(dialog, "insuranceEdit")->setPlainText(entry.insurance);
}

void ClickOk(QDialog& dialog) {
    Field<QPushButton>(dialog, "okButton")->click();
}

// A dialog handler that fills the fields in and presses OK (or Cancel).
ModalDialog::Handler Answer(const Entry& entry, bool ok = true) {
    return [entry, ok](QDialog& dialog) {
        FillIn(dialog, entry);
        Field<QPushButton>(dialog, ok ? "okButton" : "cancelButton")->click();
        return dialog.result();
    };
}

QStringList ComboTexts(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

class VehicleViewTest : public FrameFixture {
protected:
    CTvDeskDoc& Doc() { return m_app->Doc(); }

    VehicleRecord& AddVehicle(const std::string& name, std::int32_t odometer = 0) {
        VehicleStore& store = Doc().Vehicles();
        VehicleRecord vehicle = store.CreateRecord();
        vehicle.VehicleId = store.NewId();
        vehicle.Name.Set(name);
        vehicle.Odometer = odometer;
        return store.Append(vehicle);
    }

    TripRecord& AddTrip(const VehicleRecord& vehicle) {
        TripRecord trip = Doc().Trips().CreateRecord();
        trip.VehicleId = vehicle.VehicleId;
        return Doc().Trips().Append(trip);
    }

    // Shows the vehicle list on what the stores hold now, with the filter
    // pane rebuilt as at the start of the program.
    CVehicleView* ShowList() {
        m_frame->TabForm()->RebuildVehicleBox();
        m_frame->ShowLog(LogIndex::kVehicleList);
        auto* view = dynamic_cast<CVehicleView*>(m_frame->RightView());
        EXPECT_NE(view, nullptr);
        MessageBox::clearShownTexts();
        return view;
    }

    static QStringList Column(const CVehicleView* view, int column) {
        QStringList texts;
        const QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }

    static void Select(CVehicleView* view, std::initializer_list<int> rows) {
        view->clearSelection();
        for (const int row : rows)
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    void Trigger(const char* action) { m_frame->findChild<QAction*>(action)->trigger(); }

    QComboBox* VehicleBox() const { return m_frame->TabForm()->findChildren<QComboBox*>().at(0); }
};

TEST_F(VehicleViewTest, NewVehicleIsListedStoredModifiedAndOfferedByTheFilterPane) {
    AddVehicle("Truck", 5000);
    AddVehicle("Van", 700);
    CVehicleView* view = ShowList();
    EXPECT_TRUE(view->HasRecordCommands());
    EXPECT_EQ(m_frame->windowTitle(), "Vehicle List");
    VehicleBox()->setCurrentIndex(1); // the user had chosen the van
    Doc().SetModifiedFlag(false);

    QString odometerLabel;
    ModalDialog::pushHandler([&odometerLabel](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Vehicle");
        // A new vehicle starts empty with a reading of 0.
        EXPECT_EQ(Field<QLineEdit>(dialog, "nameEdit")->text(), "");
        EXPECT_EQ(Field<QLineEdit>(dialog, "odometerEdit")->text(), "0");
        auto* form = dialog.findChild<QFormLayout*>();
        odometerLabel =
            qobject_cast<QLabel*>(form->labelForField(Field<QLineEdit>(dialog, "odometerEdit")))
                ->text();
        FillIn(dialog, {"Bus", " 1200 ", "BUS 1", "VIN9", "Line1\nLine2"});
        ClickOk(dialog);
        return dialog.result();
    });
    Trigger("actionNew");

    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_EQ(odometerLabel, "&Miles");
    ASSERT_EQ(Doc().Vehicles().Count(), 3u);
    const VehicleRecord& bus = Doc().Vehicles().Records()[2];
    EXPECT_EQ(bus.Name.View(), "Bus");
    EXPECT_EQ(bus.Odometer, 1200);
    EXPECT_EQ(bus.License.View(), "BUS 1");
    EXPECT_EQ(bus.Vin.View(), "VIN9");
    EXPECT_EQ(bus.Insurance.View(), "Line1\nLine2");
    EXPECT_EQ(bus.Flags, RecordFlags::Modified);
    EXPECT_EQ(bus.Uid, 0u);
    EXPECT_GE(bus.VehicleId, 0x80000001u);
    EXPECT_NE(bus.VehicleId, Doc().Vehicles().Records()[0].VehicleId);
    EXPECT_NE(bus.VehicleId, Doc().Vehicles().Records()[1].VehicleId);
    EXPECT_TRUE(Doc().IsModified());

    // The new row takes its place in the list's order (by name).
    EXPECT_EQ(Column(view, 0), QStringList({"Bus", "Truck", "Van"}));
    EXPECT_EQ(Column(view, 3), QStringList({"1200", "5000", "700"}));
    EXPECT_EQ(Column(view, 4), QStringList({"Line1Line2", "", ""}));
    // The pane offers the new vehicle and starts again from the first name.
    EXPECT_EQ(ComboTexts(VehicleBox()), QStringList({"Bus", "Truck", "Van"}));
    EXPECT_EQ(VehicleBox()->currentIndex(), 0);
    EXPECT_EQ(Doc().SelectedVehicle, &bus);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(VehicleViewTest, CancelledNewVehicleStoresNothing) {
    AddVehicle("Truck");
    CVehicleView* view = ShowList();
    Doc().SetModifiedFlag(false);

    ModalDialog::pushHandler(Answer({"Bus", "10"}, false));
    Trigger("actionNew");

    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_EQ(Doc().Vehicles().Count(), 1u);
    EXPECT_EQ(Column(view, 0), QStringList({"Truck"}));
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(ComboTexts(VehicleBox()), QStringList({"Truck"}));
}

TEST_F(VehicleViewTest, EditChangesTheFirstSelectedVehicleInPlace) {
    VehicleRecord& truck = AddVehicle("Truck", 5000);
    VehicleRecord& van = AddVehicle("Van", 700);
    CVehicleView* view = ShowList();
    Doc().SetModifiedFlag(false);

    Trigger("actionEdit");
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({kSelectItem}));
    EXPECT_EQ(ModalDialog::runCount(), 0);

    MessageBox::clearShownTexts();
    Select(view, {1, 0});
    QString shownName;
    ModalDialog::pushHandler([&shownName](QDialog& dialog) {
        shownName = Field<QLineEdit>(dialog, "nameEdit")->text();
        EXPECT_EQ(Field<QLineEdit>(dialog, "odometerEdit")->text(), "5000");
        Field<QLineEdit>(dialog, "nameEdit")->setText("Lorry");
        Field<QLineEdit>(dialog, "odometerEdit")->setText("5100");
        ClickOk(dialog);
        return dialog.result();
    });
    Trigger("actionEdit");

    EXPECT_EQ(shownName, "Truck");
    EXPECT_EQ(truck.Name.View(), "Lorry");
    EXPECT_EQ(truck.Odometer, 5100);
    EXPECT_EQ(truck.Flags, RecordFlags::Modified);
    EXPECT_EQ(van.Flags, 0u);
    EXPECT_EQ(Column(view, 0), QStringList({"Lorry", "Van"}));
    EXPECT_EQ(Column(view, 3), QStringList({"5100", "700"}));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(ComboTexts(VehicleBox()), QStringList({"Lorry", "Van"}));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

    // A cancelled edit leaves the vehicle and the document as they were.
    Doc().SetModifiedFlag(false);
    Select(view, {1});
    ModalDialog::pushHandler(Answer({"Bus", "1"}, false));
    Trigger("actionEdit");
    EXPECT_EQ(van.Name.View(), "Van");
    EXPECT_EQ(van.Flags, 0u);
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(VehicleViewTest, DoubleClickEditsTheVehicleOfThatRow) {
    AddVehicle("Truck");
    VehicleRecord& van = AddVehicle("Van");
    CVehicleView* view = ShowList();

    ModalDialog::pushHandler(Answer({"Minivan", "3"}));
    emit view->doubleClicked(view->model()->index(1, 2));

    EXPECT_EQ(van.Name.View(), "Minivan");
    EXPECT_EQ(Column(view, 0), QStringList({"Truck", "Minivan"}));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(VehicleViewTest, DeleteAsksFirstThenWantsASelection) {
    AddVehicle("Truck");
    CVehicleView* view = ShowList();
    Doc().SetModifiedFlag(false);

    // No: nothing more is said or done, whatever is selected.
    Select(view, {0});
    Trigger("actionDelete");
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({kDeleteQuestion}));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList({"Warning"}));
    EXPECT_FALSE(Doc().Vehicles().Records()[0].IsDeleted());

    MessageBox::clearShownTexts();
    view->clearSelection();
    MessageBox::setNextAnswer(MessageBox::Yes);
    Trigger("actionDelete");
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({kDeleteQuestion, kSelectItem}));
    EXPECT_EQ(Column(view, 0), QStringList({"Truck"}));
    EXPECT_FALSE(Doc().Vehicles().Records()[0].IsDeleted());
    EXPECT_FALSE(Doc().IsModified());
}

TEST_F(VehicleViewTest, DeletingVehiclesDeletesTheirTripsAndTheFilterPaneDropsThem) {
    VehicleRecord& car = AddVehicle("Car");
    VehicleRecord& truck = AddVehicle("Truck");
    VehicleRecord& van = AddVehicle("Van");
    const TripRecord& carTrip = AddTrip(car);
    const TripRecord& truckTrip = AddTrip(truck);
    const TripRecord& vanTrip = AddTrip(van);
    CVehicleView* view = ShowList();
    Doc().SetModifiedFlag(false);

    Select(view, {0, 2});
    MessageBox::setNextAnswer(MessageBox::Yes);
    Trigger("actionDelete");

    EXPECT_EQ(MessageBox::shownTexts(), QStringList({kDeleteQuestion}));
    EXPECT_TRUE(car.IsDeleted());
    EXPECT_TRUE(van.IsDeleted());
    EXPECT_FALSE(truck.IsDeleted());
    EXPECT_TRUE(carTrip.IsDeleted());
    EXPECT_TRUE(vanTrip.IsDeleted());
    EXPECT_FALSE(truckTrip.IsDeleted());
    EXPECT_EQ(Doc().Vehicles().Count(), 3u);
    EXPECT_EQ(Column(view, 0), QStringList({"Truck"}));
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(ComboTexts(VehicleBox()), QStringList({"Truck"}));
    EXPECT_EQ(Doc().SelectedVehicle, &truck);

    // Deleting the last vehicle leaves the pane without one.
    Select(view, {0});
    MessageBox::setNextAnswer(MessageBox::Yes);
    Trigger("actionDelete");
    EXPECT_TRUE(truck.IsDeleted());
    EXPECT_EQ(view->model()->rowCount(), 0);
    EXPECT_EQ(VehicleBox()->count(), 0);
    EXPECT_EQ(Doc().SelectedVehicle, nullptr);
}

TEST_F(VehicleViewTest, HeaderClicksSortAndFlipTheOrderKeepingTheSelection) {
    AddVehicle("b", 10000);
    AddVehicle("c", 900);
    AddVehicle("a", 50);
    CVehicleView* view = ShowList();
    // Sorted by name when the list is first shown.
    EXPECT_EQ(Column(view, 0), QStringList({"a", "b", "c"}));
    Select(view, {1});

    emit view->header()->sectionClicked(0);
    EXPECT_EQ(view->SortCodeValue(), 128);
    EXPECT_EQ(m_app->SortCodes[LogIndex::kVehicleList], 128);
    EXPECT_EQ(Column(view, 0), QStringList({"c", "b", "a"}));

    emit view->header()->sectionClicked(3);
    EXPECT_EQ(view->SortCodeValue(), 3);
    EXPECT_EQ(Column(view, 3), QStringList({"50", "900", "10000"}));
    ASSERT_EQ(view->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view->selectionModel()->selectedRows().front().data().toString(), "b");

    // The code lasts for the run: the list comes back sorted by it.
    m_frame->ShowLog(LogIndex::kTripLog);
    m_app->SortCodes[LogIndex::kVehicleList] = 131;
    view = ShowList();
    EXPECT_EQ(Column(view, 3), QStringList({"10000", "900", "50"}));
}

TEST_F(VehicleViewTest, EditDeleteAndBroadcastsKeepTheOrderAndTheSelection) {
    AddVehicle("Van", 700);
    AddVehicle("Bus", 300);
    VehicleRecord& truck = AddVehicle("Truck", 5000);
    AddVehicle("Car", 100);
    CVehicleView* view = ShowList();
    const auto selectedNames = [view] {
        QStringList names;
        for (const QModelIndex& row : view->selectionModel()->selectedRows())
            names << row.data().toString();
        return names;
    };
    ASSERT_EQ(Column(view, 0), QStringList({"Bus", "Car", "Truck", "Van"}));

    // An edit rewrites its row where it stands, still selected.
    Select(view, {2});
    ModalDialog::pushHandler(Answer({"Lorry", "5100"}));
    Trigger("actionEdit");
    ASSERT_EQ(truck.Name.View(), "Lorry");
    EXPECT_EQ(Column(view, 0), QStringList({"Bus", "Car", "Lorry", "Van"}));
    EXPECT_EQ(Column(view, 3), QStringList({"300", "100", "5100", "700"}));
    EXPECT_EQ(selectedNames(), QStringList("Lorry"));

    // Changes announced by the filter pane or another command leave the rows.
    m_frame->TabForm()->ApplyFilter();
    Doc().UpdateAllViews(nullptr, 0);
    EXPECT_EQ(Column(view, 0), QStringList({"Bus", "Car", "Lorry", "Van"}));
    EXPECT_EQ(selectedNames(), QStringList("Lorry"));

    // A delete takes its rows out of the order the others keep.
    Select(view, {1});
    MessageBox::setNextAnswer(MessageBox::Yes);
    Trigger("actionDelete");
    EXPECT_EQ(Column(view, 0), QStringList({"Bus", "Lorry", "Van"}));
    Select(view, {2});
    m_frame->TabForm()->ApplyFilter();
    EXPECT_EQ(selectedNames(), QStringList("Van"));
}

TEST_F(VehicleViewTest, AReloadListsTheDataReadAgainInTheSortOrder) {
    AddVehicle("Van", 700);
    AddVehicle("Bus", 300);
    AddVehicle("Truck", 5000);
    ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
    CVehicleView* view = ShowList();
    emit view->header()->sectionClicked(3);
    emit view->header()->sectionClicked(3);
    ASSERT_EQ(Column(view, 0), QStringList({"Truck", "Van", "Bus"}));

    m_app->ReloadDocument();
    ASSERT_EQ(m_frame->RightView(), view);
    EXPECT_EQ(Column(view, 0), QStringList({"Truck", "Van", "Bus"}));
    // The rows are the records read again.
    Select(view, {0});
    ModalDialog::pushHandler(Answer({"Lorry", "5000"}));
    Trigger("actionEdit");
    EXPECT_EQ(Doc().Vehicles().Records()[2].Name.View(), "Lorry");
}

TEST_F(VehicleViewTest, MetricDataNamesKilometers) {
    Doc().Trips().Settings[0] |= RecordStore::kUnitsKilometres;
    CVehicleView* view = ShowList();
    EXPECT_EQ(view->model()->headerData(3, Qt::Horizontal).toString(), "Kilometers");

    QString odometerLabel;
    ModalDialog::pushHandler([&odometerLabel](QDialog& dialog) {
        auto* form = dialog.findChild<QFormLayout*>();
        odometerLabel =
            qobject_cast<QLabel*>(form->labelForField(Field<QLineEdit>(dialog, "odometerEdit")))
                ->text();
        return int(QDialog::Rejected);
    });
    Trigger("actionNew");
    EXPECT_EQ(odometerLabel, "&Kilometers:");
}

TEST_F(VehicleViewTest, AReloadWhileTheDialogIsOpenCancelsIt) {
    AddVehicle("Truck");
    ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
    CVehicleView* view = ShowList();
    Select(view, {0});

    bool openAfterReload = true;
    ModalDialog::pushHandler([this, &openAfterReload](QDialog& dialog) {
        dialog.show();
        m_app->ReloadDocument();
        openAfterReload = dialog.isVisible();
        return dialog.result();
    });
    Trigger("actionEdit");

    EXPECT_FALSE(openAfterReload);
    ASSERT_EQ(Doc().Vehicles().Count(), 1u);
    EXPECT_EQ(Doc().Vehicles().Records()[0].Flags, 0u);
    const auto* shown = dynamic_cast<CVehicleView*>(m_frame->RightView());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Column(shown, 0), QStringList({"Truck"}));
}

// The dialog on its own, on a store of two vehicles.
class VehicleDialogTest : public testing::Test {
protected:
    void SetUp() override {
        MessageBox::clearShownTexts();
        for (const char* name : {"Truck", "Van"}) {
            VehicleRecord vehicle = m_store.CreateRecord();
            vehicle.VehicleId = m_store.NewId();
            vehicle.Name.Set(name);
            vehicle.Odometer = 100;
            m_store.Append(vehicle);
        }
    }

    VehicleRecord& Truck() { return m_store.Records()[0]; }

    VehicleStore m_store;
};

TEST_F(VehicleDialogTest, ShowsTheRecordWithItsLabelsButtonsAndLimits) {
    Truck().License.Set("ABC 123");
    Truck().Vin.Set("1HGCM82633A004352");
    Truck().Insurance.Set("Acme\r\nPolicy 7");
    CVehicleDialog dialog(Truck(), m_store, false);

    EXPECT_EQ(dialog.windowTitle(), "Vehicle");
    QStringList labels;
    auto* form = dialog.findChild<QFormLayout*>();
    for (int row = 0; row < form->rowCount(); ++row)
        labels
            << qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)->widget())->text();
    EXPECT_EQ(labels, QStringList({"Vehicle &Name:", "&Miles",
                                   "&License Plate:", "&VIN:", "&Insurance Info:"}));
    EXPECT_EQ(Field<QPushButton>(dialog, "okButton")->text(), "&OK");
    EXPECT_EQ(Field<QPushButton>(dialog, "cancelButton")->text(), "&Cancel");
    EXPECT_TRUE(Field<QPushButton>(dialog, "okButton")->isDefault());

    EXPECT_EQ(Field<QLineEdit>(dialog, "nameEdit")->text(), "Truck");
    EXPECT_EQ(Field<QLineEdit>(dialog, "odometerEdit")->text(), "100");
    EXPECT_EQ(Field<QLineEdit>(dialog, "licenseEdit")->text(), "ABC 123");
    EXPECT_EQ(Field<QLineEdit>(dialog, "vinEdit")->text(), "1HGCM82633A004352");
    auto* insurance = Field<QPlainTextEdit>(dialog, "insuranceEdit");
    EXPECT_EQ(insurance->toPlainText(), "Acme\nPolicy 7");

    EXPECT_EQ(Field<QLineEdit>(dialog, "nameEdit")->maxLength(), 15);
    EXPECT_EQ(Field<QLineEdit>(dialog, "licenseEdit")->maxLength(), 15);
    EXPECT_EQ(Field<QLineEdit>(dialog, "vinEdit")->maxLength(), 19);
    EXPECT_TRUE(insurance->tabChangesFocus());

    // Tab goes from top to bottom, then to the buttons.
    QStringList order;
    QWidget* widget = Field<QLineEdit>(dialog, "nameEdit");
    for (int i = 0; i < 7; ++i) {
        order << widget->objectName();
        do
            widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty());
    }
    EXPECT_EQ(order.mid(0, 5),
              QStringList({"nameEdit", "odometerEdit", "licenseEdit", "vinEdit", "insuranceEdit"}));
    EXPECT_TRUE(order.mid(5, 2).contains("okButton"));
    EXPECT_TRUE(order.mid(5, 2).contains("cancelButton"));
}

TEST_F(VehicleDialogTest, OkChecksTheOdometerThenTheNameInThatOrder) {
    CVehicleDialog dialog(Truck(), m_store, false);
    dialog.show();
    auto* name = Field<QLineEdit>(dialog, "nameEdit");
    auto* odometer = Field<QLineEdit>(dialog, "odometerEdit");
    const auto refusedWith = [&](const QString& text, QWidget* focused) {
        ClickOk(dialog);
        EXPECT_EQ(MessageBox::shownTexts(), QStringList({text}));
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), focused);
        MessageBox::clearShownTexts();
    };

    // A bad reading is named first, even with no name.
    name->setText("");
    for (const char* bad : {"12x", ""}) {
        odometer->setText(bad);
        refusedWith("Please enter an integer.", odometer);
    }
    for (const char* bad : {"10000000", "-1", "99999999999"}) {
        odometer->setText(bad);
        refusedWith(kOdometerPrompt, odometer);
    }
    odometer->setText("9999999");
    refusedWith(kNoName, name);
    name->setText("Van");
    refusedWith(kNameUsed, name);
    EXPECT_EQ(name->selectedText(), "Van");

    // Nothing reached the record while the dialog refused.
    EXPECT_EQ(Truck().Name.View(), "Truck");
    EXPECT_EQ(Truck().Odometer, 100);
    EXPECT_EQ(Truck().Flags, 0u);

    name->setText("van"); // another name in other letter case
    ClickOk(dialog);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Truck().Name.View(), "van");
    EXPECT_EQ(Truck().Odometer, 9999999);
    EXPECT_EQ(Truck().Flags, RecordFlags::Modified);
}

TEST_F(VehicleDialogTest, NamesOfOwnAndDeletedVehiclesAreFree) {
    {
        CVehicleDialog dialog(Truck(), m_store, false);
        ClickOk(dialog); // unchanged: its own name is no clash
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    m_store.Records()[1].MarkDeleted();
    VehicleRecord fresh = m_store.CreateRecord();
    CVehicleDialog dialog(fresh, m_store, false);
    FillIn(dialog, {"Van", "5"});
    ClickOk(dialog);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(fresh.Name.View(), "Van");
    EXPECT_EQ(fresh.Odometer, 5);
}

TEST_F(VehicleDialogTest, TheInsuranceFieldHoldsAtMost63Characters) {
    Truck().Insurance.Set("Acme");
    CVehicleDialog dialog(Truck(), m_store, false);
    auto* insurance = Field<QPlainTextEdit>(dialog, "insuranceEdit");

    // A paste in the middle is shortened to what fits; the text around it stays.
    QTextCursor cursor = insurance->textCursor();
    cursor.setPosition(2);
    insurance->setTextCursor(cursor);
    insurance->insertPlainText(QString(70, 'x'));
    EXPECT_EQ(insurance->toPlainText(), "Ac" + QString(59, 'x') + "me");

    // At the limit a keystroke is refused, Return included.
    for (const auto& [key, text] :
         {std::pair{Qt::Key_Y, QString("y")}, std::pair{Qt::Key_Return, QString("\r")}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(insurance, &press);
        EXPECT_EQ(insurance->toPlainText().size(), 63);
    }

    // Room made by a deletion can be used again, for a line break too.
    insurance->textCursor().deletePreviousChar();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(insurance, &enter);
    EXPECT_EQ(insurance->toPlainText().size(), 63);
    EXPECT_TRUE(insurance->toPlainText().contains('\n'));

    ClickOk(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Truck().Insurance.View().size(), 63u);
    EXPECT_EQ(Truck().Insurance.View(), AnsiText::FromQString(insurance->toPlainText()));
}

} // namespace
