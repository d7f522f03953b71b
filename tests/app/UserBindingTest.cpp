#include "AppFixture.h"
#include "MainFrame.h"
#include "TvDeskDoc.h"

#include <QComboBox>
#include <QFileInfo>

namespace {

using UserBinding = AppFixture;

TEST_F(UserBinding, AnUnreadableFirstUserIsSkippedAndTheNextOneRemembered) {
    AddUser(1, "Ann").NameError = UserManagerError::InvalidUser;
    AddUser(2, "Bob");
    AddUser(3, "Cy");
    ASSERT_TRUE(Start());

    EXPECT_EQ(m_app->CurrentUser, "Bob");
    EXPECT_EQ(m_app->DataFilePath, DataFileOf("Bob"));
    EXPECT_EQ(m_app->Document, &m_app->Doc());
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Bob"));
    // Opening the data reports the bad user, and so does filling the
    // toolbar's user selector, which skips that user too.
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList({"Function: UmGetUserName failed.", "UserData error: Invalid user.",
                           "UserData error: Invalid user."}));
    const auto* selector = m_app->MainFrame()->findChild<QComboBox*>("userSelector");
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->count(), 2);
    EXPECT_EQ(selector->currentText(), "Bob");

    m_app->ExitInstance();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "TvDesk");
    EXPECT_EQ(settings.value("Settings/Current User").toString(), "Bob");
}

TEST_F(UserBinding, TheMainWindowShowsTheOpenDataFileAndFollowsASwitch) {
    AddUser(1, "Ann");
    AddUser(2, "Bob");
    ASSERT_TRUE(Start());
    CMainFrame* frame = m_app->MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    // The window is named after the log it shows, not after the file.
    EXPECT_EQ(frame->windowTitle(), "Trip Log");
    const auto* selector = frame->findChild<QComboBox*>("userSelector");
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->currentText(), "Ann");
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Ann"));

    auto* chooser = frame->findChild<QComboBox*>("userSelector");
    const int bob = chooser->findText("Bob");
    chooser->setCurrentIndex(bob);
    emit chooser->activated(bob);
    EXPECT_EQ(m_app->CurrentUser, "Bob");
    EXPECT_EQ(selector->currentText(), "Bob");
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Bob"));
}

TEST_F(UserBinding, AUserWhoseIdCannotBeReadIsReportedAndSkipped) {
    AddUser(1, "Ann").IdError = UserManagerError::Exclusive;
    AddUser(2, "Bob");
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_app->CurrentUser, "Bob");
    const QString exclusive =
        "UserData error: Another program is exclusively using the user database.";
    // Once when the data is opened, once when the user selector is filled.
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({exclusive, exclusive}));
}

TEST_F(UserBinding, TheRememberedUserWinsOverTheUserOrder) {
    AddUser(1, "Ann");
    AddUser(2, "Bob");
    RememberUser("Bob");
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_app->CurrentUser, "Bob");
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
    // Found by name: the users were not walked through.
    QFile log(QString::fromStdString(m_app->TraceLogFile().Path()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray entries = log.readAll();
    EXPECT_TRUE(entries.contains("CTvDeskApp::OpenUserData()::UmGetIDFromName()\r\nBob\r\n"));
    EXPECT_FALSE(entries.contains("UmGetUserCount"));
}

TEST_F(UserBinding, ARememberedUserWhoIsGoneFallsBackToTheFirstUsableOne) {
    AddUser(1, "Ann");
    AddUser(2, "Bob");
    RememberUser("Zed");
    ASSERT_TRUE(Start());
    EXPECT_EQ(m_app->CurrentUser, "Ann");
    EXPECT_EQ(m_app->DataFilePath, DataFileOf("Ann"));
}

TEST_F(UserBinding, AUserFolderWithoutTarvenlyGetsOneWithANewDataSet) {
    AddUser(1, "Ann");
    ASSERT_FALSE(QFileInfo::exists(m_folder.path() + "/Ann/Tarvenly"));
    ASSERT_TRUE(Start());

    EXPECT_TRUE(QFileInfo(m_folder.path() + "/Ann/Tarvenly").isDir());
    EXPECT_EQ(QFileInfo(QString::fromStdString(DataFileOf("Ann"))).size(), 0);
    CTvDeskDoc& document = m_app->Doc();
    EXPECT_TRUE(document.IsModified());
    ASSERT_EQ(document.Trips().Categories.Size(), 1u);
    EXPECT_EQ(document.Trips().Categories.Items().front().Name, "Unfiled");
    ASSERT_EQ(document.Expenses().Categories.Size(), 1u);
    EXPECT_EQ(document.Vehicles().Categories.Size(), 0u);
}

TEST_F(UserBinding, PickingTheCurrentUserReopensNothingAndAnotherUserSwitches) {
    AddUser(1, "Ann");
    AddUser(2, "Bob");
    ASSERT_TRUE(Start());
    // Reopening would create the data file again.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(DataFileOf("Ann"))));
    m_app->Doc().SetModifiedFlag(false);
    m_app->OnUserSelection("Ann");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(DataFileOf("Ann"))));

    // Switching saves the modified data of the user before.
    VehicleRecord vehicle;
    vehicle.Name.Set("Van");
    m_app->Doc().Vehicles().Append(vehicle);
    m_app->Doc().SetModifiedFlag(true);
    m_app->OnUserSelection("Bob");
    EXPECT_EQ(m_app->CurrentUser, "Bob");
    EXPECT_EQ(m_app->Doc().PathName(), DataFileOf("Bob"));
    EXPECT_EQ(m_app->Doc().Vehicles().Count(), 0u);

    TvDocument saved;
    ASSERT_TRUE(saved.OnOpenDocument(DataFileOf("Ann")));
    ASSERT_EQ(saved.Vehicles().Count(), 1u);
    EXPECT_EQ(saved.Vehicles().Records()[0].Name.View(), "Van");
}

