#include "TripView.h"
#include "AppFixture.h"
#include "LogView.h"
#include "MFile.h"
#include "MainFrame.h"
#include "ModalDialog.h"
#include "TabForm.h"
#include "TvDeskDoc.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimeEdit>

namespace {

class TripViewTest : public FrameFixture {
protected:
    void TearDown() override {
        // The data made here is not saved at the end.
        m_app->Doc().SetModifiedFlag(false);
        FrameFixture::TearDown();
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }
    CTripView* View() { return dynamic_cast<CTripView*>(m_frame->RightView()); }

    VehicleRecord& AddVehicle(const char* name, std::uint32_t id) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        return Doc().Vehicles().Append(vehicle);
    }
    TripRecord& AddTrip(std::uint32_t vehicle, const char* place, int day, std::int32_t from = 0,
                        std::int32_t to = 0, std::uint32_t category = 0) {
        TripRecord trip(MTime(2024, 3, day, 9, 0, 0, -1));
        trip.VehicleId = vehicle;
        trip.Destination.Set(place);
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Category = category;
        return Doc().Trips().Append(std::move(trip));
    }
    // What another part of the program does after changing the data.
    void Broadcast() { Doc().UpdateAllViews(nullptr, 0); }

    QStringList Destinations() {
        QStringList places;
        for (const TripRecord* trip : View()->Rows())
            places << QString::fromLatin1(trip->Destination.View().data(),
                                          static_cast<qsizetype>(trip->Destination.View().size()));
        return places;
    }
    void Select(std::initializer_list<int> rows) {
        View()->clearSelection();
        for (const int row : rows)
            View()->selectionModel()->select(View()->model()->index(row, 0),
                                             QItemSelectionModel::Select |
                                                 QItemSelectionModel::Rows);
    }
    template <typename T> static T* Field(QDialog& dialog, const char* name) {
        T* field = dialog.findChild<T*>(name);
        EXPECT_NE(field, nullptr) << name;
        return field;
    }
    static void ClickOk(QDialog& dialog) { Field<QPushButton>(dialog, "okButton")->click(); }

    // A date and time as a data file may hold it, unchecked: month 13, 30
    // February.
    static MTime Stored(int year, int month, int day, int hour, int minute, int second) {
        QByteArray bytes;
        for (const int field : {second, minute, hour, day, month, year})
            bytes.append(static_cast<char>(field & 0xFF)).append(static_cast<char>(field >> 8));
        QTemporaryFile file;
        EXPECT_TRUE(file.open());
        file.write(bytes);
        file.flush();
        MFile in = MFile::OpenForRead(file.fileName().toStdString(), false);
        MTime time;
        EXPECT_TRUE(time.Read(in));
        return time;
    }
    static std::vector<int> Fields(const MTime& time) {
        return {time.GetYear() + 1900, time.GetMonth() + 1, time.GetDay(),
                time.GetHour(),        time.GetMinute(),    time.GetSecond()};
    }
};

TEST_F(TripViewTest, WithoutVehiclesTheListIsEmptyAndTheCommandsSaySo) {
    ASSERT_NE(View(), nullptr);
    EXPECT_TRUE(View()->Rows().empty());
    View()->OnNewRecord();
    View()->OnEditRecord();
    MessageBox::setNextAnswer(MessageBox::Yes);
    View()->OnDeleteRecords();
    EXPECT_EQ(
        MessageBox::shownTexts(),
        QStringList({"You must first create a vehicle, before using this option.",
                     "Please select an item", "Are you sure you want to delete the selected items?",
                     "Please select an item"}));
    EXPECT_EQ(MessageBox::shownCaptions().value(2), "Warning");
    EXPECT_EQ(ModalDialog::runCount(), 0);
}

