// The data file format, checked against bytes built by hand: field order and
// widths of every block, tolerated variants, and malformed input.

#include "MExcept.h"
#include "MFile.h"
#include "RecordStore.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tvtest;

namespace {

class DataFileTest : public FixedZoneTest {};

// Records in file form, fields in file order.
void Vehicle(ByteBuilder& b, std::uint32_t uid, std::uint32_t category, std::uint32_t flags,
             std::string_view name, std::string_view license, std::string_view vin,
             std::string_view insurance, std::int32_t odometer, std::uint32_t id) {
    b.U32(uid).U32(category).U32(flags);
    b.Fixed(16, name).Fixed(16, license).Fixed(20, vin).Fixed(64, insurance);
    b.I32(odometer).U32(id);
}

void ServiceType(ByteBuilder& b, std::uint32_t uid, std::string_view name, std::int32_t distance,
                 std::uint8_t unit, std::uint8_t count, std::uint32_t id) {
    b.U32(uid).U32(0).U32(0).Fixed(20, name).I32(distance).U8(unit).U8(count).U32(id);
}

void Trip(ByteBuilder& b, std::uint32_t uid, std::string_view destination, std::string_view note) {
    b.U32(uid).U32(0).U32(0).Fixed(32, destination).I32(10).I32(20);
    b.Date(0, 0, 8, 9, 6, 2004).Date(0, 30, 9, 9, 6, 2004);
    b.U32(0x80000002).Str(note);
}

void Service(ByteBuilder& b, std::string_view note) {
    b.U32(1).U32(0).U32(0).I32(100).Date(0, 0, 0, 1, 1, 2004).U16(1).U32(2).U32(3).Str(note);
}

void Expense(ByteBuilder& b, std::string_view note) {
    b.U32(1).U32(0).U32(0).Fixed(32, "v").Fixed(32, "d").Fixed(16, "");
    b.I32(1).Date(0, 0, 0, 1, 1, 2004).I32(2).U16(1).I32(3).U32(4).Str(note);
}

// A file with one record of each kind and distinct values in every field,
// so that two swapped fields cannot go unnoticed.
ByteBuilder HandBuiltFile() {
    ByteBuilder b;
    b.BlockStart("Vehi", 0x80000007, 0x81, 2);
    b.Category(1, 0x00112233, 0, "Fleet");
    b.Category(2, 0x44, 1, "Sold");
    b.Settings(1, 2, 3, 4).U32(1);
    Vehicle(b, 0x0A0B0C0D, 1, 0x44, "Civic", "ABC-123", "VIN0123456789", "Acme", -123456,
            0x80000002);

    b.BlockStart("STyp", 0x80000003).Settings(0, 0, 0, 0xFFFFFFFF).U32(1);
    ServiceType(b, 0x11, "Oil change", 3000, 3, 6, 0x80000005);

    b.BlockStart("Serv", 0x23).Settings().U32(1);
    b.U32(0x21).U32(0).U32(4).I32(130000).Date(30, 5, 14, 9, 6, 2004);
    b.U16(0x8001).U32(0x80000005).U32(0x80000009).Str("Synthetic");

    b.BlockStart("Trip", 0x80000000, 0x90, 1).Category(1, 0x77, 4, "Business");
    b.Settings(2, 0, 0, 0).U32(1);
    b.U32(0x31).U32(1).U32(0).Fixed(32, "Boston").I32(1000).I32(1200);
    b.Date(0, 0, 8, 9, 6, 2004).Date(15, 30, 9, 9, 6, 2004).U32(0x80000002).Str("Client");

    b.BlockStart("Exps").Settings(0, 0, 0, 9).U32(1);
    b.U32(0x41).U32(0).U32(1).Fixed(32, "Shell").Fixed(32, "Regular").Fixed(16, "hidden");
    b.I32(12345).Date(0, 15, 7, 10, 6, 2004).I32(1100).U16(0x0101).I32(10500).U32(0x80000002);
    b.Str("");
    return b;
}

std::unique_ptr<RecordStore> StoreFor(int index) {
    switch (index) {
    case 0:
        return std::make_unique<VehicleStore>();
    case 1:
        return std::make_unique<ServiceTypeStore>();
    case 2:
        return std::make_unique<ServiceStore>();
    case 3:
        return std::make_unique<TripStore>();
    default:
        return std::make_unique<ExpenseStore>();
    }
}

void ReadStore(RecordStore& store, const Bytes& bytes) {
    MFile file = MemoryFile(bytes);
    store.Read(file);
}

Bytes WrittenStore(const RecordStore& store) {
    MFile file = MemoryFile();
    store.Write(file);
    return ContentsOf(file);
}

std::vector<std::string> CategoryNames(const RecordStore& store) {
    std::vector<std::string> names;
    for (const CategoryEntry& entry : store.Categories.Items())
        names.push_back(entry.Name);
    return names;
}

// A vehicle block holding the given record bytes.
Bytes VehicleBlock(const std::function<void(ByteBuilder&)>& records, std::uint32_t count = 1) {
    ByteBuilder b;
    b.BlockStart("Vehi").Settings().U32(count);
    records(b);
    return b.Get();
}

} // namespace

