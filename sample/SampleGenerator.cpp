#include "SampleGenerator.h"

#include "CategoryList.h"
#include "MTime.h"
#include "RecordStore.h"
#include "Records.h"
#include "TvDocument.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Random numbers: splitmix64, small, fast and the same on every machine.

class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound); 0 when bound is 0.
    std::uint32_t Below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(((Next() >> 32) * bound) >> 32);
    }
    // Uniform in [low, high].
    int Between(int low, int high) {
        return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low) + 1));
    }
    bool Percent(std::uint32_t percent) { return Below(100) < percent; }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

    template <typename T, std::size_t N> const T& Pick(const std::array<T, N>& items) {
        return items[Below(static_cast<std::uint32_t>(N))];
    }

private:
    std::uint64_t m_state;
};

// An independent stream per purpose, so that asking for more expenses does not
// change the trips' texts.
Random Stream(std::uint64_t seed, std::uint64_t purpose) {
    Random mixer(seed ^ (purpose * 0xD1B54A32D192ED03ull));
    return Random(mixer.Next());
}

template <typename T> struct Weighted {
    T value;
    std::uint32_t weight;
};

template <typename T, std::size_t N>
const T& PickWeighted(Random& random, const std::array<Weighted<T>, N>& items) {
    std::uint32_t total = 0;
    for (const auto& item : items)
        total += item.weight;
    std::uint32_t roll = random.Below(total);
    for (const auto& item : items) {
        if (roll < item.weight)
            return item.value;
        roll -= item.weight;
    }
    return items.back().value;
}

// Picks exactly `wanted` of the next `total` items of a stream, each set of
// that size equally likely.
class ExactShare {
public:
    ExactShare(std::uint32_t total, std::uint32_t wanted)
        : m_left(total), m_wanted(std::min(wanted, total)) {}

    bool Take(Random& random) {
        if (m_left == 0)
            return false;
        const bool take = random.Below(m_left) < m_wanted;
        --m_left;
        if (take)
            --m_wanted;
        return take;
    }

private:
    std::uint32_t m_left;
    std::uint32_t m_wanted;
};

// count * numerator / denominator without overflow.
std::uint32_t Share(std::uint32_t count, std::uint32_t numerator, std::uint32_t denominator) {
    return static_cast<std::uint32_t>(std::uint64_t{count} * numerator / denominator);
}

// About one in a hundred, and at least one once there are ten.
std::uint32_t DeletedShare(std::uint32_t count) {
    const std::uint32_t share = static_cast<std::uint32_t>((std::uint64_t{count} + 50) / 100);
    return count >= 10 ? std::max<std::uint32_t>(share, 1) : share;
}

// Splits total over parts in proportion to their weights; the shares add up
// to total exactly.
std::vector<std::uint32_t> Apportion(std::uint32_t total,
                                     const std::vector<std::uint32_t>& weights) {
    std::vector<std::uint32_t> shares(weights.size(), 0);
    std::uint64_t weightSum = 0;
    for (std::uint32_t weight : weights)
        weightSum += weight;
    if (weightSum == 0)
        return shares;
    std::uint64_t before = 0;
    std::uint32_t given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        before += weights[i];
        const auto upTo = static_cast<std::uint32_t>(
            static_cast<double>(total) *
            (static_cast<double>(before) / static_cast<double>(weightSum)));
        shares[i] = upTo - given;
        given = upTo;
    }
    return shares;
}

// ---------------------------------------------------------------------------
// Calendar arithmetic on the proleptic Gregorian calendar, and local times.

struct CivilDate {
    int year;
    int month; // 1-12
    int day;   // 1-31
};

constexpr std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = static_cast<int>(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = static_cast<int>(days - era * 146097);
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(2024, 2, 29) + 1 == DaysFromCivil(2024, 3, 1));
static_assert(CivilFromDays(DaysFromCivil(2025, 6, 30)).day == 30);

// The data set ends on this fixed day, never on the machine's clock, so the
// same options always give the same file. The history covers the three years
// up to it; planned service lies after it.
constexpr CivilDate kReferenceDate{2025, 6, 30};
constexpr int kHistoryYears = 3;
constexpr int kPlanningDays = 240;

constexpr int kSecondsPerDay = 24 * 3600;
constexpr int kMorning = 5 * 3600;     // nothing happens before 05:00
constexpr int kWindowStart = 6 * 3600; // the day's events lie in 06:00-22:00
constexpr int kWindowLength = 16 * 3600;
constexpr int kLatestOvernightEnd = kSecondsPerDay + kWindowStart - 60; // 05:59 next day

// Local times on the days of the data set. The checked constructor costs about
// two microseconds a call (with TZ unset the C library looks at the zone file
// every time), too slow for millions of records; instead each day's 05:00 is
// converted once, and a time later that day is that moment plus the seconds
// since, turned back into calendar fields (a fiftieth of the cost). The result is
// checked against the fields wanted, so on a day whose clock changes after
// 05:00 the checked constructor decides, as it would for every record. Every
// time lies after 05:00, so the fields written are those chosen in any zone
// whose clocks change earlier in the night: the file is the same everywhere.
class SampleClock {
public:
    SampleClock(std::int64_t firstDay, int days) {
        m_dates.reserve(static_cast<std::size_t>(days));
        m_mornings.reserve(static_cast<std::size_t>(days));
        for (int i = 0; i < days; ++i) {
            const CivilDate date = CivilFromDays(firstDay + i);
            m_dates.push_back(date);
            m_mornings.push_back(MTime(date.year, date.month, date.day, 5, 0, 0, -1).AsSeconds());
        }
    }

