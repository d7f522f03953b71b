#include "ImportField.h"

#include "ImportValues.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <initializer_list>
#include <utility>

namespace {

struct FieldName {
    ImportField field;
    const char* name;
};

constexpr std::array<FieldName, 23> kFieldNames = {{
    {ImportField::Ignore, "ignore"},
    {ImportField::Date, "date"},
    {ImportField::StartDate, "start"},
    {ImportField::EndDate, "end"},
    {ImportField::StartOdometer, "start-odometer"},
    {ImportField::EndOdometer, "end-odometer"},
    {ImportField::Odometer, "odometer"},
    {ImportField::Distance, "distance"},
    {ImportField::Destination, "destination"},
    {ImportField::Vendor, "vendor"},
    {ImportField::Description, "description"},
    {ImportField::Cost, "cost"},
    {ImportField::Volume, "volume"},
    {ImportField::PricePerUnit, "price"},
    {ImportField::Category, "category"},
    {ImportField::Vehicle, "vehicle"},
    {ImportField::Note, "note"},
    {ImportField::Completed, "completed"},
    {ImportField::ServiceType, "service-type"},
    {ImportField::Name, "name"},
    {ImportField::License, "license"},
    {ImportField::Vin, "vin"},
    {ImportField::Insurance, "insurance"},
}};

// What headers say for each field, tried in this order: the more precise
// wordings come before the words they contain ("start miles" before
// "start", "price per" before "price").
struct HeaderRule {
    ImportField field;
    std::initializer_list<const char*> phrases;
};

const HeaderRule kRules[] = {
    {ImportField::PricePerUnit,
     {"price per", "per gallon", "per liter", "per litre", "unit price", "price gal", "price l",
      "ppu", "price unit"}},
    {ImportField::StartOdometer,
     {"start miles", "start kilometers", "start kilometres", "start odometer", "start km",
      "start mileage", "start reading", "odometer start", "begin odometer", "starting odometer",
      "start odo", "odo start", "odometer from"}},
    {ImportField::EndOdometer,
     {"end miles", "end kilometers", "end kilometres", "end odometer", "end km", "end mileage",
      "end reading", "odometer end", "finish odometer", "ending odometer", "end odo", "odo end",
      "odometer to"}},
    {ImportField::StartDate,
     {"start time", "start date", "start", "departure", "departed", "begin", "from date",
      "started"}},
    {ImportField::EndDate,
     {"end time", "end date", "end", "arrival", "arrived", "finish", "to date", "ended"}},
    {ImportField::ServiceType,
     {"servicetype", "service type", "service", "maintenance", "work done", "type"}},
    {ImportField::Name, {"vehicle name", "name", "vehicle", "car", "nickname"}},
    {ImportField::Date, {"date", "time", "day", "when", "datetime"}},
    {ImportField::Distance,
     {"distance", "driven", "trip miles", "trip km", "trip kilometers", "trip length"}},
    {ImportField::Odometer,
     {"odometer", "odo", "mileage", "reading", "kilometers", "kilometres", "miles", "km", "mi"}},
    {ImportField::Destination,
     {"destination", "place", "to", "location", "route", "purpose", "where"}},
    {ImportField::Vendor,
     {"vender", "vendor", "station", "store", "merchant", "payee", "shop", "seller", "where"}},
    {ImportField::Description, {"description", "item", "details", "what"}},
    {ImportField::Volume,
     {"liters", "litres", "gallons", "volume", "quantity", "fuel", "litre", "liter", "gallon",
      "qty"}},
    {ImportField::Cost, {"cost", "total", "price", "amount", "paid", "spent", "sum", "charge"}},
    {ImportField::Category, {"category", "type", "class", "kind"}},
    {ImportField::Vehicle, {"vehicle", "car", "truck", "auto"}},
    {ImportField::Note, {"note", "notes", "comment", "comments", "memo", "remarks", "remark"}},
    {ImportField::Completed, {"completed", "complete", "done", "status"}},
    {ImportField::License, {"license", "licence", "plate", "registration", "tag", "license plate"}},
    {ImportField::Vin, {"vin", "chassis", "vehicle identification number"}},
    {ImportField::Insurance, {"insurance", "insurer", "policy"}},
};

// Small letters and digits, every other run of bytes one blank, with a blank
// at both ends so that a phrase is found as whole words.
std::string Words(std::string_view header) {
    std::string words = " ";
    for (const char c : header) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte))
            words.push_back(static_cast<char>(std::tolower(byte)));
        else if (words.back() != ' ')
            words.push_back(' ');
    }
    if (words.back() != ' ')
        words.push_back(' ');
    return words;
}

