// A save puts the new file's data on disk before the new file takes the old
// one's place, and then makes the rename itself durable: a crash at any
// moment leaves either the old file or the whole new one. The order of the
// system calls is watched by definitions of fsync, fdatasync and the rename
// calls in this test program, which note each call and pass it on to the C
// library.

#include "AtomicFileWriter.h"
#include "SampleData.h"
#include "TestFiles.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tvtest;

namespace {

struct Call {
    std::string what; // "sync" or "rename"
    std::string path; // the synced file, or the rename's source
    std::string to;   // the rename's target
};

// Calls are noted only while a Watch is alive, on the test's thread.
bool g_watching = false;
std::vector<Call> g_calls;

std::string PathOfDescriptor(int fd) {
    char link[64];
    std::snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t length = ::readlink(link, target, sizeof(target) - 1);
    return length < 0 ? std::string() : std::string(target, static_cast<std::size_t>(length));
}

std::string Absolute(int folderFd, const char* path) {
    if (path[0] == '/' || folderFd == AT_FDCWD)
        return path;
    return PathOfDescriptor(folderFd) + "/" + path;
}

void NoteSync(int fd) {
    if (g_watching)
        g_calls.push_back({"sync", PathOfDescriptor(fd), ""});
}

void NoteRename(const std::string& from, const std::string& to) {
    if (g_watching)
        g_calls.push_back({"rename", from, to});
}

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

class Watch {
public:
    Watch() {
        g_calls.clear();
        g_watching = true;
    }
    ~Watch() { g_watching = false; }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
};

} // namespace

extern "C" {

int fsync(int fd) {
    static const auto next = Next<int (*)(int)>("fsync");
    NoteSync(fd);
    return next(fd);
}

int fdatasync(int fd) {
    static const auto next = Next<int (*)(int)>("fdatasync");
    NoteSync(fd);
    return next(fd);
}

int rename(const char* from, const char* to) noexcept {
    static const auto next = Next<int (*)(const char*, const char*)>("rename");
    const int result = next(from, to);
    if (result == 0)
        NoteRename(from, to);
    return result;
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
    static const auto next = Next<int (*)(int, const char*, int, const char*)>("renameat");
    const std::string source = Absolute(fromFolder, from);
    const int result = next(fromFolder, from, toFolder, to);
    if (result == 0)
        NoteRename(source, Absolute(toFolder, to));
    return result;
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
              unsigned int flags) noexcept {
    static const auto next =
        Next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    const std::string source = Absolute(fromFolder, from);
    const int result = next(fromFolder, from, toFolder, to, flags);
    if (result == 0)
        NoteRename(source, Absolute(toFolder, to));
    return result;
}

} // extern "C"

namespace {

class SaveOrderTest : public FixedZoneTest {
protected:
    // Saves a document of the given size over an existing data file and
    // returns the calls it made.
    std::vector<Call> SaveOverTheFile(std::size_t extraTrips) {
        path = dir.File("TvData.tv");
        TvDocument doc;
        FillEveryKind(doc);
        EXPECT_TRUE(doc.OnSaveDocument(path));
        AddTrips(doc, extraTrips);
        {
            Watch watch;
            EXPECT_TRUE(doc.OnSaveDocument(path)) << doc.LastError();
        }
        return g_calls;
    }

    void ExpectSyncRenameSync(const std::vector<Call>& calls) {
        // The one rename that put the new file in place.
        std::size_t rename = calls.size();
        for (std::size_t i = 0; i < calls.size(); ++i)
            if (calls[i].what == "rename" && calls[i].to == path)
                rename = i;
        ASSERT_LT(rename, calls.size()) << "no rename onto the data file";
        // Synced files are noted by their canonical paths.
        const std::string temporary =
            std::filesystem::weakly_canonical(calls[rename].path).string();
        const std::string folder = std::filesystem::canonical(dir.Path()).string();
        EXPECT_EQ(temporary.substr(0, folder.size() + 1), folder + "/");

        bool syncedBefore = false;
        for (std::size_t i = 0; i < rename; ++i)
            syncedBefore = syncedBefore || (calls[i].what == "sync" && calls[i].path == temporary);
        EXPECT_TRUE(syncedBefore) << "renamed before its data was synced";

        bool folderSyncedAfter = false;
        for (std::size_t i = rename + 1; i < calls.size(); ++i)
            folderSyncedAfter =
                folderSyncedAfter || (calls[i].what == "sync" && calls[i].path == folder);
        EXPECT_TRUE(folderSyncedAfter) << "the rename was not made durable";
    }

    TempDir dir;
    std::string path;
};

} // namespace

TEST_F(SaveOrderTest, TheNewFileIsOnDiskBeforeItReplacesTheOldOne) {
    for (std::size_t trips : {std::size_t{0}, std::size_t{20000}}) {
        SCOPED_TRACE(trips);
        ExpectSyncRenameSync(SaveOverTheFile(trips));
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"TvData.tv"}));
    }
}

// A file made from the data (an export) waits for the disk only where it
// replaces a file: the old one must not be lost to a crash, while a new one
// puts nothing the user had at stake.
TEST_F(SaveOrderTest, AnExportWaitsForTheDiskOnlyWhenItReplacesAFile) {
    const auto writeExport = [&](const std::string& text) {
        Watch watch;
        AtomicFileWriter writer(path, AtomicFileWriter::Durability::WhenReplacing);
        writer.File().WriteBytes(text.data(), text.size());
        writer.Commit();
        return g_calls;
    };
    path = dir.File("trips.csv");

    const std::vector<Call> created = writeExport("first");
    for (const Call& call : created)
        EXPECT_NE(call.what, "sync") << call.path;
    EXPECT_EQ(ReadFileBytes(path), BytesOf("first"));

    ExpectSyncRenameSync(writeExport("second"));
    EXPECT_EQ(ReadFileBytes(path), BytesOf("second"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"trips.csv"}));
}
