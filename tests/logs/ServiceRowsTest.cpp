#include "ServiceRows.h"
#include "Clock.h"
#include "MExcept.h"
#include "ServiceTypeRows.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

MTime At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
    return MTime(year, month, day, hour, minute, second, -1);
}

class ServiceRowsTest : public testing::Test {
protected:
    void SetUp() override {
        m_document.InitNewDocument();
        m_van = &AddVehicle("Van", 100, 1000);
        m_bus = &AddVehicle("Bus", 200, 5000);
        m_oil = &AddType("Oil", 3000, TimeUnit::Months, 3, 0x80000002);
        m_tyres = &AddType("Tyres", 10000, TimeUnit::None, 0, 0x80000003);
    }

    VehicleRecord& AddVehicle(const char* name, std::uint32_t id, std::int32_t odometer) {
        VehicleRecord vehicle;
        vehicle.Name.Set(name);
        vehicle.VehicleId = id;
        vehicle.Odometer = odometer;
        return m_document.Vehicles().Append(vehicle);
    }

    ServiceTypeRecord& AddType(const char* name, std::int32_t distance, TimeUnit unit,
                               std::uint8_t count, std::uint32_t id) {
        ServiceTypeRecord type;
        type.Name.Set(name);
        type.DistanceInterval = distance;
        type.TimeUnit = static_cast<std::uint8_t>(unit);
        type.TimeCount = count;
        type.ServiceTypeId = id;
        return m_document.ServiceTypes().Append(type);
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

    std::vector<std::string> Column(const std::vector<ServiceRecord*>& rows, int column) {
        const ServiceRowContext context(m_document);
        std::vector<std::string> texts;
        for (const ServiceRecord* entry : rows)
            texts.push_back(ServiceCellText(*entry, column, context));
        return texts;
    }

    const MTime m_now = At(2024, 6, 15, 10, 30, 0);
    Clock::ScopedFix m_clock{m_now};
    TvDocument m_document;
    VehicleRecord* m_van = nullptr;
    VehicleRecord* m_bus = nullptr;
    ServiceTypeRecord* m_oil = nullptr;
    ServiceTypeRecord* m_tyres = nullptr;
};

TEST_F(ServiceRowsTest, TheStatusRuleAtItsBoundaries) {
    const MTime oneSecondLater = At(2024, 6, 15, 10, 30, 1);
    auto status = [](const ServiceRecord& entry, std::int32_t reading, bool timed) {
        return std::string(GetServiceStatusText(entry, reading, timed));
    };
    ServiceRecord entry(At(2020, 1, 1));
    entry.Odometer = 99999;
    entry.ServiceFlags = ServiceFlagBits::Completed;
    EXPECT_EQ(status(entry, 100, true), "Completed") << "completed wins over a passed date";

    entry.ServiceFlags = 0;
    entry.Date = m_now;
    EXPECT_EQ(status(entry, 100, true), "Past Due") << "dated exactly now";
    entry.Date = oneSecondLater;
    EXPECT_EQ(status(entry, 100, true), "Future") << "one second later, reading ahead";
    entry.Odometer = 100;
    EXPECT_EQ(status(entry, 100, true), "Past Due") << "reading reached exactly";
    entry.Odometer = 0;
    EXPECT_EQ(status(entry, 100, true), "Future") << "no reading, date ahead";

    // A type without a time schedule is judged by distance alone.
    entry.Date = At(2023, 6, 1);
    EXPECT_EQ(status(entry, 5000, false), "Future");
    entry.Odometer = 4000;
    EXPECT_EQ(status(entry, 5000, false), "Past Due");
    entry.Odometer = 6000;
    EXPECT_EQ(status(entry, 5000, false), "Future");
    // The bits other than Completed play no part.
    entry.ServiceFlags = 0xFFFE;
    EXPECT_EQ(status(entry, 5000, false), "Future");
}

TEST_F(ServiceRowsTest, TheProposalFollowsTheLatestEntryOrTheTrips) {
    // No earlier entry: the trips' highest reading and now, plus the schedule.
    TripRecord trip(At(2024, 1, 1));
    trip.VehicleId = m_van->VehicleId;
    trip.StartOdometer = 1000;
    trip.EndOdometer = 1800;
    m_document.Trips().Append(std::move(trip));
    ServiceProposal first = ProposeNextService(m_document, *m_van, m_oil);
    EXPECT_EQ(first.Odometer, 4800);
    EXPECT_EQ(first.Date.AsSeconds(), m_now.AsSeconds() + 90 * 86400);
    ServiceProposal untyped = ProposeNextService(m_document, *m_van, nullptr);
    EXPECT_EQ(untyped.Odometer, 1800);
    EXPECT_EQ(untyped.Date.AsSeconds(), m_now.AsSeconds());

    // An earlier entry at 30,000: its reading and its date and time plus 90 days.
    const MTime earlier = At(2024, 2, 10, 8, 15, 20);
    AddEntry(*m_van, m_oil->ServiceTypeId, earlier, 30000, true);
    ServiceProposal next = ProposeNextService(m_document, *m_van, m_oil);
    EXPECT_EQ(next.Odometer, 33000);
    EXPECT_EQ(next.Date.AsSeconds(), earlier.AsSeconds() + 90 * 86400);
}

TEST_F(ServiceRowsTest, TheProposalStaysWithinWhatTheFileHolds) {
    // A latest entry dated in 2040 counts as none: the vehicle's reading and now.
    AddEntry(*m_bus, m_oil->ServiceTypeId, MTime(std::int64_t{2208988800}), 40000);
    const ServiceProposal unplaced = ProposeNextService(m_document, *m_bus, m_oil);
    EXPECT_EQ(unplaced.Odometer, 5000 + 3000);
    EXPECT_EQ(unplaced.Date.AsSeconds(), m_now.AsSeconds() + 90 * 86400);
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2037, 12, 1), 5000);
    EXPECT_THROW(ProposeNextService(m_document, *m_van, m_oil), MExceptTimeOutOfRange);
}

