#include "CategoryEditing.h"
#include "RecordStore.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A list as a new data file has it: only "Unfiled", LastUniqueId 128.
CategoryList NewList() {
    CategoryList list;
    list.Add(MakeUnfiledEntry());
    return list;
}

std::vector<std::string> Names(const CategoryList& list) {
    std::vector<std::string> names;
    for (const CategoryEntry& entry : list.Items())
        names.push_back(entry.Name);
    return names;
}

CategoryEntry& Added(CategoryList& list, const std::string& name) {
    const AddCategoryOutcome outcome = AddCategory(list, name);
    EXPECT_EQ(outcome.Result, AddCategoryResult::Added) << name;
    return *outcome.Entry;
}

TEST(CategoryEditing, NextUniqueIdCountsOnFrom128AndRaisesSmallerValues) {
    CategoryList list;
    EXPECT_EQ(NextUniqueId(list), 129u);
    EXPECT_EQ(list.LastUniqueId, 129u);
    EXPECT_EQ(NextUniqueId(list), 130u);

    // A value below the desktop's range is lifted to 128 itself.
    list.LastUniqueId = 3;
    EXPECT_EQ(NextUniqueId(list), 128u);
    EXPECT_EQ(list.LastUniqueId, 128u);
    EXPECT_EQ(NextUniqueId(list), 129u);

    list.LastUniqueId = 127;
    EXPECT_EQ(NextUniqueId(list), 128u);
    list.LastUniqueId = 500;
    EXPECT_EQ(NextUniqueId(list), 501u);
    // Past the largest value the count wraps and is lifted again.
    list.LastUniqueId = 0xFFFFFFFFu;
    EXPECT_EQ(NextUniqueId(list), 128u);
}

TEST(CategoryEditing, FifteenCategoriesFitBesideUnfiledAndTheSixteenthIsRefused) {
    CategoryList list = NewList();
    for (int n = 1; n <= 15; ++n) {
        const std::string name = "Cat" + std::to_string(100 + n);
        const CategoryEntry& entry = Added(list, name);
        EXPECT_EQ(entry.Category, static_cast<std::uint32_t>(n));
        EXPECT_EQ(entry.Uid, static_cast<std::uint32_t>(128 + n));
        EXPECT_EQ(entry.Flags, RecordFlags::Modified);
        EXPECT_EQ(entry.Name, name);
    }
    EXPECT_EQ(list.Size(), 16u);
    EXPECT_EQ(list.LastUniqueId, 143u);
    EXPECT_TRUE(IsCategoryListFull(list));

    const AddCategoryOutcome refused = AddCategory(list, "One more");
    EXPECT_EQ(refused.Result, AddCategoryResult::ListFull);
    EXPECT_EQ(refused.Entry, nullptr);
    EXPECT_EQ(list.Size(), 16u);
    EXPECT_EQ(list.LastUniqueId, 143u); // no identifier is used up by a refusal
}

TEST(CategoryEditing, AFreedIndexIsReusedWhileTheUniqueIdCountGoesOn) {
    TripStore trips;
    CategoryList& list = trips.Categories;
    list.Add(MakeUnfiledEntry());
    for (int n = 1; n <= 15; ++n)
        Added(list, "Cat" + std::to_string(100 + n));

    ASSERT_TRUE(DeleteCategory(trips, *list.FindByIndex(5)));
    EXPECT_EQ(list.FindByIndex(5), nullptr);
    EXPECT_FALSE(IsCategoryListFull(list));

    const CategoryEntry& entry = Added(list, "Again");
    EXPECT_EQ(entry.Category, 5u);
    EXPECT_EQ(entry.Uid, 144u);
}

TEST(CategoryEditing, NamesAreKeptInByteOrderWithUnfiledLastAndCutTo15) {
    CategoryList list = NewList();
    Added(list, "Work");
    Added(list, "Business");
    Added(list, "Personal");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Business", "Personal", "Work", "Unfiled"}));
    // Upper case sorts before lower case.
    Added(list, "car");
    Added(list, "Zoo");
    EXPECT_EQ(Names(list),
              (std::vector<std::string>{"Business", "Personal", "Work", "Zoo", "car", "Unfiled"}));

    const CategoryEntry& longName = Added(list, "Sixteen letters!");
    EXPECT_EQ(longName.Name, "Sixteen letters");
    EXPECT_EQ(FitCategoryName("Fifteen letters"), "Fifteen letters");
    // The cut name is the one compared.
    EXPECT_EQ(AddCategory(list, "Sixteen letters?").Result, AddCategoryResult::NameInUse);
}

TEST(CategoryEditing, ANameInUseIsRefusedButCaseAndDeletedEntriesMatter) {
    CategoryList list = NewList();
    Added(list, "Work");
    const std::uint32_t lastId = list.LastUniqueId;

    const AddCategoryOutcome same = AddCategory(list, "Work");
    EXPECT_EQ(same.Result, AddCategoryResult::NameInUse);
    EXPECT_EQ(same.Entry, nullptr);
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_EQ(list.LastUniqueId, lastId);
    EXPECT_EQ(AddCategory(list, "Unfiled").Result, AddCategoryResult::NameInUse);

    // Names that differ only in letter case are different names.
    EXPECT_EQ(AddCategory(list, "work").Result, AddCategoryResult::Added);

    // A category marked deleted (from the handheld) frees its name, not its index.
    CategoryEntry& old = Added(list, "Old");
    old.MarkDeleted();
    const AddCategoryOutcome reused = AddCategory(list, "Old");
    ASSERT_EQ(reused.Result, AddCategoryResult::Added);
    EXPECT_NE(reused.Entry->Category, old.Category);
}