    int Days() const { return static_cast<int>(m_dates.size()); }

    // The local time secondOfDay (0-86399) seconds into the day.
    MTime At(int day, int secondOfDay) const {
        const CivilDate& date = m_dates[static_cast<std::size_t>(day)];
        const int hour = secondOfDay / 3600;
        const int minute = secondOfDay / 60 % 60;
        const int second = secondOfDay % 60;
        const std::int64_t morning = m_mornings[static_cast<std::size_t>(day)];
        if (secondOfDay >= kMorning && morning >= 0) {
            MTime time(morning + (secondOfDay - kMorning));
            if (time.GetSecond() == second && time.GetMinute() == minute &&
                time.GetHour() == hour && time.GetDay() == date.day &&
                time.GetMonth() == date.month - 1 && time.GetYear() == date.year - 1900)
                return time;
        }
        return MTime(date.year, date.month, date.day, hour, minute, second, -1);
    }

private:
    std::vector<CivilDate> m_dates;
    std::vector<std::int64_t> m_mornings; // 05:00 of each day, seconds since 1970
};

// Spreads a vehicle's events of one kind over the days in order: the k-th of n
// falls on day floor((k + u) * days / n) for a random u in [0, 1), so the days
// never go backwards and the spacing is a little uneven.
class DaySpreader {
public:
    DaySpreader() = default;
    DaySpreader(std::uint32_t count, int days) : m_count(count), m_days(days) {}

    // How many events fall on this day; days are asked in increasing order.
    std::uint32_t TakeDay(int day, Random& random) {
        std::uint32_t taken = 0;
        while (m_next < m_count) {
            if (m_nextDay < 0)
                m_nextDay = DayOf(m_next, random);
            if (m_nextDay > day)
                break;
            ++taken;
            ++m_next;
            m_nextDay = -1;
        }
        return taken;
    }

private:
    int DayOf(std::uint32_t index, Random& random) const {
        const double position = (static_cast<double>(index) + random.Unit()) *
                                static_cast<double>(m_days) / static_cast<double>(m_count);
        return std::min(m_days - 1, static_cast<int>(position));
    }

    std::uint32_t m_count = 0;
    int m_days = 1;
    std::uint32_t m_next = 0;
    int m_nextDay = -1;
};

// ---------------------------------------------------------------------------
// Texts.

constexpr std::array<std::string_view, 16> kVehicleNames = {
    "Civic",  "Camry", "F-150",    "Outback", "Model 3", "Prius", "Silverado", "Corolla",
    "Accord", "Jetta", "Wrangler", "Odyssey", "Tacoma",  "Golf",  "Mustang",   "Forester"};

// Each vehicle's fuel economy in miles per gallon (lowest, highest) and its
// tank in gallons, in the order of the names above.
struct FuelEconomy {
    int lowestMpg;
    int highestMpg;
    int tankGallons;
};
constexpr std::array<FuelEconomy, 16> kFuelEconomies = {{{32, 38, 12},
                                                         {28, 34, 15},
                                                         {15, 19, 26},
                                                         {26, 30, 18},
                                                         {46, 54, 10},
                                                         {48, 54, 11},
                                                         {14, 18, 24},
                                                         {31, 36, 13},
                                                         {29, 34, 15},
                                                         {30, 35, 13},
                                                         {17, 21, 18},
                                                         {20, 24, 20},
                                                         {19, 22, 21},
                                                         {28, 33, 13},
                                                         {18, 23, 16},
                                                         {26, 30, 16}}};

constexpr std::array<std::string_view, 8> kInsurers = {
    "State Farm",     "GEICO", "Progressive", "Allstate",
    "Liberty Mutual", "USAA",  "Farmers",     "Nationwide"};

constexpr std::array<std::string_view, 30> kDestinations = {
    "Home",
    "Office",
    "Client: Acme Corp",
    "O'Hare Airport",
    "Springfield, IL",
    "Costco",
    "Home Depot",
    "St. Mary's Hospital",
    "Downtown",
    "Lincoln Elementary",
    "Warehouse #3",
    "\"The Loft\" studio",
    "Caf\xE9 Rouge",
    "Gym",
    "Grandma's",
    "Food bank",
    "Dentist",
    "Riverside Mall",
    "Main St. Branch",
    "Site visit - Oak Ridge",
    "Conference Center",
    "Train station",
    "Lake house",
    "Supplier, Inc.",
    "Northwest Regional Distribution", // 31 characters: a full buffer
    "Z\xFCrich Re office",
    "Library",
    "Post office",
    "Soccer practice",
    "Hardware store"};

