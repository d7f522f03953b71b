// The program never saves over a file it did not read, nor over one another
// program rewrote; a file or folder that may not be written does not keep
// the program from ending with the data saved elsewhere; a reload says what
// became of unsaved edits once it has run; and a program started on a file
// stays on it across HotSyncs.

#include "AppFixture.h"
#include "FileDialog.h"
#include "FileSizeLimit.h"
#include "HandOverProtocol.h"
#include "TvDeskDoc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <sys/stat.h>

namespace {

class DataSafety : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        FileDialog::setTestMode(true); // no file name queued
    }

    void TearDown() override {
        for (const QString& folder : m_lockedFolders)
            ::chmod(folder.toLocal8Bit().constData(), 0755);
        AppFixture::TearDown();
    }

    // A user whose data file holds one vehicle of the given name.
    void AddUserWithData(std::uint32_t id, const std::string& name) {
        AddUser(id, name);
        QDir(m_folder.path()).mkpath(QString::fromStdString(name + "/Tarvenly"));
        TvDocument data;
        data.InitNewDocument();
        AddVehicle(data, (name + "'s car").c_str());
        ASSERT_TRUE(data.OnSaveDocument(DataFileOf(name)));
    }

    static void AddVehicle(TvDocument& document, const char* name) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        document.Vehicles().Append(vehicle);
        document.SetModifiedFlag(true);
    }

    // What the conduit does during a HotSync: a vehicle from the handheld.
    static void ConduitAdds(const std::string& path, const char* name) {
        TvDocument file;
        ASSERT_TRUE(file.OnOpenDocument(path));
        AddVehicle(file, name);
        ASSERT_TRUE(file.OnSaveDocument(path));
    }

    static QByteArray Bytes(const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void Request(std::uint32_t request) { m_app->MainFrame()->OnHotSyncMessage(request, 0); }

    // The window's close, as File > Exit asks for it: true when it may close.
    bool Exit() {
        QCloseEvent event;
        QApplication::sendEvent(m_app->MainFrame(), &event);
        return event.isAccepted();
    }

    QStringList RecoveryCopies(const std::string& user) const {
        return QDir(m_folder.path() + "/" + QString::fromStdString(user) + "/Tarvenly")
            .entryList({"TvData-unsaved-*.tv"}, QDir::Files);
    }

    QString RecoveryPath(const std::string& user, const QString& name) const {
        return m_folder.path() + "/" + QString::fromStdString(user) + "/Tarvenly/" + name;
    }

    void LockFolder(const std::string& user) {
        m_lockedFolders << m_folder.path() + "/" + QString::fromStdString(user) + "/Tarvenly";
        ASSERT_EQ(::chmod(m_lockedFolders.back().toLocal8Bit().constData(), 0555), 0);
    }

    // A user whose data file holds "not a data file".
    void AddUserWithDamagedFile(std::int32_t id, const std::string& user) {
        AddUser(id, user);
        QDir(m_folder.path()).mkpath(QString::fromStdString(user + "/Tarvenly"));
        QFile damaged(QString::fromStdString(DataFileOf(user)));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a data file");
    }

    QStringList m_lockedFolders;
};

TEST_F(DataSafety, AFailedUserSwitchLeavesNothingToSaveOverThePreviousFile) {
    AddUserWithData(1, "Ann");
    AddUserWithDamagedFile(2, "Bob");
    ASSERT_TRUE(Start());
    AddVehicle(m_app->Doc(), "Unsaved");

    m_app->OnUserSelection("Bob");
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList(QString::fromStdString("File has a bad format. " + DataFileOf("Bob"))));
    EXPECT_TRUE(FileHasVehicle(DataFileOf("Ann"), "Unsaved"));
    const QByteArray ann = Bytes(DataFileOf("Ann"));
    EXPECT_EQ(m_app->Document, nullptr);
    EXPECT_TRUE(m_app->DataFilePath.empty());
    EXPECT_TRUE(m_app->Doc().PathName().empty());
    EXPECT_FALSE(m_app->Doc().IsModified());

    // The HotSync save, then the settings dialog's change and Exit.
    Request(HandOver::Save);
    m_app->Doc().SetModifiedFlag(true);
    EXPECT_FALSE(Exit()); // asked for a name, which was not given
    EXPECT_EQ(Bytes(DataFileOf("Ann")), ann);
    EXPECT_EQ(Bytes(DataFileOf("Bob")), QByteArray("not a data file"));
}

TEST_F(DataSafety, AHotSyncDuringAFailedSwitchLeavesTheOtherUsersFileAsItWas) {
    AddUserWithData(1, "Ann");
    AddUserWithDamagedFile(2, "Bob");
    ASSERT_TRUE(Start());
    const QByteArray ann = Bytes(DataFileOf("Ann"));

    // The HotSync arrives while the switch reports Bob's damaged file.
    MessageBox::setTestMode(false);
    QTimer::singleShot(0, m_app->MainFrame(), [this] {
        Request(HandOver::Save);
        MessageBox::setTestMode(true);
        Request(HandOver::Reload);
    });
    m_app->OnUserSelection("Bob");
    MessageBox::setTestMode(true);
    EXPECT_EQ(Bytes(DataFileOf("Ann")), ann);
    EXPECT_EQ(Bytes(DataFileOf("Bob")), QByteArray("not a data file"));
}

