// A shutdown, a logout or Ctrl+C (SIGTERM, SIGHUP, SIGINT) ends the program
// as closing its window does: open dialogs are cancelled, and the data in
// memory is written back instead of being lost with the process.

#include "AppFixture.h"
#include "TripView.h"
#include "TvDeskDoc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <csignal>

namespace {

class TerminationTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        VehicleRecord van;
        van.Name.Set("Van");
        van.VehicleId = 7;
        Doc().Vehicles().Append(van);
        Doc().SetModifiedFlag(true);
        Doc().UpdateAllViews(nullptr, 0);
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }

    // Lets the event loop take the request until the window has closed.
    void WaitForTheWindowToClose() {
        QElapsedTimer waited;
        waited.start();
        while (m_frame->isVisible() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    // The vehicle names of the data file on disk.
    std::vector<std::string> VehiclesOnDisk() {
        TvDocument onDisk;
        EXPECT_TRUE(onDisk.OnOpenDocument(Doc().PathName()));
        std::vector<std::string> names;
        for (const VehicleRecord& vehicle : onDisk.Vehicles().Records())
            names.emplace_back(vehicle.Name.View());
        return names;
    }
};

TEST_F(TerminationTest, EachSignalWritesTheDataBackAndClosesTheWindow) {
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        m_frame->show();
        Doc().SetModifiedFlag(true);
        const std::string name = "Car " + std::to_string(signalNumber);
        VehicleRecord car;
        car.Name.Set(name.c_str());
        car.VehicleId = 100 + static_cast<std::uint32_t>(signalNumber);
        Doc().Vehicles().Append(car);

        ASSERT_EQ(std::raise(signalNumber), 0);
        WaitForTheWindowToClose();
        EXPECT_FALSE(m_frame->isVisible());
        EXPECT_FALSE(Doc().IsModified());
        const std::vector<std::string> names = VehiclesOnDisk();
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
    }
}

TEST_F(TerminationTest, AnOpenDialogIsCancelledAndTheRestIsSaved) {
    m_frame->ShowLog(LogIndex::kTripLog);
    auto* trips = dynamic_cast<CTripView*>(m_frame->RightView());
    ASSERT_NE(trips, nullptr);
    int result = -1;
    ModalDialog::pushHandler([&](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("destinationEdit")->setText("Half typed");
        std::raise(SIGTERM);
        QApplication::processEvents();
        dialog.findChild<QPushButton*>("okButton")->click();
        result = dialog.result();
        return result;
    });
    trips->OnNewRecord();
    EXPECT_EQ(result, QDialog::Rejected);
    WaitForTheWindowToClose();
    EXPECT_FALSE(m_frame->isVisible());
    EXPECT_EQ(Doc().Trips().Count(), 0u) << "the cancelled trip is not added";
    EXPECT_EQ(VehiclesOnDisk(), std::vector<std::string>{"Van"});
}

} // namespace
