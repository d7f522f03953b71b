#include "AppSettings.h"

#include <QSettings>
#include <cmath>

namespace {

// The rate is stored in ten-thousandths.
constexpr float kRateScale = 10000.0f;

} // namespace

void AppSettings::Load(QSettings& settings) {
    settings.beginGroup(kSection);
    Rate = static_cast<float>(settings.value("Rate", 3650).toInt()) / kRateScale;
    Delimiter = static_cast<char>(settings.value("Delimiter", 44).toInt());
    CurrentUser = settings.value("Current User", QString()).toString().toStdString();
    PrintRate = settings.value("Print Rate", 1).toInt() > 0;
    DateTimeExportFormat = settings.value("Date/Time Export Format", 0).toInt() > 0 ? 1 : 0;
    settings.endGroup();
}

void AppSettings::Save(QSettings& settings) const {
    settings.beginGroup(kSection);
    settings.setValue("Rate", static_cast<int>(std::lround(Rate * kRateScale)));
    settings.setValue("Delimiter", static_cast<int>(static_cast<unsigned char>(Delimiter)));
    settings.setValue("Current User", QString::fromStdString(CurrentUser));
    settings.setValue("Print Rate", PrintRate ? 1 : 0);
    settings.setValue("Date/Time Export Format", DateTimeExportFormat);
    settings.endGroup();
    settings.sync();
}
