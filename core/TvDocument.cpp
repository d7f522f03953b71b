#include "TvDocument.h"

#include "AtomicFileWriter.h"
#include "MExcept.h"
#include "MFile.h"
#include "TraceLog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// The local time as YYYYMMDD-HHMMSS.
std::string TimeStamp(const MTime& time) {
    char text[32];
    std::snprintf(text, sizeof(text), "%04d%02d%02d-%02d%02d%02d", time.GetYear() + 1900,
                  time.GetMonth() + 1, time.GetDay(), time.GetHour(), time.GetMinute(),
                  time.GetSecond());
    return text;
}

// folder/name.tv, or folder/name-2.tv and up when that is taken.
std::string UnusedPath(const std::string& folder, const std::string& name) {
    std::string path = folder + "/" + name + ".tv";
    struct stat info {};
    for (int number = 2; ::lstat(path.c_str(), &info) == 0; ++number)
        path = folder + "/" + name + "-" + std::to_string(number) + ".tv";
    return path;
}

} // namespace

TvDocument::TvDocument() {
    AllCategoriesEntry.Name = kAllCategoriesName;
}

void TvDocument::Log(const char* entry) const {
    if (m_traceLog != nullptr)
        m_traceLog->Log(entry);
}

bool TvDocument::OnOpenDocument(const std::string& path, EarlyRead* early) {
    Log("CTvDeskDoc::OnOpenDocument()");
    DeleteContents();
    SetModifiedFlag(false);
    // What a killed save of this file left beside it.
    AtomicFileWriter::RemoveLeftovers(path);
    // From here on the stores hold no file's data: nothing may be saved over
    // the file read before, also while a failure is being reported.
    m_pathName.clear();
    m_fileIdentity.reset();
    if (early != nullptr && early->Path() == path) {
        DataStores* read = early->Wait();
        if (read != nullptr && FileIdentity::OfPath(path) == early->Identity()) {
            m_stores.Swap(*read);
            StoresChanged();
            KeepReadingsAsRead();
            m_pathName = path;
            m_fileIdentity = early->Identity();
            return true;
        }
    }
    std::optional<FileIdentity> identity;
    try {
        const bool read = m_stores.ReadFile(path, true, identity);
        StoresChanged();
        KeepReadingsAsRead();
        if (!read)
            InitNewDocument();
    } catch (const MExcept& error) {
        // Nothing read, so nothing may be saved over any file. The document
        // is empty before the report, whose message box may let a HotSync in.
        DeleteContents();
        SetModifiedFlag(false);
        Fail(std::string(error.Message()) + ". " + path);
        return false;
    }
    m_pathName = path;
    m_fileIdentity = identity;
    return true;
}

bool TvDocument::OnSaveDocument(const std::string& path) {
    Log("CTvDeskDoc::OnSaveDocument()");
    const bool ownFile = !path.empty() && path == m_pathName;
    if (ownFile && m_fileIdentity) {
        // A file that is gone holds nothing that a save could destroy.
        const std::optional<FileIdentity> now = FileIdentity::OfPath(path);
        if (now && *now != *m_fileIdentity)
            return KeepChangedFile(path);
    }
    FileIdentity written;
    try {
        written = WriteStores(path);
    } catch (const MExcept& error) {
        Fail(error.Message());
        return false;
    }
    if (ownFile)
        m_fileIdentity = written;
    SetModifiedFlag(false);
    return true;
}

bool TvDocument::SaveUnlessUnchanged() {
    if (!IsModified() && m_fileIdentity && FileIdentity::OfPath(m_pathName) == m_fileIdentity) {
        Log("CTvDeskDoc::SaveUnlessUnchanged(): unchanged since read or written, not written");
        return true;
    }
    return OnSaveDocument(m_pathName);
}

FileIdentity TvDocument::WriteStores(const std::string& path) {
    AtomicFileWriter writer(path, AtomicFileWriter::Durability::Always,
                            path == m_pathName ? OutputGuard::Use::OwnDataFile
                                               : OutputGuard::Use::Output);
    m_stores.Write(writer.File());
    return writer.Commit();
}

bool TvDocument::KeepChangedFile(const std::string& path) {
    // The other program's data wins; what is in memory is older than it.
    if (!IsModified())
        return true;
    const std::optional<std::string> recovery = WriteRecoveryCopy();
    if (!recovery)
        return false;
    ReportError("The data file " + path +
                " was changed by another program after it was read, so it was not overwritten. "
                "Your changes were written to " +
                *recovery + ".");
    return true;
}

std::optional<std::string> TvDocument::WriteRecoveryCopy(Reporting reporting) {
    Log("CTvDeskDoc::WriteRecoveryCopy()");
    if (m_pathName.empty())
        return std::nullopt;
    const std::filesystem::path data(m_pathName);
    const std::string name = data.stem().string() + "-unsaved-" + TimeStamp(MTime());
    std::vector<std::string> folders = {data.has_parent_path() ? data.parent_path().string()
                                                               : std::string(".")};
    for (std::string& fallback : RecoveryFolders())
        folders.push_back(std::move(fallback));
    std::string lastError;
    for (const std::string& folder : folders) {
        const std::string recovery = UnusedPath(folder, name);
        try {
            WriteStores(recovery);
        } catch (const MExcept& error) {
            lastError = error.Message();
            continue;
        }
        SetModifiedFlag(false);
        return recovery;
    }
    m_lastError = lastError;
    if (reporting == Reporting::Report)
        ReportError(lastError);
    return std::nullopt;
}

