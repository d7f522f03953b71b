#pragma once

#include <string>

class QSettings;

// The user settings of the program, kept under organisation "Brisklane",
// application "TvDesk", section "Settings". Read once at start, written back
// once at exit; the settings dialog changes only the values in memory.
struct AppSettings {
    static constexpr const char* kOrganisation = "Brisklane";
    static constexpr const char* kApplication = "TvDesk";
    static constexpr const char* kSection = "Settings";

    float Rate = 0.365f;          // reimbursement per distance unit
    char Delimiter = ',';         // field separator of the text exports
    bool PrintRate = true;        // print rate times distance on the trip report
    int DateTimeExportFormat = 0; // 0: date and time, 1: date only
    std::string CurrentUser;      // the Palm user whose data is open

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
};