constexpr std::array<std::string_view, 14> kTripNotes = {
    "Dropped off samples",
    "Met with J. Smith, discussed Q3 budget",
    "Parking was \"free\" today",
    "Picked up supplies\nReceipt in folder",
    "Route 9 closed, detour via Main St.\r\nAdded a few miles",
    "Client lunch, \"working\" meeting",
    "Return trip",
    "Volunteer shift at the food bank",
    "Tolls: $4.50; parking: $12",
    "Mileage\tclaimed",
    "Took the scenic route",
    "Rain, heavy traffic on I-90",
    "Caf\xE9 meeting with the \"new\" supplier",
    "Line one\nLine two\nLine three"};

constexpr std::array<std::string_view, 7> kServiceNotes = {"Used 5W-30 synthetic",
                                                           "Front pads at 4 mm, \"OK\" for now",
                                                           "Warranty work\nNo charge",
                                                           "Rotated and balanced, checked pressure",
                                                           "Dealer says: replace at next visit",
                                                           "Coupon, 20% off",
                                                           "Waited 2 hours\r\nFree coffee"};

constexpr std::array<std::string_view, 3> kPlannedNotes = {"Schedule with dealer", "Due soon",
                                                           "Call first, ask for \"Mike\""};

constexpr std::array<std::string_view, 7> kExpenseNotes = {
    "Receipt in glovebox",           "Paid cash",
    "Split with J., 50/50",          "Car wash included\nUsed rewards points",
    "Reimbursable, \"client\" trip", "Card declined once, paid with second card",
    "Business\r\nsee trip log"};

constexpr std::array<std::string_view, 9> kFuelVendors = {
    "Shell",          "Chevron",           "Exxon", "BP", "Costco Gas", "Mobil", "Sunoco",
    "QuikTrip #1142", "Love's Travel Stop"};

constexpr std::array<std::string_view, 4> kFuelGrades = {"Regular unleaded", "Mid-grade", "Premium",
                                                         "Diesel"};

constexpr std::array<std::string_view, 3> kExtraTexts = {"Visa 4411", "Fleet card", "cash"};

// The longest note a record holds: 255 characters.
std::string LongNote() {
    std::string note = "Long day, several stops: ";
    static constexpr std::array<std::string_view, 5> kStops = {
        "bank, ", "post office, ", "\"Big Box\" store, ", "pharmacy, ", "school pick-up; "};
    for (std::size_t i = 0; note.size() < kNoteCapacity - 1; ++i)
        note += kStops[i % kStops.size()];
    note.resize(kNoteCapacity - 1);
    return note;
}

template <std::size_t N>
std::string PickNote(Random& random, const std::array<std::string_view, N>& notes,
                     std::uint32_t percentEmpty, const std::string& longNote) {
    const std::uint32_t roll = random.Below(1000);
    if (roll < percentEmpty * 10)
        return {};
    if (roll >= 990)
        return longNote;
    return std::string(random.Pick(notes));
}

std::string Digits(Random& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += static_cast<char>('0' + random.Below(10));
    return text;
}

std::string Letters(Random& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += static_cast<char>('A' + random.Below(26));
    return text;
}

// Unique, at most 15 characters.
std::string VehicleName(std::uint32_t index) {
    const std::string_view base = kVehicleNames[index % kVehicleNames.size()];
    const std::uint32_t round = index / static_cast<std::uint32_t>(kVehicleNames.size());
    if (round == 0)
        return std::string(base);
    const std::string suffix = " " + std::to_string(round + 1);
    return std::string(base.substr(0, std::min(base.size(), 15 - suffix.size()))) + suffix;
}

std::string Vin(Random& random) {
    static constexpr std::string_view kVinCharacters = "0123456789ABCDEFGHJKLMNPRSTUVWXYZ";
    std::string vin;
    for (int i = 0; i < 17; ++i)
        vin += kVinCharacters[random.Below(static_cast<std::uint32_t>(kVinCharacters.size()))];
    return vin;
}

// ---------------------------------------------------------------------------
// Record headers.

// Gives records the header fields of a synchronised file: most came from the
// handheld with its record identifiers, some were made (Uid 0) or changed on
// the desktop, and an exact share is deleted.
class HeaderSource {
public:
    HeaderSource(std::uint32_t firstUid, std::uint32_t count, std::uint32_t deleted)
        : m_uid(firstUid), m_deleted(count, deleted) {}

    void Fill(RecordHeader& header, Random& random, bool deletedAnyway = false) {
        const bool deleted = m_deleted.Take(random) || deletedAnyway;
        header.Flags = 0;
        if (random.Percent(88)) {
            m_uid += 1 + random.Below(3);
            header.Uid = m_uid;
            if (random.Percent(4))
                header.MarkModified();
        } else {
            header.Uid = 0;
            header.MarkModified();
        }
        if (deleted)
            header.MarkDeleted();
    }

private:
    std::uint32_t m_uid;
    ExactShare m_deleted;
};

// ---------------------------------------------------------------------------
// Categories and service types.

CategoryEntry MakeCategory(std::string_view name, std::uint32_t index, std::uint32_t uid,
                           std::uint32_t flags) {
    CategoryEntry entry;
    entry.Name = name;
    entry.Category = index;
    entry.Uid = uid;
    entry.Flags = flags;
    return entry;
}

