#pragma once

#include "AtomicFileWriter.h"
#include "CategoryList.h"
#include "DataStores.h"
#include "MTime.h"
#include "OutputGuard.h"
#include "RecordStore.h"
#include "VehicleReadings.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    // the document without a path and unmodified, and returns false. The
    // file read before is let go of before reading begins. An early read of
    // the same path, of the file as it is now, is taken over instead.
    bool OnOpenDocument(const std::string& path, EarlyRead* early = nullptr);
    // Replaces the file at path with the five stores. On failure reports the
    // message, leaves the old file as it was and the document modified.
    //
    // The document's own file is never replaced once another program has
    // changed it since it was read or last written here: changed data then
    // goes to a recovery copy (see WriteRecoveryCopy) and the user is told
    // where, unchanged data is not written at all. Either way the save
    // succeeds and the document is not modified afterwards, but it keeps its
    // path and the identity of the file as it was read, so that every later
    // save does the same until the file is read again.
    bool OnSaveDocument(const std::string& path);
    // Saves to the document's own path, as OnSaveDocument does, unless there
    // is nothing to write: nothing was edited since the file was read or
    // last written here and the file on disk is still that one (the bytes
    // would be the same). True when the data is safe on disk.
    bool SaveUnlessUnchanged();
    // Saves a modified document to its path at once, without asking. Asks
    // for another path when there is none or the file is read-only, and
    // again after each failed save, until a save succeeds or the user
    // cancels. True when the program may go on.
    bool SaveModified();
    // Writes the five stores to a new file "<name>-unsaved-YYYYMMDD-HHMMSS.tv"
    // beside the data file (<name> being the data file's name without its
    // extension, the time the local time now), or else in the first of
    // RecoveryFolders() that takes it; never over an existing file. The
    // document is then not modified, its changes being safe there; path and
    // file identity stay. Returns the file's path, or none when no folder took
    // it or the document has no path; the last failure is then in LastError()
    // and, unless told to stay quiet, reported.
    enum class Reporting { Report, Quiet };
    std::optional<std::string> WriteRecoveryCopy(Reporting reporting = Reporting::Report);
    // Empties the five stores and lets go of every filter reference into them.
    virtual void DeleteContents();
    // Starts an empty data set: "Unfiled" in the trip and expense lists.
    void InitNewDocument();
    // Lets go of the data and the path without saving.
    void MarkEmpty();

    // The larger of the vehicle's greatest trip and completed-service
    // odometer readings; never below the vehicle's own reading.
    std::int32_t CurrentOdometer(const VehicleRecord& vehicle) const;
    // CurrentOdometer of the first vehicle with the identifier, deleted
    // records left out; 0 when no vehicle has it. Every vehicle's reading
    // comes from one pass over the trips and the service entries, which is
    // kept for the next question until the stores change: an emptying, a
    // read, a change in the number of records, or StoresChanged().
    std::int32_t CurrentReadingOf(std::uint32_t vehicleId) const;
    // From now on the trips' part of the readings is gathered while a file
    // is read, for a document that asks CurrentReadingOf after each open.
    void GatherReadingsWhileReading() { m_stores.GatherReadings = true; }
    // Whoever changes records in place says so, from any thread: the kept
    // readings are not used again.
    void StoresChanged() { m_storesVersion.fetch_add(1, std::memory_order_relaxed); }

    // True when a category filter lets every record through: no entry, or an
    // entry named exactly "All".
    static bool IsAllCategories(const CategoryEntry* filter);

    VehicleStore& Vehicles() { return m_stores.Vehicles; }
    ServiceTypeStore& ServiceTypes() { return m_stores.ServiceTypes; }
    ServiceStore& Services() { return m_stores.Services; }
    TripStore& Trips() { return m_stores.Trips; }
    ExpenseStore& Expenses() { return m_stores.Expenses; }
    const VehicleStore& Vehicles() const { return m_stores.Vehicles; }
    const ServiceTypeStore& ServiceTypes() const { return m_stores.ServiceTypes; }
    const ServiceStore& Services() const { return m_stores.Services; }
    const TripStore& Trips() const { return m_stores.Trips; }
    const ExpenseStore& Expenses() const { return m_stores.Expenses; }

    const std::string& PathName() const { return m_pathName; }
    // A path set by hand has no file read or written through it yet.
    void SetPathName(const std::string& path) {
        m_pathName = path;
        m_fileIdentity.reset();
    }
    // The file at PathName() as it was last read or written here.
    const std::optional<FileIdentity>& FileIdentityRead() const { return m_fileIdentity; }
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
    // Tells the user about a failed open or save, or where a save went
    // instead of the data file.
    virtual void ReportError(const std::string& text);
    // Asks for a file name to save to; none means the user cancelled.
    virtual std::optional<std::string> AskSaveAsPath();
    // The folders for recovery copies that cannot go beside the data file,
    // in the order they are tried.
    virtual std::vector<std::string> RecoveryFolders();
    void Log(const char* entry) const;

private:
    // Writes the five stores to path; raises MExcept.
    FileIdentity WriteStores(const std::string& path);
    // The save of a file that another program changed since it was read.
    bool KeepChangedFile(const std::string& path);
    void DropFilterReferences();
    void Fail(const std::string& text);

    DataStores m_stores;

    std::string m_pathName;
    // The file at m_pathName as it was last read or written here.
    std::optional<FileIdentity> m_fileIdentity;
    bool m_modified = false;
    // Counts the emptyings of the stores: tells a save that asked the user
    // whether the data it was saving is still there.
    std::uint64_t m_contentsGeneration = 0;
    // Counts the changes to the stores that the record counts do not show.
    std::atomic<std::uint64_t> m_storesVersion{0};
    // The readings of CurrentReadingOf, by vehicle identifier, with what
    // the stores were when they were gathered.
    struct KeptReadings {
        std::uint64_t version = 0;
        std::size_t vehicles = 0;
        std::size_t trips = 0;
        std::size_t services = 0;
        bool gathered = false;
        VehicleReadings readings;
    };
    mutable KeptReadings m_readings;
    const KeptReadings& Readings() const;
    // Keeps the readings of the stores just read, from what the trips' read
    // gathered; nothing when it gathered nothing.
    void KeepReadingsAsRead();
    // Readings raised by the completed live service entries, kept as the
    // stores are now.
    void Keep(VehicleReadings readings) const;
    TraceLog* m_traceLog = nullptr;
    std::string m_lastError;
    // The data file, as it is named now and as it was last read or
    // written, is no file's target but its own save's.
    OutputGuard::Registration m_protection{[this] { return ProtectedFiles(); }};

    std::vector<OutputGuard::ProtectedFile> ProtectedFiles() const;
};