TEST_F(DataSafety, AFullDiskAtTheHotSyncKeepsTheEditsOpenUntilTheyCanBeSaved) {
    AddUserWithData(1, "Ann");
    ASSERT_TRUE(Start());
    AddVehicle(m_app->Doc(), "Edited here");
    {
        const FileSizeLimit full(1);
        Request(HandOver::Save);
    }
    ConduitAdds(DataFileOf("Ann"), "Handheld");
    const QByteArray theirs = Bytes(DataFileOf("Ann"));
    {
        const FileSizeLimit full(1);
        Request(HandOver::Reload);
    }
    EXPECT_TRUE(m_app->Doc().IsModified());
    EXPECT_TRUE(HasVehicle(m_app->Doc(), "Edited here"));
    EXPECT_TRUE(RecoveryCopies("Ann").isEmpty());
    // With room again, Exit keeps the synchronised file and the edits both.
    EXPECT_TRUE(Exit());
    EXPECT_EQ(Bytes(DataFileOf("Ann")), theirs);
    ASSERT_EQ(RecoveryCopies("Ann").size(), 1);
    EXPECT_TRUE(FileHasVehicle(RecoveryPath("Ann", RecoveryCopies("Ann").first()).toStdString(),
                               "Edited here"));
}

TEST_F(DataSafety, AFileRewrittenBehindTheProgramsBackSurvivesTheHotSyncSaveAndExit) {
    AddUserWithData(1, "Ann");
    ASSERT_TRUE(Start());
    AddVehicle(m_app->Doc(), "Edited here");
    ConduitAdds(DataFileOf("Ann"), "Handheld");
    const QByteArray theirs = Bytes(DataFileOf("Ann"));

    Request(HandOver::Save);
    EXPECT_EQ(Bytes(DataFileOf("Ann")), theirs);
    ASSERT_EQ(RecoveryCopies("Ann").size(), 1);
    const QString recovery = RecoveryPath("Ann", RecoveryCopies("Ann").first());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList(QString::fromStdString("The data file " + DataFileOf("Ann") +
                                                 " was changed by another program after it was "
                                                 "read, so it was not overwritten. Your changes "
                                                 "were written to ") +
                          recovery + "."));
    EXPECT_TRUE(FileHasVehicle(recovery.toStdString(), "Edited here"));
    EXPECT_FALSE(FileHasVehicle(recovery.toStdString(), "Handheld"));

    EXPECT_TRUE(Exit());
    EXPECT_EQ(Bytes(DataFileOf("Ann")), theirs);
    EXPECT_EQ(RecoveryCopies("Ann").size(), 1);
    EXPECT_EQ(MessageBox::shownTexts().size(), 1);
}

TEST_F(DataSafety, TheHotSyncCycleAndTheSavesAfterItAreUnaffected) {
    AddUserWithData(1, "Ann");
    ASSERT_TRUE(Start());
    AddVehicle(m_app->Doc(), "Before");
    Request(HandOver::Save);
    ConduitAdds(DataFileOf("Ann"), "Handheld");
    Request(HandOver::Reload);
    AddVehicle(m_app->Doc(), "After");
    EXPECT_TRUE(Exit());

    EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
        << MessageBox::shownTexts().join("\n").toStdString();
    EXPECT_TRUE(RecoveryCopies("Ann").isEmpty());
    for (const char* name : {"Before", "Handheld", "After"})
        EXPECT_TRUE(FileHasVehicle(DataFileOf("Ann"), name)) << name;
}

TEST_F(DataSafety, AReadOnlyDataFileIsNotReplacedAndExitSavesElsewhere) {
    AddUserWithData(1, "Ann");
    ASSERT_EQ(::chmod(DataFileOf("Ann").c_str(), 0444), 0);
    ASSERT_TRUE(Start());
    const QByteArray before = Bytes(DataFileOf("Ann"));
    AddVehicle(m_app->Doc(), "Edited here");

    Request(HandOver::Save);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("File Open error"));
    EXPECT_TRUE(m_app->Doc().IsModified());

    const QString elsewhere = m_folder.path() + "/Elsewhere.tv";
    FileDialog::setNextFileName(elsewhere);
    EXPECT_TRUE(Exit());
    EXPECT_EQ(Bytes(DataFileOf("Ann")), before);
    EXPECT_TRUE(FileHasVehicle(elsewhere.toStdString(), "Edited here"));
}

