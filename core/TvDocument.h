#pragma once

#include "CategoryList.h"
#include "MTime.h"
#include "RecordStore.h"

#include <cstdint>
#include <optional>
#include <string>

class MFile;
class TraceLog;

// The one data set of the program: the five stores of the user's data file,
// loading and saving them, and the filter state that the filter pane sets and
// every list, report and export reads. This is the window-free part; the
// desktop document adds message boxes and view updates by overriding
// ReportError and AskSaveAsPath.
class TvDocument {
public:
    // The pseudo-category that stands for every category of a list.
    static constexpr std::string_view kAllCategoriesName = "All";

    TvDocument();
    virtual ~TvDocument() = default;
    TvDocument(const TvDocument&) = delete;
    TvDocument& operator=(const TvDocument&) = delete;

    // Reads the data file; a missing or empty file becomes a new data set.
    // On failure reports "<message>. <path>", leaves every store empty and
    // the document unmodified, and returns false.
    bool OnOpenDocument(const std::string& path);
    // Replaces the file at path with the five stores. On failure reports the
    // message, leaves the old file as it was and the document modified.
    bool OnSaveDocument(const std::string& path);
    // Saves a modified document to its path at once, without asking; asks for
    // another path only when there is none or the file is read-only. True
    // when the program may go on.
    bool SaveModified();
    // Empties the five stores and lets go of every filter reference into them.
    virtual void DeleteContents();
    // Starts an empty data set: "Unfiled" in the trip and expense lists.
    void InitNewDocument();
    // Lets go of the data and the path without saving.
    void MarkEmpty();

    // The larger of the vehicle's greatest trip and completed-service
    // odometer readings; never below the vehicle's own reading.
    std::int32_t CurrentOdometer(const VehicleRecord& vehicle) const;

    // True when a category filter lets every record through: no entry, or an
    // entry named exactly "All".
    static bool IsAllCategories(const CategoryEntry* filter);

    VehicleStore& Vehicles() { return m_vehicles; }
    ServiceTypeStore& ServiceTypes() { return m_serviceTypes; }
    ServiceStore& Services() { return m_services; }
    TripStore& Trips() { return m_trips; }
    ExpenseStore& Expenses() { return m_expenses; }
    const VehicleStore& Vehicles() const { return m_vehicles; }
    const ServiceTypeStore& ServiceTypes() const { return m_serviceTypes; }
    const ServiceStore& Services() const { return m_services; }
    const TripStore& Trips() const { return m_trips; }
    const ExpenseStore& Expenses() const { return m_expenses; }

    const std::string& PathName() const { return m_pathName; }
    void SetPathName(const std::string& path) { m_pathName = path; }
    bool IsModified() const { return m_modified; }
    virtual void SetModifiedFlag(bool modified) { m_modified = modified; }

    void SetTraceLog(TraceLog* log) { m_traceLog = log; }
    // The text of the last failed open or save, as it was reported.
    const std::string& LastError() const { return m_lastError; }

    // Filter state. The references point into the stores (or at
    // AllCategoriesEntry) and are dropped whenever the stores are emptied.
    MTime FromDate;
    MTime ToDate;
    std::int32_t DisplayAllDates = 0;
    VehicleRecord* SelectedVehicle = nullptr;
    CategoryEntry* TripLogFilter = nullptr;
    CategoryEntry* ServiceLogFilter = nullptr;
    CategoryEntry* ExpenseLogFilter = nullptr;
    CategoryEntry AllCategoriesEntry;
    CategoryList* CurrentCategoryList = nullptr;

protected:
    // Tells the user about a failed open or save.
    virtual void ReportError(const std::string& text);
    // Asks for a file name to save to; none means the user cancelled.
    virtual std::optional<std::string> AskSaveAsPath();
    void Log(const char* entry) const;

private:
    // Files this large are read through a memory mapping.
    static constexpr std::uint64_t kMapThreshold = 4 << 20;

    void ReadStores(MFile& file);
    void DropFilterReferences();
    void Fail(const std::string& text);

    VehicleStore m_vehicles;
    ServiceTypeStore m_serviceTypes;
    ServiceStore m_services;
    TripStore m_trips;
    ExpenseStore m_expenses;

    std::string m_pathName;
    bool m_modified = false;
    TraceLog* m_traceLog = nullptr;
    std::string m_lastError;
};
