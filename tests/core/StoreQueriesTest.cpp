// The store-specific queries and bulk changes the views build on.

#include "RecordStore.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace tvtest;

namespace {

constexpr std::uint32_t kCar = 0x80000002;
constexpr std::uint32_t kOtherCar = 0x80000003;
constexpr std::uint32_t kOil = 0x80000010;
constexpr std::uint32_t kTires = 0x80000011;

class StoreQueriesTest : public FixedZoneTest {
protected:
    void SetUp() override {
        FixedZoneTest::SetUp();
        car.VehicleId = kCar;
        car.Odometer = 1000;
        otherCar.VehicleId = kOtherCar;
        otherCar.Odometer = 50;
        oil.ServiceTypeId = kOil;
        tires.ServiceTypeId = kTires;
    }

    TripRecord& AddTrip(std::uint32_t vehicle, std::int32_t end, std::uint32_t flags = 0,
                        std::uint32_t category = 0) {
        TripRecord trip = trips.CreateRecord();
        trip.VehicleId = vehicle;
        trip.StartOdometer = end - 10;
        trip.EndOdometer = end;
        trip.Flags = flags;
        trip.Category = category;
        return trips.Append(trip);
    }

    ServiceRecord& AddService(std::uint32_t vehicle, std::uint32_t type, std::int32_t odometer,
                              std::uint16_t serviceFlags, std::uint32_t flags = 0,
                              const MTime& date = MTime(2004, 1, 1, 0, 0, 0, -1)) {
        ServiceRecord entry = services.CreateRecord();
        entry.VehicleId = vehicle;
        entry.ServiceTypeId = type;
        entry.Odometer = odometer;
        entry.ServiceFlags = serviceFlags;
        entry.Flags = flags;
        entry.Date = date;
        return services.Append(entry);
    }

    ExpenseRecord& AddExpense(std::uint32_t vehicle, std::int32_t odometer, bool fuel,
                              std::uint32_t flags = 0, std::uint32_t category = 0) {
        ExpenseRecord expense = expenses.CreateRecord();
        expense.VehicleId = vehicle;
        expense.Odometer = odometer;
        expense.ExpenseFlags = fuel ? 0x0101 : 0x0100;
        expense.Flags = flags;
        expense.Category = category;
        return expenses.Append(expense);
    }

    VehicleRecord car;
    VehicleRecord otherCar;
    ServiceTypeRecord oil;
    ServiceTypeRecord tires;
    TripStore trips;
    ServiceStore services;
    ExpenseStore expenses;
};

} // namespace

TEST_F(StoreQueriesTest, MaxTripOdometerNeverGoesBelowTheVehicle) {
    EXPECT_EQ(trips.MaxTripOdometer(car), 1000);
    AddTrip(kCar, 900);
    EXPECT_EQ(trips.MaxTripOdometer(car), 1000);
}

TEST_F(StoreQueriesTest, MaxTripOdometerTakesTheGreatestLiveTripOfTheVehicle) {
    AddTrip(kCar, 1500);
    AddTrip(kCar, 1200);
    AddTrip(kCar, 5000, RecordFlags::Deleted);
    AddTrip(kOtherCar, 9000);
    EXPECT_EQ(trips.MaxTripOdometer(car), 1500);
    EXPECT_EQ(trips.MaxTripOdometer(otherCar), 9000);
}

TEST_F(StoreQueriesTest, MaxServiceOdometerCountsCompletedLiveEntriesOnly) {
    EXPECT_EQ(services.MaxServiceOdometer(car), 1000);
    AddService(kCar, kOil, 1300, 0x0001);
    AddService(kCar, kOil, 3000, 0x0000);                       // not completed
    AddService(kCar, kOil, 3100, 0x0002);                       // other bit only
    AddService(kCar, kOil, 4000, 0x0001, RecordFlags::Deleted); // deleted
    AddService(kOtherCar, kOil, 8000, 0x0001);                  // other vehicle
    EXPECT_EQ(services.MaxServiceOdometer(car), 1300);
    AddService(kCar, kTires, 1400, 0x8003);
    EXPECT_EQ(services.MaxServiceOdometer(car), 1400);
}

