#include "CategoryEditing.h"
#include "DelimitedReader.h"
#include "ImportFiles.h"
#include "ImportSession.h"
#include "TvDocument.h"

#include <deque>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace {

std::vector<ImportRow> ReadRows(const std::string& bytes, DelimitedOptions options = {}) {
    DelimitedReader reader(bytes.data(), bytes.size(), options);
    std::vector<ImportRow> rows;
    ImportRow row;
    while (reader.Next(row))
        rows.push_back(row);
    return rows;
}

// A data file with one vehicle "Civic" (id 5) and the given trip categories.
struct ImportDocument {
    TvDocument doc;
    ImportDocument() {
        doc.InitNewDocument();
        VehicleRecord civic;
        civic.Name.Set("Civic");
        civic.VehicleId = 5;
        doc.Vehicles().Append(civic);
    }
    ImportCheck Check(const std::string& csv, ImportOptions options = {}) {
        const std::string path = folder.Write("in.csv", csv);
        ImportSession session(path, options);
        return session.Check(doc, nullptr);
    }
    ImportFolder folder;
};

} // namespace

// Delimiters, encodings and RFC 4180 quoting as spreadsheets write them: the
// same three cells and the line the row after a quoted line break starts on.
TEST(DelimitedReader, ReadsEachDelimiterAndEncodingWithQuotedLineBreaks) {
    struct Case {
        std::string bytes;
        char delimiter;
        TextEncoding encoding;
    };
    const auto file = [](const std::string& head, char d) {
        return head + "Date" + d + "Note" + d + "Vendor\r\n" + "3/4/2024" + d +
               "\"two\r\nlines, \"\"quoted\"\"\"" + d + "Caf\xC3\xA9" + "\r\n\r\n" + "5/6/2024" +
               d + "x" + d + "y\n";
    };
    const Case cases[] = {
        {file("", ','), ',', TextEncoding::Utf8},
        {file("\xEF\xBB\xBF", ';'), ';', TextEncoding::Utf8},
        {file("", '\t'), '\t', TextEncoding::Utf8},
        {file("\xEF\xBB\xBF", ':'), ':', TextEncoding::Utf8},
        {"Date;Note;Vendor\r\n3/4/2024;\"two\r\nlines, "
         "\"\"quoted\"\"\";Caf\xE9\r\n\r\n5/6/2024;x;y",
         ';', TextEncoding::Cp1252},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        DelimitedReader reader(c.bytes.data(), c.bytes.size(), {});
        EXPECT_EQ(reader.Delimiter(), c.delimiter);
        EXPECT_EQ(reader.Encoding(), c.encoding);
        ImportRow row;
        ASSERT_TRUE(reader.Next(row));
        ASSERT_TRUE(reader.Next(row));
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(row[0].text, "3/4/2024");
        EXPECT_EQ(row[1].text, "two\r\nlines, \"quoted\"");
        EXPECT_EQ(row[2].text, "Caf\xE9");
        ASSERT_TRUE(reader.Next(row));
        EXPECT_EQ(reader.Line(), 5u);
        EXPECT_EQ(row[2].text, "y");
        EXPECT_FALSE(reader.Next(row));
    }
}

TEST(DelimitedReader, RefusesWhatIsNoText) {
    for (const std::string& bytes : {std::string(), std::string("PK\0\0binary", 10),
                                     std::string("a,\"never closed") + std::string(1 << 21, 'x')}) {
        EXPECT_THROW(ReadRows(bytes), MExceptImport);
    }
    // Not UTF-8 when UTF-8 is chosen.
    EXPECT_THROW(ReadRows("a,b\n\xE9,c\n", {TextEncoding::Utf8, std::nullopt}), MExceptImport);
}

