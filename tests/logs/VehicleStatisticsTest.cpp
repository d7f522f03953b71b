#include "VehicleStatistics.h"
#include "ChartScale.h"

#include "ExpenseRows.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

MTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return MTime(year, month, day, hour, minute, second, -1);
}

constexpr std::uint32_t kWork = 1;
constexpr std::uint32_t kFuel = 1;
constexpr std::uint32_t kRepair = 2;
constexpr std::uint32_t kOilId = 0x80000002;
constexpr std::uint32_t kTyresId = 0x80000003;

// A van and a bus; trip categories "Work" and "Unfiled", expense categories
// "Fuel", "Repair" and "Unfiled"; an oil change every 3 months or 3000 miles
// and tyres every 5000 miles.
class VehicleStatisticsTest : public testing::Test {
protected:
    void SetUp() override {
        m_document.InitNewDocument();
        m_van = &AddVehicle("Van", 11, 0);
        m_bus = &AddVehicle("Bus", 12, 0);
        AddCategory(m_document.Trips().Categories, "Work", kWork);
        AddCategory(m_document.Expenses().Categories, "Fuel", kFuel);
        AddCategory(m_document.Expenses().Categories, "Repair", kRepair);
        AddType("Oil", 3000, TimeUnit::Months, 3, kOilId);
        AddType("Tyres", 5000, TimeUnit::None, 0, kTyresId);
    }

    VehicleRecord& AddVehicle(const char* name, std::uint32_t id, std::int32_t odometer) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        vehicle.Odometer = odometer;
        return m_document.Vehicles().Append(vehicle);
    }

    static void AddCategory(CategoryList& list, const char* name, std::uint32_t index) {
        CategoryEntry entry;
        entry.Name = name;
        entry.Category = index;
        list.Add(entry);
    }

    void AddType(const char* name, std::int32_t distance, TimeUnit unit, std::uint8_t count,
                 std::uint32_t id) {
        ServiceTypeRecord type;
        type.Name.Set(name);
        type.DistanceInterval = distance;
        type.TimeUnit = static_cast<std::uint8_t>(unit);
        type.TimeCount = count;
        type.ServiceTypeId = id;
        m_document.ServiceTypes().Append(type);
    }

    TripRecord& AddTrip(const VehicleRecord& vehicle, const MTime& start, std::int32_t from,
                        std::int32_t to, std::uint32_t category = kWork) {
        TripRecord trip(start);
        trip.VehicleId = vehicle.VehicleId;
        trip.Category = category;
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        return m_document.Trips().Append(std::move(trip));
    }

    // Cost and volume in thousandths.
    ExpenseRecord& AddExpense(const VehicleRecord& vehicle, const MTime& date,
                              std::int32_t odometer, std::int32_t cost, std::uint32_t category,
                              bool gas = false, std::int32_t volume = 0) {
        ExpenseRecord expense(date);
        expense.VehicleId = vehicle.VehicleId;
        expense.Odometer = odometer;
        expense.Cost = cost;
        expense.Category = category;
        expense.ExpenseFlags = gas ? ExpenseFlagBits::FuelPurchase : 0;
        expense.Volume = volume;
        return m_document.Expenses().Append(std::move(expense));
    }

    ExpenseRecord& AddFillUp(const VehicleRecord& vehicle, const MTime& date, std::int32_t odometer,
                             std::int32_t cost, std::int32_t volume) {
        return AddExpense(vehicle, date, odometer, cost, kFuel, true, volume);
    }

    ServiceRecord& AddEntry(const VehicleRecord& vehicle, std::uint32_t typeId, const MTime& date,
                            std::int32_t odometer, bool completed = false) {
        ServiceRecord entry(date);
        entry.VehicleId = vehicle.VehicleId;
        entry.ServiceTypeId = typeId;
        entry.Odometer = odometer;
        entry.ServiceFlags = completed ? ServiceFlagBits::Completed : 0;
        return m_document.Services().Append(std::move(entry));
    }

    VehicleStatistics Compute(const VehicleRecord* vehicle, const MTime& now = At(2024, 3, 1, 12)) {
        StatisticsScope scope;
        scope.Vehicle = vehicle;
        return ComputeVehicleStatistics(m_document, scope, now);
    }

    VehicleStatistics ComputeRange(const VehicleRecord* vehicle, const MTime& from, const MTime& to,
                                   const MTime& now = At(2024, 3, 1, 12)) {
        StatisticsScope scope;
        scope.Vehicle = vehicle;
        scope.AllDates = false;
        scope.From = from;
        scope.To = to;
        return ComputeVehicleStatistics(m_document, scope, now);
    }

    // The van's month: January 2024 trips of 50 (Work) and a reversed one
    // (0, Unfiled), a deleted trip, and February's 60; the bus's trip of 10.
    void AddTrips() {
        AddTrip(*m_van, At(2024, 1, 10, 8), 100, 150);
        AddTrip(*m_van, At(2024, 1, 20, 8), 150, 140, 0);
        AddTrip(*m_van, At(2024, 1, 12, 8), 1, 1000).MarkDeleted();
        AddTrip(*m_van, At(2024, 2, 5, 8), 200, 260);
        AddTrip(*m_bus, At(2024, 1, 15, 8), 10, 20);
    }

    // The van's two fill-ups at 1000 (10 gallons, 30.00) and 1300 (12 gallons,
    // 36.50), a repair at 1400 (120.25), a deleted fill-up at 1200 (which
    // counts as the 1300 one's previous fill-up all the same, as in the
    // expense list) and the bus's fill-up.
    void AddExpenses() {
        AddFillUp(*m_van, At(2024, 1, 5), 1000, 30000, 10000);
        AddFillUp(*m_van, At(2024, 1, 25), 1300, 36500, 12000);
        AddExpense(*m_van, At(2024, 2, 3), 1400, 120250, kRepair);
        AddFillUp(*m_van, At(2024, 1, 20), 1200, 999000, 5000).MarkDeleted();
        AddFillUp(*m_bus, At(2024, 1, 6), 500, 20000, 8000);
    }

    TvDocument m_document;
    VehicleRecord* m_van = nullptr;
    VehicleRecord* m_bus = nullptr;
};

