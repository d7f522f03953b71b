// The category block of every store holds at most 16 entries, one per
// index: a block of exactly 16 is read in full with everything after it, one
// of 17 makes the file "File has a bad format".

#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <string>

using namespace tvtest;

namespace {

const RecordStore& StoreAt(const TvDocument& doc, int block) {
    switch (block) {
    case 0:
        return doc.Vehicles();
    case 1:
        return doc.ServiceTypes();
    case 2:
        return doc.Services();
    case 3:
        return doc.Trips();
    default:
        return doc.Expenses();
    }
}

// A file whose block holds count categories, and whose every block carries
// its number in the first settings word.
Bytes FileWithCategories(int block, std::uint32_t count) {
    ByteBuilder b;
    for (int i = 0; i < 5; ++i) {
        const std::uint32_t entries = i == block ? count : 0;
        b.BlockStart(kTags[i], 0x80000000, 128 + entries, entries);
        for (std::uint32_t n = 1; n <= entries; ++n)
            b.Category(n, 1000 + n, 0, "Cat" + std::to_string(100 + n));
        b.Settings(0x5E770000u + static_cast<std::uint32_t>(i), 0, 0, 7).U32(0);
    }
    return b.Get();
}

class CategoryBlockTest : public FixedZoneTest {
protected:
    TempDir dir;
};

} // namespace

TEST_F(CategoryBlockTest, SixteenEntriesAreReadAndSeventeenAreABadFormat) {
    const std::string path = dir.File("TvData.tv");
    for (int block = 0; block < 5; ++block) {
        SCOPED_TRACE(kTags[block]);
        WriteFileBytes(path, FileWithCategories(block, 16));
        TvDocument doc;
        ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.LastError();
        const CategoryList& list = StoreAt(doc, block).Categories;
        ASSERT_EQ(list.Size(), 17u);
        EXPECT_EQ(list.Items().front().Name, "Cat101");
        EXPECT_EQ(list.Items().back().Name, "Unfiled");
        const CategoryEntry* last = list.FindByIndex(16);
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->Name, "Cat116");
        EXPECT_EQ(last->Uid, 1016u);
        EXPECT_EQ(list.LastUniqueId, 144u);
        // Everything after the sixteenth entry is where it belongs.
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(StoreAt(doc, i).Settings[0], 0x5E770000u + static_cast<std::uint32_t>(i));
            EXPECT_EQ(StoreAt(doc, i).Settings[3], 7u);
        }

        WriteFileBytes(path, FileWithCategories(block, 17));
        EXPECT_FALSE(doc.OnOpenDocument(path));
        EXPECT_EQ(doc.LastError(), "File has a bad format. " + path);
        EXPECT_EQ(StoreAt(doc, block).Categories.Size(), 0u);
    }
}
