#pragma once

// What both import fuzzers do with their input: write it to a memory file,
// open it as an import into the log the first byte names, check every row
// against a fresh data set with one vehicle and add what was accepted.
// Anything refused must be refused as an MExcept; a check must account for
// every row, and the import must add exactly the records it accepted.

#include "ImportSession.h"
#include "LocalTimeZone.h"
#include "TvDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

// Whether the file (the input after its first byte) is a zip container or
// a compound file, which the import reads as a workbook.
inline bool IsWorkbook(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kZip[] = {'P', 'K', 3, 4};
    static const std::uint8_t kCompound[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return (size > 4 && std::memcmp(data + 1, kZip, 4) == 0) ||
           (size > 8 && std::memcmp(data + 1, kCompound, 8) == 0);
}

inline void FuzzImport(const std::uint8_t* data, std::size_t size) {
    static const bool zoneCached = [] {
        CacheLocalTimeZone();
        return true;
    }();
    (void)zoneCached;
    if (size == 0)
        return;
    const int fd = ::memfd_create("tvfuzz-import", MFD_CLOEXEC);
    if (fd < 0)
        std::abort();
    if (size > 1 && ::write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1))
        std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    TvDocument document;
    document.InitNewDocument();
    VehicleRecord vehicle;
    vehicle.Name.Set("Civic");
    vehicle.VehicleId = 1;
    document.Vehicles().Append(vehicle);

    ImportOptions options;
    options.log = static_cast<ImportLog>(data[0] % 4);
    options.vehicle = "Civic";
    options.createNames = (data[0] & 4) != 0;
    options.keepDuplicates = (data[0] & 8) != 0;
    if ((data[0] & 16) != 0)
        options.dateOrder = DateOrder::DayMonthYear;
    try {
        ImportSession session(path, options);
        ImportCheck check = session.Check(document, nullptr);
        const std::size_t accepted = check.Accepted();
        if (accepted + check.bad + check.duplicates - check.keptDuplicates != check.rows) {
            std::fprintf(stderr, "tvfuzz_import: %zu rows, %zu accepted, %zu bad, %zu duplicates\n",
                         check.rows, accepted, check.bad, check.duplicates);
            std::abort();
        }
        const std::size_t before = document.Trips().Count() + document.Expenses().Count() +
                                   document.Services().Count() + document.Vehicles().Count();
        if (ApplyImport(document, std::move(check)) != accepted)
            std::abort();
        const std::size_t after = document.Trips().Count() + document.Expenses().Count() +
                                  document.Services().Count() + document.Vehicles().Count();
        if (after - before < accepted)
            std::abort();
    } catch (const MExcept&) {
    }
    ::close(fd);
}
