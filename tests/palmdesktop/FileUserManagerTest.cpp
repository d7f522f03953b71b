// The file-backed Palm user store, exercised on real files: opening and
// creating the store, the line format it reads and writes, the results and
// error codes of every call, user folders on disk, other writers of the file
// and the atomic replacement of the file.

#include "FileUserManager.h"

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
namespace Err = UserManagerError;

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tvpalm-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "cannot create a temporary folder";
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsDirectory(const std::string& path) {
    std::error_code ignored;
    return fs::is_directory(fs::symlink_status(path, ignored));
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The lines of the file that carry data: no comments, no empty lines.
std::vector<std::string> DataLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    }
    return lines;
}

// Reads a text through one of the calls that fill a buffer; the call's result
// goes to *result.
template <typename Call> std::string ReadBuffer(Call call, std::int32_t* result) {
    char buffer[256];
    std::memset(buffer, 'X', sizeof(buffer));
    std::int16_t size = sizeof(buffer);
    *result = call(buffer, &size);
    if (*result < 0)
        return std::string();
    EXPECT_NE(std::memchr(buffer, '\0', sizeof(buffer)), nullptr) << "text not terminated";
    return std::string(buffer);
}

std::string NameOf(IUserManager& store, std::uint32_t id) {
    std::int32_t result = 0;
    const std::string name = ReadBuffer(
        [&](char* buffer, std::int16_t* size) { return store.UmGetUserName(id, buffer, size); },
        &result);
    EXPECT_GE(result, 0) << "user " << id;
    EXPECT_EQ(static_cast<std::size_t>(result), name.size());
    return name;
}

std::string FolderOf(IUserManager& store, std::uint32_t id) {
    std::int32_t result = 0;
    const std::string folder =
        ReadBuffer([&](char* buffer,
                       std::int16_t* size) { return store.UmGetUserDirectory(id, buffer, size); },
                   &result);
    EXPECT_GT(result, 0) << "user " << id;
    return folder;
}

std::string RootOf(IUserManager& store) {
    std::int32_t result = 0;
    const std::string root = ReadBuffer(
        [&](char* buffer, std::int16_t* size) { return store.UmGetRootDirectory(buffer, size); },
        &result);
    EXPECT_EQ(result, 0);
    return root;
}

// The identifier of the named user; fails the test when there is none.
std::uint32_t IdOf(IUserManager& store, const std::string& name) {
    std::uint32_t id = 0xDEADBEEF;
    EXPECT_GE(store.UmGetIDFromName(name.c_str(), &id), 0) << name;
    return id;
}

// The identifiers in list order.
std::vector<std::uint32_t> IdsOf(IUserManager& store) {
    std::vector<std::uint32_t> ids;
    const std::int16_t count = store.UmGetUserCount();
    EXPECT_GE(count, 0);
    for (std::uint16_t index = 0; static_cast<std::int16_t>(index) < count; ++index) {
        std::uint32_t id = 0;
        EXPECT_EQ(store.UmGetUserID(index, &id), 0) << "index " << index;
        ids.push_back(id);
    }
    return ids;
}

// A desktop folder holding the store file and a separate root folder for the
// users' folders, both in a private temporary folder.
class UserStoreTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_desktop);
        fs::create_directory(m_root);
    }

    std::string StorePath() const { return m_desktop + "/UserData.txt"; }

    // The store over a file with exactly this text.
    std::unique_ptr<FileUserManager> StoreWith(const std::string& text) {
        WriteText(StorePath(), text);
        auto store = FileUserManager::Open(m_desktop);
        EXPECT_NE(store, nullptr) << text;
        return store;
    }

    // A new, empty store whose root is m_root.
    std::unique_ptr<FileUserManager> NewStore() {
        EXPECT_TRUE(FileUserManager::Create(m_desktop, m_root));
        auto store = FileUserManager::Open(m_desktop);
        EXPECT_NE(store, nullptr);
        return store;
    }

    TempDir m_dir;
    const std::string m_desktop = m_dir.Path() + "/desktop";
    const std::string m_root = m_dir.Path() + "/users/";
};

// ---------------------------------------------------------------------------
// Opening and creating

TEST(FileUserManagerOpen, GivesNullWithoutAStoreFile) {
    TempDir dir;
    EXPECT_EQ(FileUserManager::Open(dir.Path()), nullptr);
    EXPECT_EQ(FileUserManager::Open(dir.Path() + "/missing"), nullptr);
    EXPECT_FALSE(Exists(dir.Path() + "/UserData.txt")) << "opening must not create the file";
}