TEST_F(DataFileTest, EveryFieldIsReadFromItsPlace) {
    TempDir dir;
    WriteFileBytes(dir.File("TvData.tv"), HandBuiltFile().Get());
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("TvData.tv"))) << doc.LastError();
    EXPECT_FALSE(doc.IsModified());

    const VehicleStore& vehicles = doc.Vehicles();
    EXPECT_EQ(vehicles.IdCounter, 0x80000007u);
    EXPECT_EQ(vehicles.Categories.LastUniqueId, 0x81u);
    EXPECT_EQ(vehicles.Settings, (std::array<std::uint32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(CategoryNames(vehicles), (std::vector<std::string>{"Fleet", "Sold", "Unfiled"}));
    const CategoryEntry& fleet = vehicles.Categories.Items().front();
    EXPECT_EQ(fleet.Category, 1u);
    EXPECT_EQ(fleet.Uid, 0x00112233u);
    EXPECT_EQ(fleet.Flags, 0u);
    EXPECT_TRUE(vehicles.Categories.FindByIndex(2)->IsDeleted());
    const CategoryEntry* unfiled = vehicles.Categories.FindByIndex(0);
    ASSERT_NE(unfiled, nullptr);
    EXPECT_EQ(unfiled->Name, "Unfiled");
    EXPECT_EQ(unfiled->Uid, 0u);
    EXPECT_EQ(unfiled->Flags, 0u);
    ASSERT_EQ(vehicles.Count(), 1u);
    const VehicleRecord& civic = vehicles.Records()[0];
    EXPECT_EQ(civic.Uid, 0x0A0B0C0Du);
    EXPECT_EQ(civic.Category, 1u);
    EXPECT_EQ(civic.Flags, 0x44u);
    EXPECT_EQ(civic.Name.View(), "Civic");
    EXPECT_EQ(civic.License.View(), "ABC-123");
    EXPECT_EQ(civic.Vin.View(), "VIN0123456789");
    EXPECT_EQ(civic.Insurance.View(), "Acme");
    EXPECT_EQ(civic.Odometer, -123456);
    EXPECT_EQ(civic.VehicleId, 0x80000002u);

    const ServiceTypeStore& types = doc.ServiceTypes();
    EXPECT_EQ(types.IdCounter, 0x80000003u);
    EXPECT_EQ(types.Settings[3], 0xFFFFFFFFu);
    ASSERT_EQ(types.Count(), 1u);
    const ServiceTypeRecord& oil = types.Records()[0];
    EXPECT_EQ(oil.Uid, 0x11u);
    EXPECT_EQ(oil.Name.View(), "Oil change");
    EXPECT_EQ(oil.DistanceInterval, 3000);
    EXPECT_EQ(oil.TimeUnit, 3);
    EXPECT_EQ(oil.TimeCount, 6);
    EXPECT_EQ(oil.ServiceTypeId, 0x80000005u);
    EXPECT_EQ(oil.IntervalDays(), 180);

    const ServiceStore& services = doc.Services();
    EXPECT_EQ(services.IdCounter, 0x23u);
    EXPECT_EQ(CategoryNames(services), (std::vector<std::string>{"Unfiled"}));
    ASSERT_EQ(services.Count(), 1u);
    const ServiceRecord& entry = services.Records()[0];
    EXPECT_EQ(entry.Uid, 0x21u);
    EXPECT_EQ(entry.Flags, 4u);
    EXPECT_EQ(entry.Odometer, 130000);
    EXPECT_EQ(entry.Date.DateTimeText(), "6/9/2004 14:05");
    EXPECT_EQ(entry.Date.GetSecond(), 30);
    EXPECT_EQ(entry.ServiceFlags, 0x8001);
    EXPECT_TRUE(entry.IsCompleted());
    EXPECT_EQ(entry.ServiceTypeId, 0x80000005u);
    EXPECT_EQ(entry.VehicleId, 0x80000009u);
    EXPECT_EQ(entry.Note, "Synthetic");

    const TripStore& trips = doc.Trips();
    EXPECT_TRUE(trips.UsesKilometres());
    EXPECT_EQ(trips.Categories.LastUniqueId, 0x90u);
    EXPECT_EQ(CategoryNames(trips), (std::vector<std::string>{"Business", "Unfiled"}));
    ASSERT_EQ(trips.Count(), 1u);
    const TripRecord& trip = trips.Records()[0];
    EXPECT_EQ(trip.Uid, 0x31u);
    EXPECT_EQ(trip.Category, 1u);
    EXPECT_EQ(trip.Destination.View(), "Boston");
    EXPECT_EQ(trip.StartOdometer, 1000);
    EXPECT_EQ(trip.EndOdometer, 1200);
    EXPECT_EQ(trip.Start.DateTimeText(), "6/9/2004 8:00");
    EXPECT_EQ(trip.End.DateTimeText(), "6/9/2004 9:30");
    EXPECT_EQ(trip.End.GetSecond(), 15);
    EXPECT_EQ(trip.VehicleId, 0x80000002u);
    EXPECT_EQ(trip.Note, "Client");

    const ExpenseStore& expenses = doc.Expenses();
    EXPECT_EQ(expenses.Settings[3], 9u);
    ASSERT_EQ(expenses.Count(), 1u);
    const ExpenseRecord& fuel = expenses.Records()[0];
    EXPECT_EQ(fuel.Uid, 0x41u);
    EXPECT_TRUE(fuel.IsDeleted());
    EXPECT_EQ(fuel.Vendor.View(), "Shell");
    EXPECT_EQ(fuel.Description.View(), "Regular");
    EXPECT_EQ(fuel.ExtraText.View(), "hidden");
    EXPECT_EQ(fuel.Cost, 12345);
    EXPECT_EQ(fuel.Date.DateTimeText(), "6/10/2004 7:15");
    EXPECT_EQ(fuel.Odometer, 1100);
    EXPECT_EQ(fuel.ExpenseFlags, 0x0101);
    EXPECT_TRUE(fuel.IsFuelPurchase());
    EXPECT_EQ(fuel.Volume, 10500);
    EXPECT_EQ(fuel.VehicleId, 0x80000002u);
    EXPECT_EQ(fuel.Note, "");
}

TEST_F(DataFileTest, EveryFieldIsWrittenToItsPlace) {
    TempDir dir;
    const Bytes original = HandBuiltFile().Get();
    WriteFileBytes(dir.File("in.tv"), original);
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("in.tv"))) << doc.LastError();
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("out.tv"))) << doc.LastError();
    EXPECT_EQ(ReadFileBytes(dir.File("out.tv")), original);
}

