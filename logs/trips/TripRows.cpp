#include "TripRows.h"

#include "SortByKey.h"
#include "SortCode.h"
#include "TvDocument.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <functional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

std::int32_t ClampOdometer(std::int64_t reading) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(reading, 0, kMaxOdometer));
}

std::int32_t TripDistance(const TripRecord& trip) {
    return ClampOdometer(static_cast<std::int64_t>(trip.EndOdometer) - trip.StartOdometer);
}

LogColumns TripColumns(bool metric) {
    return {{"Date", 100},
            {"Destination", 200},
            {metric ? "Start Kilometers" : "Start Miles", metric ? 120 : 100},
            {metric ? "End Kilometers" : "End Miles", metric ? 120 : 100},
            {"Distance", 100}};
}

std::string TripCellText(const TripRecord& trip, int column) {
    switch (column) {
    case TripColumn::kDate:
        return trip.Start.DateText();
    case TripColumn::kDestination:
        return std::string(trip.Destination.View());
    case TripColumn::kStart:
        return std::to_string(trip.StartOdometer);
    case TripColumn::kEnd:
        return std::to_string(trip.EndOdometer);
    case TripColumn::kDistance:
        return std::to_string(TripDistance(trip));
    default:
        return {};
    }
}

TripFilter::TripFilter(const VehicleRecord* vehicle, const CategoryEntry* category, bool allDates,
                       const MTime& from, const MTime& to)
    : m_vehicle(vehicle), m_category(category),
      m_allCategories(category != nullptr && category->Name == TvDocument::kAllCategoriesName),
      m_dates(allDates, from, to) {}

TripFilter TripFilter::FromDocument(const TvDocument& document) {
    return TripFilter(document.SelectedVehicle, document.TripLogFilter,
                      document.DisplayAllDates != 0, document.FromDate, document.ToDate);
}

bool TripFilter::PassesVehicleAndCategory(const TripRecord& trip) const {
    if (m_vehicle == nullptr || m_vehicle->VehicleId != trip.VehicleId)
        return false;
    return m_category != nullptr && (m_allCategories || m_category->Category == trip.Category);
}

bool TripFilter::Passes(const TripRecord& trip) const {
    return PassesVehicleAndCategory(trip) && m_dates.Contains(trip.Start);
}

namespace {

// Below this many trips a second thread costs more than it saves.
constexpr std::size_t kTwoThreadTrips = 1 << 16;

void AddPassing(RecordList<TripRecord>& trips, std::size_t from, std::size_t to,
                const TripFilter& filter, std::vector<TripRecord*>& rows) {
    for (std::size_t i = from; i < to; ++i) {
        TripRecord& trip = trips[i];
        if (!trip.IsDeleted() && filter.Passes(trip))
            rows.push_back(&trip);
    }
}

} // namespace

std::vector<TripRecord*> TripRows(TripStore& store, const TripFilter& filter) {
    RecordList<TripRecord>& trips = store.Records();
    std::vector<TripRecord*> rows;
    std::vector<TripRecord*> later;
    std::exception_ptr laterFailed;
    std::size_t half = trips.size();
    // A pass over a million trips is bound by their memory: a large store
    // is filtered in two halves at once, the later one on a thread of its
    // own; with no thread to be had, in one pass.
    std::thread helper;
    if (trips.size() >= kTwoThreadTrips) {
        try {
            helper = std::thread([&, from = trips.size() / 2] {
                try {
                    AddPassing(trips, from, trips.size(), filter, later);
                } catch (...) {
                    laterFailed = std::current_exception();
                }
            });
            half = trips.size() / 2;
        } catch (const std::system_error&) {
        }
    }
    try {
        AddPassing(trips, 0, half, filter, rows);
    } catch (...) {
        if (helper.joinable())
            helper.join();
        throw;
    }
    if (helper.joinable()) {
        helper.join();
        if (laterFailed)
            std::rethrow_exception(laterFailed);
        rows.insert(rows.end(), later.begin(), later.end());
    }
    return rows;
}

namespace {

// A destination as big-endian words of its zero-padded bytes: the words order
// as the texts do byte by byte (a text is less than any longer text it
// begins), and compare in a few instructions instead of a string comparison.
using DestinationKey = std::array<std::uint64_t, sizeof(TripRecord::Destination.bytes) / 8>;

DestinationKey DestinationKeyOf(const TripRecord& trip) {
    unsigned char padded[sizeof(DestinationKey)] = {};
    const std::string_view text = trip.Destination.View();
    std::memcpy(padded, text.data(), text.size());
    DestinationKey key{};
    for (std::size_t word = 0; word < key.size(); ++word)
        for (std::size_t byte = 0; byte < 8; ++byte)
            key[word] = key[word] << 8 | padded[word * 8 + byte];
    return key;
}

} // namespace

void SortTrips(std::vector<TripRecord*>& rows, int sortCode) {
    if (sortCode < 0 || SortCode::Column(sortCode) > TripColumn::kDistance ||
        (sortCode & ~(SortCode::kDirection | SortCode::kColumnMask)) != 0)
        return;
    const bool reversed = SortCode::IsReversed(sortCode);
    switch (SortCode::Column(sortCode)) {
    case TripColumn::kDate:
        // Code 0 lists the newest first.
        SortByKey<std::int64_t>(rows, !reversed,
                                [](const TripRecord& trip) { return trip.Start.AsSeconds(); });
        break;
    case TripColumn::kDestination:
        SortByKey<DestinationKey>(rows, reversed, DestinationKeyOf);
        break;
    case TripColumn::kStart:
        SortByKey<std::int32_t>(rows, reversed,
                                [](const TripRecord& trip) { return trip.StartOdometer; });
        break;
    case TripColumn::kEnd:
        SortByKey<std::int32_t>(rows, reversed,
                                [](const TripRecord& trip) { return trip.EndOdometer; });
        break;
    case TripColumn::kDistance:
        SortByKey<std::int32_t>(rows, reversed, TripDistance);
        break;
    }
}
