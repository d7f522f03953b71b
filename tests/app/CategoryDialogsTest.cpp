#include "AppFixture.h"
#include "CategoryEditing.h"
#include "CategoryNameDialog.h"
#include "EditCategoriesDialog.h"
#include "LogView.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalDialog.h"
#include "RecordStore.h"
#include "SelectCategoryDialog.h"
#include "TabForm.h"
#include "TvDeskDoc.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Names(const CategoryList& list) {
    std::vector<std::string> names;
    for (const CategoryEntry& entry : list.Items())
        names.push_back(entry.Name);
    return names;
}

QStringList ComboTexts(const QComboBox* box) {
    QStringList texts;
    for (int item = 0; item < box->count(); ++item)
        texts << box->itemText(item);
    return texts;
}

QPushButton* Button(const QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QPushButton*>(name);
    EXPECT_NE(button, nullptr) << name;
    return button;
}

// Answers the next name dialog: types the name and presses OK.
void AnswerName(const QString& name, QStringList* initialTexts = nullptr) {
    ModalDialog::pushHandler([name, initialTexts](QDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>("nameEdit");
        if (edit == nullptr)
            return static_cast<int>(QDialog::Rejected);
        if (initialTexts != nullptr)
            *initialTexts << edit->text();
        edit->setText(name);
        dialog.findChild<QPushButton*>("okButton")->click();
        return dialog.result();
    });
}

class CategoryDialogs : public testing::Test {
protected:
    void SetUp() override {
        MessageBox::clearShownTexts();
        ModalDialog::clearHandlers();
        m_trips.Categories.Add(MakeUnfiledEntry());
        m_expenses.Categories.Add(MakeUnfiledEntry());
        for (const char* name : {"Work", "Business", "Personal"})
            AddCategory(m_trips.Categories, name);
        AddCategory(m_expenses.Categories, "Fuel");
        for (CategoryEntry& entry : m_trips.Categories.Items())
            entry.Flags = 0;
    }

    void TearDown() override { ModalDialog::clearHandlers(); }

    static QListWidget* ItemList(const QDialog& dialog) {
        return dialog.findChild<QListWidget*>("itemList");
    }

    static QStringList Items(const QDialog& dialog) {
        QStringList texts;
        const QListWidget* list = ItemList(dialog);
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        return texts;
    }

    static void Select(const QDialog& dialog, const QString& name) {
        QListWidget* list = ItemList(dialog);
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list->setCurrentItem(found.first());
    }

    CategoryEntry& TripEntry(const std::string& name) {
        for (CategoryEntry& entry : m_trips.Categories.Items())
            if (entry.Name == name)
                return entry;
        ADD_FAILURE() << name;
        return m_trips.Categories.Items().back();
    }

    // Trips filed under the given category indexes, in store order.
    void AddTrips(std::initializer_list<std::uint32_t> categories) {
        for (const std::uint32_t category : categories) {
            TripRecord trip = m_trips.CreateRecord();
            trip.Category = category;
            m_trips.Append(std::move(trip));
        }
    }

    CTvDeskDoc m_document;
    TripStore& m_trips = m_document.Trips();
    ExpenseStore& m_expenses = m_document.Expenses();
};

