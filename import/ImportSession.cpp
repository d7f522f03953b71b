#include "ImportSession.h"

#include "ImportChecker.h"
#include "RowReaderFormats.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The header rows of this program's exports, as export/LogExport.cpp writes
// them, in both units; their dates are always month first.
const std::vector<std::vector<std::string_view>> kOwnExportHeaders = {
    {"Start Time", "End Time", "Destination", "Category", "Start Miles", "End Miles", "Distance",
     "Note"},
    {"Start Time", "End Time", "Destination", "Category", "Start Kilometers", "End Kilometers",
     "Distance", "Note"},
    {"Date", "Odometer", "ServiceType", "Status", "Note"},
    {"Date", "Vender", "Description", "Category", "Odometer", "Cost", "Gallons", "Note"},
    {"Date", "Vender", "Description", "Category", "Odometer", "Cost", "Liters", "Note"},
};

bool IsDateField(ImportField field) {
    return field == ImportField::Date || field == ImportField::StartDate ||
           field == ImportField::EndDate;
}

// The file's kind by its first bytes: a zip container is .xlsx, a compound
// file .xls, anything else text.
enum class Magic { Text, Zip, Compound };

Magic MagicOf(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        throw MExceptImport("The file cannot be opened.");
    unsigned char head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof(head), file);
    std::fclose(file);
    if (got >= 4 && std::memcmp(head, "PK\x03\x04", 4) == 0)
        return Magic::Zip;
    if (got == 8 && std::memcmp(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) == 0)
        return Magic::Compound;
    return Magic::Text;
}

} // namespace

ImportSession::ImportSession(std::string path, ImportOptions options)
    : m_path(std::move(path)), m_options(std::move(options)) {
    const Magic magic = MagicOf(m_path);
    m_format = magic == Magic::Zip        ? Format::Xlsx
               : magic == Magic::Compound ? Format::Xls
                                          : Format::Text;
    // The first reader also tells what the later passes need to know: the
    // delimiter and encoding detected in a text file, a workbook's sheets.
    std::unique_ptr<RowReader> reader;
    switch (m_format) {
    case Format::Xls: {
        std::unique_ptr<XlsReader> xls = OpenXlsReader(m_path, m_options.sheet);
        m_sheetNames = xls->SheetNames();
        reader = std::move(xls);
        break;
    }
    case Format::Xlsx: {
        std::unique_ptr<XlsxReader> xlsx = OpenXlsxReader(m_path, m_options.sheet);
        m_sheetNames = xlsx->SheetNames();
        reader = std::move(xlsx);
        break;
    }
    case Format::Text: {
        std::unique_ptr<DelimitedReader> text = OpenDelimitedReader(m_path, m_options.text);
        m_delimiter = text->Delimiter();
        m_encoding = text->Encoding();
        // What was detected holds for every later pass over the file.
        m_options.text.delimiter = m_delimiter;
        m_options.text.encoding = m_encoding;
        reader = std::move(text);
        break;
    }
    }
    // The header row alone tells this program's own text export, which is
    // read with quotes off before any quote in its texts can mislead.
    ImportRow header;
    if (!reader->Next(header))
        throw MExceptImport("The file holds no rows to import.");
    m_preview.push_back(header);
    GuessFields();
    if (m_ownExport && m_format == Format::Text) {
        m_options.text.quotes = false;
        reader = OpenReader();
        m_preview.clear();
    }
    ImportRow row;
    while (m_preview.size() < kPreviewRows && reader->Next(row))
        m_preview.push_back(row);
    GuessFields();
}

std::unique_ptr<RowReader> ImportSession::OpenReader() const {
    switch (m_format) {
    case Format::Xls:
        return OpenXlsReader(m_path, m_options.sheet);
    case Format::Xlsx:
        return OpenXlsxReader(m_path, m_options.sheet);
    case Format::Text:
        break;
    }
    return OpenDelimitedReader(m_path, m_options.text);
}

void ImportSession::GuessFields() {
    std::size_t columns = 0;
    for (const ImportRow& row : m_preview)
        columns = std::max(columns, row.size());
    m_fields.assign(columns, ImportField::Ignore);

    const ImportRow& first = m_preview.front();
    std::vector<ImportField> taken;
    std::size_t texts = 0;
    bool numbers = false;
    for (std::size_t column = 0; column < first.size(); ++column) {
        const ImportCell& cell = first[column];
        numbers = numbers || cell.kind == ImportCell::Kind::Number;
        if (cell.kind != ImportCell::Kind::Text)
            continue;
        ++texts;
        const ImportField field = GuessField(m_options.log, cell.text, taken);
        if (field != ImportField::Ignore) {
            m_fields[column] = field;
            taken.push_back(field);
        }
    }
    // A header names fields in most of its cells and holds no number.
    m_hasHeader = !numbers && !taken.empty() && taken.size() * 2 >= texts;
    if (!m_hasHeader) {
        m_fields.assign(columns, ImportField::Ignore);
        return;
    }
    for (const auto& header : kOwnExportHeaders) {
        bool same = first.size() >= header.size();
        for (std::size_t i = 0; same && i < first.size(); ++i)
            same = i < header.size() ? first[i].text == header[i]
                                     : first[i].kind == ImportCell::Kind::Empty;
        m_ownExport = m_ownExport || same;
    }
    if (!m_options.sourceMetric) {
        for (std::size_t column = 0; column < first.size(); ++column) {
            if (m_fields[column] == ImportField::Ignore)
                continue;
            const HeaderUnits units = UnitsOfHeader(first[column].text);
            if (units != HeaderUnits::None)
                m_options.sourceMetric = units == HeaderUnits::Metric;
        }
    }
}