TEST(FileUserManagerOpen, GivesNullWhenTheStoreIsAFolder) {
    TempDir dir;
    fs::create_directory(dir.Path() + "/UserData.txt");
    EXPECT_EQ(FileUserManager::Open(dir.Path()), nullptr);
}

class MalformedStoreTest : public UserStoreTest, public testing::WithParamInterface<const char*> {};

TEST_P(MalformedStoreTest, OpenGivesNull) {
    WriteText(StorePath(), GetParam());
    EXPECT_EQ(FileUserManager::Open(m_desktop), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Lines, MalformedStoreTest,
                         testing::Values("rooot\t/palm/\n", "garbage\n", "user 1 Jane Jane\n",
                                         " user\t1\tJane\tJane\n", "user\t1\tJane\n",
                                         "user\t1\tJane\tJane\textra\n", "user\tone\tJane\tJane\n",
                                         "user\t\tJane\tJane\n", "user\t12x\tJane\tJane\n",
                                         "user\t4294967296\tJane\tJane\n",
                                         "user\t99999999999999999999\tJane\tJane\n", "root\t\n",
                                         "root\n", "root\t/a/\t/b/\n",
                                         "root\t/palm/\nuser\t1\tA\tA\nnot a record\n"));

TEST_F(UserStoreTest, CreateThenOpenGivesAnEmptyStore) {
    ASSERT_TRUE(FileUserManager::Create(m_desktop, m_root));
    EXPECT_EQ(DataLines(StorePath()), std::vector<std::string>{"root\t" + m_root});
    auto store = FileUserManager::Open(m_desktop);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->UmGetUserCount(), 0);
    EXPECT_EQ(RootOf(*store), m_root);
    std::uint32_t id = 0;
    EXPECT_EQ(store->UmGetUserID(0, &id), Err::InvalidUserIndex);
}

TEST_F(UserStoreTest, CreateEndsTheRootWithASeparator) {
    ASSERT_TRUE(FileUserManager::Create(m_desktop, m_dir.Path() + "/users"));
    auto store = FileUserManager::Open(m_desktop);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(RootOf(*store), m_dir.Path() + "/users/");
}

TEST_F(UserStoreTest, CreateFailsInAMissingFolder) {
    EXPECT_FALSE(FileUserManager::Create(m_dir.Path() + "/missing", m_root));
    EXPECT_FALSE(Exists(m_dir.Path() + "/missing"));
}

TEST_F(UserStoreTest, CreateReplacesAnOldStore) {
    WriteText(StorePath(), "user\t1\tJane\tJane\n");
    ASSERT_TRUE(FileUserManager::Create(m_desktop, m_root));
    auto store = FileUserManager::Open(m_desktop);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->UmGetUserCount(), 0);
}

// ---------------------------------------------------------------------------
// The file format

TEST_F(UserStoreTest, ReadsAHandWrittenFile) {
    auto store = StoreWith("# Palm users\r\n"
                           "\r\n"
                           "root\t/palm/users/\r\n"
                           "# Jane first\n"
                           "user\t7\tJane Doe\tJaneD\r\n"
                           "\n"
                           "user\t3\tBob\tbob folder"); // last line without a newline
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->UmGetUserCount(), 2);
    EXPECT_EQ(IdsOf(*store), (std::vector<std::uint32_t>{7, 3}));
    EXPECT_EQ(NameOf(*store, 7), "Jane Doe");
    EXPECT_EQ(FolderOf(*store, 7), "JaneD");
    EXPECT_EQ(NameOf(*store, 3), "Bob");
    EXPECT_EQ(FolderOf(*store, 3), "bob folder");
    EXPECT_EQ(RootOf(*store), "/palm/users/");
}

TEST_F(UserStoreTest, EmptyFileIsAnEmptyStoreRootedInTheDesktopFolder) {
    auto store = StoreWith("");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->UmGetUserCount(), 0);
    EXPECT_EQ(RootOf(*store), m_desktop + "/");
}

TEST_F(UserStoreTest, WithoutARootLineTheDesktopFolderIsTheRoot) {
    auto store = StoreWith("user\t1\tJane\tJane\n");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(RootOf(*store), m_desktop + "/");
}

TEST_F(UserStoreTest, RootLineGetsASeparatorAppended) {
    auto store = StoreWith("root\t/palm/users\n");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(RootOf(*store), "/palm/users/");
}

