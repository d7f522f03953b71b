#include "InstallLayout.h"

#include "PalmDesktopSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace InstallLayout {
namespace {

constexpr const char* kInstallKey = "3.0/Tarvenly Path";

QSettings InstallSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "Tarvenly");
}

} // namespace

std::optional<QString> PackageOf(const QString& folder) {
    QFile file(QDir(folder).filePath(kPackageFile));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString name = QString::fromUtf8(file.readLine(256)).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> PalmFolder() {
    const std::optional<QString> folder = PalmDesktopSettings::DesktopFolder();
    if (!folder || !QDir::isAbsolutePath(*folder))
        return std::nullopt;
    return folder;
}

ShortcutFolders ShortcutFolders::ForUser() {
    return {QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
            QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)};
}

bool IsTarvenlyNotifier(const QString& registered) {
    const QString name = registered.section('/', -1);
    return name.compare("libtvnotifier.so", Qt::CaseInsensitive) == 0 ||
           name.compare("tvnotifier.dll", Qt::CaseInsensitive) == 0;
}

NotifierSearch SearchNotifiers(const ConduitManager& conduits) {
    NotifierSearch search;
    for (;; ++search.end) {
        const std::optional<std::string> name = conduits.NotifierName(search.end);
        if (!name)
            return search;
        if (IsTarvenlyNotifier(QString::fromStdString(*name))) {
            search.ours = search.end;
            return search;
        }
        if (name->empty() && !search.firstFree)
            search.firstFree = search.end;
    }
}

std::optional<QString> InstallFolder() {
    const QVariant value = InstallSettings().value(kInstallKey);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void SetInstallFolder(const QString& folder) {
    QSettings settings = InstallSettings();
    settings.setValue(kInstallKey, folder);
    settings.sync();
}

void RemoveInstallFolder() {
    QString file;
    {
        QSettings settings = InstallSettings();
        settings.remove(kInstallKey);
        settings.sync();
        if (!settings.allKeys().isEmpty())
            return;
        file = settings.fileName();
    }
    QFile::remove(file);
    // The organisation's folder too, unless the program's settings are there.
    QDir().rmdir(QFileInfo(file).path());
}

} // namespace InstallLayout
