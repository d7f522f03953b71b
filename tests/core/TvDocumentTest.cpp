// The document: opening, new data sets, saving when modified, the filter
// references into the stores, and the trace entries of each operation.

#include "TvDocument.h"
#include "SampleData.h"
#include "TestFiles.h"
#include "TraceLog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace tvtest;

namespace {

class RecordingLog : public TraceLog {
public:
    void Log(const char* entry) override { entries.emplace_back(entry); }
    std::vector<std::string> entries;
};

// The desktop side of the document: records what the user would be told and
// answers the save-as question.
class TestDocument : public TvDocument {
public:
    std::optional<std::string> saveAsAnswer;
    int saveAsQuestions = 0;
    std::vector<std::string> reported;

protected:
    void ReportError(const std::string& text) override { reported.push_back(text); }
    std::optional<std::string> AskSaveAsPath() override {
        ++saveAsQuestions;
        return saveAsAnswer;
    }
};

std::vector<std::string> CategoryNames(const RecordStore& store) {
    std::vector<std::string> names;
    for (const CategoryEntry& entry : store.Categories.Items())
        names.push_back(entry.Name);
    return names;
}

class TvDocumentTest : public FixedZoneTest {
protected:
    // A data file holding the sample data set.
    std::string SampleFile(const std::string& name = "TvData.tv") {
        TvDocument writer;
        FillEveryKind(writer);
        const std::string path = dir.File(name);
        EXPECT_TRUE(writer.OnSaveDocument(path)) << writer.LastError();
        return path;
    }

    void ExpectAllStoresEmpty(const TvDocument& doc) {
        EXPECT_EQ(doc.Vehicles().Count(), 0u);
        EXPECT_EQ(doc.ServiceTypes().Count(), 0u);
        EXPECT_EQ(doc.Services().Count(), 0u);
        EXPECT_EQ(doc.Trips().Count(), 0u);
        EXPECT_EQ(doc.Expenses().Count(), 0u);
        EXPECT_EQ(doc.Vehicles().Categories.Size(), 0u);
        EXPECT_EQ(doc.ServiceTypes().Categories.Size(), 0u);
        EXPECT_EQ(doc.Services().Categories.Size(), 0u);
        EXPECT_EQ(doc.Trips().Categories.Size(), 0u);
        EXPECT_EQ(doc.Expenses().Categories.Size(), 0u);
    }

    void ExpectNewDataSet(const TvDocument& doc) {
        EXPECT_EQ(doc.Vehicles().Count(), 0u);
        EXPECT_EQ(doc.ServiceTypes().Count(), 0u);
        EXPECT_EQ(doc.Services().Count(), 0u);
        EXPECT_EQ(doc.Trips().Count(), 0u);
        EXPECT_EQ(doc.Expenses().Count(), 0u);
        EXPECT_EQ(CategoryNames(doc.Trips()), (std::vector<std::string>{"Unfiled"}));
        EXPECT_EQ(CategoryNames(doc.Expenses()), (std::vector<std::string>{"Unfiled"}));
        EXPECT_EQ(doc.Vehicles().Categories.Size(), 0u);
        EXPECT_EQ(doc.ServiceTypes().Categories.Size(), 0u);
        EXPECT_EQ(doc.Services().Categories.Size(), 0u);
        const CategoryEntry& unfiled = doc.Trips().Categories.Items().front();
        EXPECT_EQ(unfiled.Category, 0u);
        EXPECT_EQ(unfiled.Uid, 0u);
        EXPECT_EQ(unfiled.Flags, 0u);
        EXPECT_TRUE(doc.IsModified());
    }