TEST_F(UserStoreTest, WritesOneLinePerUserAfterTheRootLine) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane Doe", 0), 0);
    ASSERT_EQ(store->UmAddUser("Bob", 0), 0);
    const std::uint32_t jane = IdOf(*store, "Jane Doe");
    const std::uint32_t bob = IdOf(*store, "Bob");
    EXPECT_EQ(DataLines(StorePath()),
              (std::vector<std::string>{
                  "root\t" + m_root,
                  "user\t" + std::to_string(jane) + "\tJane Doe\t" + FolderOf(*store, jane),
                  "user\t" + std::to_string(bob) + "\tBob\t" + FolderOf(*store, bob)}));
}

TEST_F(UserStoreTest, AChangeKeepsEveryOtherUserAsWritten) {
    auto store = StoreWith("root\t" + m_root +
                           "\n"
                           "user\t12\tJürgen Müller\tcustom folder\n"
                           "user\t4\tJane\tJane\n"
                           "user\t30\t  spaced  \tx-y_z\n");
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->UmRenameUser(4, "Janet"), 0);

    auto again = FileUserManager::Open(m_desktop);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(IdsOf(*again), (std::vector<std::uint32_t>{12, 4, 30}));
    EXPECT_EQ(NameOf(*again, 12), "Jürgen Müller");
    EXPECT_EQ(FolderOf(*again, 12), "custom folder");
    EXPECT_EQ(NameOf(*again, 4), "Janet");
    EXPECT_EQ(FolderOf(*again, 4), "Jane");
    EXPECT_EQ(NameOf(*again, 30), "  spaced  ");
    EXPECT_EQ(FolderOf(*again, 30), "x-y_z");
    EXPECT_EQ(RootOf(*again), m_root);
}

TEST_F(UserStoreTest, AChangeKeepsTheDefaultRoot) {
    auto store = StoreWith("user\t1\tJane\tJane\n");
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->UmAddUser("Bob", 0), 0);

    auto again = FileUserManager::Open(m_desktop);
    ASSERT_NE(again, nullptr) << ReadText(StorePath());
    EXPECT_EQ(RootOf(*again), m_desktop + "/");
    EXPECT_TRUE(IsDirectory(m_desktop + "/" + FolderOf(*again, IdOf(*again, "Bob"))));
}

// ---------------------------------------------------------------------------
// Reading calls

TEST_F(UserStoreTest, UserIdRejectsIndexesPastTheEnd) {
    auto store = StoreWith("user\t5\tA\tA\nuser\t6\tB\tB\n");
    ASSERT_NE(store, nullptr);
    std::uint32_t id = 0;
    EXPECT_EQ(store->UmGetUserID(1, &id), 0);
    EXPECT_EQ(id, 6u);
    EXPECT_EQ(store->UmGetUserID(2, &id), Err::InvalidUserIndex);
    EXPECT_EQ(store->UmGetUserID(0xFFFF, &id), Err::InvalidUserIndex);
    EXPECT_EQ(store->UmGetUserID(0, nullptr), Err::InvalidPointer);
}

TEST_F(UserStoreTest, UserNameGivesItsLengthAndWritesNoFurther) {
    auto store = StoreWith("user\t5\tJane Doe\tJane\n");
    ASSERT_NE(store, nullptr);

    char buffer[16];
    std::memset(buffer, 'X', sizeof(buffer));
    std::int16_t size = 9; // exactly the name and its terminator
    EXPECT_EQ(store->UmGetUserName(5, buffer, &size), 8);
    EXPECT_STREQ(buffer, "Jane Doe");
    EXPECT_EQ(std::string(buffer + 9, 7), std::string(7, 'X'));

    std::memset(buffer, 'X', sizeof(buffer));
    size = 8; // no room for the terminator
    EXPECT_EQ(store->UmGetUserName(5, buffer, &size), Err::BufferTooSmall);
    EXPECT_EQ(std::string(buffer + 8, 8), std::string(8, 'X'));

    size = 0;
    EXPECT_EQ(store->UmGetUserName(5, buffer, &size), Err::BufferTooSmall);
    size = -1;
    EXPECT_EQ(store->UmGetUserName(5, buffer, &size), Err::BufferTooSmall);
    size = 16;
    EXPECT_EQ(store->UmGetUserName(5, nullptr, &size), Err::InvalidPointer);
    EXPECT_EQ(store->UmGetUserName(5, buffer, nullptr), Err::InvalidPointer);
}

