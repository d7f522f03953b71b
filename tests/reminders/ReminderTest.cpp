#include "AppFixture.h"
#include "Clock.h"
#include "LogView.h"
#include "NotificationServer.h"
#include "TabForm.h"
#include "TvDeskDoc.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QStatusBar>
#include <functional>

namespace {

// Ann's data: the Accord has nothing due; the Civic's oil change is past due.
class ReminderTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        AddUser(1, "Ann");
        QDir().mkpath(QString::fromStdString(DataFileOf("Ann")).section('/', 0, -2));
    }
    void TearDown() override {
        AppFixture::TearDown();
        m_server.Unregister();
    }

    // Writes Ann's data file with the given planned oil changes of the Civic.
    void WriteData(const std::vector<MTime>& civicOilChanges) {
        TvDocument document;
        document.InitNewDocument();
        for (const auto& [name, id] : {std::pair{"Accord", 1u}, std::pair{"Civic", 2u}}) {
            VehicleRecord vehicle;
            vehicle.Name.Set(name);
            vehicle.VehicleId = id;
            vehicle.Odometer = 40000;
            document.Vehicles().Append(vehicle);
        }
        ServiceTypeRecord oil;
        oil.Name.Set("Oil change");
        oil.TimeUnit = static_cast<std::uint8_t>(TimeUnit::Months);
        oil.TimeCount = 3;
        oil.ServiceTypeId = 0x80000002;
        document.ServiceTypes().Append(oil);
        ServiceRecord later(MTime(2017, 1, 1, 9, 0, 0, -1));
        later.VehicleId = 1;
        later.ServiceTypeId = oil.ServiceTypeId;
        document.Services().Append(later);
        for (const MTime& date : civicOilChanges) {
            ServiceRecord entry(date);
            entry.VehicleId = 2;
            entry.ServiceTypeId = oil.ServiceTypeId;
            entry.Odometer = 45000;
            document.Services().Append(entry);
        }
        ASSERT_TRUE(document.OnSaveDocument(DataFileOf("Ann")));
    }

    // Lets the bus's messages arrive until done() holds or a while has passed.
    static bool WaitFor(const std::function<bool()>& done, int milliseconds = 3000) {
        QDeadlineTimer deadline(milliseconds);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    const Clock::ScopedFix m_clock{MTime(2016, 3, 20, 12, 0, 0, -1)};
    const MTime m_pastDue = MTime(2016, 3, 12, 9, 0, 0, -1);
    NotificationServer m_server;
};

TEST_F(ReminderTest, NotifiesAtStartAndAfterAReloadThatChangedTheSet) {
    ASSERT_TRUE(m_server.Register());
    WriteData({m_pastDue});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitFor([this] { return m_server.shown.size() == 1; }));
    EXPECT_TRUE(m_server.shown[0].body.contains("Civic"));
    EXPECT_FALSE(m_server.shown[0].body.contains("Accord"));
    EXPECT_TRUE(m_server.shown[0].actions.contains("default"));

    // The same set again after a HotSync: no second notification.
    m_app->ReloadDocument();
    EXPECT_FALSE(WaitFor([this] { return m_server.shown.size() > 1; }, 500));

    WriteData({m_pastDue, MTime(2016, 3, 25, 9, 0, 0, -1)});
    m_app->ReloadDocument();
    ASSERT_TRUE(WaitFor([this] { return m_server.shown.size() == 2; }));
    EXPECT_NE(m_server.shown[1].summary, m_server.shown[0].summary);

    // Choosing it shows the Civic's service log.
    m_server.ChooseDefaultAction(m_server.shown[1].id);
    CMainFrame* frame = m_app->MainFrame();
    ASSERT_TRUE(WaitFor([frame] {
        return frame->RightView() != nullptr &&
               frame->RightView()->LogIndex() == LogIndex::kServiceLog;
    }));
    ASSERT_NE(m_app->Doc().SelectedVehicle, nullptr);
    EXPECT_EQ(m_app->Doc().SelectedVehicle->VehicleId, 2u);
}

TEST_F(ReminderTest, NothingDueSendsNothing) {
    ASSERT_TRUE(m_server.Register());
    WriteData({MTime(2016, 9, 1, 9, 0, 0, -1)});
    ASSERT_TRUE(Start());
    EXPECT_FALSE(WaitFor([this] { return !m_server.shown.empty(); }, 500));
}

TEST_F(ReminderTest, WithoutAServiceTheStatusBarTells) {
    WriteData({m_pastDue});
    ASSERT_TRUE(Start());
    QStatusBar* bar = m_app->MainFrame()->statusBar();
    ASSERT_TRUE(WaitFor([bar] { return bar->currentMessage().contains("Civic"); }));
    EXPECT_TRUE(m_server.shown.empty());
}

} // namespace
