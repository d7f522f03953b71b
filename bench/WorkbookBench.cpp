// The Excel 5 trip workbook's writing time: one vehicle whose trip log holds
// exactly N live trips (a generated sample, its deleted trips made live
// again), exported to OUT as the desktop program exports it, RUNS times.
// Prints the median time of one export in microseconds; OUT keeps the last
// workbook, for python3-xlwt to write the same cells (export.sh).
//
//   tvbench_workbook OUT N RUNS

#include "ExcelExport.h"
#include "RecordStore.h"
#include "SampleGenerator.h"
#include "TvDocument.h"
#include "VehicleRows.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool ParseCount(const char* text, std::uint32_t& value) {
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    return result.ec == std::errc() && result.ptr == end && value > 0;
}

} // namespace

int main(int argc, char** argv) {
    std::uint32_t trips = 0;
    std::uint32_t runs = 0;
    if (argc != 4 || !ParseCount(argv[2], trips) || !ParseCount(argv[3], runs)) {
        std::fputs("usage: tvbench_workbook OUT N RUNS\n", stderr);
        return 2;
    }
    TvDocument document;
    SampleOptions options;
    options.Vehicles = 1;
    options.Trips = trips;
    options.Services = 0;
    options.Expenses = 0;
    GenerateSample(document, options);
    for (VehicleRecord& vehicle : document.Vehicles().Records())
        vehicle.Flags &= ~RecordFlags::Deleted;
    for (TripRecord& trip : document.Trips().Records())
        trip.Flags &= ~RecordFlags::Deleted;
    document.SelectedVehicle = FirstVehicleByName(document.Vehicles());
    document.TripLogFilter = &document.AllCategoriesEntry;
    document.DisplayAllDates = 1;

    std::vector<long long> times;
    for (std::uint32_t run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        try {
            ExportWorkbookFile(document, ExportLog::Trips, WorkbookFormat::Excel5, argv[1],
                               nullptr);
        } catch (const MExcept& error) {
            std::fprintf(stderr, "tvbench_workbook: %s. %s\n", error.Message(), argv[1]);
            return 1;
        }
        times.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%lld\n", times[(times.size() - 1) / 2]);
    return 0;
}