std::vector<std::string> Names(const std::vector<NamedAmount>& amounts) {
    std::vector<std::string> names;
    for (const NamedAmount& amount : amounts)
        names.push_back(amount.Name);
    return names;
}

std::vector<std::int64_t> Amounts(const std::vector<NamedAmount>& amounts) {
    std::vector<std::int64_t> values;
    for (const NamedAmount& amount : amounts)
        values.push_back(amount.Amount);
    return values;
}

TEST_F(VehicleStatisticsTest, TripsCountWithTheListsDistancesAndCategories) {
    AddTrips();
    const VehicleStatistics figures = Compute(m_van);
    EXPECT_EQ(figures.TripCount, 3) << "the deleted trip and the bus's do not count";
    EXPECT_EQ(figures.Distance, 110) << "the reversed trip counts 0, as the list shows it";
    EXPECT_EQ(Names(figures.DistanceByCategory), (std::vector<std::string>{"Work", "Unfiled"}));
    EXPECT_EQ(Amounts(figures.DistanceByCategory), (std::vector<std::int64_t>{110, 0}));
    ASSERT_EQ(figures.Months.size(), 2u);
    EXPECT_EQ(figures.Months[0].Year, 2024);
    EXPECT_EQ(figures.Months[0].Month, 1);
    EXPECT_EQ(figures.Months[0].Distance, 50);
    EXPECT_EQ(figures.Months[1].Month, 2);
    EXPECT_EQ(figures.Months[1].Distance, 60);
    EXPECT_EQ(figures.CostDistanceSource, DistanceSource::Trips);
    EXPECT_EQ(figures.CostDistance, 110);
    ASSERT_TRUE(figures.CostPerDistance);
    EXPECT_DOUBLE_EQ(*figures.CostPerDistance, 0.0) << "no cost over 110 miles";

    // Only a reversed trip, with a cost: a distance of 0 is nothing to divide by.
    AddExpense(*m_bus, At(2024, 1, 7), 0, 5000, kRepair);
    m_document.Trips().Records().back().EndOdometer = 5;
    const VehicleStatistics reversed = Compute(m_bus);
    EXPECT_EQ(reversed.CostDistanceSource, DistanceSource::Trips);
    EXPECT_EQ(reversed.CostDistance, 0);
    EXPECT_EQ(reversed.CostPerDistance, std::nullopt);
}

