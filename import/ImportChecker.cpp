#include "ImportChecker.h"

#include "CategoryEditing.h"
#include "MExcept.h"
#include "MTime.h"
#include "TextOrder.h"
#include "TvDocument.h"

#include <charconv>
#include <cmath>

namespace {

constexpr double kKilometresPerMile = 1.609344;
constexpr double kLitresPerGallon = 3.785411784;
// The limits the dialogs set.
constexpr std::size_t kDestinationLength = 31;
constexpr std::size_t kExpenseTextLength = 31;
constexpr std::size_t kNoteLength = 255;
constexpr std::size_t kVehicleNameLength = 15;
constexpr std::size_t kLicenseLength = 15;
constexpr std::size_t kVinLength = 19;
constexpr std::size_t kInsuranceLength = 63;
constexpr std::size_t kServiceTypeNameLength = 19;
constexpr double kMaxVolume = 99999;
constexpr double kMaxStoredAmount = 2147483.647;
constexpr double kMinStoredAmount = -2147483.648;

std::string LinePrefix(std::size_t line) {
    return "line " + GroupedNumber(static_cast<long long>(line)) + ": ";
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...\"" : "\"");
}

std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

bool IsYes(std::string_view text, bool& yes) {
    std::string lower;
    for (const char c : text)
        if (c != ' ')
            lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    for (const char* word : {"completed", "complete", "yes", "y", "true", "1", "x", "done"})
        if (lower == word) {
            yes = true;
            return true;
        }
    for (const char* word : {"pastdue", "future", "no", "n", "false", "0", "open", ""})
        if (lower == word) {
            yes = false;
            return true;
        }
    return false;
}

} // namespace

bool ImportChecker::SameName(std::string_view a, std::string_view b) {
    return TextOrder::SameLetters(a, b);
}

std::uint64_t ImportChecker::MomentKey(const MTime& moment) {
    return static_cast<std::uint64_t>(moment.GetYear() + 1900) << 26 |
           static_cast<std::uint64_t>(moment.GetMonth() + 1) << 22 |
           static_cast<std::uint64_t>(moment.GetDay()) << 17 |
           static_cast<std::uint64_t>(moment.GetHour()) << 12 |
           static_cast<std::uint64_t>(moment.GetMinute()) << 6 |
           static_cast<std::uint64_t>(moment.GetSecond());
}

ImportChecker::ImportChecker(const TvDocument& document, const ImportOptions& options,
                             const std::vector<ImportField>& fields, DateOrder order, bool date1904)
    : m_options(options), m_log(options.log), m_order(order), m_date1904(date1904) {
    m_columns.fill(-1);
    for (std::size_t column = 0; column < fields.size(); ++column)
        if (fields[column] != ImportField::Ignore)
            m_columns[static_cast<std::size_t>(fields[column])] = static_cast<int>(column);

    const bool metric = document.Trips().UsesKilometres();
    if (options.sourceMetric && *options.sourceMetric != metric) {
        m_distanceFactor = metric ? kKilometresPerMile : 1 / kKilometresPerMile;
        m_volumeFactor = metric ? kLitresPerGallon : 1 / kLitresPerGallon;
    }

    for (const VehicleRecord& vehicle : document.Vehicles().Records())
        if (!vehicle.IsDeleted())
            m_vehicles.existing.emplace_back(std::string(vehicle.Name.View()), vehicle.VehicleId);
    for (const ServiceTypeRecord& type : document.ServiceTypes().Records())
        if (!type.IsDeleted())
            m_serviceTypes.existing.emplace_back(std::string(type.Name.View()), type.ServiceTypeId);
    const CategoryList* categories = m_log == ImportLog::Trips ? &document.Trips().Categories
                                     : m_log == ImportLog::Expenses
                                         ? &document.Expenses().Categories
                                         : nullptr;
    if (categories != nullptr) {
        for (const CategoryEntry& entry : categories->Items())
            if (!entry.IsDeleted())
                m_categories.existing.emplace_back(entry.Name, entry.Index());
        // Room left in the list of 16 (deleted entries still hold their index).
        int used = 0;
        bool unfiled = false;
        for (const CategoryEntry& entry : categories->Items()) {
            ++used;
            unfiled = unfiled || entry.Index() == 0;
        }
        m_freeCategories = std::max(0, CategoryList::kMaxEntries - used - (unfiled ? 0 : 1));
    }

    switch (m_log) {
    case ImportLog::Trips:
        for (const TripRecord& trip : document.Trips().Records())
            if (!trip.IsDeleted())
                m_keys.insert({trip.VehicleId, MomentKey(trip.Start), trip.StartOdometer, 0});
        break;
    case ImportLog::Expenses:
        for (const ExpenseRecord& expense : document.Expenses().Records())
            if (!expense.IsDeleted())
                m_keys.insert({expense.VehicleId, MomentKey(expense.Date), expense.Odometer,
                               static_cast<std::uint32_t>(expense.Cost)});
        break;
    case ImportLog::Services:
        for (const ServiceRecord& entry : document.Services().Records())
            if (!entry.IsDeleted())
                m_keys.insert(
                    {entry.VehicleId, MomentKey(entry.Date), entry.Odometer, entry.ServiceTypeId});
        break;
    case ImportLog::Vehicles:
        break;
    }
}

