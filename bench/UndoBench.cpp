// Deleting all of a million trips, undoing and redoing it, as the trip list
// does it: the selection's store indexes, one command, then the stack's undo
// and redo. Prints each step's time and the memory the steps add, against
// the size of the data file.

#include "RecordLocator.h"
#include "SampleGenerator.h"
#include "TripCommands.h"
#include "TvDeskDoc.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

template <typename Step> double Milliseconds(Step step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main() {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "tvbench-undo.tv";
    {
        TvDocument generated;
        SampleOptions options;
        options.Vehicles = 10;
        options.Trips = 1000000;
        options.Services = 0;
        options.Expenses = 0;
        GenerateSample(generated, options);
        if (!generated.OnSaveDocument(file.string()))
            return 2;
    }
    CTvDeskDoc document;
    if (!document.OnOpenDocument(file.string()))
        return 2;
    const double fileKilobytes = static_cast<double>(std::filesystem::file_size(file)) / 1024;
    std::filesystem::remove(file);

    // The rows of a list that shows every live trip, as the view holds them.
    std::vector<TripRecord*> rows;
    for (TripRecord& trip : document.Trips().Records())
        if (!trip.IsDeleted())
            rows.push_back(&trip);
    const long before = ResidentKilobytes();
    const double deleting = Milliseconds([&] {
        const RecordLocator<TripRecord> locator(document.Trips().Records());
        document.Push(
            new CDeleteTripsCommand(document, IndexRuns::FromIndexes(locator.IndexesOf(rows))));
    });
    const double undoing = Milliseconds([&] { document.UndoStack().undo(); });
    const double redoing = Milliseconds([&] { document.UndoStack().redo(); });
    const double extra = static_cast<double>(ResidentKilobytes() - before);

    std::printf("trips deleted: %zu of %zu\n", rows.size(), document.Trips().Count());
    std::printf("delete %.1f ms, undo %.1f ms, redo %.1f ms (target each < 500 ms)\n", deleting,
                undoing, redoing);
    std::printf("memory added: %.0f kB = %.1f%% of the %.0f kB file (target < 10%%)\n", extra,
                100 * extra / fileKilobytes, fileKilobytes);
    return deleting < 500 && undoing < 500 && redoing < 500 && extra < fileKilobytes / 10 ? 0 : 1;
}
