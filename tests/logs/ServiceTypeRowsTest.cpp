#include "ServiceTypeRows.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ServiceTypeRecord Type(const char* name, TimeUnit unit, int count, std::int32_t distance = 0) {
    ServiceTypeRecord type;
    type.Name.Set(name);
    type.TimeUnit = static_cast<std::uint8_t>(unit);
    type.TimeCount = static_cast<std::uint8_t>(count);
    type.DistanceInterval = distance;
    return type;
}

TEST(ServiceTypeRows, ScheduleTextsForEachUnitAndCount) {
    struct Case {
        TimeUnit unit;
        int count;
        const char* text;
    };
    const Case cases[] = {
        {TimeUnit::Weeks, 1, "Every week"},
        {TimeUnit::Weeks, 3, "Every 3 weeks"},
        {TimeUnit::Months, 0, "Never"},
        {TimeUnit::None, 5, "Never"},
        {TimeUnit::Days, 1, "Every day"},
        {TimeUnit::Days, 255, "Every 255 days"},
        {TimeUnit::Months, 12, "Every 12 months"},
        {TimeUnit::Years, 1, "Every year"},
        {TimeUnit::Years, 2, "Every 2 years"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetTimeScheduleText(Type("", c.unit, c.count)), c.text)
            << static_cast<int>(c.unit) << " x " << c.count;

    EXPECT_EQ(GetDistanceScheduleText(Type("", TimeUnit::None, 0, 1), true), "Every kilometer");
    EXPECT_EQ(GetDistanceScheduleText(Type("", TimeUnit::None, 0, 1), false), "Every mile");
    EXPECT_EQ(GetDistanceScheduleText(Type("", TimeUnit::None, 0, 3000), false),
              "Every 3000 miles");
    EXPECT_EQ(GetDistanceScheduleText(Type("", TimeUnit::None, 0, 3000), true),
              "Every 3000 kilometers");
    EXPECT_EQ(GetDistanceScheduleText(Type("", TimeUnit::None, 0, 0), true), "Never");
}

TEST(ServiceTypeRows, NamesAreUniqueAmongLiveTypesByExactBytes) {
    ServiceTypeStore store;
    ServiceTypeRecord& oil = store.Append(Type("Oil", TimeUnit::None, 0));
    ServiceTypeRecord& gone = store.Append(Type("Brakes", TimeUnit::None, 0));
    gone.MarkDeleted();
    ServiceTypeRecord draft = Type("", TimeUnit::None, 0);
    EXPECT_TRUE(IsServiceTypeNameUsed(store, "Oil", &draft));
    EXPECT_FALSE(IsServiceTypeNameUsed(store, "Oil", &oil)) << "its own name";
    EXPECT_FALSE(IsServiceTypeNameUsed(store, "oil", &draft)) << "case matters";
    EXPECT_FALSE(IsServiceTypeNameUsed(store, "Brakes", &draft)) << "a deleted type's name";
    EXPECT_EQ(ServiceTypeRows(store), (std::vector<ServiceTypeRecord*>{&oil}));
}

TEST(ServiceTypeRows, SchedulesSortAsTextAndTheDistanceInMiles) {
    ServiceTypeStore store;
    ServiceTypeRecord& ten = store.Append(Type("b", TimeUnit::Days, 10, 1));
    ServiceTypeRecord& two = store.Append(Type("B", TimeUnit::Days, 2, 10));
    ServiceTypeRecord& day = store.Append(Type("a", TimeUnit::Days, 1, 2));
    ServiceTypeRecord& never = store.Append(Type("c", TimeUnit::None, 0, 0));
    using Rows = std::vector<ServiceTypeRecord*>;
    auto sorted = [&](int code) {
        Rows rows = ServiceTypeRows(store);
        SortServiceTypes(rows, code);
        return rows;
    };
    EXPECT_EQ(sorted(0), (Rows{&two, &day, &ten, &never})) << "byte order: upper case first";
    EXPECT_EQ(sorted(128), (Rows{&never, &ten, &day, &two}));
    // "Every 10 days" < "Every 2 days" < "Every day" < "Never".
    EXPECT_EQ(sorted(1), (Rows{&ten, &two, &day, &never}));
    // "Every 10 miles" < "Every 2 miles" < "Every mile" < "Never".
    EXPECT_EQ(sorted(2), (Rows{&two, &day, &ten, &never}));
    EXPECT_EQ(sorted(130), (Rows{&never, &ten, &day, &two}));
    EXPECT_EQ(sorted(3), (Rows{&ten, &two, &day, &never})) << "no such column";
}

} // namespace