void ImportSession::SetField(std::size_t column, ImportField field) {
    if (column >= m_fields.size())
        m_fields.resize(column + 1, ImportField::Ignore);
    if (field != ImportField::Ignore)
        std::replace(m_fields.begin(), m_fields.end(), field, ImportField::Ignore);
    m_fields[column] = field;
    m_dateOrderScanned = false;
}

std::optional<std::size_t> ImportSession::ColumnNamed(std::string_view name) const {
    if (!name.empty() &&
        std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const std::size_t number = name.size() > 6 ? 0 : std::stoul(std::string(name));
        if (number >= 1)
            return number - 1;
        return std::nullopt;
    }
    if (!m_hasHeader)
        return std::nullopt;
    const ImportRow& first = m_preview.front();
    for (std::size_t column = 0; column < first.size(); ++column)
        if (first[column].kind == ImportCell::Kind::Text &&
            ImportChecker::SameName(first[column].text, name))
            return column;
    return std::nullopt;
}

std::optional<DateOrder> ImportSession::DateOrderOfRows(RowReader* reader) const {
    std::size_t monthFirst = 0;
    std::size_t dayFirst = 0;
    const auto count = [&](const ImportRow& row) {
        for (std::size_t column = 0; column < row.size() && column < m_fields.size(); ++column) {
            if (!IsDateField(m_fields[column]) || row[column].kind != ImportCell::Kind::Text)
                continue;
            const unsigned orders = DateOrdersOf(row[column].text);
            if (orders == static_cast<unsigned>(DateOrder::MonthDayYear))
                ++monthFirst;
            else if (orders == static_cast<unsigned>(DateOrder::DayMonthYear) &&
                     row[column].text.find('.') == std::string::npos)
                ++dayFirst;
        }
    };
    const std::size_t from = m_hasHeader ? 1 : 0;
    if (reader == nullptr) {
        for (std::size_t i = from; i < m_preview.size(); ++i)
            count(m_preview[i]);
    } else {
        ImportRow row;
        for (std::size_t i = 0; reader->Next(row); ++i)
            if (i >= from)
                count(row);
    }
    if (monthFirst == 0 && dayFirst == 0)
        return std::nullopt;
    return monthFirst >= dayFirst ? DateOrder::MonthDayYear : DateOrder::DayMonthYear;
}

bool ImportSession::NeedsDateOrder() {
    if (m_options.dateOrder || m_ownExport)
        return false;
    if (!m_dateOrderScanned) {
        m_fileDateOrder = DateOrderOfRows(nullptr);
        if (!m_fileDateOrder && m_preview.size() == kPreviewRows) {
            const std::unique_ptr<RowReader> reader = OpenReader();
            m_fileDateOrder = DateOrderOfRows(reader.get());
        }
        m_dateOrderScanned = true;
    }
    if (m_fileDateOrder)
        return false;
    // No date told the order: ask only when some date reads both ways.
    const std::size_t from = m_hasHeader ? 1 : 0;
    for (std::size_t i = from; i < m_preview.size(); ++i)
        for (std::size_t column = 0; column < m_preview[i].size() && column < m_fields.size();
             ++column)
            if (IsDateField(m_fields[column]) &&
                m_preview[i][column].kind == ImportCell::Kind::Text &&
                DateOrdersOf(m_preview[i][column].text) ==
                    (static_cast<unsigned>(DateOrder::MonthDayYear) |
                     static_cast<unsigned>(DateOrder::DayMonthYear)))
                return true;
    return false;
}

ImportCheck ImportSession::Check(const TvDocument& document, ImportProgress* progress) {
    if (NeedsDateOrder())
        throw MExceptImport("Every date of the file reads both as month/day and as day/month. "
                            "Choose the order of the dates.");
    const DateOrder order = m_options.dateOrder ? *m_options.dateOrder
                            : m_ownExport       ? DateOrder::MonthDayYear
                            : m_fileDateOrder   ? *m_fileDateOrder
                                                : DateOrder::MonthDayYear;
    const std::unique_ptr<RowReader> reader = OpenReader();
    ImportChecker checker(document, m_options, m_fields, order, reader->UsesDate1904());
    checker.LearnNumberStyles(m_preview, m_hasHeader ? 1 : 0);
    ImportCheck check;
    ImportRow row;
    bool header = m_hasHeader;
    constexpr std::size_t kProgressStep = 4096;
    while (reader->Next(row)) {
        if (header) {
            header = false;
            continue;
        }
        if (progress != nullptr && check.rows % kProgressStep == 0 &&
            !progress->Continue(reader->Done(), reader->Total())) {
            ImportCheck stopped;
            stopped.stopped = true;
            return stopped;
        }
        checker.CheckRow(row, reader->Line(), check);
    }
    checker.Finish(check);
    if (progress != nullptr)
        progress->Continue(reader->Total(), reader->Total());
    return check;
}