TEST_F(CategoryDialogs, EditDialogOffersTheGivenListsAndShowsThePreselectedOne) {
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    EXPECT_EQ(dialog.windowTitle(), "Edit Categories");
    auto* lists = dialog.findChild<QComboBox*>("listBox");
    ASSERT_NE(lists, nullptr);
    EXPECT_EQ(ComboTexts(lists), QStringList({"Expense Category List", "Trip Category List"}));
    EXPECT_EQ(lists->currentText(), "Trip Category List");
    // List order, without "Unfiled", nothing selected.
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Personal", "Work"}));
    EXPECT_TRUE(ItemList(dialog)->selectedItems().isEmpty());

    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"Category &List:", "Category &Items:"}));
    EXPECT_EQ(Button(dialog, "newButton")->text(), "&New");
    EXPECT_EQ(Button(dialog, "renameButton")->text(), "&Rename");
    EXPECT_EQ(Button(dialog, "deleteButton")->text(), "&Delete");
    EXPECT_EQ(Button(dialog, "okButton")->text(), "&OK");
    EXPECT_TRUE(Button(dialog, "okButton")->isDefault());

    // Another list refills the list box.
    lists->setCurrentIndex(0);
    EXPECT_EQ(Items(dialog), QStringList("Fuel"));
    lists->setCurrentIndex(1);
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Personal", "Work"}));
    EXPECT_FALSE(dialog.Changed());

    // The OK button closes the dialog, accepted.
    Button(dialog, "okButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(CategoryDialogs, EditDialogWithoutThePreselectedListShowsNothingAndNewDoesNothing) {
    CEditCategoriesDialog dialog(m_document, true, false, &m_expenses.Categories);
    auto* lists = dialog.findChild<QComboBox*>("listBox");
    EXPECT_EQ(ComboTexts(lists), QStringList("Trip Category List"));
    EXPECT_EQ(lists->currentIndex(), -1);
    EXPECT_TRUE(Items(dialog).isEmpty());

    AnswerName("Never");
    dialog.OnNew();
    dialog.OnRename();
    dialog.OnDelete();
    EXPECT_EQ(ModalDialog::runCount(), 0);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
    EXPECT_EQ(m_trips.Categories.Size(), 4u);
    EXPECT_FALSE(dialog.Changed());

    // The expense list alone.
    CEditCategoriesDialog expensesOnly(m_document, false, true, &m_expenses.Categories);
    EXPECT_EQ(ComboTexts(expensesOnly.findChild<QComboBox*>("listBox")),
              QStringList("Expense Category List"));
    EXPECT_EQ(Items(expensesOnly), QStringList("Fuel"));
}

TEST_F(CategoryDialogs, NewAsksForANameAndAddsTheCategoryAtItsPlace) {
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    QStringList initialTexts;
    AnswerName("Errands", &initialTexts);
    Button(dialog, "newButton")->click();
    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_EQ(initialTexts, QStringList(""));
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Errands", "Personal", "Work"}));
    EXPECT_TRUE(ItemList(dialog)->selectedItems().isEmpty());
    EXPECT_TRUE(dialog.Changed());
    const CategoryEntry& added = TripEntry("Errands");
    EXPECT_EQ(added.Category, 4u);
    EXPECT_EQ(added.Uid, 132u);
    EXPECT_EQ(added.Flags, RecordFlags::Modified);
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

    // Cancel in the name dialog adds nothing.
    dialog.OnNew();
    EXPECT_EQ(ModalDialog::runCount(), 2);
    EXPECT_EQ(m_trips.Categories.Size(), 5u);

    // Texts beyond ASCII are kept in the file's code page.
    AnswerName(QString::fromUtf8("Caf\xc3\xa9"));
    dialog.OnNew();
    EXPECT_EQ(TripEntry("Caf\xe9").Category, 5u);
    EXPECT_TRUE(Items(dialog).contains(QString::fromUtf8("Caf\xc3\xa9")));
}

TEST_F(CategoryDialogs, NewOnAFullListWarnsWithoutAskingForAName) {
    for (int n = 0; m_trips.Categories.Size() < 16; ++n)
        AddCategory(m_trips.Categories, "Extra" + std::to_string(n));
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    AnswerName("Too many");
    dialog.OnNew();
    EXPECT_EQ(ModalDialog::runCount(), 0);
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("All categories are used. Please delete a category before adding "
                          "another."));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList("Warning"));
    EXPECT_EQ(m_trips.Categories.Size(), 16u);
    EXPECT_EQ(Items(dialog).size(), 15);
    EXPECT_FALSE(dialog.Changed());
}