void ImportChecker::LearnNumberStyles(const std::vector<ImportRow>& rows, std::size_t from) {
    for (std::size_t i = from; i < rows.size(); ++i) {
        for (std::size_t column = 0; column < rows[i].size(); ++column) {
            if (rows[i][column].kind != ImportCell::Kind::Text)
                continue;
            if (const std::optional<char> decimal = DecimalSeparatorOf(rows[i][column].text)) {
                if (m_styles.size() <= column)
                    m_styles.resize(column + 1);
                m_styles[column].decimal = *decimal;
            }
        }
    }
}

const ImportCell* ImportChecker::Cell(const ImportRow& row, ImportField field) const {
    const int column = m_columns[static_cast<std::size_t>(field)];
    if (column < 0 || static_cast<std::size_t>(column) >= row.size() ||
        row[static_cast<std::size_t>(column)].kind == ImportCell::Kind::Empty)
        return nullptr;
    return &row[static_cast<std::size_t>(column)];
}

bool ImportChecker::Has(const ImportRow& row, ImportField field) const {
    return Cell(row, field) != nullptr;
}

std::string ImportChecker::Text(const ImportRow& row, ImportField field) const {
    const ImportCell* cell = Cell(row, field);
    if (cell == nullptr)
        return {};
    return cell->kind == ImportCell::Kind::Number ? NumberText(cell->number) : cell->text;
}

bool ImportChecker::FittingText(const ImportRow& row, ImportField field, std::size_t most,
                                const char* what, std::string& text) {
    text = Text(row, field);
    if (text.size() <= most)
        return true;
    Fail(std::string("the ") + what + " is longer than " + std::to_string(most) + " characters");
    return false;
}

bool ImportChecker::Number(const ImportRow& row, ImportField field, const char* what,
                           double& value) {
    const ImportCell* cell = Cell(row, field);
    if (cell == nullptr) {
        value = 0;
        return true;
    }
    if (cell->kind == ImportCell::Kind::Number) {
        value = cell->number;
    } else {
        const int column = m_columns[static_cast<std::size_t>(field)];
        const NumberStyle style = static_cast<std::size_t>(column) < m_styles.size()
                                      ? m_styles[static_cast<std::size_t>(column)]
                                      : NumberStyle();
        const std::optional<double> read = ReadNumber(cell->text, style);
        if (!read) {
            Fail(std::string("the ") + what + " " + Quoted(cell->text) + " is not a number");
            return false;
        }
        value = *read;
    }
    if (!std::isfinite(value)) {
        Fail(std::string("the ") + what + " is not a number");
        return false;
    }
    return true;
}

