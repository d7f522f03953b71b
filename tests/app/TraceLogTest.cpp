#include "AppFixture.h"
#include "FileSizeLimit.h"
#include "FileTraceLog.h"

#include <QFile>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TraceLogFile : public testing::Test {
protected:
    QTemporaryDir m_folder;
    QStringList m_reported;
    FileTraceLog MakeLog() {
        return FileTraceLog(
            [this](const std::string& text) { m_reported.append(QString::fromStdString(text)); });
    }
    QString LogPath() const { return m_folder.path() + "/LogFile.txt"; }
};

TEST_F(TraceLogFile, EntriesAreLinesEndingInCarriageReturnLineFeedWrittenAtOnce) {
    FileTraceLog log = MakeLog();
    ASSERT_EQ(log.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::Opened);
    log.Log("CTvDeskApp::InitApplication()");
    EXPECT_EQ(ReadAll(LogPath()), "CTvDeskApp::InitApplication()\r\n");
    log.Log("/a folder/");
    EXPECT_EQ(ReadAll(LogPath()), "CTvDeskApp::InitApplication()\r\n/a folder/\r\n");
    EXPECT_TRUE(m_reported.isEmpty());
}

TEST_F(TraceLogFile, EachStartBeginsAnEmptyLog) {
    {
        FileTraceLog first = MakeLog();
        ASSERT_EQ(first.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::Opened);
        first.Log("a long entry of the run before");
    }
    FileTraceLog second = MakeLog();
    ASSERT_EQ(second.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::Opened);
    second.Log("new");
    EXPECT_EQ(ReadAll(LogPath()), "new\r\n");
}

TEST_F(TraceLogFile, TheLogOfARunningCopyIsLeftAlone) {
    FileTraceLog running = MakeLog();
    ASSERT_EQ(running.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::Opened);
    running.Log("running");
    FileTraceLog second = MakeLog();
    EXPECT_EQ(second.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::InUse);
    second.Log("ignored");
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(ReadAll(LogPath()), "running\r\n");
}

TEST_F(TraceLogFile, AMissingFolderCannotHoldALog) {
    FileTraceLog log = MakeLog();
    EXPECT_EQ(log.Open((m_folder.path() + "/missing").toStdString()),
              FileTraceLog::OpenResult::Failed);
    log.Log("nowhere");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_TRUE(m_reported.isEmpty());
}

TEST_F(TraceLogFile, ALinkAtThePathIsNotFollowed) {
    const QString target = m_folder.path() + "/elsewhere.txt";
    ASSERT_TRUE(QFile::link(target, LogPath()));
    FileTraceLog log = MakeLog();
    EXPECT_EQ(log.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::Failed);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(TraceLogFile, AFailedWriteIsReportedWithTheSystemsCodeAndTheLogGoesOn) {
    FileTraceLog log = MakeLog();
    ASSERT_EQ(log.Open(m_folder.path().toStdString()), FileTraceLog::OpenResult::Opened);
    log.Log("12345678");
    {
        FileSizeLimit limit(10);
        log.Log("this entry does not fit");
    }

    EXPECT_EQ(m_reported, QStringList("File had a write error. Error Code: 27"));
    log.Log("after");
    EXPECT_TRUE(ReadAll(LogPath()).endsWith("after\r\n"));
}

using TraceLogAtStart = AppFixture;

void SetInstallPath(const QString& folder) {
    QSettings install(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "Tarvenly");
    install.setValue("3.0/Tarvenly Path", folder);
    install.sync();
}

TEST_F(TraceLogAtStart, TheLogGoesToTheInstallFolderAndIsRewrittenAtTheNextStart) {
    AddUser(1, "Ann");
    SetInstallPath(m_folder.path());
    ASSERT_TRUE(Start());
    const QString path = m_folder.path() + "/LogFile.txt";
    EXPECT_EQ(QString::fromStdString(m_app->TraceLogFile().Path()), path);
    const QByteArray first = ReadAll(path);
    EXPECT_TRUE(first.startsWith("CTvDeskApp::InitApplication()\r\n"
                                 "CWinApp::InitApplication()::Enter\r\n"
                                 "CWinApp::InitApplication()::Exit\r\n"
                                 "CTvDeskApp::InitInstance()\r\n"
                                 "CTvDeskApp::FirstInstance()\r\n"
                                 "CTvDeskApp::OnFileNew()\r\n"
                                 "CTvDeskApp::OpenUserData()\r\n"))
        << first.toStdString();
    EXPECT_TRUE(first.endsWith("CTvDeskApp::InitInstance()::m_pMainWnd->UpdateWindow()\r\n"
                               "CTvDeskApp::InitInstance()::return\r\n"));
    m_app->Log("only in the first run");
    m_app->ExitInstance();
    EXPECT_TRUE(ReadAll(path).endsWith("only in the first run\r\nCTvDeskApp::ExitInstance()\r\n"));
    m_app.reset();

    ASSERT_TRUE(Start());
    const QByteArray second = ReadAll(path);
    EXPECT_FALSE(second.contains("only in the first run"));
    EXPECT_TRUE(second.startsWith("CTvDeskApp::InitApplication()\r\n"));
}

TEST_F(TraceLogAtStart, AnUnwritableLogFolderGivesOneMessageAndTheProgramRunsWithoutALog) {
    AddUser(1, "Ann");
    const QString notAFolder = m_folder.path() + "/file";
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    SetInstallPath(notAFolder);
    ASSERT_TRUE(Start());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("Couldn't open the log file: " + notAFolder + "/LogFile.txt"));
    EXPECT_FALSE(m_app->TraceLogFile().IsOpen());
    EXPECT_NE(m_app->Document, nullptr);
}

TEST_F(TraceLogAtStart, WithoutPalmDesktopTheProgramEndsWithItsMessage) {
    ClearSettings();
    CTvDeskApp& app = MakeApp();
    EXPECT_FALSE(app.InitApplication());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("Couldn't open registry key containing Core Desktop Path. Do you have "
                          "the Palm Pilot desktop installed?"));
}

TEST_F(TraceLogAtStart, TheFallbackPathValueNamesPalmDesktopsFolder) {
    ClearSettings();
    QSettings palm(QSettings::NativeFormat, QSettings::UserScope, "U.S. Robotics", "Pilot Desktop");
    palm.setValue("Core/Path", m_folder.path() + "/fallback");
    palm.sync();
    std::string loadedFrom;
    m_app = std::make_unique<CTvDeskApp>([&loadedFrom](const std::string& folder) {
        loadedFrom = folder;
        return std::unique_ptr<IUserManager>();
    });
    EXPECT_FALSE(m_app->InitApplication());
    EXPECT_EQ(loadedFrom, (m_folder.path() + "/fallback").toStdString());
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Couldn't load UserData.dll"));
}

} // namespace
