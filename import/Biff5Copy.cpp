#include "Biff5Copy.h"

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

// An Excel 5 stream of a workbook anyone logs with is far smaller.
constexpr gsf_off_t kMostBookBytes = 64 << 20;

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDimension = 0x0200;
constexpr std::uint16_t kCodePage437 = 437;

std::uint16_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The Book stream, or nothing when the file has none (or a huge one).
std::vector<std::uint8_t> ReadBook(const std::string& path) {
    static const bool initialised = [] {
        gsf_init();
        return true;
    }();
    (void)initialised;
    std::vector<std::uint8_t> bytes;
    GsfInput* file = gsf_input_stdio_new(path.c_str(), nullptr);
    if (file == nullptr)
        return bytes;
    GsfInfile* container = gsf_infile_msole_new(file, nullptr);
    GsfInput* book = container != nullptr ? gsf_infile_child_by_name(container, "Book") : nullptr;
    if (book != nullptr && gsf_input_size(book) <= kMostBookBytes) {
        bytes.resize(static_cast<std::size_t>(gsf_input_size(book)));
        if (!bytes.empty() && gsf_input_read(book, bytes.size(), bytes.data()) == nullptr)
            bytes.clear();
    }
    if (book != nullptr)
        g_object_unref(book);
    if (container != nullptr)
        g_object_unref(container);
    g_object_unref(file);
    return bytes;
}

// Names code page 437 in the workbook globals: in their CODEPAGE record, or
// in one inserted after their BOF record, moving the sheets' offsets along.
// False for a stream that is not BIFF5.
bool SetCodePage437(std::vector<std::uint8_t>& book) {
    if (book.size() < 8 || Word(book, 0) != kBof || Word(book, 4) != 0x0500)
        return false;
    const std::size_t afterBof = 4 + static_cast<std::size_t>(Word(book, 2));
    std::vector<std::size_t> sheets;
    for (std::size_t at = 0; at + 4 <= book.size();) {
        const std::uint16_t type = Word(book, at);
        const std::size_t size = Word(book, at + 2);
        if (at + 4 + size > book.size())
            return false;
        if (type == kCodePage && size >= 2) {
            PutWord(book, at + 4, kCodePage437);
            return true;
        }
        if (type == kBoundSheet && size >= 4)
            sheets.push_back(at + 4);
        if (type == kEof)
            break;
        at += 4 + size;
    }
    const std::uint8_t record[] = {0x42, 0x00, 0x02, 0x00, kCodePage437 & 0xFF,
                                   kCodePage437 >> 8};
    for (const std::size_t at : sheets) {
        std::uint32_t offset = 0;
        std::memcpy(&offset, &book[at], 4);
        offset += sizeof(record);
        std::memcpy(&book[at], &offset, 4);
    }
    book.insert(book.begin() + static_cast<std::ptrdiff_t>(afterBof), std::begin(record),
                std::end(record));
    return true;
}

// Widens each sheet's DIMENSION record to the cells the sheet holds: FreeXL
// takes it as the sheet's size and refuses a cell outside it, while a
// writer that streams its rows may name less.
void WidenDimensions(std::vector<std::uint8_t>& book) {
    std::optional<std::size_t> dimension;
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    for (std::size_t at = 0; at + 4 <= book.size();) {
        const std::uint16_t type = Word(book, at);
        const std::size_t size = Word(book, at + 2);
        const std::size_t body = at + 4;
        if (body + size > book.size())
            return;
        if (type == kDimension && size >= 8) {
            dimension = body;
        } else if (size >= 4 && (type == 0x0201 || type == 0x0203 || type == 0x0204 ||
                                 type == 0x0205 || type == 0x027E || type == 0x00FD ||
                                 type == 0x0006 || type == 0x00BD || type == 0x00BE)) {
            std::uint32_t last = Word(book, body + 2);
            // MULRK and MULBLANK end in the last column they fill.
            if ((type == 0x00BD || type == 0x00BE) && size >= 6)
                last = std::max<std::uint32_t>(last, Word(book, body + size - 2));
            rows = std::max<std::uint32_t>(rows, Word(book, body) + 1u);
            columns = std::max<std::uint32_t>(columns, last + 1);
        } else if (type == kEof) {
            if (dimension && rows <= 0xFFFF && columns <= 0xFFFF) {
                PutWord(book, *dimension + 2,
                        static_cast<std::uint16_t>(std::max<std::uint32_t>(Word(book, *dimension + 2), rows)));
                PutWord(book, *dimension + 6,
                        static_cast<std::uint16_t>(std::max<std::uint32_t>(Word(book, *dimension + 6), columns)));
            }
            dimension.reset();
            rows = columns = 0;
        }
        at = body + size;
    }
}

bool WriteBook(const std::string& path, const std::vector<std::uint8_t>& book) {
    GsfOutput* file = gsf_output_stdio_new(path.c_str(), nullptr);
    if (file == nullptr)
        return false;
    GsfOutfile* container = gsf_outfile_msole_new(file);
    GsfOutput* stream = gsf_outfile_new_child(container, "Book", FALSE);
    bool written = gsf_output_write(stream, book.size(), book.data());
    written = gsf_output_close(stream) && written;
    g_object_unref(stream);
    written = gsf_output_close(GSF_OUTPUT(container)) && written;
    g_object_unref(container);
    g_object_unref(file);
    return written;
}

} // namespace

Biff5Copy::Biff5Copy(const std::string& path) {
    std::vector<std::uint8_t> book = ReadBook(path);
    if (!SetCodePage437(book))
        return;
    WidenDimensions(book);
    std::string pattern = (std::filesystem::temp_directory_path() / "tvimport-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return;
    ::close(fd);
    if (WriteBook(pattern, book))
        m_copy = pattern;
    else
        ::unlink(pattern.c_str());
}

Biff5Copy::~Biff5Copy() {
    if (m_copy)
        ::unlink(m_copy->c_str());
}

bool Biff5Copy::TakeBackText(const char* utf8, std::string& bytes) {
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
