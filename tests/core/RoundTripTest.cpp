// A data set saved, read back and saved again comes out byte for byte the
// same, with every field value kept.

#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

using namespace tvtest;

namespace {

class RoundTripTest : public FixedZoneTest {
protected:
    TempDir dir;
};

// The size of a store block from its contents, by the file layout.
std::size_t BlockSize(const RecordStore& store, std::size_t recordBytes) {
    std::size_t size = 4 + 4 + 4 + 4 + 4 + 16 + 4; // tag .. category count, settings, count
    for (const CategoryEntry& entry : store.Categories.Items())
        if (entry.Category != 0)
            size += 4 + 4 + 4 + 4 + entry.Name.size();
    return size + recordBytes;
}

std::size_t ExpectedFileSize(const TvDocument& doc) {
    std::size_t size =
        BlockSize(doc.Vehicles(), doc.Vehicles().Count() * (12 + 20 + 20 + 24 + 68 + 4 + 4));
    size += BlockSize(doc.ServiceTypes(), doc.ServiceTypes().Count() * (12 + 24 + 4 + 1 + 1 + 4));
    std::size_t notes = 0;
    for (const ServiceRecord& entry : doc.Services().Records())
        notes += entry.Note.size();
    size +=
        BlockSize(doc.Services(), doc.Services().Count() * (12 + 4 + 12 + 2 + 4 + 4 + 4) + notes);
    notes = 0;
    for (const TripRecord& trip : doc.Trips().Records())
        notes += trip.Note.size();
    size +=
        BlockSize(doc.Trips(), doc.Trips().Count() * (12 + 36 + 4 + 4 + 12 + 12 + 4 + 4) + notes);
    notes = 0;
    for (const ExpenseRecord& expense : doc.Expenses().Records())
        notes += expense.Note.size();
    size += BlockSize(doc.Expenses(),
                      doc.Expenses().Count() * (12 + 36 + 36 + 20 + 4 + 12 + 4 + 2 + 4 + 4 + 4) +
                          notes);
    return size;
}

} // namespace

TEST_F(RoundTripTest, SavedReadAndSavedAgainIsByteForByteTheSame) {
    TvDocument first;
    FillEveryKind(first);
    ASSERT_TRUE(first.OnSaveDocument(dir.File("first.tv"))) << first.LastError();
    const Bytes firstBytes = ReadFileBytes(dir.File("first.tv"));
    EXPECT_EQ(firstBytes.size(), ExpectedFileSize(first));

    TvDocument second;
    ASSERT_TRUE(second.OnOpenDocument(dir.File("first.tv"))) << second.LastError();
    EXPECT_FALSE(second.IsModified());
    ASSERT_TRUE(second.OnSaveDocument(dir.File("second.tv"))) << second.LastError();
    EXPECT_EQ(ReadFileBytes(dir.File("second.tv")), firstBytes);
}

TEST_F(RoundTripTest, EveryFieldValueIsKept) {
    TvDocument first;
    FillEveryKind(first);
    ASSERT_TRUE(first.OnSaveDocument(dir.File("data.tv")));
    TvDocument second;
    ASSERT_TRUE(second.OnOpenDocument(dir.File("data.tv"))) << second.LastError();
    ExpectSameData(first, second);
    ASSERT_EQ(second.Vehicles().Count(), 3u);
    ASSERT_EQ(second.Trips().Count(), 3u);
    ASSERT_EQ(second.Services().Count(), 3u);
    ASSERT_EQ(second.Expenses().Count(), 3u);

    // Spot checks of what the comparison relies on.
    const VehicleRecord& civic = second.Vehicles().Records()[0];
    EXPECT_EQ(civic.Name.View(), "Civic");
    EXPECT_EQ(civic.Name.bytes[6], 'x');
    EXPECT_EQ(civic.Flags, 0x40u);
    EXPECT_EQ(second.Vehicles().Records()[1].Odometer, -5);
    EXPECT_TRUE(second.Vehicles().Records()[1].IsDeleted());
    EXPECT_TRUE(second.Trips().UsesKilometres());
    EXPECT_EQ(second.Trips().Records()[0].Note, "Client visit, caf\xE9 stop");
    EXPECT_TRUE(second.Trips().Categories.FindByIndex(2)->IsDeleted());
    EXPECT_EQ(second.Services().Records()[1].Note.size(), 255u);
    EXPECT_EQ(second.Expenses().Records()[2].Cost, -500);
}

TEST_F(RoundTripTest, TheSecondDocumentIsTheSameThroughAThirdSave) {
    // Saving the same data twice from one document gives the same bytes: the
    // writer does not depend on anything but the data.
    TvDocument doc;
    FillEveryKind(doc);
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("a.tv")));
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("b.tv")));
    EXPECT_EQ(ReadFileBytes(dir.File("a.tv")), ReadFileBytes(dir.File("b.tv")));
}

TEST_F(RoundTripTest, LargeDocumentOverSeveralBuffersRoundTrips) {
    TvDocument first;
    FillEveryKind(first);
    AddTrips(first, 20000); // well over 1 MiB
    ASSERT_TRUE(first.OnSaveDocument(dir.File("big.tv")));
    const Bytes bytes = ReadFileBytes(dir.File("big.tv"));
    EXPECT_GT(bytes.size(), 2u * 1024 * 1024);
    EXPECT_EQ(bytes.size(), ExpectedFileSize(first));

    TvDocument second;
    ASSERT_TRUE(second.OnOpenDocument(dir.File("big.tv"))) << second.LastError();
    ASSERT_EQ(second.Trips().Count(), first.Trips().Count());
    EXPECT_EQ(second.Trips().Records().back().Note, "Note of trip 19999");
    ASSERT_TRUE(second.OnSaveDocument(dir.File("big2.tv")));
    EXPECT_EQ(ReadFileBytes(dir.File("big2.tv")), bytes);
}

TEST_F(RoundTripTest, LongTextsAreCutToWhatTheFileCanHold) {
    TvDocument first;
    FillEveryKind(first);
    first.Trips().Records()[0].Note = std::string(400, 'n');
    first.Services().Records()[0].Note = std::string(256, 's');
    first.Expenses().Records()[0].Note = std::string(1000, 'e');
    first.Trips().Categories.FindByIndex(1)->Name = "A name far too long for a category";
    ASSERT_TRUE(first.OnSaveDocument(dir.File("long.tv"))) << first.LastError();

    TvDocument second;
    ASSERT_TRUE(second.OnOpenDocument(dir.File("long.tv"))) << second.LastError();
    ASSERT_EQ(second.Trips().Count(), 3u);
    ASSERT_EQ(second.Services().Count(), 3u);
    ASSERT_EQ(second.Expenses().Count(), 3u);
    EXPECT_EQ(second.Trips().Records()[0].Note, std::string(255, 'n'));
    EXPECT_EQ(second.Services().Records()[0].Note, std::string(255, 's'));
    EXPECT_EQ(second.Expenses().Records()[0].Note, std::string(255, 'e'));
    EXPECT_EQ(second.Trips().Categories.FindByIndex(1)->Name, "A name far too ");
}
