// The conduit manager and HotSync API libraries of the Palm Desktop stand-in,
// loaded from a Palm Desktop folder as installers load them: notifier names
// by number through gaps, the name buffer's size in and out, values that are
// no registrations, conduits by creator, restart requests, and folders that
// do not hold the libraries.

#include "PalmSettingsFixture.h"

#include <QSaveFile>
#include <cstring>
#include <string>

namespace {

using ConduitManagerTest = PalmSettingsFixture;

std::string Repeat(char c, std::size_t count) {
    return std::string(count, c);
}

TEST_F(ConduitManagerTest, NamesNotifiersByTheirNumbersThroughGaps) {
    EXPECT_EQ(m_conduits->NotifierName(0), std::nullopt) << "nothing registered";

    Write("HotSync Manager/Notifier0", "/palm/libA.so");
    Write("HotSync Manager/Notifier2", "/palm/libB.so");
    Write("HotSync Manager/Notifier10", "/palm/libC.so");
    EXPECT_EQ(m_conduits->NotifierName(0), "/palm/libA.so");
    EXPECT_EQ(m_conduits->NotifierName(1), "");
    EXPECT_EQ(m_conduits->NotifierName(2), "/palm/libB.so");
    for (int number = 3; number < 10; ++number)
        EXPECT_EQ(m_conduits->NotifierName(number), "") << number;
    EXPECT_EQ(m_conduits->NotifierName(10), "/palm/libC.so");
    EXPECT_EQ(m_conduits->NotifierName(11), std::nullopt);
    EXPECT_EQ(m_conduits->NotifierName(-1), std::nullopt);
}

TEST_F(ConduitManagerTest, NameBufferSizeGoesInAndOut) {
    auto library = SharedLibrary::Open(TV_CONDMGR_PATH);
    ASSERT_NE(library, nullptr);
    auto get = reinterpret_cast<CmGetNotifierDllFunction>(library->Symbol("CmGetNotifierDll"));
    ASSERT_NE(get, nullptr);
    Write("HotSync Manager/Notifier0", "/palm/libA.so"); // 13 bytes

    char name[32];
    std::memset(name, 'X', sizeof(name));
    std::int32_t size = 13;
    EXPECT_EQ(get(0, name, &size), CondMgrError::BufferTooSmall);
    EXPECT_EQ(size, 14) << "the size it needs, the NUL included";
    EXPECT_EQ(name[0], 'X') << "nothing written into a buffer too small";

    EXPECT_EQ(get(0, name, &size), 0);
    EXPECT_STREQ(name, "/palm/libA.so");
    EXPECT_EQ(size, 14);

    EXPECT_EQ(get(0, nullptr, &size), CondMgrError::InvalidPointer);
    EXPECT_EQ(get(0, name, nullptr), CondMgrError::InvalidPointer);

    // A path longer than the first buffer the wrapper offers is still read whole.
    const std::string longPath = "/" + Repeat('d', 600) + "/libTvNotifier.so";
    Write("HotSync Manager/Notifier1", QString::fromStdString(longPath));
    EXPECT_EQ(m_conduits->NotifierName(1), longPath);
    EXPECT_EQ(m_conduits->NotifierName(2), std::nullopt);
}

TEST_F(ConduitManagerTest, OnlyNotifierAndANumberIsARegistration) {
    for (const char* key : {"Notifier01", "Notifier-1", "Notifier+4", "NotifierX", "Notifier 3",
                            "Notifier1000", "Notifier99999999999", "notifier5"})
        Write(QString("HotSync Manager/") + key, "/palm/libStray.so");
    Write("HotSync Manager/Notifier4", "/palm/libReal.so");

    const std::map<int, QString> expected = {{4, "/palm/libReal.so"}};
    EXPECT_EQ(PalmDesktopSettings::NotifierRegistrations(), expected);
    EXPECT_EQ(PalmDesktopSettings::Notifiers(), QStringList{"/palm/libReal.so"});
    EXPECT_EQ(m_conduits->NotifierName(5), std::nullopt);

    // Registering keeps to the same numbers.
    EXPECT_EQ(m_conduits->SetNotifier(1000, "/palm/libN.so"), CondMgrError::IndexOutOfRange);
    EXPECT_EQ(m_conduits->SetNotifier(-1, "/palm/libN.so"), CondMgrError::IndexOutOfRange);
    EXPECT_EQ(m_conduits->SetNotifier(3, ""), CondMgrError::InvalidPath);
    EXPECT_EQ(PalmDesktopSettings::NotifierRegistrations(), expected);
    EXPECT_EQ(m_conduits->SetNotifier(999, "/palm/libN.so"), 0);
    EXPECT_EQ(PalmDesktopSettings::NotifierRegistrations().at(999), "/palm/libN.so");
}

TEST_F(ConduitManagerTest, RegistersAndRemovesConduitsByCreator) {
    EXPECT_EQ(m_conduits->InstallCreator("TVRL", "/palm/libTvConduit.so"), 0);
    EXPECT_EQ(m_conduits->InstallCreator("ABCD", "/palm/libOther.so"), 0);
    EXPECT_EQ(m_conduits->InstallCreator("TVRL", "/palm/libTvConduit2.so"), 0)
        << "registering again replaces";
    EXPECT_EQ(Settings().value("Conduits/TVRL/Conduit"), "/palm/libTvConduit2.so");

    for (const char* creator : {"", "TVR", "TVRLX", "TV/L", "TV\\L", "TV L", "TV\tL"}) {
        EXPECT_EQ(m_conduits->InstallCreator(creator, "/palm/x.so"), CondMgrError::InvalidCreatorId)
            << creator;
        EXPECT_EQ(m_conduits->RemoveConduit(creator), CondMgrError::InvalidCreatorId) << creator;
    }
    EXPECT_EQ(m_conduits->InstallCreator("WXYZ", ""), CondMgrError::InvalidPath);
    const auto creators = [] {
        QSettings settings = Settings();
        settings.beginGroup("Conduits");
        return settings.childGroups();
    };
    EXPECT_EQ(Settings().childGroups(), QStringList{"Conduits"});
    EXPECT_EQ(creators(), (QStringList{"ABCD", "TVRL"}));

    EXPECT_EQ(m_conduits->RemoveConduit("TVRL"), 0);
    EXPECT_EQ(m_conduits->RemoveConduit("TVRL"), CondMgrError::NoConduit);
    EXPECT_EQ(creators(), QStringList{"ABCD"});
    EXPECT_EQ(Settings().value("Conduits/ABCD/Conduit"), "/palm/libOther.so");
}

TEST_F(ConduitManagerTest, RestartIsTheOneStatusTheHotSyncApiTakes) {
    const int before = PalmDesktopSettings::RestartRequests();
    for (const std::int32_t status : {0, 1, 3, -1})
        EXPECT_EQ(m_hotSync->SetAppStatus(status, 0), HsError::UnknownStatus) << status;
    EXPECT_EQ(PalmDesktopSettings::RestartRequests(), before);
    EXPECT_EQ(m_hotSync->SetAppStatus(HsStatus::Restart, 0), 0);
    EXPECT_EQ(m_hotSync->SetAppStatus(HsStatus::Restart, 0), 0);
    EXPECT_EQ(PalmDesktopSettings::RestartRequests(), before + 2);
}

TEST_F(ConduitManagerTest, LoadsOnlyTheRealLibrariesFromTheFolder) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    const std::string folder = other.path().toStdString();
    PalmLibraryLoader loader;
    EXPECT_FALSE(loader.LoadHotSyncApi(folder)) << "an empty folder";
    EXPECT_FALSE(loader.LoadConduitManager(folder));

    // A file of the right name that is no library at all.
    QSaveFile garbage(other.path() + "/libCondMgr.so");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a library");
    ASSERT_TRUE(garbage.commit());
    EXPECT_FALSE(loader.LoadConduitManager(folder));

    // A library without the calls: the HotSync API under the conduit manager's name.
    ASSERT_TRUE(QFile::remove(other.path() + "/libCondMgr.so"));
    ASSERT_TRUE(QFile::link(TV_HSAPI_PATH, other.path() + "/libCondMgr.so"));
    EXPECT_FALSE(loader.LoadConduitManager(folder));
    EXPECT_NE(loader.LastError().find("CmGetNotifierDll"), std::string::npos);
    ASSERT_TRUE(QFile::link(TV_CONDMGR_PATH, other.path() + "/libHsapi.so"));
    EXPECT_FALSE(loader.LoadHotSyncApi(folder));
}

} // namespace
