// Every prefix of a valid data file is either one of the few cut points the
// format allows or a clean failure that leaves the document empty.

#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <set>

using namespace tvtest;

namespace {

class TruncationTest : public FixedZoneTest {
protected:
    void SetUp() override {
        FixedZoneTest::SetUp();
        FillEveryKind(source);
        ASSERT_TRUE(source.OnSaveDocument(dir.File("full.tv")));
        full = ReadFileBytes(dir.File("full.tv"));

        // Where the cut points lie, from the record layout: the expense block
        // is its header, one count and its records; the trip records sit just
        // before it, behind the trip record count.
        std::size_t expenseRecords = 0;
        for (const ExpenseRecord& expense : source.Expenses().Records())
            expenseRecords += 138 + expense.Note.size();
        std::size_t tripRecords = 0;
        for (const TripRecord& trip : source.Trips().Records())
            tripRecords += 88 + trip.Note.size();
        expenseCount = full.size() - expenseRecords - 4;
        std::size_t expenseCategories = 0;
        for (const CategoryEntry& entry : source.Expenses().Categories.Items())
            if (entry.Category != 0)
                expenseCategories += 16 + entry.Name.size();
        expenseStart = expenseCount - 16 - expenseCategories - 8 - 12;
        tripCount = expenseStart - tripRecords - 4;
    }

    void ExpectEmpty(const TvDocument& doc) {
        for (const RecordStore* store : {static_cast<const RecordStore*>(&doc.Vehicles()),
                                         static_cast<const RecordStore*>(&doc.ServiceTypes()),
                                         static_cast<const RecordStore*>(&doc.Services()),
                                         static_cast<const RecordStore*>(&doc.Trips()),
                                         static_cast<const RecordStore*>(&doc.Expenses())}) {
            EXPECT_EQ(store->Count(), 0u) << store->TagText();
            EXPECT_EQ(store->Categories.Size(), 0u) << store->TagText();
        }
    }

    TempDir dir;
    TvDocument source;
    Bytes full;
    std::size_t expenseStart = 0; // where the expense tag begins
    std::size_t expenseCount = 0; // where the expense record count begins
    std::size_t tripCount = 0;    // where the trip record count begins
};

} // namespace

TEST_F(TruncationTest, CutPointsAreWhereTheLayoutSays) {
    ASSERT_GT(full.size(), expenseCount);
    EXPECT_EQ(Prefix(Bytes(full.begin() + expenseStart, full.end()), 4), BytesOf("Exps"));
    // The trip block's count is the number of trips, big-endian.
    EXPECT_EQ(full[tripCount + 3], source.Trips().Count());
    EXPECT_EQ(full[tripCount], 0);
    EXPECT_EQ(full[expenseCount + 3], source.Expenses().Count());
}

TEST_F(TruncationTest, EveryPrefixFailsCleanlyOrIsAnAllowedCut) {
    const std::set<std::size_t> accepted = {tripCount, expenseStart, expenseCount};
    const std::string path = dir.File("cut.tv");
    std::size_t opened = 0;
    for (std::size_t length = 1; length < full.size(); ++length) {
        WriteFileBytes(path, Prefix(full, length));
        TvDocument doc;
        // Something loaded before must not survive a failed open.
        if (length % 101 == 0) {
            FillEveryKind(doc);
            doc.SelectedVehicle = &doc.Vehicles().Records()[0];
        }
        const bool ok = doc.OnOpenDocument(path);
        if (accepted.count(length) != 0) {
            ++opened;
            EXPECT_TRUE(ok) << "prefix " << length << ": " << doc.LastError();
            continue;
        }
        ASSERT_FALSE(ok) << "prefix " << length << " of " << full.size() << " was accepted";
        ASSERT_EQ(doc.LastError(), "File has a bad format. " + path) << "prefix " << length;
        ExpectEmpty(doc);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.SelectedVehicle, nullptr);
        if (HasFailure())
            FAIL() << "prefix " << length;
    }
    EXPECT_EQ(opened, 3u);
}

TEST_F(TruncationTest, CutBeforeTheTripRecordsLeavesTheTripsEmpty) {
    WriteFileBytes(dir.File("cut.tv"), Prefix(full, tripCount));
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("cut.tv"))) << doc.LastError();
    EXPECT_EQ(doc.Vehicles().Count(), source.Vehicles().Count());
    EXPECT_EQ(doc.ServiceTypes().Count(), source.ServiceTypes().Count());
    EXPECT_EQ(doc.Services().Count(), source.Services().Count());
    EXPECT_EQ(doc.Trips().Count(), 0u);
    // The trip block's header was read.
    EXPECT_EQ(doc.Trips().Settings, source.Trips().Settings);
    EXPECT_EQ(doc.Trips().Categories.Size(), source.Trips().Categories.Size());
    EXPECT_EQ(doc.Expenses().Count(), 0u);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(TruncationTest, CutAfterTheTripBlockLeavesTheExpensesEmpty) {
    WriteFileBytes(dir.File("cut.tv"), Prefix(full, expenseStart));
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("cut.tv"))) << doc.LastError();
    ASSERT_EQ(doc.Trips().Count(), source.Trips().Count());
    EXPECT_EQ(doc.Trips().Records().back().Note, source.Trips().Records().back().Note);
    EXPECT_EQ(doc.Expenses().Count(), 0u);
}

TEST_F(TruncationTest, CutBeforeTheExpenseRecordsKeepsTheExpenseHeader) {
    WriteFileBytes(dir.File("cut.tv"), Prefix(full, expenseCount));
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("cut.tv"))) << doc.LastError();
    EXPECT_EQ(doc.Trips().Count(), source.Trips().Count());
    EXPECT_EQ(doc.Expenses().Count(), 0u);
    EXPECT_EQ(doc.Expenses().Settings, source.Expenses().Settings);
    EXPECT_EQ(doc.Expenses().Categories.Size(), source.Expenses().Categories.Size());
}
