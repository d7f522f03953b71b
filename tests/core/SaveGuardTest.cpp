// What a save may overwrite: nothing after a failed open, never a data file
// that another program changed since it was read or written here (the edits
// go to a recovery copy instead), and no file or folder that may not be
// written; a save that fails asks for another place until one works.

#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tvtest;

namespace {

// The desktop side as a test sees it: what the user is told, the answers to
// the save-as question in order (none left: cancelled), and a fallback
// folder for recovery copies.
class GuardedDocument : public TvDocument {
public:
    std::deque<std::optional<std::string>> saveAsAnswers;
    int saveAsQuestions = 0;
    std::vector<std::string> reported;
    std::optional<std::string> fallbackFolder;

protected:
    void ReportError(const std::string& text) override { reported.push_back(text); }
    std::optional<std::string> AskSaveAsPath() override {
        ++saveAsQuestions;
        if (saveAsAnswers.empty())
            return std::nullopt;
        std::optional<std::string> answer = saveAsAnswers.front();
        saveAsAnswers.pop_front();
        return answer;
    }
    std::vector<std::string> RecoveryFolders() override {
        return fallbackFolder ? std::vector{*fallbackFolder} : std::vector<std::string>{};
    }
};

bool HasTrip(const TvDocument& doc, const std::string& destination) {
    return std::any_of(
        doc.Trips().Records().begin(), doc.Trips().Records().end(),
        [&](const TripRecord& trip) { return trip.Destination.View() == destination; });
}

void AddTrip(TvDocument& doc, const char* destination) {
    TripRecord trip = doc.Trips().CreateRecord();
    trip.Destination.Set(destination);
    doc.Trips().Append(trip);
    doc.SetModifiedFlag(true);
}

// Names of recovery copies of stem.tv in the folder, sorted.
std::vector<std::string> RecoveryCopies(const std::string& folder,
                                        const std::string& stem = "TvData") {
    const std::regex pattern(stem + R"(-unsaved-\d{8}-\d{6}(-\d+)?\.tv)");
    std::vector<std::string> found;
    for (const std::string& name : TempDir::ListFolder(folder))
        if (std::regex_match(name, pattern))
            found.push_back(name);
    return found;
}

std::string ChangedMessage(const std::string& data, const std::string& recovery) {
    return "The data file " + data +
           " was changed by another program after it was read, so it was not overwritten. "
           "Your changes were written to " +
           recovery + ".";
}

// Gives a folder back its write permission when the test ends, so that it
// can be removed whatever failed.
class ModeGuard {
public:
    ModeGuard(std::string path, mode_t mode) : m_path(std::move(path)) {
        EXPECT_EQ(::chmod(m_path.c_str(), mode), 0);
    }
    ~ModeGuard() { ::chmod(m_path.c_str(), 0755); }
    ModeGuard(const ModeGuard&) = delete;
    ModeGuard& operator=(const ModeGuard&) = delete;

private:
    std::string m_path;
};

class SaveGuardTest : public FixedZoneTest {
protected:
    // The sample data set in dir/TvData.tv, opened in doc and edited there.
    void OpenAndEdit() {
        path = dir.File("TvData.tv");
        TvDocument writer;
        FillEveryKind(writer);
        ASSERT_TRUE(writer.OnSaveDocument(path));
        ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.LastError();
        AddTrip(doc, "Edited here");
    }

    // Another program reads the file, adds a trip and replaces the file.
    Bytes OtherProgramReplacesTheFile() {
        TvDocument other;
        EXPECT_TRUE(other.OnOpenDocument(path));
        AddTrip(other, "From the handheld");
        EXPECT_TRUE(other.OnSaveDocument(path));
        return ReadFileBytes(path);
    }

    // The file holds the edits of this document, not the other program's.
    void ExpectTheEditsOnly(const std::string& recovery) {
        TvDocument kept;
        ASSERT_TRUE(kept.OnOpenDocument(recovery)) << kept.LastError();
        EXPECT_TRUE(HasTrip(kept, "Edited here"));
        EXPECT_FALSE(HasTrip(kept, "From the handheld"));
    }