TEST_F(VehicleStatisticsTest, TwoFillUpsGiveTheAverageEfficiencyAndEachFillUpItsOwn) {
    AddExpenses();
    const VehicleStatistics figures = Compute(m_van);
    EXPECT_EQ(figures.ExpenseCount, 3) << "the deleted fill-up never counts";
    EXPECT_EQ(figures.Cost, 186750);
    EXPECT_EQ(Names(figures.CostByCategory),
              (std::vector<std::string>{"Fuel", "Repair", "Unfiled"}));
    EXPECT_EQ(Amounts(figures.CostByCategory), (std::vector<std::int64_t>{66500, 120250, 0}));
    EXPECT_EQ(figures.FillUps, 2);
    EXPECT_EQ(figures.Volume, 22000);
    EXPECT_EQ(figures.FuelCost, 66500);

    ASSERT_EQ(figures.FillUpPoints.size(), 2u);
    EXPECT_EQ(figures.FillUpPoints[0].Odometer, 1000);
    EXPECT_EQ(figures.FillUpPoints[0].Volume, 10000);
    EXPECT_EQ(figures.FillUpPoints[0].Efficiency, std::nullopt) << "nothing before 1000";
    EXPECT_EQ(figures.FillUpPoints[1].Odometer, 1300);
    ASSERT_TRUE(figures.FillUpPoints[1].Efficiency);
    EXPECT_DOUBLE_EQ(*figures.FillUpPoints[1].Efficiency, 100.0 / 12.0)
        << "from the deleted fill-up at 1200, as the expense dialog computes it";
    // The deleted fill-up at 1200 is where the 12 gallons bought at 1300
    // were measured from, so the average agrees with that point instead of
    // counting 300 miles on 12 gallons.
    ASSERT_TRUE(figures.AverageEfficiency);
    EXPECT_DOUBLE_EQ(*figures.AverageEfficiency, 100.0 / 12.0);

    // No trips: the distance comes from the expenses' readings, 1000 to 1400.
    EXPECT_EQ(figures.CostDistanceSource, DistanceSource::Odometer);
    EXPECT_EQ(figures.CostDistance, 400);
    ASSERT_TRUE(figures.CostPerDistance);
    EXPECT_DOUBLE_EQ(*figures.CostPerDistance, 186.75 / 400);

    // Months by the expense's date, costs per category in the list's order.
    ASSERT_EQ(figures.Months.size(), 2u);
    EXPECT_EQ(figures.Months[0].CostByCategory, (std::vector<std::int64_t>{66500, 0, 0}));
    EXPECT_EQ(figures.Months[1].CostByCategory, (std::vector<std::int64_t>{0, 120250, 0}));

    // All three live: from the first fill-up to the last, 300 miles, over the
    // 5 + 12 gallons bought after the first.
    m_document.Expenses().Records()[3].Flags &= ~RecordFlags::Deleted;
    const VehicleStatistics live = Compute(m_van);
    ASSERT_EQ(live.FillUpPoints.size(), 3u);
    ASSERT_TRUE(live.AverageEfficiency);
    EXPECT_DOUBLE_EQ(*live.AverageEfficiency, 300.0 / 17.0);
}

