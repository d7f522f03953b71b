#pragma once

// The conduit manager of Palm Desktop, libCondMgr.so in the Palm Desktop
// folder: the calls installers and uninstallers make to register notifier
// libraries with HotSync Manager and conduits for a handheld application's
// creator. The registrations are kept in Palm Desktop's settings (see
// PalmDesktopSettings.h), so HotSync Manager sees every change at once.
//
// Text buffers come with their size in bytes, which the call updates; every
// text is NUL-terminated UTF-8. Results: 0 on success, else one of the codes
// below.

#include <cstdint>

namespace CondMgrError {
constexpr std::int32_t IndexOutOfRange = -1001;
constexpr std::int32_t NoConduit = -1003;
constexpr std::int32_t BufferTooSmall = -1010;
constexpr std::int32_t InvalidCreatorId = -1012;
constexpr std::int32_t InvalidPointer = -1013;
constexpr std::int32_t InvalidPath = -1018;
} // namespace CondMgrError

extern "C" {

// The notifier library registered under that number ("Notifier<index>"):
// copies its file name into name and sets *size to the bytes written, NUL
// included. A number without a registration below the highest registered one
// gives an empty name and 0, so that a caller counting up from 0 finds every
// registration; a number above the highest gives IndexOutOfRange. When the
// name does not fit, *size is set to the size it needs and the result is
// BufferTooSmall.
std::int32_t CmGetNotifierDll(std::int32_t index, char* name, std::int32_t* size);
// Registers the notifier library under that number (from 0 to
// PalmDesktopSettings::kMaxNotifierNumber), replacing what was there.
std::int32_t CmSetNotifierDll(std::int32_t index, const char* name);
// Registers the conduit library for a creator (four printable characters),
// replacing an earlier registration of that creator.
std::int32_t CmInstallCreator(const char* creator, const char* conduit);
// Removes the conduit registered for the creator; NoConduit when there is none.
std::int32_t CmRemoveConduitByCreatorID(const char* creator);

using CmGetNotifierDllFunction = std::int32_t (*)(std::int32_t, char*, std::int32_t*);
using CmSetNotifierDllFunction = std::int32_t (*)(std::int32_t, const char*);
using CmInstallCreatorFunction = std::int32_t (*)(const char*, const char*);
using CmRemoveConduitByCreatorIDFunction = std::int32_t (*)(const char*);
}
