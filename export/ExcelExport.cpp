#include "ExcelExport.h"

#include "AtomicFileWriter.h"
#include "ByteSink.h"
#include "Clock.h"
#include "MFile.h"
#include "TvDocument.h"
#include "WorkbookFormats.h"
#include "WorkbookWriter.h"
#include "XlsxWriter.h"

#include <string>

std::size_t MaxSheetRows(WorkbookFormat format) {
    return format == WorkbookFormat::Excel5 ? WorkbookWriter::kMaxRows : XlsxSheetWriter::kMaxRows;
}

namespace {

// 16384 as "16,384".
std::string GroupedDigits(std::size_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

} // namespace

MExceptTooManyRows::MExceptTooManyRows(WorkbookFormat format, std::size_t rows) {
    const std::string needed = "This export needs " + GroupedDigits(rows) + " rows, but ";
    const std::string excel5 = GroupedDigits(MaxSheetRows(WorkbookFormat::Excel5));
    const std::string xlsx = GroupedDigits(MaxSheetRows(WorkbookFormat::Xlsx));
    if (format == WorkbookFormat::Excel5)
        m_text = needed + "an Excel 5.0 workbook holds at most " + excel5 +
                 " rows, the header row included. Nothing was written. Export the log to a "
                 "text file, or save it as an Excel Workbook (*.xlsx), which holds " +
                 xlsx + " rows.";
    else
        m_text = needed + "an Excel workbook holds at most " + xlsx +
                 " rows, the header row included. Nothing was written. Export the log to a "
                 "text file, which has no such limit.";
}

ExcelSheet::ExcelSheet(TvDocument& document, ExportLog log) : m_document(document), m_log(log) {
    switch (log) {
    case ExportLog::Trips:
        m_trips = TripExportRows(document);
        break;
    case ExportLog::Services:
        m_services = ServiceExportRows(document);
        break;
    case ExportLog::Expenses:
        m_expenses = ExpenseExportRows(document);
        break;
    }
}

std::size_t ExcelSheet::RowCount() const {
    return 1 + m_trips.size() + m_services.size() + m_expenses.size();
}

namespace {

// Writes the cells of one row after another, column by column.
class RowWriter {
public:
    RowWriter(SheetWriter& sheet, std::uint32_t row) : m_sheet(sheet), m_row(row) {}

    void Label(std::string_view text) { m_sheet.WriteLabel(text, m_row, m_column++, false); }
    // A text of a record: line breaks become spaces.
    void RecordText(std::string_view text) { Label(CleanText(text, '\r')); }
    void Number(double value) { m_sheet.WriteNumber(value, m_row, m_column++, false); }
    void DateTime(const MTime& date, bool atMidnight) {
        m_sheet.WriteDateTime(m_row, m_column++, date.GetYear() + 1900, date.GetMonth() + 1,
                              date.GetDay(), atMidnight ? 0 : date.GetHour(),
                              atMidnight ? 0 : date.GetMinute());
    }

private:
    SheetWriter& m_sheet;
    std::uint32_t m_row;
    std::uint16_t m_column = 0;
};

template <typename Record, typename WriteRow>
bool WriteRows(SheetWriter& sheet, const std::vector<Record*>& rows, ExportProgress* progress,
               WriteRow writeRow) {
    const ProgressTicker ticker(progress, rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!ticker.Continue(i))
            return false;
        RowWriter row(sheet, static_cast<std::uint32_t>(i + 1));
        writeRow(row, *rows[i]);
    }
    return ticker.Finish();
}

} // namespace

bool ExcelSheet::Write(SheetWriter& sheet, ExportProgress* progress) const {
    std::uint16_t column = 0;
    for (const std::string_view title :
         ExportColumnTitles(m_log, m_document.Trips().UsesKilometres()))
        sheet.WriteLabel(title, 0, column++, true);

    switch (m_log) {
    case ExportLog::Trips: {
        const CategoryNames categories(m_document.Trips().Categories);
        return WriteRows(sheet, m_trips, progress, [&](RowWriter& row, const TripRecord& trip) {
            row.DateTime(trip.Start, false);
            row.DateTime(trip.End, false);
            row.RecordText(trip.Destination.View());
            row.Label(categories.NameOf(trip.Category));
            row.Number(trip.StartOdometer);
            row.Number(trip.EndOdometer);
            row.Number(static_cast<double>(static_cast<std::int64_t>(trip.EndOdometer) -
                                           trip.StartOdometer));
            row.RecordText(trip.Note);
        });
    }
    case ExportLog::Services: {
        const ServiceRowContext context(m_document);
        return WriteRows(sheet, m_services, progress,
                         [&](RowWriter& row, const ServiceRecord& entry) {
                             row.DateTime(entry.Date, true);
                             row.Number(entry.Odometer);
                             row.RecordText(context.TypeText(entry));
                             row.RecordText(ServiceStatusText(context.StatusOf(entry)));
                             row.RecordText(entry.Note);
                         });
    }
    case ExportLog::Expenses: {
        const CategoryNames categories(m_document.Expenses().Categories);
        return WriteRows(sheet, m_expenses, progress,
                         [&](RowWriter& row, const ExpenseRecord& expense) {
                             row.DateTime(expense.Date, true);
                             row.RecordText(expense.Vendor.View());
                             row.RecordText(expense.Description.View());
                             row.Label(categories.NameOf(expense.Category));
                             row.Number(expense.Odometer);
                             row.Number(ToShownAmount(expense.Cost));
                             row.Number(ToShownAmount(expense.Volume));
                             row.RecordText(expense.Note);
                         });
    }
    }
    return false;
}

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

ExportOutcome ExportWorkbookFile(TvDocument& document, ExportLog log, WorkbookFormat format,
                                 const std::string& path, ExportProgress* progress) {
    const ExcelSheet sheet(document, log);
    if (sheet.RowCount() > MaxSheetRows(format))
        throw MExceptTooManyRows(format, sheet.RowCount());

    AtomicFileWriter writer(path, AtomicFileWriter::Durability::WhenReplacing);
    if (format == WorkbookFormat::Excel5) {
        const std::unique_ptr<WorkbookContainer> container = OpenWorkbookContainer("Book");
        WorkbookWriter workbook;
        workbook.Open(container->Stream());
        if (!sheet.Write(workbook, progress))
            return ExportOutcome::Stopped;
        workbook.Close();
        container->WriteTo(writer.File());
    } else {
        // libxlsxwriter writes the workbook by name: over the writer's
        // temporary, with its own temporaries in the same folder.
        const std::unique_ptr<XlsxWorkbook> workbook = OpenXlsxWorkbook(
            writer.TemporaryPath(), static_cast<std::time_t>(Clock::Now().AsSeconds()),
            FolderOf(writer.TemporaryPath()));
        if (!sheet.Write(*workbook, progress))
            return ExportOutcome::Stopped;
        workbook->Close();
    }
    writer.Commit();
    return ExportOutcome::Written;
}