// Indexes 1..n in the order given, each with a fresh unique identifier; the
// last one was added on the desktop.
template <std::size_t N>
void AddCategories(CategoryList& list, const std::array<std::string_view, N>& names) {
    for (std::size_t i = 0; i < N; ++i) {
        const std::uint32_t flags = i + 1 == N ? RecordFlags::Modified : 0;
        list.Add(
            MakeCategory(names[i], static_cast<std::uint32_t>(i + 1), ++list.LastUniqueId, flags));
    }
}

enum TripCategory : std::uint32_t { Business = 1, Personal, Commute, Charity, Medical };
constexpr std::array<std::string_view, 5> kTripCategories = {"Business", "Personal", "Commute",
                                                             "Charity", "Medical"};

enum ExpenseCategory : std::uint32_t { Fuel = 1, Maintenance, Parking, Tolls, Insurance };
constexpr std::array<std::string_view, 5> kExpenseCategories = {"Fuel", "Maintenance", "Parking",
                                                                "Tolls", "Insurance"};

constexpr std::array<std::string_view, 2> kServiceCategories = {"Routine", "Repair"};

constexpr std::array<Weighted<std::uint32_t>, 6> kTripCategoryWeights = {
    {{Business, 40}, {Personal, 28}, {Commute, 20}, {Charity, 3}, {Medical, 3}, {0, 6}}};

struct ServiceTypeTemplate {
    std::string_view name;
    std::int32_t miles;
    std::int32_t kilometres;
    TimeUnit unit;
    std::uint8_t count;
    std::uint32_t weight; // how often it is done
    std::uint32_t category;
};

constexpr std::array<ServiceTypeTemplate, 10> kServiceTypes = {{
    {"Oil change", 3000, 5000, TimeUnit::Months, 3, 30, 1},
    {"Tire rotation", 7500, 12000, TimeUnit::Months, 6, 16, 1},
    {"Inspection", 0, 0, TimeUnit::Years, 1, 8, 1},
    {"Brake check", 15000, 25000, TimeUnit::None, 0, 8, 2},
    {"Air filter", 15000, 25000, TimeUnit::Years, 1, 7, 1},
    {"Battery check", 0, 0, TimeUnit::Days, 180, 6, 2},
    {"Wash and wax", 0, 0, TimeUnit::Weeks, 8, 10, 0},
    {"Coolant flush", 30000, 50000, TimeUnit::Years, 2, 5, 1},
    {"Timing belt", 60000, 100000, TimeUnit::None, 0, 2, 2},
    {"Wiper blades", 0, 0, TimeUnit::Months, 12, 8, 0},
}};

std::size_t PickServiceType(Random& random) {
    std::uint32_t total = 0;
    for (const ServiceTypeTemplate& kind : kServiceTypes)
        total += kind.weight;
    std::uint32_t roll = random.Below(total);
    for (std::size_t i = 0; i < kServiceTypes.size(); ++i) {
        if (roll < kServiceTypes[i].weight)
            return i;
        roll -= kServiceTypes[i].weight;
    }
    return 0;
}

struct OtherExpenseTemplate {
    std::uint32_t category;
    std::array<std::string_view, 4> vendors;
    std::array<std::string_view, 3> descriptions;
    int lowestCents;
    int highestCents;
    bool withOdometer;
};

constexpr std::array<Weighted<OtherExpenseTemplate>, 5> kOtherExpenses = {{
    {{Maintenance,
      {"Jiffy Lube", "Midas", "Joe's Garage", "Discount Tire"},
      {"Oil change", "Brake pads", "New tires"},
      2999,
      89900,
      true},
     25},
    {{Parking,
      {"City Parking", "Airport Garage", "ParkMobile", "Hotel valet"},
      {"Downtown meter", "Long-term lot", "Event parking"},
      200,
      4500,
      false},
     35},
    {{Tolls,
      {"E-ZPass", "FasTrak", "Turnpike", "Bridge toll"},
      {"Monthly statement", "Toll", "Express lane"},
      100,
      2800,
      false},
     25},
    {{Insurance,
      {"State Farm", "GEICO", "Progressive", "Allstate"},
      {"6-month premium", "Policy renewal", "Roadside plan"},
      30000,
      120000,
      false},
     5},
    {{0,
      {"DMV", "Car wash", "AutoZone", "Detail Pros"},
      {"Registration renewal", "Wash & vacuum", "Floor mats, wipers"},
      800,
      25000,
      true},
     10},
}};

// ---------------------------------------------------------------------------
// The generator.

// What the generator keeps per vehicle while it walks through the days.
struct VehiclePlan {
    std::uint32_t id = 0;
    bool deleted = false;
    std::int64_t odometer = 0;   // current reading
    std::int64_t lastFillUp = 0; // reading at the last fill-up, logged or not
    int economyTenths = 250;     // tenths of a distance unit per volume unit
    int tank = 15;               // volume units
    // Fill-ups follow the distance driven: the next one is logged once the
    // reading reaches nextFillUp, while fill-ups are left to log.
    std::uint32_t fillUpsLeft = 0;
    std::int64_t fillUpInterval = 300; // the mean distance between logged ones
    std::int64_t nextFillUp = 0;
    bool loggedFillUp = false;
    int pricePerUnit = 3500; // thousandths of the currency per volume unit
    int lowestPrice = 2800;
    int highestPrice = 4500;
    std::string_view grade;
    DaySpreader trips, other, services;
};