TEST(CategoryEditing, RenamingChecksTheOtherNamesAndMarksTheEntry) {
    CategoryList list = NewList();
    CategoryEntry& work = Added(list, "Work");
    Added(list, "Home");
    work.Flags = 0;

    // Its own name: nothing changes, no flag.
    EXPECT_EQ(RenameCategory(list, work, "Work"), RenameCategoryResult::Unchanged);
    EXPECT_EQ(work.Flags, 0u);

    EXPECT_EQ(RenameCategory(list, work, "Home"), RenameCategoryResult::NameInUse);
    EXPECT_EQ(work.Name, "Work");
    EXPECT_EQ(work.Flags, 0u);

    // Letter case makes a different name.
    EXPECT_EQ(RenameCategory(list, work, "home"), RenameCategoryResult::Renamed);
    EXPECT_EQ(work.Name, "home");
    EXPECT_EQ(work.Flags, RecordFlags::Modified);
    EXPECT_EQ(work.Uid, 129u);
    EXPECT_EQ(work.Category, 1u);

    // The entry keeps its place in the list.
    EXPECT_EQ(RenameCategory(list, work, "Able"), RenameCategoryResult::Renamed);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Home", "Able", "Unfiled"}));

    EXPECT_EQ(RenameCategory(list, work, "A name too long!"), RenameCategoryResult::Renamed);
    EXPECT_EQ(work.Name, "A name too long");
}

TEST(CategoryEditing, UnfiledCanBeNeitherRenamedNorDeleted) {
    TripStore trips;
    CategoryList& list = trips.Categories;
    list.Add(MakeUnfiledEntry());
    CategoryEntry& unfiled = *list.FindByIndex(0);

    EXPECT_EQ(RenameCategory(list, unfiled, "Misc"), RenameCategoryResult::IsUnfiled);
    EXPECT_EQ(unfiled.Name, "Unfiled");
    EXPECT_EQ(unfiled.Flags, 0u);

    EXPECT_FALSE(DeleteCategory(trips, unfiled));
    EXPECT_EQ(Names(list), std::vector<std::string>{"Unfiled"});
    // So index 0 is never handed out to a new category.
    EXPECT_EQ(Added(list, "New").Category, 1u);
}

TEST(CategoryEditing, DeletingMovesEveryRecordOfTheCategoryToUnfiled) {
    TripStore trips;
    trips.Categories.Add(MakeUnfiledEntry());
    const CategoryEntry& work = Added(trips.Categories, "Work");
    const CategoryEntry& home = Added(trips.Categories, "Home");
    ASSERT_EQ(work.Category, 1u);
    ASSERT_EQ(home.Category, 2u);

    const std::uint32_t categories[] = {1, 2, 1, 0, 1};
    for (const std::uint32_t category : categories) {
        TripRecord trip = trips.CreateRecord();
        trip.Category = category;
        trips.Append(std::move(trip));
    }
    trips.Records()[0].MarkDeleted();

    ASSERT_TRUE(DeleteCategory(trips, work));
    EXPECT_EQ(Names(trips.Categories), (std::vector<std::string>{"Home", "Unfiled"}));
    std::vector<std::uint32_t> after;
    std::vector<std::uint32_t> flags;
    for (const TripRecord& trip : trips.Records()) {
        after.push_back(trip.Category);
        flags.push_back(trip.Flags);
    }
    // Deleted trips too; the others keep their category and flags.
    EXPECT_EQ(after, (std::vector<std::uint32_t>{0, 2, 0, 0, 0}));
    EXPECT_EQ(flags, (std::vector<std::uint32_t>{RecordFlags::Deleted | RecordFlags::Modified, 0,
                                                 RecordFlags::Modified, 0, RecordFlags::Modified}));
}

TEST(CategoryEditing, AnEntryOfAnotherListIsNotDeleted) {
    TripStore trips;
    ExpenseStore expenses;
    for (RecordStore* store :
         {static_cast<RecordStore*>(&trips), static_cast<RecordStore*>(&expenses)}) {
        store->Categories.Add(MakeUnfiledEntry());
        Added(store->Categories, "Work");
    }
    ExpenseRecord expense = expenses.CreateRecord();
    expense.Category = 1;
    expenses.Append(std::move(expense));

    EXPECT_FALSE(DeleteCategory(expenses, *trips.Categories.FindByIndex(1)));
    EXPECT_EQ(expenses.Records()[0].Category, 1u);
    EXPECT_EQ(expenses.Records()[0].Flags, 0u);
    EXPECT_EQ(trips.Categories.Size(), 2u);
    EXPECT_EQ(expenses.Categories.Size(), 2u);

    EXPECT_TRUE(DeleteCategory(expenses, *expenses.Categories.FindByIndex(1)));
    EXPECT_EQ(expenses.Records()[0].Category, 0u);
    EXPECT_EQ(expenses.Records()[0].Flags, RecordFlags::Modified);
}

} // namespace