TEST_F(UserStoreTest, UnknownIdsAreInvalidUsers) {
    auto store = StoreWith("user\t5\tJane\tJane\n");
    ASSERT_NE(store, nullptr);
    char buffer[64];
    std::int16_t size = sizeof(buffer);
    EXPECT_EQ(store->UmGetUserName(6, buffer, &size), Err::InvalidUser);
    size = sizeof(buffer);
    EXPECT_EQ(store->UmGetUserDirectory(6, buffer, &size), Err::InvalidUser);
    size = sizeof(buffer);
    EXPECT_EQ(store->UmGetUserName(0, buffer, &size), Err::InvalidUser);
}

TEST_F(UserStoreTest, AnEmptyNameReadsAsLengthZero) {
    auto store = StoreWith("user\t5\t\tSomeone\n");
    ASSERT_NE(store, nullptr);
    char buffer[64];
    std::memset(buffer, 'X', sizeof(buffer));
    std::int16_t size = sizeof(buffer);
    EXPECT_EQ(store->UmGetUserName(5, buffer, &size), 0);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(UserStoreTest, UserDirectoryIsPositiveWithTheFolderText) {
    auto store = StoreWith("user\t5\tJane\tJaneFolder\nuser\t6\tNobody\t\n");
    ASSERT_NE(store, nullptr);
    char buffer[64];
    std::int16_t size = sizeof(buffer);
    EXPECT_GT(store->UmGetUserDirectory(5, buffer, &size), 0);
    EXPECT_STREQ(buffer, "JaneFolder");

    size = 10; // "JaneFolder" needs 11
    EXPECT_EQ(store->UmGetUserDirectory(5, buffer, &size), Err::BufferTooSmall);

    size = sizeof(buffer);
    const std::int32_t none = store->UmGetUserDirectory(6, buffer, &size);
    EXPECT_LE(none, 0) << "a user without a folder must not look like success";
    EXPECT_TRUE(Err::IsError(none));
}

TEST_F(UserStoreTest, RootDirectoryNeedsRoomForTheWholeText) {
    auto store = StoreWith("root\t/palm/users/\n");
    ASSERT_NE(store, nullptr);
    char buffer[64];
    std::memset(buffer, 'X', sizeof(buffer));
    std::int16_t size = 13; // "/palm/users/" and its terminator
    EXPECT_EQ(store->UmGetRootDirectory(buffer, &size), 0);
    EXPECT_STREQ(buffer, "/palm/users/");
    EXPECT_EQ(buffer[13], 'X');
    size = 12;
    EXPECT_EQ(store->UmGetRootDirectory(buffer, &size), Err::BufferTooSmall);
}

TEST_F(UserStoreTest, IdFromNameMatchesWholeNamesOnly) {
    auto store = StoreWith("user\t0\tZero\tZero\nuser\t8\tJane Doe\tJane\n");
    ASSERT_NE(store, nullptr);
    std::uint32_t id = 1234;
    EXPECT_GE(store->UmGetIDFromName("Jane Doe", &id), 0);
    EXPECT_EQ(id, 8u);
    EXPECT_GE(store->UmGetIDFromName("Zero", &id), 0);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(store->UmGetIDFromName("Jane", &id), Err::NoUserFound);
    EXPECT_EQ(store->UmGetIDFromName("Jane Doe ", &id), Err::NoUserFound);
    EXPECT_EQ(store->UmGetIDFromName("", &id), Err::NoUserFound);
    EXPECT_TRUE(Err::IsError(store->UmGetIDFromName(nullptr, &id)));
    EXPECT_TRUE(Err::IsError(store->UmGetIDFromName("Jane Doe", nullptr)));
}

// ---------------------------------------------------------------------------
// Adding users

TEST_F(UserStoreTest, AddCreatesTheUsersFolderUnderTheRoot) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane Doe", 0), 0);
    EXPECT_EQ(store->UmGetUserCount(), 1);
    const std::uint32_t id = IdOf(*store, "Jane Doe");
    EXPECT_EQ(IdsOf(*store), std::vector<std::uint32_t>{id});
    EXPECT_EQ(NameOf(*store, id), "Jane Doe");
    const std::string folder = FolderOf(*store, id);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(IsDirectory(m_root + folder)) << m_root + folder;
    EXPECT_EQ(Entries(m_desktop), std::set<std::string>{"UserData.txt"})
        << "the user's folder belongs under the root, not beside the store";
}

