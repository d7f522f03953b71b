#include "FreeXlCopy.h"

#include "ImportCells.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iconv.h>
#include <unistd.h>
#include <vector>

namespace {

// A workbook stream anyone logs with is far smaller.
constexpr gsf_off_t kMostBookBytes = 64 << 20;

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kDimension = 0x0200;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kSharedStrings = 0x00FC;
constexpr std::uint16_t kCodePage437 = 437;
// FreeXL's sheets hold at most this many rows and columns of cells.
constexpr std::uint32_t kMostRows = 65536;
constexpr std::uint32_t kMostColumns = 256;

[[noreturn]] void Damaged() {
    throw MExceptImport("The file is not an Excel workbook that can be read, or it is damaged.");
}

using Bytes = std::vector<std::uint8_t>;

std::uint16_t Word(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Long(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Word(bytes, at)) |
           static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16;
}

void PutWord(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

struct Record {
    std::uint16_t type;
    std::size_t body; // where its bytes start in the stream
    std::size_t size;
};

// The workbook stream ("Workbook" of Excel 97-2003, "Book" of Excel 5).
Bytes ReadBook(const std::string& path, bool& excel5) {
    static const bool initialised = [] {
        gsf_init();
        return true;
    }();
    (void)initialised;
    GsfInput* file = gsf_input_stdio_new(path.c_str(), nullptr);
    if (file == nullptr)
        throw MExceptImport("The file cannot be opened.");
    GsfInfile* container = gsf_infile_msole_new(file, nullptr);
    GsfInput* book = nullptr;
    if (container != nullptr) {
        book = gsf_infile_child_by_name(container, "Workbook");
        excel5 = book == nullptr;
        if (book == nullptr)
            book = gsf_infile_child_by_name(container, "Book");
    }
    Bytes bytes;
    bool read = book != nullptr && gsf_input_size(book) <= kMostBookBytes;
    if (read) {
        bytes.resize(static_cast<std::size_t>(gsf_input_size(book)));
        read = bytes.empty() || gsf_input_read(book, bytes.size(), bytes.data()) != nullptr;
    }
    if (book != nullptr)
        g_object_unref(book);
    if (container != nullptr)
        g_object_unref(container);
    g_object_unref(file);
    if (!read)
        Damaged();
    return bytes;
}

// Where a text of `count` characters starting with its option byte at `at`
// ends: one or two bytes a character, after the rich-text and extension
// fields the option byte announces.
std::size_t UnicodeTextEnd(const Bytes& book, std::size_t at, std::size_t count) {
    const std::uint8_t options = book[at];
    std::size_t start = at + 1 + ((options & 8) != 0 ? 2 : 0) + ((options & 4) != 0 ? 4 : 0);
    return start + count * ((options & 1) != 0 ? 2 : 1);
}

// Walks the shared strings of an SST record and its CONTINUE records as
// FreeXL does; false when a string runs past them.
bool SharedStringsFit(const Bytes& book, const std::vector<Record>& records, std::size_t first) {
    std::size_t segment = first;
    std::size_t at = records[segment].body + 8;
    const auto end = [&] { return records[segment].body + records[segment].size; };
    const auto next = [&] {
        if (segment + 1 >= records.size() || records[segment + 1].type != kContinue)
            return false;
        at = records[++segment].body;
        return true;
    };
    // Bytes that may run on into the next CONTINUE record.
    const auto skip = [&](std::size_t count) {
        while (count > 0) {
            const std::size_t here = std::min(count, end() - at);
            at += here;
            count -= here;
            if (count > 0 && !next())
                return false;
        }
        return true;
    };
    if (records[first].size < 8)
        return false;
    const std::uint32_t strings = Long(book, records[first].body + 4);
    for (std::uint32_t i = 0; i < strings; ++i) {
        if (at == end() && !next())
            return false;
        if (at + 3 > end())
            return false;
        std::size_t characters = Word(book, at);
        const std::uint8_t options = book[at + 2];
        at += 3;
        std::size_t runs = 0;
        std::size_t extension = 0;
        if ((options & 8) != 0) {
            if (at + 2 > end())
                return false;
            runs = Word(book, at);
            at += 2;
        }
        if ((options & 4) != 0) {
            if (at + 4 > end())
                return false;
            extension = Long(book, at);
            at += 4;
        }
        std::size_t width = (options & 1) != 0 ? 2 : 1;
        // The characters; a CONTINUE record in between starts with the
        // width of the rest.
        while (characters > 0) {
            const std::size_t here = std::min(characters, (end() - at) / width);
            at += here * width;
            characters -= here;
            if (characters > 0) {
                if (!next() || at >= end())
                    return false;
                width = (book[at++] & 1) != 0 ? 2 : 1;
            }
        }
        if (!skip(runs * 4) || !skip(extension))
            return false;
    }
    return true;
}

// Checks every record whose lengths FreeXL copies by.
void CheckRecords(const Bytes& book, bool excel5, const std::vector<Record>& records) {
    const std::size_t most = excel5 ? 2080 : 8224;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        const std::size_t size = record.size;
        const std::size_t body = record.body;
        const std::size_t end = body + size;
        bool fits = size <= most;
        switch (record.type) {
        case kBof:
            fits = fits && size >= 4;
            break;
        case kBoundSheet:
            fits =
                fits && size >= 8 &&
                (excel5 ? body + 7 + book[body + 6] <= end
                        : body + 8 + book[body + 6] * ((book[body + 7] & 1) != 0 ? 2u : 1u) <= end);
            break;
        case kFormat:
            fits = fits && (excel5 ? size >= 3 && body + 3 + book[body + 2] <= end
                                   : size >= 5 && UnicodeTextEnd(book, body + 4,
                                                                 Word(book, body + 2)) <= end);
            break;
        case kLabel:
            fits =
                fits && size >= 8 &&
                (excel5 ? body + 8 + Word(book, body + 6) <= end
                        : size >= 9 && UnicodeTextEnd(book, body + 8, Word(book, body + 6)) <= end);
            break;
        case kDimension:
            fits = fits && (excel5 ? size >= 8 && Word(book, body + 6) <= kMostColumns
                                   : size >= 12 && Long(book, body + 4) <= kMostRows &&
                                         Word(book, body + 10) <= kMostColumns);
            break;
        case kSharedStrings:
            fits = fits && !excel5 && SharedStringsFit(book, records, i);
            break;
        default:
            break;
        }
        if (!fits)
            Damaged();
    }
}

// Names code page 437 in the workbook globals: in their CODEPAGE record, or
// in one inserted after their BOF record, moving the sheets' offsets along.
void SetCodePage437(Bytes& book, const std::vector<Record>& records) {
    std::vector<std::size_t> sheets;
    for (const Record& record : records) {
        if (record.type == kCodePage && record.size >= 2) {
            PutWord(book, record.body, kCodePage437);
            return;
        }
        if (record.type == kBoundSheet)
            sheets.push_back(record.body);
        if (record.type == kEof)
            break;
    }
    const std::uint8_t inserted[] = {
        0x42, 0x00, 0x02, 0x00, kCodePage437 & 0xFF, kCodePage437 >> 8};
    for (const std::size_t at : sheets) {
        const std::uint32_t offset = Long(book, at) + sizeof(inserted);
        PutWord(book, at, static_cast<std::uint16_t>(offset));
        PutWord(book, at + 2, static_cast<std::uint16_t>(offset >> 16));
    }
    const std::size_t afterBof = records.front().body + records.front().size;
    book.insert(book.begin() + static_cast<std::ptrdiff_t>(afterBof), std::begin(inserted),
                std::end(inserted));
}

// Widens each BIFF5 sheet's DIMENSION record to the cells the sheet holds.
void WidenDimensions(Bytes& book, const std::vector<Record>& records) {
    std::size_t dimension = 0; // 0: none seen in this sheet (the BOF comes first)
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    for (const Record& record : records) {
        const std::uint16_t type = record.type;
        if (type == kDimension) {
            dimension = record.body;
        } else if (record.size >= 4 && (type == 0x0201 || type == 0x0203 || type == 0x0204 ||
                                        type == 0x0205 || type == 0x027E || type == 0x00FD ||
                                        type == 0x0006 || type == 0x00BD || type == 0x00BE)) {
            std::uint32_t last = Word(book, record.body + 2);
            // MULRK and MULBLANK end in the last column they fill.
            if ((type == 0x00BD || type == 0x00BE) && record.size >= 6)
                last = std::max<std::uint32_t>(last, Word(book, record.body + record.size - 2));
            rows = std::max<std::uint32_t>(rows, Word(book, record.body) + 1u);
            columns = std::max<std::uint32_t>(columns, last + 1);
        } else if (type == kEof) {
            if (dimension != 0) {
                const std::uint32_t wideRows =
                    std::max<std::uint32_t>(Word(book, dimension + 2), rows);
                const std::uint32_t wideColumns =
                    std::max<std::uint32_t>(Word(book, dimension + 6), columns);
                PutWord(book, dimension + 2,
                        static_cast<std::uint16_t>(std::min<std::uint32_t>(wideRows, 0xFFFF)));
                PutWord(book, dimension + 6,
                        static_cast<std::uint16_t>(std::min(wideColumns, kMostColumns)));
            }
            dimension = 0;
            rows = columns = 0;
        }
    }
}

bool WriteBook(const std::string& path, const Bytes& book, bool excel5) {
    GsfOutput* file = gsf_output_stdio_new(path.c_str(), nullptr);
    if (file == nullptr)
        return false;
    GsfOutfile* container = gsf_outfile_msole_new(file);
    GsfOutput* stream = gsf_outfile_new_child(container, excel5 ? "Book" : "Workbook", FALSE);
    bool written = gsf_output_write(stream, book.size(), book.data());
    written = gsf_output_close(stream) && written;
    g_object_unref(stream);
    written = gsf_output_close(GSF_OUTPUT(container)) && written;
    g_object_unref(container);
    g_object_unref(file);
    return written;
}

} // namespace

