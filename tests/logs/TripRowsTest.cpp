#include "TripRows.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class TripRowsTest : public testing::Test {
protected:
    void SetUp() override {
        m_document.InitNewDocument();
        m_van = &AddVehicle("Van", 100);
        m_bus = &AddVehicle("Bus", 200);
        CategoryEntry work;
        work.Name = "Work";
        work.Category = 3;
        m_work = &m_document.Trips().Categories.Add(work);
        m_unfiled = m_document.Trips().Categories.FindByIndex(0);
    }

    VehicleRecord& AddVehicle(const char* name, std::uint32_t id) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        return m_document.Vehicles().Append(vehicle);
    }

    TripRecord& AddTrip(const VehicleRecord& vehicle, std::uint32_t category, const MTime& start,
                        std::int32_t from = 0, std::int32_t to = 0, const char* place = "") {
        TripRecord trip(start);
        trip.VehicleId = vehicle.VehicleId;
        trip.Category = category;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Destination.Set(place);
        return m_document.Trips().Append(std::move(trip));
    }

    std::vector<TripRecord*> Listed(const CategoryEntry* category, bool allDates = true,
                                    const MTime& from = MTime(), const MTime& to = MTime()) {
        return TripRows(m_document.Trips(), TripFilter(m_van, category, allDates, from, to));
    }

    static MTime Day(int year, int month, int day, int hour = 12, int minute = 0) {
        return MTime(year, month, day, hour, minute, 0, -1);
    }

    TvDocument m_document;
    VehicleRecord* m_van = nullptr;
    VehicleRecord* m_bus = nullptr;
    CategoryEntry* m_work = nullptr;
    CategoryEntry* m_unfiled = nullptr;
};

TEST_F(TripRowsTest, TheFilterTakesTheVehicleTheCategoryAndLiveTripsOnly) {
    TripRecord& work = AddTrip(*m_van, 3, Day(2024, 5, 1));
    TripRecord& unfiled = AddTrip(*m_van, 0, Day(2024, 5, 2));
    AddTrip(*m_bus, 3, Day(2024, 5, 3));
    AddTrip(*m_van, 3, Day(2024, 5, 4)).MarkDeleted();

    EXPECT_EQ(Listed(&m_document.AllCategoriesEntry), (std::vector<TripRecord*>{&work, &unfiled}));
    EXPECT_EQ(Listed(m_work), std::vector<TripRecord*>{&work});
    EXPECT_EQ(Listed(m_unfiled), std::vector<TripRecord*>{&unfiled});
    // No vehicle or no category: nothing at all.
    EXPECT_TRUE(Listed(nullptr).empty());
    EXPECT_TRUE(
        TripRows(m_document.Trips(), TripFilter(nullptr, m_work, true, MTime(), MTime())).empty());

    // A user category that happens to be named "All" lists every category.
    CategoryEntry all;
    all.Name = "All";
    all.Category = 7;
    EXPECT_EQ(Listed(&m_document.Trips().Categories.Add(all)).size(), 2u);
    // The comparison is exact.
    CategoryEntry lower;
    lower.Name = "all";
    lower.Category = 8;
    EXPECT_TRUE(Listed(&m_document.Trips().Categories.Add(lower)).empty());
}

// A large store is filtered in two halves at once: the rows are those of one
// pass, in store order, none lost or doubled where the halves meet.
TEST_F(TripRowsTest, ALargeStoreListsWhatOnePassWould) {
    // Two trips of three pass; every third fails on one of the four tests.
    for (int i = 0; i < 70001; ++i) {
        const int fails = i % 3 == 0 ? i / 3 % 4 : -1;
        TripRecord& trip = AddTrip(fails == 0 ? *m_bus : *m_van, fails == 1 ? 0 : 3,
                                   Day(2024, fails == 2 ? 12 : 3 + i % 7, 1 + i % 28));
        if (fails == 3)
            trip.MarkDeleted();
    }
    const TripFilter filter(m_van, m_work, false, Day(2024, 3, 1), Day(2024, 9, 30));
    std::vector<TripRecord*> passing;
    for (std::size_t i = 0; i < m_document.Trips().Records().size(); ++i)
        if (i % 3 != 0)
            passing.push_back(&m_document.Trips().Records()[i]);
    EXPECT_EQ(TripRows(m_document.Trips(), filter), passing);
}