TEST_F(CategoryDialogs, ANameAlreadyInTheListIsRefusedWithItsMessage) {
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    AnswerName("Work");
    dialog.OnNew();
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("The category name Work already exists. Please use a different name."));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList("Error"));
    EXPECT_EQ(m_trips.Categories.Size(), 4u);
    EXPECT_FALSE(dialog.Changed());

    // Letter case makes a different name; another list's names do not count.
    AnswerName("work");
    dialog.OnNew();
    AnswerName("Fuel");
    dialog.OnNew();
    EXPECT_EQ(m_trips.Categories.Size(), 6u);
    EXPECT_EQ(MessageBox::shownTexts().size(), 1);
}

TEST_F(CategoryDialogs, RenameMovesTheItemToTheEndAndKeepsTheEntryInPlace) {
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    const CategoryEntry& business = TripEntry("Business");
    Select(dialog, "Business");
    QStringList initialTexts;
    AnswerName("Alpha", &initialTexts);
    Button(dialog, "renameButton")->click();
    EXPECT_EQ(initialTexts, QStringList("Business"));
    EXPECT_EQ(Items(dialog), QStringList({"Personal", "Work", "Alpha"}));
    EXPECT_TRUE(ItemList(dialog)->selectedItems().isEmpty());
    EXPECT_EQ(business.Name, "Alpha");
    EXPECT_EQ(business.Flags, RecordFlags::Modified);
    EXPECT_EQ(Names(m_trips.Categories),
              (std::vector<std::string>{"Alpha", "Personal", "Work", "Unfiled"}));
    EXPECT_TRUE(dialog.Changed());

    // The moved item still stands for its entry: renaming it again works.
    Select(dialog, "Alpha");
    AnswerName("Beta");
    dialog.OnRename();
    EXPECT_EQ(business.Name, "Beta");
    EXPECT_EQ(Items(dialog), QStringList({"Personal", "Work", "Beta"}));
}

TEST_F(CategoryDialogs, RenameToTheSameOrATakenNameChangesNothing) {
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    const CategoryEntry& work = TripEntry("Work");

    // Without a selected item nothing is asked.
    AnswerName("Ignored");
    dialog.OnRename();
    EXPECT_EQ(ModalDialog::runCount(), 0);
    ModalDialog::clearHandlers();

    Select(dialog, "Work");
    AnswerName("Work");
    dialog.OnRename();
    EXPECT_EQ(work.Flags, 0u);
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Personal", "Work"}));
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
    EXPECT_FALSE(dialog.Changed());

    Select(dialog, "Work");
    AnswerName("Personal");
    dialog.OnRename();
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("The category name Personal already exists. Please use a different "
                          "name."));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList("Error"));
    EXPECT_EQ(work.Name, "Work");
    EXPECT_EQ(work.Flags, 0u);
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Personal", "Work"}));
    EXPECT_FALSE(dialog.Changed());
}

TEST_F(CategoryDialogs, DoubleClickingAnItemRenamesIt) {
    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    Select(dialog, "Personal");
    AnswerName("Private");
    QListWidget* list = ItemList(dialog);
    emit list->itemDoubleClicked(list->currentItem());
    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Work", "Private"}));
    EXPECT_EQ(TripEntry("Private").Category, 3u);
}