TEST_F(DataFileTest, ReversedTagAndVersionAreAcceptedAndWrittenInOrder) {
    for (int i = 0; i < 5; ++i) {
        const std::string tag = kTags[i];
        SCOPED_TRACE(tag);
        const std::string reversed(tag.rbegin(), tag.rend());
        ByteBuilder b;
        b.Tag(reversed).U32(0x0001504D).U32(0x80000009).U32(128).U32(0).Settings(5).U32(0);

        auto store = StoreFor(i);
        ASSERT_NO_THROW(ReadStore(*store, b.Get()));
        EXPECT_EQ(store->IdCounter, 0x80000009u);
        EXPECT_EQ(store->Settings[0], 5u);

        ByteBuilder expected;
        expected.Tag(tag).U32(kVersion).U32(0x80000009).U32(128).U32(0).Settings(5).U32(0);
        EXPECT_EQ(WrittenStore(*store), expected.Get());
    }
}

TEST_F(DataFileTest, WholeFileWithReversedWordsIsRewrittenInOrder) {
    TempDir dir;
    ByteBuilder reversed;
    ByteBuilder normal;
    for (const char* tag : kTags) {
        const std::string t = tag;
        reversed.Tag(std::string(t.rbegin(), t.rend())).U32(0x0001504D);
        reversed.U32(0x80000000).U32(128).U32(0).Settings().U32(0);
        normal.EmptyBlock(t);
    }
    WriteFileBytes(dir.File("in.tv"), reversed.Get());
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("in.tv"))) << doc.LastError();
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("out.tv")));
    EXPECT_EQ(ReadFileBytes(dir.File("out.tv")), normal.Get());
}