    TempDir dir;
    GuardedDocument doc;
    std::string path;
};

struct timespec ModificationTime(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

void SetModificationTime(const std::string& path, struct timespec time) {
    const struct timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Changes one byte of the file without replacing it.
void RewriteInPlace(const std::string& path, off_t offset, char byte) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::pwrite(fd, &byte, 1, offset), 1);
    ::close(fd);
}

} // namespace

TEST_F(SaveGuardTest, AFailedOpenLeavesNoPathToSaveOver) {
    OpenAndEdit();
    ASSERT_TRUE(doc.SaveModified());
    const Bytes saved = ReadFileBytes(path);
    AddTrip(doc, "Not saved");

    const std::string damaged = dir.File("Damaged.tv");
    WriteFileBytes(damaged, BytesOf("not a data file at all"));
    EXPECT_FALSE(doc.OnOpenDocument(damaged));
    EXPECT_EQ(doc.PathName(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Trips().Count(), 0u);

    // Neither a save of the empty document nor new data in it reaches the
    // file that was open before.
    EXPECT_TRUE(doc.SaveModified());
    AddTrip(doc, "Typed into the empty window");
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_EQ(doc.saveAsQuestions, 1);
    EXPECT_EQ(ReadFileBytes(path), saved);
    EXPECT_EQ(ReadFileBytes(damaged), BytesOf("not a data file at all"));

    // The same for a path that cannot be opened at all.
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("missing/TvData.tv")));
    EXPECT_EQ(doc.PathName(), "");
}

TEST_F(SaveGuardTest, EditsOverAReplacedFileGoToARecoveryCopyOnce) {
    OpenAndEdit();
    const Bytes theirs = OtherProgramReplacesTheFile();

    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), theirs);
    const std::vector<std::string> copies = RecoveryCopies(dir.Path());
    ASSERT_EQ(copies.size(), 1u);
    const std::string recovery = dir.File(copies[0]);
    EXPECT_EQ(doc.reported, (std::vector<std::string>{ChangedMessage(path, recovery)}));
    ExpectTheEditsOnly(recovery);
    // The edits are safe: the document is not modified and keeps its path.
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{copies[0], "TvData.tv"}));

    // A second exit writes nothing more, and so does the next HotSync save.
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), theirs);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{copies[0], "TvData.tv"}));
    EXPECT_EQ(doc.reported.size(), 1u);

    // Later edits to the old data get a copy of their own, never over the
    // first one, even within the same second.
    const Bytes first = ReadFileBytes(recovery);
    AddTrip(doc, "Edited again");
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(ReadFileBytes(path), theirs);
    EXPECT_EQ(RecoveryCopies(dir.Path()).size(), 2u);
    EXPECT_EQ(ReadFileBytes(recovery), first);
    EXPECT_EQ(doc.saveAsQuestions, 0);
}

TEST_F(SaveGuardTest, UnchangedDataIsNotWrittenOverAChangedFile) {
    OpenAndEdit();
    ASSERT_TRUE(doc.SaveModified());
    const Bytes theirs = OtherProgramReplacesTheFile();
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), theirs);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
    EXPECT_TRUE(doc.reported.empty());
}