TEST_F(UserStoreTest, AddGivesTheNextIdAfterTheHighest) {
    auto store = StoreWith("root\t" + m_root + "\nuser\t3\tA\tA\nuser\t9\tB\tB\nuser\t5\tC\tC\n");
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->UmAddUser("D", 0), 0);
    EXPECT_EQ(IdOf(*store, "D"), 10u);
    ASSERT_EQ(store->UmAddUser("E", 0), 0);
    EXPECT_EQ(IdOf(*store, "E"), 11u);
    EXPECT_EQ(IdsOf(*store), (std::vector<std::uint32_t>{3, 9, 5, 10, 11}));
}

TEST_F(UserStoreTest, AddRejectsATakenName) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane Doe", 0), 0);
    const std::string before = ReadText(StorePath());
    EXPECT_EQ(store->UmAddUser("Jane Doe", 0), Err::UserExists);
    EXPECT_EQ(store->UmGetUserCount(), 1);
    EXPECT_EQ(ReadText(StorePath()), before);
}

TEST_F(UserStoreTest, AddRejectsNamesThatCannotBeStored) {
    auto store = NewStore();
    const std::string before = ReadText(StorePath());
    EXPECT_EQ(store->UmAddUser("", 0), Err::InvalidUserName);
    EXPECT_EQ(store->UmAddUser("Jane\tDoe", 0), Err::InvalidUserName);
    EXPECT_EQ(store->UmAddUser("Jane\nuser\t99\tEve\tEve", 0), Err::InvalidUserName);
    EXPECT_EQ(store->UmAddUser("Jane\rDoe", 0), Err::InvalidUserName);
    EXPECT_TRUE(Err::IsError(store->UmAddUser(nullptr, 0)));
    EXPECT_EQ(ReadText(StorePath()), before);
    EXPECT_EQ(store->UmGetUserCount(), 0);
    EXPECT_TRUE(Entries(m_root).empty()) << "no folder for a refused user";
}

TEST_F(UserStoreTest, AddAcceptsFortyCharactersButNotMore) {
    auto store = NewStore();
    const std::string forty(40, 'a');
    EXPECT_EQ(store->UmAddUser((forty + "b").c_str(), 0), Err::StringTooBig);
    EXPECT_EQ(store->UmGetUserCount(), 0);
    ASSERT_EQ(store->UmAddUser(forty.c_str(), 0), 0);
    EXPECT_EQ(NameOf(*store, IdOf(*store, forty)), forty);
}

TEST_F(UserStoreTest, NamesThatReduceToTheSameFolderGetDistinctFolders) {
    auto store = NewStore();
    const std::vector<std::string> names = {"Jane Doe", "Jane.Doe", "Jane  Doe!", "JaneDoe"};
    std::set<std::string> folders;
    for (const std::string& name : names) {
        ASSERT_EQ(store->UmAddUser(name.c_str(), 0), 0) << name;
        const std::string folder = FolderOf(*store, IdOf(*store, name));
        EXPECT_TRUE(IsDirectory(m_root + folder)) << folder;
        folders.insert(folder);
    }
    EXPECT_EQ(folders.size(), names.size());
}

TEST_F(UserStoreTest, ARenamedUserKeepsItsFolderFromTheNextUser) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    const std::uint32_t jane = IdOf(*store, "Jane");
    ASSERT_EQ(store->UmRenameUser(jane, "Janet"), 0);
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    EXPECT_NE(FolderOf(*store, IdOf(*store, "Jane")), FolderOf(*store, jane));
}

TEST_F(UserStoreTest, UserFoldersStayInsideTheRoot) {
    auto store = NewStore();
    const std::vector<std::string> names = {"../../escape", "..", ".", "/", "a/b", "~", "***"};
    for (const std::string& name : names) {
        ASSERT_EQ(store->UmAddUser(name.c_str(), 0), 0) << name;
        const std::string folder = FolderOf(*store, IdOf(*store, name));
        EXPECT_FALSE(folder.empty()) << name;
        EXPECT_EQ(folder.find('/'), std::string::npos) << folder;
        EXPECT_NE(folder, ".");
        EXPECT_NE(folder, "..");
        EXPECT_TRUE(IsDirectory(m_root + folder)) << folder;
    }
    EXPECT_EQ(Entries(m_root).size(), names.size());
    EXPECT_EQ(Entries(m_dir.Path()), (std::set<std::string>{"desktop", "users"}));
}

