#pragma once

#include "ExpenseRows.h"
#include "ServiceRows.h"
#include "TripRows.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CategoryList;
class TvDocument;

// What the text and the Excel exports share: which log, what its file is
// called, which records go out and how their texts are cleaned.

enum class ExportLog { Trips, Services, Expenses };

// The log tvtool names "trips", "services" or "expenses"; none for any other
// name.
std::optional<ExportLog> ExportLogNamed(std::string_view name);

// "TripData", "ServiceData" or "ExpenseData": the name the save dialogs propose.
const char* ExportFileBaseName(ExportLog log);
// "There are no trips to export." and its service and expense forms.
const char* NoRecordsMessage(ExportLog log);
// Whether the log's store holds no record at all, deleted ones included: the
// text exports then write no file. A store whose records are all deleted or
// filtered out still gives a file with the header line.
bool ExportStoreIsEmpty(const TvDocument& document, ExportLog log);

// The column titles of both exports of a log; the distance and volume titles
// follow the kilometres bit of the trip store.
std::vector<std::string_view> ExportColumnTitles(ExportLog log, bool metric);

// The records an export writes, in store order: the live ones that pass the
// filter the filter pane left in the document. It is the list's filter, but a
// log without a chosen category entry lets every category through; without a
// vehicle nothing passes, so the file holds its header only.
TripFilter TripExportFilter(const TvDocument& document);
ExpenseFilter ExpenseExportFilter(const TvDocument& document);
std::vector<TripRecord*> TripExportRows(TvDocument& document);
std::vector<ServiceRecord*> ServiceExportRows(TvDocument& document);
std::vector<ExpenseRecord*> ExpenseExportRows(TvDocument& document);

// The names of one category list, looked up once per export. Deleted
// entries keep their names; an index that no entry has reads "Unknown".
class CategoryNames {
public:
    explicit CategoryNames(const CategoryList& list);
    std::string_view NameOf(std::uint32_t index) const;

private:
    std::vector<std::pair<std::uint32_t, std::string>> m_names;
};

// The longest text a field of either export holds.
constexpr std::size_t kMaxExportedText = 255;

// Copies text cut to kMaxExportedText characters to out, each carriage
// return, line feed and `also` (the text export's delimiter, or '\r' for
// none) turned into a space; returns the end of the copy.
char* CopyCleanText(char* out, std::string_view text, char also);
// The same as a string of its own.
std::string CleanText(std::string_view text, char also);

// Told how far a long export has come; answers whether it may go on.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    // done of total records are dealt with (the rows of a workbook, the
    // records of the store for a text file). False stops the export, and
    // the file is not kept.
    virtual bool Continue(std::size_t done, std::size_t total) = 0;
};

enum class ExportOutcome { Written, Stopped };

// Asks the progress (when there is one) every kStep rows.
class ProgressTicker {
public:
    static constexpr std::size_t kStep = 1024;

    ProgressTicker(ExportProgress* progress, std::size_t total)
        : m_progress(progress), m_total(total) {}

    // Before row `done` (0-based) is written: whether to go on.
    bool Continue(std::size_t done) const {
        return m_progress == nullptr || done % kStep != 0 || m_progress->Continue(done, m_total);
    }
    // After the last row.
    bool Finish() const { return m_progress == nullptr || m_progress->Continue(m_total, m_total); }

private:
    ExportProgress* m_progress;
    std::size_t m_total;
};
