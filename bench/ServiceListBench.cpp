// The service log of one vehicle over 100,000 service entries of 50 service
// types: the whole fill under each sort code (filter, sort, and the status of
// every row).

#include "Clock.h"
#include "SampleGenerator.h"
#include "ServiceRows.h"
#include "TvDocument.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr std::uint32_t kTypes = 50;

struct ServiceFixture {
    TvDocument document;
    VehicleRecord* vehicle = nullptr;

    ServiceFixture() {
        SampleOptions options;
        options.Vehicles = 1;
        options.Trips = 100000;
        options.Services = 100000;
        options.Expenses = 0;
        GenerateSample(document, options);
        for (VehicleRecord& candidate : document.Vehicles().Records())
            if (!candidate.IsDeleted()) {
                vehicle = &candidate;
                break;
            }
        // Fifty types with every kind of schedule; the entries are spread over them.
        ServiceTypeStore& types = document.ServiceTypes();
        while (types.Count() < kTypes) {
            ServiceTypeRecord type;
            type.Name.Set(("Type " + std::to_string(types.Count())).c_str());
            type.ServiceTypeId = types.NewId();
            type.TimeUnit = static_cast<std::uint8_t>(types.Count() % 5);
            type.TimeCount = static_cast<std::uint8_t>(1 + types.Count() % 12);
            type.DistanceInterval = static_cast<std::int32_t>(1000 * (types.Count() % 10));
            types.Append(type);
        }
        std::size_t index = 0;
        std::vector<std::uint32_t> ids;
        for (const ServiceTypeRecord& type : types.Records())
            ids.push_back(type.ServiceTypeId);
        for (ServiceRecord& entry : document.Services().Records()) {
            entry.VehicleId = vehicle->VehicleId;
            entry.ServiceTypeId = ids[index++ % ids.size()];
        }
        document.SelectedVehicle = vehicle;
        document.DisplayAllDates = 1;
    }
};

ServiceFixture& Services() {
    static const std::unique_ptr<ServiceFixture> data = std::make_unique<ServiceFixture>();
    return *data;
}

void FillServiceLog(benchmark::State& state) {
    ServiceFixture& data = Services();
    const int code = static_cast<int>(state.range(0));
    std::size_t listed = 0;
    for (auto _ : state) {
        const ServiceRowContext context(data.document);
        std::vector<ServiceRecord*> rows =
            ServiceRows(data.document.Services(), ServiceFilter::FromDocument(data.document));
        SortServices(rows, code, context);
        // Every row's status and type, as a report or an export of the list reads them.
        std::size_t due = 0;
        for (const ServiceRecord* entry : rows)
            due += context.StatusOf(*entry) == ServiceStatus::PastDue;
        benchmark::DoNotOptimize(due);
        listed = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(listed);
}
BENCHMARK(FillServiceLog)
    ->ArgName("code")
    ->DenseRange(0, 3)
    ->DenseRange(128, 131)
    ->Unit(benchmark::kMillisecond);

} // namespace
