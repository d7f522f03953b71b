// The uninstaller's run over a real Palm Desktop stand-in in a throw-away
// tree: what it removes and what it leaves, the question answered No, our
// notifier found at its number by its file name, the missing installation
// folder, the three failures that end it early, and the HotSync restart
// coming last.

#include "InstallFixture.h"

#include <functional>

namespace {

const std::string kQuestion = "ask: Are you sure you want to remove Tarvenly?";

class UninstallerTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        MakePalmDesktop();
        MakeInstallation();
        MakeRegistration();
    }

    // What a full removal leaves of the snapshot taken before it.
    Snapshot WithoutOurs(Snapshot snapshot) const {
        for (const char* name : InstallLayout::kInstalledFiles)
            if (std::string(name) != InstallLayout::kUninstallerFile)
                snapshot.erase("Tarvenly/" + std::string(name));
        for (const char* name : InstallLayout::kMenuShortcuts)
            snapshot.erase("applications/Tarvenly/" + std::string(name));
        for (const char* path :
             {"applications/Tarvenly/", "Desktop/Tarvenly.desktop", "Palm Desktop/libTvNotifier.so",
              "Palm Desktop/libTvConduit.so", "[palm] HotSync Manager/Notifier2",
              "[palm] Conduits/TVRL/Conduit", "[install] 3.0/Tarvenly Path"})
            snapshot.erase(path);
        snapshot["[palm] HotSync Manager/Restart Requests"] = "1";
        return snapshot;
    }
};

TEST_F(UninstallerTest, AnsweringNoChangesNothing) {
    const Snapshot before = TakeSnapshot(Root());
    m_prompter.answer = false;
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Declined);
    EXPECT_EQ(m_prompter.calls, std::vector<std::string>{kQuestion});
    EXPECT_TRUE(m_loader.loads.empty());
    EXPECT_EQ(TakeSnapshot(Root()), before);
}

TEST_F(UninstallerTest, RemovesWhatIsOursAndLeavesTheRest) {
    const Snapshot before = TakeSnapshot(Root());
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
    EXPECT_EQ(m_prompter.calls, (std::vector<std::string>{kQuestion, "completion"}));
    EXPECT_EQ(m_loader.loads, (std::vector<std::string>{"hsapi", "condmgr"}));
    // The running uninstaller's own file stays, and with it its folder.
    EXPECT_EQ(TakeSnapshot(Root()), WithoutOurs(before));
    EXPECT_TRUE(QFile::exists(Install() + "/TvUnInstall"));
}

TEST_F(UninstallerTest, FindsOurNotifierByItsFileNameInAnyLetterCase) {
    // Names that only look like ours stay, under the numbers before ours.
    const QStringList lookalikes = {"/p/libTvNotifier.so.1", "/p/mylibtvnotifier.so",
                                    "/p/libTvNotifier.so/x.so", "/p/libTvNotifier"};
    for (const QString& ours :
         {QString("/opt/Palm/LIBTVNOTIFIER.SO"), QString("TvNotifier.DLL"),
          QString("/palm/tvnotifier.dll"), QString("/palm/libtvNotifier.so")}) {
        SCOPED_TRACE(ours.toStdString());
        ClearSettings();
        WriteSetting(PalmSettings(), "Core/DesktopPath", Palm());
        for (int i = 0; i < lookalikes.size(); ++i)
            WriteSetting(PalmSettings(), QString("HotSync Manager/Notifier%1").arg(i),
                         lookalikes[i]);
        // Ours behind a gap, and a second registration of ours after it.
        WriteSetting(PalmSettings(), "HotSync Manager/Notifier7", ours);
        WriteSetting(PalmSettings(), "HotSync Manager/Notifier9", "/palm/libTvNotifier.so");

        EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
        std::map<int, QString> expected = {{9, "/palm/libTvNotifier.so"}};
        for (int i = 0; i < lookalikes.size(); ++i)
            expected[i] = lookalikes[i];
        EXPECT_EQ(PalmDesktopSettings::NotifierRegistrations(), expected)
            << "only the first of ours is removed";
    }
}

