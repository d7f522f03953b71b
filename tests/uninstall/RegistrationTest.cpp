// The registration of an installed copy (TvRegister's work) on a throw-away
// tree: where the notifier is registered, registering twice, what is refused
// before anything is written, and a registration undone by the uninstaller.

#include "Registration.h"
#include "InstallFixture.h"

#include <functional>

namespace {

class RegistrationTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        MakePalmDesktop();
        MakeInstallation();
    }

    Registration::Result Register() {
        Registration registration(m_loader, Shortcuts());
        return registration.Register(Install());
    }

    // The registrations of our notifier, by number.
    static std::map<int, QString> OurNotifiers() {
        std::map<int, QString> ours;
        for (const auto& [number, library] : PalmDesktopSettings::NotifierRegistrations())
            if (InstallLayout::IsTarvenlyNotifier(library))
                ours[number] = library;
        return ours;
    }
};

TEST_F(RegistrationTest, RegistersEverythingTheUninstallerRemoves) {
    const Snapshot before = TakeSnapshot(Root());
    const Registration::Result result = Register();
    ASSERT_EQ(result.error, "");

    // The notifier, copied beside Palm Desktop, under the first free number.
    const QString notifier = Palm() + "/libTvNotifier.so";
    EXPECT_EQ(result.notifierNumber, 1);
    EXPECT_EQ(OurNotifiers(), (std::map<int, QString>{{1, notifier}}));
    EXPECT_EQ(ReadFile(notifier), "libTvNotifier.so");
    EXPECT_EQ(PalmSettings().value("Conduits/TVRL/Conduit"), Palm() + "/libTvConduit.so");
    EXPECT_EQ(PalmSettings().value("Conduits/ABCD/Conduit"), kOtherConduit);
    EXPECT_EQ(InstallLayout::InstallFolder(), Install());
    EXPECT_EQ(PalmDesktopSettings::RestartRequests(), 1);

    // The shortcuts are the installed desktop entries; the desktop's can be started.
    EXPECT_EQ(ReadFile(Desktop() + "/Tarvenly.desktop"), "Tarvenly.desktop");
    EXPECT_TRUE(QFileInfo(Desktop() + "/Tarvenly.desktop").isExecutable());
    for (const char* name : InstallLayout::kMenuShortcuts)
        EXPECT_EQ(ReadFile(Menu() + "/" + name), name);

    // Removing the installation again leaves nothing of ours but the
    // uninstaller, which was installed and is running.
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
    Snapshot expected = before;
    for (const char* name : InstallLayout::kInstalledFiles)
        if (std::string(name) != InstallLayout::kUninstallerFile)
            expected.erase("Tarvenly/" + std::string(name));
    expected["[palm] HotSync Manager/Restart Requests"] = "2";
    EXPECT_EQ(TakeSnapshot(Root()), expected);
}

TEST_F(RegistrationTest, RegisteringAgainKeepsOneNotifierRegistration) {
    // A registration of the notifier of a build, under a number after a gap.
    WriteSetting(PalmSettings(), "HotSync Manager/Notifier2",
                 "/home/me/build/notifier/libTvNotifier.so");
    const QString notifier = Palm() + "/libTvNotifier.so";
    for (int round = 0; round < 2; ++round) {
        const Registration::Result result = Register();
        ASSERT_EQ(result.error, "");
        EXPECT_EQ(result.notifierNumber, 2);
        EXPECT_EQ(OurNotifiers(), (std::map<int, QString>{{2, notifier}})) << round;
    }
    EXPECT_EQ(PalmDesktopSettings::Notifiers(),
              (QStringList{kOtherNotifier, notifier, kThirdNotifier}));
}

TEST_F(RegistrationTest, APackagesFolderIsRegisteredWithPalmDesktopOnly) {
    QDir(Install()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(Install()));
    WriteFile(Install() + "/libTvNotifier.so", "notifier");
    WriteFile(Install() + "/PACKAGE", "tarvenly-desktop\n");
    const Snapshot before = TakeSnapshot(Root());
    const Registration::Result result = Register();
    ASSERT_EQ(result.error, "");
    Snapshot expected = before;
    expected["Palm Desktop/libTvNotifier.so"] = TakeSnapshot(Install(), false)["libTvNotifier.so"];
    expected["[palm] HotSync Manager/Notifier1"] = (Palm() + "/libTvNotifier.so").toStdString();
    expected["[palm] Conduits/TVRL/Conduit"] = (Palm() + "/libTvConduit.so").toStdString();
    expected["[palm] HotSync Manager/Restart Requests"] = "1";
    EXPECT_EQ(TakeSnapshot(Root()), expected);
}

// Registrations refused before anything is written.
struct Refusal {
    const char* name;
    std::function<void(const QString& palm, const QString& install)> arrange;
    const char* error;
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class RefusedRegistrationTest : public RegistrationTest,
                                public testing::WithParamInterface<Refusal> {};

TEST_P(RefusedRegistrationTest, WritesNothing) {
    GetParam().arrange(Palm(), Install());
    const Snapshot before = TakeSnapshot(Root());
    const Registration::Result result = Register();
    EXPECT_TRUE(result.error.contains(GetParam().error)) << result.error.toStdString();
    EXPECT_EQ(TakeSnapshot(Root()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedRegistrationTest,
    testing::Values(Refusal{"IncompleteInstallation",
                            [](const QString&, const QString& install) {
                                QFile::remove(install + "/TvUnInstall");
                            },
                            "TvUnInstall is missing"},
                    Refusal{"NoPalmDesktop",
                            [](const QString&, const QString&) {
                                QSettings settings = PalmSettings();
                                settings.remove("Core");
                            },
                            "Palm Desktop is not set up"},
                    Refusal{"RelativePalmFolder",
                            [](const QString&, const QString&) {
                                WriteSetting(PalmSettings(), "Core/DesktopPath", "Palm Desktop");
                            },
                            "Palm Desktop is not set up"},
                    Refusal{"NoFreeNotifierNumber",
                            [](const QString&, const QString&) {
                                QSettings settings = PalmSettings();
                                for (int n = 0; n < 1000; ++n)
                                    settings.setValue(QString("HotSync Manager/"
                                                              "Notifier%1")
                                                          .arg(n),
                                                      "/p/libOther.so");
                            },
                            "no free notifier number"},
                    Refusal{"NoPalmLibraries",
                            [](const QString& palm, const QString&) {
                                QFile::remove(palm + "/libCondMgr.so");
                            },
                            "cannot load libCondMgr.so"}),
    [](const testing::TestParamInfo<Refusal>& info) { return info.param.name; });

} // namespace
