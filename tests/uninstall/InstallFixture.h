#pragma once

#include "InstallLayout.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "PalmDesktopSettings.h"
#include "PalmLibraries.h"
#include "Uninstaller.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

// Everything under a folder and in the two settings stores an installation
// touches: each folder (ending in '/'), file (a hash of its bytes; settings
// files only by their presence) and symbolic link (its target) by its path
// under the folder, and each settings value as "[palm] key" or
// "[install] key".
using Snapshot = std::map<std::string, std::string>;

inline QSettings PalmSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     PalmDesktopSettings::kOrganisation, PalmDesktopSettings::kApplication);
}

inline QSettings InstallSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "Tarvenly");
}

inline void WriteSetting(QSettings settings, const QString& key, const QString& value) {
    settings.setValue(key, value);
    settings.sync();
}

inline void AddSettings(Snapshot& snapshot, QSettings settings, const std::string& tag) {
    settings.sync();
    for (const QString& key : settings.allKeys())
        snapshot["[" + tag + "] " + key.toStdString()] =
            settings.value(key).toString().toStdString();
}

inline Snapshot TakeSnapshot(const QString& root, bool withSettings = true) {
    Snapshot snapshot;
    const QDir base(root);
    QDirIterator entries(root,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo info = entries.fileInfo();
        const std::string path = base.relativeFilePath(info.filePath()).toStdString();
        if (info.isSymLink()) {
            snapshot[path] = "-> " + info.symLinkTarget().toStdString();
        } else if (info.isDir()) {
            snapshot[path + "/"] = "";
        } else if (info.suffix() == "conf") {
            // A settings file: its values are below.
            snapshot[path] = "settings";
        } else {
            QFile file(info.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
            snapshot[path] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                 .toHex()
                                 .toStdString();
        }
    }
    if (withSettings) {
        AddSettings(snapshot, PalmSettings(), "palm");
        AddSettings(snapshot, InstallSettings(), "install");
    }
    return snapshot;
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Answers the question as told and records what it was asked and shown.
class FakePrompter : public IUninstallPrompter {
public:
    bool answer = true;
    std::vector<std::string> calls;

    bool Confirm(const QString& question) override {
        calls.push_back("ask: " + question.toStdString());
        return answer;
    }
    void ShowFailure(const QString& text) override {
        calls.push_back("failure: " + text.toStdString());
    }
    void ShowCompletion(const QString& package) override {
        calls.push_back(package.isEmpty() ? "completion" : "completion: " + package.toStdString());
    }
};

// The real loader, recording which libraries were asked for.
class RecordingLoader : public IPalmLibraryLoader {
public:
    std::vector<std::string> loads;

    std::optional<HotSyncApi> LoadHotSyncApi(const std::string& palmFolder) override {
        loads.push_back("hsapi");
        return m_real.LoadHotSyncApi(palmFolder);
    }
    std::optional<ConduitManager> LoadConduitManager(const std::string& palmFolder) override {
        loads.push_back("condmgr");
        return m_real.LoadConduitManager(palmFolder);
    }

private:
    PalmLibraryLoader m_real;
};

// A throw-away tree with a Palm Desktop folder, an installation folder and
// the desktop and applications folders, and the settings that go with them.
class InstallFixture : public testing::Test {
protected:
    // The names of the other programs' notifiers and conduit.
    static constexpr const char* kOtherNotifier = "/usr/lib/palm/libOtherNotifier.so";
    static constexpr const char* kThirdNotifier = "/usr/lib/palm/libThirdNotifier.so";
    static constexpr const char* kOtherConduit = "/usr/lib/palm/libOtherConduit.so";

    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        MessageBox::clearShownTexts();
        ModalDialog::clearHandlers();
        ClearSettings();
        for (const QString& folder : {Palm(), Desktop(), Applications()})
            ASSERT_TRUE(QDir().mkpath(folder));
    }
    void TearDown() override { ClearSettings(); }

    static void ClearSettings() {
        for (auto open : {PalmSettings, InstallSettings}) {
            QSettings settings = open();
            settings.clear();
            settings.sync();
        }
    }

    QString Root() const { return m_root.path(); }
    QString Palm() const { return Root() + "/Palm Desktop"; }
    QString Install() const { return Root() + "/Tarvenly"; }
    QString Desktop() const { return Root() + "/Desktop"; }
    QString Applications() const { return Root() + "/applications"; }
    QString Menu() const { return Applications() + "/Tarvenly"; }
    InstallLayout::ShortcutFolders Shortcuts() const { return {Desktop(), Applications()}; }

    // Palm Desktop with its libraries, a user store, and another program's
    // notifiers and conduit registered.
    void MakePalmDesktop() {
        ASSERT_TRUE(QFile::link(TV_CONDMGR_PATH, Palm() + "/libCondMgr.so"));
        ASSERT_TRUE(QFile::link(TV_HSAPI_PATH, Palm() + "/libHsapi.so"));
        WriteFile(Palm() + "/UserData.txt", "user\t1\tDemo\tDemo\n");
        WriteSetting(PalmSettings(), "Core/DesktopPath", Palm());
        WriteSetting(PalmSettings(), "HotSync Manager/Notifier0", kOtherNotifier);
        WriteSetting(PalmSettings(), "HotSync Manager/Notifier3", kThirdNotifier);
        WriteSetting(PalmSettings(), "Conduits/ABCD/Conduit", kOtherConduit);
        // Files of other programs beside the shortcuts.
        WriteFile(Desktop() + "/Other.desktop", "[Desktop Entry]\n");
        WriteFile(Applications() + "/other.desktop", "[Desktop Entry]\n");
    }

    // The installed files, each holding its own name.
    void MakeInstallation() {
        ASSERT_TRUE(QDir().mkpath(Install()));
        for (const char* name : InstallLayout::kInstalledFiles)
            WriteFile(Install() + "/" + name, name);
    }

    // What a registration of that installation put in place, our notifier
    // registered as Notifier2 behind a gap at 1.
    void MakeRegistration() {
        WriteFile(Palm() + "/libTvNotifier.so", "notifier");
        WriteFile(Palm() + "/libTvConduit.so", "conduit");
        WriteSetting(PalmSettings(), "HotSync Manager/Notifier2", Palm() + "/libTvNotifier.so");
        WriteSetting(PalmSettings(), "Conduits/TVRL/Conduit", Palm() + "/libTvConduit.so");
        WriteSetting(InstallSettings(), "3.0/Tarvenly Path", Install());
        WriteFile(Desktop() + "/Tarvenly.desktop", "desktop");
        ASSERT_TRUE(QDir().mkpath(Menu()));
        for (const char* name : InstallLayout::kMenuShortcuts)
            WriteFile(Menu() + "/" + name, name);
    }

    Uninstaller::Outcome Uninstall(IPalmLibraryLoader& loader) {
        Uninstaller uninstaller(m_prompter, loader, Shortcuts(), Install() + "/TvUnInstall");
        return uninstaller.Run();
    }

    FakePrompter m_prompter;
    RecordingLoader m_loader;

private:
    QTemporaryDir m_root;
};