    TempDir dir;
};

VehicleRecord& AddVehicle(TvDocument& doc, std::uint32_t id, std::int32_t odometer) {
    VehicleRecord vehicle = doc.Vehicles().CreateRecord();
    vehicle.VehicleId = id;
    vehicle.Odometer = odometer;
    return doc.Vehicles().Append(vehicle);
}

void AddTrip(TvDocument& doc, std::uint32_t vehicle, std::int32_t end, std::uint32_t flags = 0) {
    TripRecord trip = doc.Trips().CreateRecord();
    trip.VehicleId = vehicle;
    trip.EndOdometer = end;
    trip.Flags = flags;
    doc.Trips().Append(trip);
}

void AddService(TvDocument& doc, std::uint32_t vehicle, std::int32_t odometer, bool completed) {
    ServiceRecord entry = doc.Services().CreateRecord();
    entry.VehicleId = vehicle;
    entry.Odometer = odometer;
    entry.ServiceFlags = completed ? 1 : 0;
    doc.Services().Append(entry);
}

struct timespec ModificationTime(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

} // namespace

TEST_F(TvDocumentTest, OpeningAMissingPathCreatesTheFileAndANewDataSet) {
    const std::string path = dir.File("TvData.tv");
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.LastError();
    EXPECT_TRUE(PathExists(path));
    EXPECT_TRUE(ReadFileBytes(path).empty());
    ExpectNewDataSet(doc);
    EXPECT_EQ(doc.PathName(), path);
}

TEST_F(TvDocumentTest, OpeningAnEmptyFileGivesANewDataSet) {
    const std::string path = dir.File("TvData.tv");
    WriteFileBytes(path, {});
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.LastError();
    ExpectNewDataSet(doc);
}

TEST_F(TvDocumentTest, NewDataSetIsWrittenAtTheNextSave) {
    const std::string path = dir.File("TvData.tv");
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_FALSE(doc.IsModified());
    ByteBuilder expected;
    for (const char* tag : kTags)
        expected.EmptyBlock(tag);
    EXPECT_EQ(ReadFileBytes(path), expected.Get());
}

TEST_F(TvDocumentTest, OpeningAValidFileLoadsItUnmodified) {
    const std::string path = SampleFile();
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.LastError();
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(doc.Vehicles().Count(), 3u);
    EXPECT_EQ(doc.Expenses().Count(), 3u);
    // Every list gets "Unfiled" on reading.
    for (const RecordStore* store : {static_cast<const RecordStore*>(&doc.Vehicles()),
                                     static_cast<const RecordStore*>(&doc.Services())})
        EXPECT_EQ(store->Categories.Items().back().Name, "Unfiled");
}

TEST_F(TvDocumentTest, WrongFirstTagFailsWithTheTextAndPath) {
    const std::string path = dir.File("bad.tv");
    ByteBuilder b;
    b.EmptyBlock("Vehx");
    for (int i = 1; i < 5; ++i)
        b.EmptyBlock(kTags[i]);
    WriteFileBytes(path, b.Get());

    TestDocument doc;
    FillEveryKind(doc);
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.LastError(), "File has a bad format. " + path);
    EXPECT_EQ(doc.reported, (std::vector<std::string>{"File has a bad format. " + path}));
    ExpectAllStoresEmpty(doc);
    EXPECT_FALSE(doc.IsModified());
    // The file itself is left alone.
    EXPECT_EQ(ReadFileBytes(path), b.Get());
}

TEST_F(TvDocumentTest, FailureInALaterStoreEmptiesTheEarlierOnesToo) {
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(SampleFile()));
    ASSERT_GT(doc.Vehicles().Count(), 0u);

    // A bad expense tag, after four good blocks.
    ByteBuilder b;
    for (int i = 0; i < 4; ++i)
        b.EmptyBlock(kTags[i]);
    b.EmptyBlock("Expz");
    WriteFileBytes(dir.File("bad.tv"), b.Get());
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("bad.tv")));
    EXPECT_EQ(doc.LastError(), "File has a bad format. " + dir.File("bad.tv"));
    ExpectAllStoresEmpty(doc);
}

TEST_F(TvDocumentTest, OpenFailuresNameTheirCause) {
    TvDocument doc;
    EXPECT_FALSE(doc.OnOpenDocument(dir.Path()));
    EXPECT_EQ(doc.LastError(), "File Open error. " + dir.Path());

    const std::string nowhere = dir.File("no/such/TvData.tv");
    EXPECT_FALSE(doc.OnOpenDocument(nowhere));
    EXPECT_EQ(doc.LastError(), "File Open error. " + nowhere);
    EXPECT_FALSE(doc.IsModified());
    ExpectAllStoresEmpty(doc);
}

TEST_F(TvDocumentTest, SaveModifiedOnAnUnmodifiedDocumentWritesNothing) {
    const std::string path = SampleFile();
    const struct timespec old = {1000000000, 0};
    const struct timespec times[2] = {old, old};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const Bytes before = ReadFileBytes(path);

    TestDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.Vehicles().Records()[0].Odometer = 999999; // changed without marking
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(ModificationTime(path).tv_sec, old.tv_sec);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
    EXPECT_EQ(doc.saveAsQuestions, 0);
}