TEST_F(SaveGuardTest, EveryKindOfChangeBehindTheProgramsBackIsSeen) {
    struct Change {
        const char* what;
        void (*make)(const std::string& path);
    };
    const Change changes[] = {
        {"the same size, rewritten in place a nanosecond later",
         [](const std::string& file) {
             struct timespec time = ModificationTime(file);
             RewriteInPlace(file, 0, 'X');
             time.tv_nsec = time.tv_nsec == 999999999 ? time.tv_nsec - 1 : time.tv_nsec + 1;
             SetModificationTime(file, time);
         }},
        {"grown in place with the old modification time",
         [](const std::string& file) {
             const struct timespec time = ModificationTime(file);
             const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND);
             ASSERT_GE(fd, 0);
             EXPECT_EQ(::write(fd, "x", 1), 1);
             ::close(fd);
             SetModificationTime(file, time);
         }},
        {"replaced by a file of the same size and time",
         [](const std::string& file) {
             const struct timespec time = ModificationTime(file);
             const std::string twin = file + ".new";
             WriteFileBytes(twin, ReadFileBytes(file));
             SetModificationTime(twin, time);
             ASSERT_EQ(::rename(twin.c_str(), file.c_str()), 0);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        TempDir folder;
        path = folder.File("TvData.tv");
        {
            TvDocument writer;
            FillEveryKind(writer);
            ASSERT_TRUE(writer.OnSaveDocument(path));
        }
        GuardedDocument edited;
        ASSERT_TRUE(edited.OnOpenDocument(path));
        AddTrip(edited, "Edited here");
        change.make(path);
        const Bytes theirs = ReadFileBytes(path);

        EXPECT_TRUE(edited.SaveModified());
        EXPECT_EQ(ReadFileBytes(path), theirs);
        const std::vector<std::string> copies = RecoveryCopies(folder.Path());
        ASSERT_EQ(copies.size(), 1u);
        ExpectTheEditsOnly(folder.File(copies[0]));
    }
}

TEST_F(SaveGuardTest, ItsOwnSavesAndAFreshReadAreNoChange) {
    OpenAndEdit();
    // Saved twice in a row: the second save knows the file of the first.
    ASSERT_TRUE(doc.SaveModified());
    AddTrip(doc, "Second edit");
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));

    // The HotSync cycle: the other program writes, the file is read again,
    // and the next edit is saved over it as usual.
    OtherProgramReplacesTheFile();
    ASSERT_TRUE(doc.OnOpenDocument(path));
    AddTrip(doc, "After the HotSync");
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
    TvDocument reread;
    ASSERT_TRUE(reread.OnOpenDocument(path));
    EXPECT_TRUE(HasTrip(reread, "From the handheld"));
    EXPECT_TRUE(HasTrip(reread, "After the HotSync"));

    // A file that another program removed holds nothing to protect.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    AddTrip(doc, "Into a new file");
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
    EXPECT_TRUE(doc.reported.empty());
}

TEST_F(SaveGuardTest, AFileChosenInSaveAsIsGuardedFromThenOn) {
    OpenAndEdit();
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string chosen = dir.File("Chosen.tv");
    doc.saveAsAnswers = {chosen};
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(doc.PathName(), chosen);

    // Saving there again is no change of another program ...
    AddTrip(doc, "Second edit");
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Chosen.tv", "TvData.tv"}));
    // ... but a rewrite of the chosen file by someone else is.
    TvDocument other;
    ASSERT_TRUE(other.OnOpenDocument(chosen));
    AddTrip(other, "From the handheld");
    ASSERT_TRUE(other.OnSaveDocument(chosen));
    const Bytes theirs = ReadFileBytes(chosen);
    AddTrip(doc, "Third edit");
    ASSERT_TRUE(doc.SaveModified());
    EXPECT_EQ(ReadFileBytes(chosen), theirs);
    ASSERT_EQ(RecoveryCopies(dir.Path(), "Chosen").size(), 1u);
    EXPECT_EQ(doc.saveAsQuestions, 1);
}

TEST_F(SaveGuardTest, RecoveryCopiesNeverReplaceAnExistingFile) {
    OpenAndEdit();
    OtherProgramReplacesTheFile();
    // Files under the names of this second and the next two.
    std::vector<std::string> taken;
    const std::time_t now = std::time(nullptr);
    for (int ahead = 0; ahead < 3; ++ahead) {
        const std::time_t moment = now + ahead;
        std::tm local{};
        ASSERT_NE(::localtime_r(&moment, &local), nullptr);
        char name[64];
        std::strftime(name, sizeof(name), "TvData-unsaved-%Y%m%d-%H%M%S.tv", &local);
        taken.push_back(name);
        WriteFileBytes(dir.File(name), BytesOf(name));
    }
    ASSERT_TRUE(doc.SaveModified());
    for (const std::string& name : taken)
        EXPECT_EQ(ReadFileBytes(dir.File(name)), BytesOf(name)) << name;
    const std::vector<std::string> copies = RecoveryCopies(dir.Path());
    ASSERT_EQ(copies.size(), 4u);
    const auto added = std::find_if(copies.begin(), copies.end(), [&](const std::string& name) {
        return std::find(taken.begin(), taken.end(), name) == taken.end();
    });
    ASSERT_NE(added, copies.end());
    ExpectTheEditsOnly(dir.File(*added));
}

