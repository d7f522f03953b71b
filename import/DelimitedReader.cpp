#include "DelimitedReader.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string_view>
#include <sys/stat.h>

namespace {

// The start of the file that the encoding and the delimiter are told from.
constexpr std::size_t kSampleSize = 1 << 20;
// The lines of the sample the delimiter is told from.
constexpr std::size_t kSampleLines = 50;
// What is read at a time after the sample.
constexpr std::size_t kBlockSize = 256 * 1024;
// A field longer than this is a quote left open, not a cell.
constexpr std::size_t kLongestField = 1 << 20;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string LineText(std::size_t line) {
    std::string digits = std::to_string(line);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return "line " + digits;
}

// Texts are kept as they are: libcsv would trim blanks around fields.
int NoBlank(unsigned char) {
    return 0;
}

// The delimiter that splits the sample's first lines most evenly: the one
// found on the first line that then comes as often on the most lines. Quoted
// parts are passed over.
char DetectDelimiter(std::string_view sample) {
    constexpr std::array<char, 4> kCandidates = {',', ';', '\t', ':'};
    std::vector<std::array<std::size_t, 4>> counts;
    std::array<std::size_t, 4> line{};
    bool quoted = false;
    bool any = false;
    for (const char c : sample) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            if (any)
                counts.push_back(line);
            line = {};
            any = false;
            if (counts.size() == kSampleLines)
                break;
            continue;
        } else if (!quoted) {
            for (std::size_t i = 0; i < kCandidates.size(); ++i)
                line[i] += c == kCandidates[i] ? 1 : 0;
        }
        any = true;
    }
    if (any && counts.size() < kSampleLines)
        counts.push_back(line);
    char best = ',';
    std::size_t bestScore = 0;
    for (std::size_t i = 0; i < kCandidates.size() && !counts.empty(); ++i) {
        const std::size_t first = counts.front()[i];
        if (first == 0)
            continue;
        const std::size_t score = static_cast<std::size_t>(std::count_if(
            counts.begin(), counts.end(), [&](const auto& c) { return c[i] == first; }));
        if (score > bestScore) {
            best = kCandidates[i];
            bestScore = score;
        }
    }
    return best;
}

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "3/14/2024 9" or "2024-03-14 17": a date with an hour and no minute.
bool EndsInHour(std::string_view text) {
    const std::size_t blank = text.rfind(' ');
    if (blank == std::string_view::npos || text.empty() ||
        !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    const std::string_view hour = text.substr(blank + 1);
    return hour.size() <= 2 && IsDigits(hour) &&
           text.substr(0, blank).find_first_of("/-.") != std::string_view::npos;
}

} // namespace

