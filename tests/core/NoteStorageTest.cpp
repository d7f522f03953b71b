// Notes read into a store's text arena: every length, across the read buffer's
// edge and through a mapping; copies taken out outlive the store, and a
// store emptied frees the notes it owns.

#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tvtest;

namespace {

// i % 256 characters (255 the most a file holds); a NUL ends it in the file.
std::string NoteOf(std::size_t i) {
    std::string note(i % 256, static_cast<char>('a' + i % 26));
    if (i % 7 == 0 && note.size() > 2)
        note[note.size() / 2] = '\0';
    return note;
}

TEST(NoteStorageTest, NotesOfEveryLengthSurviveReadingAndOutliveTheirStore) {
    // About 2 MB (read through the buffer) and 25 MB (read through a mapping,
    // on two threads, into blocks kept for the next read).
    for (const std::size_t count : {10000u, 120000u}) {
        SCOPED_TRACE(count);
        TempDir dir;
        TvDocument written;
        written.InitNewDocument();
        for (std::size_t i = 0; i < count; ++i) {
            TripRecord trip = written.Trips().CreateRecord();
            trip.Note = NoteOf(i);
            // An owned note keeps every byte, NULs included.
            ASSERT_EQ(trip.Note.View(), NoteOf(i));
            written.Trips().Append(trip);
        }
        ASSERT_TRUE(written.OnSaveDocument(dir.File("a.tv")));
        // Emptied while its records own their notes: the leak checker sees
        // any that emptying fails to free.
        written.DeleteContents();

        TvDocument read;
        // The second read fills the memory of the first.
        for (int pass = 0; pass < 2; ++pass)
            ASSERT_TRUE(read.OnOpenDocument(dir.File("a.tv"))) << read.LastError();
        ASSERT_EQ(read.Trips().Count(), count);
        std::vector<TripRecord> copies(read.Trips().Records().begin(),
                                       read.Trips().Records().end());
        ASSERT_TRUE(read.OnSaveDocument(dir.File("b.tv")));
        EXPECT_EQ(ReadFileBytes(dir.File("b.tv")), ReadFileBytes(dir.File("a.tv")));
        read.DeleteContents();
        for (std::size_t i = 0; i < count; ++i) {
            const std::string expected = NoteOf(i);
            ASSERT_EQ(copies[i].Note, expected.substr(0, expected.find('\0'))) << i;
            ASSERT_EQ(copies[i].Note.c_str()[copies[i].Note.size()], '\0') << i;
        }
    }
}

TEST(NoteStorageTest, OwnedNotesLongerThanAFileHoldsKeepTheirLength) {
    for (const std::size_t length : {256u, 65536u, 70001u}) {
        NoteString note;
        note.assign(length, 'x');
        const NoteString moved(std::move(note));
        NoteString copied;
        copied = moved;
        EXPECT_EQ(moved.size(), length);
        EXPECT_EQ(copied.View(), std::string(length, 'x'));
    }
}

} // namespace