bool ImportChecker::Odometer(const ImportRow& row, ImportField field, const char* what,
                             bool distance, std::int32_t& value) {
    double number = 0;
    if (!Number(row, field, what, number))
        return false;
    number *= m_distanceFactor;
    const double rounded = std::round(number);
    if (rounded < 0 && !distance) {
        Fail(std::string(what) + " " + NumberText(number) + " is below 0");
        return false;
    }
    if (std::fabs(rounded) > kMaxOdometer) {
        Fail(std::string(what) + " " + NumberText(number) + " is above " +
             GroupedNumber(kMaxOdometer));
        return false;
    }
    value = static_cast<std::int32_t>(rounded);
    return true;
}

bool ImportChecker::Amount(double value, double least, double most, const char* what,
                           std::int32_t& stored) {
    if (value < least || value > most) {
        Fail(std::string("the ") + what + " " + NumberText(value) + " is out of range");
        return false;
    }
    // As the expense dialog keeps it: thousandths, rounded.
    stored = static_cast<std::int32_t>(std::llround(value * 1000));
    return true;
}

bool ImportChecker::Moment(const ImportRow& row, ImportField field, MTime& moment,
                           bool atMidnight) {
    const ImportCell* cell = Cell(row, field);
    if (cell == nullptr) {
        Fail("the row has no date");
        return false;
    }
    DateFields date;
    const DateVerdict verdict = cell->kind == ImportCell::Kind::Number
                                    ? ReadDateSerial(cell->number, m_date1904, date)
                                    : ReadDate(cell->text, m_order, date);
    const std::string shown =
        cell->kind == ImportCell::Kind::Number ? NumberText(cell->number) : cell->text;
    if (verdict == DateVerdict::NotADate) {
        Fail(Quoted(shown) + " is not a date");
        return false;
    }
    if (verdict == DateVerdict::NoSuchDay) {
        Fail("the date " + shown + " does not exist");
        return false;
    }
    if (atMidnight)
        date.hour = date.minute = date.second = 0;
    try {
        moment = MTime(date.year, date.month, date.day, date.hour, date.minute, date.second, -1);
    } catch (const MExcept&) {
        Fail("the date " + shown + " is outside the years 1970 to 2037");
        return false;
    }
    return true;
}

std::size_t ImportChecker::Slot(Names& names, std::vector<NameSlot>& slots, const std::string& text,
                                bool& known) {
    const auto found = names.byText.find(text);
    if (found != names.byText.end()) {
        known = slots[found->second].id.has_value();
        return found->second;
    }
    NameSlot slot;
    slot.name = text;
    for (const auto& [name, id] : names.existing)
        if (SameName(name, text)) {
            slot.id = id;
            break;
        }
    // Two spellings of one new name share a slot.
    if (!slot.id) {
        for (std::size_t i = 0; i < slots.size(); ++i)
            if (!slots[i].id && SameName(slots[i].name, text)) {
                names.byText.emplace(text, i);
                known = false;
                return i;
            }
    }
    known = slot.id.has_value();
    slots.push_back(std::move(slot));
    names.byText.emplace(text, slots.size() - 1);
    return slots.size() - 1;
}

bool ImportChecker::VehicleSlot(const ImportRow& row, ImportCheck& check, std::uint32_t& slot) {
    std::string name = Text(row, ImportField::Vehicle);
    if (name.empty())
        name = m_options.vehicle;
    if (name.empty()) {
        Fail("the row names no vehicle");
        return false;
    }
    if (name.size() > kVehicleNameLength) {
        Fail("the vehicle name " + Quoted(name) + " is longer than 15 characters");
        return false;
    }
    bool known = false;
    slot = static_cast<std::uint32_t>(Slot(m_vehicles, check.vehicleSlots, name, known));
    if (!known && !m_options.createNames) {
        Fail("there is no vehicle named " + Quoted(name));
        return false;
    }
    return true;
}