TEST_F(TvDocumentTest, SaveModifiedOnAnUnmodifiedDocumentCreatesNoFile) {
    TestDocument doc;
    FillEveryKind(doc);
    doc.SetPathName(dir.File("TvData.tv"));
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_FALSE(PathExists(dir.File("TvData.tv")));
    EXPECT_TRUE(dir.Entries().empty());

    TestDocument nameless;
    EXPECT_TRUE(nameless.SaveModified());
    EXPECT_EQ(nameless.saveAsQuestions, 0);
}

TEST_F(TvDocumentTest, SaveModifiedSavesAModifiedDocumentWithoutAsking) {
    const std::string path = SampleFile();
    TestDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.Vehicles().Records()[0].Odometer = 4321;
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.saveAsQuestions, 0);

    TvDocument reread;
    ASSERT_TRUE(reread.OnOpenDocument(path));
    ASSERT_EQ(reread.Vehicles().Count(), 3u);
    EXPECT_EQ(reread.Vehicles().Records()[0].Odometer, 4321);
}

TEST_F(TvDocumentTest, ReadOnlyFileIsSavedWhereTheUserChooses) {
    const std::string path = SampleFile();
    const Bytes before = ReadFileBytes(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    TestDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.Trips().Records()[0].Note = "changed";
    doc.SetModifiedFlag(true);
    doc.saveAsAnswer = dir.File("Copy.tv");
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(doc.saveAsQuestions, 1);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), dir.File("Copy.tv"));
    EXPECT_EQ(ReadFileBytes(path), before);

    ASSERT_TRUE(PathExists(dir.File("Copy.tv")));
    TvDocument copy;
    ASSERT_TRUE(copy.OnOpenDocument(dir.File("Copy.tv")));
    ASSERT_EQ(copy.Trips().Count(), 3u);
    EXPECT_EQ(copy.Trips().Records()[0].Note, "changed");
}

TEST_F(TvDocumentTest, NamelessDocumentWhoseSaveIsCancelledStaysModified) {
    TestDocument doc;
    doc.InitNewDocument();
    ASSERT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(doc.saveAsQuestions, 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(dir.Entries().empty());

    doc.saveAsAnswer = dir.File("Chosen.tv");
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(doc.saveAsQuestions, 2);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), dir.File("Chosen.tv"));
    EXPECT_TRUE(PathExists(dir.File("Chosen.tv")));
}

TEST_F(TvDocumentTest, FailedSaveIsReportedAndKeepsTheDocumentModified) {
    TestDocument doc;
    FillEveryKind(doc);
    doc.SetModifiedFlag(true);
    doc.SetPathName(dir.File("missing/TvData.tv"));
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.LastError(), "The folder of the file does not exist");
    EXPECT_EQ(doc.reported, (std::vector<std::string>{doc.LastError()}));
    EXPECT_EQ(doc.PathName(), dir.File("missing/TvData.tv"));
}

TEST_F(TvDocumentTest, CurrentOdometerTakesTheGreatestReading) {
    TvDocument doc;
    const VehicleRecord& car = AddVehicle(doc, 0x80000002, 1000);
    EXPECT_EQ(doc.CurrentOdometer(car), 1000);
    AddTrip(doc, 0x80000002, 1200);
    EXPECT_EQ(doc.CurrentOdometer(car), 1200);
    AddService(doc, 0x80000002, 1300, true);
    EXPECT_EQ(doc.CurrentOdometer(car), 1300);
}

TEST_F(TvDocumentTest, CurrentOdometerIgnoresOpenServiceAndDeletedTrips) {
    TvDocument doc;
    const VehicleRecord& car = AddVehicle(doc, 0x80000002, 1000);
    AddTrip(doc, 0x80000002, 1200);
    AddService(doc, 0x80000002, 1300, false);
    EXPECT_EQ(doc.CurrentOdometer(car), 1200);
    AddTrip(doc, 0x80000002, 5000, RecordFlags::Deleted);
    AddTrip(doc, 0x80000003, 6000);
    AddService(doc, 0x80000003, 7000, true);
    EXPECT_EQ(doc.CurrentOdometer(car), 1200);
}

TEST_F(TvDocumentTest, CurrentOdometerNeverBelowTheVehicle) {
    TvDocument doc;
    const VehicleRecord& car = AddVehicle(doc, 7, 1000);
    AddTrip(doc, 7, 10);
    AddService(doc, 7, 20, true);
    EXPECT_EQ(doc.CurrentOdometer(car), 1000);
}

