// Saving replaces the data file whole or not at all: real write failures at
// many points leave the old file as it was, and the replaced file keeps its
// links and permissions.

#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tvtest;

namespace {

class SafeSaveTest : public FixedZoneTest {
protected:
    // Writes the sample data set to TvData.tv, then opens it and changes it,
    // so that the document holds something else than the file. newBytes is
    // what a successful save of the changed document writes.
    void Prepare(std::size_t extraTrips) {
        path = dir.File("TvData.tv");
        TvDocument writer;
        FillEveryKind(writer);
        ASSERT_TRUE(writer.OnSaveDocument(path));
        oldBytes = ReadFileBytes(path);

        ASSERT_TRUE(doc.OnOpenDocument(path)) << doc.LastError();
        AddTrips(doc, extraTrips + 2);
        doc.Vehicles().Records()[0].Odometer = 2222;
        doc.SetModifiedFlag(true);

        ASSERT_TRUE(doc.OnSaveDocument(reference.File("TvData.tv")));
        newBytes = ReadFileBytes(reference.File("TvData.tv"));
        doc.SetModifiedFlag(true);
        ASSERT_GT(newBytes.size(), oldBytes.size());
    }

    // Saves with the size limit in force and checks that nothing changed.
    void ExpectFailedSaveLeavesTheOldFile(rlim_t limit) {
        SCOPED_TRACE("limit " + std::to_string(limit) + " of " + std::to_string(newBytes.size()));
        bool saved = true;
        {
            FileSizeLimit guard(limit);
            saved = doc.SaveModified();
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(doc.LastError(), "File had a write error");
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
        EXPECT_TRUE(ReadFileBytes(path) == oldBytes);
    }

    void ExpectSuccessfulSave() {
        ASSERT_TRUE(doc.SaveModified()) << doc.LastError();
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
        EXPECT_TRUE(ReadFileBytes(path) == newBytes);
    }

    TempDir dir;
    TempDir reference;
    TvDocument doc;
    std::string path;
    Bytes oldBytes;
    Bytes newBytes;
};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

} // namespace

TEST_F(SafeSaveTest, WriteFailureAtAnyPointLeavesTheOldFile) {
    Prepare(0);
    for (rlim_t limit = 0; limit < newBytes.size(); limit += 97) {
        ExpectFailedSaveLeavesTheOldFile(limit);
        if (HasFailure())
            return;
    }
    ExpectFailedSaveLeavesTheOldFile(newBytes.size() - 1);
    ExpectSuccessfulSave();
}

TEST_F(SafeSaveTest, WriteFailureAroundTheBufferSizeLeavesTheOldFile) {
    Prepare(15000);
    constexpr rlim_t kBuffer = 1 << 20;
    ASSERT_GT(newBytes.size(), kBuffer + 8192);
    for (rlim_t limit : {kBuffer - 4096, kBuffer - 1, kBuffer, kBuffer + 1, kBuffer + 4096,
                         static_cast<rlim_t>(newBytes.size() - 1)})
        ExpectFailedSaveLeavesTheOldFile(limit);
    ExpectSuccessfulSave();
}

// A save killed midway leaves its temporary beside the data file; the next
// open removes it, but not one that a running save holds, nor anything that
// is not of that name.
TEST_F(SafeSaveTest, OpeningRemovesTheTemporariesOfKilledSavesOnly) {
    Prepare(0);
    const std::vector<std::string> kept = {".TvData.tv.Held42", ".TvData.tv.abc",
                                           ".TvData.tv.ab-cd1", ".Other.tv.Xy12Z9",
                                           "TvData.tv.Xy12Z9"};
    for (const std::string& name : kept)
        WriteFileBytes(dir.File(name), oldBytes);
    WriteFileBytes(dir.File(".TvData.tv.Xy12Z9"), oldBytes);
    ASSERT_EQ(::symlink("TvData.tv", dir.File(".TvData.tv.Link01").c_str()), 0);
    const int held = ::open(dir.File(".TvData.tv.Held42").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    TvDocument reader;
    ASSERT_TRUE(reader.OnOpenDocument(path));
    ::close(held);
    std::vector<std::string> expected = kept;
    expected.insert(expected.end(), {".TvData.tv.Link01", "TvData.tv"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.Entries(), expected);
}

TEST_F(SafeSaveTest, SaveIntoAMissingFolderIsAnOpenError) {
    Prepare(0);
    const std::string target = dir.File("gone/TvData.tv");
    EXPECT_FALSE(doc.OnSaveDocument(target));
    EXPECT_EQ(doc.LastError(), "The folder of the file does not exist");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
}

TEST_F(SafeSaveTest, SaveOverAFolderFailsAndLeavesTheFolder) {
    Prepare(0);
    const std::string folder = dir.File("Folder.tv");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteFileBytes(folder + "/inside", BytesOf("kept"));

    EXPECT_FALSE(doc.OnSaveDocument(folder));
    EXPECT_FALSE(doc.LastError().empty());
    EXPECT_TRUE(doc.IsModified());
    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(TempDir::ListFolder(folder), (std::vector<std::string>{"inside"}));
    EXPECT_EQ(ReadFileBytes(folder + "/inside"), BytesOf("kept"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Folder.tv", "TvData.tv"}));
}

TEST_F(SafeSaveTest, SaveThroughALinkReplacesTheFileItNames) {
    Prepare(0);
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    ASSERT_EQ(::rename(path.c_str(), dir.File("real/TvData.tv").c_str()), 0);
    ASSERT_EQ(::symlink("real/TvData.tv", path.c_str()), 0);

    ASSERT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    char target[256] = {};
    ASSERT_GT(::readlink(path.c_str(), target, sizeof(target) - 1), 0);
    EXPECT_STREQ(target, "real/TvData.tv");
    EXPECT_TRUE(ReadFileBytes(dir.File("real/TvData.tv")) == newBytes);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv", "real"}));
    EXPECT_EQ(TempDir::ListFolder(dir.File("real")), (std::vector<std::string>{"TvData.tv"}));
}

TEST_F(SafeSaveTest, ReplacedFileKeepsItsPermissionBits) {
    Prepare(0);
    for (mode_t mode : {0640, 0600, 0604, 0664}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        doc.SetModifiedFlag(true);
        ASSERT_TRUE(doc.SaveModified()) << doc.LastError();
        EXPECT_EQ(ModeOf(path), mode) << std::oct << mode;
    }
    EXPECT_TRUE(ReadFileBytes(path) == newBytes);
}

TEST_F(SafeSaveTest, NewFileGetsTheUsualPermissions) {
    Prepare(0);
    const mode_t oldMask = ::umask(022);
    EXPECT_TRUE(doc.OnSaveDocument(dir.File("a.tv")));
    ::umask(077);
    EXPECT_TRUE(doc.OnSaveDocument(dir.File("b.tv")));
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(dir.File("a.tv")), 0644u);
    EXPECT_EQ(ModeOf(dir.File("b.tv")), 0600u);
}

TEST_F(SafeSaveTest, SuccessfulSaveLeavesOnlyTheFile) {
    Prepare(0);
    ExpectSuccessfulSave();
    TvDocument reread;
    ASSERT_TRUE(reread.OnOpenDocument(path));
    ASSERT_EQ(reread.Vehicles().Count(), 3u);
    EXPECT_EQ(reread.Vehicles().Records()[0].Odometer, 2222);
}