std::uint32_t ImportChecker::CategorySlot(const std::string& name, ImportCheck& check) {
    const std::string fitted = FitCategoryName(name.empty() ? std::string(kUnfiledName) : name);
    bool known = false;
    const std::size_t before = check.categorySlots.size();
    const std::size_t slot = Slot(m_categories, check.categorySlots, fitted, known);
    // A new name takes a free place while there is one; past that, it stands
    // for Unfiled.
    if (!known && check.categorySlots.size() > before) {
        if (m_freeCategories > 0) {
            --m_freeCategories;
        } else {
            check.categorySlots[slot].id = 0;
            check.unfiledCategories.push_back(fitted);
        }
    }
    return static_cast<std::uint32_t>(slot);
}

void ImportChecker::CheckRow(const ImportRow& row, std::size_t line, ImportCheck& check) {
    ++check.rows;
    m_error.clear();
    const std::size_t duplicatesBefore = check.duplicates;
    bool added = false;
    switch (m_log) {
    case ImportLog::Trips:
        added = CheckTrip(row, check);
        break;
    case ImportLog::Expenses:
        added = CheckExpense(row, check);
        break;
    case ImportLog::Services:
        added = CheckService(row, check);
        break;
    case ImportLog::Vehicles:
        added = CheckVehicle(row, check);
        break;
    }
    const bool duplicate = check.duplicates != duplicatesBefore;
    if (!added && !duplicate)
        ++check.bad;
    if ((!added || duplicate) && check.verdicts.size() < ImportCheck::kMostVerdicts) {
        RowVerdict verdict;
        verdict.line = line;
        verdict.kind = duplicate ? RowVerdict::Kind::Duplicate : RowVerdict::Kind::Bad;
        verdict.text = LinePrefix(line) + (duplicate ? (added ? "duplicates a record of the log "
                                                                "(kept)"
                                                              : "duplicates a record of the log")
                                                     : m_error);
        check.verdicts.push_back(std::move(verdict));
    }
}

// Whether a record with that key may go in: not a duplicate, or one kept.
#define TV_DUPLICATE_CHECK(key)                                                                    \
    if (check.vehicleSlots[vehicle].id && Duplicate(key)) {                                        \
        ++check.duplicates;                                                                        \
        if (!m_options.keepDuplicates)                                                             \
            return false;                                                                          \
        ++check.keptDuplicates;                                                                    \
    }

