#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Where Palm Desktop keeps its own settings: organisation "U.S. Robotics",
// application "Pilot Desktop", in the native settings format (on Windows the
// very registry key Palm Desktop uses).
namespace PalmDesktopSettings {

constexpr const char* kOrganisation = "U.S. Robotics";
constexpr const char* kApplication = "Pilot Desktop";

// True when the "Core" group exists at all.
bool HasCoreKey();
// "DesktopPath" of group "Core", else "Path"; nothing when neither is set.
std::optional<QString> DesktopFolder();
void SetDesktopFolder(const QString& folder);

// The notifier libraries registered with HotSync Manager: "Notifier0",
// "Notifier1", ... of group "HotSync Manager", up to the first gap.
QStringList Notifiers();
void SetNotifiers(const QStringList& libraries);

} // namespace PalmDesktopSettings