TEST_F(CategoryDialogs, DeleteAsksAndOnYesMovesTheTripsToUnfiled) {
    const std::uint32_t work = TripEntry("Work").Category;
    const std::uint32_t personal = TripEntry("Personal").Category;
    AddTrips({work, personal, work, 0});
    m_trips.Records()[2].MarkDeleted();

    CEditCategoriesDialog dialog(m_document, true, true, &m_trips.Categories);
    // A filter on the deleted category falls back to all categories.
    m_document.TripLogFilter = &TripEntry("Work");

    Select(dialog, "Work");
    MessageBox::setNextAnswer(MessageBox::No);
    Button(dialog, "deleteButton")->click();
    const QString question = "All trips associated with this category will be moved to the "
                             "Unfiled category. Are you sure you want to do this?";
    EXPECT_EQ(MessageBox::shownTexts(), QStringList(question));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList("Warning"));
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Personal", "Work"}));
    EXPECT_EQ(m_trips.Categories.Size(), 4u);
    EXPECT_EQ(m_trips.Records()[0].Category, work);
    EXPECT_EQ(m_trips.Records()[0].Flags, 0u);
    EXPECT_EQ(m_document.TripLogFilter, &TripEntry("Work"));
    EXPECT_FALSE(dialog.Changed());

    MessageBox::setNextAnswer(MessageBox::Yes);
    dialog.OnDelete();
    EXPECT_EQ(Items(dialog), QStringList({"Business", "Personal"}));
    EXPECT_TRUE(ItemList(dialog)->selectedItems().isEmpty());
    EXPECT_EQ(Names(m_trips.Categories),
              (std::vector<std::string>{"Business", "Personal", "Unfiled"}));
    EXPECT_EQ(m_document.TripLogFilter, &m_document.AllCategoriesEntry);
    std::vector<std::uint32_t> categories;
    std::vector<std::uint32_t> flags;
    for (const TripRecord& trip : m_trips.Records()) {
        categories.push_back(trip.Category);
        flags.push_back(trip.Flags);
    }
    EXPECT_EQ(categories, (std::vector<std::uint32_t>{0, personal, 0, 0}));
    EXPECT_EQ(flags, (std::vector<std::uint32_t>{RecordFlags::Modified, 0,
                                                 RecordFlags::Deleted | RecordFlags::Modified, 0}));
    EXPECT_TRUE(dialog.Changed());

    // Without a selected item nothing is asked.
    MessageBox::clearShownTexts();
    dialog.OnDelete();
    EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(CategoryDialogs, DeletingAnExpenseCategoryAsksTheSameAndMovesTheExpenses) {
    ExpenseRecord expense = m_expenses.CreateRecord();
    expense.Category = 1;
    m_expenses.Append(std::move(expense));
    CEditCategoriesDialog dialog(m_document, true, true, &m_expenses.Categories);
    Select(dialog, "Fuel");
    MessageBox::setNextAnswer(MessageBox::Yes);
    dialog.OnDelete();
    EXPECT_EQ(MessageBox::shownTexts(),
              QStringList("All trips associated with this category will be moved to the "
                          "Unfiled category. Are you sure you want to do this?"));
    EXPECT_TRUE(Items(dialog).isEmpty());
    EXPECT_EQ(Names(m_expenses.Categories), std::vector<std::string>{"Unfiled"});
    EXPECT_EQ(m_expenses.Records()[0].Category, 0u);
    EXPECT_EQ(Names(m_trips.Categories),
              (std::vector<std::string>{"Business", "Personal", "Work", "Unfiled"}));
}

TEST_F(CategoryDialogs, NameDialogRefusesAnEmptyNameAndStaysOpen) {
    CCategoryNameDialog dialog("Old");
    EXPECT_EQ(dialog.windowTitle(), "Category");
    auto* edit = dialog.findChild<QLineEdit*>("nameEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "Old");
    EXPECT_EQ(edit->maxLength(), 15);

    dialog.show();
    edit->clear();
    Button(dialog, "okButton")->setFocus();
    Button(dialog, "okButton")->click();
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("You must enter a name"));
    EXPECT_EQ(MessageBox::shownCaptions(), QStringList(MessageBox::kDefaultCaption));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.focusWidget(), edit);

    edit->setText("New name");
    Button(dialog, "okButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Name(), "New name");
}

TEST_F(CategoryDialogs, NameDialogAskGivesTheNameOnOkAndNothingOnCancel) {
    AnswerName("Trips");
    EXPECT_EQ(CCategoryNameDialog::Ask(nullptr, QString()), std::optional<QString>("Trips"));
    ModalDialog::pushHandler([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("nameEdit")->setText("Dropped");
        dialog.findChild<QPushButton*>("cancelButton")->click();
        return dialog.result();
    });
    EXPECT_EQ(CCategoryNameDialog::Ask(nullptr, "Start"), std::nullopt);
    EXPECT_EQ(ModalDialog::runCount(), 2);
}

