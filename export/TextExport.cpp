#include "TextExport.h"

#include "AtomicFileWriter.h"
#include "BackgroundSink.h"
#include "ByteSink.h"
#include "ExpenseRows.h"
#include "TvDocument.h"

#include <charconv>
#include <cstdio>
#include <memory>

namespace {

// Lines are gathered and handed to the sink in blocks of about this size.
constexpr std::size_t kBlockSize = 64 * 1024;
// More than any line takes: its texts hold at most 255 characters each, its
// numbers eleven, its dates (five 16-bit fields) thirty.
constexpr std::size_t kLongestLine = 4096;

class LineWriter {
public:
    LineWriter(MByteSink& sink, char delimiter)
        : m_sink(sink), m_delimiter(delimiter),
          m_block(std::make_unique<char[]>(kBlockSize + kLongestLine)) {}

    void EndLine() {
        *m_end++ = '\r';
        *m_end++ = '\n';
        if (static_cast<std::size_t>(m_end - m_block.get()) >= kBlockSize)
            Flush();
    }
    void Flush() {
        m_sink.WriteBytes(m_block.get(), static_cast<std::size_t>(m_end - m_block.get()));
        m_end = m_block.get();
    }

    void Text(std::string_view text) {
        m_end = CopyCleanText(m_end, text, m_delimiter);
        *m_end++ = m_delimiter;
    }
    void Number(long long value) {
        AppendNumber(value);
        *m_end++ = m_delimiter;
    }
    // "%.2f" of thousandths.
    void Amount(std::int32_t stored) {
        m_end += std::snprintf(m_end, 32, "%.2f", ToShownAmount(stored));
        *m_end++ = m_delimiter;
    }
    // "%d/%d/%d" (month, day, year), with the time "%d/%d/%d %d:%.2d"; a
    // date without a time of its own shows 0:00. The fields go out as stored.
    void Date(const MTime& date, bool withTime, bool atMidnight) {
        AppendDateField(date.GetMonth() + 1);
        *m_end++ = '/';
        AppendDateField(date.GetDay());
        *m_end++ = '/';
        AppendNumber(date.GetYear() + 1900);
        if (withTime) {
            const int minute = atMidnight ? 0 : date.GetMinute();
            *m_end++ = ' ';
            AppendDateField(atMidnight ? 0 : date.GetHour());
            *m_end++ = ':';
            if (minute < 10)
                *m_end++ = '0';
            AppendDateField(minute);
        }
        *m_end++ = m_delimiter;
    }

private:
    void AppendNumber(long long value) { m_end = std::to_chars(m_end, m_end + 24, value).ptr; }
    // The fields of a date, as "%d": mostly one or two digits.
    void AppendDateField(int value) {
        if (value >= 0 && value < 100) {
            if (value >= 10)
                *m_end++ = static_cast<char>('0' + value / 10);
            *m_end++ = static_cast<char>('0' + value % 10);
        } else {
            AppendNumber(value);
        }
    }

    MByteSink& m_sink;
    char m_delimiter;
    std::unique_ptr<char[]> m_block;
    char* m_end = m_block.get();
};

// Writes a line for each live record of the store that passes the filter,
// in store order.
template <typename Store, typename Filter, typename WriteRow>
bool WriteRows(LineWriter& lines, Store& store, const Filter& filter, ExportProgress* progress,
               WriteRow writeRow) {
    const ProgressTicker ticker(progress, store.Count());
    std::size_t index = 0;
    for (const auto& record : store.Records()) {
        if (!ticker.Continue(index++))
            return false;
        if (record.IsDeleted() || !filter.Passes(record))
            continue;
        writeRow(record);
        lines.EndLine();
    }
    lines.Flush();
    return ticker.Finish();
}

} // namespace

bool WriteTextExport(TvDocument& document, ExportLog log, const TextExportSettings& settings,
                     MByteSink& sink, ExportProgress* progress) {
    LineWriter lines(sink, settings.Delimiter);
    for (const std::string_view title : ExportColumnTitles(log, document.Trips().UsesKilometres()))
        lines.Text(title);
    lines.EndLine();

    const bool withTime = settings.DateTimeExportFormat != 1;
    switch (log) {
    case ExportLog::Trips: {
        const CategoryNames categories(document.Trips().Categories);
        return WriteRows(lines, document.Trips(), TripExportFilter(document), progress,
                         [&](const TripRecord& trip) {
                             lines.Date(trip.Start, withTime, false);
                             lines.Date(trip.End, withTime, false);
                             lines.Text(trip.Destination.View());
                             lines.Text(categories.NameOf(trip.Category));
                             lines.Number(trip.StartOdometer);
                             lines.Number(trip.EndOdometer);
                             lines.Number(TripDistance(trip));
                             lines.Text(trip.Note);
                         });
    }
    case ExportLog::Services: {
        const ServiceRowContext context(document);
        return WriteRows(lines, document.Services(), ServiceFilter::FromDocument(document),
                         progress, [&](const ServiceRecord& entry) {
                             lines.Date(entry.Date, withTime, true);
                             lines.Number(entry.Odometer);
                             lines.Text(context.TypeText(entry));
                             lines.Text(ServiceStatusText(context.StatusOf(entry)));
                             lines.Text(entry.Note);
                         });
    }
    case ExportLog::Expenses: {
        const CategoryNames categories(document.Expenses().Categories);
        return WriteRows(lines, document.Expenses(), ExpenseExportFilter(document), progress,
                         [&](const ExpenseRecord& expense) {
                             lines.Date(expense.Date, withTime, true);
                             lines.Text(expense.Vendor.View());
                             lines.Text(expense.Description.View());
                             lines.Text(categories.NameOf(expense.Category));
                             lines.Number(expense.Odometer);
                             lines.Amount(expense.Cost);
                             lines.Amount(expense.Volume);
                             lines.Text(expense.Note);
                         });
    }
    }
    return false;
}

ExportOutcome ExportTextFile(TvDocument& document, ExportLog log,
                             const TextExportSettings& settings, const std::string& path,
                             ExportProgress* progress) {
    AtomicFileWriter writer(path, AtomicFileWriter::Durability::WhenReplacing);
    BackgroundSink sink(writer.File());
    if (!WriteTextExport(document, log, settings, sink, progress))
        return ExportOutcome::Stopped;
    sink.Finish();
    writer.Commit();
    return ExportOutcome::Written;
}