TEST_F(DataFileTest, WrongTagIsABadFormat) {
    for (const char* wrong : {"Vehx", "heVi", "STyp", "\0\0\0\0", "VEHI"}) {
        VehicleStore store;
        ByteBuilder b;
        b.Raw(std::string_view(wrong, 4)).U32(kVersion).U32(0).U32(128).U32(0).Settings().U32(0);
        EXPECT_THROW(ReadStore(store, b.Get()), MExceptFileBadFormat) << wrong;
    }
    // A wrong tag where the expense block belongs is not a missing block.
    ExpenseStore expenses;
    EXPECT_THROW(ReadStore(expenses, ByteBuilder().EmptyBlock("Trip").Get()), MExceptFileBadFormat);
}

TEST_F(DataFileTest, WrongVersionIsABadFormat) {
    for (std::uint32_t version : {0x4D500101u, 0x4D500000u, 0u, 0x01004D50u, 0xFFFFFFFFu}) {
        TripStore store;
        ByteBuilder b;
        b.Tag("Trip").U32(version).U32(0).U32(128).U32(0).Settings().U32(0);
        EXPECT_THROW(ReadStore(store, b.Get()), MExceptFileBadFormat) << std::hex << version;
    }
}

TEST_F(DataFileTest, StoresInTheWrongOrderAreABadFormat) {
    TempDir dir;
    ByteBuilder b;
    for (const char* tag : {"STyp", "Vehi", "Serv", "Trip", "Exps"})
        b.EmptyBlock(tag);
    WriteFileBytes(dir.File("swapped.tv"), b.Get());
    TvDocument doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("swapped.tv")));
    EXPECT_EQ(doc.LastError(), "File has a bad format. " + dir.File("swapped.tv"));
}

TEST_F(DataFileTest, CategoryBlockWithoutEntriesGivesOnlyUnfiled) {
    ServiceStore store;
    ReadStore(store, ByteBuilder().BlockStart("Serv", 1, 0x222, 0).Settings().U32(0).Get());
    ASSERT_EQ(store.Categories.Size(), 1u);
    const CategoryEntry& unfiled = store.Categories.Items().front();
    EXPECT_EQ(unfiled.Name, "Unfiled");
    EXPECT_EQ(unfiled.Category, 0u);
    EXPECT_EQ(unfiled.Uid, 0u);
    EXPECT_EQ(unfiled.Flags, 0u);
    EXPECT_EQ(store.Categories.LastUniqueId, 0x222u);
}