enum class EventKind : std::uint8_t { Trip, OtherExpense, Service };

class Generator {
public:
    Generator(TvDocument& document, const SampleOptions& options)
        : m_document(document), m_options(options), m_metric(options.Metric),
          m_longNote(LongNote()), m_random(Stream(options.Seed, 1)),
          m_spread(Stream(options.Seed, 2)), m_texts(Stream(options.Seed, 3)),
          m_firstDay(DaysFromCivil(kReferenceDate.year - kHistoryYears, kReferenceDate.month,
                                   kReferenceDate.day) +
                     1),
          m_historyDays(static_cast<int>(
              DaysFromCivil(kReferenceDate.year, kReferenceDate.month, kReferenceDate.day) -
              m_firstDay + 1)),
          m_clock(m_firstDay, m_historyDays + 1 + kPlanningDays) {}

    void Run() {
        StartEmpty();
        MakeCategories();
        MakeVehicles();
        MakeServiceTypes();
        PlanVehicles();
        MakeHistory();
        MakeLeftOverFillUps();
        MakePlannedService();
    }

private:
    // An empty data set whose five category lists look as after reading a
    // file, with the counters and settings of a new document.
    void StartEmpty() {
        m_document.DeleteContents();
        RecordStore* stores[] = {&m_document.Vehicles(), &m_document.ServiceTypes(),
                                 &m_document.Services(), &m_document.Trips(),
                                 &m_document.Expenses()};
        for (RecordStore* store : stores) {
            store->IdCounter = RecordStore::kNewIdCounter;
            store->Settings = {};
            store->Categories.LastUniqueId = CategoryList::kNewLastUniqueId;
        }
        m_document.InitNewDocument();
        for (RecordStore* store : {static_cast<RecordStore*>(&m_document.Vehicles()),
                                   static_cast<RecordStore*>(&m_document.ServiceTypes()),
                                   static_cast<RecordStore*>(&m_document.Services())})
            store->Categories.Add(MakeUnfiledEntry());
        if (m_metric)
            m_document.Trips().Settings[0] |= RecordStore::kUnitsKilometres;
    }

    void MakeCategories() {
        AddCategories(m_document.Trips().Categories, kTripCategories);
        AddCategories(m_document.Expenses().Categories, kExpenseCategories);
        AddCategories(m_document.Services().Categories, kServiceCategories);
    }

    std::int32_t Distance(std::int32_t miles) const {
        return m_metric ? static_cast<std::int32_t>(std::int64_t{miles} * 8 / 5) : miles;
    }

    void MakeVehicles() {
        VehicleStore& store = m_document.Vehicles();
        HeaderSource headers(0x00200000 + m_random.Below(0x1000), m_options.Vehicles,
                             m_options.Vehicles / 100);
        for (std::uint32_t i = 0; i < m_options.Vehicles; ++i) {
            VehicleRecord vehicle;
            headers.Fill(vehicle, m_random);
            vehicle.Name.Set(VehicleName(i));
            vehicle.License.Set(m_texts.Percent(50)
                                    ? Digits(m_texts, 1) + Letters(m_texts, 3) + Digits(m_texts, 3)
                                    : Letters(m_texts, 3) + "-" + Digits(m_texts, 4));
            vehicle.Vin.Set(m_texts.Percent(95) ? Vin(m_texts) : std::string());
            const int month = m_texts.Between(1, 12);
            vehicle.Insurance.Set(std::string(m_texts.Pick(kInsurers)) + " policy " +
                                  Digits(m_texts, 3) + "-" + Digits(m_texts, 4) + "-" +
                                  Digits(m_texts, 2) + ", renews " + std::to_string(month) + "/" +
                                  std::to_string(m_texts.Between(1, 28)));
            vehicle.Odometer = Distance(m_random.Between(3000, 90000));
            vehicle.VehicleId = store.NewId();
            store.Append(std::move(vehicle));
        }
    }

    void MakeServiceTypes() {
        ServiceTypeStore& store = m_document.ServiceTypes();
        HeaderSource headers(0x00300000 + m_random.Below(0x1000),
                             static_cast<std::uint32_t>(kServiceTypes.size()), 0);
        for (const ServiceTypeTemplate& kind : kServiceTypes) {
            ServiceTypeRecord type;
            headers.Fill(type, m_random);
            type.Name.Set(kind.name);
            type.DistanceInterval = m_metric ? kind.kilometres : kind.miles;
            type.TimeUnit = static_cast<std::uint8_t>(kind.unit);
            type.TimeCount = kind.count;
            type.ServiceTypeId = store.NewId();
            m_serviceTypeIds.push_back(type.ServiceTypeId);
            store.Append(std::move(type));
        }
    }