TEST_F(UninstallerTest, FindsOurNotifierBehindANameLongerThanTheBuffer) {
    const QString longName = "/" + QString(600, 'd') + "/libOther.so";
    WriteSetting(PalmSettings(), "HotSync Manager/Notifier1", longName);
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
    const std::map<int, QString> expected = {
        {0, kOtherNotifier}, {1, longName}, {3, kThirdNotifier}};
    EXPECT_EQ(PalmDesktopSettings::NotifierRegistrations(), expected);
}

// Without a usable installation folder value the installed files stay, and
// everything else goes as always.
class WithoutInstallFolderTest : public UninstallerTest,
                                 public testing::WithParamInterface<const char*> {};

TEST_P(WithoutInstallFolderTest, RemovesTheRestAndCompletes) {
    const char* value = GetParam();
    if (value == nullptr) {
        QSettings settings = InstallSettings();
        settings.remove("3.0/Tarvenly Path");
    } else {
        WriteSetting(InstallSettings(), "3.0/Tarvenly Path", value);
    }
    // A relative value would name files in the current folder: the tree's root.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Root()));
    const Snapshot before = TakeSnapshot(Root());
    const Uninstaller::Outcome outcome = Uninstall(m_loader);
    QDir::setCurrent(current);

    EXPECT_EQ(outcome, Uninstaller::Outcome::Removed);
    EXPECT_EQ(m_prompter.calls, (std::vector<std::string>{kQuestion, "completion"}));
    Snapshot expected = WithoutOurs(before);
    for (const char* name : InstallLayout::kInstalledFiles)
        expected["Tarvenly/" + std::string(name)] = before.at("Tarvenly/" + std::string(name));
    if (value != nullptr)
        expected["[install] 3.0/Tarvenly Path"] = value;
    EXPECT_EQ(TakeSnapshot(Root()), expected);
}

INSTANTIATE_TEST_SUITE_P(Values, WithoutInstallFolderTest,
                         testing::Values(nullptr, "", "Tarvenly"));

// The failures of the first steps: each shows its message after the
// question and ends the run with nothing changed.
struct EarlyFailure {
    const char* name;
    std::function<void(const QString& palm)> arrange;
    std::vector<std::string> loads;
    const char* message;
};

void PrintTo(const EarlyFailure& failure, std::ostream* out) {
    *out << failure.name;
}

class EarlyFailureTest : public UninstallerTest,
                         public testing::WithParamInterface<EarlyFailure> {};

TEST_P(EarlyFailureTest, ShowsItsMessageAndChangesNothing) {
    const QString current = QDir::currentPath();
    GetParam().arrange(Palm());
    const Snapshot before = TakeSnapshot(Root());
    const Uninstaller::Outcome outcome = Uninstall(m_loader);
    QDir::setCurrent(current);
    EXPECT_EQ(outcome, Uninstaller::Outcome::Failed);
    EXPECT_EQ(m_prompter.calls,
              (std::vector<std::string>{kQuestion, std::string("failure: ") + GetParam().message}));
    EXPECT_EQ(m_loader.loads, GetParam().loads);
    EXPECT_EQ(TakeSnapshot(Root()), before);
}

const char* const kNoPalm = "Uninstall Failed. Couldn't find the palm root directory.";

INSTANTIATE_TEST_SUITE_P(
    Steps, EarlyFailureTest,
    testing::Values(EarlyFailure{"NoPalmDesktopKey",
                                 [](const QString&) {
                                     QSettings settings = PalmSettings();
                                     settings.remove("Core");
                                 },
                                 {},
                                 kNoPalm},
                    EarlyFailure{"EmptyPalmDesktopPath",
                                 [](const QString&) {
                                     QSettings settings = PalmSettings();
                                     settings.remove("Core/DesktopPath");
                                     settings.setValue("Core/Path", "");
                                 },
                                 {},
                                 kNoPalm},
                    EarlyFailure{"RelativePalmDesktopPath",
                                 [](const QString& palm) {
                                     QDir::setCurrent(QFileInfo(palm).path());
                                     WriteSetting(PalmSettings(), "Core/DesktopPath",
                                                  QFileInfo(palm).fileName());
                                 },
                                 {},
                                 kNoPalm},
                    EarlyFailure{"NoHotSyncApi",
                                 [](const QString& palm) { QFile::remove(palm + "/libHsapi.so"); },
                                 {"hsapi"},
                                 "Couldn't load hsapi.dll"},
                    EarlyFailure{
                        "NoConduitManager",
                        [](const QString& palm) { QFile::remove(palm + "/libCondMgr.so"); },
                        {"hsapi", "condmgr"},
                        "Couldn't load CondMgr.dll"}),
    [](const testing::TestParamInfo<EarlyFailure>& info) { return info.param.name; });