TEST_F(SaveGuardTest, ARecoveryCopyThatCannotGoBesideTheFileGoesToTheFallbackFolder) {
    OpenAndEdit();
    // In place: the read-only folder takes no file of its own.
    const struct timespec time = ModificationTime(path);
    RewriteInPlace(path, 0, 'X');
    SetModificationTime(path, {time.tv_sec + 1, time.tv_nsec});
    const Bytes theirs = ReadFileBytes(path);
    ModeGuard readOnly(dir.Path(), 0555);

    // Without a fallback the edits stay in memory, and the file as it is.
    EXPECT_FALSE(doc.OnSaveDocument(path));
    EXPECT_EQ(doc.LastError(), "File Open error");
    EXPECT_EQ(doc.reported, (std::vector<std::string>{"File Open error"}));
    EXPECT_TRUE(doc.IsModified());

    TempDir fallback;
    doc.fallbackFolder = fallback.Path();
    EXPECT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFileBytes(path), theirs);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
    const std::vector<std::string> copies = RecoveryCopies(fallback.Path());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(doc.reported.back(), ChangedMessage(path, fallback.File(copies[0])));
    ExpectTheEditsOnly(fallback.File(copies[0]));
    EXPECT_FALSE(doc.IsModified());
}

// The permission bits decide even for an administrator, whom the system
// would let write anyway: the same results whoever runs the tests.
TEST_F(SaveGuardTest, WhatMayNotBeWrittenFailsAsOpeningItForWritingWould) {
    OpenAndEdit();
    const Bytes before = ReadFileBytes(path);
    const std::string link = dir.File("Link.tv");
    ASSERT_EQ(::symlink("TvData.tv", link.c_str()), 0);
    const std::string folderTarget = dir.File("Folder.tv");
    ASSERT_EQ(::mkdir(folderTarget.c_str(), 0755), 0);

    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    for (const auto& [target, error] :
         {std::pair{path, "File Open error"},
          std::pair{link, "The output cannot replace the open data file"},
          std::pair{folderTarget, "The output cannot replace a folder"}}) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(doc.OnSaveDocument(target));
        EXPECT_EQ(doc.LastError(), error);
        EXPECT_TRUE(doc.IsModified());
    }
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    {
        ModeGuard readOnly(dir.Path(), 0555);
        EXPECT_FALSE(doc.OnSaveDocument(path));
        EXPECT_EQ(doc.LastError(), "File Open error");
        EXPECT_FALSE(doc.OnSaveDocument(dir.File("New.tv")));
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Folder.tv", "Link.tv", "TvData.tv"}));
    EXPECT_TRUE(TempDir::ListFolder(folderTarget).empty());
}

TEST_F(SaveGuardTest, AFailedSaveAsksForAnotherPlaceUntilOneWorks) {
    OpenAndEdit();
    const Bytes before = ReadFileBytes(path);
    TempDir shut;
    TempDir open;
    {
        ModeGuard readOnly(dir.Path(), 0555);
        ModeGuard alsoReadOnly(shut.Path(), 0555);

        // Cancelled: the data stays, modified, with its path.
        EXPECT_FALSE(doc.SaveModified());
        EXPECT_EQ(doc.saveAsQuestions, 1);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.PathName(), path);

        // A place that fails as well is followed by the question again.
        doc.saveAsAnswers = {shut.File("TvData.tv"), open.File("TvData.tv")};
        EXPECT_TRUE(doc.SaveModified());
        EXPECT_EQ(doc.saveAsQuestions, 3);
    }
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), open.File("TvData.tv"));
    EXPECT_EQ(doc.reported, std::vector<std::string>(3, "File Open error"));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(shut.Entries().empty());
    ExpectTheEditsOnly(open.File("TvData.tv"));

    // Nothing more to save: the program may end.
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(doc.saveAsQuestions, 3);
}
