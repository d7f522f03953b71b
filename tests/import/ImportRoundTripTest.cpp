#include "ExcelExport.h"
#include "ImportFiles.h"
#include "ImportSession.h"
#include "SampleGenerator.h"
#include "TextExport.h"
#include "TvDocument.h"
#include "XlsxReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<ImportRow> XlsxRows(const std::string& path) {
    XlsxReader reader(path, "");
    std::vector<ImportRow> rows;
    ImportRow row;
    while (reader.Next(row))
        rows.push_back(row);
    return rows;
}

bool SameRows(const std::vector<ImportRow>& a, const std::vector<ImportRow>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size())
            return false;
        for (std::size_t j = 0; j < a[i].size(); ++j)
            if (a[i][j].kind != b[i][j].kind || a[i][j].text != b[i][j].text ||
                a[i][j].number != b[i][j].number)
                return false;
    }
    return true;
}

void SelectFirstVehicle(TvDocument& document) {
    document.SelectedVehicle = &*document.Vehicles().Records().begin();
    document.TripLogFilter = &document.AllCategoriesEntry;
    document.ExpenseLogFilter = &document.AllCategoriesEntry;
    document.DisplayAllDates = 1;
}

// The document with the log's records marked deleted: what the import finds
// again in the export must go in as new records, not as duplicates.
void DeleteLog(TvDocument& document, ExportLog log) {
    const auto mark = [](auto& store) {
        for (auto& record : store.Records())
            record.MarkDeleted();
    };
    if (log == ExportLog::Trips)
        mark(document.Trips());
    else if (log == ExportLog::Services)
        mark(document.Services());
    else
        mark(document.Expenses());
}

ImportLog ImportLogOf(ExportLog log) {
    return log == ExportLog::Trips      ? ImportLog::Trips
           : log == ExportLog::Services ? ImportLog::Services
                                        : ImportLog::Expenses;
}

struct ExportKind {
    const char* name;
    std::optional<TextExportSettings> text; // none: a workbook
    WorkbookFormat workbook = WorkbookFormat::Excel5;
};

} // namespace

// Every export of every log, over generated data in both units, imported
// into the same data file without the log's records and exported again,
// gives the same file (the .xlsx workbook, which names the time it was
// written: the same cells).
TEST(ImportRoundTrip, EachExportReadsBackToTheSameFile) {
    const ExportKind kinds[] = {
        {"comma", TextExportSettings{',', 0}},        {"semicolon", TextExportSettings{';', 0}},
        {"tab", TextExportSettings{'\t', 0}},         {"colon", TextExportSettings{':', 0}},
        {"date only", TextExportSettings{',', 1}},    {"xls", std::nullopt, WorkbookFormat::Excel5},
        {"xlsx", std::nullopt, WorkbookFormat::Xlsx},
    };
    ImportFolder folder;
    for (const bool metric : {false, true}) {
        for (const ExportLog log : {ExportLog::Trips, ExportLog::Services, ExportLog::Expenses}) {
            for (const ExportKind& kind : kinds) {
                SCOPED_TRACE(std::string(kind.name) + (metric ? " metric " : " ") +
                             std::to_string(static_cast<int>(log)));
                TvDocument document;
                GenerateSample(document, {3, 300, 60, 200, metric ? 7u : 3u, metric});
                SelectFirstVehicle(document);
                const bool xlsx = !kind.text && kind.workbook == WorkbookFormat::Xlsx;
                const std::string first = folder.File(xlsx ? "first.xlsx" : "first");
                const std::string second = folder.File(xlsx ? "second.xlsx" : "second");
                const auto exportTo = [&](const std::string& path) {
                    if (kind.text)
                        ExportTextFile(document, log, *kind.text, path, nullptr);
                    else
                        ExportWorkbookFile(document, log, kind.workbook, path, nullptr);
                };
                exportTo(first);
                DeleteLog(document, log);

                ImportOptions options;
                options.log = ImportLogOf(log);
                options.vehicle = std::string(document.SelectedVehicle->Name.View());
                ImportSession session(first, options);
                ImportCheck check = session.Check(document, nullptr);
                for (const RowVerdict& verdict : check.verdicts)
                    ADD_FAILURE() << verdict.text;
                EXPECT_GT(check.Accepted(), 0u);
                ApplyImport(document, std::move(check));
                exportTo(second);
                if (xlsx)
                    EXPECT_TRUE(SameRows(XlsxRows(first), XlsxRows(second)));
                else
                    EXPECT_EQ(ReadAll(first), ReadAll(second));
            }
        }
    }
}
