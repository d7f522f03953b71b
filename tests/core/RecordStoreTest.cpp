// The record stores themselves: identifiers, clearing, counting, new records.

#include "RecordStore.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace tvtest;

namespace {

class RecordStoreTest : public FixedZoneTest {};

VehicleRecord Vehicle(VehicleStore& store, std::uint32_t id, std::uint32_t flags = 0) {
    VehicleRecord vehicle = store.CreateRecord();
    vehicle.VehicleId = id;
    vehicle.Flags = flags;
    return vehicle;
}

} // namespace

TEST_F(RecordStoreTest, VehicleNewIdStartsAboveTheTopBit) {
    VehicleStore store;
    store.IdCounter = 5;
    EXPECT_EQ(store.NewId(), 0x80000002u);
    EXPECT_EQ(store.IdCounter, 0x80000002u);
    EXPECT_EQ(store.NewId(), 0x80000003u);
}

TEST_F(RecordStoreTest, VehicleNewIdSkipsIdentifiersInUse) {
    VehicleStore store;
    store.IdCounter = 5;
    store.Append(Vehicle(store, 0x80000002));
    EXPECT_EQ(store.NewId(), 0x80000003u);

    VehicleStore crowded;
    crowded.IdCounter = 0x80000010;
    crowded.Append(Vehicle(crowded, 0x80000012));
    crowded.Append(Vehicle(crowded, 0x80000011));
    crowded.Append(Vehicle(crowded, 0x80000014));
    EXPECT_EQ(crowded.NewId(), 0x80000013u);
    EXPECT_EQ(crowded.NewId(), 0x80000015u);
}

TEST_F(RecordStoreTest, DeletedVehicleStillOccupiesItsId) {
    VehicleStore store;
    store.IdCounter = 5;
    store.Append(Vehicle(store, 0x80000002, RecordFlags::Deleted));
    EXPECT_EQ(store.NewId(), 0x80000003u);
}

TEST_F(RecordStoreTest, NewStoreCounterIsNotReset) {
    VehicleStore store;
    EXPECT_EQ(store.IdCounter, 0x80000000u);
    EXPECT_EQ(store.NewId(), 0x80000001u);
}

TEST_F(RecordStoreTest, NewIdWorksThroughTheBaseClass) {
    VehicleStore vehicles;
    vehicles.IdCounter = 5;
    vehicles.Append(Vehicle(vehicles, 0x80000002));
    RecordStore& store = vehicles;
    EXPECT_EQ(store.NewId(), 0x80000003u);
}

TEST_F(RecordStoreTest, ServiceTypeNewIdSkipsServiceTypeIdsInUse) {
    ServiceTypeStore store;
    store.IdCounter = 1;
    ServiceTypeRecord type = store.CreateRecord();
    type.ServiceTypeId = 0x80000002;
    type.Flags = RecordFlags::Deleted;
    store.Append(type);
    EXPECT_EQ(store.NewId(), 0x80000003u);
    EXPECT_EQ(store.IdCounter, 0x80000003u);
}

TEST_F(RecordStoreTest, OtherStoresOnlyCountUp) {
    ServiceStore services;
    services.IdCounter = 5;
    EXPECT_EQ(services.NewId(), 6u);
    EXPECT_EQ(services.IdCounter, 6u);

    TripStore trips;
    EXPECT_EQ(trips.NewId(), 0x80000001u);

    ExpenseStore expenses;
    expenses.IdCounter = 0x7FFFFFFF;
    EXPECT_EQ(expenses.NewId(), 0x80000000u);
}

TEST_F(RecordStoreTest, ClearKeepsCounterSettingsAndLastUniqueId) {
    TripStore store;
    store.IdCounter = 0x80000042;
    store.Settings = {RecordStore::kUnitsKilometres, 9, 8, 7};
    store.Categories.LastUniqueId = 0x1234;
    CategoryEntry unfiled;
    unfiled.Name = "Unfiled";
    store.Categories.Add(unfiled);
    store.Append(store.CreateRecord());
    store.Append(store.CreateRecord());

    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_TRUE(store.Records().empty());
    EXPECT_EQ(store.Categories.Size(), 0u);
    EXPECT_EQ(store.IdCounter, 0x80000042u);
    EXPECT_EQ(store.Settings, (std::array<std::uint32_t, 4>{2, 9, 8, 7}));
    EXPECT_EQ(store.Categories.LastUniqueId, 0x1234u);
    EXPECT_TRUE(store.UsesKilometres());
}

TEST_F(RecordStoreTest, LiveCountSkipsDeletedRecords) {
    ExpenseStore store;
    EXPECT_EQ(store.LiveCount(), 0u);
    for (std::uint32_t flags : {0u, RecordFlags::Deleted, RecordFlags::Modified,
                                RecordFlags::Deleted | RecordFlags::Modified, 2u}) {
        ExpenseRecord expense = store.CreateRecord();
        expense.Flags = flags;
        store.Append(expense);
    }
    EXPECT_EQ(store.Count(), 5u);
    EXPECT_EQ(store.LiveCount(), 3u);
    EXPECT_TRUE(store.Records()[1].IsDeleted());
    EXPECT_FALSE(store.Records()[4].IsDeleted());
}