bool TvDocument::SaveModified() {
    Log("CTvDeskDoc::SaveModified()");
    if (!IsModified())
        return true;
    if (!m_pathName.empty() && !AtomicFileWriter::IsReadOnlyFile(m_pathName) &&
        OnSaveDocument(m_pathName))
        return true;
    // No file, a read-only one, or one that could not be saved: the data is
    // kept where the user chooses, asking again after every failure. Data
    // that replaced it meanwhile (a reload inside a message box or the file
    // dialog) is not what the user was asked about: the save stops there.
    const std::uint64_t contents = m_contentsGeneration;
    for (;;) {
        if (m_contentsGeneration != contents)
            return false;
        const std::optional<std::string> chosen = AskSaveAsPath();
        if (!chosen || m_contentsGeneration != contents)
            return false;
        // Checked before the chosen file becomes the document's own: it may
        // not be the data file itself, a link to it or a file of the program.
        try {
            OutputGuard::Check(*chosen);
        } catch (const MExceptTargetRefused& refused) {
            Fail(refused.AskAgainText());
            continue;
        }
        // The chosen file becomes the document's own, read or written here
        // for the first time.
        std::string previousPath = std::exchange(m_pathName, *chosen);
        std::optional<FileIdentity> previousIdentity = std::exchange(m_fileIdentity, std::nullopt);
        if (OnSaveDocument(*chosen))
            return true;
        m_pathName = std::move(previousPath);
        m_fileIdentity = previousIdentity;
    }
}

void TvDocument::DeleteContents() {
    Log("CTvDeskDoc::DeleteContents()");
    ++m_contentsGeneration;
    DropFilterReferences();
    m_stores.Clear();
    StoresChanged();
}

void TvDocument::DropFilterReferences() {
    SelectedVehicle = nullptr;
    for (CategoryEntry** filter : {&TripLogFilter, &ServiceLogFilter, &ExpenseLogFilter})
        if (*filter != &AllCategoriesEntry)
            *filter = nullptr;
}

void TvDocument::InitNewDocument() {
    Log("CTvDeskDoc::InitNewDocument()");
    m_stores.Trips.Categories.Add(MakeUnfiledEntry());
    SetModifiedFlag(true);
    m_stores.Expenses.Categories.Add(MakeUnfiledEntry());
    SetModifiedFlag(true);
}

void TvDocument::MarkEmpty() {
    Log("CTvDeskDoc::MarkEmpty()");
    DeleteContents();
    m_pathName.clear();
    m_fileIdentity.reset();
    SetModifiedFlag(false);
}

std::int32_t TvDocument::CurrentOdometer(const VehicleRecord& vehicle) const {
    return std::max(m_stores.Trips.MaxTripOdometer(vehicle),
                    m_stores.Services.MaxServiceOdometer(vehicle));
}

std::int32_t TvDocument::CurrentReadingOf(std::uint32_t vehicleId) const {
    return Readings().readings.Of(vehicleId);
}

const TvDocument::KeptReadings& TvDocument::Readings() const {
    const KeptReadings& kept = m_readings;
    if (kept.gathered && kept.version == m_storesVersion.load(std::memory_order_relaxed) &&
        kept.vehicles == m_stores.Vehicles.Records().size() &&
        kept.trips == m_stores.Trips.Records().size() &&
        kept.services == m_stores.Services.Records().size())
        return kept;
    // One pass over the trips and one over the service entries for all
    // vehicles, instead of two per vehicle: on a large file those cost more
    // than reading it.
    VehicleReadings readings(m_stores.Vehicles.Records());
    for (const TripRecord& trip : m_stores.Trips.Records())
        readings.RaiseBy(trip);
    Keep(std::move(readings));
    return kept;
}

void TvDocument::KeepReadingsAsRead() {
    if (std::optional<VehicleReadings> readings = m_stores.Trips.TakeReadingsAsRead())
        Keep(std::move(*readings));
}

void TvDocument::Keep(VehicleReadings readings) const {
    // Until they are complete nothing is kept, should anything throw.
    m_readings.gathered = false;
    for (const ServiceRecord& done : m_stores.Services.Records())
        readings.RaiseBy(done);
    m_readings.readings = std::move(readings);
    m_readings.version = m_storesVersion.load(std::memory_order_relaxed);
    m_readings.vehicles = m_stores.Vehicles.Records().size();
    m_readings.trips = m_stores.Trips.Records().size();
    m_readings.services = m_stores.Services.Records().size();
    m_readings.gathered = true;
}

bool TvDocument::IsAllCategories(const CategoryEntry* filter) {
    return filter == nullptr || filter->Name == kAllCategoriesName;
}

void TvDocument::Fail(const std::string& text) {
    m_lastError = text;
    ReportError(text);
}

std::vector<OutputGuard::ProtectedFile> TvDocument::ProtectedFiles() const {
    if (m_pathName.empty())
        return {};
    OutputGuard::ProtectedFile file{OutputGuard::Kind::DataFile, m_pathName, std::nullopt};
    if (m_fileIdentity)
        file.identity = std::pair{m_fileIdentity->Device, m_fileIdentity->Inode};
    return {file};
}

void TvDocument::ReportError(const std::string&) {}

std::optional<std::string> TvDocument::AskSaveAsPath() {
    return std::nullopt;
}

std::vector<std::string> TvDocument::RecoveryFolders() {
    return {};
}