TEST_F(TripViewTest, TheListFollowsTheFilterPaneAndItsSortCode) {
    AddVehicle("Van", 7);
    AddVehicle("Bus", 8);
    AddTrip(7, "Bank", 2, 100, 180);
    AddTrip(7, "Airport", 5, 180, 190);
    AddTrip(7, "Zoo", 1, 190, 400, 0);
    AddTrip(8, "School", 3);
    Broadcast();
    // Bus is the first vehicle by name.
    EXPECT_EQ(Destinations(), QStringList({"School"}));

    auto* vehicles = m_frame->TabForm()->findChildren<QComboBox*>().at(0);
    vehicles->setCurrentIndex(vehicles->findText("Van"));
    emit vehicles->activated(vehicles->currentIndex());
    EXPECT_EQ(Destinations(), QStringList({"Airport", "Bank", "Zoo"}));
    EXPECT_EQ(View()->model()->index(0, 0).data().toString(), "3/5/2024");
    EXPECT_EQ(View()->model()->index(2, 4).data().toString(), "210");

    // Date: newest first becomes oldest first; Distance twice: descending.
    QHeaderView* header = View()->header();
    emit header->sectionClicked(0);
    EXPECT_EQ(View()->SortCodeValue(), 128);
    EXPECT_EQ(Destinations(), QStringList({"Zoo", "Bank", "Airport"}));
    emit header->sectionClicked(4);
    emit header->sectionClicked(4);
    EXPECT_EQ(View()->SortCodeValue(), 132);
    EXPECT_EQ(Destinations(), QStringList({"Zoo", "Bank", "Airport"}));
    // The code lasts for the run: a new trip list sorts the same way.
    m_frame->ShowLog(LogIndex::kVehicleList);
    m_frame->ShowLog(LogIndex::kTripLog);
    EXPECT_EQ(View()->SortCodeValue(), 132);
    EXPECT_EQ(Destinations(), QStringList({"Zoo", "Bank", "Airport"}));
}

TEST_F(TripViewTest, ANewTripStartsAtTheCurrentOdometerAndIsStoredOnOk) {
    VehicleRecord& van = AddVehicle("Van", 7);
    AddTrip(7, "Depot", 1, 11000, 12000);
    ServiceRecord service{MTime()};
    service.VehicleId = 7;
    service.Odometer = 12500;
    service.ServiceFlags = ServiceFlagBits::Completed;
    Doc().Services().Append(service);
    Broadcast();

    ModalDialog::pushHandler([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Trip");
        EXPECT_EQ(Field<QLineEdit>(dialog, "startOdometerEdit")->text(), "12500");
        EXPECT_EQ(Field<QLineEdit>(dialog, "endOdometerEdit")->text(), "12500");
        EXPECT_EQ(Field<QComboBox>(dialog, "vehicleBox")->currentText(), "Van");
        // The filter's "All" is no entry of the list: the first one is taken.
        EXPECT_EQ(Field<QComboBox>(dialog, "categoryBox")->currentText(), "Unfiled");
        Field<QLineEdit>(dialog, "destinationEdit")->setText("Harbour");
        Field<QLineEdit>(dialog, "endOdometerEdit")->setText("12620");
        ClickOk(dialog);
        return dialog.result();
    });
    m_frame->findChild<QAction*>("actionNew")->trigger();
    ASSERT_EQ(Doc().Trips().Count(), 2u);
    const TripRecord& added = Doc().Trips().Records()[1];
    EXPECT_EQ(added.Destination.View(), "Harbour");
    EXPECT_EQ(added.VehicleId, van.VehicleId);
    EXPECT_EQ(added.StartOdometer, 12500);
    EXPECT_EQ(added.EndOdometer, 12620);
    EXPECT_EQ(added.Flags & RecordFlags::Modified, RecordFlags::Modified);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Destinations(), QStringList({"Harbour", "Depot"}));

    // Cancel stores nothing.
    ModalDialog::pushHandler([](QDialog& dialog) { return dialog.result(); });
    View()->OnNewRecord();
    EXPECT_EQ(Doc().Trips().Count(), 2u);
}

