#include "NotifierRegistrationOffer.h"

#include "AppSettings.h"
#include "MessageBox.h"
#include "PalmDesktopSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

namespace {

constexpr const char* kOfferedKey = "Settings/Notifier Registration Offered";
constexpr int kRegisterTimeoutMs = 60000;

// The package's folder beside TvDesk's bin/ (TV_PACKAGE_LIBRARY_FOLDER under
// the prefix), when TvDesk was installed by the package.
QString PackageFolder() {
    const QString folder =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../" TV_PACKAGE_LIBRARY_FOLDER);
    return QFileInfo(folder + "/PACKAGE").isFile() ? folder : QString();
}

bool NotifierRegistered() {
    for (const QString& library : PalmDesktopSettings::Notifiers())
        if (library.section('/', -1).compare("libTvNotifier.so", Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

void OfferNotifierRegistration(QWidget* parent) {
    const QString folder = PackageFolder();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, AppSettings::kOrganisation,
                       AppSettings::kApplication);
    if (folder.isEmpty() || settings.value(kOfferedKey).toBool() ||
        !PalmDesktopSettings::DesktopFolder() || NotifierRegistered())
        return;
    const bool wanted =
        MessageBox::question(parent,
                             "Register Tarvenly's HotSync notifier with your Palm Desktop?\n\n"
                             "Then TvDesk saves your changes before each HotSync and reads the "
                             "data again after it.") == MessageBox::Yes;
    if (!wanted) {
        settings.setValue(kOfferedKey, true);
        return;
    }
    QProcess registration;
    registration.setProcessChannelMode(QProcess::MergedChannels);
    registration.start(folder + "/TvRegister", {folder});
    const bool finished = registration.waitForFinished(kRegisterTimeoutMs);
    const QString output = QString::fromLocal8Bit(registration.readAll()).trimmed();
    if (!finished || registration.exitStatus() != QProcess::NormalExit ||
        registration.exitCode() != 0) {
        MessageBox::warning(parent, "The notifier could not be registered.\n" +
                                        (output.isEmpty() ? registration.errorString() : output));
        return;
    }
    settings.setValue(kOfferedKey, true);
    MessageBox::information(parent, "The notifier is registered with your Palm Desktop.");
}