    void PlanVehicles() {
        const auto& vehicles = m_document.Vehicles().Records();
        const std::size_t count = std::max<std::size_t>(vehicles.size(), 1);
        std::vector<std::uint32_t> weights;
        for (std::size_t i = 0; i < count; ++i)
            weights.push_back(i == 0 ? 5 : 1 + m_random.Below(4));

        // About 15% of the service entries are planned, 60% of the expenses
        // are fill-ups.
        m_plannedServices =
            m_options.Services > 1 ? std::max(1u, Share(m_options.Services, 15, 100)) : 0;
        const std::uint32_t fuelCount = m_options.Expenses - Share(m_options.Expenses, 2, 5);
        const auto trips = Apportion(m_options.Trips, weights);
        const auto fuel = Apportion(fuelCount, weights);
        const auto other = Apportion(m_options.Expenses - fuelCount, weights);
        const auto services = Apportion(m_options.Services - m_plannedServices, weights);

        for (std::size_t i = 0; i < count; ++i) {
            VehiclePlan plan;
            if (i < vehicles.size()) {
                plan.id = vehicles[i].VehicleId;
                plan.deleted = vehicles[i].IsDeleted();
                plan.odometer = vehicles[i].Odometer;
            } else {
                plan.odometer = Distance(m_random.Between(3000, 90000));
            }
            plan.lastFillUp = plan.odometer;
            // Miles per gallon, or kilometres per litre (0.425 km/L to the
            // mile per gallon, 3.785 litres to the gallon).
            const FuelEconomy& economy = kFuelEconomies[i % kFuelEconomies.size()];
            const int mpgTenths = m_random.Between(economy.lowestMpg * 10, economy.highestMpg * 10);
            plan.economyTenths = m_metric ? mpgTenths * 425 / 1000 : mpgTenths;
            plan.tank = m_metric ? economy.tankGallons * 3785 / 1000 : economy.tankGallons;
            plan.lowestPrice = m_metric ? 1399 : 2799;
            plan.highestPrice = m_metric ? 2199 : 4499;
            plan.pricePerUnit = m_random.Between(plan.lowestPrice, plan.highestPrice);
            plan.grade = kFuelGrades[i % 8 == 2 ? 3 : m_random.Below(3)]; // the F-150 takes diesel
            plan.trips = DaySpreader(trips[i], m_historyDays);
            PlanFillUps(plan, fuel[i], trips[i]);
            plan.other = DaySpreader(other[i], m_historyDays);
            plan.services = DaySpreader(services[i], m_historyDays);
            m_plans.push_back(std::move(plan));
        }

        m_tripHeaders.emplace(0x00400000 + m_random.Below(0x1000), m_options.Trips,
                              DeletedShare(m_options.Trips));
        m_serviceHeaders.emplace(0x00500000 + m_random.Below(0x1000), m_options.Services,
                                 DeletedShare(m_options.Services));
        m_expenseHeaders.emplace(0x00600000 + m_random.Below(0x1000), m_options.Expenses,
                                 DeletedShare(m_options.Expenses));
    }

    // Walks through the days; on each, every vehicle does its share of trips,
    // fill-ups, other expenses and service in a random order.
    void MakeHistory() {
        std::vector<EventKind> events;
        for (int day = 0; day < m_historyDays; ++day) {
            for (VehiclePlan& plan : m_plans) {
                events.clear();
                events.insert(events.end(), plan.trips.TakeDay(day, m_spread), EventKind::Trip);
                events.insert(events.end(), plan.other.TakeDay(day, m_spread),
                              EventKind::OtherExpense);
                events.insert(events.end(), plan.services.TakeDay(day, m_spread),
                              EventKind::Service);
                if (events.empty())
                    continue;
                for (std::size_t i = events.size(); i > 1; --i)
                    std::swap(events[i - 1], events[m_random.Below(static_cast<std::uint32_t>(i))]);
                MakeDay(plan, day, events);
            }
        }
    }

    void MakeDay(VehiclePlan& plan, int day, const std::vector<EventKind>& events) {
        const int total = static_cast<int>(std::min<std::size_t>(events.size(), kWindowLength));
        const int slot = std::max(1, kWindowLength / total);
        const bool wholeMinutes = slot >= 120;
        for (std::size_t i = 0; i < events.size(); ++i) {
            int start = kWindowStart + static_cast<int>(std::min<std::size_t>(i, total - 1)) * slot;
            if (slot >= 4)
                start += static_cast<int>(m_random.Below(static_cast<std::uint32_t>(slot / 4)));
            if (events.size() == 1 && events[i] == EventKind::Trip && m_random.Percent(12))
                start = m_random.Between(18 * 3600, 22 * 3600 - 1); // an evening start
            if (wholeMinutes)
                start -= start % 60;
            const bool last = i + 1 == events.size();
            switch (events[i]) {
            case EventKind::Trip:
                MakeTrip(plan, day, start, last ? kLatestOvernightEnd - start : slot * 3 / 4,
                         wholeMinutes);
                if (plan.fillUpsLeft > 0 && plan.odometer >= plan.nextFillUp)
                    MakeFillUp(plan, day, start);
                break;
            case EventKind::OtherExpense:
                MakeOtherExpense(plan, day, start);
                break;
            case EventKind::Service:
                MakeService(plan, day, start);
                break;
            }
        }
    }