TEST_F(CategoryDialogs, SelectDialogListsEveryEntrySortedWithNothingChosen) {
    AddCategory(m_trips.Categories, "car");
    AddCategory(m_trips.Categories, "\311pargne"); // "Épargne" in Windows-1252
    CSelectCategoryDialog dialog(m_trips.Categories);
    EXPECT_EQ(dialog.windowTitle(), "Select a Category");
    auto* box = dialog.findChild<QComboBox*>("categoryBox");
    ASSERT_NE(box, nullptr);
    // As people read names: case and accents aside.
    EXPECT_EQ(ComboTexts(box), QStringList({"Business", "car", QString::fromUtf8("\303\211pargne"),
                                            "Personal", "Unfiled", "Work"}));
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(dialog.SelectedIndex(), -1);
    EXPECT_EQ(dialog.findChild<QLabel*>()->text(), "C&ategories:");

    dialog.show();
    Button(dialog, "okButton")->click();
    EXPECT_EQ(MessageBox::shownTexts(), QStringList("Please select a category."));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    box->setCurrentIndex(box->findText("Work"));
    Button(dialog, "okButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedIndex(), static_cast<int>(TripEntry("Work").Category));

    // "Unfiled" can be chosen too.
    CSelectCategoryDialog again(m_trips.Categories);
    auto* againBox = again.findChild<QComboBox*>("categoryBox");
    againBox->setCurrentIndex(againBox->findText("Unfiled"));
    EXPECT_EQ(again.SelectedIndex(), 0);
}

TEST_F(CategoryDialogs, SelectDialogKeepsListOrderForEqualNames) {
    // A category deleted on the handheld leaves its name free for another.
    CategoryEntry& old = *AddCategory(m_trips.Categories, "Old").Entry;
    old.MarkDeleted();
    const std::uint32_t oldIndex = old.Category;
    const std::uint32_t newIndex = AddCategory(m_trips.Categories, "Old").Entry->Category;
    ASSERT_NE(oldIndex, newIndex);

    CSelectCategoryDialog dialog(m_trips.Categories);
    auto* box = dialog.findChild<QComboBox*>("categoryBox");
    ASSERT_EQ(ComboTexts(box),
              QStringList({"Business", "Old", "Old", "Personal", "Unfiled", "Work"}));
    box->setCurrentIndex(1);
    EXPECT_EQ(dialog.SelectedIndex(), static_cast<int>(oldIndex));
    box->setCurrentIndex(2);
    EXPECT_EQ(dialog.SelectedIndex(), static_cast<int>(newIndex));
}

class EditCategoriesCommand : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        m_action = m_frame->findChild<QAction*>("actionEditCategories");
        ASSERT_NE(m_action, nullptr);
        m_app->Doc().SetModifiedFlag(false);
    }

    // The filter pane's category box: the one that offers "All".
    QStringList CategoryBoxTexts() const {
        for (const QComboBox* box : m_frame->TabForm()->findChildren<QComboBox*>()) {
            const QStringList texts = ComboTexts(box);
            if (texts.value(0) == "All")
                return texts;
        }
        return {};
    }

    // Runs the command; the edit dialog is handled by the given steps.
    void Run(std::function<void(CEditCategoriesDialog&)> steps) {
        ModalDialog::pushHandler([steps](QDialog& dialog) {
            auto* edit = dynamic_cast<CEditCategoriesDialog*>(&dialog);
            if (edit == nullptr)
                return static_cast<int>(QDialog::Rejected);
            steps(*edit);
            dialog.findChild<QPushButton*>("okButton")->click();
            return dialog.result();
        });
        m_action->trigger();
    }

    QAction* m_action = nullptr;
};

