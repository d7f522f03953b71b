#include "SampleGenerator.h"
#include "TvDocument.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

class GeneratedSample : public testing::Test {
protected:
    void SetUp() override {
        SampleOptions options;
        options.Vehicles = 5;
        options.Trips = 3000;
        options.Services = 300;
        options.Expenses = 600;
        options.Seed = 42;
        GenerateSample(document, options);
    }

    template <typename Store> static std::size_t Deleted(const Store& store) {
        return store.Count() - store.LiveCount();
    }

    TvDocument document;
};

TEST_F(GeneratedSample, HoldsTheRequestedCountsWithAFewDeletedRecords) {
    EXPECT_EQ(document.Vehicles().Count(), 5u);
    EXPECT_EQ(document.Trips().Count(), 3000u);
    EXPECT_EQ(document.Services().Count(), 300u);
    EXPECT_EQ(document.Expenses().Count(), 600u);
    EXPECT_GT(document.ServiceTypes().Count(), 2u);
    for (std::size_t deleted :
         {Deleted(document.Trips()), Deleted(document.Services()), Deleted(document.Expenses())}) {
        EXPECT_GT(deleted, 0u);
        EXPECT_LT(deleted, 60u);
    }
}

TEST_F(GeneratedSample, EveryStoreHasUnfiledAndUserCategoriesAreIndexed) {
    for (const RecordStore* store : {static_cast<const RecordStore*>(&document.Vehicles()),
                                     static_cast<const RecordStore*>(&document.ServiceTypes()),
                                     static_cast<const RecordStore*>(&document.Services()),
                                     static_cast<const RecordStore*>(&document.Trips()),
                                     static_cast<const RecordStore*>(&document.Expenses())}) {
        ASSERT_FALSE(store->Categories.Items().empty()) << store->TagText();
        EXPECT_EQ(store->Categories.Items().back().Name, "Unfiled") << store->TagText();
    }
    EXPECT_GT(document.Trips().Categories.Size(), 2u);
    EXPECT_GT(document.Expenses().Categories.Size(), 2u);
    for (const TripRecord& trip : document.Trips().Records())
        EXPECT_NE(document.Trips().Categories.FindByIndex(trip.Category), nullptr);
    for (const ExpenseRecord& expense : document.Expenses().Records())
        EXPECT_NE(document.Expenses().Categories.FindByIndex(expense.Category), nullptr);
}

TEST_F(GeneratedSample, RecordsReferToExistingVehiclesAndServiceTypes) {
    std::set<std::string_view> names;
    for (const VehicleRecord& vehicle : document.Vehicles().Records()) {
        EXPECT_TRUE(names.insert(vehicle.Name.View()).second) << vehicle.Name.View();
        EXPECT_FALSE(vehicle.Name.View().empty());
    }
    for (const TripRecord& trip : document.Trips().Records())
        EXPECT_NE(document.Vehicles().FindVehicle(trip.VehicleId), nullptr);
    for (const ServiceRecord& service : document.Services().Records()) {
        EXPECT_NE(document.Vehicles().FindVehicle(service.VehicleId), nullptr);
        EXPECT_NE(document.ServiceTypes().FindServiceType(service.ServiceTypeId), nullptr);
    }
    for (const ExpenseRecord& expense : document.Expenses().Records())
        EXPECT_NE(document.Vehicles().FindVehicle(expense.VehicleId), nullptr);
    for (const ServiceTypeRecord& type : document.ServiceTypes().Records())
        EXPECT_LE(type.TimeUnit, 4);
}

TEST_F(GeneratedSample, TripsMoveForwardPerVehicle) {
    std::map<std::uint32_t, const TripRecord*> previous;
    for (const TripRecord& trip : document.Trips().Records()) {
        EXPECT_GE(trip.EndOdometer, trip.StartOdometer);
        EXPECT_LE(trip.Start.AsSeconds(), trip.End.AsSeconds());
        EXPECT_GT(trip.Start.AsSeconds(), 0);
        const TripRecord*& last = previous[trip.VehicleId];
        if (last != nullptr) {
            EXPECT_GE(trip.StartOdometer, last->EndOdometer);
            EXPECT_GE(trip.Start.AsSeconds(), last->Start.AsSeconds());
        }
        last = &trip;
    }
    EXPECT_EQ(previous.size(), document.Vehicles().Count());
}

TEST_F(GeneratedSample, NotesAndAmountsLookLikeRealData) {
    bool comma = false;
    bool lineBreak = false;
    bool empty = false;
    for (const TripRecord& trip : document.Trips().Records()) {
        EXPECT_LE(trip.Note.size(), 255u);
        comma |= trip.Note.View().find(',') != std::string::npos;
        lineBreak |= trip.Note.View().find('\n') != std::string::npos;
        empty |= trip.Note.empty();
    }
    EXPECT_TRUE(comma && lineBreak && empty);

    std::size_t fuel = 0;
    for (const ExpenseRecord& expense : document.Expenses().Records()) {
        EXPECT_GT(expense.Cost, 0);
        if (expense.IsFuelPurchase()) {
            ++fuel;
            EXPECT_GT(expense.Volume, 0);
        }
    }
    EXPECT_GT(fuel, 0u);
    EXPECT_LT(fuel, document.Expenses().Count());

    const auto& services = document.Services().Records();
    const auto completed = std::count_if(services.begin(), services.end(),
                                         [](const ServiceRecord& s) { return s.IsCompleted(); });
    EXPECT_GT(completed, 0);
    EXPECT_LT(static_cast<std::size_t>(completed), services.size());
}

} // namespace
