#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The logs a file can be imported into, and the fields its columns can fill.

enum class ImportLog { Trips, Expenses, Services, Vehicles };

// "trips", "expenses", "service" or "vehicles"; none for any other name.
std::optional<ImportLog> ImportLogNamed(std::string_view name);
// "trip", "expense", "service entry", "vehicle" and their plurals, for the
// summary.
std::string RecordCountText(ImportLog log, std::size_t count);

enum class ImportField {
    Ignore,
    Date,      // the date of an expense or service entry, or a trip's start
    StartDate, // a trip's start (its end too when there is no end column)
    EndDate,
    StartOdometer,
    EndOdometer,
    Odometer, // an expense's, service entry's or vehicle's reading; a trip's end
    Distance,
    Destination,
    Vendor,
    Description,
    Cost,
    Volume,
    PricePerUnit,
    Category,
    Vehicle,
    Note,
    Completed, // yes/no, or the service export's status
    ServiceType,
    Name, // a vehicle's
    License,
    Vin,
    Insurance,
};

// The name --map takes ("date", "start-odometer", "service-type", ...).
const char* ImportFieldName(ImportField field);
std::optional<ImportField> ImportFieldNamed(std::string_view name);
// The fields a log takes, Ignore first.
const std::vector<ImportField>& FieldsOfLog(ImportLog log);

// What a header says about units: none, or the metric (kilometres, litres)
// or the US ones (miles, gallons).
enum class HeaderUnits { None, Metric, Us };

// The field a column's header names for the log, Ignore when it names none
// (or only a field that an earlier column took: taken lists those).
ImportField GuessField(ImportLog log, std::string_view header,
                       const std::vector<ImportField>& taken);
HeaderUnits UnitsOfHeader(std::string_view header);