TEST_F(DataFileTest, CategoriesAreSortedOnReadingAndWrittenInListOrder) {
    ByteBuilder in;
    in.BlockStart("Trip", 0x80000000, 130, 3);
    in.Category(1, 0x101, 0, "Work").Category(2, 0x102, 1, "Business").Category(3, 0x103, 4, "car");
    in.Settings().U32(0);
    TripStore store;
    ReadStore(store, in.Get());
    EXPECT_EQ(CategoryNames(store),
              (std::vector<std::string>{"Business", "Work", "car", "Unfiled"}));

    ByteBuilder out;
    out.BlockStart("Trip", 0x80000000, 130, 3);
    out.Category(2, 0x102, 1, "Business")
        .Category(1, 0x101, 0, "Work")
        .Category(3, 0x103, 4, "car");
    out.Settings().U32(0);
    EXPECT_EQ(WrittenStore(store), out.Get());
}

TEST_F(DataFileTest, UnfiledIsNeverWritten) {
    ExpenseStore store;
    CategoryEntry unfiled;
    unfiled.Name = "Unfiled";
    store.Categories.Add(unfiled);
    CategoryEntry fuel;
    fuel.Category = 7;
    fuel.Uid = 0x99;
    fuel.Flags = RecordFlags::Deleted;
    fuel.Name = "Fuel";
    store.Categories.Add(fuel);

    ByteBuilder expected;
    expected.BlockStart("Exps", 0x80000000, 128, 1).Category(7, 0x99, 1, "Fuel");
    expected.Settings().U32(0);
    EXPECT_EQ(WrittenStore(store), expected.Get());

    // Nor is any other entry at index 0.
    store.Categories.FindByIndex(0)->Name = "Renamed";
    EXPECT_EQ(WrittenStore(store), expected.Get());
}

TEST_F(DataFileTest, CategoryNameOfFifteenCharactersFitsAndSixteenDoesNot) {
    ByteBuilder fits;
    fits.BlockStart("Trip", 0, 128, 1).Category(1, 1, 0, "ABCDEFGHIJKLMNO").Settings().U32(0);
    TripStore store;
    ReadStore(store, fits.Get());
    EXPECT_EQ(store.Categories.FindByIndex(1)->Name, "ABCDEFGHIJKLMNO");

    ByteBuilder tooLong;
    tooLong.BlockStart("Trip", 0, 128, 1).Category(1, 1, 0, "ABCDEFGHIJKLMNOP").Settings().U32(0);
    TripStore other;
    EXPECT_THROW(ReadStore(other, tooLong.Get()), MExceptBufferExceeded);
}

TEST_F(DataFileTest, ServiceTypeTimeUnitAboveFourIsABadFormat) {
    for (std::uint8_t unit : {5, 0x80, 0xFF}) {
        ByteBuilder b;
        b.BlockStart("STyp").Settings().U32(1);
        ServiceType(b, 1, "Bad", 0, unit, 1, 1);
        ServiceTypeStore store;
        EXPECT_THROW(ReadStore(store, b.Get()), MExceptFileBadFormat) << int{unit};
    }
    for (std::uint8_t unit = 0; unit <= 4; ++unit) {
        ByteBuilder b;
        b.BlockStart("STyp").Settings().U32(1);
        ServiceType(b, 1, "Good", 0, unit, 1, 1);
        ServiceTypeStore store;
        ReadStore(store, b.Get());
        ASSERT_EQ(store.Count(), 1u);
        EXPECT_EQ(store.Records()[0].TimeUnit, unit);
    }
}

TEST_F(DataFileTest, FileOfFourBlocksOpensWithAnEmptyExpenseLog) {
    TempDir dir;
    ByteBuilder b;
    for (int i = 0; i < 4; ++i)
        b.EmptyBlock(kTags[i]);
    WriteFileBytes(dir.File("four.tv"), b.Get());

    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("four.tv"))) << doc.LastError();
    EXPECT_EQ(doc.Expenses().Count(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(CategoryNames(doc.Trips()), (std::vector<std::string>{"Unfiled"}));
    // Like every list read from a file, the absent block's list has "Unfiled".
    EXPECT_EQ(CategoryNames(doc.Expenses()), (std::vector<std::string>{"Unfiled"}));

    // Saving adds a complete, empty expense block.
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("five.tv")));
    b.EmptyBlock("Exps");
    EXPECT_EQ(ReadFileBytes(dir.File("five.tv")), b.Get());
}

