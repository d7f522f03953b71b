// The trip list over a million trips of ten vehicles: filling it for one
// vehicle under a date range (filter, then the default newest-first sort), and
// sorting one vehicle's whole list by each column in both directions.

#include "LocalTimeZone.h"
#include "SampleGenerator.h"
#include "TripRows.h"
#include "TvDocument.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct Fixture {
    TvDocument document;
    VehicleRecord* vehicle = nullptr;
    std::vector<TripRecord*> vehicleTrips;

    Fixture() {
        SampleOptions options;
        options.Vehicles = 10;
        options.Trips = 1000000;
        options.Services = 0;
        options.Expenses = 0;
        GenerateSample(document, options);
        for (VehicleRecord& candidate : document.Vehicles().Records()) {
            if (!candidate.IsDeleted()) {
                vehicle = &candidate;
                break;
            }
        }
        vehicleTrips = TripRows(document.Trips(), TripFilter(vehicle, &document.AllCategoriesEntry,
                                                             true, MTime(), MTime()));
    }
};

Fixture& Data() {
    static const std::unique_ptr<Fixture> data = std::make_unique<Fixture>();
    return *data;
}

void FillOneVehicleWithDateRange(benchmark::State& state) {
    Fixture& data = Data();
    // The middle year of the three the sample spans.
    const MTime from(2023, 7, 1, 0, 0, 0, -1);
    const MTime to(2024, 6, 30, 23, 59, 59, -1);
    std::size_t listed = 0;
    for (auto _ : state) {
        const TripFilter filter(data.vehicle, &data.document.AllCategoriesEntry, false, from, to);
        std::vector<TripRecord*> rows = TripRows(data.document.Trips(), filter);
        SortTrips(rows, 0);
        listed = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(listed);
    state.counters["store"] = static_cast<double>(data.document.Trips().Count());
}
BENCHMARK(FillOneVehicleWithDateRange)->Unit(benchmark::kMillisecond);

void SortOneVehicle(benchmark::State& state) {
    Fixture& data = Data();
    const int code = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TripRecord*> rows = data.vehicleTrips;
        state.ResumeTiming();
        SortTrips(rows, code);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(data.vehicleTrips.size());
}
BENCHMARK(SortOneVehicle)
    ->ArgName("code")
    ->DenseRange(0, 4)     // each column, in its first direction
    ->DenseRange(128, 132) // and reversed
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    CacheLocalTimeZone();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Data();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