TEST_F(UninstallerTest, DeletesLinksAsLinksAndNothingWhereTheyPoint) {
    // The menu folder and the installation folder are links to folders
    // holding files of our names; an installed file is a link to a file.
    const QString outside = Root() + "/outside";
    ASSERT_TRUE(QDir().mkpath(outside + "/menu") && QDir().mkpath(outside + "/install"));
    for (const char* name : InstallLayout::kMenuShortcuts)
        WriteFile(outside + "/menu/" + name, name);
    for (const char* name : InstallLayout::kInstalledFiles)
        WriteFile(outside + "/install/" + name, name);
    ASSERT_TRUE(QDir(Menu()).removeRecursively() && QFile::link(outside + "/menu", Menu()));
    ASSERT_TRUE(QFile::remove(Install() + "/TvDesk") &&
                QFile::link(outside + "/install/TvDesk", Install() + "/TvDesk"));
    const Snapshot outsideBefore = TakeSnapshot(outside, false);
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
    EXPECT_FALSE(QFileInfo(Menu()).isSymLink() || QFileInfo(Install() + "/TvDesk").isSymLink());

    WriteSetting(InstallSettings(), "3.0/Tarvenly Path", Root() + "/linked");
    ASSERT_TRUE(QFile::link(outside + "/install", Root() + "/linked"));
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
    EXPECT_FALSE(QFileInfo(Root() + "/linked").isSymLink());
    EXPECT_EQ(TakeSnapshot(outside, false), outsideBefore);
}

TEST_F(UninstallerTest, FromAPackageRemovesTheRegistrationsAndLeavesTheFiles) {
    WriteFile(Install() + "/PACKAGE", "tarvenly-desktop\n");
    const Snapshot before = TakeSnapshot(Root());
    EXPECT_EQ(Uninstall(m_loader), Uninstaller::Outcome::Removed);
    EXPECT_EQ(m_prompter.calls.back(), "completion: tarvenly-desktop");
    Snapshot expected = WithoutOurs(before);
    for (const auto& [path, value] : before)
        if (path.rfind("Tarvenly/", 0) == 0 || path == "[install] 3.0/Tarvenly Path")
            expected[path] = value;
    EXPECT_EQ(TakeSnapshot(Root()), expected);
}

// The HotSync API's restart, looked at when it is called.
std::function<void(std::int32_t, std::uint32_t)> g_onSetAppStatus;

std::int32_t ObservedSetAppStatus(std::int32_t status, std::uint32_t flags) {
    g_onSetAppStatus(status, flags);
    return 0;
}

class ObservingLoader : public RecordingLoader {
public:
    std::optional<HotSyncApi> LoadHotSyncApi(const std::string& palmFolder) override {
        if (!RecordingLoader::LoadHotSyncApi(palmFolder))
            return std::nullopt;
        HotSyncCalls calls;
        calls.setAppStatus = &ObservedSetAppStatus;
        return HotSyncApi(calls);
    }
};

TEST_F(UninstallerTest, AsksHotSyncManagerToRestartOnceEverythingIsGone) {
    const Snapshot expected = WithoutOurs(TakeSnapshot(Root()));
    std::vector<std::string> restarts;
    g_onSetAppStatus = [&](std::int32_t status, std::uint32_t flags) {
        restarts.push_back(std::to_string(status) + "," + std::to_string(flags));
        Snapshot now = TakeSnapshot(Root());
        now["[palm] HotSync Manager/Restart Requests"] = "1";
        EXPECT_EQ(now, expected) << "something was left when HotSync Manager restarted";
        EXPECT_EQ(m_prompter.calls, std::vector<std::string>{kQuestion}) << "too late";
    };
    ObservingLoader loader;
    EXPECT_EQ(Uninstall(loader), Uninstaller::Outcome::Removed);
    g_onSetAppStatus = nullptr;
    EXPECT_EQ(restarts, std::vector<std::string>{"2,0"});
    EXPECT_EQ(m_prompter.calls.back(), "completion");
}

} // namespace
