#include "SampleData.h"

#include <gtest/gtest.h>

namespace tvtest {

namespace {

CategoryEntry Entry(std::uint32_t index, std::uint32_t uid, std::uint32_t flags,
                    const std::string& name) {
    CategoryEntry entry;
    entry.Category = index;
    entry.Uid = uid;
    entry.Flags = flags;
    entry.Name = name;
    return entry;
}

void AddUnfiled(RecordStore& store) {
    store.Categories.Add(Entry(0, 0, 0, "Unfiled"));
}

void Header(RecordHeader& record, std::uint32_t uid, std::uint32_t category, std::uint32_t flags) {
    record.Uid = uid;
    record.Category = category;
    record.Flags = flags;
}

// Sets the text and leaves extra bytes after its terminator.
template <std::size_t N>
void TextWithTail(FixedText<N>& field, const std::string& text, const std::string& tail) {
    field.Set(text);
    for (std::size_t i = 0; i < tail.size() && text.size() + 1 + i < N; ++i)
        field.bytes[text.size() + 1 + i] = tail[i];
}

void FillVehicles(VehicleStore& store) {
    store.IdCounter = 0x80000003;
    store.Settings = {0x11, 0x22, 0x33, 0x44};
    store.Categories.LastUniqueId = 0x85;
    AddUnfiled(store);
    store.Categories.Add(Entry(1, 0x00A1B2C3, RecordFlags::Modified, "Fleet"));
    store.Categories.Add(Entry(2, 5, RecordFlags::Deleted, "Old"));

    VehicleRecord civic = store.CreateRecord();
    Header(civic, 0x1001, 1, 0x40);
    TextWithTail(civic.Name, "Civic", "xy");
    civic.License.Set("ABC-123");
    civic.Vin.Set("1HGCM82633A00435299"); // 19 characters: the whole field
    civic.Insurance.Set("Acme Mutual, policy 55-1234");
    civic.Odometer = 1000;
    civic.VehicleId = kCivicId;
    store.Append(civic);

    VehicleRecord truck = store.CreateRecord();
    Header(truck, 0, 0, RecordFlags::Deleted | RecordFlags::Modified);
    truck.Name.Set("Old truck");
    truck.Odometer = -5;
    truck.VehicleId = kOldTruckId;
    store.Append(truck);

    VehicleRecord van = store.CreateRecord();
    Header(van, 0x1003, 0, 0);
    van.Name.Set("Van");
    van.Insurance.Set(std::string(63, 'i'));
    van.Odometer = 25000;
    van.VehicleId = kVanId;
    store.Append(van);
}

void FillServiceTypes(ServiceTypeStore& store) {
    store.IdCounter = 0x80000005;
    store.Settings = {0, 0, 0, 0xFFFFFFFF};
    AddUnfiled(store);
    store.Categories.Add(Entry(3, 9, RecordFlags::Modified, "Engine"));

    struct Type {
        const char* name;
        std::int32_t distance;
        std::uint8_t unit;
        std::uint8_t count;
        std::uint32_t id;
        std::uint32_t flags;
    };
    const Type types[] = {
        {"Oil change", 3000, 3, 3, kOilChangeId, 0},
        {"Tires", 0, 4, 2, kTiresId, RecordFlags::Deleted},
        {"Wash", -1, 1, 14, 0x80000001, RecordFlags::Modified},
        {"Inspection", 12000, 2, 52, 0x80000005, 0x1000},
        {"Anything at all 19c", 0, 0, 0, 0x22, 0},
    };
    for (const Type& t : types) {
        ServiceTypeRecord type = store.CreateRecord();
        Header(type, 0x2000 + t.id, t.unit == 2 ? 3 : 0, t.flags);
        type.Name.Set(t.name);
        type.DistanceInterval = t.distance;
        type.TimeUnit = t.unit;
        type.TimeCount = t.count;
        type.ServiceTypeId = t.id;
        store.Append(type);
    }
}

void FillServices(ServiceStore& store) {
    store.Settings = {1, 2, 3, 4};
    store.IdCounter = 17;
    AddUnfiled(store);
    store.Categories.Add(Entry(1, 0x31, 0, "Dealer"));

    ServiceRecord oil = store.CreateRecord();
    Header(oil, 0x3001, 1, RecordFlags::Modified);
    oil.Odometer = 1300;
    oil.Date = MTime(2004, 6, 9, 14, 5, 30, -1);
    oil.ServiceFlags = 0x8001;
    oil.VehicleId = kCivicId;
    oil.ServiceTypeId = kOilChangeId;
    store.Append(oil);

    ServiceRecord tires = store.CreateRecord();
    Header(tires, 0x3002, 0, 0);
    tires.Odometer = 900;
    tires.Date = MTime(2003, 1, 31, 0, 0, 0, -1);
    tires.ServiceFlags = 0x0010;
    tires.VehicleId = kCivicId;
    tires.ServiceTypeId = kTiresId;
    tires.Note = std::string(255, 'n');
    store.Append(tires);

    ServiceRecord gone = store.CreateRecord();
    Header(gone, 0x3003, 0, RecordFlags::Deleted);
    gone.Odometer = 50;
    gone.Date = MTime(2037, 12, 31, 23, 59, 59, -1);
    gone.ServiceFlags = 1;
    gone.VehicleId = kOldTruckId;
    gone.ServiceTypeId = kOilChangeId;
    gone.Note = "left on the handheld";
    store.Append(gone);
}

void FillTrips(TripStore& store) {
    store.Settings = {RecordStore::kUnitsKilometres | 0x100, 0, 7, 0};
    store.IdCounter = 0x80000000;
    store.Categories.LastUniqueId = 0x99;
    AddUnfiled(store);
    store.Categories.Add(Entry(1, 0x41, 0, "Business"));
    store.Categories.Add(Entry(2, 0x42, RecordFlags::Deleted, "Work"));
    store.Categories.Add(Entry(5, 0x43, RecordFlags::Modified, "car"));

    TripRecord boston = store.CreateRecord();
    Header(boston, 0x4001, 1, RecordFlags::Modified | 0x80);
    TextWithTail(boston.Destination, "Boston", "old destination");
    boston.StartOdometer = 1000;
    boston.EndOdometer = 1200;
    boston.Start = MTime(2004, 6, 9, 8, 0, 0, -1);
    boston.End = MTime(2004, 6, 9, 9, 30, 15, -1);
    boston.VehicleId = kCivicId;
    boston.Note = "Client visit, caf\xE9 stop";
    store.Append(boston);

    TripRecord gone = store.CreateRecord();
    Header(gone, 0x4002, 2, RecordFlags::Deleted);
    gone.Destination.Set("Nowhere");
    gone.StartOdometer = 1200;
    gone.EndOdometer = 5000;
    gone.Start = MTime(2004, 1, 1, 0, 0, 0, -1);
    gone.End = MTime(2004, 1, 2, 0, 0, 0, -1);
    gone.VehicleId = kCivicId;
    store.Append(gone);

    TripRecord van = store.CreateRecord();
    Header(van, 0, 5, 0);
    van.Destination.Set(std::string(31, 'd'));
    van.StartOdometer = 25000;
    van.EndOdometer = 25123;
    van.Start = MTime(2005, 12, 31, 23, 0, 0, -1);
    van.End = MTime(2006, 1, 1, 1, 0, 0, -1);
    van.VehicleId = kVanId;
    van.Note = "New year";
    store.Append(van);
}

void FillExpenses(ExpenseStore& store) {
    store.Settings = {0, 0xABCDEF01, 0, 0};
    AddUnfiled(store);
    store.Categories.Add(Entry(1, 0x51, 0, "Fuel"));
    store.Categories.Add(Entry(4, 0x52, 0, "Tolls"));

    ExpenseRecord fuel = store.CreateRecord();
    Header(fuel, 0x5001, 1, 0);
    fuel.Vendor.Set("Shell");
    fuel.Description.Set("Regular");
    TextWithTail(fuel.ExtraText, "x", "hidden");
    fuel.Cost = 12345;
    fuel.Date = MTime(2004, 6, 10, 7, 15, 0, -1);
    fuel.Odometer = 1100;
    fuel.ExpenseFlags = 0x0101;
    fuel.Volume = 10500;
    fuel.VehicleId = kCivicId;
    store.Append(fuel);

    ExpenseRecord gone = store.CreateRecord();
    Header(gone, 0x5002, 1, RecordFlags::Deleted);
    gone.Vendor.Set("Mobil");
    gone.Cost = 2000;
    gone.Date = MTime(2004, 6, 11, 7, 15, 0, -1);
    gone.Odometer = 1150;
    gone.ExpenseFlags = 1;
    gone.Volume = 1000;
    gone.VehicleId = kCivicId;
    store.Append(gone);

    ExpenseRecord refund = store.CreateRecord();
    Header(refund, 0, 4, RecordFlags::Modified);
    refund.Vendor.Set(std::string(31, 'v'));
    refund.Description.Set(std::string(31, 'w'));
    refund.ExtraText.Set(std::string(15, 'e'));
    refund.Cost = -500;
    refund.Date = MTime(2005, 3, 1, 12, 0, 0, -1);
    refund.ExpenseFlags = 0x0010;
    refund.VehicleId = kVanId;
    refund.Note = "refund";
    store.Append(refund);
}

void ExpectSameTime(const MTime& expected, const MTime& actual) {
    EXPECT_EQ(expected.GetSecond(), actual.GetSecond());
    EXPECT_EQ(expected.GetMinute(), actual.GetMinute());
    EXPECT_EQ(expected.GetHour(), actual.GetHour());
    EXPECT_EQ(expected.GetDay(), actual.GetDay());
    EXPECT_EQ(expected.GetMonth(), actual.GetMonth());
    EXPECT_EQ(expected.GetYear(), actual.GetYear());
}

void ExpectSameHeader(const RecordHeader& expected, const RecordHeader& actual) {
    EXPECT_EQ(expected.Uid, actual.Uid);
    EXPECT_EQ(expected.Category, actual.Category);
    EXPECT_EQ(expected.Flags, actual.Flags);
}

void ExpectSameStore(const RecordStore& expected, const RecordStore& actual) {
    SCOPED_TRACE("store " + expected.TagText());
    EXPECT_EQ(expected.IdCounter, actual.IdCounter);
    EXPECT_EQ(expected.Settings, actual.Settings);
    EXPECT_EQ(expected.Categories.LastUniqueId, actual.Categories.LastUniqueId);
    ASSERT_EQ(expected.Categories.Size(), actual.Categories.Size());
    auto e = expected.Categories.Items().begin();
    for (const CategoryEntry& a : actual.Categories.Items()) {
        ExpectSameHeader(*e, a);
        EXPECT_EQ(e->Name, a.Name);
        ++e;
    }
    EXPECT_EQ(expected.Count(), actual.Count());
}

void ExpectSame(const VehicleRecord& e, const VehicleRecord& a) {
    ExpectSameHeader(e, a);
    EXPECT_TRUE(e.Name == a.Name) << a.Name.View();
    EXPECT_TRUE(e.License == a.License) << a.License.View();
    EXPECT_TRUE(e.Vin == a.Vin) << a.Vin.View();
    EXPECT_TRUE(e.Insurance == a.Insurance) << a.Insurance.View();
    EXPECT_EQ(e.Odometer, a.Odometer);
    EXPECT_EQ(e.VehicleId, a.VehicleId);
}

void ExpectSame(const ServiceTypeRecord& e, const ServiceTypeRecord& a) {
    ExpectSameHeader(e, a);
    EXPECT_TRUE(e.Name == a.Name) << a.Name.View();
    EXPECT_EQ(e.DistanceInterval, a.DistanceInterval);
    EXPECT_EQ(e.TimeUnit, a.TimeUnit);
    EXPECT_EQ(e.TimeCount, a.TimeCount);
    EXPECT_EQ(e.ServiceTypeId, a.ServiceTypeId);
}

void ExpectSame(const ServiceRecord& e, const ServiceRecord& a) {
    ExpectSameHeader(e, a);
    EXPECT_EQ(e.Odometer, a.Odometer);
    ExpectSameTime(e.Date, a.Date);
    EXPECT_EQ(e.ServiceFlags, a.ServiceFlags);
    EXPECT_EQ(e.VehicleId, a.VehicleId);
    EXPECT_EQ(e.ServiceTypeId, a.ServiceTypeId);
    EXPECT_EQ(e.Note, a.Note);
}

void ExpectSame(const TripRecord& e, const TripRecord& a) {
    ExpectSameHeader(e, a);
    EXPECT_TRUE(e.Destination == a.Destination) << a.Destination.View();
    EXPECT_EQ(e.StartOdometer, a.StartOdometer);
    EXPECT_EQ(e.EndOdometer, a.EndOdometer);
    ExpectSameTime(e.Start, a.Start);
    ExpectSameTime(e.End, a.End);
    EXPECT_EQ(e.VehicleId, a.VehicleId);
    EXPECT_EQ(e.Note, a.Note);
}

void ExpectSame(const ExpenseRecord& e, const ExpenseRecord& a) {
    ExpectSameHeader(e, a);
    EXPECT_TRUE(e.Vendor == a.Vendor) << a.Vendor.View();
    EXPECT_TRUE(e.Description == a.Description) << a.Description.View();
    EXPECT_TRUE(e.ExtraText == a.ExtraText) << a.ExtraText.View();
    EXPECT_EQ(e.Cost, a.Cost);
    ExpectSameTime(e.Date, a.Date);
    EXPECT_EQ(e.Odometer, a.Odometer);
    EXPECT_EQ(e.ExpenseFlags, a.ExpenseFlags);
    EXPECT_EQ(e.Volume, a.Volume);
    EXPECT_EQ(e.VehicleId, a.VehicleId);
    EXPECT_EQ(e.Note, a.Note);
}

template <typename Store> void ExpectSameRecords(const Store& expected, const Store& actual) {
    ExpectSameStore(expected, actual);
    const auto& e = expected.Records();
    const auto& a = actual.Records();
    for (std::size_t i = 0; i < e.size() && i < a.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i) + " of " + expected.TagText());
        ExpectSame(e[i], a[i]);
    }
}

} // namespace

