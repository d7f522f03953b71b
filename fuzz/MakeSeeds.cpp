// Writes the seed corpus of the data-file fuzzer: small valid files of every
// shape the reader accepts, each well under 4 KB.
//
//   tvfuzz_seeds FOLDER

#include "MExcept.h"
#include "MFile.h"
#include "RecordStore.h"
#include "SampleGenerator.h"
#include "TvDocument.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::array<RecordStore*, 5> Stores(TvDocument& document) {
    return {&document.Vehicles(), &document.ServiceTypes(), &document.Services(), &document.Trips(),
            &document.Expenses()};
}

// Writes the first `blocks` store blocks; returns where each block starts.
std::vector<std::uint64_t> WriteBlocks(TvDocument& document, const std::string& path,
                                       std::size_t blocks = 5) {
    std::vector<std::uint64_t> starts;
    MFile file = MFile::CreateForWrite(path);
    const auto stores = Stores(document);
    for (std::size_t i = 0; i < blocks && i < stores.size(); ++i) {
        starts.push_back(file.Tell());
        stores[i]->Write(file);
    }
    file.Close();
    return starts;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw MExceptFileWriteError();
}

void Sample(TvDocument& document, std::uint32_t vehicles, std::uint32_t records, std::uint64_t seed,
            bool metric) {
    SampleOptions options;
    options.Vehicles = vehicles;
    options.Trips = records;
    options.Services = records;
    options.Expenses = records;
    options.Seed = seed;
    options.Metric = metric;
    GenerateSample(document, options);
}

// Deleted records of every kind, a deleted category, and a vehicle deleted
// together with its trips and service.
void MarkSomeDeleted(TvDocument& document) {
    VehicleRecord& vehicle = document.Vehicles().Records()[0];
    vehicle.MarkDeleted();
    document.Trips().MarkVehicleDeleted(vehicle);
    document.Services().MarkVehicleDeleted(vehicle);
    document.ServiceTypes().Records().back().MarkDeleted();
    document.Expenses().Records().back().MarkDeleted();
    for (CategoryEntry& entry : document.Trips().Categories.Items())
        if (entry.Category == 2)
            entry.MarkDeleted();
}

// The awkward corners: full fixed texts with no terminator, bytes after a
// terminator, a 255-character note, a 15-character category name, unknown
// flag bits, settings words, negative readings, a date with month 13.
void MakeOdd(TvDocument& document) {
    document.DeleteContents();
    for (RecordStore* store : Stores(document))
        store->Categories.Add(CategoryEntry{{0, 0, 0}, "Unfiled"});
    document.Trips().Categories.Add(CategoryEntry{{0x81, 15, 0xFFF0}, "Fifteen chars.."});
    document.Trips().Categories.LastUniqueId = 0xFFFFFFFF;
    document.Trips().Settings = {0xFFFFFFFF, 1, 2, 3};
    document.Expenses().Settings = {2, 0, 0, 0x80000000};
    document.Vehicles().IdCounter = 5;

    VehicleRecord vehicle;
    vehicle.Uid = 0x00FFFFFF;
    vehicle.Flags = 0xFFFFFFFE;
    std::fill(std::begin(vehicle.Name.bytes), std::end(vehicle.Name.bytes), 'N');
    vehicle.License.Set("AB");
    vehicle.License.bytes[5] = 'x'; // kept after the terminator
    vehicle.Odometer = -1;
    vehicle.VehicleId = 7;
    document.Vehicles().Append(vehicle);

    ServiceTypeRecord type;
    type.Name.Set("Everything");
    type.DistanceInterval = -5;
    type.TimeUnit = 4;
    type.TimeCount = 255;
    type.ServiceTypeId = 0xFFFFFFFF;
    document.ServiceTypes().Append(type);

    const MTime date(2004, 6, 9, 14, 5, 30, -1);
    ServiceRecord service(date);
    service.ServiceFlags = 0xFFFE;
    service.VehicleId = 7;
    service.ServiceTypeId = 0xFFFFFFFF;
    service.Note.assign(255, 'n');
    document.Services().Append(service);

    TripRecord trip(date);
    trip.Category = 0x10001; // index 1 when compared as 16 bits
    trip.Destination.Set("Line\r\nbreak, \"quoted\"");
    trip.StartOdometer = -100;
    trip.EndOdometer = -2147483647 - 1;
    trip.VehicleId = 0;
    trip.Note = "\xE9t\xE9";
    document.Trips().Append(trip);

    ExpenseRecord expense(date);
    std::fill(std::begin(expense.ExtraText.bytes), std::end(expense.ExtraText.bytes), 'E');
    expense.Cost = -12345;
    expense.ExpenseFlags = 0xFFFF;
    expense.Volume = 0x7FFFFFFF;
    document.Expenses().Append(expense);
}

void ReverseWord(std::string& bytes, std::uint64_t at) {
    std::swap(bytes[at], bytes[at + 3]);
    std::swap(bytes[at + 1], bytes[at + 2]);
}

void Write(const std::string& folder, const char* name, const std::string& bytes) {
    WriteBytes(folder + "/" + name, bytes);
    std::printf("%s: %zu bytes\n", name, bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tvfuzz_seeds FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string scratch = folder + "/.seed.tmp";
    try {
        auto save = [&](TvDocument& document, std::size_t blocks = 5) {
            const std::vector<std::uint64_t> starts = WriteBlocks(document, scratch, blocks);
            return std::make_pair(ReadBytes(scratch), starts);
        };

        TvDocument document;
        Sample(document, 2, 2, 1, false);
        Write(folder, "sample-miles.tv", save(document).first);

        Sample(document, 1, 2, 2, true);
        Write(folder, "sample-metric.tv", save(document).first);

        Sample(document, 2, 3, 3, false);
        MarkSomeDeleted(document);
        Write(folder, "sample-deleted.tv", save(document).first);

        // A file that ends after the trip block.
        Sample(document, 1, 2, 4, false);
        Write(folder, "four-blocks.tv", save(document, 4).first);

        // A trip block that ends before its record count: no trips, and the
        // expense block is missing.
        {
            TvDocument empty;
            empty.InitNewDocument();
            std::string bytes = save(empty, 4).first;
            bytes.resize(bytes.size() - 4);
            Write(folder, "no-trip-count.tv", bytes);
        }

        // Tags and version words stored with their bytes reversed.
        {
            Sample(document, 1, 1, 5, false);
            auto [bytes, starts] = save(document);
            for (std::uint64_t start : starts) {
                ReverseWord(bytes, start);     // tag
                ReverseWord(bytes, start + 4); // version
            }
            Write(folder, "reversed-tags.tv", bytes);
        }

        // What a new, empty document saves.
        {
            TvDocument empty;
            empty.InitNewDocument();
            Write(folder, "new-document.tv", save(empty).first);
        }

        MakeOdd(document);
        Write(folder, "odd-fields.tv", save(document).first);
    } catch (const MExcept& error) {
        std::fprintf(stderr, "tvfuzz_seeds: %s\n", error.Message());
        std::remove(scratch.c_str());
        return 1;
    }
    std::remove(scratch.c_str());
    return 0;
}
