#include "UserListDialog.h"
#include "FakeUserManager.h"
#include "MessageBox.h"

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class UserList : public testing::Test {
protected:
    void SetUp() override { MessageBox::clearShownTexts(); }

    // Answers the name dialog with the queued names; nothing means Cancel.
    CUserListDialog::NameAsker Answers() {
        return [this](QWidget*, const QString& initial) -> std::optional<QString> {
            m_askedWith.append(initial);
            if (m_names.isEmpty())
                return std::nullopt;
            return m_names.takeFirst();
        };
    }

    static QStringList Lines(CUserListDialog& dialog) {
        QStringList lines;
        QListWidget* list = dialog.findChild<QListWidget*>();
        for (int row = 0; row < list->count(); ++row)
            lines.append(list->item(row)->text());
        return lines;
    }

    static void Select(CUserListDialog& dialog, const QString& name) {
        QListWidget* list = dialog.findChild<QListWidget*>();
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found.first());
    }

    FakeUserManager m_users;
    QStringList m_names;
    QStringList m_askedWith;
};

TEST_F(UserList, ListsTheUsersSortedByNameAndLeavesOutEmptyNames) {
    m_users.Users = {{3, "Zoe", "Zoe"},   {1, "Adam", "Adam"},          {2, "", "Blank"},
                     {4, "bea", "bea"},   {5, "\303\211mile", "Emile"}, // "Émile" in UTF-8
                     {6, "adam", "adam2"}};
    CUserListDialog dialog(m_users, nullptr, Answers());
    EXPECT_EQ(dialog.windowTitle(), "User List");
    // As people read names: case and accents aside, then the exact text.
    EXPECT_EQ(Lines(dialog),
              QStringList({"Adam", "adam", "bea", QString::fromUtf8("\303\211mile"), "Zoe"}));
    QStringList buttons;
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        buttons.append(button->text());
    EXPECT_EQ(buttons, QStringList({"&Edit", "&New", "&Delete", "&Close"}));
}

TEST_F(UserList, ReadingErrorsUseTheGeneralReportAndTheListGoesOn) {
    m_users.Users = {{1, "Adam", "Adam"}, {2, "Bea", "Bea"}, {3, "Cy", "Cy"}};
    m_users.Users[0].IdError = UserManagerError::InvalidUserIndex;
    m_users.Users[1].NameError = UserManagerError::UserAccess;
    CUserListDialog dialog(m_users, nullptr, Answers());
    EXPECT_EQ(Lines(dialog), QStringList("Cy"));
    EXPECT_EQ(MessageBox::shownTexts(), QStringList({"UserData error: Invalid user index.",
                                                     "UserData error: User access error."}));

    MessageBox::clearShownTexts();
    m_users.CountError = UserManagerError::Exclusive;
    dialog.FillList();
    EXPECT_TRUE(Lines(dialog).isEmpty());
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("UserData error: Another program is exclusively using the user "
                          "database."));
}

TEST_F(UserList, WithNoUsersOnlyNewDoesSomething) {
    CUserListDialog dialog(m_users, nullptr, Answers());
    EXPECT_TRUE(Lines(dialog).isEmpty());
    dialog.OnEdit();
    dialog.OnDelete();
    EXPECT_TRUE(m_askedWith.isEmpty());
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

    m_names = {"Dana"};
    dialog.OnNew();
    EXPECT_EQ(m_askedWith, QStringList(""));
    EXPECT_EQ(Lines(dialog), QStringList("Dana"));
}

TEST_F(UserList, ARefusedAddShowsItsMessageAndTheListIsRefilled) {
    m_users.Users = {{1, "Adam", "Adam"}};
    CUserListDialog dialog(m_users, nullptr, Answers());
    m_users.AddResult = UserManagerError::UserExists;
    m_users.Users.push_back({2, "Added elsewhere", "X"});
    m_names = {"Adam"};
    dialog.OnNew();
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("User already exists."));
    EXPECT_EQ(Lines(dialog), QStringList({"Adam", "Added elsewhere"}));
}

TEST_F(UserList, CodesWithoutAMessageOfTheirOwnAreUnknown) {
    EXPECT_EQ(CUserListDialog::ChangeErrorText(-510), "Unknow user manager error.");
    EXPECT_EQ(CUserListDialog::ChangeErrorText(-1), "Unknow user manager error.");
    EXPECT_EQ(CUserListDialog::ChangeErrorText(-519), "Semaphore access problem.");
    EXPECT_EQ(CUserListDialog::ChangeErrorText(-521), "No core path.");

    m_users.AddResult = UserManagerError::InvalidUserDirectory;
    CUserListDialog dialog(m_users, nullptr, Answers());
    m_names = {"Eve"};
    dialog.OnNew();
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Unknow user manager error."));
}

TEST_F(UserList, RenamingReplacesTheLineOnlyWhenTheStoreAgrees) {
    m_users.Users = {{1, "Adam", "Adam"}, {2, "Bea", "Bea"}};
    CUserListDialog dialog(m_users, nullptr, Answers());
    Select(dialog, "Adam");
    m_names = {"alan"};
    dialog.OnEdit();
    EXPECT_EQ(m_askedWith, QStringList("Adam"));
    // The renamed line takes its place as the list reads.
    EXPECT_EQ(Lines(dialog), QStringList({"alan", "Bea"}));
    EXPECT_EQ(m_users.Users[0].Name, "alan");
    Select(dialog, "alan");
    m_names = {"Zed"};
    dialog.OnEdit();
    EXPECT_EQ(Lines(dialog), QStringList({"Bea", "Zed"}));
    EXPECT_EQ(m_users.Users[0].Name, "Zed");

    m_users.RenameResult = UserManagerError::InvalidUserName;
    Select(dialog, "Bea");
    m_names = {"Bad\tname"};
    dialog.OnEdit();
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Invalid user name."));
    EXPECT_EQ(Lines(dialog), QStringList({"Bea", "Zed"}));

    // Cancel renames nothing.
    dialog.OnEdit();
    EXPECT_EQ(Lines(dialog), QStringList({"Bea", "Zed"}));
}

TEST_F(UserList, DeletingAsksFirstAndKeepsAUserTheStoreDidNotDelete) {
    m_users.Users = {{1, "Adam", "Adam"}, {2, "Bea", "Bea"}};
    CUserListDialog dialog(m_users, nullptr, Answers());
    Select(dialog, "Adam");
    MessageBox::setNextAnswer(MessageBox::No);
    dialog.OnDelete();
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("Are you sure you want to delete this user and all his data?"));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList("WARNING- delete"));
    EXPECT_EQ(Lines(dialog), QStringList({"Adam", "Bea"}));
    EXPECT_EQ(m_users.Users.size(), 2u);

    MessageBox::clearShownTexts();
    m_users.DeleteResult = UserManagerError::SaveError;
    MessageBox::setNextAnswer(MessageBox::Yes);
    dialog.OnDelete();
    EXPECT_EQ(MessageBox::shownTexts().last(), "Save error.");
    EXPECT_EQ(MessageBox::shownCaptions().last(), "Error");
    EXPECT_EQ(Lines(dialog), QStringList({"Adam", "Bea"}));

    m_users.DeleteResult = 0;
    MessageBox::setNextAnswer(MessageBox::Yes);
    dialog.OnDelete();
    EXPECT_EQ(Lines(dialog), QStringList("Bea"));
    ASSERT_EQ(m_users.Users.size(), 1u);
    EXPECT_EQ(m_users.Users[0].Name, "Bea");
}

} // namespace