// Which date order a column gets: told by any date that reads one way only;
// asked only when every date reads both ways.
TEST(ImportSession, DateOrderComesFromTheWholeColumn) {
    struct Case {
        std::vector<std::string> dates;
        bool asks;
        int month; // of the first row's date
    };
    const Case cases[] = {
        {{"12/01/2020", "11/02/2020"}, true, 0},   {{"12/01/2020", "13/02/2020"}, false, 1},
        {{"12/01/2020", "01/13/2020"}, false, 12}, {{"2020-12-01 07:30", "2020-11-02"}, false, 12},
        {{"12.01.2020", "11.02.2020"}, false, 1},
    };
    for (const Case& c : cases) {
        ImportDocument document;
        std::string csv = "Date,Odometer,Destination,Vehicle\n";
        for (std::size_t i = 0; i < c.dates.size(); ++i)
            csv += c.dates[i] + "," + std::to_string(100 + i) + ",Work,Civic\n";
        ImportOptions options;
        ImportSession session(document.folder.Write("in.csv", csv), options);
        EXPECT_EQ(session.NeedsDateOrder(), c.asks) << c.dates[0];
        if (c.asks) {
            EXPECT_THROW(session.Check(document.doc, nullptr), MExceptImport);
            continue;
        }
        ImportCheck check = session.Check(document.doc, nullptr);
        ASSERT_EQ(check.trips.size(), c.dates.size()) << c.dates[0];
        EXPECT_EQ(check.trips[0].Start.GetMonth() + 1, c.month) << c.dates[0];
    }
}

// One bad row of each kind among good rows: the bad row alone is refused,
// with its line, and the good rows are kept.
TEST(ImportSession, EachKindOfBadRowIsRefusedAlone) {
    const std::string good = "3/14/2021,100,120,Work,Civic,";
    const std::string bad[] = {
        "31/02/2019,100,120,Work,Civic,",                        // no such day
        "soon,100,120,Work,Civic,",                              // no date
        "3/14/2021,-5,120,Work,Civic,",                          // below 0
        "3/14/2021,100,10000000,Work,Civic,",                    // above the highest reading
        "3/14/2021,ten,120,Work,Civic,",                         // no number
        "3/14/2021,100,120,Work,Tractor,",                       // unknown vehicle
        "3/14/2021,100,120," + std::string(40, 'w') + ",Civic,", // too long
        "1/1/1960,100,120,Work,Civic,",                          // before 1970
        "3/14/2021,100,120,Work,Civic," + std::string(300, 'n'), // note too long
    };
    for (const std::string& row : bad) {
        ImportDocument document;
        const ImportCheck check =
            document.Check("Start,Start Miles,End Miles,Destination,Vehicle,Note\n" + good + "\n" +
                           row + "\n" + good + "\n");
        EXPECT_EQ(check.trips.size(), 2u) << row;
        EXPECT_EQ(check.bad, 1u) << row;
        ASSERT_EQ(check.verdicts.size(), 1u) << row;
        EXPECT_EQ(check.verdicts[0].line, 3u) << row;
    }
}

TEST(ImportSession, DuplicatesAreSkippedUnlessKept) {
    ImportDocument document;
    const std::string csv = "Date,Start Miles,End Miles,Destination\n"
                            "3/14/2021 8:00,100,120,Work\n3/15/2021 8:00,120,130,Home\n";
    ImportOptions options;
    options.vehicle = "civic";
    ApplyImport(document.doc, document.Check(csv, options));
    ASSERT_EQ(document.doc.Trips().Count(), 2u);
    const TripRecord& added = *document.doc.Trips().Records().begin();
    EXPECT_EQ(added.Uid, 0u);
    EXPECT_EQ(added.VehicleId, 5u);
    EXPECT_NE(added.Flags & RecordFlags::Modified, 0u);

    ImportCheck again = document.Check(csv, options);
    EXPECT_EQ(again.duplicates, 2u);
    EXPECT_EQ(again.Accepted(), 0u);
    options.keepDuplicates = true;
    EXPECT_EQ(document.Check(csv, options).Accepted(), 2u);
}

// However far adding the rows got when its progress stopped it, taking
// them back gives the data file's bytes again.
TEST(ImportSession, AStoppedImportIsTakenBackToTheSameBytes) {
    std::string csv = "Date,Odometer,Destination,Vehicle,Category\n";
    for (int i = 0; i < 9000; ++i)
        csv += "3/14/2021," + std::to_string(100 + i) + ",Work,V" + std::to_string(i % 3) + ",K" +
               std::to_string(i % 5) + "\n";
    struct StopAfter : ImportProgress {
        int left;
        explicit StopAfter(int calls) : left(calls) {}
        bool Continue(std::uint64_t, std::uint64_t) override { return left-- > 0; }
    };
    for (const int calls : {0, 1}) {
        ImportDocument document;
        const auto saved = [&document](const char* name) {
            EXPECT_TRUE(document.doc.OnSaveDocument(document.folder.File(name)));
            std::ifstream file(document.folder.File(name), std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(file), {});
        };
        const std::string before = saved("before.tv");
        ImportOptions options;
        options.createNames = true;
        ImportCheck check = document.Check(csv, options);
        const ImportMark mark(document.doc);
        StopAfter progress(calls);
        EXPECT_EQ(ApplyImport(document.doc, std::move(check), &progress), 0u);
        EXPECT_TRUE(check.stopped);
        EXPECT_GT(document.doc.Trips().Count(), 0u);
        TakeBackImport(document.doc, mark);
        EXPECT_EQ(saved("after.tv"), before) << calls;
    }
}