TEST_F(DataSafety, AReadOnlyFolderOffersSaveAsOnAUserSwitchAndOnExit) {
    AddUserWithData(1, "Ann");
    AddUserWithData(2, "Bob");
    ASSERT_TRUE(Start());
    LockFolder("Ann");
    const QByteArray before = Bytes(DataFileOf("Ann"));
    AddVehicle(m_app->Doc(), "Edited here");

    // Save As cancelled: the switch does not happen.
    m_app->OnUserSelection("Bob");
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("File Open error"));
    EXPECT_EQ(m_app->CurrentUser, "Ann");
    EXPECT_EQ(m_app->Document, &m_app->Doc());
    EXPECT_EQ(m_app->DataFilePath, DataFileOf("Ann"));
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Ann"));
    EXPECT_TRUE(HasVehicle(m_app->Doc(), "Edited here"));
    EXPECT_TRUE(m_app->Doc().IsModified());

    // Cancelled on Exit the program stays; given a place, it may end.
    EXPECT_FALSE(Exit());
    EXPECT_TRUE(m_app->Doc().IsModified());
    const QString elsewhere = m_folder.path() + "/Elsewhere.tv";
    FileDialog::setNextFileName(elsewhere);
    EXPECT_TRUE(Exit());
    EXPECT_TRUE(FileHasVehicle(elsewhere.toStdString(), "Edited here"));
    EXPECT_EQ(Bytes(DataFileOf("Ann")), before);
    EXPECT_FALSE(FileHasVehicle(DataFileOf("Bob"), "Edited here"));
}

TEST_F(DataSafety, TheReloadSaysWhatBecameOfUnsavedEditsAfterItRan) {
    AddUserWithData(1, "Ann");
    ASSERT_TRUE(Start());
    const std::string data = DataFileOf("Ann");
    // The HotSync save fails on a read-only file; the reload keeps the edits
    // in a recovery copy.
    auto editThatCannotBeSaved = [&](const char* name) {
        ASSERT_EQ(::chmod(data.c_str(), 0444), 0);
        AddVehicle(m_app->Doc(), name);
        Request(HandOver::Save);
        ASSERT_EQ(::chmod(data.c_str(), 0644), 0);
        MessageBox::clearShownTexts();
    };

    editThatCannotBeSaved("First");
    Request(HandOver::Reload);
    ASSERT_EQ(RecoveryCopies("Ann").size(), 1);
    const QString first = RecoveryPath("Ann", RecoveryCopies("Ann").first());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("Changes that could not be saved before the HotSync were written to " +
                          first + ". The data file has been read again."));
    EXPECT_EQ(m_app->Document, &m_app->Doc());
    EXPECT_TRUE(FileHasVehicle(first.toStdString(), "First"));

    // This time the conduit leaves a file that cannot be read.
    editThatCannotBeSaved("Second");
    QFile damaged(QString::fromStdString(data));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a data file");
    damaged.close();
    Request(HandOver::Reload);
    QStringList copies = RecoveryCopies("Ann");
    ASSERT_EQ(copies.size(), 2);
    copies.removeOne(QFileInfo(first).fileName());
    const QString second = RecoveryPath("Ann", copies.first());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList({QString::fromStdString("File has a bad format. " + data),
                           "Changes that could not be saved before the HotSync were written to " +
                               second + ". The data file could not be read again."}));
    EXPECT_TRUE(FileHasVehicle(second.toStdString(), "Second"));
    EXPECT_EQ(m_app->Document, nullptr);
    EXPECT_TRUE(m_app->Doc().PathName().empty());

    // Nothing is saved over the damaged file afterwards.
    Request(HandOver::Save);
    EXPECT_TRUE(Exit());
    EXPECT_EQ(Bytes(data), QByteArray("not a data file"));
}

TEST_F(DataSafety, AProgramStartedOnAFileReadsThatFileAgainAtAHotSync) {
    AddUserWithData(1, "Ann");
    const std::string given = (m_folder.path() + "/Given.tv").toStdString();
    ASSERT_TRUE(Start(QString::fromStdString(given)));
    ConduitAdds(given, "Synced");

    Request(HandOver::Reload);
    EXPECT_EQ(m_app->Doc().PathName(), given);
    EXPECT_EQ(m_app->DataFilePath, given);
    EXPECT_TRUE(HasVehicle(m_app->Doc(), "Synced"));
    EXPECT_TRUE(m_app->CurrentUser.empty());
    const QByteArray log = Bytes(m_app->TraceLogFile().Path());
    const QByteArray opened = QByteArray("CTvDeskApp::OpenCommandLineFile()\r\n") + given.c_str();
    EXPECT_EQ(log.count(opened), 2) << log.toStdString();
    EXPECT_FALSE(log.contains("CTvDeskApp::OpenUserData()"));

    // Once the user picks a Palm user, reloads follow that user.
    m_app->OnUserSelection("Ann");
    Request(HandOver::Reload);
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Ann"));
    EXPECT_TRUE(HasVehicle(m_app->Doc(), "Ann's car"));
}

} // namespace