TEST_F(UserStoreTest, AddFailsWhenTheFolderCannotBeMade) {
    // The root is a plain file, so no folder can be made in it, even by root.
    const std::string rootFile = m_dir.Path() + "/rootfile";
    WriteText(rootFile, "not a folder");
    ASSERT_TRUE(FileUserManager::Create(m_desktop, rootFile));
    auto store = FileUserManager::Open(m_desktop);
    ASSERT_NE(store, nullptr);
    const std::string before = ReadText(StorePath());

    EXPECT_EQ(store->UmAddUser("Jane Doe", 0), Err::InvalidUserDirectory);
    EXPECT_EQ(store->UmGetUserCount(), 0);
    EXPECT_EQ(ReadText(StorePath()), before);
    EXPECT_EQ(ReadText(rootFile), "not a folder");
}

TEST_F(UserStoreTest, AddFailsWhenTheRootIsMissing) {
    ASSERT_TRUE(FileUserManager::Create(m_desktop, m_dir.Path() + "/nowhere/"));
    auto store = FileUserManager::Open(m_desktop);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->UmAddUser("Jane Doe", 0), Err::InvalidUserDirectory);
    EXPECT_EQ(store->UmGetUserCount(), 0);
}

TEST_F(UserStoreTest, AUsersFolderIsAlwaysAFolder) {
    // Learn the folder "Jane Doe" gets, then put a plain file in its place.
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane Doe", 0), 0);
    const std::uint32_t first = IdOf(*store, "Jane Doe");
    const std::string folder = FolderOf(*store, first);
    ASSERT_EQ(store->UmDeleteUser(first), 0);
    fs::remove(m_root + folder);
    WriteText(m_root + folder, "in the way");

    const std::int32_t result = store->UmAddUser("Jane Doe", 0);
    if (result == 0) {
        EXPECT_TRUE(IsDirectory(m_root + FolderOf(*store, IdOf(*store, "Jane Doe"))));
    } else {
        EXPECT_EQ(result, Err::InvalidUserDirectory);
        EXPECT_EQ(store->UmGetUserCount(), 0);
    }
    EXPECT_EQ(ReadText(m_root + folder), "in the way");
}

// ---------------------------------------------------------------------------
// Renaming users

TEST_F(UserStoreTest, RenameChangesOnlyTheName) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    ASSERT_EQ(store->UmAddUser("Bob", 0), 0);
    const std::uint32_t jane = IdOf(*store, "Jane");
    const std::uint32_t bob = IdOf(*store, "Bob");
    const std::string folder = FolderOf(*store, jane);

    ASSERT_EQ(store->UmRenameUser(jane, "Jane Smith"), 0);
    EXPECT_EQ(IdOf(*store, "Jane Smith"), jane);
    std::uint32_t id = 0;
    EXPECT_EQ(store->UmGetIDFromName("Jane", &id), Err::NoUserFound);
    EXPECT_EQ(FolderOf(*store, jane), folder);
    EXPECT_EQ(IdsOf(*store), (std::vector<std::uint32_t>{jane, bob}));
    EXPECT_EQ(NameOf(*store, bob), "Bob");
}

TEST_F(UserStoreTest, RenameToAnotherUsersNameIsRefused) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    ASSERT_EQ(store->UmAddUser("Bob", 0), 0);
    const std::string before = ReadText(StorePath());
    EXPECT_EQ(store->UmRenameUser(IdOf(*store, "Jane"), "Bob"), Err::UserExists);
    EXPECT_EQ(ReadText(StorePath()), before);
}

TEST_F(UserStoreTest, RenameToItsOwnNameIsAccepted) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    ASSERT_EQ(store->UmAddUser("Bob", 0), 0);
    const std::uint32_t jane = IdOf(*store, "Jane");
    EXPECT_EQ(store->UmRenameUser(jane, "Jane"), 0);
    EXPECT_EQ(NameOf(*store, jane), "Jane");
    EXPECT_EQ(store->UmGetUserCount(), 2);
}

TEST_F(UserStoreTest, RenameOfAnUnknownUserIsRefused) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    const std::string before = ReadText(StorePath());
    EXPECT_EQ(store->UmRenameUser(IdOf(*store, "Jane") + 1, "Bob"), Err::InvalidUser);
    EXPECT_EQ(ReadText(StorePath()), before);
}