    // Keeps readings inside the file's signed 32-bit range: a reading that
    // would leave it starts again low, as a replaced odometer does.
    static void KeepInRange(VehiclePlan& plan, int ahead) {
        if (plan.odometer + ahead > std::numeric_limits<std::int32_t>::max() - 1000) {
            plan.odometer = 10;
            plan.lastFillUp = plan.odometer;
            plan.nextFillUp = std::min(plan.nextFillUp, plan.odometer + plan.fillUpInterval);
        }
    }

    int TripDistance() {
        const std::uint32_t roll = m_random.Below(100);
        if (roll < 60)
            return m_random.Between(2, 25);
        if (roll < 88)
            return m_random.Between(26, 90);
        if (roll < 97)
            return m_random.Between(91, 250);
        return m_random.Between(251, 400);
    }

    void MakeTrip(VehiclePlan& plan, int day, int start, int longest, bool wholeMinutes) {
        const int distance = TripDistance();
        // Now and then the odometer moved without a trip being logged.
        if (m_random.Percent(3))
            plan.odometer += m_random.Between(1, 60);
        KeepInRange(plan, distance + 60);

        const int speed = m_metric ? m_random.Between(40, 90) : m_random.Between(25, 55);
        int duration = distance * 3600 / speed + m_random.Between(0, 600);
        longest = std::max(1, longest);
        duration = std::clamp(duration, std::min(60, longest), longest);
        if (wholeMinutes)
            duration = std::max(60, duration - duration % 60);
        int endDay = day;
        int end = start + duration;
        if (end >= kSecondsPerDay) {
            // Overnight: it ended the next morning.
            endDay = day + 1;
            end -= kSecondsPerDay;
            if (end < kMorning)
                end = kMorning + static_cast<int>(m_random.Below(3600)) / 60 * 60;
        }

        TripRecord trip(m_clock.At(day, start));
        trip.End = m_clock.At(endDay, end);
        m_tripHeaders->Fill(trip, m_random, plan.deleted);
        trip.Category = PickWeighted(m_random, kTripCategoryWeights);
        trip.Destination.Set(m_texts.Percent(1) ? std::string_view("")
                                                : m_texts.Pick(kDestinations));
        trip.StartOdometer = static_cast<std::int32_t>(plan.odometer);
        plan.odometer += distance;
        trip.EndOdometer = static_cast<std::int32_t>(plan.odometer);
        trip.VehicleId = plan.id;
        trip.Note = PickNote(m_texts, kTripNotes, 55, m_longNote);
        m_document.Trips().Append(std::move(trip));
    }

    // The mean trip: 60% of 2-25, 28% of 26-90, 9% of 91-250, 3% of 251-400,
    // and 3% of trips after 1-60 of unlogged driving.
    static constexpr std::int64_t kMeanTripDistance = 50;

    // Spreads the vehicle's fill-ups over the distance it is expected to
    // drive. A fill-up comes every 55-90% of a tank's range; with more
    // distance than that many fill-ups cover, they are logged over the last
    // part of it only (the earlier ones went unlogged), and with less they
    // come closer together, as top-ups.
    void PlanFillUps(VehiclePlan& plan, std::uint32_t fillUps, std::uint32_t trips) {
        plan.fillUpsLeft = fillUps;
        if (fillUps == 0)
            return;
        const std::int64_t range = std::int64_t{plan.economyTenths} * plan.tank / 10;
        const std::int64_t expected = std::int64_t{trips} * kMeanTripDistance;
        plan.fillUpInterval =
            std::max<std::int64_t>(20, std::min(range * 72 / 100, expected / fillUps));
        const std::int64_t unlogged =
            std::max<std::int64_t>(0, expected - fillUps * plan.fillUpInterval);
        plan.nextFillUp = plan.odometer + unlogged + NextFillUpDistance(plan);
    }

    std::int64_t NextFillUpDistance(const VehiclePlan& plan) {
        return plan.fillUpInterval * m_random.Between(76, 124) / 100;
    }

    // The fill-ups the driving left over: each after unlogged driving, on
    // the last day of the history.
    void MakeLeftOverFillUps() {
        for (VehiclePlan& plan : m_plans) {
            while (plan.fillUpsLeft > 0) {
                plan.odometer = std::max(plan.odometer, plan.nextFillUp);
                KeepInRange(plan, 0);
                MakeFillUp(plan, m_historyDays - 1, kWindowStart + kWindowLength - 3600);
            }
        }
    }

