// TvDesk of the package offers once to register the notifier, the package's
// TvRegister (a script here that writes down its folder) doing the work; a
// failed registration is offered again; outside a package, or with our
// notifier registered already, nothing is asked.

#include "NotifierRegistrationOffer.h"
#include "AppSettings.h"
#include "MessageBox.h"
#include "PalmDesktopSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(NotifierRegistrationOfferTest, AsksUntilRegisteredOrDeclinedAndOnlyFromAPackage) {
    // The package's folder where TvDesk looks for it, beside this program's folder.
    const QString folder =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../" TV_PACKAGE_LIBRARY_FOLDER);
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto forgetOffer = [] {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, AppSettings::kOrganisation,
                  AppSettings::kApplication)
            .remove("Settings/Notifier Registration Offered");
    };
    forgetOffer();
    PalmDesktopSettings::SetDesktopFolder("/palm");
    const auto writeRegister = [&](int status) {
        QFile script(folder + "/TvRegister");
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(
            QString("#!/bin/sh\necho \"$1\" >>\"$0.calls\"\nexit %1\n").arg(status).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    const auto offer = [](MessageBox::Button answer) {
        MessageBox::clearShownTexts();
        MessageBox::setNextAnswer(answer);
        OfferNotifierRegistration(nullptr);
        return MessageBox::shownTexts().size();
    };
    writeRegister(0);
    EXPECT_EQ(offer(MessageBox::Yes), 0) << "no package";

    QFile marker(folder + "/PACKAGE");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly) && marker.write("tarvenly-desktop\n") > 0);
    marker.close();
    writeRegister(1);
    EXPECT_EQ(offer(MessageBox::Yes), 2) << "the question, then the failure";
    EXPECT_EQ(offer(MessageBox::No), 1) << "a failure is offered again";
    EXPECT_EQ(offer(MessageBox::Yes), 0) << "declined";

    forgetOffer();
    writeRegister(0);
    EXPECT_EQ(offer(MessageBox::Yes), 2) << "the question, then the success";
    EXPECT_EQ(offer(MessageBox::Yes), 0) << "registered";
    QFile calls(folder + "/TvRegister.calls");
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(calls.readAll(), (folder + "\n" + folder + "\n").toUtf8());

    forgetOffer();
    PalmDesktopSettings::SetNotifier(4, "/palm/LibTvNotifier.so");
    EXPECT_EQ(offer(MessageBox::Yes), 0) << "registered already";
    PalmDesktopSettings::RemoveNotifier(4);
    forgetOffer();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, PalmDesktopSettings::kOrganisation,
              PalmDesktopSettings::kApplication)
        .remove("Core");
    QDir(folder).removeRecursively();
    QDir().rmpath(QFileInfo(folder).path());
}

} // namespace