TEST_F(UserStoreTest, RenameChecksTheNewName) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Jane", 0), 0);
    const std::uint32_t jane = IdOf(*store, "Jane");
    const std::string before = ReadText(StorePath());
    EXPECT_EQ(store->UmRenameUser(jane, ""), Err::InvalidUserName);
    EXPECT_EQ(store->UmRenameUser(jane, "Ja\tne"), Err::InvalidUserName);
    EXPECT_EQ(store->UmRenameUser(jane, "Jane\nuser\t9\tEve\tEve"), Err::InvalidUserName);
    EXPECT_EQ(store->UmRenameUser(jane, std::string(41, 'j').c_str()), Err::StringTooBig);
    EXPECT_TRUE(Err::IsError(store->UmRenameUser(jane, nullptr)));
    EXPECT_EQ(ReadText(StorePath()), before);
    EXPECT_EQ(store->UmRenameUser(jane, std::string(40, 'j').c_str()), 0);
}

// ---------------------------------------------------------------------------
// Deleting users

TEST_F(UserStoreTest, DeleteRemovesTheUserButKeepsItsFolder) {
    auto store = NewStore();
    for (const char* name : {"Ann", "Bob", "Cy"})
        ASSERT_EQ(store->UmAddUser(name, 0), 0) << name;
    const std::uint32_t ann = IdOf(*store, "Ann");
    const std::uint32_t bob = IdOf(*store, "Bob");
    const std::uint32_t cy = IdOf(*store, "Cy");
    const std::string folder = m_root + FolderOf(*store, bob);
    fs::create_directory(folder + "/Tarvenly");
    WriteText(folder + "/Tarvenly/TvData.tv", "data");

    ASSERT_EQ(store->UmDeleteUser(bob), 0);
    EXPECT_EQ(IdsOf(*store), (std::vector<std::uint32_t>{ann, cy}));
    std::uint32_t id = 0;
    EXPECT_EQ(store->UmGetIDFromName("Bob", &id), Err::NoUserFound);
    char buffer[64];
    std::int16_t size = sizeof(buffer);
    EXPECT_EQ(store->UmGetUserName(bob, buffer, &size), Err::InvalidUser);
    EXPECT_EQ(DataLines(StorePath()).size(), 3u) << "root and two users";
    EXPECT_EQ(ReadText(folder + "/Tarvenly/TvData.tv"), "data");
    EXPECT_EQ(NameOf(*store, cy), "Cy");
}

TEST_F(UserStoreTest, DeleteOfAnUnknownUserIsRefused) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Ann", 0), 0);
    const std::uint32_t ann = IdOf(*store, "Ann");
    const std::string before = ReadText(StorePath());
    EXPECT_EQ(store->UmDeleteUser(ann + 1), Err::InvalidUser);
    EXPECT_EQ(ReadText(StorePath()), before);
    ASSERT_EQ(store->UmDeleteUser(ann), 0);
    EXPECT_EQ(store->UmDeleteUser(ann), Err::InvalidUser);
    EXPECT_EQ(store->UmGetUserCount(), 0);
}

// ---------------------------------------------------------------------------
// The file as shared state

TEST_F(UserStoreTest, ChangesByAnotherWriterAreSeenAtOnce) {
    auto store = StoreWith("root\t/first/\nuser\t1\tAnn\tAnn\n");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->UmGetUserCount(), 1);

    WriteText(StorePath(), "root\t/second/\nuser\t1\tAnnie\tAnn\nuser\t4\tBob\tBob\n");
    EXPECT_EQ(store->UmGetUserCount(), 2);
    EXPECT_EQ(NameOf(*store, 1), "Annie");
    EXPECT_EQ(IdOf(*store, "Bob"), 4u);
    EXPECT_EQ(RootOf(*store), "/second/");
}

TEST_F(UserStoreTest, TwoStoresOnOneFileSeeEachOthersChanges) {
    ASSERT_TRUE(FileUserManager::Create(m_desktop, m_root));
    auto first = FileUserManager::Open(m_desktop);
    auto second = FileUserManager::Open(m_desktop);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    ASSERT_EQ(first->UmAddUser("Ann", 0), 0);
    EXPECT_EQ(second->UmAddUser("Ann", 0), Err::UserExists);
    ASSERT_EQ(second->UmAddUser("Bob", 0), 0);
    EXPECT_NE(IdOf(*first, "Bob"), IdOf(*first, "Ann"));
    ASSERT_EQ(first->UmDeleteUser(IdOf(*first, "Ann")), 0);
    EXPECT_EQ(second->UmGetUserCount(), 1);
}