TEST_F(TripViewTest, ANewTripsReadingIsKeptWithinTheOdometerFieldsRange) {
    VehicleRecord& van = AddVehicle("Van", 7);
    Broadcast();
    const auto addTrip = [this](const QString& expectedReading) {
        ModalDialog::pushHandler([expectedReading](QDialog& dialog) {
            EXPECT_EQ(Field<QLineEdit>(dialog, "startOdometerEdit")->text(), expectedReading);
            EXPECT_EQ(Field<QLineEdit>(dialog, "endOdometerEdit")->text(), expectedReading);
            Field<QLineEdit>(dialog, "destinationEdit")->setText("Depot");
            ClickOk(dialog);
            return dialog.result();
        });
        View()->OnNewRecord();
        EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
            << MessageBox::shownTexts().join('|').toStdString();
        return &Doc().Trips().Records().back();
    };
    // Readings a data file may hold beyond what the fields take.
    van.Odometer = 12345678;
    const TripRecord* high = addTrip("9999999");
    ASSERT_EQ(Doc().Trips().Count(), 1u);
    EXPECT_EQ(high->StartOdometer, kMaxOdometer);
    EXPECT_EQ(high->EndOdometer, kMaxOdometer);

    Doc().Trips().Records().back().MarkDeleted();
    van.Odometer = -5;
    const TripRecord* low = addTrip("0");
    ASSERT_EQ(Doc().Trips().Count(), 2u);
    EXPECT_EQ(low->StartOdometer, 0);
}

TEST_F(TripViewTest, DatesThePickerCannotShowAreShownAsListedAndKeptUntilChanged) {
    AddVehicle("Van", 7);
    TripRecord& trip = AddTrip(7, "Depot", 1);
    trip.Start = Stored(2020, 13, 5, 8, 30, 15);
    trip.End = Stored(2021, 2, 30, 17, 0, 0);
    // By destination, so that no date comparison normalises the stored days.
    m_app->SortCodes[LogIndex::kTripLog] = 1;
    Broadcast();
    ASSERT_EQ(View()->model()->index(0, 0).data().toString(), "13/5/2020");
    Select({0});

    QStringList shown;
    ModalDialog::pushHandler([&shown](QDialog& dialog) {
        shown << Field<QDateEdit>(dialog, "startDateEdit")->text()
              << Field<QDateEdit>(dialog, "endDateEdit")->text();
        Field<QLineEdit>(dialog, "destinationEdit")->setText("Mall");
        ClickOk(dialog);
        return dialog.result();
    });
    View()->OnEditRecord();
    EXPECT_EQ(shown, QStringList({"13/5/2020", "2/30/2021"}));
    EXPECT_EQ(trip.Destination.View(), "Mall");
    EXPECT_EQ(Fields(trip.Start), (std::vector<int>{2020, 13, 5, 8, 30, 15}));
    EXPECT_EQ(Fields(trip.End), (std::vector<int>{2021, 2, 30, 17, 0, 0}));

    // A new time keeps the stored day, as the calendar reads it (13/5/2020
    // is 1/5/2021); a new day keeps the stored time.
    ModalDialog::pushHandler([](QDialog& dialog) {
        Field<QTimeEdit>(dialog, "startTimeEdit")->setTime(QTime(9, 0, 0));
        Field<QDateEdit>(dialog, "endDateEdit")->setDate(QDate(2021, 3, 4));
        ClickOk(dialog);
        return dialog.result();
    });
    View()->OnEditRecord();
    EXPECT_EQ(Fields(trip.Start), (std::vector<int>{2021, 1, 5, 9, 0, 0}));
    EXPECT_EQ(Fields(trip.End), (std::vector<int>{2021, 3, 4, 17, 0, 0}));

    // Once picked, a date shows as every other.
    ModalDialog::pushHandler([&shown](QDialog& dialog) {
        shown = QStringList{Field<QDateEdit>(dialog, "startDateEdit")->text()};
        return dialog.result();
    });
    View()->OnEditRecord();
    EXPECT_EQ(shown, QStringList("1/5/2021"));
}