    void MakeFillUp(VehiclePlan& plan, int day, int start) {
        // The volume the distance since the last fill-up took, give or take
        // 6%, so that the efficiency between two fill-ups is the vehicle's.
        // Before the first logged one, the tank was last filled unlogged.
        std::int64_t driven = std::max<std::int64_t>(1, plan.odometer - plan.lastFillUp);
        if (!plan.loggedFillUp)
            driven = std::min(driven, NextFillUpDistance(plan));
        plan.loggedFillUp = true;
        std::int64_t volume = driven * 10000 / plan.economyTenths;
        volume = std::max<std::int64_t>(1, volume * m_random.Between(940, 1060) / 1000);
        plan.pricePerUnit = std::clamp(plan.pricePerUnit + m_random.Between(-60, 60),
                                       plan.lowestPrice, plan.highestPrice);
        std::int64_t cost = volume * plan.pricePerUnit / 1000;
        cost = std::max<std::int64_t>(10, (cost + 5) / 10 * 10); // whole cents

        ExpenseRecord expense(m_clock.At(day, start));
        m_expenseHeaders->Fill(expense, m_random);
        expense.Category = m_random.Percent(95) ? std::uint32_t{Fuel} : 0u;
        expense.Vendor.Set(m_texts.Pick(kFuelVendors));
        expense.Description.Set(plan.grade);
        if (m_texts.Percent(8))
            expense.ExtraText.Set(m_texts.Pick(kExtraTexts));
        expense.Cost = static_cast<std::int32_t>(cost);
        expense.Odometer = static_cast<std::int32_t>(plan.odometer);
        expense.ExpenseFlags = ExpenseFlagBits::FuelPurchase;
        expense.Volume = static_cast<std::int32_t>(volume);
        expense.VehicleId = plan.id;
        expense.Note = PickNote(m_texts, kExpenseNotes, 70, m_longNote);
        m_document.Expenses().Append(std::move(expense));
        plan.lastFillUp = plan.odometer;
        --plan.fillUpsLeft;
        plan.nextFillUp = plan.odometer + NextFillUpDistance(plan);
    }

    void MakeOtherExpense(VehiclePlan& plan, int day, int start) {
        const OtherExpenseTemplate& kind = PickWeighted(m_random, kOtherExpenses);
        ExpenseRecord expense(m_clock.At(day, start));
        m_expenseHeaders->Fill(expense, m_random);
        expense.Category = kind.category;
        expense.Vendor.Set(m_texts.Pick(kind.vendors));
        expense.Description.Set(m_texts.Pick(kind.descriptions));
        if (m_texts.Percent(5))
            expense.ExtraText.Set(m_texts.Pick(kExtraTexts));
        expense.Cost = m_random.Between(kind.lowestCents, kind.highestCents) * 10;
        expense.Odometer = kind.withOdometer || m_random.Percent(30)
                               ? static_cast<std::int32_t>(plan.odometer)
                               : 0;
        expense.VehicleId = plan.id;
        expense.Note = PickNote(m_texts, kExpenseNotes, 60, m_longNote);
        m_document.Expenses().Append(std::move(expense));
    }

    void MakeService(VehiclePlan& plan, int day, int start) {
        const std::size_t type = PickServiceType(m_random);
        ServiceRecord service(m_clock.At(day, start));
        m_serviceHeaders->Fill(service, m_random, plan.deleted);
        service.Category = kServiceTypes[type].category;
        service.Odometer = static_cast<std::int32_t>(plan.odometer);
        service.ServiceFlags = ServiceFlagBits::Completed;
        service.VehicleId = plan.id;
        service.ServiceTypeId = m_serviceTypeIds[type];
        service.Note = PickNote(m_texts, kServiceNotes, 50, m_longNote);
        m_document.Services().Append(std::move(service));
    }

    // Service not done yet: dated after the reference day, at the reading
    // where it falls due.
    void MakePlannedService() {
        std::vector<std::pair<int, std::uint32_t>> dates; // day, vehicle
        for (std::uint32_t i = 0; i < m_plannedServices; ++i)
            dates.emplace_back(m_historyDays + 1 + m_random.Between(0, kPlanningDays - 1),
                               i % static_cast<std::uint32_t>(m_plans.size()));
        std::stable_sort(dates.begin(), dates.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [day, vehicle] : dates) {
            VehiclePlan& plan = m_plans[vehicle];
            const std::size_t type = PickServiceType(m_random);
            const std::int32_t interval =
                m_metric ? kServiceTypes[type].kilometres : kServiceTypes[type].miles;
            ServiceRecord service(
                m_clock.At(std::min(day, m_clock.Days() - 1), m_random.Between(8, 16) * 3600));
            m_serviceHeaders->Fill(service, m_random, plan.deleted);
            service.Category = kServiceTypes[type].category;
            const std::int64_t due =
                plan.odometer + (interval > 0 ? interval : Distance(m_random.Between(500, 3000)));
            service.Odometer = static_cast<std::int32_t>(
                std::min<std::int64_t>(due, std::numeric_limits<std::int32_t>::max()));
            service.ServiceFlags = 0;
            service.VehicleId = plan.id;
            service.ServiceTypeId = m_serviceTypeIds[type];
            service.Note = PickNote(m_texts, kPlannedNotes, 60, m_longNote);
            m_document.Services().Append(std::move(service));
        }
    }

    TvDocument& m_document;
    const SampleOptions& m_options;
    const bool m_metric;
    const std::string m_longNote;
    Random m_random; // numbers and choices
    Random m_spread; // which day each event falls on
    Random m_texts;  // texts that nothing else depends on
    const std::int64_t m_firstDay;
    const int m_historyDays;
    const SampleClock m_clock;

    std::vector<std::uint32_t> m_serviceTypeIds;
    std::vector<VehiclePlan> m_plans;
    std::uint32_t m_plannedServices = 0;
    std::optional<HeaderSource> m_tripHeaders;
    std::optional<HeaderSource> m_serviceHeaders;
    std::optional<HeaderSource> m_expenseHeaders;
};

} // namespace

void GenerateSample(TvDocument& document, const SampleOptions& options) {
    Generator(document, options).Run();
}