TEST_F(UserStoreTest, EveryCallReportsAStoreFileThatIsGone) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Ann", 0), 0);
    const std::uint32_t ann = IdOf(*store, "Ann");
    fs::remove(StorePath());

    char buffer[64];
    std::int16_t size = sizeof(buffer);
    std::uint32_t id = 0;
    EXPECT_EQ(store->UmGetUserCount(), Err::NoUserDataFile);
    EXPECT_EQ(store->UmGetUserID(0, &id), Err::NoUserDataFile);
    EXPECT_EQ(store->UmGetUserName(ann, buffer, &size), Err::NoUserDataFile);
    EXPECT_EQ(store->UmGetUserDirectory(ann, buffer, &size), Err::NoUserDataFile);
    EXPECT_EQ(store->UmGetRootDirectory(buffer, &size), Err::NoUserDataFile);
    EXPECT_EQ(store->UmGetIDFromName("Ann", &id), Err::NoUserDataFile);
    EXPECT_EQ(store->UmAddUser("Bob", 0), Err::NoUserDataFile);
    EXPECT_EQ(store->UmRenameUser(ann, "Annie"), Err::NoUserDataFile);
    EXPECT_EQ(store->UmDeleteUser(ann), Err::NoUserDataFile);
    EXPECT_FALSE(Exists(StorePath())) << "a change must not bring back a lost store";
}

TEST_F(UserStoreTest, AStoreFileSpoiltByAnotherWriterIsNotOverwritten) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Ann", 0), 0);
    const std::uint32_t ann = IdOf(*store, "Ann");
    const std::string spoilt = "root\t" + m_root + "\nuser\t1\tAnn\n";
    WriteText(StorePath(), spoilt);

    EXPECT_EQ(store->UmGetUserCount(), Err::NoUserDataFile);
    EXPECT_EQ(store->UmAddUser("Bob", 0), Err::NoUserDataFile);
    EXPECT_EQ(store->UmRenameUser(ann, "Annie"), Err::NoUserDataFile);
    EXPECT_EQ(store->UmDeleteUser(ann), Err::NoUserDataFile);
    EXPECT_EQ(ReadText(StorePath()), spoilt);
}

TEST_F(UserStoreTest, EveryChangeReplacesTheFileWhole) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Ann", 0), 0);
    const std::string before = ReadText(StorePath());

    // A reader that has the old file open keeps reading the old file whole,
    // and the store file is a new one after each change.
    std::ifstream reader(StorePath(), std::ios::binary);
    ASSERT_TRUE(reader.good());
    struct stat old {};
    ASSERT_EQ(::stat(StorePath().c_str(), &old), 0);

    ASSERT_EQ(store->UmAddUser("Bob", 0), 0);
    struct stat added {};
    ASSERT_EQ(::stat(StorePath().c_str(), &added), 0);
    EXPECT_NE(added.st_ino, old.st_ino);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), {}), before);

    ASSERT_EQ(store->UmRenameUser(IdOf(*store, "Bob"), "Bobby"), 0);
    struct stat renamed {};
    ASSERT_EQ(::stat(StorePath().c_str(), &renamed), 0);
    EXPECT_NE(renamed.st_ino, added.st_ino);

    ASSERT_EQ(store->UmDeleteUser(IdOf(*store, "Ann")), 0);
    struct stat deleted {};
    ASSERT_EQ(::stat(StorePath().c_str(), &deleted), 0);
    EXPECT_NE(deleted.st_ino, renamed.st_ino);

    EXPECT_EQ(Entries(m_desktop), std::set<std::string>{"UserData.txt"})
        << "no temporary file may be left behind";
}

TEST_F(UserStoreTest, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    auto store = NewStore();
    ASSERT_EQ(store->UmAddUser("Ann", 0), 0);
    const std::uint32_t ann = IdOf(*store, "Ann");
    const std::string before = ReadText(StorePath());

    std::int32_t added = 0;
    std::int32_t renamed = 0;
    std::int32_t deleted = 0;
    {
        const FileSizeLimit limit(16); // the store's first line is longer
        added = store->UmAddUser("Bob", 0);
        renamed = store->UmRenameUser(ann, "Annie");
        deleted = store->UmDeleteUser(ann);
    }
    EXPECT_EQ(added, Err::CannotWriteStore);
    EXPECT_EQ(renamed, Err::CannotWriteStore);
    EXPECT_EQ(deleted, Err::CannotWriteStore);
    EXPECT_EQ(ReadText(StorePath()), before);
    EXPECT_EQ(IdsOf(*store), std::vector<std::uint32_t>{ann});
    EXPECT_EQ(NameOf(*store, ann), "Ann");
    EXPECT_EQ(Entries(m_desktop), std::set<std::string>{"UserData.txt"})
        << "a failed write must not leave its temporary file";
}

} // namespace