DelimitedReader::DelimitedReader(const std::string& path, const DelimitedOptions& options) {
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr)
        throw MExceptImport("The file cannot be opened.");
    struct stat info {};
    if (::fstat(::fileno(m_file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(m_file);
        m_file = nullptr;
        throw MExceptImport("The file cannot be opened.");
    }
    m_total = static_cast<std::uint64_t>(info.st_size);
    Start(options);
}

DelimitedReader::DelimitedReader(const void* bytes, std::size_t size,
                                 const DelimitedOptions& options) {
    m_block.assign(static_cast<const char*>(bytes), size);
    m_total = size;
    Start(options);
}

DelimitedReader::~DelimitedReader() {
    if (m_parser)
        csv_free(m_parser.get());
    if (m_file != nullptr)
        std::fclose(m_file);
}

void DelimitedReader::Start(const DelimitedOptions& options) {
    if (m_file != nullptr) {
        // A small file takes a small buffer (a size of 0 may be a pipe).
        const std::size_t wanted = m_total != 0 && m_total < kSampleSize
                                       ? static_cast<std::size_t>(m_total) + 1
                                       : kSampleSize;
        m_block.resize(wanted);
        m_block.resize(std::fread(m_block.data(), 1, wanted, m_file));
        if (std::ferror(m_file))
            throw MExceptImport("The file cannot be read.");
    }
    m_atEnd = m_file == nullptr;
    if (m_block.empty())
        throw MExceptImport("The file is empty.");
    const std::string_view sample(m_block.data(), std::min(m_block.size(), kSampleSize));
    if (sample.find('\0') != std::string_view::npos)
        throw MExceptImport("This is not a text file: it holds binary data. Import reads "
                            "delimited text (UTF-8 or Windows-1252), .xls and .xlsx files.");
    const bool marked = sample.starts_with(kByteOrderMark);
    m_encoding = options.encoding.value_or(marked || IsUtf8(sample, m_block.size() >= kSampleSize)
                                               ? TextEncoding::Utf8
                                               : TextEncoding::Cp1252);
    if (marked && m_encoding == TextEncoding::Utf8) {
        m_block.erase(0, kByteOrderMark.size());
        m_done = kByteOrderMark.size();
    }
    m_delimiter = options.delimiter.value_or(DetectDelimiter(m_block));

    m_parser = std::make_unique<csv_parser>();
    if (csv_init(m_parser.get(), CSV_REPALL_NL) != 0) {
        m_parser.reset();
        throw MExceptOutOfMemory();
    }
    csv_set_delim(m_parser.get(), static_cast<unsigned char>(m_delimiter));
    csv_set_space_func(m_parser.get(), NoBlank);
    // The files hold no NUL byte (those are refused), so NUL quotes nothing.
    csv_set_quote(m_parser.get(), options.quotes ? CSV_QUOTE : 0);
}

bool DelimitedReader::Next(ImportRow& row) {
    while (m_ready.empty()) {
        if (!m_failure.empty())
            throw MExceptImport(m_failure);
        if (!ParseBlock())
            return false;
    }
    PendingRow& next = m_ready.front();
    m_line = next.line;
    row.swap(next.cells);
    m_spare.push_back(std::move(next));
    m_ready.pop_front();
    return true;
}

bool DelimitedReader::ParseBlock() {
    if (m_block.empty() && m_atEnd)
        return false;
    if (m_block.empty()) {
        m_block.resize(kBlockSize);
        m_block.resize(std::fread(m_block.data(), 1, kBlockSize, m_file));
        if (std::ferror(m_file))
            throw MExceptImport("The file cannot be read.");
        m_atEnd = m_block.size() < kBlockSize;
    }
    Parse(m_block.data(), m_block.size(), m_atEnd);
    m_done += m_block.size();
    m_block.clear();
    return true;
}

void DelimitedReader::Parse(const char* bytes, std::size_t size, bool last) {
    if (csv_parse(m_parser.get(), bytes, size, OnField, OnRowEnd, this) != size)
        throw MExceptImport(std::string("The file cannot be read: ") +
                            csv_strerror(csv_error(m_parser.get())) + ".");
    if (last)
        csv_fini(m_parser.get(), OnField, OnRowEnd, this);
    // The rows before the fault are read first: the fault is where it is.
    if (m_badLine != 0 && m_failure.empty())
        m_failure =
            LineText(m_badLine) + " is not UTF-8 text. Import the file as Windows-1252 text.";
    if (csv_get_buffer_size(m_parser.get()) > kLongestField && m_failure.empty())
        m_failure = "The file cannot be read: a quoted field from " + LineText(m_current.line) +
                    " never ends.";
}

void DelimitedReader::OnField(void* data, std::size_t size, void* self) {
    static_cast<DelimitedReader*>(self)->AddField(static_cast<const char*>(data), size);
}

void DelimitedReader::OnRowEnd(int terminator, void* self) {
    static_cast<DelimitedReader*>(self)->EndRow(terminator);
}

void DelimitedReader::AddField(const char* data, std::size_t size) {
    if (m_fields == 0) {
        m_current.line = m_lines;
        if (m_current.cells.empty() && !m_spare.empty()) {
            m_current.cells.swap(m_spare.front().cells);
            m_spare.pop_front();
        }
    }
    if (m_current.cells.size() <= m_fields)
        m_current.cells.resize(m_fields + 1);
    ImportCell& cell = m_current.cells[m_fields++];
    // Line breaks inside quotes count as lines of the file.
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n')))
            ++m_lines;
    }
    // Most fields are plain ASCII, the same in either encoding.
    unsigned char high = 0;
    for (std::size_t i = 0; i < size; ++i)
        high |= static_cast<unsigned char>(data[i]);
    if (m_encoding == TextEncoding::Cp1252 || high < 0x80) {
        cell.SetText(data, size);
        return;
    }
    m_scratch.clear();
    if (!AppendUtf8AsCp1252(std::string_view(data, size), m_scratch) && m_badLine == 0)
        m_badLine = m_current.line;
    cell.SetText(m_scratch.data(), m_scratch.size());
}

void DelimitedReader::EndRow(int terminator) {
    // CR LF ends one line: the LF comes as a row of its own right after.
    const bool secondHalf = terminator == '\n' && m_afterCarriageReturn && m_fields == 0;
    m_afterCarriageReturn = terminator == '\r';
    if (terminator == '\r' || (terminator == '\n' && !secondHalf))
        ++m_lines;
    const std::size_t fields = m_fields;
    m_fields = 0;
    if (fields == 0)
        return;
    m_current.cells.resize(fields);
    if (std::all_of(m_current.cells.begin(), m_current.cells.end(),
                    [](const ImportCell& cell) { return cell.kind == ImportCell::Kind::Empty; }))
        return;
    if (m_delimiter == ':')
        JoinColonTimes(m_current.cells);
    m_ready.push_back(std::move(m_current));
    m_current = PendingRow();
}

void DelimitedReader::JoinColonTimes(ImportRow& cells) const {
    for (std::size_t i = 0; i + 1 < cells.size(); ++i) {
        if (EndsInHour(cells[i].text) && cells[i + 1].text.size() == 2 &&
            IsDigits(cells[i + 1].text)) {
            cells[i].text += ':' + cells[i + 1].text;
            cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        }
    }
}