TEST_F(StoreQueriesTest, MaxServiceOdometerNeverGoesBelowTheVehicle) {
    AddService(kCar, kOil, 700, 0x0001);
    EXPECT_EQ(services.MaxServiceOdometer(car), 1000);
}

TEST_F(StoreQueriesTest, LastServiceOdometerIsZeroWithoutEntries) {
    EXPECT_EQ(services.LastServiceOdometer(car, oil), 0);
    AddService(kOtherCar, kOil, 500, 1);
    AddService(kCar, kTires, 600, 1);
    AddService(kCar, kOil, 700, 1, RecordFlags::Deleted);
    EXPECT_EQ(services.LastServiceOdometer(car, oil), 0);
}

TEST_F(StoreQueriesTest, LastServiceOdometerTakesCompletedAndOpenEntriesOfTheType) {
    AddService(kCar, kOil, 500, 0);
    AddService(kCar, kOil, 700, 1);
    AddService(kCar, kOil, 650, 0);
    AddService(kCar, kOil, 900, 1, RecordFlags::Deleted);
    AddService(kCar, kTires, 2000, 1);
    AddService(kOtherCar, kOil, 3000, 1);
    EXPECT_EQ(services.LastServiceOdometer(car, oil), 700);
    AddService(kCar, kOil, 800, 0);
    EXPECT_EQ(services.LastServiceOdometer(car, oil), 800);
}

TEST_F(StoreQueriesTest, LatestServiceIsNoneWithoutEntries) {
    const MTime now(2010, 1, 1, 0, 0, 0, -1);
    EXPECT_EQ(services.LatestService(car, oil, now), nullptr);
    AddService(kCar, kOil, 1, 1, RecordFlags::Deleted);
    AddService(kCar, kTires, 1, 1);
    AddService(kOtherCar, kOil, 1, 1);
    EXPECT_EQ(services.LatestService(car, oil, now), nullptr);
}

TEST_F(StoreQueriesTest, LatestServiceTakesTheLatestDateBeforeNow) {
    const MTime now(2010, 1, 1, 0, 0, 0, -1);
    AddService(kCar, kOil, 1, 0, 0, MTime(2004, 1, 1, 0, 0, 0, -1));
    const ServiceRecord& june = AddService(kCar, kOil, 2, 0, 0, MTime(2004, 6, 1, 0, 0, 0, -1));
    AddService(kCar, kOil, 3, 0, 0, MTime(2003, 1, 1, 0, 0, 0, -1));
    AddService(kCar, kOil, 4, 0, 0, MTime(2020, 1, 1, 0, 0, 0, -1));                    // after now
    AddService(kCar, kOil, 5, 0, RecordFlags::Deleted, MTime(2009, 1, 1, 0, 0, 0, -1)); // deleted
    AddService(kOtherCar, kOil, 6, 0, 0, MTime(2009, 1, 1, 0, 0, 0, -1));
    AddService(kCar, kTires, 7, 0, 0, MTime(2009, 1, 1, 0, 0, 0, -1));
    EXPECT_EQ(services.LatestService(car, oil, now), &june);
}

TEST_F(StoreQueriesTest, LatestServiceKeepsAFirstEntryDatedAfterNow) {
    const MTime now(2010, 1, 1, 0, 0, 0, -1);
    const ServiceRecord& future = AddService(kCar, kOil, 1, 0, 0, MTime(2030, 1, 1, 0, 0, 0, -1));
    AddService(kCar, kOil, 2, 0, 0, MTime(2005, 1, 1, 0, 0, 0, -1));
    EXPECT_EQ(services.LatestService(car, oil, now), &future);
}