TEST_F(ServiceRowsTest, LastServicingTakesTheHighestReadingAndTheLatestDate) {
    EXPECT_EQ(GetLastServicingText(m_document, *m_van, *m_oil, false), "Unknown.");
    // The first match stays the result while its date lies in the future and
    // no later entry is both later and past.
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2025, 3, 1), 9000);
    EXPECT_EQ(GetLastServicingText(m_document, *m_van, *m_oil, false), "9000 miles, on 3/1/2025");
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2024, 5, 2), 12000);
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2024, 4, 7), 15000);
    AddEntry(*m_bus, m_oil->ServiceTypeId, At(2024, 6, 1), 20000);
    // Reading and date may come from different entries; other vehicles do not count.
    EXPECT_EQ(GetLastServicingText(m_document, *m_van, *m_oil, true),
              "15000 kilometers, on 3/1/2025");
}

TEST_F(ServiceRowsTest, TheListShowsTheVehicleAndRangeWithMissingTypesAsUnknown) {
    ServiceRecord& first = AddEntry(*m_van, m_oil->ServiceTypeId, At(2024, 3, 1, 0, 0, 0), 2000);
    ServiceRecord& last =
        AddEntry(*m_van, 0x80000099, At(2024, 3, 31, 23, 59, 59), 0); // no such type
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2024, 4, 1, 0, 0, 0), 3000);
    AddEntry(*m_bus, m_oil->ServiceTypeId, At(2024, 3, 10), 3000);
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2024, 3, 10), 3000).MarkDeleted();

    const ServiceFilter march(m_van, false, At(2024, 3, 1, 0, 0, 0), At(2024, 3, 31, 23, 59, 59));
    const std::vector<ServiceRecord*> rows = ServiceRows(m_document.Services(), march);
    ASSERT_EQ(rows, (std::vector<ServiceRecord*>{&first, &last}));
    EXPECT_EQ(Column(rows, ServiceColumn::kType), (std::vector<std::string>{"Oil", "Unknown"}));
    // A missing type counts as scheduled by time: its past date makes it due.
    EXPECT_EQ(Column(rows, ServiceColumn::kComplete),
              (std::vector<std::string>{"Past Due", "Past Due"}));
    EXPECT_EQ(Column(rows, ServiceColumn::kDate),
              (std::vector<std::string>{"3/1/2024", "3/31/2024"}));
    EXPECT_EQ(ServiceRows(m_document.Services(), ServiceFilter(nullptr, true, m_now, m_now)).size(),
              0u);
}

