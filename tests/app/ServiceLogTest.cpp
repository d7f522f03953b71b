// The service type list and the service log in a started program: the two
// dialogs' flows (the 100 check, AutoSet), the New checks, the delete
// cascade, and a HotSync reload while a service dialog is open.

#include "AppFixture.h"
#include "Clock.h"
#include "LocalTimeZone.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "MomentEdit.h"
#include "ServiceTypeView.h"
#include "ServiceView.h"
#include "TabForm.h"
#include "TvDeskDoc.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <ctime>
#include <tuple>

namespace {

template <typename T> T* Field(QDialog& dialog, const char* name) {
    T* field = dialog.findChild<T*>(name);
    EXPECT_NE(field, nullptr) << name;
    return field;
}

MTime At(int year, int month, int day, int hour = 9, int minute = 30) {
    return MTime(year, month, day, hour, minute, 0, -1);
}

class ServiceLogTest : public FrameFixture {
protected:
    CTvDeskDoc& Doc() { return m_app->Doc(); }

    VehicleRecord& AddVehicle(const char* name, std::int32_t odometer) {
        VehicleRecord vehicle = Doc().Vehicles().CreateRecord();
        vehicle.VehicleId = Doc().Vehicles().NewId();
        vehicle.Name.Set(name);
        vehicle.Odometer = odometer;
        return Doc().Vehicles().Append(vehicle);
    }
    ServiceTypeRecord& AddType(const char* name, std::int32_t distance, TimeUnit unit,
                               std::uint8_t count) {
        ServiceTypeRecord type = Doc().ServiceTypes().CreateRecord();
        type.ServiceTypeId = Doc().ServiceTypes().NewId();
        type.Name.Set(name);
        type.DistanceInterval = distance;
        type.TimeUnit = static_cast<std::uint8_t>(unit);
        type.TimeCount = count;
        return Doc().ServiceTypes().Append(type);
    }
    ServiceRecord& AddEntry(const VehicleRecord& vehicle, const ServiceTypeRecord& type,
                            const MTime& date, std::int32_t odometer) {
        ServiceRecord entry(date);
        entry.VehicleId = vehicle.VehicleId;
        entry.ServiceTypeId = type.ServiceTypeId;
        entry.Odometer = odometer;
        return Doc().Services().Append(std::move(entry));
    }
    template <typename View> View* Show(int log) {
        m_frame->TabForm()->RebuildVehicleBox();
        m_frame->ShowLog(log);
        auto* view = dynamic_cast<View*>(m_frame->RightView());
        EXPECT_NE(view, nullptr);
        MessageBox::clearShownTexts();
        return view;
    }
    void Trigger(const char* action) { m_frame->findChild<QAction*>(action)->trigger(); }
    static QStringList Column(const QAbstractItemView* view, int column) {
        QStringList texts;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            texts << view->model()->index(row, column).data().toString();
        return texts;
    }
    static void SelectAll(QAbstractItemView* view) { view->selectAll(); }
};

TEST_F(ServiceLogTest, TheServiceTypeDialogChecksTheRepeatNumberAtUnitClicksAndTheName) {
    AddType("Oil", 3000, TimeUnit::Months, 3);
    Show<CServiceTypeView>(LogIndex::kServiceTypes);
    Doc().SetModifiedFlag(false);

    ModalDialog::pushHandler([](QDialog& dialog) {
        auto* count = Field<QLineEdit>(dialog, "countEdit");
        auto* unitLabel = Field<QLabel>(dialog, "unitLabel");
        // A new type has no time schedule: the count is disabled.
        EXPECT_FALSE(count->isEnabled());
        EXPECT_EQ(unitLabel->text(), "");
        Field<QRadioButton>(dialog, "unitWeekButton")->click();
        EXPECT_TRUE(count->isEnabled());
        EXPECT_EQ(unitLabel->text(), "weeks");
        // A count typed now is judged only at the next click.
        count->setText("150");
        Field<QRadioButton>(dialog, "unitMonthButton")->click();
        EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
        Field<QRadioButton>(dialog, "unitYearButton")->click();
        EXPECT_EQ(MessageBox::shownTexts(),
                  QStringList{"The repeat number must be between 0 and 100."});
        EXPECT_EQ(count->text(), "1");
        EXPECT_EQ(unitLabel->text(), "years");
        // Names must differ from the live types' names, exactly.
        Field<QLineEdit>(dialog, "nameEdit")->setText("Oil");
        count->setText("200"); // OK does not apply the 100 limit
        Field<QPushButton>(dialog, "okButton")->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(MessageBox::shownTexts().last(),
                  "The service type name is already used. Please enter a unique name.");
        Field<QLineEdit>(dialog, "nameEdit")->setText("oil");
        Field<QLineEdit>(dialog, "distanceEdit")->setText("10000000");
        Field<QPushButton>(dialog, "okButton")->click();
        EXPECT_EQ(MessageBox::shownTexts().last(),
                  "Please enter an integer between 0 and 9999999.");
        Field<QLineEdit>(dialog, "distanceEdit")->setText("5000");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    Trigger("actionNew");

    ASSERT_EQ(Doc().ServiceTypes().Count(), 2u);
    const ServiceTypeRecord& added = Doc().ServiceTypes().Records()[1];
    EXPECT_EQ(added.Name.View(), "oil");
    EXPECT_EQ(added.TimeUnit, static_cast<std::uint8_t>(TimeUnit::Years));
    EXPECT_EQ(added.TimeCount, 200);
    EXPECT_EQ(added.DistanceInterval, 5000);
    EXPECT_EQ(added.Flags, RecordFlags::Modified);
    EXPECT_GE(added.ServiceTypeId, 0x80000002u);
    EXPECT_TRUE(Doc().IsModified());
}

// West and east of UTC the picker offers only days a file holds at midnight.
TEST(MomentEditZones, OffersOnlyTheDaysAFileCanHold) {
    const QByteArray zoneBefore = qgetenv("TZ");
    for (const auto& [zone, first, last] :
         {std::tuple{"America/New_York", 1, 18}, {"Asia/Tokyo", 2, 19}}) {
        UseLocalTimeZone(zone);
        CMomentEdit edit{MTime()};
        EXPECT_EQ(edit.minimumDate(), QDate(1970, 1, first)) << zone;
        EXPECT_EQ(edit.maximumDate(), QDate(2038, 1, last)) << zone;
        edit.SetMoment(MTime(std::int64_t{2208988800})); // 2040
        EXPECT_FALSE(edit.Moment().has_value()) << zone;
    }
    UseLocalTimeZone(zoneBefore.constData());
}

TEST_F(ServiceLogTest, DeletingATypeAsksFirstThenDeletesItsEntriesOfEveryVehicle) {
    VehicleRecord& van = AddVehicle("Van", 100);
    VehicleRecord& bus = AddVehicle("Bus", 100);
    ServiceTypeRecord& oil = AddType("Oil", 3000, TimeUnit::None, 0);
    ServiceTypeRecord& tyres = AddType("Tyres", 3000, TimeUnit::None, 0);
    ServiceRecord& vanOil = AddEntry(van, oil, At(2024, 1, 1), 10);
    ServiceRecord& busOil = AddEntry(bus, oil, At(2024, 1, 1), 10);
    ServiceRecord& busTyres = AddEntry(bus, tyres, At(2024, 1, 1), 10);
    auto* view = Show<CServiceTypeView>(LogIndex::kServiceTypes);

    MessageBox::setNextAnswer(MessageBox::Yes);
    Trigger("actionDelete");
    EXPECT_EQ(MessageBox::shownTexts(),
              (QStringList{"All service log items associated with this service type will be "
                           "deleted. Are you sure you want to procede?",
                           "Please select an item"}));

    view->selectionModel()->select(view->model()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    MessageBox::setNextAnswer(MessageBox::Yes);
    Trigger("actionDelete");
    EXPECT_TRUE(oil.IsDeleted());
    EXPECT_TRUE(vanOil.IsDeleted());
    EXPECT_TRUE(busOil.IsDeleted());
    EXPECT_FALSE(busTyres.IsDeleted());
    EXPECT_FALSE(tyres.IsDeleted());
    EXPECT_EQ(Column(view, 0), QStringList{"Tyres"});
}

TEST_F(ServiceLogTest, AutoSetProposesRestoresAndProposesAgain) {
    const Clock::ScopedFix now(At(2024, 6, 15, 10, 0));
    VehicleRecord& van = AddVehicle("Van", 30000);
    ServiceTypeRecord& oil = AddType("Oil", 3000, TimeUnit::Months, 3);
    AddEntry(van, oil, At(2024, 2, 1, 8, 0), 30000).ServiceFlags = ServiceFlagBits::Completed;
    TripRecord trip(At(2024, 5, 1));
    trip.VehicleId = van.VehicleId;
    trip.StartOdometer = 30000;
    trip.EndOdometer = 31500;
    Doc().Trips().Append(std::move(trip));
    Show<CServiceView>(LogIndex::kServiceLog);

    ModalDialog::pushHandler([&](QDialog& dialog) {
        auto* odometer = Field<QLineEdit>(dialog, "odometerEdit");
        auto* date = Field<CMomentEdit>(dialog, "dateEdit");
        auto* autoSet = Field<QPushButton>(dialog, "autoSetButton");
        // A new entry opens on the vehicle's current reading and now.
        EXPECT_EQ(odometer->text(), "31500");
        EXPECT_EQ(date->date(), QDate(2024, 6, 15));
        EXPECT_EQ(Field<QLabel>(dialog, "lastServicingLabel")->text(), "30000 miles, on 2/1/2024");
        autoSet->click();
        EXPECT_EQ(odometer->text(), "33000");
        EXPECT_EQ(date->date(), QDate(2024, 5, 1)) << "1 February plus 90 days";
        autoSet->click();
        EXPECT_EQ(odometer->text(), "31500");
        EXPECT_EQ(date->date(), QDate(2024, 6, 15));
        autoSet->click();
        EXPECT_EQ(odometer->text(), "33000");
        Field<QCheckBox>(dialog, "completedBox")->setChecked(false);
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    Trigger("actionNew");

    ASSERT_EQ(Doc().Services().Count(), 2u);
    const ServiceRecord& added = Doc().Services().Records()[1];
    EXPECT_EQ(added.Odometer, 33000);
    EXPECT_EQ(added.Date.AsSeconds(), At(2024, 2, 1, 8, 0).AsSeconds() + 90 * 86400);
    EXPECT_EQ(added.ServiceTypeId, oil.ServiceTypeId);
    EXPECT_EQ(added.VehicleId, van.VehicleId);
    EXPECT_EQ(added.Flags, RecordFlags::Modified);
    auto* view = dynamic_cast<CServiceView*>(m_frame->RightView());
    // Due on 1 May, before now: past due, listed above the older completed one.
    EXPECT_EQ(Column(view, 1), (QStringList{"Past Due", "Completed"}));
}

TEST_F(ServiceLogTest, NewNeedsAVehicleAndAServiceType) {
    Show<CServiceView>(LogIndex::kServiceLog);
    Trigger("actionNew");
    AddVehicle("Van", 0);
    Trigger("actionNew");
    EXPECT_EQ(MessageBox::shownTexts(),
              (QStringList{"You must first create a vehicle. before using this option.",
                           "You must first create a service type, before using this option."}));
    EXPECT_EQ(ModalDialog::runCount(), 0);
}

TEST_F(ServiceLogTest, AReloadWhileAServiceDialogIsOpenLeavesTheRecordsAlone) {
    VehicleRecord& van = AddVehicle("Van", 100);
    ServiceTypeRecord& oil = AddType("Oil", 3000, TimeUnit::None, 0);
    AddEntry(van, oil, At(2024, 1, 1), 10);
    auto* view = Show<CServiceView>(LogIndex::kServiceLog);
    ASSERT_EQ(view->model()->rowCount(), 1);

    // The HotSync empties the document while the dialog is open; its OK
    // must then write nothing into the freed entry.
    ModalDialog::pushHandler([this](QDialog& dialog) {
        Doc().DeleteContents();
        Field<QLineEdit>(dialog, "odometerEdit")->setText("777");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    view->selectAll();
    Trigger("actionEdit");
    EXPECT_EQ(Doc().Services().Count(), 0u);
    EXPECT_EQ(view->model()->rowCount(), 0);

    // The same for a new service type.
    AddType("Brakes", 0, TimeUnit::None, 0);
    Show<CServiceTypeView>(LogIndex::kServiceTypes);
    ModalDialog::pushHandler([this](QDialog& dialog) {
        Doc().DeleteContents();
        Field<QLineEdit>(dialog, "nameEdit")->setText("Filter");
        Field<QPushButton>(dialog, "okButton")->click();
        return dialog.result();
    });
    Trigger("actionNew");
    EXPECT_EQ(Doc().ServiceTypes().Count(), 0u);
}

} // namespace
