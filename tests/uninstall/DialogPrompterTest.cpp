// The uninstaller as the user sees it: the question and the failures in
// message boxes of its own caption, and the completion dialog "Tarvenly
// Removal Complete" once everything is removed.

#include "DialogPrompter.h"
#include "CompletionDialog.h"
#include "InstallFixture.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

namespace {

const QString kQuestion = "Are you sure you want to remove Tarvenly?";

class DialogPrompterTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        MakePalmDesktop();
        MakeInstallation();
        MakeRegistration();
    }

    Uninstaller::Outcome Run() {
        Uninstaller uninstaller(m_dialogs, m_loader, Shortcuts(), Install() + "/TvUnInstall");
        return uninstaller.Run();
    }

    DialogPrompter m_dialogs;
};

TEST_F(DialogPrompterTest, NoInTheQuestionBoxEndsWithoutADialog) {
    const Snapshot before = TakeSnapshot(Root());
    MessageBox::setNextAnswer(MessageBox::No);
    EXPECT_EQ(Run(), Uninstaller::Outcome::Declined);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList{kQuestion});
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList{"TvUnInstall"});
    EXPECT_EQ(ModalDialog::runCount(), 0);
    EXPECT_EQ(TakeSnapshot(Root()), before);
}

TEST_F(DialogPrompterTest, YesEndsWithTheCompletionDialog) {
    MessageBox::setNextAnswer(MessageBox::Yes);
    ModalDialog::pushHandler([&](QDialog& dialog) {
        EXPECT_FALSE(QFile::exists(Install() + "/TvDesk")) << "shown before the removal ended";
        EXPECT_EQ(dialog.windowTitle(), "Tarvenly Removal Complete");
        EXPECT_FALSE(dialog.windowIcon().isNull());
        QStringList texts;
        bool iconShown = false;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            texts << label->text();
            iconShown = iconShown || !label->pixmap().isNull();
        }
        EXPECT_TRUE(iconShown) << "the program's icon";
        EXPECT_TRUE(texts.contains("Tarvenly was successfully removed."))
            << texts.join('|').toStdString();
        EXPECT_EQ(texts.filter(CompletionDialog::kProductWebSite).size(), 1)
            << "a line pointing to the web site: " << texts.join('|').toStdString();
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        EXPECT_NE(buttons, nullptr);
        if (buttons != nullptr)
            buttons->button(QDialogButtonBox::Ok)->click();
        return dialog.result();
    });
    EXPECT_EQ(Run(), Uninstaller::Outcome::Removed);
    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_EQ(MessageBox::shownTexts(), QStringList{kQuestion});
}

TEST_F(DialogPrompterTest, AFailureIsShownInAMessageBox) {
    QFile::remove(Palm() + "/libCondMgr.so");
    MessageBox::setNextAnswer(MessageBox::Yes);
    EXPECT_EQ(Run(), Uninstaller::Outcome::Failed);
    EXPECT_EQ(MessageBox::shownTexts(), (QStringList{kQuestion, "Couldn't load CondMgr.dll"}));
    EXPECT_EQ(MessageBox::shownCaptions(), (QStringList{"TvUnInstall", "TvUnInstall"}));
    EXPECT_EQ(ModalDialog::runCount(), 0);
}

} // namespace