TEST_F(TripViewTest, TheDialogChecksItsFieldsInOrderAndStaysOpen) {
    AddVehicle("Van", 7);
    TripRecord& trip = AddTrip(7, "Depot", 1, 10, 20);
    Broadcast();
    Select({0});
    const auto attempt = [this](std::function<void(QDialog&)> change) {
        MessageBox::clearShownTexts();
        int result = -1;
        ModalDialog::pushHandler([&](QDialog& dialog) {
            change(dialog);
            ClickOk(dialog);
            result = dialog.result();
            return result;
        });
        View()->OnEditRecord();
        return result;
    };

    EXPECT_EQ(attempt([](QDialog& d) {
                  Field<QLineEdit>(d, "startOdometerEdit")->setText("10000000");
                  Field<QLineEdit>(d, "destinationEdit")->clear();
              }),
              QDialog::Rejected);
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("Please enter an integer between 0 and 9999999."));
    EXPECT_EQ(attempt([](QDialog& d) { Field<QLineEdit>(d, "endOdometerEdit")->setText("12a"); }),
              QDialog::Rejected);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Please enter an integer."));
    EXPECT_EQ(attempt([](QDialog& d) { Field<QLineEdit>(d, "destinationEdit")->clear(); }),
              QDialog::Rejected);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("You must enter a place"));
    EXPECT_EQ(attempt([](QDialog& d) { Field<QComboBox>(d, "vehicleBox")->setCurrentIndex(-1); }),
              QDialog::Rejected);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("You must select a vehicle"));
    EXPECT_EQ(attempt([](QDialog& d) { Field<QComboBox>(d, "categoryBox")->setCurrentIndex(-1); }),
              QDialog::Rejected);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("You must select a category"));
    EXPECT_EQ(trip.Destination.View(), "Depot");
    EXPECT_EQ(trip.Flags, 0u);

    // The last day a date can hold ends before midnight here: the entry is
    // kept and the dialog stays on the date instead of losing it.
    EXPECT_EQ(attempt([](QDialog& d) {
                  Field<QLineEdit>(d, "destinationEdit")->setText("Mall");
                  Field<QDateEdit>(d, "endDateEdit")->setDate(QDate(2038, 1, 18));
                  Field<QTimeEdit>(d, "endTimeEdit")->setTime(QTime(23, 0, 0));
              }),
              QDialog::Rejected);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Time out of range."));
    EXPECT_EQ(trip.Destination.View(), "Depot");

    // An end reading below the start is stored as entered; its distance is 0.
    EXPECT_EQ(attempt([](QDialog& d) {
                  Field<QLineEdit>(d, "endOdometerEdit")->setText("5");
                  Field<QDateEdit>(d, "startDateEdit")->setDate(QDate(2024, 4, 1));
                  Field<QTimeEdit>(d, "startTimeEdit")->setTime(QTime(7, 30, 15));
              }),
              QDialog::Accepted);
    EXPECT_EQ(trip.EndOdometer, 5);
    EXPECT_EQ(trip.Start, MTime(2024, 4, 1, 7, 30, 15, -1));
    EXPECT_EQ(View()->model()->index(0, 4).data().toString(), "0");
    EXPECT_EQ(View()->model()->index(0, 0).data().toString(), "4/1/2024");
}

TEST_F(TripViewTest, ANoteIsKeptOnlyWhenTheTripIsConfirmed) {
    AddVehicle("Van", 7);
    TripRecord& trip = AddTrip(7, "Depot", 1);
    trip.Note = "old";
    Broadcast();
    const auto editNote = [](const std::string& text, bool confirmTrip) {
        ModalDialog::pushHandler([text, confirmTrip](QDialog& dialog) {
            ModalDialog::pushHandler([text](QDialog& note) {
                EXPECT_EQ(note.windowTitle(), "NOTE");
                Field<QPlainTextEdit>(note, "noteEdit")->setPlainText(QString::fromStdString(text));
                Field<QPushButton>(note, "okButton")->click();
                return note.result();
            });
            Field<QPushButton>(dialog, "noteButton")->click();
            if (confirmTrip)
                ClickOk(dialog);
            return dialog.result();
        });
    };
    Select({0});
    editNote("changed", false);
    View()->OnEditRecord();
    EXPECT_EQ(trip.Note, "old");
    EXPECT_EQ(trip.Flags, 0u);

    editNote(std::string(300, 'n'), true);
    View()->OnEditRecord();
    EXPECT_EQ(trip.Note, std::string(255, 'n'));
    EXPECT_NE(trip.Flags & RecordFlags::Modified, 0u);
}

