#include "FileUserManager.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace Err = UserManagerError;

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::int32_t CopyOut(const std::string& text, char* buffer, std::int16_t* size) {
    if (buffer == nullptr || size == nullptr)
        return Err::InvalidPointer;
    if (*size <= 0 || text.size() + 1 > static_cast<std::size_t>(*size))
        return Err::BufferTooSmall;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *size = static_cast<std::int16_t>(text.size() + 1);
    return static_cast<std::int32_t>(text.size());
}

// A user name must fit a Palm user name and the store's line format.
std::int32_t CheckName(const char* name) {
    if (name == nullptr)
        return Err::InvalidPointer;
    const std::string_view text(name);
    if (text.empty() || text.find_first_of("\t\r\n") != std::string_view::npos)
        return Err::InvalidUserName;
    if (text.size() > FileUserManager::kMaxNameLength)
        return Err::StringTooBig;
    return 0;
}

// A folder name made from the user name: letters, digits, '-' and '_' only.
std::string FolderFor(const std::string& name) {
    std::string folder;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
            folder.push_back(c);
    if (folder.size() > 20)
        folder.resize(20);
    return folder.empty() ? "User" : folder;
}

} // namespace

FileUserManager::FileUserManager(std::string desktopFolder)
    : m_desktopFolder(std::move(desktopFolder)), m_path(m_desktopFolder + "/" + kFileName) {}

std::unique_ptr<FileUserManager> FileUserManager::Open(const std::string& desktopFolder) {
    std::unique_ptr<FileUserManager> manager(new FileUserManager(desktopFolder));
    Store store;
    if (!manager->Load(store))
        return nullptr;
    return manager;
}

bool FileUserManager::Create(const std::string& desktopFolder, const std::string& rootFolder) {
    FileUserManager manager(desktopFolder);
    Store store;
    store.Root = rootFolder;
    return manager.Save(store);
}

bool FileUserManager::Load(Store& store) const {
    std::ifstream in(m_path, std::ios::binary);
    if (!in)
        return false;
    store = Store();
    store.Root = m_desktopFolder + "/";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields[0] == "root" && fields.size() == 2 && !fields[1].empty()) {
            store.Root = fields[1];
            if (store.Root.back() != '/')
                store.Root.push_back('/');
        } else if (fields[0] == "user" && fields.size() == 4) {
            User user;
            char* end = nullptr;
            errno = 0;
            const unsigned long id = std::strtoul(fields[1].c_str(), &end, 10);
            if (errno != 0 || end == fields[1].c_str() || *end != '\0' || id > 0xFFFFFFFFul)
                return false;
            user.Id = static_cast<std::uint32_t>(id);
            user.Name = fields[2];
            user.Folder = fields[3];
            store.Users.push_back(std::move(user));
        } else {
            return false;
        }
    }
    return !in.bad();
}

