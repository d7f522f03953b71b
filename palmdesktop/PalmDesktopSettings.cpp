#include "PalmDesktopSettings.h"

#include <QSettings>

namespace PalmDesktopSettings {
bool HasCoreKey() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    return settings.childGroups().contains("Core");
}

std::optional<QString> DesktopFolder() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    settings.beginGroup("Core");
    for (const char* name : {"DesktopPath", "Path"}) {
        const QVariant value = settings.value(name);
        if (value.isValid())
            return value.toString();
    }
    return std::nullopt;
}

void SetDesktopFolder(const QString& folder) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    settings.setValue("Core/DesktopPath", folder);
    settings.sync();
}

QStringList Notifiers() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
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
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
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