TEST_F(DataFileTest, MissingRecordCountLeavesTheStoreWithoutRecords) {
    TripStore store;
    ReadStore(store, ByteBuilder().BlockStart("Trip", 5, 128, 0).Settings(2).Get());
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.IdCounter, 5u);
    EXPECT_TRUE(store.UsesKilometres());
    EXPECT_EQ(CategoryNames(store), (std::vector<std::string>{"Unfiled"}));
}

TEST_F(DataFileTest, EmptyInputIsAMissingBlockOnlyForExpenses) {
    ExpenseStore expenses;
    EXPECT_NO_THROW(ReadStore(expenses, {}));
    EXPECT_EQ(expenses.Count(), 0u);
    for (int i = 0; i < 4; ++i) {
        auto store = StoreFor(i);
        EXPECT_THROW(ReadStore(*store, {}), MExceptFileBadFormat) << kTags[i];
    }
}

TEST_F(DataFileTest, ShortFixedTextKeepsZerosAfterItAndIsWrittenFull) {
    const Bytes in = VehicleBlock(
        [](ByteBuilder& b) {
            Vehicle(b, 1, 0, 0, "ABCDEFGHIJKLMNO", "", "", "", 0, 1);
            // The second record's name is stored with 3 bytes only.
            b.U32(2).U32(0).U32(0).U32(3).Raw("Abc");
            b.Fixed(16, "L").Fixed(20, "V").Fixed(64, "I").I32(7).U32(2);
        },
        2);
    VehicleStore store;
    ReadStore(store, in);
    ASSERT_EQ(store.Count(), 2u);
    const VehicleRecord& second = store.Records()[1];
    EXPECT_EQ(second.Name.View(), "Abc");
    for (std::size_t i = 3; i < 16; ++i)
        EXPECT_EQ(second.Name.bytes[i], '\0') << i;
    EXPECT_EQ(second.License.View(), "L");
    EXPECT_EQ(second.Odometer, 7);

    const Bytes expected = VehicleBlock(
        [](ByteBuilder& b) {
            Vehicle(b, 1, 0, 0, "ABCDEFGHIJKLMNO", "", "", "", 0, 1);
            Vehicle(b, 2, 0, 0, "Abc", "L", "V", "I", 7, 2);
        },
        2);
    EXPECT_EQ(WrittenStore(store), expected);
}

