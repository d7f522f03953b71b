// libCondMgr.so: the conduit manager over Palm Desktop's settings.

#include "CondMgr.h"

#include "PalmDesktopSettings.h"

#include <QByteArray>
#include <cstring>

#define TV_EXPORT __attribute__((visibility("default")))

extern "C" TV_EXPORT std::int32_t CmGetNotifierDll(std::int32_t index, char* name,
                                                   std::int32_t* size) {
    if (name == nullptr || size == nullptr)
        return CondMgrError::InvalidPointer;
    const std::map<int, QString> registrations = PalmDesktopSettings::NotifierRegistrations();
    if (index < 0 || registrations.empty() || index > registrations.rbegin()->first)
        return CondMgrError::IndexOutOfRange;
    const auto found = registrations.find(index);
    const QByteArray library = found == registrations.end() ? QByteArray() : found->second.toUtf8();
    const auto needed = static_cast<std::int32_t>(library.size()) + 1;
    if (*size < needed) {
        *size = needed;
        return CondMgrError::BufferTooSmall;
    }
    std::memcpy(name, library.constData(), static_cast<std::size_t>(needed));
    *size = needed;
    return 0;
}

extern "C" TV_EXPORT std::int32_t CmSetNotifierDll(std::int32_t index, const char* name) {
    if (name == nullptr)
        return CondMgrError::InvalidPointer;
    if (index < 0 || index > PalmDesktopSettings::kMaxNotifierNumber)
        return CondMgrError::IndexOutOfRange;
    if (*name == '\0')
        return CondMgrError::InvalidPath;
    PalmDesktopSettings::SetNotifier(index, QString::fromUtf8(name));
    return 0;
}

extern "C" TV_EXPORT std::int32_t CmInstallCreator(const char* creator, const char* conduit) {
    if (creator == nullptr || conduit == nullptr)
        return CondMgrError::InvalidPointer;
    const QString id = QString::fromUtf8(creator);
    if (!PalmDesktopSettings::IsCreatorId(id))
        return CondMgrError::InvalidCreatorId;
    if (*conduit == '\0')
        return CondMgrError::InvalidPath;
    PalmDesktopSettings::SetConduit(id, QString::fromUtf8(conduit));
    return 0;
}

extern "C" TV_EXPORT std::int32_t CmRemoveConduitByCreatorID(const char* creator) {
    if (creator == nullptr)
        return CondMgrError::InvalidPointer;
    const QString id = QString::fromUtf8(creator);
    if (!PalmDesktopSettings::IsCreatorId(id))
        return CondMgrError::InvalidCreatorId;
    return PalmDesktopSettings::RemoveConduit(id) ? 0 : CondMgrError::NoConduit;
}
