#include "ExpenseRows.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace {

MTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return MTime(year, month, day, hour, minute, second, -1);
}

TEST(ExpenseAmounts, ThousandthsInAndOut) {
    EXPECT_EQ(ToStoredAmount(12.345), 12345);
    EXPECT_EQ(ToStoredAmount(12.345f), 12345) << "as the dialog's single-precision field holds it";
    EXPECT_EQ(ToStoredAmount(0.0005), 1);
    EXPECT_EQ(ToStoredAmount(0.0004), 0);
    EXPECT_EQ(ToStoredAmount(-12.345), -12345) << "half a thousandth away from zero";
    EXPECT_EQ(ToStoredAmount(kMaxStoredAmount), 2147483647);
    EXPECT_EQ(ToStoredAmount(kMinStoredAmount), -2147483647 - 1);
    EXPECT_EQ(ToStoredAmount(kMaxStoredAmount + 0.001), std::nullopt);
    EXPECT_EQ(ToStoredAmount(-3e9), std::nullopt);
    EXPECT_EQ(ToStoredAmount(std::nan("")), std::nullopt);
    EXPECT_EQ(CostText(12340), "12.34");
    EXPECT_EQ(CostText(-12340), "-12.34");
    EXPECT_EQ(CostText(0), "0.00");
    EXPECT_DOUBLE_EQ(ToShownAmount(12340), 12.34);
}

// What the dialog shows of an amount reads back as it, on both sides of zero.
TEST(ExpenseAmounts, AShownAmountReadsBackUnchanged) {
    for (std::int64_t stored = -2147483648LL; stored <= 2147483647LL; stored += 4294967 + 2)
        EXPECT_EQ(ToStoredAmount(std::stod(ExactAmountText(stored))), stored);
}

class ExpenseRowsTest : public testing::Test {
protected:
    void SetUp() override {
        m_document.InitNewDocument();
        m_van = &AddVehicle("Van", 100);
        m_bus = &AddVehicle("Bus", 200);
        CategoryEntry fuel;
        fuel.Name = "Fuel";
        fuel.Category = 2;
        m_fuel = &m_document.Expenses().Categories.Add(fuel);
    }

    VehicleRecord& AddVehicle(const char* name, std::uint32_t id) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        return m_document.Vehicles().Append(vehicle);
    }

    ExpenseRecord& Add(const VehicleRecord& vehicle, std::int32_t odometer, bool gas = true,
                       const MTime& date = At(2024, 1, 1), std::uint32_t category = 0,
                       const char* vendor = "", std::int32_t cost = 0) {
        ExpenseRecord expense(date);
        expense.VehicleId = vehicle.VehicleId;
        expense.Odometer = odometer;
        expense.ExpenseFlags = gas ? ExpenseFlagBits::FuelPurchase : 0;
        expense.Category = category;
        expense.Vendor.Set(vendor);
        expense.Cost = cost;
        return m_document.Expenses().Append(std::move(expense));
    }

    const ExpenseRecord* Previous(std::int32_t odometer, const ExpenseRecord* except = nullptr) {
        return m_document.Expenses().PreviousFillUp(*m_van, odometer, except);
    }

    TvDocument m_document;
    VehicleRecord* m_van = nullptr;
    VehicleRecord* m_bus = nullptr;
    CategoryEntry* m_fuel = nullptr;
};

TEST_F(ExpenseRowsTest, ThePreviousFillUpAndTheEfficiency) {
    ExpenseRecord& first = Add(*m_van, 1000);
    ExpenseRecord& second = Add(*m_van, 1300);
    Add(*m_van, 1600);
    Add(*m_van, 1400, false); // not a fill-up
    Add(*m_bus, 1450);        // another vehicle
    Add(*m_van, 0);           // no reading: never a previous fill-up
    EXPECT_EQ(Previous(1500), &second);
    EXPECT_EQ(Previous(1300), &first);
    EXPECT_EQ(Previous(1000), nullptr);
    EXPECT_EQ(Previous(1500, &second), &first) << "the expense being edited never counts";
    second.MarkDeleted();
    EXPECT_EQ(Previous(1500), &second) << "a deleted fill-up still counts";
    ExpenseRecord& twin = Add(*m_van, 1300);
    EXPECT_EQ(Previous(1500), &second) << "equal readings: the first in store order";
    EXPECT_NE(&twin, &second);

    EXPECT_EQ(GetFuelEfficiencyText(1500, 10, &second), "20.00");
    EXPECT_EQ(GetFuelEfficiencyText(1500, 0, &second), "Unknown");
    EXPECT_EQ(GetFuelEfficiencyText(1500, -1, &second), "Unknown");
    EXPECT_EQ(GetFuelEfficiencyText(1500, 10, nullptr), "Unknown");
    EXPECT_EQ(GetFuelEfficiencyText(1303, 1.5, &second), "2.00");
}

