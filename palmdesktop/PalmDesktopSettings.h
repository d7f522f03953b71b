#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>

// Where Palm Desktop keeps its own settings: organisation "U.S. Robotics",
// application "Pilot Desktop", in the native settings format (on Windows the
// very registry key Palm Desktop uses).
namespace PalmDesktopSettings {

constexpr const char* kOrganisation = "U.S. Robotics";
constexpr const char* kApplication = "Pilot Desktop";

// True when the "Core" group exists at all.
bool HasCoreKey();
// "DesktopPath" of group "Core", else "Path"; nothing when neither is set
// (an empty value counts as not set).
std::optional<QString> DesktopFolder();
void SetDesktopFolder(const QString& folder);

// The notifier libraries registered with HotSync Manager are the values
// "Notifier0", "Notifier1", ... of group "HotSync Manager". Removing one
// leaves a gap in the numbers, so every number up to kMaxNotifierNumber
// counts, whatever comes before it; other names ("Notifier01", "Notifier-1")
// are no registrations.
constexpr int kMaxNotifierNumber = 999;

// Every registration by its number, empty values included.
std::map<int, QString> NotifierRegistrations();
// The libraries to load: the non-empty registrations in the order of their
// numbers.
QStringList Notifiers();
void SetNotifier(int number, const QString& library);
void RemoveNotifier(int number);
// The lowest number without a registration; nothing when all are taken.
std::optional<int> FreeNotifierNumber();
// Registers the library under the lowest free number unless it is
// registered already.
void AddNotifier(const QString& library);

// The conduit registered for a four-character creator, as group
// "Conduits/<creator>" with the conduit library in "Conduit".
bool IsCreatorId(const QString& creator);
void SetConduit(const QString& creator, const QString& conduitLibrary);
// False when no conduit was registered for the creator.
bool RemoveConduit(const QString& creator);

// How often a program asked HotSync Manager to restart so that it takes up
// changed registrations ("HotSync Manager/Restart Requests"). A running
// HotSync compares it with the count it started with.
int RestartRequests();
void RequestRestart();

} // namespace PalmDesktopSettings