TEST_F(DataFileTest, FixedTextWithoutTerminatorShowsOneCharacterLess) {
    const Bytes in = VehicleBlock([](ByteBuilder& b) {
        Vehicle(b, 1, 0, 0, "ABCDEFGHIJKLMNOP", "0123456789abcdef", std::string(20, 'v'),
                std::string(64, 'i'), 0, 1);
    });
    VehicleStore store;
    ReadStore(store, in);
    ASSERT_EQ(store.Count(), 1u);
    const VehicleRecord& vehicle = store.Records()[0];
    EXPECT_EQ(vehicle.Name.View(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(vehicle.License.View(), "0123456789abcde");
    EXPECT_EQ(vehicle.Vin.View(), std::string(19, 'v'));
    EXPECT_EQ(vehicle.Insurance.View(), std::string(63, 'i'));
    // The stored bytes go back unchanged.
    EXPECT_EQ(WrittenStore(store), in);
}

TEST_F(DataFileTest, BytesAfterTheTerminatorSurviveReadingAndWriting) {
    const Bytes in = VehicleBlock([](ByteBuilder& b) {
        b.U32(1).U32(0).U32(0).Fixed(16, std::string("Civic\0old name", 14));
        b.Fixed(16, "").Fixed(20, "").Fixed(64, std::string("\0\0tail", 6)).I32(0).U32(1);
    });
    VehicleStore store;
    ReadStore(store, in);
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.Records()[0].Name.View(), "Civic");
    EXPECT_EQ(store.Records()[0].Insurance.View(), "");
    EXPECT_EQ(WrittenStore(store), in);
}

TEST_F(DataFileTest, FixedTextLongerThanItsFieldIsRefused) {
    const Bytes in = VehicleBlock([](ByteBuilder& b) {
        b.U32(1).U32(0).U32(0).U32(17).Raw(std::string(17, 'n'));
        b.Fixed(16, "").Fixed(20, "").Fixed(64, "").I32(0).U32(1);
    });
    VehicleStore store;
    EXPECT_THROW(ReadStore(store, in), MExceptBufferExceeded);
}

TEST_F(DataFileTest, NoteOf255CharactersFitsAnd256DoNot) {
    const std::string longest(255, 'n');
    const std::string tooLong(256, 'n');
    auto block = [](const char* tag, const std::function<void(ByteBuilder&)>& record) {
        ByteBuilder b;
        b.BlockStart(tag).Settings().U32(1);
        record(b);
        return b.Get();
    };

    TripStore trips;
    ReadStore(trips, block("Trip", [&](ByteBuilder& b) { Trip(b, 1, "x", longest); }));
    ASSERT_EQ(trips.Count(), 1u);
    EXPECT_EQ(trips.Records()[0].Note, longest);
    TripStore trips2;
    EXPECT_THROW(
        ReadStore(trips2, block("Trip", [&](ByteBuilder& b) { Trip(b, 1, "x", tooLong); })),
        MExceptBufferExceeded);

    ServiceStore services;
    ReadStore(services, block("Serv", [&](ByteBuilder& b) { Service(b, longest); }));
    ASSERT_EQ(services.Count(), 1u);
    EXPECT_EQ(services.Records()[0].Note, longest);
    ServiceStore services2;
    EXPECT_THROW(ReadStore(services2, block("Serv", [&](ByteBuilder& b) { Service(b, tooLong); })),
                 MExceptBufferExceeded);

    ExpenseStore expenses;
    ReadStore(expenses, block("Exps", [&](ByteBuilder& b) { Expense(b, longest); }));
    ASSERT_EQ(expenses.Count(), 1u);
    EXPECT_EQ(expenses.Records()[0].Note, longest);
    ExpenseStore expenses2;
    EXPECT_THROW(ReadStore(expenses2, block("Exps", [&](ByteBuilder& b) { Expense(b, tooLong); })),
                 MExceptBufferExceeded);
}

TEST_F(DataFileTest, TooLongNoteInAFileIsReportedWithThePath) {
    TempDir dir;
    ByteBuilder b;
    for (int i = 0; i < 3; ++i)
        b.EmptyBlock(kTags[i]);
    b.BlockStart("Trip").Settings().U32(1);
    Trip(b, 1, "x", std::string(300, 'n'));
    WriteFileBytes(dir.File("note.tv"), b.Get());
    TvDocument doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("note.tv")));
    // The message keeps its own full stop before the one of "%s. %s".
    EXPECT_EQ(doc.LastError(), "Buffer was exceeded.. " + dir.File("note.tv"));
    EXPECT_EQ(doc.Vehicles().Categories.Size(), 0u);
}

TEST_F(DataFileTest, UnnormalisedDatesAreKeptAsStored) {
    ByteBuilder in;
    in.BlockStart("Serv").Settings().U32(1);
    in.U32(1).U32(0).U32(0).I32(100).Date(61, 60, 25, 32, 13, 2004);
    in.U16(1).U32(2).U32(3).Str("");
    ServiceStore store;
    ReadStore(store, in.Get());
    ASSERT_EQ(store.Count(), 1u);
    const MTime& date = store.Records()[0].Date;
    EXPECT_EQ(date.GetMonth(), 12);
    EXPECT_EQ(date.GetDay(), 32);
    EXPECT_EQ(date.GetHour(), 25);
    EXPECT_EQ(WrittenStore(store), in.Get());
}