void FillEveryKind(TvDocument& doc) {
    FillVehicles(doc.Vehicles());
    FillServiceTypes(doc.ServiceTypes());
    FillServices(doc.Services());
    FillTrips(doc.Trips());
    FillExpenses(doc.Expenses());
}

void AddTrips(TvDocument& doc, std::size_t count) {
    TripStore& trips = doc.Trips();
    for (std::size_t i = 0; i < count; ++i) {
        TripRecord trip = trips.CreateRecord();
        trip.Uid = static_cast<std::uint32_t>(0x10000 + i);
        trip.Destination.Set("Trip " + std::to_string(i));
        trip.StartOdometer = static_cast<std::int32_t>(2000 + 10 * i);
        trip.EndOdometer = trip.StartOdometer + 9;
        trip.Start =
            MTime(2006, 1 + static_cast<int>(i % 12), 1 + static_cast<int>(i % 28), 8, 0, 0, -1);
        trip.End = trip.Start;
        trip.VehicleId = kCivicId;
        trip.Note = "Note of trip " + std::to_string(i);
        trips.Append(trip);
    }
}

void ExpectSameData(const TvDocument& expected, const TvDocument& actual) {
    ExpectSameRecords(expected.Vehicles(), actual.Vehicles());
    ExpectSameRecords(expected.ServiceTypes(), actual.ServiceTypes());
    ExpectSameRecords(expected.Services(), actual.Services());
    ExpectSameRecords(expected.Trips(), actual.Trips());
    ExpectSameRecords(expected.Expenses(), actual.Expenses());
}

} // namespace tvtest
