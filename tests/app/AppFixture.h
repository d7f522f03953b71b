#pragma once

#include "FakeUserManager.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "PalmDesktopSettings.h"
#include "QtPrinters.h"
#include "TvDeskApp.h"
#include "TvDocument.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>

// Whether the data set, or the data file at path, holds a vehicle so named.
inline bool HasVehicle(const TvDocument& document, std::string_view name) {
    for (const VehicleRecord& vehicle : document.Vehicles().Records())
        if (vehicle.Name.View() == name)
            return true;
    return false;
}
inline bool FileHasVehicle(const std::string& path, std::string_view name) {
    TvDocument file;
    return file.OnOpenDocument(path) && HasVehicle(file, name);
}

// A Palm Desktop of the test's own (its folder registered in the settings)
// and an application whose user store is a scripted fake.
class AppFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        MessageBox::clearShownTexts();
        ClearSettings();
        PalmDesktopSettings::SetDesktopFolder(m_folder.path());
        m_fake.Root = (m_folder.path() + "/").toStdString();
    }

    void TearDown() override {
        if (m_app != nullptr)
            m_app->ExitInstance();
        m_app.reset();
        ClearSettings();
    }

    static void ClearSettings() {
        for (const char* application : {"TvDesk", "Tarvenly"}) {
            QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane",
                               application);
            settings.clear();
        }
        QSettings palm(QSettings::NativeFormat, QSettings::UserScope, "U.S. Robotics",
                       "Pilot Desktop");
        palm.clear();
    }

    // A user whose folder exists under the root folder.
    FakeUserManager::User& AddUser(std::uint32_t id, const std::string& name) {
        QDir(m_folder.path()).mkpath(QString::fromStdString(name));
        m_fake.Users.push_back({id, name, name});
        return m_fake.Users.back();
    }

    CTvDeskApp& MakeApp() {
        auto fake = std::make_unique<FakeUserManager>(m_fake);
        auto handOff = std::make_shared<std::unique_ptr<FakeUserManager>>(std::move(fake));
        m_app = std::make_unique<CTvDeskApp>(
            [handOff](const std::string&) -> std::unique_ptr<IUserManager> {
                return std::move(*handOff);
            });
        return *m_app;
    }

    // Starts the program as it starts for a user: false when it would end.
    bool Start(const QString& fileToOpen = QString()) {
        CTvDeskApp& app = MakeApp();
        app.ReadEarly(fileToOpen);
        return app.InitApplication() && app.InitInstance(fileToOpen);
    }

    std::string DataFileOf(const std::string& folder) const {
        return (m_folder.path() + "/" + QString::fromStdString(folder) + "/Tarvenly/TvData.tv")
            .toStdString();
    }

    static void RememberUser(const QString& name) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "TvDesk");
        settings.setValue("Settings/Current User", name);
        settings.sync();
    }

    QTemporaryDir m_folder;
    FakeUserManager m_fake; // the script, copied into the app at MakeApp()
    std::unique_ptr<CTvDeskApp> m_app;
};

// The program started for one Palm user, "Ann", with its main window, no
// message shown yet and no dialog answer queued.
class FrameFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ModalDialog::clearHandlers();
        AddUser(1, "Ann");
        ASSERT_TRUE(Start());
        m_frame = m_app->MainFrame();
        ASSERT_NE(m_frame, nullptr);
        MessageBox::clearShownTexts();
    }
    void TearDown() override {
        ModalDialog::clearHandlers();
        AppFixture::TearDown();
    }

    CMainFrame* m_frame = nullptr;
};