bool HasPhrase(const std::string& words, const char* phrase) {
    return words.find(' ' + std::string(phrase) + ' ') != std::string::npos;
}

} // namespace

std::optional<ImportLog> ImportLogNamed(std::string_view name) {
    if (name == "trips")
        return ImportLog::Trips;
    if (name == "expenses")
        return ImportLog::Expenses;
    if (name == "service")
        return ImportLog::Services;
    if (name == "vehicles")
        return ImportLog::Vehicles;
    return std::nullopt;
}

std::string RecordCountText(ImportLog log, std::size_t count) {
    const bool one = count == 1;
    const char* noun = "";
    switch (log) {
    case ImportLog::Trips:
        noun = one ? "trip" : "trips";
        break;
    case ImportLog::Expenses:
        noun = one ? "expense" : "expenses";
        break;
    case ImportLog::Services:
        noun = one ? "service entry" : "service entries";
        break;
    case ImportLog::Vehicles:
        noun = one ? "vehicle" : "vehicles";
        break;
    }
    return GroupedNumber(static_cast<long long>(count)) + " " + noun;
}

const char* ImportFieldName(ImportField field) {
    for (const FieldName& entry : kFieldNames)
        if (entry.field == field)
            return entry.name;
    return "ignore";
}

std::optional<ImportField> ImportFieldNamed(std::string_view name) {
    for (const FieldName& entry : kFieldNames)
        if (name == entry.name)
            return entry.field;
    return std::nullopt;
}

const std::vector<ImportField>& FieldsOfLog(ImportLog log) {
    using F = ImportField;
    static const std::vector<F> trips = {F::Ignore,        F::StartDate,   F::EndDate,  F::Date,
                                         F::StartOdometer, F::EndOdometer, F::Odometer, F::Distance,
                                         F::Destination,   F::Category,    F::Vehicle,  F::Note};
    static const std::vector<F> expenses = {F::Ignore,       F::Date,     F::Vendor, F::Description,
                                            F::Category,     F::Odometer, F::Cost,   F::Volume,
                                            F::PricePerUnit, F::Vehicle,  F::Note};
    static const std::vector<F> services = {F::Ignore,    F::Date,    F::Odometer, F::ServiceType,
                                            F::Completed, F::Vehicle, F::Note};
    static const std::vector<F> vehicles = {F::Ignore, F::Name,      F::License,
                                            F::Vin,    F::Insurance, F::Odometer};
    switch (log) {
    case ImportLog::Trips:
        return trips;
    case ImportLog::Expenses:
        return expenses;
    case ImportLog::Services:
        return services;
    case ImportLog::Vehicles:
        return vehicles;
    }
    return trips;
}

ImportField GuessField(ImportLog log, std::string_view header,
                       const std::vector<ImportField>& taken) {
    const std::string words = Words(header);
    const std::vector<ImportField>& fields = FieldsOfLog(log);
    for (const HeaderRule& rule : kRules) {
        if (std::find(fields.begin(), fields.end(), rule.field) == fields.end() ||
            std::find(taken.begin(), taken.end(), rule.field) != taken.end())
            continue;
        for (const char* phrase : rule.phrases)
            if (HasPhrase(words, phrase))
                return rule.field;
    }
    return ImportField::Ignore;
}

HeaderUnits UnitsOfHeader(std::string_view header) {
    const std::string words = Words(header);
    for (const char* metric :
         {"kilometers", "kilometres", "km", "liters", "litres", "litre", "liter", "l", "kms"})
        if (HasPhrase(words, metric))
            return HeaderUnits::Metric;
    for (const char* us : {"miles", "mi", "gallons", "gallon", "gal", "mpg"})
        if (HasPhrase(words, us))
            return HeaderUnits::Us;
    return HeaderUnits::None;
}