TEST_F(EditCategoriesCommand, AnAddedCategoryMarksTheDocumentAndReachesTheFilterPane) {
    CTvDeskDoc& document = m_app->Doc();
    EXPECT_EQ(CategoryBoxTexts(), QStringList({"All", "Unfiled"}));
    QString shownList;
    Run([&shownList](CEditCategoriesDialog& dialog) {
        shownList = dialog.findChild<QComboBox*>("listBox")->currentText();
        AnswerName("Errands");
        dialog.findChild<QPushButton*>("newButton")->click();
    });
    EXPECT_EQ(ModalDialog::runCount(), 2);
    EXPECT_EQ(shownList, "Trip Category List");
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(Names(document.Trips().Categories), (std::vector<std::string>{"Errands", "Unfiled"}));
    EXPECT_EQ(CategoryBoxTexts(), QStringList({"All", "Errands", "Unfiled"}));
}

TEST_F(EditCategoriesCommand, WithoutChangesTheDocumentStaysUnmodifiedButTheViewsHearOfIt) {
    CTvDeskDoc& document = m_app->Doc();
    std::vector<std::pair<QObject*, int>> updates;
    const QObject listening; // ends the connection with the test
    QObject::connect(&document, &CTvDeskDoc::viewsUpdated, &listening,
                     [&updates](QObject* sender, int hint) {
                         updates.push_back({sender, hint});
                     });
    Run([](CEditCategoriesDialog&) {});
    EXPECT_EQ(ModalDialog::runCount(), 1);
    EXPECT_FALSE(document.IsModified());
    // The command's own update goes to every view.
    EXPECT_EQ(std::count(updates.begin(), updates.end(), std::pair<QObject*, int>{nullptr, 0}), 1);
}

TEST_F(EditCategoriesCommand, TheListThatTheFilterPaneShowsIsPreselected) {
    QStringList offered;
    const auto shownList = [this, &offered] {
        QString shown;
        Run([&shown, &offered](CEditCategoriesDialog& dialog) {
            auto* lists = dialog.findChild<QComboBox*>("listBox");
            shown = lists->currentText();
            offered = ComboTexts(lists);
        });
        return shown;
    };
    // As a click on the pane's log buttons switches the log.
    const auto showLog = [this](int log) {
        m_frame->TabForm()->SwitchLog(log);
        QCoreApplication::processEvents();
        ASSERT_EQ(m_frame->RightView()->LogIndex(), log);
    };
    showLog(LogIndex::kExpenseLog);
    EXPECT_EQ(shownList(), "Expense Category List");
    showLog(LogIndex::kTripLog);
    EXPECT_EQ(shownList(), "Trip Category List");
    // The service log's list is not offered here; the service types and the
    // vehicles have none, whatever list the pane showed before.
    showLog(LogIndex::kServiceLog);
    EXPECT_EQ(shownList(), "");
    showLog(LogIndex::kTripLog);
    showLog(LogIndex::kVehicleList);
    EXPECT_EQ(shownList(), "");
    showLog(LogIndex::kServiceTypes);
    EXPECT_EQ(shownList(), "");
    // Both lists are offered whichever log is shown.
    EXPECT_EQ(offered, QStringList({"Expense Category List", "Trip Category List"}));
}

TEST_F(EditCategoriesCommand, AFilterOnADeletedCategoryFallsBackToAllCategories) {
    CTvDeskDoc& document = m_app->Doc();
    CategoryEntry* fuel = AddCategory(document.Expenses().Categories, "Fuel").Entry;
    CategoryEntry* work = AddCategory(document.Trips().Categories, "Work").Entry;
    document.ExpenseLogFilter = fuel;
    document.TripLogFilter = work;

    Run([](CEditCategoriesDialog& dialog) {
        auto* lists = dialog.findChild<QComboBox*>("listBox");
        lists->setCurrentIndex(lists->findText("Expense Category List"));
        auto* items = dialog.findChild<QListWidget*>("itemList");
        items->setCurrentRow(0);
        MessageBox::setNextAnswer(MessageBox::Yes);
        dialog.OnDelete();
    });
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(Names(document.Expenses().Categories), std::vector<std::string>{"Unfiled"});
    EXPECT_EQ(document.ExpenseLogFilter, &document.AllCategoriesEntry);
    // The other list's filter is left alone.
    EXPECT_EQ(document.TripLogFilter, work);
}

} // namespace
