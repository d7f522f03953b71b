#pragma once

#include "CategoryList.h"
#include "DelimitedReader.h"
#include "ImportCells.h"
#include "ImportField.h"
#include "ImportValues.h"
#include "Records.h"
#include "ReleasingQueue.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TvDocument;

// An import from the first look at a file to the records added, in the
// steps the import dialog shows: open the file (its first rows, the field
// each column is taken for, which the user may change), answer the date
// order when every date of the file reads either way, check every row
// against the data file (what would be added, what is bad and why, what
// duplicates a record of the log, which names would be created), then add
// every accepted row at once. Nothing changes before that last step.

struct ImportOptions {
    ImportLog log = ImportLog::Trips;
    DelimitedOptions text; // delimited text only
    std::string sheet;     // workbooks: the sheet's name; empty for the first
    std::optional<DateOrder> dateOrder;
    // The units of the file's distances and volumes (true: kilometres and
    // litres); none: what the headers say, else the data file's own units.
    std::optional<bool> sourceMetric;
    std::string vehicle;         // the vehicle of rows that name none (Windows-1252)
    bool createNames = false;    // unknown vehicles and service types are created
    bool keepDuplicates = false; // rows that duplicate a record are added anyway
};

struct RowVerdict {
    enum class Kind { Bad, Duplicate };
    std::size_t line = 0;
    Kind kind = Kind::Bad;
    std::string text; // "line 88: odometer -5 is below 0"
};

// Told how far the check has come; answers whether it may go on.
class ImportProgress {
public:
    virtual ~ImportProgress() = default;
    virtual bool Continue(std::uint64_t done, std::uint64_t total) = 0;
};

// A name of the file and what it stands for in the data file.
struct NameSlot {
    std::string name;
    std::optional<std::uint32_t> id; // the vehicle's, type's or category's; none: to be created
};

// What a check found. Apply adds its records; it holds no reference into the
// document, so a reload in between leaves nothing dangling (Apply then finds
// names by slot, not by pointer).
struct ImportCheck {
    std::size_t rows = 0; // the data rows read
    std::size_t bad = 0;
    std::size_t duplicates = 0;
    std::size_t keptDuplicates = 0;
    bool stopped = false; // the progress stopped it: nothing may be added
    // Bad rows and duplicates in file order; past kMostVerdicts only counted.
    static constexpr std::size_t kMostVerdicts = 100000;
    std::vector<RowVerdict> verdicts;
    // Names the file uses that the data file lacks: created by Apply.
    std::vector<std::string> newVehicles;
    std::vector<std::string> newServiceTypes;
    std::vector<std::string> newCategories;
    // Categories that did not fit the list of 16: their rows go to Unfiled.
    std::vector<std::string> unfiledCategories;

    // The records to add. Until Apply, a record's VehicleId, ServiceTypeId
    // and category hold the index of its slot below. Apply moves them into
    // the stores block by block, so that they are not held twice.
    ReleasingQueue<TripRecord> trips;
    ReleasingQueue<ExpenseRecord> expenses;
    ReleasingQueue<ServiceRecord> services;
    ReleasingQueue<VehicleRecord> vehicles;
    std::vector<NameSlot> vehicleSlots;
    std::vector<NameSlot> serviceTypeSlots;
    std::vector<NameSlot> categorySlots;

    std::size_t Accepted() const {
        return trips.size() + expenses.size() + services.size() + vehicles.size();
    }
};

class ImportSession {
public:
    static constexpr std::size_t kPreviewRows = 100;

    // Opens the file (delimited text, .xls or .xlsx, told by its first
    // bytes) and reads its first rows; raises MExceptImport when it cannot be
    // read.
    ImportSession(std::string path, ImportOptions options);

    const ImportOptions& Options() const { return m_options; }
    // The first rows of the file, the header row included when there is one.
    const std::vector<ImportRow>& Preview() const { return m_preview; }
    // Whether the first row names the columns (its texts name fields).
    bool HasHeaderRow() const { return m_hasHeader; }
    // The field each column fills, one per column of the widest preview row.
    const std::vector<ImportField>& Fields() const { return m_fields; }
    // The names of a workbook's sheets, in order; empty for a text file.
    const std::vector<std::string>& SheetNames() const { return m_sheetNames; }
    // Sets a column's field; a field another column had is taken from it.
    void SetField(std::size_t column, ImportField field);
    // The column a header names (case aside) or a 1-based column number
    // ("3") names; none for neither.
    std::optional<std::size_t> ColumnNamed(std::string_view name) const;
    // The delimited reader's findings (text files only).
    std::optional<char> Delimiter() const { return m_delimiter; }
    std::optional<TextEncoding> Encoding() const { return m_encoding; }

    // Whether the dates need the user's order: every date of the file reads
    // both as month/day and as day/month. Reads the whole file when the first
    // rows do not tell.
    bool NeedsDateOrder();
    // None takes the order back, so that NeedsDateOrder tells again.
    void SetDateOrder(std::optional<DateOrder> order) { m_options.dateOrder = order; }
    void SetSourceMetric(bool metric) { m_options.sourceMetric = metric; }
    void SetCreateNames(bool create) { m_options.createNames = create; }
    void SetKeepDuplicates(bool keep) { m_options.keepDuplicates = keep; }
    void SetDefaultVehicle(std::string name) { m_options.vehicle = std::move(name); }

    // Reads every row and checks it against the document, changing nothing.
    // Raises MExceptImport when the file cannot be read or the date order is
    // needed and not given.
    ImportCheck Check(const TvDocument& document, ImportProgress* progress);

private:
    std::unique_ptr<RowReader> OpenReader() const;
    void GuessFields();
    // The date order of the date columns, from the rows given; none when no
    // row tells.
    std::optional<DateOrder> DateOrderOfRows(RowReader* reader) const;

    std::string m_path;
    ImportOptions m_options;
    enum class Format { Text, Xls, Xlsx } m_format = Format::Text;
    std::vector<ImportRow> m_preview;
    std::vector<ImportField> m_fields;
    bool m_hasHeader = false;
    bool m_ownExport = false; // the header is one of this program's exports
    bool m_dateOrderScanned = false;
    std::optional<DateOrder> m_fileDateOrder;
    std::optional<char> m_delimiter;
    std::optional<TextEncoding> m_encoding;
    std::vector<std::string> m_sheetNames;
};

// Where the stores end and what else an import changes (the identifier
// counters, the category lists), taken before ApplyImport: the records from
// there to the end are the ones it added, and TakeBackImport restores this.
struct ImportMark {
    explicit ImportMark(const TvDocument& document);

    struct Store {
        std::size_t count = 0;
        std::uint32_t idCounter = 0;
    };
    Store vehicles, serviceTypes, services, trips, expenses;
    CategoryList tripCategories;
    CategoryList expenseCategories;
};

// Adds a check's records to the document at the end of their store, as
// records made on the desktop (Uid 0, the modified flag set), after the
// names it lists: new vehicles and service types, new categories. Nothing
// when the check was stopped. Returns the records added. The progress is
// told every few thousand records; when it answers stop, ApplyImport stops
// at once and sets check.stopped, leaving what it added: the caller takes it
// back with TakeBackImport (or the document was emptied meanwhile). The
// caller marks the document modified.
std::size_t ApplyImport(TvDocument& document, ImportCheck&& check,
                        ImportProgress* progress = nullptr);

// Takes away every record added since the mark and restores its counters
// and category lists: the document is as it was when the mark was taken.
void TakeBackImport(TvDocument& document, const ImportMark& mark);
