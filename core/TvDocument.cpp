#include "TvDocument.h"

#include "AtomicFileWriter.h"
#include "MExcept.h"
#include "MFile.h"
#include "TraceLog.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

// Read-only in the sense of the file's permission bits, which also holds for
// an administrator whom the system would let write anyway.
bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

TvDocument::TvDocument() {
    AllCategoriesEntry.Name = kAllCategoriesName;
}

void TvDocument::Log(const char* entry) const {
    if (m_traceLog != nullptr)
        m_traceLog->Log(entry);
}

bool TvDocument::OnOpenDocument(const std::string& path) {
    Log("CTvDeskDoc::OnOpenDocument()");
    DeleteContents();
    SetModifiedFlag(false);
    try {
        MFile file = MFile::OpenForRead(path, true);
        const std::uint64_t size = file.Size();
        if (size == 0) {
            InitNewDocument();
        } else {
            // A large file is read through a mapping, which saves copying it.
            if (size >= kMapThreshold)
                file.MapRestForReading();
            try {
                ReadStores(file);
            } catch (const MExcept&) {
                // Zeros in place of a part cut off while reading mean nothing.
                if (file.WasCut())
                    throw MExceptFileBadFormat();
                throw;
            }
            if (file.WasCut())
                throw MExceptFileBadFormat();
        }
        file.Close();
    } catch (const MExcept& error) {
        Fail(std::string(error.Message()) + ". " + path);
        DeleteContents();
        SetModifiedFlag(false);
        return false;
    }
    m_pathName = path;
    return true;
}

void TvDocument::ReadStores(MFile& file) {
    m_vehicles.Read(file);
    m_serviceTypes.Read(file);
    m_services.Read(file);
    m_trips.Read(file);
    m_expenses.Read(file);
}

bool TvDocument::OnSaveDocument(const std::string& path) {
    Log("CTvDeskDoc::OnSaveDocument()");
    try {
        AtomicFileWriter writer(path);
        m_vehicles.Write(writer.File());
        m_serviceTypes.Write(writer.File());
        m_services.Write(writer.File());
        m_trips.Write(writer.File());
        m_expenses.Write(writer.File());
        writer.Commit();
    } catch (const MExcept& error) {
        Fail(error.Message());
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool TvDocument::SaveModified() {
    Log("CTvDeskDoc::SaveModified()");
    if (!IsModified())
        return true;
    std::string target = m_pathName;
    if (target.empty() || IsReadOnlyFile(target)) {
        std::optional<std::string> chosen = AskSaveAsPath();
        if (!chosen)
            return false;
        target = *chosen;
    }
    if (!OnSaveDocument(target))
        return false;
    m_pathName = target;
    return true;
}

void TvDocument::DeleteContents() {
    Log("CTvDeskDoc::DeleteContents()");
    DropFilterReferences();
    m_vehicles.Clear();
    m_serviceTypes.Clear();
    m_services.Clear();
    m_trips.Clear();
    m_expenses.Clear();
}

void TvDocument::DropFilterReferences() {
    SelectedVehicle = nullptr;
    for (CategoryEntry** filter : {&TripLogFilter, &ServiceLogFilter, &ExpenseLogFilter})
        if (*filter != &AllCategoriesEntry)
            *filter = nullptr;
}

void TvDocument::InitNewDocument() {
    Log("CTvDeskDoc::InitNewDocument()");
    m_trips.Categories.Add(MakeUnfiledEntry());
    SetModifiedFlag(true);
    m_expenses.Categories.Add(MakeUnfiledEntry());
    SetModifiedFlag(true);
}

void TvDocument::MarkEmpty() {
    Log("CTvDeskDoc::MarkEmpty()");
    DeleteContents();
    m_pathName.clear();
    SetModifiedFlag(false);
}

std::int32_t TvDocument::CurrentOdometer(const VehicleRecord& vehicle) const {
    return std::max(m_trips.MaxTripOdometer(vehicle), m_services.MaxServiceOdometer(vehicle));
}

bool TvDocument::IsAllCategories(const CategoryEntry* filter) {
    return filter == nullptr || filter->Name == kAllCategoriesName;
}

void TvDocument::Fail(const std::string& text) {
    m_lastError = text;
    ReportError(text);
}

void TvDocument::ReportError(const std::string&) {}

std::optional<std::string> TvDocument::AskSaveAsPath() {
    return std::nullopt;
}