TEST_F(VehicleStatisticsTest, FewFillUpsOrNoVolumeLeaveTheEfficiencyUnknown) {
    // One fill-up.
    AddFillUp(*m_van, At(2024, 1, 5), 1000, 30000, 10000);
    VehicleStatistics figures = Compute(m_van);
    EXPECT_EQ(figures.FillUps, 1);
    EXPECT_EQ(figures.AverageEfficiency, std::nullopt);
    EXPECT_EQ(figures.CostDistanceSource, DistanceSource::None) << "one reading spans nothing";
    EXPECT_EQ(figures.CostPerDistance, std::nullopt);

    // A second one without volume: no fuel to divide by, here or in the list.
    AddFillUp(*m_van, At(2024, 1, 25), 1300, 0, 0);
    figures = Compute(m_van);
    EXPECT_EQ(figures.AverageEfficiency, std::nullopt);
    ASSERT_EQ(figures.FillUpPoints.size(), 2u);
    EXPECT_EQ(figures.FillUpPoints[1].Efficiency, std::nullopt);

    // A fill-up without a reading is no end of the average's distance.
    AddFillUp(*m_van, At(2024, 2, 1), 0, 0, 5000);
    figures = Compute(m_van);
    EXPECT_EQ(figures.FillUps, 3);
    EXPECT_EQ(figures.AverageEfficiency, std::nullopt);

    // Readings that go backwards in time give no average rather than a
    // negative one.
    AddFillUp(*m_van, At(2024, 2, 10), 900, 0, 10000);
    figures = Compute(m_van);
    EXPECT_EQ(figures.AverageEfficiency, std::nullopt);
}

TEST_F(VehicleStatisticsTest, ARangeThatCutsAMonthInHalf) {
    AddTrips();
    AddExpenses();
    // 15 January to 10 February: the reversed trip and February's, the second
    // fill-up and the repair.
    const VehicleStatistics figures =
        ComputeRange(m_van, At(2024, 1, 15), At(2024, 2, 10, 23, 59, 59));
    EXPECT_EQ(figures.TripCount, 2);
    EXPECT_EQ(figures.Distance, 60);
    EXPECT_EQ(figures.ExpenseCount, 2);
    EXPECT_EQ(figures.Cost, 156750);
    EXPECT_EQ(figures.FillUps, 1);
    ASSERT_EQ(figures.FillUpPoints.size(), 1u);
    ASSERT_TRUE(figures.FillUpPoints[0].Efficiency) << "its previous fill-up lies before the range";
    EXPECT_DOUBLE_EQ(*figures.FillUpPoints[0].Efficiency, 100.0 / 12.0);
    EXPECT_EQ(figures.AverageEfficiency, std::nullopt) << "one fill-up in the range";
    EXPECT_EQ(figures.CostDistanceSource, DistanceSource::Trips);
    ASSERT_TRUE(figures.CostPerDistance);
    EXPECT_DOUBLE_EQ(*figures.CostPerDistance, 156.75 / 60);

    ASSERT_EQ(figures.Months.size(), 2u);
    EXPECT_EQ(figures.Months[0].Month, 1);
    EXPECT_EQ(figures.Months[0].Distance, 0);
    EXPECT_EQ(figures.Months[0].CostByCategory, (std::vector<std::int64_t>{36500, 0, 0}));
    EXPECT_EQ(figures.Months[1].Month, 2);
    EXPECT_EQ(figures.Months[1].Distance, 60);
    EXPECT_EQ(figures.Months[1].CostByCategory, (std::vector<std::int64_t>{0, 120250, 0}));

    // Both ends of the range are whole days.
    AddTrip(*m_van, At(2024, 1, 15, 0, 0, 0), 300, 301);
    AddTrip(*m_van, At(2024, 2, 10, 23, 59, 59), 301, 303);
    AddTrip(*m_van, At(2024, 2, 11, 0, 0, 0), 303, 310);
    EXPECT_EQ(ComputeRange(m_van, At(2024, 1, 15), At(2024, 2, 10, 23, 59, 59)).Distance, 63);
}

