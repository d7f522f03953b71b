#include "DataStores.h"

#include "MExcept.h"
#include "MFile.h"

#include <system_error>
#include <utility>

bool DataStores::ReadFile(const std::string& path, bool createIfMissing,
                          std::optional<FileIdentity>& identity) {
    MFile file = MFile::OpenForRead(path, createIfMissing);
    // Taken before reading: a file rewritten meanwhile counts as changed.
    identity = FileIdentity::OfDescriptor(file.Descriptor());
    const std::uint64_t size = file.Size();
    if (size == 0)
        return false;
    // A large file is read through a mapping, which saves copying it.
    if (size >= kMapThreshold)
        file.MapRestForReading();
    try {
        Read(file);
    } catch (const MExcept&) {
        // Zeros in place of a part cut off while reading mean nothing.
        if (file.WasCut())
            throw MExceptFileBadFormat();
        throw;
    }
    if (file.WasCut())
        throw MExceptFileBadFormat();
    file.Close();
    return true;
}

void DataStores::Read(MFile& file) {
    Vehicles.Read(file);
    ServiceTypes.Read(file);
    Services.Read(file);
    if (GatherReadings)
        Trips.GatherReadingsOf(Vehicles.Records());
    Trips.Read(file);
    Expenses.Read(file);
}

void DataStores::Write(MFile& file) const {
    Vehicles.Write(file);
    ServiceTypes.Write(file);
    Services.Write(file);
    Trips.Write(file);
    Expenses.Write(file);
}

void DataStores::Clear() {
    Vehicles.Clear();
    ServiceTypes.Clear();
    Services.Clear();
    Trips.Clear();
    Expenses.Clear();
}

void DataStores::Swap(DataStores& other) {
    Vehicles.Swap(other.Vehicles);
    ServiceTypes.Swap(other.ServiceTypes);
    Services.Swap(other.Services);
    Trips.Swap(other.Trips);
    Expenses.Swap(other.Expenses);
}

EarlyRead::EarlyRead(std::string path) : m_path(std::move(path)) {
    // Only the desktop reads early, and its service log asks every reading.
    m_stores.GatherReadings = true;
    try {
        m_thread = std::thread([this] {
            // Whatever fails is found again, and reported, by the document's
            // own read.
            std::optional<FileIdentity> identity;
            try {
                if (m_stores.ReadFile(m_path, false, identity))
                    m_identity = identity;
            } catch (...) {
                // Nothing to take over.
            }
        });
    } catch (const std::system_error&) {
        // No thread: nothing is read early, the document reads the file.
    }
}

EarlyRead::~EarlyRead() {
    if (m_thread.joinable())
        m_thread.join();
}

DataStores* EarlyRead::Wait() {
    if (m_thread.joinable())
        m_thread.join();
    return m_identity ? &m_stores : nullptr;
}