bool FileUserManager::Save(const Store& store) const {
    std::ostringstream text;
    text << "# Palm Desktop users: one 'user' line each with identifier, name and folder,\n"
            "# separated by tabs. User folders lie under the root folder.\n";
    text << "root\t" << store.Root << "\n";
    for (const User& user : store.Users)
        text << "user\t" << user.Id << "\t" << user.Name << "\t" << user.Folder << "\n";

    // A temporary file of its own, on disk before it replaces the old one.
    std::string temp = m_path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string bytes = text.str();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        done += static_cast<std::size_t>(put);
    }
    const bool written = done == bytes.size() && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || std::rename(temp.c_str(), m_path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

const FileUserManager::User* FileUserManager::Find(const Store& store, std::uint32_t userId) {
    for (const User& user : store.Users)
        if (user.Id == userId)
            return &user;
    return nullptr;
}

std::int16_t FileUserManager::UmGetUserCount() {
    Store store;
    if (!Load(store))
        return static_cast<std::int16_t>(Err::NoUserDataFile);
    return static_cast<std::int16_t>(std::min<std::size_t>(store.Users.size(), 0x7FFF));
}

std::int32_t FileUserManager::UmGetUserID(std::uint16_t index, std::uint32_t* userId) {
    if (userId == nullptr)
        return Err::InvalidPointer;
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    if (index >= store.Users.size())
        return Err::InvalidUserIndex;
    *userId = store.Users[index].Id;
    return 0;
}

std::int32_t FileUserManager::UmGetUserName(std::uint32_t userId, char* buffer,
                                            std::int16_t* size) {
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    const User* user = Find(store, userId);
    return user == nullptr ? Err::InvalidUser : CopyOut(user->Name, buffer, size);
}

std::int32_t FileUserManager::UmGetUserDirectory(std::uint32_t userId, char* buffer,
                                                 std::int16_t* size) {
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    const User* user = Find(store, userId);
    if (user == nullptr)
        return Err::InvalidUser;
    if (user->Folder.empty())
        return Err::NoUserDirectory;
    return CopyOut(user->Folder, buffer, size);
}

std::int32_t FileUserManager::UmGetRootDirectory(char* buffer, std::int16_t* size) {
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    const std::int32_t copied = CopyOut(store.Root, buffer, size);
    return copied < 0 ? copied : 0;
}

std::int32_t FileUserManager::UmGetIDFromName(const char* name, std::uint32_t* userId) {
    if (name == nullptr || userId == nullptr)
        return Err::InvalidPointer;
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    for (const User& user : store.Users) {
        if (user.Name == name) {
            *userId = user.Id;
            return 0;
        }
    }
    return Err::NoUserFound;
}

std::int32_t FileUserManager::UmAddUser(const char* name, std::int32_t) {
    if (const std::int32_t problem = CheckName(name))
        return problem;
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    const auto sameName = [&](const User& user) { return user.Name == name; };
    if (std::any_of(store.Users.begin(), store.Users.end(), sameName))
        return Err::UserExists;

    User user;
    user.Name = name;
    for (const User& other : store.Users)
        user.Id = std::max(user.Id, other.Id);
    ++user.Id;
    const std::string base = FolderFor(user.Name);
    user.Folder = base;
    for (int suffix = 2;; ++suffix) {
        const auto sameFolder = [&](const User& other) { return other.Folder == user.Folder; };
        if (std::none_of(store.Users.begin(), store.Users.end(), sameFolder))
            break;
        user.Folder = base + std::to_string(suffix);
    }
    const std::string folder = store.Root + user.Folder;
    // An existing folder is taken over; anything else in its place is not a folder.
    struct stat existing {};
    if (::mkdir(folder.c_str(), 0755) != 0 &&
        (errno != EEXIST || ::stat(folder.c_str(), &existing) != 0 || !S_ISDIR(existing.st_mode)))
        return Err::InvalidUserDirectory;

    store.Users.push_back(std::move(user));
    return Save(store) ? 0 : Err::CannotWriteStore;
}

std::int32_t FileUserManager::UmRenameUser(std::uint32_t userId, const char* newName) {
    if (const std::int32_t problem = CheckName(newName))
        return problem;
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    User* target = nullptr;
    for (User& user : store.Users) {
        if (user.Id == userId)
            target = &user;
        else if (user.Name == newName)
            return Err::UserExists;
    }
    if (target == nullptr)
        return Err::InvalidUser;
    target->Name = newName;
    return Save(store) ? 0 : Err::CannotWriteStore;
}

std::int32_t FileUserManager::UmDeleteUser(std::uint32_t userId) {
    Store store;
    if (!Load(store))
        return Err::NoUserDataFile;
    const auto match = [&](const User& user) { return user.Id == userId; };
    const auto found = std::find_if(store.Users.begin(), store.Users.end(), match);
    if (found == store.Users.end())
        return Err::InvalidUser;
    store.Users.erase(found);
    return Save(store) ? 0 : Err::CannotWriteStore;
}