TEST_F(VehicleStatisticsTest, MonthsSpanTheGapsAndMetricIsTheFilesUnit) {
    AddTrip(*m_van, At(2023, 11, 30, 23, 59, 59), 0, 5);
    AddExpense(*m_van, At(2024, 2, 1), 10, 1000, kRepair);
    m_document.Trips().Settings[0] |= RecordStore::kUnitsKilometres;
    const VehicleStatistics figures = Compute(m_van);
    EXPECT_TRUE(figures.Metric);
    ASSERT_EQ(figures.Months.size(), 4u) << "November to February, the empty months included";
    EXPECT_EQ(figures.Months[0].Year, 2023);
    EXPECT_EQ(figures.Months[0].Month, 11);
    EXPECT_EQ(figures.Months[0].Distance, 5);
    EXPECT_EQ(figures.Months[1].Month, 12);
    EXPECT_EQ(figures.Months[2].Year, 2024);
    EXPECT_EQ(figures.Months[2].Month, 1);
    EXPECT_EQ(figures.Months[2].Distance, 0);
    EXPECT_EQ(figures.Months[2].CostByCategory, (std::vector<std::int64_t>{0, 0, 0}));
    EXPECT_EQ(figures.Months[3].CostByCategory, (std::vector<std::int64_t>{0, 1000, 0}));
}

TEST_F(VehicleStatisticsTest, NoDataGivesZerosAndUnknownsNeverNaN) {
    for (const VehicleStatistics& figures : {Compute(nullptr), Compute(m_van)}) {
        EXPECT_EQ(figures.TripCount, 0);
        EXPECT_EQ(figures.Distance, 0);
        EXPECT_EQ(figures.Cost, 0);
        EXPECT_EQ(figures.FillUps, 0);
        EXPECT_EQ(figures.AverageEfficiency, std::nullopt);
        EXPECT_EQ(figures.CostDistanceSource, DistanceSource::None);
        EXPECT_EQ(figures.CostPerDistance, std::nullopt);
        EXPECT_TRUE(figures.FillUpPoints.empty());
        EXPECT_TRUE(figures.Months.empty());
        EXPECT_EQ(figures.ServicesPastDue, 0);
        EXPECT_EQ(figures.NextDue, std::nullopt);
        EXPECT_EQ(Names(figures.CostByCategory),
                  (std::vector<std::string>{"Fuel", "Repair", "Unfiled"}))
            << "every category, so a chart keeps its legend";
    }
    // Without a vehicle another vehicle's records give nothing either.
    AddTrips();
    AddExpenses();
    EXPECT_EQ(Compute(nullptr).TripCount, 0);
    EXPECT_EQ(Compute(nullptr).ExpenseCount, 0);
}