bool ImportChecker::CheckTrip(const ImportRow& row, ImportCheck& check) {
    TripRecord trip{MTime(std::int64_t{0})};
    const ImportField startField =
        Has(row, ImportField::StartDate) ? ImportField::StartDate : ImportField::Date;
    if (!Moment(row, startField, trip.Start))
        return false;
    trip.End = trip.Start;
    if (Has(row, ImportField::EndDate) && !Moment(row, ImportField::EndDate, trip.End))
        return false;

    const bool hasStart = Has(row, ImportField::StartOdometer);
    const bool hasEnd = Has(row, ImportField::EndOdometer) || Has(row, ImportField::Odometer);
    const bool hasDistance = Has(row, ImportField::Distance);
    const ImportField endField =
        Has(row, ImportField::EndOdometer) ? ImportField::EndOdometer : ImportField::Odometer;
    std::int32_t start = 0, end = 0, distance = 0;
    if (!Odometer(row, ImportField::StartOdometer, "start odometer", false, start) ||
        !Odometer(row, endField, "end odometer", false, end) ||
        !Odometer(row, ImportField::Distance, "distance", true, distance))
        return false;
    if (!hasStart && !hasEnd) {
        Fail("the row has no odometer reading");
        return false;
    }
    // The text export shows a reversed trip's distance as 0.
    const bool reversedAsZero = distance == 0 && end < start;
    if (hasStart && hasEnd && hasDistance && !reversedAsZero &&
        std::llabs(static_cast<long long>(end) - start - distance) > 1) {
        Fail("the distance " + std::to_string(distance) + " does not match the odometers " +
             std::to_string(start) + " and " + std::to_string(end));
        return false;
    }
    if (!hasEnd)
        end = hasDistance ? start + distance : start;
    if (!hasStart)
        start = hasDistance ? end - distance : end;
    for (const std::int32_t reading : {start, end}) {
        if (reading < 0 || reading > kMaxOdometer) {
            Fail("odometer " + std::to_string(reading) +
                 (reading < 0 ? " is below 0" : " is above 9,999,999"));
            return false;
        }
    }
    trip.StartOdometer = start;
    trip.EndOdometer = end;

    std::string text;
    if (!FittingText(row, ImportField::Destination, kDestinationLength, "destination", text))
        return false;
    trip.Destination.Set(text);
    std::string note;
    if (!FittingText(row, ImportField::Note, kNoteLength, "note", note))
        return false;
    trip.Note = note;
    std::uint32_t vehicle = 0;
    if (!VehicleSlot(row, check, vehicle))
        return false;
    trip.VehicleId = vehicle;
    if (check.vehicleSlots[vehicle].id)
        TV_DUPLICATE_CHECK(
            (Key{*check.vehicleSlots[vehicle].id, MomentKey(trip.Start), trip.StartOdometer, 0}));
    trip.Category = CategorySlot(Text(row, ImportField::Category), check);
    trip.Flags = RecordFlags::Modified;
    check.trips.push_back(std::move(trip));
    return true;
}

bool ImportChecker::CheckExpense(const ImportRow& row, ImportCheck& check) {
    ExpenseRecord expense{MTime(std::int64_t{0})};
    if (!Moment(row, ImportField::Date, expense.Date))
        return false;
    std::string text;
    if (!FittingText(row, ImportField::Vendor, kExpenseTextLength, "vendor", text))
        return false;
    expense.Vendor.Set(text);
    if (!FittingText(row, ImportField::Description, kExpenseTextLength, "description", text))
        return false;
    expense.Description.Set(text);
    std::string note;
    if (!FittingText(row, ImportField::Note, kNoteLength, "note", note))
        return false;
    expense.Note = note;
    if (!Odometer(row, ImportField::Odometer, "odometer", false, expense.Odometer))
        return false;
    double volume = 0, price = 0, cost = 0;
    if (!Number(row, ImportField::Volume, "volume", volume) ||
        !Number(row, ImportField::PricePerUnit, "price per unit", price) ||
        !Number(row, ImportField::Cost, "cost", cost))
        return false;
    volume *= m_volumeFactor;
    if (!Has(row, ImportField::Cost))
        cost = volume / m_volumeFactor * price;
    if (!Amount(volume, 0, kMaxVolume, "volume", expense.Volume) ||
        !Amount(cost, kMinStoredAmount, kMaxStoredAmount, "cost", expense.Cost))
        return false;
    if (expense.Volume > 0)
        expense.ExpenseFlags |= ExpenseFlagBits::FuelPurchase;
    std::uint32_t vehicle = 0;
    if (!VehicleSlot(row, check, vehicle))
        return false;
    expense.VehicleId = vehicle;
    if (check.vehicleSlots[vehicle].id)
        TV_DUPLICATE_CHECK((Key{*check.vehicleSlots[vehicle].id, MomentKey(expense.Date),
                                expense.Odometer, static_cast<std::uint32_t>(expense.Cost)}));
    expense.Category = CategorySlot(Text(row, ImportField::Category), check);
    expense.Flags = RecordFlags::Modified;
    check.expenses.push_back(std::move(expense));
    return true;
}