TEST_F(UserBinding, NoUsersAtAllEndsTheProgramWithoutOpeningAnything) {
    EXPECT_FALSE(Start());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("Couldn't find any users.  Set up a user first, using the palm "
                          "desktop."));
    EXPECT_EQ(m_app->Document, nullptr);
    EXPECT_EQ(m_app->MainFrame(), nullptr);
    EXPECT_TRUE(m_app->DataFilePath.empty());
}

TEST_F(UserBinding, AFailingUserCountIsReportedAndNothingIsOpened) {
    AddUser(1, "Ann");
    m_fake.CountError = UserManagerError::NoUserDataFile;
    EXPECT_FALSE(Start());
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("UserData error: No userdata file."));
    EXPECT_EQ(m_app->Document, nullptr);
}

TEST_F(UserBinding, AMissingUserFolderBuildsNoPath) {
    AddUser(1, "Ann").FolderResult = 0;
    EXPECT_FALSE(Start());
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Couldn't find the user directory."));
    EXPECT_TRUE(m_app->DataFilePath.empty());
    // Nothing was created from a root folder alone.
    EXPECT_FALSE(QFileInfo::exists(m_folder.path() + "/Tarvenly"));
    EXPECT_FALSE(QFileInfo::exists(m_folder.path() + "/Ann/Tarvenly"));
}

TEST_F(UserBinding, SwitchingToAUserWithoutFolderSavesAndClosesTheOpenData) {
    AddUser(1, "Ann");
    AddUser(2, "Bob").FolderResult = UserManagerError::NoUserDirectory;
    ASSERT_TRUE(Start());
    m_app->OnUserSelection("Bob");
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Couldn't find the user directory."));
    EXPECT_EQ(m_app->Document, nullptr);
    EXPECT_FALSE(m_app->Doc().IsModified());
    EXPECT_TRUE(m_app->Doc().PathName().empty());
    // The new data set of Ann was written before it was let go.
    TvDocument saved;
    ASSERT_TRUE(saved.OnOpenDocument(DataFileOf("Ann")));
    EXPECT_EQ(saved.Trips().Categories.Size(), 1u);
}

TEST_F(UserBinding, AFileGivenOnTheCommandLineIsOpenedInsteadOfTheUsersFile) {
    AddUser(1, "Ann");
    const QString file = m_folder.path() + "/elsewhere.tv";
    ASSERT_TRUE(Start(file));
    EXPECT_EQ(m_app->Doc().PathName(), file.toStdString());
    EXPECT_FALSE(QFileInfo::exists(m_folder.path() + "/Ann/Tarvenly"));
}

TEST_F(UserBinding, AnUnreadableDataFileAtStartEndsTheProgramWithTheDocumentsMessage) {
    AddUser(1, "Ann");
    QDir(m_folder.path()).mkpath("Ann/Tarvenly");
    QFile bad(QString::fromStdString(DataFileOf("Ann")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a data file at all");
    bad.close();
    EXPECT_FALSE(Start());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList(QString::fromStdString("File has a bad format. " + DataFileOf("Ann"))));
    EXPECT_EQ(m_app->MainFrame(), nullptr);
    EXPECT_EQ(m_app->Document, nullptr);
}

struct ErrorText {
    std::int32_t code;
    const char* text;
};

class UserDataErrors : public testing::TestWithParam<ErrorText> {};

TEST_P(UserDataErrors, EachCodeShowsItsMessage) {
    MessageBox::clearShownTexts();
    CTvDeskApp app;
    app.ShowUserDataError(GetParam().code);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, UserDataErrors,
    testing::Values(
        ErrorText{-500, "UserData error: No userdata file."},
        ErrorText{-501, "UserData error: No Palm users are currently setup. You should set up a "
                        "user before running Tarvenly."},
        ErrorText{-503, "UserData error: Invalid user index."},
        ErrorText{-504, "UserData error: Buffer size was too small."},
        ErrorText{-505, "UserData error: Invalid user."},
        ErrorText{-509, "UserData error: Invalid user name."},
        ErrorText{-510, "UserData error: Invalid user directory."},
        ErrorText{-511, "UserData error: No User Directory."},
        ErrorText{-512, "UserData error: No User found."},
        ErrorText{-513, "UserData error: Not found Error."},
        ErrorText{-514, "UserData error: Bad filename."},
        ErrorText{-515, "UserData error: User access error."},
        ErrorText{-516, "UserData error: Save error."},
        ErrorText{-518, "UserData error: Unknown user data problem."},
        ErrorText{-519, "UserData error: Another program is exclusively using the user "
                        "database."},
        ErrorText{-520, "UserData error: Unable to create new file."},
        ErrorText{-521, "UserData error: Couldn't find the palm core path when looking up user."},
        ErrorText{-522, "UserData error: Invalid pointer when accessing user data."},
        ErrorText{-523, "UserData error: User already exists."},
        ErrorText{-524, "UserData error: Directory already in use."},
        ErrorText{-525, "UserData error: Can not write to store."},
        ErrorText{-526, "UserData error: Sync path too big."},
        ErrorText{-527, "UserData error: String too big."},
        ErrorText{-528, "UserData error: Function not supported."},
        ErrorText{-502, "UserData.dll error code: -502"},
        ErrorText{-517, "UserData.dll error code: -517"},
        ErrorText{7, "UserData.dll error code: 7"}));

} // namespace
