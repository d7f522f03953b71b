#pragma once

#include "UserManager.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// A scripted Palm user store: users with names and folders, and errors to
// give for particular calls.
class FakeUserManager : public IUserManager {
public:
    struct User {
        std::uint32_t Id = 0;
        std::string Name;
        std::string Folder;
        std::int32_t IdError = 0;   // UmGetUserID gives this when set
        std::int32_t NameError = 0; // UmGetUserName gives this when set
        std::int32_t FolderResult = 1;
    };

    std::string Root;
    std::vector<User> Users;
    std::int16_t CountError = 0; // UmGetUserCount gives this when set

    std::int16_t UmGetUserCount() override {
        return CountError != 0 ? CountError : static_cast<std::int16_t>(Users.size());
    }
    std::int32_t UmGetUserID(std::uint16_t index, std::uint32_t* userId) override {
        if (index >= Users.size())
            return UserManagerError::InvalidUserIndex;
        if (Users[index].IdError != 0)
            return Users[index].IdError;
        *userId = Users[index].Id;
        return 0;
    }
    std::int32_t UmGetUserName(std::uint32_t userId, char* buffer, std::int16_t* size) override {
        const User* user = Find(userId);
        if (user == nullptr)
            return UserManagerError::InvalidUser;
        if (user->NameError != 0)
            return user->NameError;
        return Copy(user->Name, buffer, size);
    }
    std::int32_t UmGetUserDirectory(std::uint32_t userId, char* buffer,
                                    std::int16_t* size) override {
        const User* user = Find(userId);
        if (user == nullptr || user->FolderResult <= 0)
            return user == nullptr ? UserManagerError::InvalidUser : user->FolderResult;
        Copy(user->Folder, buffer, size);
        return user->FolderResult;
    }
    std::int32_t UmGetRootDirectory(char* buffer, std::int16_t* size) override {
        Copy(Root, buffer, size);
        return 0;
    }
    std::int32_t UmGetIDFromName(const char* name, std::uint32_t* userId) override {
        for (const User& user : Users) {
            if (user.Name == name) {
                *userId = user.Id;
                return 0;
            }
        }
        return UserManagerError::NoUserFound;
    }
    // Results of the changing calls; a change is made only when it is 0.
    std::int32_t AddResult = 0;
    std::int32_t RenameResult = 0;
    std::int32_t DeleteResult = 0;

    std::int32_t UmAddUser(const char* name, std::int32_t) override {
        if (AddResult == 0) {
            std::uint32_t id = 1;
            for (const User& user : Users)
                id = std::max(id, user.Id + 1);
            Users.push_back({id, name, name});
        }
        return AddResult;
    }
    std::int32_t UmRenameUser(std::uint32_t userId, const char* newName) override {
        if (RenameResult == 0)
            if (User* user = Find(userId))
                user->Name = newName;
        return RenameResult;
    }
    std::int32_t UmDeleteUser(std::uint32_t userId) override {
        if (DeleteResult == 0)
            std::erase_if(Users, [userId](const User& user) { return user.Id == userId; });
        return DeleteResult;
    }

private:
    User* Find(std::uint32_t userId) {
        for (User& user : Users)
            if (user.Id == userId)
                return &user;
        return nullptr;
    }
    const User* Find(std::uint32_t userId) const {
        return const_cast<FakeUserManager*>(this)->Find(userId);
    }
    static std::int32_t Copy(const std::string& text, char* buffer, std::int16_t* size) {
        if (text.size() + 1 > static_cast<std::size_t>(*size))
            return UserManagerError::BufferTooSmall;
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<std::int32_t>(text.size());
    }
};