TEST_F(TripRowsTest, TheDateRangeHoldsBothOfItsWholeDaysToTheSecond) {
    // The range as the filter pane sets it: the first day's first second to
    // the last day's last second, both in; one second beyond either end out.
    const auto at = [](int year, int month, int day, int hour, int minute, int second) {
        return MTime(year, month, day, hour, minute, second, -1);
    };
    TripRecord& first = AddTrip(*m_van, 0, at(2004, 1, 1, 0, 0, 0));
    TripRecord& last = AddTrip(*m_van, 0, at(2004, 1, 31, 23, 59, 59));
    AddTrip(*m_van, 0, at(2003, 12, 31, 23, 59, 59));
    AddTrip(*m_van, 0, at(2004, 2, 1, 0, 0, 0));
    TripRecord& inside = AddTrip(*m_van, 0, at(2004, 1, 31, 23, 59, 58));
    const MTime from = at(2004, 1, 1, 0, 0, 0);
    const MTime to = at(2004, 1, 31, 23, 59, 59);
    EXPECT_EQ(Listed(&m_document.AllCategoriesEntry, false, from, to),
              (std::vector<TripRecord*>{&first, &last, &inside}));
    EXPECT_EQ(Listed(&m_document.AllCategoriesEntry, true, from, to).size(), 5u);
    // A range of one day holds that day alone.
    EXPECT_EQ(Listed(&m_document.AllCategoriesEntry, false, at(2004, 1, 31, 0, 0, 0), to),
              (std::vector<TripRecord*>{&last, &inside}));
}

TEST_F(TripRowsTest, RowTextsAndTheDistanceClamp) {
    TripRecord& trip = AddTrip(*m_van, 0, Day(2007, 3, 9), 12000, 12345, "Depot, gate 4");
    EXPECT_EQ(TripCellText(trip, TripColumn::kDate), "3/9/2007");
    EXPECT_EQ(TripCellText(trip, TripColumn::kDestination), "Depot, gate 4");
    EXPECT_EQ(TripCellText(trip, TripColumn::kStart), "12000");
    EXPECT_EQ(TripCellText(trip, TripColumn::kEnd), "12345");
    EXPECT_EQ(TripCellText(trip, TripColumn::kDistance), "345");
    EXPECT_EQ(TripCellText(trip, 5), "");

    trip.EndOdometer = 11000;
    EXPECT_EQ(TripDistance(trip), 0);
    trip.StartOdometer = -2147483647 - 1;
    trip.EndOdometer = 2147483647;
    EXPECT_EQ(TripDistance(trip), kMaxOdometer);
    EXPECT_EQ(ClampOdometer(-1), 0);
    EXPECT_EQ(ClampOdometer(10000000), kMaxOdometer);
    EXPECT_EQ(ClampOdometer(9999999), 9999999);

    EXPECT_EQ(TripColumns(false)[2].title, "Start Miles");
    EXPECT_EQ(TripColumns(true)[3].title, "End Kilometers");
    EXPECT_EQ(TripColumns(true)[3].width, 120);
    EXPECT_EQ(TripColumns(false)[3].width, 100);
}

