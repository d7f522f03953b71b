#include "PalmDesktopSettings.h"

#include <QSettings>

namespace PalmDesktopSettings {
namespace {

QSettings Open() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
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
        const QVariant value = settings.value(name);
        if (value.isValid())
            return value.toString();
    }
    return std::nullopt;
}

void SetDesktopFolder(const QString& folder) {
    QSettings settings = Open();
    settings.setValue("Core/DesktopPath", folder);
    settings.sync();
}

QStringList Notifiers() {
    QSettings settings = Open();
    settings.beginGroup("HotSync Manager");
    QStringList libraries;
    for (int i = 0;; ++i) {
        const QVariant value = settings.value(QString("Notifier%1").arg(i));
        if (!value.isValid())
            return libraries;
        libraries.append(value.toString());
    }
}

void SetNotifiers(const QStringList& libraries) {
    QSettings settings = Open();
    settings.beginGroup("HotSync Manager");
    for (const QString& key : settings.childKeys())
        if (key.startsWith("Notifier"))
            settings.remove(key);
    for (int i = 0; i < libraries.size(); ++i)
        settings.setValue(QString("Notifier%1").arg(i), libraries[i]);
    settings.endGroup();
    settings.sync();
}

} // namespace PalmDesktopSettings