TEST_F(VehicleStatisticsTest, ServicePastDueCompletedAndNextDue) {
    AddTrip(*m_van, At(2024, 1, 2), 900, 1000);
    AddEntry(*m_van, kOilId, At(2024, 1, 10), 1000, true);
    AddEntry(*m_van, kOilId, At(2023, 1, 10), 700, true);
    AddEntry(*m_van, kOilId, At(2024, 1, 1), 3000);   // date reached: past due
    AddEntry(*m_van, kTyresId, At(2023, 1, 1), 5000); // by distance: ahead
    AddEntry(*m_van, kOilId, At(2024, 6, 1), 4000);   // ahead by date and reading
    AddEntry(*m_van, kOilId, At(2024, 4, 1), 4000).MarkDeleted();
    AddEntry(*m_van, kTyresId, At(2024, 1, 1), 0); // neither date nor reading
    AddEntry(*m_bus, kOilId, At(2020, 1, 1), 10);  // another vehicle's

    VehicleStatistics figures = Compute(m_van, At(2024, 3, 1, 12));
    EXPECT_EQ(figures.ServicesCompleted, 2);
    EXPECT_EQ(figures.ServicesPastDue, 1);
    ASSERT_TRUE(figures.NextDue);
    EXPECT_EQ(figures.NextDue->TypeName, "Oil") << "a date ahead comes before a reading ahead";
    ASSERT_TRUE(figures.NextDue->Date);
    EXPECT_EQ(figures.NextDue->Date->DateText(), "6/1/2024");
    EXPECT_EQ(figures.NextDue->Odometer, 4000);

    // The range limits the completed entries only; what is due is due.
    figures = ComputeRange(m_van, At(2024, 1, 1), At(2024, 12, 31, 23, 59, 59), At(2024, 3, 1, 12));
    EXPECT_EQ(figures.ServicesCompleted, 1);
    EXPECT_EQ(figures.ServicesPastDue, 1);

    // Once June has come, the oil change is past due and the tyres are next.
    figures = Compute(m_van, At(2024, 7, 1));
    EXPECT_EQ(figures.ServicesPastDue, 2);
    ASSERT_TRUE(figures.NextDue);
    EXPECT_EQ(figures.NextDue->TypeName, "Tyres");
    EXPECT_EQ(figures.NextDue->Date, std::nullopt) << "no time schedule";
    EXPECT_EQ(figures.NextDue->Odometer, 5000);

    // The current reading is the vehicle's, completed service included: once
    // a completed entry at 5000 is on record, the tyres are past due too.
    AddEntry(*m_van, kOilId, At(2024, 2, 1), 5000, true);
    figures = Compute(m_van, At(2024, 7, 1));
    EXPECT_EQ(figures.ServicesPastDue, 3);
    EXPECT_EQ(figures.NextDue, std::nullopt);

    // An entry whose type is gone is listed as "Unknown" and judged by time.
    AddEntry(*m_van, 0x8000FFFF, At(2025, 1, 1), 0);
    figures = Compute(m_van, At(2024, 7, 1));
    ASSERT_TRUE(figures.NextDue);
    EXPECT_EQ(figures.NextDue->TypeName, "Unknown");
    EXPECT_EQ(figures.NextDue->Date->DateText(), "1/1/2025");
    EXPECT_EQ(figures.NextDue->Odometer, std::nullopt);
}

// A damaged file: categories the list does not hold, dates the calendar
// cannot place.
TEST_F(VehicleStatisticsTest, HostileCategoriesAndDatesAreCountedSafely) {
    AddExpense(*m_van, At(2024, 1, 5), 100, 1000, 9);     // no entry has index 9
    AddExpense(*m_van, At(2024, 1, 6), 100, 2000, 70000); // beyond any index
    AddExpense(*m_van, At(2024, 1, 7), 100, 4000, kRepair);
    AddTrip(*m_van, At(2024, 1, 8), 0, 7, 12);
    // 1 January 1960 and 1 January 2100, out of the calendar's range.
    AddExpense(*m_van, MTime(std::int64_t{-315619200}), 100, 8000, kRepair);
    AddExpense(*m_van, MTime(std::int64_t{4102444800}), 100, 16000, kRepair);

    const VehicleStatistics figures = Compute(m_van);
    EXPECT_EQ(figures.ExpenseCount, 5);
    EXPECT_EQ(figures.Cost, 31000) << "every record counts in the totals";
    EXPECT_EQ(Names(figures.CostByCategory),
              (std::vector<std::string>{"Fuel", "Repair", "Unfiled", "Unknown"}));
    EXPECT_EQ(Amounts(figures.CostByCategory), (std::vector<std::int64_t>{0, 28000, 0, 3000}));
    EXPECT_EQ(Names(figures.DistanceByCategory),
              (std::vector<std::string>{"Work", "Unfiled", "Unknown"}));
    EXPECT_EQ(Amounts(figures.DistanceByCategory), (std::vector<std::int64_t>{0, 0, 7}));
    ASSERT_EQ(figures.Months.size(), 1u) << "only dates the calendar places have a month";
    EXPECT_EQ(figures.Months[0].CostByCategory, (std::vector<std::int64_t>{0, 4000, 0, 3000}));
    EXPECT_EQ(figures.Months[0].Distance, 7);
}

