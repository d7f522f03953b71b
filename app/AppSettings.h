#pragma once

#include "ServiceDue.h"

#include <cstdint>
#include <limits>
#include <string>

class QSettings;

// The user settings of the program, kept under organisation "Brisklane",
// application "TvDesk", section "Settings". Read once at start, written back
// once at exit; the settings dialog changes only the values in memory.
struct AppSettings {
    static constexpr const char* kOrganisation = "Brisklane";
    static constexpr const char* kApplication = "TvDesk";
    static constexpr const char* kSection = "Settings";

    // The rate is stored in ten-thousandths, rounded to nearest, in a signed
    // 32-bit value; kMaxRate is the largest rate that form holds.
    static constexpr double kRateScale = 10000.0;
    static constexpr std::int32_t kDefaultStoredRate = 3650;
    static constexpr std::int32_t kLargestStoredRate = std::numeric_limits<std::int32_t>::max();
    static constexpr double kMaxRate = kLargestStoredRate / kRateScale;
    // The largest reminder: days and distance alike.
    static constexpr std::int32_t kMaxReminder = 9999999;

    // Reimbursement per distance unit. A double, so that every rate in the
    // stored range keeps its four decimals both ways.
    double Rate = kDefaultStoredRate / kRateScale;
    char Delimiter = ',';         // field separator of the text exports
    bool PrintRate = true;        // print rate times distance on the trip report
    int DateTimeExportFormat = 0; // 0: date and time, 1: date only
    std::string CurrentUser;      // the Palm user whose data is open
    bool ShowExpenseLog = false;  // the window offers the expense log and its exports
    // How far ahead service counts as due soon; 0 turns a test off.
    ReminderSettings Reminders;
    bool ServiceNotifications = true; // a desktop notification when service is due

    // The stored form of a rate, within what that form holds: 0 for a
    // negative rate (or one that is not a number), the largest stored value
    // for a rate above kMaxRate.
    static std::int32_t StoredRate(double rate);

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
};