TEST_F(RecordStoreTest, CreatedRecordsAreEmptyAndDatedNow) {
    const std::int64_t before = std::time(nullptr);
    TripStore trips;
    const TripRecord trip = trips.CreateRecord();
    const std::int64_t after = std::time(nullptr);

    EXPECT_EQ(trip.Uid, 0u);
    EXPECT_EQ(trip.Category, 0u);
    EXPECT_EQ(trip.Flags, 0u);
    EXPECT_EQ(trip.Destination.View(), "");
    EXPECT_EQ(trip.StartOdometer, 0);
    EXPECT_EQ(trip.EndOdometer, 0);
    EXPECT_EQ(trip.VehicleId, 0u);
    EXPECT_EQ(trip.Note, "");
    EXPECT_GE(trip.Start.AsSeconds(), before);
    EXPECT_LE(trip.Start.AsSeconds(), after);
    EXPECT_GE(trip.End.AsSeconds(), before);
    EXPECT_LE(trip.End.AsSeconds(), after);

    VehicleStore vehicles;
    const VehicleRecord vehicle = vehicles.CreateRecord();
    EXPECT_EQ(vehicle.VehicleId, 0u);
    EXPECT_EQ(vehicle.Odometer, 0);
    EXPECT_TRUE(vehicle.Name == FixedText<16>{});
    EXPECT_TRUE(vehicle.Insurance == FixedText<64>{});

    ServiceTypeStore types;
    const ServiceTypeRecord type = types.CreateRecord();
    EXPECT_EQ(type.ServiceTypeId, 0u);
    EXPECT_EQ(type.TimeUnit, 0);
    EXPECT_EQ(type.TimeCount, 0);
    EXPECT_EQ(type.DistanceInterval, 0);

    ExpenseStore expenses;
    const ExpenseRecord expense = expenses.CreateRecord();
    EXPECT_EQ(expense.Cost, 0);
    EXPECT_EQ(expense.Volume, 0);
    EXPECT_EQ(expense.ExpenseFlags, 0);
    EXPECT_TRUE(expense.ExtraText == FixedText<16>{});
    EXPECT_GE(expense.Date.AsSeconds(), before);
    EXPECT_LE(expense.Date.AsSeconds(), after);
}

TEST_F(RecordStoreTest, AppendKeepsOrderAndEarlierReferences) {
    TripStore store;
    TripRecord first = store.CreateRecord();
    first.Destination.Set("first");
    TripRecord& stored = store.Append(first);
    for (int i = 0; i < 1000; ++i)
        store.Append(store.CreateRecord());
    EXPECT_EQ(&stored, &store.Records()[0]);
    EXPECT_EQ(stored.Destination.View(), "first");
    EXPECT_EQ(store.Count(), 1001u);
}

TEST_F(RecordStoreTest, FindVehicleAndServiceTypeIncludeDeletedRecords) {
    VehicleStore vehicles;
    vehicles.Append(Vehicle(vehicles, 10));
    vehicles.Append(Vehicle(vehicles, 20, RecordFlags::Deleted));
    ASSERT_NE(vehicles.FindVehicle(20), nullptr);
    EXPECT_EQ(vehicles.FindVehicle(20), &vehicles.Records()[1]);
    EXPECT_EQ(vehicles.FindVehicle(10), &vehicles.Records()[0]);
    EXPECT_EQ(vehicles.FindVehicle(30), nullptr);
    const VehicleStore& constVehicles = vehicles;
    EXPECT_EQ(constVehicles.FindVehicle(20), &vehicles.Records()[1]);

    ServiceTypeStore types;
    ServiceTypeRecord type = types.CreateRecord();
    type.ServiceTypeId = 7;
    type.Flags = RecordFlags::Deleted;
    types.Append(type);
    EXPECT_EQ(types.FindServiceType(7), &types.Records()[0]);
    EXPECT_EQ(types.FindServiceType(8), nullptr);
}

TEST_F(RecordStoreTest, TagsAndUnits) {
    EXPECT_EQ(VehicleStore().TagText(), "Vehi");
    EXPECT_EQ(ServiceTypeStore().TagText(), "STyp");
    EXPECT_EQ(ServiceStore().TagText(), "Serv");
    EXPECT_EQ(TripStore().TagText(), "Trip");
    EXPECT_EQ(ExpenseStore().TagText(), "Exps");
    EXPECT_EQ(VehicleStore().Tag(), 0x56656869u);

    TripStore trips;
    EXPECT_FALSE(trips.UsesKilometres());
    trips.Settings[0] = 0xFFFFFFFD;
    EXPECT_FALSE(trips.UsesKilometres());
    trips.Settings[0] = 2;
    EXPECT_TRUE(trips.UsesKilometres());
    trips.Settings = {0, 2, 2, 2};
    EXPECT_FALSE(trips.UsesKilometres());
}

TEST(ServiceTypeTest, IntervalDaysPerTimeUnit) {
    auto days = [](std::uint8_t unit, std::uint8_t count) {
        ServiceTypeRecord type;
        type.TimeUnit = unit;
        type.TimeCount = count;
        return type.IntervalDays();
    };
    EXPECT_EQ(days(0, 5), 0);
    EXPECT_EQ(days(1, 10), 10);
    EXPECT_EQ(days(2, 3), 21);
    EXPECT_EQ(days(3, 2), 60);
    EXPECT_EQ(days(4, 2), 730);
    EXPECT_EQ(days(3, 255), 7650);
    // 255 years is 93075 days, which wraps as a 16-bit number.
    EXPECT_EQ(days(4, 255), 93075 - 65536);
    EXPECT_EQ(days(4, 0), 0);
}