TEST_F(StoreQueriesTest, LatestServiceOnEqualDatesKeepsTheFirst) {
    const MTime now(2010, 1, 1, 0, 0, 0, -1);
    const ServiceRecord& first = AddService(kCar, kOil, 1, 0, 0, MTime(2004, 1, 1, 0, 0, 0, -1));
    AddService(kCar, kOil, 2, 0, 0, MTime(2004, 1, 1, 0, 0, 0, -1));
    EXPECT_EQ(services.LatestService(car, oil, now), &first);
}

TEST_F(StoreQueriesTest, PreviousFillUpTakesTheGreatestReadingBelow) {
    const ExpenseRecord& at100 = AddExpense(kCar, 100, true);
    const ExpenseRecord& first300 = AddExpense(kCar, 300, true);
    const ExpenseRecord& second300 = AddExpense(kCar, 300, true);
    AddExpense(kCar, 500, true);
    AddExpense(kCar, 400, false);     // not a fuel purchase
    AddExpense(kOtherCar, 450, true); // another vehicle

    EXPECT_EQ(expenses.PreviousFillUp(car, 480, nullptr), &first300);
    EXPECT_EQ(expenses.PreviousFillUp(car, 300, nullptr), &at100);
    EXPECT_EQ(expenses.PreviousFillUp(car, 301, nullptr), &first300);
    EXPECT_EQ(expenses.PreviousFillUp(car, 480, &first300), &second300);
    EXPECT_EQ(expenses.PreviousFillUp(car, 100, nullptr), nullptr);
    EXPECT_EQ(expenses.PreviousFillUp(car, 50, nullptr), nullptr);
}

TEST_F(StoreQueriesTest, PreviousFillUpCountsDeletedFillUps) {
    AddExpense(kCar, 100, true);
    const ExpenseRecord& deleted = AddExpense(kCar, 450, true, RecordFlags::Deleted);
    EXPECT_EQ(expenses.PreviousFillUp(car, 480, nullptr), &deleted);
}

TEST_F(StoreQueriesTest, PreviousFillUpIgnoresReadingsOfZeroOrLess) {
    AddExpense(kCar, 0, true);
    AddExpense(kCar, -20, true);
    EXPECT_EQ(expenses.PreviousFillUp(car, 100, nullptr), nullptr);
    const ExpenseRecord& one = AddExpense(kCar, 1, true);
    EXPECT_EQ(expenses.PreviousFillUp(car, 100, nullptr), &one);
}

TEST_F(StoreQueriesTest, PreviousFillUpSkipsTheRecordBeingEdited) {
    const ExpenseRecord& only = AddExpense(kCar, 100, true);
    EXPECT_EQ(expenses.PreviousFillUp(car, 200, &only), nullptr);
    EXPECT_EQ(expenses.PreviousFillUp(car, 200, nullptr), &only);
}

TEST_F(StoreQueriesTest, TripsOfADeletedVehicleAreMarkedDeleted) {
    AddTrip(kCar, 1, 0x40);
    AddTrip(kOtherCar, 2);
    AddTrip(kCar, 3, RecordFlags::Deleted);
    trips.MarkVehicleDeleted(car);
    EXPECT_EQ(trips.Records()[0].Flags, 0x40u | RecordFlags::Deleted);
    EXPECT_EQ(trips.Records()[1].Flags, 0u);
    EXPECT_EQ(trips.Records()[2].Flags, RecordFlags::Deleted);
    EXPECT_EQ(trips.LiveCount(), 1u);
}

TEST_F(StoreQueriesTest, ServiceEntriesOfADeletedVehicleAreMarkedDeleted) {
    AddService(kCar, kOil, 1, 1, RecordFlags::Modified);
    AddService(kOtherCar, kOil, 2, 1);
    AddService(kCar, kTires, 3, 0);
    services.MarkVehicleDeleted(car);
    EXPECT_EQ(services.Records()[0].Flags, RecordFlags::Modified | RecordFlags::Deleted);
    EXPECT_FALSE(services.Records()[1].IsDeleted());
    EXPECT_TRUE(services.Records()[2].IsDeleted());
}

