#pragma once

#include "AtomicFileWriter.h"
#include "RecordStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <thread>

class MFile;

// The five stores of one data file, in the order of their blocks.
struct DataStores {
    VehicleStore Vehicles;
    ServiceTypeStore ServiceTypes;
    ServiceStore Services;
    TripStore Trips;
    ExpenseStore Expenses;
    // Reads also gather every vehicle's reading as the trips go by
    // (TripStore::GatherReadingsOf): for a document that will ask for them,
    // cheaper than a pass afterwards; a reader that never asks skips it.
    bool GatherReadings = false;

    // Reads the data file at path into the cleared stores; false when it is
    // empty, which reads nothing. Sets identity to the file's as it was
    // opened (a file rewritten meanwhile counts as changed), none when the
    // system cannot tell it. Raises MExcept; the stores then hold a part of
    // the file.
    bool ReadFile(const std::string& path, bool createIfMissing,
                  std::optional<FileIdentity>& identity);
    void Write(MFile& file) const;
    void Clear();
    // Exchanges the contents of every store with other's.
    void Swap(DataStores& other);

private:
    // Files this large are read through a memory mapping.
    static constexpr std::uint64_t kMapThreshold = 4 << 20;

    void Read(MFile& file);
};

// A data file read on a thread of its own, so that the program can build its
// window meanwhile. A document that opens the same path takes the stores over
// when the file is still the one that was read (TvDocument::OnOpenDocument);
// otherwise, and after any failure here, it reads the file itself and reports
// what fails as always. Nothing is created or removed beside the file.
class EarlyRead {
public:
    explicit EarlyRead(std::string path);
    // Waits for the read.
    ~EarlyRead();
    EarlyRead(const EarlyRead&) = delete;
    EarlyRead& operator=(const EarlyRead&) = delete;

    const std::string& Path() const { return m_path; }
    // Waits for the read; the stores when the whole file was read, else null.
    DataStores* Wait();
    // The identity of the file read, once Wait() returned stores.
    const FileIdentity& Identity() const { return *m_identity; }

private:
    std::string m_path;
    DataStores m_stores;
    // Set once the whole file was read and its identity is known.
    std::optional<FileIdentity> m_identity;
    std::thread m_thread;
};
