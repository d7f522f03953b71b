// The hold a command takes on the document's records: when the document is
// emptied inside a modal loop, the dialogs close as cancelled (nested ones
// too), nothing in them can be confirmed afterwards, and the command learns
// that its records are gone.

#include "RecordHold.h"
#include "DialogButtons.h"
#include "ModalDialog.h"
#include "TvDeskDoc.h"

#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A dialog whose OK writes into a record, as the log dialogs do.
class RecordDialog : public QDialog {
public:
    RecordDialog(int& record, QWidget* parent = nullptr) : QDialog(parent), m_record(record) {
        MakeOkCancelButtons(this);
    }

    void accept() override {
        ++m_record;
        QDialog::accept();
    }

    void ClickOk() { findChild<QPushButton*>("okButton")->click(); }

private:
    int& m_record;
};

RecordDialog& AsRecordDialog(QDialog& dialog) {
    return static_cast<RecordDialog&>(dialog);
}

class RecordHoldTest : public testing::Test {
protected:
    void SetUp() override {
        ModalDialog::clearHandlers();
        m_document.InitNewDocument();
    }
    void TearDown() override {
        ModalDialog::clearHandlers();
        ModalDialog::setTestMode(true);
    }

    CTvDeskDoc m_document;
    int m_record = 0;
};

TEST_F(RecordHoldTest, WhileTheRecordsStayADialogGivesItsOwnResult) {
    CRecordHold hold(m_document);
    RecordDialog dialog(m_record);
    ModalDialog::pushHandler([](QDialog& shown) {
        AsRecordDialog(shown).ClickOk();
        return shown.result();
    });
    EXPECT_EQ(hold.Exec(dialog), QDialog::Accepted);
    EXPECT_EQ(m_record, 1);

    ModalDialog::pushHandler([](QDialog& shown) {
        shown.findChild<QPushButton*>("cancelButton")->click();
        return shown.result();
    });
    EXPECT_EQ(hold.Exec(dialog), QDialog::Rejected);
    EXPECT_EQ(m_record, 1);
    EXPECT_FALSE(hold.Lost());
    EXPECT_TRUE(dialog.isEnabled());
}

TEST_F(RecordHoldTest, EmptyingTheDocumentCancelsTheDialogAndOkCanNoLongerReachTheRecord) {
    CRecordHold hold(m_document);
    RecordDialog dialog(m_record);
    ModalDialog::pushHandler([this](QDialog& shown) {
        m_document.DeleteContents();
        AsRecordDialog(shown).ClickOk();
        // Even a handler that claims OK does not get through.
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_EQ(hold.Exec(dialog), QDialog::Rejected);
    EXPECT_TRUE(hold.Lost());
    EXPECT_EQ(m_record, 0);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isEnabled());
}

TEST_F(RecordHoldTest, ADialogOpenedOverAnotherClosesWithIt) {
    int inner = 0;
    int innerResult = -1;
    CRecordHold hold(m_document);
    RecordDialog outer(m_record);
    ModalDialog::pushHandler([this, &inner, &innerResult](QDialog& shown) {
        RecordDialog note(inner, &shown);
        ModalDialog::pushHandler([this](QDialog& over) {
            m_document.MarkEmpty();
            AsRecordDialog(over).ClickOk();
            return over.result();
        });
        innerResult = ModalDialog::exec(note);
        // Back in the outer dialog, whose OK is out of reach as well.
        AsRecordDialog(shown).ClickOk();
        return shown.result();
    });
    EXPECT_EQ(hold.Exec(outer), QDialog::Rejected);
    EXPECT_EQ(innerResult, QDialog::Rejected);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(m_record, 0);
    EXPECT_EQ(ModalDialog::runCount(), 2);
}

TEST_F(RecordHoldTest, EveryDialogIsCancelledAlsoWithoutAHold) {
    { CRecordHold finished(m_document); }
    // A dialog that holds no records (settings, users) closes as well.
    RecordDialog dialog(m_record);
    ModalDialog::pushHandler([this](QDialog& shown) {
        m_document.DeleteContents();
        AsRecordDialog(shown).ClickOk();
        return shown.result();
    });
    EXPECT_EQ(ModalDialog::exec(dialog), QDialog::Rejected);
    EXPECT_EQ(m_record, 0);
}

TEST_F(RecordHoldTest, AReloadArrivingInTheEventLoopOfAShownDialogClosesIt) {
    ModalDialog::setTestMode(false);
    CRecordHold hold(m_document);
    RecordDialog dialog(m_record);
    // The reload comes as a HotSync's does, from the loop of the open dialog.
    QTimer::singleShot(0, &dialog, [this] { m_document.MarkEmpty(); });
    // Were the dialog left open, this would confirm it after a while.
    bool confirmedLate = false;
    QTimer::singleShot(5000, &dialog, [&dialog, &confirmedLate] {
        confirmedLate = true;
        dialog.ClickOk();
    });
    EXPECT_EQ(hold.Exec(dialog), QDialog::Rejected);
    EXPECT_FALSE(confirmedLate);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(m_record, 0);
    EXPECT_TRUE(hold.Lost());
}

} // namespace
