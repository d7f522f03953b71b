#pragma once

#include "ImportSession.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class MTime;

// Turns the rows of a file into records of the log, row by row: reads each
// field's cell, checks it against the limits of the log's dialog, finds the
// names it uses and whether it duplicates a live record of the log. Keeps
// nothing of the document but names, identifiers and duplicate keys.
class ImportChecker {
public:
    ImportChecker(const TvDocument& document, const ImportOptions& options,
                  const std::vector<ImportField>& fields, DateOrder order, bool date1904);

    // Which decimal separator each column uses, from the rows after `from`.
    void LearnNumberStyles(const std::vector<ImportRow>& rows, std::size_t from);
    // Adds the row's record to check, or its verdict.
    void CheckRow(const ImportRow& row, std::size_t line, ImportCheck& check);
    // Lists the names to create and the categories that go to Unfiled.
    void Finish(ImportCheck& check) const;

    // Names match with letter case and accents set aside.
    static bool SameName(std::string_view a, std::string_view b);

private:
    static constexpr std::size_t kFieldCount = static_cast<std::size_t>(ImportField::Insurance) + 1;

    struct Key {
        std::uint32_t vehicle;
        std::uint64_t moment;
        std::int32_t odometer;
        std::uint32_t extra;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const {
            std::uint64_t h = key.moment * 0x9E3779B97F4A7C15ull;
            h ^= (static_cast<std::uint64_t>(key.vehicle) << 32 |
                  static_cast<std::uint32_t>(key.odometer)) +
                 0x7F4A7C15 + (h << 6) + (h >> 2);
            h ^= key.extra + (h << 6) + (h >> 2);
            return static_cast<std::size_t>(h);
        }
    };
    // One slot list with its lookup by name as written in the file.
    struct Names {
        std::vector<std::pair<std::string, std::uint32_t>> existing; // live names and ids
        std::unordered_map<std::string, std::size_t> byText;         // text -> slot
    };

    bool CheckTrip(const ImportRow& row, ImportCheck& check);
    bool CheckExpense(const ImportRow& row, ImportCheck& check);
    bool CheckService(const ImportRow& row, ImportCheck& check);
    bool CheckVehicle(const ImportRow& row, ImportCheck& check);

    const ImportCell* Cell(const ImportRow& row, ImportField field) const;
    bool Has(const ImportRow& row, ImportField field) const;
    // The cell as text: a number as its shortest decimal form.
    std::string Text(const ImportRow& row, ImportField field) const;
    bool FittingText(const ImportRow& row, ImportField field, std::size_t most, const char* what,
                     std::string& text);
    bool Number(const ImportRow& row, ImportField field, const char* what, double& value);
    bool Odometer(const ImportRow& row, ImportField field, const char* what, bool distance,
                  std::int32_t& value);
    bool Amount(double value, double least, double most, const char* what, std::int32_t& stored);
    bool Moment(const ImportRow& row, ImportField field, MTime& moment, bool atMidnight = false);
    bool VehicleSlot(const ImportRow& row, ImportCheck& check, std::uint32_t& slot);
    std::size_t Slot(Names& names, std::vector<NameSlot>& slots, const std::string& text,
                     bool& known);
    std::uint32_t CategorySlot(const std::string& name, ImportCheck& check);
    bool Duplicate(const Key& key) const { return m_keys.count(key) != 0; }
    static std::uint64_t MomentKey(const MTime& moment);
    void Fail(std::string why) { m_error = std::move(why); }

    ImportOptions m_options;
    ImportLog m_log;
    DateOrder m_order;
    bool m_date1904;
    double m_distanceFactor = 1; // source units to the data file's
    double m_volumeFactor = 1;
    std::array<int, kFieldCount> m_columns;
    std::vector<NumberStyle> m_styles;
    Names m_vehicles;
    Names m_serviceTypes;
    Names m_categories;
    int m_freeCategories = 0;
    std::unordered_set<Key, KeyHash> m_keys;
    // The data file's ids of the slots, for duplicate keys of existing names.
    std::string m_error;
};