// Readings gathered while the trips are read, on one thread or on two and
// by an early read, are those of a pass over the stores once read.
TEST_F(TvDocumentTest, ReadingsGatheredWhileReadingAreThoseOfTheStores) {
    for (const std::size_t count : {60u, 80000u}) {
        TvDocument writer;
        FillEveryKind(writer);
        std::mt19937 random(static_cast<unsigned>(count));
        const std::uint32_t ids[] = {kCivicId, kOldTruckId, kVanId, 12345};
        for (std::size_t i = 0; i < count; ++i)
            AddTrip(writer, ids[random() % 4],
                    static_cast<std::int32_t>(30000 + i + random() % 500),
                    random() % 3 == 0 ? RecordFlags::Deleted : 0);
        const std::string path = dir.File("Readings.tv");
        ASSERT_TRUE(writer.OnSaveDocument(path)) << writer.LastError();
        if (count > 60) { // mapped, and its trips read on two threads
            ASSERT_GT(ReadFileBytes(path).size(), 4u << 20);
        }
        TvDocument plain;
        TvDocument early;
        plain.GatherReadingsWhileReading();
        ASSERT_TRUE(plain.OnOpenDocument(path));
        EarlyRead read(path);
        ASSERT_TRUE(early.OnOpenDocument(path, &read));
        for (const std::uint32_t id : ids) {
            EXPECT_EQ(plain.CurrentReadingOf(id), writer.CurrentReadingOf(id)) << count;
            EXPECT_EQ(early.CurrentReadingOf(id), writer.CurrentReadingOf(id)) << count;
        }
    }
}

TEST_F(TvDocumentTest, AllCategoriesFilter) {
    TvDocument doc;
    EXPECT_EQ(doc.AllCategoriesEntry.Name, "All");
    EXPECT_EQ(doc.AllCategoriesEntry.Index(), 0u);
    EXPECT_TRUE(TvDocument::IsAllCategories(nullptr));
    EXPECT_TRUE(TvDocument::IsAllCategories(&doc.AllCategoriesEntry));

    CategoryEntry userAll;
    userAll.Category = 3;
    userAll.Name = "All";
    EXPECT_TRUE(TvDocument::IsAllCategories(&userAll));
    for (const char* name : {"all", "ALL", "All ", "Al", "Work", ""}) {
        CategoryEntry other;
        other.Name = name;
        EXPECT_FALSE(TvDocument::IsAllCategories(&other)) << name;
    }
}

TEST_F(TvDocumentTest, FilterReferencesAreDroppedWhenTheStoresAreEmptied) {
    const std::string path = SampleFile();
    TvDocument doc;
    auto point = [&] {
        ASSERT_GT(doc.Vehicles().Count(), 0u);
        doc.SelectedVehicle = &doc.Vehicles().Records()[0];
        doc.TripLogFilter = doc.Trips().Categories.FindByIndex(1);
        doc.ServiceLogFilter = doc.Services().Categories.FindByIndex(1);
        doc.ExpenseLogFilter = &doc.AllCategoriesEntry;
        doc.CurrentCategoryList = &doc.Trips().Categories;
        doc.DisplayAllDates = 1;
        ASSERT_NE(doc.TripLogFilter, nullptr);
        ASSERT_NE(doc.ServiceLogFilter, nullptr);
    };
    auto expectDropped = [&](const char* after) {
        EXPECT_EQ(doc.SelectedVehicle, nullptr) << after;
        EXPECT_EQ(doc.TripLogFilter, nullptr) << after;
        EXPECT_EQ(doc.ServiceLogFilter, nullptr) << after;
        EXPECT_EQ(doc.ExpenseLogFilter, &doc.AllCategoriesEntry) << after;
        EXPECT_EQ(doc.DisplayAllDates, 1) << after;
    };

    ASSERT_TRUE(doc.OnOpenDocument(path));
    point();
    ASSERT_TRUE(doc.OnOpenDocument(path));
    expectDropped("re-open");

    point();
    doc.DeleteContents();
    expectDropped("DeleteContents");

    ASSERT_TRUE(doc.OnOpenDocument(path));
    point();
    doc.MarkEmpty();
    expectDropped("MarkEmpty");

    ASSERT_TRUE(doc.OnOpenDocument(path));
    point();
    WriteFileBytes(dir.File("bad.tv"), BytesOf("garbage garbage"));
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("bad.tv")));
    expectDropped("failed open");
}