// An unknown vehicle is created only when the user agrees; new categories
// take the free places of the list and the rest go to Unfiled.
TEST(ImportSession, UnknownNamesAndAFullCategoryList) {
    ImportDocument document;
    CategoryList& categories = document.doc.Trips().Categories;
    for (int i = 0; i < 14; ++i)
        AddCategory(categories, "C" + std::to_string(i));
    const std::string csv = "Date,Odometer,Destination,Vehicle,Category\n"
                            "3/14/2021,100,Work,Tractor,New one\n"
                            "3/15/2021,120,Work,TRACTOR,New two\n"
                            "3/16/2021,130,Work,Civic,c3\n";
    ImportOptions options;
    EXPECT_EQ(document.Check(csv, options).bad, 2u);

    options.createNames = true;
    ImportCheck check = document.Check(csv, options);
    EXPECT_EQ(check.newVehicles, std::vector<std::string>{"Tractor"});
    EXPECT_EQ(check.newCategories, std::vector<std::string>{"New one"});
    EXPECT_EQ(check.unfiledCategories, std::vector<std::string>{"New two"});
    ApplyImport(document.doc, std::move(check));
    EXPECT_EQ(document.doc.Vehicles().Count(), 2u);
    EXPECT_EQ(categories.Size(), 16u);
    std::vector<std::string> names;
    for (const TripRecord& trip : document.doc.Trips().Records()) {
        const CategoryEntry* entry = categories.FindByIndex(trip.Category);
        names.push_back(entry != nullptr ? entry->Name : "?");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"New one", "Unfiled", "C3"}));
}

// Workbooks written by openpyxl (.xlsx, the second sheet by name) and xlwt
// (.xls): date cells, numbers and non-ASCII texts come through.
TEST(ImportSession, ReadsWorkbooksOfRealWriters) {
    for (const char* name : {"trips.xlsx", "trips.xls"}) {
        ImportDocument document;
        ImportOptions options;
        options.sheet = "Trips";
        ImportSession session(std::string(TV_IMPORT_DATA) + "/" + name, options);
        ImportCheck check = session.Check(document.doc, nullptr);
        ASSERT_EQ(check.trips.size(), 2u) << name;
        const TripRecord& trip = check.trips[0];
        EXPECT_EQ(trip.Start.DateTimeText(), "3/4/2021 8:15") << name;
        EXPECT_EQ(trip.EndOdometer, 1234) << name;
        EXPECT_EQ(trip.Destination.View(), "B\xFCro Nord") << name;
        EXPECT_EQ(check.trips[1].Start.DateTimeText(), "3/5/2021 17:30") << name;
        EXPECT_EQ(check.bad, 0u) << name;
    }
}

// The queue the checked records wait in keeps their order across its blocks
// while records are taken and added in turns, and ends without leaking their
// texts (the sanitizer build checks that).
TEST(ReleasingQueue, KeepsOrderAcrossBlocksAsItEmpties) {
    struct Wide {
        std::string text;
        char fill[1000];
    };
    ReleasingQueue<Wide> queue;
    std::deque<std::string> expected;
    std::mt19937 random(7);
    for (int step = 0; step < 60000; ++step) {
        if (random() % 3 != 0 || queue.empty()) {
            const std::string text =
                "record text long enough to be allocated " + std::to_string(step);
            queue.push_back(Wide{text, {}});
            expected.push_back(text);
        } else {
            ASSERT_EQ(queue.front().text, expected.front());
            queue.pop_front();
            expected.pop_front();
        }
        ASSERT_EQ(queue.size(), expected.size());
    }
    ASSERT_EQ(queue[queue.size() / 2].text, expected[expected.size() / 2]);
    ReleasingQueue<Wide> moved = std::move(queue);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(moved.size(), expected.size());
}
