// The vehicle list's rows, texts and order, the name rule, the odometer
// field and the delete cascade.

#include "VehicleRows.h"
#include "TvDocument.h"
#include "WholeNumber.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

VehicleRecord& AddVehicle(VehicleStore& store, std::string_view name, std::int32_t odometer = 0,
                          std::string_view license = "", std::string_view vin = "",
                          std::string_view insurance = "") {
    VehicleRecord vehicle = store.CreateRecord();
    vehicle.VehicleId = store.NewId();
    vehicle.Name.Set(name);
    vehicle.Odometer = odometer;
    vehicle.License.Set(license);
    vehicle.Vin.Set(vin);
    vehicle.Insurance.Set(insurance);
    return store.Append(vehicle);
}

std::vector<std::string> Names(const std::vector<VehicleRecord*>& rows) {
    std::vector<std::string> names;
    for (const VehicleRecord* row : rows)
        names.emplace_back(row->Name.View());
    return names;
}

using NameList = std::vector<std::string>;

TEST(VehicleColumns, HeadingsFollowTheUnitsAndAreAHundredPixelsWide) {
    for (const bool metric : {false, true}) {
        const LogColumns columns = VehicleColumns(metric);
        ASSERT_EQ(columns.size(), 5u);
        std::vector<std::string> titles;
        for (const LogColumn& column : columns) {
            titles.push_back(column.title);
            EXPECT_EQ(column.width, 100);
        }
        EXPECT_EQ(titles, NameList({"Name", "License", "Vin", metric ? "Kilometers" : "Miles",
                                    "Insurance"}));
    }
}

TEST(VehicleRows, ListsTheLiveVehiclesInStoreOrder) {
    VehicleStore store;
    EXPECT_TRUE(VehicleRows(store).empty());
    AddVehicle(store, "Van");
    AddVehicle(store, "Gone").MarkDeleted();
    AddVehicle(store, "Car");
    EXPECT_EQ(Names(VehicleRows(store)), NameList({"Van", "Car"}));

    const VehicleStore& constStore = store;
    const std::vector<const VehicleRecord*> rows = VehicleRows(constStore);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], &store.Records()[0]);
    EXPECT_EQ(rows[1], &store.Records()[2]);
}

TEST(VehicleCellText, ShowsEachFieldAndJoinsInsuranceLines) {
    VehicleStore store;
    const VehicleRecord& car =
        AddVehicle(store, "Civic", 123456, "ABC 123", "1HGCM82633A004352", "Line1\r\nLine2");
    EXPECT_EQ(VehicleCellText(car, 0), "Civic");
    EXPECT_EQ(VehicleCellText(car, 1), "ABC 123");
    EXPECT_EQ(VehicleCellText(car, 2), "1HGCM82633A004352");
    EXPECT_EQ(VehicleCellText(car, 3), "123456");
    EXPECT_EQ(VehicleCellText(car, 4), "Line1Line2");
    EXPECT_EQ(VehicleCellText(car, 5), "");
    EXPECT_EQ(VehicleCellText(car, -1), "");

    VehicleRecord odd = car;
    odd.Insurance.Set("\nA\rB\n\nC\r");
    odd.Odometer = -5; // as a file may hold it
    EXPECT_EQ(VehicleCellText(odd, 4), "ABC");
    EXPECT_EQ(VehicleCellText(odd, 3), "-5");
    odd.Odometer = 0;
    EXPECT_EQ(VehicleCellText(odd, 3), "0");
}

// Rows that tie on every column but the name, whose letter marks the store
// order within a tie.
class SortVehiclesTest : public testing::Test {
protected:
    void SetUp() override {
        AddVehicle(m_store, "b1", 10000, "LB", "V2", "Mutual\r\nB");
        AddVehicle(m_store, "a", 900, "LA", "V1", "Acme");
        AddVehicle(m_store, "b2", 900, "LB", "V2", "MutualB");
        AddVehicle(m_store, "c", 50, "LC", "V0", "Zeta");
    }

    NameList Sorted(int code) {
        std::vector<VehicleRecord*> rows = VehicleRows(m_store);
        SortVehicles(rows, code);
        return Names(rows);
    }

    VehicleStore m_store;
};

TEST_F(SortVehiclesTest, EachColumnSortsBothWaysAndTiesKeepTheirOrder) {
    EXPECT_EQ(Sorted(0), NameList({"a", "b1", "b2", "c"}));
    EXPECT_EQ(Sorted(128), NameList({"c", "b2", "b1", "a"}));
    // Licence plates LB tie: b1 stays before b2 in both directions.
    EXPECT_EQ(Sorted(1), NameList({"a", "b1", "b2", "c"}));
    EXPECT_EQ(Sorted(129), NameList({"c", "b1", "b2", "a"}));
    EXPECT_EQ(Sorted(2), NameList({"c", "a", "b1", "b2"}));
    EXPECT_EQ(Sorted(130), NameList({"b1", "b2", "a", "c"}));
    // Numeric: 900 before 10000, though "10000" < "900" as text.
    EXPECT_EQ(Sorted(3), NameList({"c", "a", "b2", "b1"}));
    EXPECT_EQ(Sorted(131), NameList({"b1", "a", "b2", "c"}));
    // The insurance compares without its line break, so b1 and b2 tie.
    EXPECT_EQ(Sorted(4), NameList({"a", "b1", "b2", "c"}));
    EXPECT_EQ(Sorted(132), NameList({"c", "b1", "b2", "a"}));
}