TEST_F(StoreQueriesTest, ServiceEntriesOfADeletedTypeAreMarkedDeleted) {
    AddService(kCar, kOil, 1, 1);
    AddService(kOtherCar, kOil, 2, 1);
    AddService(kCar, kTires, 3, 0);
    services.MarkServiceTypeDeleted(oil);
    EXPECT_TRUE(services.Records()[0].IsDeleted());
    EXPECT_TRUE(services.Records()[1].IsDeleted());
    EXPECT_FALSE(services.Records()[2].IsDeleted());
    EXPECT_EQ(services.Records()[2].Flags, 0u);
}

TEST_F(StoreQueriesTest, MovingATripCategoryToUnfiledComparesSixteenBits) {
    AddTrip(kCar, 1, 0, 3);
    AddTrip(kCar, 2, RecordFlags::Deleted | 0x100, 3);
    AddTrip(kCar, 3, 0, 0x00010003); // same low 16 bits
    AddTrip(kCar, 4, 0, 0x00030000); // index 0 in the low 16 bits
    AddTrip(kCar, 5, 0, 4);
    trips.MoveCategoryToUnfiled(3);

    const auto& r = trips.Records();
    EXPECT_EQ(r[0].Category, 0u);
    EXPECT_EQ(r[0].Flags, RecordFlags::Modified);
    EXPECT_EQ(r[1].Category, 0u);
    EXPECT_EQ(r[1].Flags, RecordFlags::Deleted | RecordFlags::Modified | 0x100);
    EXPECT_EQ(r[2].Category, 0u);
    EXPECT_EQ(r[2].Flags, RecordFlags::Modified);
    EXPECT_EQ(r[3].Category, 0x00030000u);
    EXPECT_EQ(r[3].Flags, 0u);
    EXPECT_EQ(r[4].Category, 4u);
    EXPECT_EQ(r[4].Flags, 0u);
}

TEST_F(StoreQueriesTest, MovingAnExpenseCategoryToUnfiledWorksThroughTheBaseClass) {
    AddExpense(kCar, 1, true, 0, 5);
    AddExpense(kCar, 2, true, RecordFlags::Deleted, 5);
    AddExpense(kCar, 3, true, 0, 6);
    RecordStore& store = expenses;
    store.MoveCategoryToUnfiled(0x00FF0005);

    const auto& r = expenses.Records();
    EXPECT_EQ(r[0].Category, 0u);
    EXPECT_EQ(r[0].Flags, RecordFlags::Modified);
    EXPECT_EQ(r[1].Category, 0u);
    EXPECT_EQ(r[1].Flags, RecordFlags::Deleted | RecordFlags::Modified);
    EXPECT_EQ(r[2].Category, 6u);
    EXPECT_EQ(r[2].Flags, 0u);
}

TEST_F(StoreQueriesTest, MovingToUnfiledDoesNothingOnTheOtherStores) {
    AddService(kCar, kOil, 1, 1);
    services.Records()[0].Category = 3;

    VehicleStore vehicles;
    VehicleRecord vehicle = vehicles.CreateRecord();
    vehicle.Category = 3;
    vehicles.Append(vehicle);

    ServiceTypeStore types;
    ServiceTypeRecord type = types.CreateRecord();
    type.Category = 3;
    types.Append(type);

    for (RecordStore* store : std::initializer_list<RecordStore*>{&services, &vehicles, &types})
        store->MoveCategoryToUnfiled(3);

    EXPECT_EQ(services.Records()[0].Category, 3u);
    EXPECT_EQ(services.Records()[0].Flags, 0u);
    EXPECT_EQ(vehicles.Records()[0].Category, 3u);
    EXPECT_EQ(vehicles.Records()[0].Flags, 0u);
    EXPECT_EQ(types.Records()[0].Category, 3u);
    EXPECT_EQ(types.Records()[0].Flags, 0u);
}