bool ImportChecker::CheckService(const ImportRow& row, ImportCheck& check) {
    ServiceRecord entry{MTime(std::int64_t{0})};
    // Service entries are kept at midnight, as the dialog keeps them.
    if (!Moment(row, ImportField::Date, entry.Date, true))
        return false;
    if (!Odometer(row, ImportField::Odometer, "odometer", false, entry.Odometer))
        return false;
    std::string note;
    if (!FittingText(row, ImportField::Note, kNoteLength, "note", note))
        return false;
    entry.Note = note;
    const ImportCell* completed = Cell(row, ImportField::Completed);
    bool yes = false;
    if (completed != nullptr && !IsYes(Text(row, ImportField::Completed), yes)) {
        Fail(Quoted(Text(row, ImportField::Completed)) + " is neither yes nor no");
        return false;
    }
    if (yes)
        entry.ServiceFlags |= ServiceFlagBits::Completed;
    std::string type;
    if (!FittingText(row, ImportField::ServiceType, kServiceTypeNameLength, "service type", type))
        return false;
    if (type.empty()) {
        Fail("the row names no service type");
        return false;
    }
    bool known = false;
    const std::size_t typeSlot = Slot(m_serviceTypes, check.serviceTypeSlots, type, known);
    if (!known && !m_options.createNames) {
        Fail("there is no service type named " + Quoted(type));
        return false;
    }
    entry.ServiceTypeId = static_cast<std::uint32_t>(typeSlot);
    std::uint32_t vehicle = 0;
    if (!VehicleSlot(row, check, vehicle))
        return false;
    entry.VehicleId = vehicle;
    if (check.vehicleSlots[vehicle].id && check.serviceTypeSlots[typeSlot].id)
        TV_DUPLICATE_CHECK((Key{*check.vehicleSlots[vehicle].id, MomentKey(entry.Date),
                                entry.Odometer, *check.serviceTypeSlots[typeSlot].id}));
    entry.Flags = RecordFlags::Modified;
    check.services.push_back(std::move(entry));
    return true;
}

#undef TV_DUPLICATE_CHECK

bool ImportChecker::CheckVehicle(const ImportRow& row, ImportCheck& check) {
    VehicleRecord vehicle;
    std::string text;
    if (!FittingText(row, ImportField::Name, kVehicleNameLength, "name", text))
        return false;
    if (text.empty()) {
        Fail("the row has no vehicle name");
        return false;
    }
    vehicle.Name.Set(text);
    if (!FittingText(row, ImportField::License, kLicenseLength, "license", text))
        return false;
    vehicle.License.Set(text);
    if (!FittingText(row, ImportField::Vin, kVinLength, "VIN", text))
        return false;
    vehicle.Vin.Set(text);
    if (!FittingText(row, ImportField::Insurance, kInsuranceLength, "insurance", text))
        return false;
    vehicle.Insurance.Set(text);
    if (!Odometer(row, ImportField::Odometer, "odometer", false, vehicle.Odometer))
        return false;
    bool known = false;
    Slot(m_vehicles, check.vehicleSlots, std::string(vehicle.Name.View()), known);
    if (known) {
        ++check.duplicates;
        if (!m_options.keepDuplicates)
            return false;
        ++check.keptDuplicates;
    }
    vehicle.Flags = RecordFlags::Modified;
    check.vehicles.push_back(vehicle);
    return true;
}

void ImportChecker::Finish(ImportCheck& check) const {
    const auto collect = [](const std::vector<NameSlot>& slots, std::vector<std::string>& names) {
        for (const NameSlot& slot : slots)
            if (!slot.id)
                names.push_back(slot.name);
    };
    if (m_log != ImportLog::Vehicles)
        collect(check.vehicleSlots, check.newVehicles);
    collect(check.serviceTypeSlots, check.newServiceTypes);
    collect(check.categorySlots, check.newCategories);
}