TEST_F(SortVehiclesTest, AnyOtherCodeLeavesTheOrder) {
    const NameList storeOrder = {"b1", "a", "b2", "c"};
    for (const int code : {5, 127, 133, 255, 256, 256 + 3, 384, -1, -128})
        EXPECT_EQ(Sorted(code), storeOrder) << code;
}

TEST(SortVehicles, TextsCompareAsUnsignedBytesAndNegativeReadingsNumerically) {
    VehicleStore store;
    AddVehicle(store, "\xE9tude", 5); // é in Windows-1252
    AddVehicle(store, "zebra", -20);  // a reading a file may hold
    AddVehicle(store, "Zebra", 0);    // upper case before lower case
    std::vector<VehicleRecord*> rows = VehicleRows(store);
    SortVehicles(rows, 0);
    EXPECT_EQ(Names(rows), NameList({"Zebra", "zebra", "\xE9tude"}));
    SortVehicles(rows, 3);
    EXPECT_EQ(Names(rows), NameList({"zebra", "Zebra", "\xE9tude"}));
}

TEST(VehiclesByName, LiveVehiclesAsPeopleReadTheirNames) {
    VehicleStore store;
    EXPECT_EQ(FirstVehicleByName(store), nullptr);
    AddVehicle(store, "Civic");
    VehicleRecord& camper = AddVehicle(store, "camper");
    AddVehicle(store, "\xC9"
                      "clair"); // É in Windows-1252
    AddVehicle(store, "Beetle").MarkDeleted();
    AddVehicle(store, "Escort");
    AddVehicle(store, "Eagle");
    // Byte order would put "camper" after "Escort" and "Éclair" last.
    EXPECT_EQ(Names(VehiclesByName(store)), NameList({"camper", "Civic", "Eagle",
                                                      "\xC9"
                                                      "clair",
                                                      "Escort"}));
    EXPECT_EQ(FirstVehicleByName(store), &camper);

    // Names that differ only in case stand capital first, whatever the store
    // order; a name the file holds twice keeps its store order.
    VehicleRecord& capital = AddVehicle(store, "Camper");
    EXPECT_EQ(FirstVehicleByName(store), &capital);
    VehicleRecord& twice = AddVehicle(store, "Camper");
    const std::vector<VehicleRecord*> byName = VehiclesByName(store);
    ASSERT_GE(byName.size(), 3u);
    EXPECT_EQ(byName[0], &capital);
    EXPECT_EQ(byName[1], &twice);
    EXPECT_EQ(byName[2], &camper);
}

TEST(IsVehicleNameUsed, ExactNamesOfLiveVehiclesOtherThanTheOneEdited) {
    VehicleStore store;
    VehicleRecord& truck = AddVehicle(store, "Truck");
    AddVehicle(store, "Van");

    EXPECT_TRUE(IsVehicleNameUsed(store, "Truck", nullptr));
    EXPECT_FALSE(IsVehicleNameUsed(store, "truck", nullptr));
    EXPECT_FALSE(IsVehicleNameUsed(store, "Truck ", nullptr));
    EXPECT_FALSE(IsVehicleNameUsed(store, "Truc", nullptr));
    // Renaming a vehicle to its own name is no clash; to another's is.
    EXPECT_FALSE(IsVehicleNameUsed(store, "Truck", &truck));
    EXPECT_TRUE(IsVehicleNameUsed(store, "Van", &truck));
    // A new vehicle, not yet in the store, is never the one excepted.
    const VehicleRecord fresh = store.CreateRecord();
    EXPECT_TRUE(IsVehicleNameUsed(store, "Van", &fresh));

    truck.MarkDeleted();
    EXPECT_FALSE(IsVehicleNameUsed(store, "Truck", nullptr));
}

TEST(WholeNumber, DigitsWithinTheRangeAndNothingElse) {
    using Verdict = WholeNumber::Verdict;
    const auto parse = [](std::string_view text) {
        return WholeNumber::Parse(text, 0, kMaxOdometer);
    };
    EXPECT_EQ(parse("0").value, 0);
    EXPECT_EQ(parse("900").value, 900);
    EXPECT_EQ(parse("9999999").value, kMaxOdometer);
    EXPECT_EQ(parse(" 42\t").value, 42);
    EXPECT_EQ(parse("0000000000000000000007").value, 7);
    EXPECT_EQ(parse("42").verdict, Verdict::Ok);
    for (const char* outside : {"10000000", "99999999999999999999999", "-1"})
        EXPECT_EQ(parse(outside).verdict, Verdict::OutOfRange) << outside;
    for (const char* refused : {"", "   ", "-", "+5", "12a", "1 2", "1.5", "abc"})
        EXPECT_EQ(parse(refused).verdict, Verdict::NotANumber) << '"' << refused << '"';
    EXPECT_EQ(WholeNumber::Parse("-5", -10, 10).value, -5);
    EXPECT_EQ(WholeNumber::Parse("-99999999999999999999", -10, 10).verdict, Verdict::OutOfRange);
}

} // namespace
