#include "PalmDesktopSettings.h"

#include <QSettings>
#include <climits>

namespace PalmDesktopSettings {
namespace {

constexpr const char* kHotSyncGroup = "HotSync Manager";
constexpr const char* kNotifierPrefix = "Notifier";
constexpr const char* kRestartRequests = "HotSync Manager/Restart Requests";
constexpr const char* kConduitsGroup = "Conduits";

QSettings Open() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
}

QString NotifierKey(int number) {
    return QString("%1/%2%3").arg(kHotSyncGroup, kNotifierPrefix).arg(number);
}

// The number n of a value named "Notifier<n>", n written the way "%ld"
// writes it: decimal digits, no sign, no leading zeros.
std::optional<int> NotifierNumber(const QString& key) {
    if (!key.startsWith(kNotifierPrefix))
        return std::nullopt;
    const QString digits = key.mid(QLatin1String(kNotifierPrefix).size());
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok || number < 0 || number > kMaxNotifierNumber || QString::number(number) != digits)
        return std::nullopt;
    return number;
}

QString ConduitGroup(const QString& creator) {
    return QString(kConduitsGroup) + "/" + creator;
}

QString ConduitKey(const QString& creator) {
    return ConduitGroup(creator) + "/Conduit";
}

} // namespace

bool HasCoreKey() {
    QSettings settings = Open();
    return settings.childGroups().contains("Core");
}

std::optional<QString> DesktopFolder() {
    QSettings settings = Open();
    settings.beginGroup("Core");
    for (const char* name : {"DesktopPath", "Path"}) {
        // An empty value names no folder, just as a missing one.
        const QString value = settings.value(name).toString();
        if (!value.isEmpty())
            return value;
    }
    return std::nullopt;
}

void SetDesktopFolder(const QString& folder) {
    QSettings settings = Open();
    settings.setValue("Core/DesktopPath", folder);
    settings.sync();
}

std::map<int, QString> NotifierRegistrations() {
    QSettings settings = Open();
    settings.beginGroup(kHotSyncGroup);
    std::map<int, QString> registrations;
    for (const QString& key : settings.childKeys())
        if (const auto number = NotifierNumber(key))
            registrations[*number] = settings.value(key).toString();
    return registrations;
}

QStringList Notifiers() {
    QStringList libraries;
    for (const auto& [number, library] : NotifierRegistrations())
        if (!library.isEmpty())
            libraries.append(library);
    return libraries;
}

void SetNotifier(int number, const QString& library) {
    QSettings settings = Open();
    settings.setValue(NotifierKey(number), library);
    settings.sync();
}

void RemoveNotifier(int number) {
    QSettings settings = Open();
    settings.remove(NotifierKey(number));
    settings.sync();
}

std::optional<int> FreeNotifierNumber() {
    const std::map<int, QString> registrations = NotifierRegistrations();
    for (int number = 0; number <= kMaxNotifierNumber; ++number)
        if (registrations.count(number) == 0)
            return number;
    return std::nullopt;
}

void AddNotifier(const QString& library) {
    if (Notifiers().contains(library))
        return;
    if (const auto number = FreeNotifierNumber())
        SetNotifier(*number, library);
}

bool IsCreatorId(const QString& creator) {
    if (creator.size() != 4)
        return false;
    for (const QChar c : creator)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || c == '/' || c == '\\')
            return false;
    return true;
}

void SetConduit(const QString& creator, const QString& conduitLibrary) {
    QSettings settings = Open();
    settings.setValue(ConduitKey(creator), conduitLibrary);
    settings.sync();
}

bool RemoveConduit(const QString& creator) {
    QSettings settings = Open();
    if (!settings.contains(ConduitKey(creator)))
        return false;
    settings.remove(ConduitGroup(creator));
    settings.sync();
    return true;
}

int RestartRequests() {
    QSettings settings = Open();
    return settings.value(kRestartRequests, 0).toInt();
}

void RequestRestart() {
    QSettings settings = Open();
    const int count = settings.value(kRestartRequests, 0).toInt();
    // Only a change matters to the reader, so the count wraps instead of overflowing.
    settings.setValue(kRestartRequests, count == INT_MAX ? 0 : count + 1);
    settings.sync();
}

} // namespace PalmDesktopSettings
