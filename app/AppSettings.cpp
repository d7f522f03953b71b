#include "AppSettings.h"

#include <QSettings>
#include <cmath>

std::int32_t AppSettings::StoredRate(double rate) {
    if (!(rate > 0))
        return 0;
    if (rate >= kMaxRate)
        return kLargestStoredRate;
    return static_cast<std::int32_t>(std::llround(rate * kRateScale));
}

void AppSettings::Load(QSettings& settings) {
    settings.beginGroup(kSection);
    // A stored rate that is not a whole number in the range the program
    // writes (edited by hand, or wrapped by an older version) gives the
    // default rather than a rate the settings dialog would refuse.
    bool isNumber = false;
    const qlonglong storedRate = settings.value("Rate", kDefaultStoredRate).toLongLong(&isNumber);
    const bool rateUsable = isNumber && storedRate >= 0 && storedRate <= kLargestStoredRate;
    Rate = static_cast<double>(rateUsable ? storedRate : kDefaultStoredRate) / kRateScale;
    Delimiter = static_cast<char>(settings.value("Delimiter", 44).toInt());
    CurrentUser = settings.value("Current User", QString()).toString().toStdString();
    PrintRate = settings.value("Print Rate", 1).toInt() > 0;
    DateTimeExportFormat = settings.value("Date/Time Export Format", 0).toInt() > 0 ? 1 : 0;
    ShowExpenseLog = settings.value("Show Expense Log", 0).toInt() != 0;
    // A reminder value that is no whole number from 0 to kMaxReminder
    // gives the default.
    const auto reminder = [&settings](const char* key, std::int32_t fallback) {
        bool isNumber = false;
        const qlonglong value = settings.value(key, fallback).toLongLong(&isNumber);
        return isNumber && value >= 0 && value <= kMaxReminder ? static_cast<std::int32_t>(value)
                                                               : fallback;
    };
    Reminders.Days = reminder("Reminder Days", ReminderSettings::kDefaultDays);
    Reminders.Miles = reminder("Reminder Miles", ReminderSettings::kDefaultMiles);
    Reminders.Kilometres = reminder("Reminder Kilometers", ReminderSettings::kDefaultKilometres);
    ServiceNotifications = settings.value("Service Notifications", 1).toInt() != 0;
    settings.endGroup();
}

void AppSettings::Save(QSettings& settings) const {
    settings.beginGroup(kSection);
    settings.setValue("Rate", StoredRate(Rate));
    settings.setValue("Delimiter", static_cast<int>(static_cast<unsigned char>(Delimiter)));
    settings.setValue("Current User", QString::fromStdString(CurrentUser));
    settings.setValue("Print Rate", PrintRate ? 1 : 0);
    settings.setValue("Date/Time Export Format", DateTimeExportFormat);
    settings.setValue("Show Expense Log", ShowExpenseLog ? 1 : 0);
    settings.setValue("Reminder Days", Reminders.Days);
    settings.setValue("Reminder Miles", Reminders.Miles);
    settings.setValue("Reminder Kilometers", Reminders.Kilometres);
    settings.setValue("Service Notifications", ServiceNotifications ? 1 : 0);
    settings.endGroup();
    settings.sync();
}