TEST_F(TripRowsTest, EverySortCodeOrdersStablyInBothDirections) {
    // Two trips share every key but their place in the store.
    TripRecord& a = AddTrip(*m_van, 0, Day(2020, 1, 2), 100, 150, "Bank");
    TripRecord& b = AddTrip(*m_van, 0, Day(2020, 1, 1), 300, 900, "airport");
    TripRecord& c = AddTrip(*m_van, 0, Day(2020, 1, 2), 100, 150, "Bank");
    TripRecord& d = AddTrip(*m_van, 0, Day(2020, 1, 3), 50, 60, "Zoo");
    const std::vector<TripRecord*> store = {&a, &b, &c, &d};
    const auto sorted = [&store](int code) {
        std::vector<TripRecord*> rows = store;
        SortTrips(rows, code);
        return rows;
    };
    using Rows = std::vector<TripRecord*>;
    EXPECT_EQ(sorted(0), (Rows{&d, &a, &c, &b}));   // newest first
    EXPECT_EQ(sorted(128), (Rows{&b, &a, &c, &d})); // oldest first
    // Byte order: capitals before small letters.
    EXPECT_EQ(sorted(1), (Rows{&a, &c, &d, &b}));
    EXPECT_EQ(sorted(129), (Rows{&b, &d, &a, &c}));
    EXPECT_EQ(sorted(2), (Rows{&d, &a, &c, &b}));
    EXPECT_EQ(sorted(130), (Rows{&b, &a, &c, &d}));
    EXPECT_EQ(sorted(3), (Rows{&d, &a, &c, &b}));
    EXPECT_EQ(sorted(131), (Rows{&b, &a, &c, &d}));
    EXPECT_EQ(sorted(4), (Rows{&d, &a, &c, &b}));
    EXPECT_EQ(sorted(132), (Rows{&b, &a, &c, &d}));
    for (const int other : {5, 127, 133, 256, -1})
        EXPECT_EQ(sorted(other), store) << other;
}

TEST_F(TripRowsTest, DestinationsSortByteByByteOverTheirWholeLength) {
    const char* places[] = {
        "Bank",
        "\xC9"
        "cole", // 0xC9 sorts after every ASCII letter
        "Bank A",
        "North Regional Distribution Ce", // differs from the next at byte 29
        "North Regional Distribution Cd",
        "Bankrupt",
        "",
        "North Regional Dept", // differs in the third 8-byte word
    };
    std::vector<TripRecord*> rows;
    for (const char* place : places)
        rows.push_back(&AddTrip(*m_van, 0, Day(2020, 1, 1), 0, 0, place));
    // Bytes kept after the terminator take no part.
    TripRecord& tail = AddTrip(*m_van, 0, Day(2020, 1, 1), 0, 0, "Bank");
    std::memcpy(tail.Destination.bytes + 5, "zzz", 3);
    rows.push_back(&tail);

    std::vector<TripRecord*> sorted = rows;
    SortTrips(sorted, 1);
    std::vector<std::string> order;
    for (const TripRecord* trip : sorted)
        order.emplace_back(trip->Destination.View());
    EXPECT_EQ(order, (std::vector<std::string>{
                         "", "Bank", "Bank", "Bank A", "Bankrupt", "North Regional Dept",
                         "North Regional Distribution Cd", "North Regional Distribution Ce",
                         "\xC9"
                         "cole"}));
    EXPECT_EQ(sorted[1], rows[0]); // the tie keeps store order
    EXPECT_EQ(sorted[2], &tail);

    SortTrips(sorted, 129);
    EXPECT_EQ(sorted.front()->Destination.View(), "\xC9"
                                                  "cole");
    EXPECT_EQ(sorted[6], rows[0]); // reversed, ties still in store order
    EXPECT_EQ(sorted[7], &tail);
    EXPECT_EQ(sorted.back()->Destination.View(), "");
}

TEST_F(TripRowsTest, ANewTripStartsAtTheVehiclesCurrentOdometer) {
    m_van->Odometer = 9000;
    EXPECT_EQ(m_document.CurrentOdometer(*m_van), 9000);
    AddTrip(*m_van, 0, Day(2020, 1, 1), 11000, 12000);
    AddTrip(*m_van, 0, Day(2020, 1, 2), 12000, 13000).MarkDeleted();
    AddTrip(*m_bus, 0, Day(2020, 1, 3), 0, 50000);
    ServiceRecord done{MTime()};
    done.VehicleId = m_van->VehicleId;
    done.Odometer = 12500;
    done.ServiceFlags = ServiceFlagBits::Completed;
    m_document.Services().Append(done);
    ServiceRecord planned{MTime()};
    planned.VehicleId = m_van->VehicleId;
    planned.Odometer = 15000;
    m_document.Services().Append(planned);
    EXPECT_EQ(m_document.CurrentOdometer(*m_van), 12500);
}

} // namespace
