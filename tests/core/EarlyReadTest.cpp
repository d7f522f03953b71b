// An early read taken over by an open leaves what a plain open of the file as
// it is then leaves, also when the file changed, broke or went away meanwhile.

#include "DataStores.h"
#include "SampleData.h"
#include "TestFiles.h"

#include <cstdio>
#include <functional>

using namespace tvtest;

namespace {

// Read through a mapping, into blocks kept as spares.
void SaveTrips(const std::string& path, std::size_t trips) {
    TvDocument doc;
    FillEveryKind(doc);
    AddTrips(doc, trips);
    ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
}

class EarlyReadTest : public FixedZoneTest {};

TEST_F(EarlyReadTest, AnOpenTakesOverOnlyTheFileAsItIsNow) {
    TempDir dir;
    const std::string path = dir.File("TvData.tv");
    const std::string other = dir.File("Other.tv");
    SaveTrips(other, 70000);
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"unchanged", [] {}},
        {"rewritten", [&] { SaveTrips(path, 66000); }},
        {"removed", [&] { std::remove(path.c_str()); }},
        {"cut short", [&] { WriteFileBytes(path, Prefix(ReadFileBytes(path), 5000)); }},
    };
    // Each open empties the stores of the file before and reuses their
    // memory; emptied stores keep their counters and settings words.
    TvDocument early;
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(early.OnOpenDocument(other));
        SaveTrips(path, 70000);
        EarlyRead read(path);
        read.Wait();
        change();
        const bool opened = early.OnOpenDocument(path, &read);
        TvDocument plain;
        ASSERT_TRUE(plain.OnOpenDocument(other));
        EXPECT_EQ(plain.OnOpenDocument(path), opened);
        EXPECT_EQ(early.LastError(), plain.LastError()); // the failing case comes last
        EXPECT_EQ(early.PathName(), plain.PathName());
        EXPECT_EQ(early.IsModified(), plain.IsModified());
        ExpectSameData(plain, early);
    }
}

} // namespace
