#pragma once

#include "UserManager.h"

#include <memory>
#include <string>
#include <vector>

// Palm Desktop's user store, kept in a small text file "UserData.txt" in the
// Palm Desktop folder. Every line is a tab-separated record; lines starting
// with '#' and empty lines are ignored:
//
//   root <TAB> /path/to/users/          the root folder, ending with '/'
//   user <TAB> 7 <TAB> Jane Doe <TAB> JaneDoe
//                                       identifier, name, folder (relative
//                                       to the root folder)
//
// Without a root line the Palm Desktop folder itself is the root folder.
// The file is read on every call, so changes made by another program are
// seen at once, and replaced atomically on every change. Deleting a user
// removes the user from the list but keeps the user's folder and data.
class FileUserManager : public IUserManager {
public:
    static constexpr const char* kFileName = "UserData.txt";
    static constexpr std::size_t kMaxNameLength = 40;

    // The store in that Palm Desktop folder, or null when its file is
    // missing or unreadable.
    static std::unique_ptr<FileUserManager> Open(const std::string& desktopFolder);
    // Writes a new store file with no users; false when it cannot be written.
    static bool Create(const std::string& desktopFolder, const std::string& rootFolder);

    std::int16_t UmGetUserCount() override;
    std::int32_t UmGetUserID(std::uint16_t index, std::uint32_t* userId) override;
    std::int32_t UmGetUserName(std::uint32_t userId, char* buffer, std::int16_t* size) override;
    std::int32_t UmGetUserDirectory(std::uint32_t userId, char* buffer,
                                    std::int16_t* size) override;
    std::int32_t UmGetRootDirectory(char* buffer, std::int16_t* size) override;
    std::int32_t UmGetIDFromName(const char* name, std::uint32_t* userId) override;
    std::int32_t UmAddUser(const char* name, std::int32_t reserved) override;
    std::int32_t UmRenameUser(std::uint32_t userId, const char* newName) override;
    std::int32_t UmDeleteUser(std::uint32_t userId) override;

private:
    struct User {
        std::uint32_t Id = 0;
        std::string Name;
        std::string Folder;
    };
    struct Store {
        std::string Root;
        std::vector<User> Users;
    };

    explicit FileUserManager(std::string desktopFolder);
    bool Load(Store& store) const;
    bool Save(const Store& store) const;
    static const User* Find(const Store& store, std::uint32_t userId);

    std::string m_desktopFolder;
    std::string m_path;
};