TEST_F(TripViewTest, DeleteAsksOnceAndCategoryChangeRefilesTheSelection) {
    AddVehicle("Van", 7);
    CategoryEntry work;
    work.Name = "Work";
    work.Category = 2;
    Doc().Trips().Categories.Add(work);
    for (int day = 1; day <= 5; ++day)
        AddTrip(7, "Trip", day);
    Broadcast();
    ASSERT_EQ(View()->Rows().size(), 5u);

    Select({0, 2, 4});
    const std::vector<TripRecord*> chosen = {View()->Rows()[0], View()->Rows()[2],
                                             View()->Rows()[4]};
    ModalDialog::pushHandler([](QDialog& dialog) {
        auto* box = Field<QComboBox>(dialog, "categoryBox");
        box->setCurrentIndex(box->findText("Work"));
        ClickOk(dialog);
        return dialog.result();
    });
    View()->OnCategoryChange();
    for (const TripRecord* trip : chosen) {
        EXPECT_EQ(trip->Category, 2u);
        EXPECT_NE(trip->Flags & RecordFlags::Modified, 0u);
    }
    EXPECT_EQ(View()->Rows().size(), 5u);

    Select({0, 2, 4});
    MessageBox::setNextAnswer(MessageBox::No);
    View()->OnDeleteRecords();
    EXPECT_EQ(View()->Rows().size(), 5u);
    Doc().SetModifiedFlag(false);
    MessageBox::clearShownTexts();
    MessageBox::setNextAnswer(MessageBox::Yes);
    View()->OnDeleteRecords();
    EXPECT_EQ(MessageBox::shownTexts().size(), 1);
    EXPECT_EQ(View()->Rows().size(), 2u);
    for (const TripRecord* trip : chosen)
        EXPECT_TRUE(trip->IsDeleted());
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(TripViewTest, ATripMovedToAnotherVehicleLeavesTheListAtOnce) {
    AddVehicle("Bus", 8);
    AddVehicle("Van", 9);
    AddTrip(8, "School", 1);
    Broadcast();
    Select({0});
    ModalDialog::pushHandler([](QDialog& dialog) {
        auto* vehicles = Field<QComboBox>(dialog, "vehicleBox");
        vehicles->setCurrentIndex(vehicles->findText("Van"));
        ClickOk(dialog);
        return dialog.result();
    });
    View()->OnEditRecord();
    EXPECT_TRUE(View()->Rows().empty());
    EXPECT_EQ(Doc().Trips().Records()[0].VehicleId, 9u);
}

TEST_F(TripViewTest, AVehicleDeletedInItsListTakesItsTripsWithIt) {
    AddVehicle("Bus", 8);
    AddVehicle("Van", 9);
    AddTrip(8, "School", 1);
    AddTrip(9, "Depot", 2);
    Broadcast();
    ASSERT_EQ(Destinations(), QStringList({"School"}));

    m_frame->ShowLog(LogIndex::kVehicleList);
    CLogView* vehicles = m_frame->RightView();
    vehicles->selectionModel()->select(vehicles->model()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    MessageBox::setNextAnswer(MessageBox::Yes);
    vehicles->OnDeleteRecords();
    m_frame->ShowLog(LogIndex::kTripLog);
    // Bus is gone from the filter pane; Van is chosen and listed.
    EXPECT_EQ(Destinations(), QStringList({"Depot"}));
    EXPECT_TRUE(Doc().Trips().Records()[0].IsDeleted());
    EXPECT_EQ(m_frame->TabForm()->findChildren<QComboBox*>().at(0)->count(), 1);
}

TEST_F(TripViewTest, ReloadingTheDataDropsTheRowsFirst) {
    AddVehicle("Van", 7);
    AddTrip(7, "Depot", 1);
    Broadcast();
    ASSERT_EQ(View()->Rows().size(), 1u);
    Doc().DeleteContents();
    EXPECT_TRUE(View()->Rows().empty());
    EXPECT_EQ(View()->model()->rowCount(), 0);
}

} // namespace