TEST_F(ExpenseRowsTest, TheFilterTakesVehicleCategoryAndWholeDays) {
    ExpenseRecord& unfiled = Add(*m_van, 1, false, At(2024, 3, 1, 0, 0, 0), 0);
    ExpenseRecord& fuel = Add(*m_van, 2, true, At(2024, 3, 31, 23, 59, 59), 2);
    Add(*m_van, 3, true, At(2024, 4, 1, 0, 0, 0), 2);
    Add(*m_bus, 4, true, At(2024, 3, 5), 2);
    Add(*m_van, 5, true, At(2024, 3, 5), 2).MarkDeleted();
    const MTime from = At(2024, 3, 1, 0, 0, 0);
    const MTime to = At(2024, 3, 31, 23, 59, 59);
    using Rows = std::vector<ExpenseRecord*>;
    auto listed = [&](const CategoryEntry* category, bool allDates) {
        return ExpenseRows(m_document.Expenses(),
                           ExpenseFilter(m_van, category, allDates, from, to));
    };
    EXPECT_EQ(listed(&m_document.AllCategoriesEntry, false), (Rows{&unfiled, &fuel}));
    EXPECT_EQ(listed(m_fuel, false), (Rows{&fuel}));
    EXPECT_EQ(listed(m_fuel, true).size(), 2u);
    EXPECT_TRUE(listed(nullptr, true).empty());
    EXPECT_TRUE(
        ExpenseRows(m_document.Expenses(), ExpenseFilter(nullptr, m_fuel, true, from, to)).empty());
}

TEST_F(ExpenseRowsTest, EachSortCodeAndItsReverse) {
    ExpenseRecord& a = Add(*m_van, 500, false, At(2024, 1, 2), 0, "Shell", 1500);
    ExpenseRecord& b = Add(*m_van, 900, false, At(2024, 1, 2), 0, "Aral", -200);
    ExpenseRecord& c = Add(*m_van, 100, false, At(2024, 3, 2), 0, "shell", 900);
    a.Description.Set("b");
    b.Description.Set("a");
    c.Description.Set("B");
    using Rows = std::vector<ExpenseRecord*>;
    auto sorted = [&](int code) {
        Rows rows = {&a, &b, &c};
        SortExpenses(rows, code);
        return rows;
    };
    EXPECT_EQ(sorted(0), (Rows{&c, &a, &b})) << "newest first, equal dates in store order";
    EXPECT_EQ(sorted(128), (Rows{&a, &b, &c}));
    EXPECT_EQ(sorted(1), (Rows{&c, &a, &b})) << "shell > Shell > Aral, byte by byte";
    EXPECT_EQ(sorted(129), (Rows{&b, &a, &c}));
    EXPECT_EQ(sorted(2), (Rows{&a, &b, &c}));
    EXPECT_EQ(sorted(130), (Rows{&c, &b, &a}));
    EXPECT_EQ(sorted(3), (Rows{&b, &a, &c})) << "the highest reading at the top";
    EXPECT_EQ(sorted(131), (Rows{&c, &a, &b}));
    EXPECT_EQ(sorted(4), (Rows{&a, &c, &b})) << "costs compare as signed numbers";
    EXPECT_EQ(sorted(132), (Rows{&b, &c, &a}));
    EXPECT_EQ(sorted(5), (Rows{&a, &b, &c}));
    EXPECT_EQ(ExpenseCellText(b, ExpenseColumn::kCost), "-0.20");
    EXPECT_EQ(ExpenseCellText(c, ExpenseColumn::kDate), "3/2/2024");
}

} // namespace
