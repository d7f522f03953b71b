// Every writer of the program aimed at every file it must keep: the open
// data file (also through a hard and a symbolic link), the lock, the socket
// and the trace log, a folder, and a path whose folder does not exist. The
// program runs (its lock names its data file), and tvtool runs beside it.

#include "AppFixture.h"
#include "ExportCommands.h"
#include "ExportSaveDialog.h"
#include "FileDialog.h"
#include "StatisticsWindow.h"
#include "TvDeskDoc.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a path holds now: its bytes (a file), its kind and inode, or nothing.
QByteArray StateOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "missing";
    QByteArray state = QByteArray::number(static_cast<qulonglong>(info.st_ino)) + ":" +
                       QByteArray::number(info.st_mode);
    QFile file(path);
    if (S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly))
        state += QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
    return state;
}

class OutputGuardTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        ExportSaveDialog::setTestMode(true);
        FileDialog::setTestMode(true);
        VehicleRecord van;
        van.Name.Set("Van");
        Doc().Vehicles().Append(van);
        Doc().Trips().Append(TripRecord(MTime(2024, 3, 1, 9, 0, 0, -1)));
        ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
    }
    void TearDown() override {
        ExportSaveDialog::setTestMode(false);
        FrameFixture::TearDown();
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }

    // tvtool's exit status and messages.
    static std::pair<int, QString> Tool(const QStringList& args) {
        QProcess tool;
        tool.start(TV_TOOL_PATH, args);
        EXPECT_TRUE(tool.waitForFinished(60000));
        return {tool.exitCode(), QString::fromLocal8Bit(tool.readAllStandardError())};
    }
};

TEST_F(OutputGuardTest, NoWriterReplacesAFileTheProgramKeeps) {
    const QString data = QString::fromStdString(Doc().PathName());
    const QString folder = QFileInfo(data).absolutePath();
    const QString hardLink = folder + "/hard.tv";
    const QString symLink = folder + "/soft.csv";
    ASSERT_EQ(::link(QFile::encodeName(data), QFile::encodeName(hardLink)), 0);
    ASSERT_TRUE(QFile::link(data, symLink));
    ASSERT_TRUE(QDir(folder).mkdir("taken.pdf"));
    // The dialogs add an extension to a name without one: the socket is
    // named through a link that has one.
    const QString socketLink = folder + "/socket.csv";
    ASSERT_TRUE(QFile::link(CTvDeskApp::HandOverPath(), socketLink));
    const QString targets[] = {data,
                               hardLink,
                               symLink,
                               CTvDeskApp::InstanceLockPath(),
                               socketLink,
                               QString::fromStdString(m_app->TraceLogFile().Path()),
                               folder + "/taken.pdf",
                               folder + "/missing/out.pdf"};
    ASSERT_TRUE(m_app->TraceLogFile().IsOpen());

    CStatisticsWindow chart(Doc(), m_frame);
    const std::pair<const char*, std::function<void(const QString&)>> guiWriters[] = {
        {"text export",
         [this](const QString& target) {
             ExportSaveDialog::setNextChoice(target, 0);
             ExportCommands::ExportToText(Doc(), ExportLog::Trips, {',', 0}, m_frame);
         }},
        {"Excel 5 export",
         [this](const QString& target) {
             ExportSaveDialog::setNextChoice(target, 0);
             ExportCommands::ExportToExcel(Doc(), ExportLog::Trips, m_frame);
         }},
        {".xlsx export",
         [this](const QString& target) {
             ExportSaveDialog::setNextChoice(target, 1);
             ExportCommands::ExportToExcel(Doc(), ExportLog::Trips, m_frame);
         }},
        {"chart",
         [&chart](const QString& target) {
             FileDialog::setNextFileName(target);
             chart.SaveChart(0);
         }},
        {"print to PDF",
         [this](const QString& target) {
             m_frame->Printer().setOutputFormat(QPrinter::PdfFormat);
             m_frame->Printer().setOutputFileName(target);
             ModalDialog::pushHandler([](QDialog&) { return int(QDialog::Accepted); });
             m_frame->OnFilePrint();
         }},
    };
    const std::string dataPath = data.toStdString();
    const std::pair<const char*, QStringList> toolWriters[] = {
        {"tvtool export", {"export", "trips", data, "-o"}},
        {"tvtool report", {"report", "trips", data, "-o"}},
        {"tvtool resave", {"resave", data}},
        {"tvtool sample", {"sample", "--trips", "5"}},
    };

    for (const QString& target : targets) {
        const QByteArray dataBefore = StateOf(data);
        const QByteArray targetBefore = StateOf(target);
        for (const auto& [name, write] : guiWriters) {
            MessageBox::clearShownTexts();
            write(target);
            EXPECT_EQ(MessageBox::shownTexts().size(), 1)
                << name << " to " << target.toStdString() << " was not refused once";
            EXPECT_EQ(StateOf(target), targetBefore) << name << " wrote " << target.toStdString();
        }
        for (const auto& [name, args] : toolWriters) {
            const auto [status, err] = Tool(QStringList(args) << target);
            EXPECT_EQ(status, 1) << name << " to " << target.toStdString();
            EXPECT_TRUE(err.contains(target)) << name << ": " << err.toStdString();
            EXPECT_EQ(StateOf(target), targetBefore) << name << " wrote " << target.toStdString();
        }
        EXPECT_EQ(StateOf(data), dataBefore) << "the data file changed";
    }
    // The data file is still the program's to save, and nothing else stayed.
    ASSERT_TRUE(Doc().OnSaveDocument(dataPath));
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.sort(Qt::CaseInsensitive);
    EXPECT_EQ(left, QStringList({"hard.tv", "socket.csv", "soft.csv", "TvData.tv"}));
}

} // namespace