TEST_F(TvDocumentTest, DeleteContentsKeepsTheDateFilter) {
    TvDocument doc;
    doc.FromDate = MTime(2004, 1, 1, 0, 0, 0, -1);
    doc.ToDate = MTime(2004, 12, 31, 23, 59, 59, -1);
    doc.DeleteContents();
    EXPECT_EQ(doc.FromDate.DateTimeText(), "1/1/2004 0:00");
    EXPECT_EQ(doc.ToDate.DateTimeText(), "12/31/2004 23:59");
}

TEST_F(TvDocumentTest, MarkEmptyDropsDataAndPathWithoutSaving) {
    const std::string path = SampleFile();
    const Bytes before = ReadFileBytes(path);
    TestDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.Vehicles().Records()[0].Odometer = 1;
    doc.SetModifiedFlag(true);
    doc.MarkEmpty();
    EXPECT_EQ(doc.PathName(), "");
    EXPECT_FALSE(doc.IsModified());
    ExpectAllStoresEmpty(doc);
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(doc.saveAsQuestions, 0);
    EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(TvDocumentTest, NewDataSetKeepsTheUnitsOfThePreviousFile) {
    const std::string path = SampleFile();
    TvDocument doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_TRUE(doc.Trips().UsesKilometres());
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("empty.tv")));
    EXPECT_TRUE(doc.Trips().UsesKilometres());
    EXPECT_EQ(doc.Trips().Count(), 0u);
}

TEST_F(TvDocumentTest, TraceEntriesOfEachOperationInOrder) {
    RecordingLog log;
    TestDocument doc;
    doc.SetTraceLog(&log);

    ASSERT_TRUE(doc.OnOpenDocument(dir.File("TvData.tv")));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"CTvDeskDoc::OnOpenDocument()",
                                                     "CTvDeskDoc::DeleteContents()",
                                                     "CTvDeskDoc::InitNewDocument()"}));

    log.entries.clear();
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(log.entries, (std::vector<std::string>{"CTvDeskDoc::SaveModified()",
                                                     "CTvDeskDoc::OnSaveDocument()"}));

    log.entries.clear();
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(log.entries, (std::vector<std::string>{"CTvDeskDoc::SaveModified()"}));

    log.entries.clear();
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("TvData.tv")));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"CTvDeskDoc::OnOpenDocument()",
                                                     "CTvDeskDoc::DeleteContents()"}));

    log.entries.clear();
    doc.MarkEmpty();
    EXPECT_EQ(log.entries, (std::vector<std::string>{"CTvDeskDoc::MarkEmpty()",
                                                     "CTvDeskDoc::DeleteContents()"}));

    log.entries.clear();
    WriteFileBytes(dir.File("bad.tv"), BytesOf("nonsense"));
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("bad.tv")));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"CTvDeskDoc::OnOpenDocument()",
                                                     "CTvDeskDoc::DeleteContents()",
                                                     "CTvDeskDoc::DeleteContents()"}));

    log.entries.clear();
    doc.SetTraceLog(nullptr);
    doc.DeleteContents();
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(TvDocumentTest, SaveUnlessUnchangedWritesOnlyWhatChanged) {
    const auto inode = [](const std::string& path) { return FileIdentity::OfPath(path)->Inode; };
    const std::string path = SampleFile();
    RecordingLog log;
    TestDocument doc;
    doc.SetTraceLog(&log);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    const Bytes before = ReadFileBytes(path);
    const ino_t read = inode(path);
    // Unchanged since read: no new file replaces it.
    EXPECT_TRUE(doc.SaveUnlessUnchanged());
    EXPECT_EQ(inode(path), read);
    EXPECT_EQ(log.entries.back(),
              "CTvDeskDoc::SaveUnlessUnchanged(): unchanged since read or written, not written");

    // Edited: written, and then unchanged since that write.
    doc.Vehicles().Records()[0].Odometer = 4321;
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(doc.SaveUnlessUnchanged());
    const ino_t written = inode(path);
    EXPECT_NE(written, read);
    EXPECT_TRUE(doc.SaveUnlessUnchanged());
    EXPECT_EQ(inode(path), written);
    // Another program rewrote the file: the conflict check decides, and an
    // unedited document leaves that file alone.
    WriteFileBytes(path, before);
    EXPECT_TRUE(doc.SaveUnlessUnchanged());
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(log.entries.back(), "CTvDeskDoc::OnSaveDocument()");
}