TEST_F(DataFileTest, HugeRecordCountInASmallFileFailsFast) {
    TempDir dir;
    ByteBuilder b;
    b.BlockStart("Vehi").Settings().U32(4000000000u);
    Vehicle(b, 1, 0, 0, "One", "", "", "", 0, 1);
    while (b.Size() < 200)
        b.U8(0x5A);
    ASSERT_EQ(b.Size(), 200u);
    WriteFileBytes(dir.File("huge.tv"), b.Get());

    const auto start = std::chrono::steady_clock::now();
    VehicleStore store;
    EXPECT_THROW(ReadStore(store, b.Get()), MExceptFileBadFormat);
    TvDocument doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("huge.tv")));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(doc.LastError(), "File has a bad format. " + dir.File("huge.tv"));
    EXPECT_EQ(doc.Vehicles().Count(), 0u);
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

// The smallest file form of each record kind (every text empty) bounds how
// many records the rest of a file can hold.
TEST_F(DataFileTest, RecordsWithEveryTextEmptyTakeTheSmallestStoredSize) {
    const std::function<void(ByteBuilder&)> smallest[5] = {
        [](ByteBuilder& b) {
            b.U32(1).U32(0).U32(0).Str("").Str("").Str("").Str("").I32(5).U32(7);
        },
        [](ByteBuilder& b) { b.U32(1).U32(0).U32(0).Str("").I32(0).U8(1).U8(2).U32(7); },
        [](ByteBuilder& b) {
            b.U32(1).U32(0).U32(0).I32(5).Date(0, 0, 0, 1, 1, 2004).U16(0).U32(7).U32(8).Str("");
        },
        [](ByteBuilder& b) {
            b.U32(1).U32(0).U32(0).Str("").I32(1).I32(2);
            b.Date(0, 0, 0, 1, 1, 2004).Date(0, 0, 1, 1, 1, 2004).U32(7).Str("");
        },
        [](ByteBuilder& b) {
            b.U32(1).U32(0).U32(0).Str("").Str("").Str("").I32(1);
            b.Date(0, 0, 0, 1, 1, 2004).I32(2).U16(0).I32(3).U32(7).Str("");
        },
    };
    const std::size_t minimum[5] = {
        VehicleRecord::kMinStoredSize, ServiceTypeRecord::kMinStoredSize,
        ServiceRecord::kMinStoredSize, TripRecord::kMinStoredSize, ExpenseRecord::kMinStoredSize};
    for (int i = 0; i < 5; ++i) {
        ByteBuilder one;
        smallest[i](one);
        EXPECT_EQ(one.Size(), minimum[i]) << kTags[i];

        ByteBuilder b;
        b.BlockStart(kTags[i]).Settings().U32(2);
        smallest[i](b);
        smallest[i](b);
        const auto store = StoreFor(i);
        ASSERT_NO_THROW(ReadStore(*store, b.Get())) << kTags[i];
        EXPECT_EQ(store->Count(), 2u) << kTags[i];
    }
}

TEST_F(DataFileTest, HugeCategoryCountInASmallFileFailsFast) {
    TempDir dir;
    ByteBuilder b;
    b.BlockStart("Vehi", 0x80000000, 128, 4000000000u);
    b.Category(1, 1, 0, "A").Category(2, 2, 0, "B");
    while (b.Size() < 200)
        b.U8(0);
    WriteFileBytes(dir.File("huge.tv"), b.Get());

    const auto start = std::chrono::steady_clock::now();
    VehicleStore store;
    EXPECT_THROW(ReadStore(store, b.Get()), MExceptFileBadFormat);
    TvDocument doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("huge.tv")));
    EXPECT_EQ(doc.LastError(), "File has a bad format. " + dir.File("huge.tv"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(DataFileTest, HugeTextLengthIsRefusedWithoutReadingOn) {
    const Bytes in = VehicleBlock([](ByteBuilder& b) {
        b.U32(1).U32(0).U32(0).U32(0xFFFFFFF0).Raw("abc");
        b.Fixed(16, "").Fixed(20, "").Fixed(64, "").I32(0).U32(1);
    });
    VehicleStore store;
    EXPECT_THROW(ReadStore(store, in), MExceptBufferExceeded);
}
