#pragma once

#include "PalmDesktopSettings.h"
#include "PalmLibraries.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Empty Palm Desktop settings, and a Palm Desktop folder holding the built
// conduit manager and HotSync API libraries, loaded as installers load them.
class PalmSettingsFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        Settings().clear();
        ASSERT_TRUE(QFile::link(TV_CONDMGR_PATH, Folder() + "/libCondMgr.so"));
        ASSERT_TRUE(QFile::link(TV_HSAPI_PATH, Folder() + "/libHsapi.so"));
        m_conduits = m_loader.LoadConduitManager(Folder().toStdString());
        ASSERT_TRUE(m_conduits) << m_loader.LastError();
        m_hotSync = m_loader.LoadHotSyncApi(Folder().toStdString());
        ASSERT_TRUE(m_hotSync) << m_loader.LastError();
    }
    void TearDown() override { Settings().clear(); }

    static QSettings Settings() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                         PalmDesktopSettings::kOrganisation, PalmDesktopSettings::kApplication);
    }
    static void Write(const QString& key, const QString& value) {
        QSettings settings = Settings();
        settings.setValue(key, value);
        settings.sync();
    }

    QString Folder() const { return m_folder.path(); }

    PalmLibraryLoader m_loader;
    std::optional<ConduitManager> m_conduits;
    std::optional<HotSyncApi> m_hotSync;

private:
    QTemporaryDir m_folder;
};