TEST_F(ServiceRowsTest, EachSortCodeAndItsReverseKeepEqualRowsInStoreOrder) {
    // The van's current reading is 1000: a reading above it is Future.
    ServiceRecord& a = AddEntry(*m_van, m_tyres->ServiceTypeId, At(2024, 1, 5), 8000);
    ServiceRecord& b = AddEntry(*m_van, m_oil->ServiceTypeId, At(2024, 1, 5), 500, true);
    ServiceRecord& c = AddEntry(*m_van, 0x80000099, At(2025, 1, 5), 2000);
    ServiceRecord& d = AddEntry(*m_van, m_oil->ServiceTypeId, At(2023, 1, 5), 8000);
    const ServiceRowContext context(m_document);
    auto sorted = [&](int code) {
        std::vector<ServiceRecord*> rows = {&a, &b, &c, &d};
        SortServices(rows, code, context);
        return rows;
    };
    using Rows = std::vector<ServiceRecord*>;
    EXPECT_EQ(sorted(0), (Rows{&c, &a, &b, &d})) << "newest first, equal dates in store order";
    EXPECT_EQ(sorted(128), (Rows{&d, &a, &b, &c})) << "oldest first, equal dates in store order";
    // Statuses: a Future (no time schedule, reading ahead), b Completed, c
    // Future (unknown type, date and reading ahead), d Past Due (dated 2023).
    EXPECT_EQ(sorted(1), (Rows{&b, &a, &c, &d}));
    EXPECT_EQ(sorted(129), (Rows{&d, &a, &c, &b}));
    EXPECT_EQ(sorted(2), (Rows{&b, &d, &a, &c})) << "Oil, Oil, Tyres, Unknown";
    EXPECT_EQ(sorted(130), (Rows{&c, &a, &b, &d}));
    EXPECT_EQ(sorted(3), (Rows{&b, &c, &a, &d}));
    EXPECT_EQ(sorted(131), (Rows{&a, &d, &c, &b}));
    EXPECT_EQ(sorted(4), (Rows{&a, &b, &c, &d})) << "an unknown code keeps the order";
}

TEST_F(ServiceRowsTest, AStatusUsesTheEntrysOwnVehicleReading) {
    // The bus stands at 5000, the van at 1000: the same reading is due on one
    // and ahead on the other.
    ServiceRecord& van = AddEntry(*m_van, m_tyres->ServiceTypeId, At(2023, 1, 1), 3000);
    ServiceRecord& bus = AddEntry(*m_bus, m_tyres->ServiceTypeId, At(2023, 1, 1), 3000);
    const ServiceRowContext context(m_document);
    EXPECT_EQ(context.StatusOf(van), ServiceStatus::Future);
    EXPECT_EQ(context.StatusOf(bus), ServiceStatus::PastDue);
    // A completed entry raises the vehicle's current reading.
    AddEntry(*m_van, m_oil->ServiceTypeId, At(2023, 2, 1), 3500, true);
    EXPECT_EQ(ServiceRowContext(m_document).StatusOf(van), ServiceStatus::PastDue);
}

} // namespace

TEST(ServiceRowContextReadings, EqualCurrentOdometerOfTheEntrysVehicle) {
    std::mt19937 random(23);
    const auto pick = [&random](unsigned below) { return static_cast<int>(random() % below); };
    // Shared and unknown vehicle identifiers, deleted records of every kind.
    const auto add = [&pick](auto& store, auto record, auto reading, unsigned most) {
        for (int i = pick(most); i > 0; --i) {
            auto& added = store.Append(record);
            added.Flags = pick(2) == 0 ? 0 : RecordFlags::Deleted;
            added.VehicleId = static_cast<std::uint32_t>(pick(5));
            added.*reading = pick(1500) - 100;
        }
    };
    for (int round = 0; round < 50; ++round) {
        TvDocument document;
        add(document.Vehicles(), VehicleRecord(), &VehicleRecord::Odometer, 5);
        add(document.Trips(), TripRecord(MTime(0)), &TripRecord::EndOdometer, 40);
        add(document.Services(), ServiceRecord(MTime(0)), &ServiceRecord::Odometer, 20);
        for (ServiceRecord& entry : document.Services().Records())
            entry.ServiceFlags = static_cast<std::uint16_t>(pick(2));
        const ServiceRowContext context(document);
        for (const ServiceRecord& entry : document.Services().Records()) {
            const VehicleRecord* vehicle = document.Vehicles().FindVehicle(entry.VehicleId);
            EXPECT_EQ(context.CurrentReading(entry),
                      vehicle != nullptr ? document.CurrentOdometer(*vehicle) : 0);
        }
    }
}