FreeXlCopy::FreeXlCopy(const std::string& path) {
    Bytes book = ReadBook(path, m_excel5);
    std::vector<Record> records;
    for (std::size_t at = 0; at + 4 <= book.size();) {
        const Record record{Word(book, at), at + 4, Word(book, at + 2)};
        if (record.body + record.size > book.size())
            Damaged();
        records.push_back(record);
        at = record.body + record.size;
    }
    const std::uint16_t version = m_excel5 ? 0x0500 : 0x0600;
    if (records.empty() || records.front().type != kBof || records.front().size < 4 ||
        Word(book, records.front().body) != version)
        Damaged();
    CheckRecords(book, m_excel5, records);
    if (m_excel5) {
        WidenDimensions(book, records);
        SetCodePage437(book, records);
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "tvimport-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw MExceptImport("The workbook cannot be read: no temporary file can be made.");
    ::close(fd);
    if (!WriteBook(pattern, book, m_excel5)) {
        ::unlink(pattern.c_str());
        throw MExceptImport("The workbook cannot be read: no temporary file can be made.");
    }
    m_copy = pattern;
}

FreeXlCopy::~FreeXlCopy() {
    ::unlink(m_copy.c_str());
}

bool FreeXlCopy::TakeBackText(const char* utf8, std::string& bytes) {
    iconv_t converter = ::iconv_open("CP437", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    const std::size_t length = std::strlen(utf8);
    bytes.assign(length, '\0');
    char* in = const_cast<char*>(utf8);
    std::size_t inLeft = length;
    char* out = bytes.data();
    std::size_t outLeft = bytes.size();
    const bool converted =
        ::iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(converter);
    bytes.resize(bytes.size() - outLeft);
    return converted && inLeft == 0;
}