// The previous fill-up of every fill-up is found from the vehicle's fill-ups
// sorted once; it must be the one ExpenseStore::PreviousFillUp finds, for
// repeated and zero readings, deleted fill-ups and other vehicles' alike.
TEST_F(VehicleStatisticsTest, EachFillUpsEfficiencyIsTheExpenseLists) {
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    for (int day = 0; day < 400; ++day) {
        const VehicleRecord& vehicle = next(4) == 0 ? *m_bus : *m_van;
        const std::int32_t odometer = next(10) == 0 ? 0 : static_cast<std::int32_t>(next(60)) * 50;
        const bool gas = next(5) != 0;
        const std::int32_t volume = static_cast<std::int32_t>(next(4)) * 5000;
        ExpenseRecord& expense =
            AddExpense(vehicle, MTime(std::int64_t{1704110400} + day * std::int64_t{86400}),
                       odometer, 1000, kFuel, gas, volume);
        if (next(8) == 0)
            expense.MarkDeleted();
    }
    const VehicleStatistics figures = Compute(m_van);
    std::vector<const ExpenseRecord*> fillUps;
    for (const ExpenseRecord& expense : m_document.Expenses().Records())
        if (!expense.IsDeleted() && expense.IsFuelPurchase() && expense.VehicleId == 11)
            fillUps.push_back(&expense);
    ASSERT_EQ(figures.FillUpPoints.size(), fillUps.size()) << "dated one a day, in store order";
    int known = 0;
    for (std::size_t i = 0; i < fillUps.size(); ++i) {
        const ExpenseRecord& expense = *fillUps[i];
        const std::optional<double> expected = GetFuelEfficiency(
            expense.Odometer, ToShownAmount(expense.Volume),
            m_document.Expenses().PreviousFillUp(*m_van, expense.Odometer, &expense));
        EXPECT_EQ(figures.FillUpPoints[i].Odometer, expense.Odometer);
        EXPECT_EQ(figures.FillUpPoints[i].Efficiency, expected) << "fill-up " << i;
        known += expected ? 1 : 0;
    }
    EXPECT_GT(known, 50) << "the data set exercises the rule";
}

} // namespace

// Over values of every size and sign: a step of 1, 2 or 5 times a power of
// ten, whole steps that hold the values and zero, no more than allowed.
TEST(ChartScales, NiceStepsThatHoldTheValues) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> exponent(-3, 7);
    for (int round = 0; round < 2000; ++round) {
        const double a = std::pow(10.0, exponent(random)) * (random() % 4 == 0 ? -1 : 1);
        const double b = random() % 5 == 0 ? 0 : std::pow(10.0, exponent(random));
        const double low = std::min({a, b, 0.0}), high = std::max({a, b, 0.0});
        const int most = std::max(1 + static_cast<int>(random() % 10), low < 0 && high > 0 ? 2 : 1);
        const ChartScale scale = NiceChartScale(low, high, most);
        const double mantissa =
            scale.Step / std::pow(10.0, std::floor(std::log10(scale.Step) + 1e-9));
        const double nice = std::round(mantissa);
        EXPECT_TRUE(std::abs(mantissa - nice) < 1e-9 && (nice == 1 || nice == 2 || nice == 5));
        EXPECT_TRUE(scale.Low <= low + scale.Step * 1e-9 && scale.High >= high - scale.Step * 1e-9);
        EXPECT_LE((scale.High - scale.Low) / scale.Step, most + 1e-6);
    }
}
