// The notifiers HotSync Manager loads: every registration counts even after
// another before it was removed, in the order of the numbers, and a running
// HotSync takes up changed registrations once asked to restart.

#include "NotifierSet.h"
#include "PalmSettingsFixture.h"

#include <cstdio>
#include <cstdlib>

namespace {

using NotifierRegistrationTest = PalmSettingsFixture;

TEST_F(NotifierRegistrationTest, AnEmptyDesktopPathFallsBackToPathAsAMissingOne) {
    const struct {
        const char* desktopPath; // nullptr: missing
        const char* path;
        std::optional<QString> folder;
    } cases[] = {{"", "/palm/path", "/palm/path"},
                 {nullptr, "/palm/path", "/palm/path"},
                 {"/palm/desktop", "/palm/path", "/palm/desktop"},
                 {"", "", std::nullopt}};
    for (const auto& c : cases) {
        Settings().clear();
        if (c.desktopPath != nullptr)
            Write("Core/DesktopPath", c.desktopPath);
        Write("Core/Path", c.path);
        EXPECT_EQ(PalmDesktopSettings::DesktopFolder(), c.folder) << c.path;
    }
}

TEST_F(NotifierRegistrationTest, RemovingOneRegistrationKeepsThoseAfterIt) {
    PalmDesktopSettings::SetNotifier(0, "/palm/libA.so");
    PalmDesktopSettings::SetNotifier(1, "/palm/libTvNotifier.so");
    PalmDesktopSettings::SetNotifier(2, "/palm/libB.so");
    PalmDesktopSettings::RemoveNotifier(1);
    EXPECT_EQ(PalmDesktopSettings::Notifiers(), (QStringList{"/palm/libA.so", "/palm/libB.so"}));

    // Numbers, not names, give the order; an empty value loads nothing.
    PalmDesktopSettings::SetNotifier(10, "/palm/libC.so");
    PalmDesktopSettings::SetNotifier(3, "");
    EXPECT_EQ(PalmDesktopSettings::Notifiers(),
              (QStringList{"/palm/libA.so", "/palm/libB.so", "/palm/libC.so"}));
}

TEST_F(NotifierRegistrationTest, AddingFillsTheFirstGapOnlyOnce) {
    PalmDesktopSettings::SetNotifier(0, "/palm/libA.so");
    PalmDesktopSettings::SetNotifier(2, "/palm/libB.so");
    PalmDesktopSettings::AddNotifier("/build/libTvNotifier.so");
    PalmDesktopSettings::AddNotifier("/build/libTvNotifier.so");
    PalmDesktopSettings::AddNotifier("/palm/libB.so");
    const std::map<int, QString> expected = {
        {0, "/palm/libA.so"}, {1, "/build/libTvNotifier.so"}, {2, "/palm/libB.so"}};
    EXPECT_EQ(PalmDesktopSettings::NotifierRegistrations(), expected);
    EXPECT_EQ(PalmDesktopSettings::FreeNotifierNumber(), 3);
}

// Notifiers that are real libraries, each a copy of its own of the
// program's notifier, and what a set of them reported.
class NotifierSetTest : public PalmSettingsFixture {
protected:
    void SetUp() override {
        PalmSettingsFixture::SetUp();
        for (const char* name : {"a", "b", "c"})
            ASSERT_TRUE(QFile::copy(TV_NOTIFIER_PATH, Library(name)));
        m_report = ::open_memstream(&m_reportText, &m_reportSize);
        ASSERT_NE(m_report, nullptr);
    }
    void TearDown() override {
        std::fclose(m_report);
        std::free(m_reportText);
        PalmSettingsFixture::TearDown();
    }

    QString Library(const char* name) const { return Folder() + "/" + name + ".so"; }
    std::string Report() {
        std::fflush(m_report);
        return std::string(m_reportText, m_reportSize);
    }

    std::FILE* m_report = nullptr;

private:
    char* m_reportText = nullptr;
    std::size_t m_reportSize = 0;
};

TEST_F(NotifierSetTest, LoadsTheRegisteredLibrariesThatAreNotifiers) {
    PalmDesktopSettings::SetNotifier(0, Library("a"));
    PalmDesktopSettings::SetNotifier(1, Folder() + "/missing.so");
    PalmDesktopSettings::SetNotifier(2, Folder() + "/libHsapi.so");
    PalmDesktopSettings::SetNotifier(10, Library("b"));
    NotifierSet notifiers(m_report);
    EXPECT_EQ(notifiers.Libraries(), (QStringList{Library("a"), Library("b")}));
    const std::string problems = Report();
    EXPECT_NE(problems.find("cannot load notifier " + Folder().toStdString() + "/missing.so"),
              std::string::npos)
        << problems;
    EXPECT_NE(problems.find(Folder().toStdString() + "/libHsapi.so has no HS_Notify"),
              std::string::npos)
        << problems;

    // No desktop program runs, so each notifier answers 1.
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&text, &size);
    notifiers.NotifyAll(1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(text, size), "HS_Notify(1) of " + Library("a").toStdString() +
                                           ": 1\nHS_Notify(1) of " + Library("b").toStdString() +
                                           ": 1\n");
    std::free(text);
}

TEST_F(NotifierSetTest, TakesUpChangedRegistrationsOnlyWhenAskedToRestart) {
    PalmDesktopSettings::SetNotifier(0, Library("a"));
    PalmDesktopSettings::SetNotifier(1, Library("b"));
    NotifierSet notifiers(m_report);
    ASSERT_EQ(notifiers.Libraries(), (QStringList{Library("a"), Library("b")}));

    // An uninstaller removes b, an installer adds c at the gap it left.
    PalmDesktopSettings::RemoveNotifier(1);
    PalmDesktopSettings::SetNotifier(2, Library("c"));
    notifiers.TakeUpChanges();
    EXPECT_EQ(notifiers.Libraries(), (QStringList{Library("a"), Library("b")}))
        << "nobody asked for a restart";

    ASSERT_EQ(m_hotSync->SetAppStatus(HsStatus::Restart, 0), 0);
    notifiers.TakeUpChanges();
    EXPECT_EQ(notifiers.Libraries(), (QStringList{Library("a"), Library("c")}));
    // Taken up once: a second look changes nothing.
    PalmDesktopSettings::RemoveNotifier(0);
    notifiers.TakeUpChanges();
    EXPECT_EQ(notifiers.Libraries(), (QStringList{Library("a"), Library("c")}));
}

} // namespace
