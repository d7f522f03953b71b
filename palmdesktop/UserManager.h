#pragma once

#include <cstdint>

// Result codes of the Palm User Manager. Results from -600 to -1 are errors.
namespace UserManagerError {
constexpr std::int32_t NoUserDataFile = -500;
constexpr std::int32_t NoUsers = -501;
constexpr std::int32_t InvalidUserIndex = -503;
constexpr std::int32_t BufferTooSmall = -504;
constexpr std::int32_t InvalidUser = -505;
constexpr std::int32_t InvalidUserName = -509;
constexpr std::int32_t InvalidUserDirectory = -510;
constexpr std::int32_t NoUserDirectory = -511;
constexpr std::int32_t NoUserFound = -512;
constexpr std::int32_t NotFound = -513;
constexpr std::int32_t BadFilename = -514;
constexpr std::int32_t UserAccess = -515;
constexpr std::int32_t SaveError = -516;
constexpr std::int32_t Unknown = -518;
constexpr std::int32_t Exclusive = -519;
constexpr std::int32_t CannotCreateFile = -520;
constexpr std::int32_t NoCorePath = -521;
constexpr std::int32_t InvalidPointer = -522;
constexpr std::int32_t UserExists = -523;
constexpr std::int32_t DirectoryInUse = -524;
constexpr std::int32_t CannotWriteStore = -525;
constexpr std::int32_t SyncPathTooBig = -526;
constexpr std::int32_t StringTooBig = -527;
constexpr std::int32_t NotSupported = -528;

constexpr bool IsError(std::int32_t result) {
    return result >= -600 && result <= -1;
}
} // namespace UserManagerError

// The calls of Palm Desktop's User Manager, with the arguments and results
// its callers rely on. Text buffers are passed with their size, which the
// call may update; every text is NUL-terminated.
class IUserManager {
public:
    virtual ~IUserManager() = default;

    // Number of users; negative: an error code.
    virtual std::int16_t UmGetUserCount() = 0;
    // The identifier of the user at index (from 0); an error code from -600
    // to -1 otherwise.
    virtual std::int32_t UmGetUserID(std::uint16_t index, std::uint32_t* userId) = 0;
    // The user's name; the name's length (0 or more), or a negative error code.
    virtual std::int32_t UmGetUserName(std::uint32_t userId, char* buffer, std::int16_t* size) = 0;
    // The user's folder text, to be placed directly after the root folder
    // text; above 0 on success.
    virtual std::int32_t UmGetUserDirectory(std::uint32_t userId, char* buffer,
                                            std::int16_t* size) = 0;
    // The Palm root folder, which ends with a separator.
    virtual std::int32_t UmGetRootDirectory(char* buffer, std::int16_t* size) = 0;
    // 0 or more: found and the identifier set; negative: not found.
    virtual std::int32_t UmGetIDFromName(const char* name, std::uint32_t* userId) = 0;
    // 0: added; otherwise an error code. reserved is always 0.
    virtual std::int32_t UmAddUser(const char* name, std::int32_t reserved) = 0;
    // 0: renamed; otherwise an error code.
    virtual std::int32_t UmRenameUser(std::uint32_t userId, const char* newName) = 0;
    // 0: deleted; otherwise an error code.
    virtual std::int32_t UmDeleteUser(std::uint32_t userId) = 0;
};
