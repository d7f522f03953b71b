#include "XlsxReader.h"

#include "TextEncoding.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

constexpr const char* kNotAWorkbook =
    "The file is not an Excel workbook that can be read, or it is damaged.";
// The most a workbook's shared strings may take; more is no spreadsheet
// anyone keeps a log in, and would not fit the memory the import may use.
constexpr std::size_t kMostStringBytes = 64 << 20;
// The workbook part and its relations are small; anything larger is damage.
constexpr gsf_off_t kMostPartBytes = 16 << 20;
// Columns a sheet can have (A to XFD).
constexpr std::size_t kMostColumns = 16384;

[[noreturn]] void Damaged() {
    throw MExceptImport(kNotAWorkbook);
}

void InitGsf() {
    static const bool done = [] {
        gsf_init();
        return true;
    }();
    (void)done;
}

void IgnoreXmlError(void*, const char*, xmlParserSeverities, xmlTextReaderLocatorPtr) {}

int ReadPart(void* context, char* buffer, int size) {
    auto* input = static_cast<GsfInput*>(context);
    const gsf_off_t left = gsf_input_remaining(input);
    const auto count = static_cast<std::size_t>(std::min<gsf_off_t>(left, size));
    if (count == 0)
        return 0;
    return gsf_input_read(input, count, reinterpret_cast<guint8*>(buffer)) != nullptr
               ? static_cast<int>(count)
               : -1;
}

int KeepPart(void*) {
    return 0;
}

// A streaming reader over a part of the container, which stays the caller's.
xmlTextReader* OpenXml(GsfInput* part) {
    xmlTextReader* reader =
        xmlReaderForIO(ReadPart, KeepPart, part, nullptr, nullptr,
                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (reader == nullptr)
        Damaged();
    xmlTextReaderSetErrorHandler(reader, IgnoreXmlError, nullptr);
    return reader;
}

class XmlDocument {
public:
    explicit XmlDocument(GsfInput* part) : m_part(part), m_reader(OpenXml(part)) {}
    ~XmlDocument() {
        xmlFreeTextReader(m_reader);
        g_object_unref(m_part);
    }
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // The next node; false at the end, raises on damage.
    bool Read() {
        const int got = xmlTextReaderRead(m_reader);
        if (got < 0)
            Damaged();
        return got == 1;
    }
    xmlTextReader* Reader() { return m_reader; }

private:
    GsfInput* m_part;
    xmlTextReader* m_reader;
};

bool IsElement(xmlTextReader* reader, const char* name) {
    const xmlChar* local = xmlTextReaderConstLocalName(reader);
    return xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT && local != nullptr &&
           std::strcmp(reinterpret_cast<const char*>(local), name) == 0;
}

bool IsEnd(xmlTextReader* reader, const char* name) {
    const xmlChar* local = xmlTextReaderConstLocalName(reader);
    const int type = xmlTextReaderNodeType(reader);
    return (type == XML_READER_TYPE_END_ELEMENT ||
            (type == XML_READER_TYPE_ELEMENT && xmlTextReaderIsEmptyElement(reader) == 1)) &&
           local != nullptr && std::strcmp(reinterpret_cast<const char*>(local), name) == 0;
}

bool IsText(xmlTextReader* reader) {
    const int type = xmlTextReaderNodeType(reader);
    return type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
           type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE || type == XML_READER_TYPE_WHITESPACE;
}

std::string Attribute(xmlTextReader* reader, const char* name) {
    xmlChar* value = xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(name));
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

std::string_view NodeText(xmlTextReader* reader) {
    const xmlChar* value = xmlTextReaderConstValue(reader);
    return value != nullptr ? std::string_view(reinterpret_cast<const char*>(value))
                            : std::string_view();
}

// "AB12" -> 27 (counted from 0); none for a reference without letters.
std::optional<std::size_t> ColumnOf(std::string_view reference) {
    std::size_t column = 0;
    std::size_t letters = 0;
    for (const char c : reference) {
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + static_cast<std::size_t>(c - 'A' + 1);
        if (++letters > 3)
            return std::nullopt;
    }
    if (letters == 0)
        return std::nullopt;
    return column - 1;
}

// A part of the container by its path ("xl/workbook.xml"); null when absent.
GsfInput* Part(GsfInfile* zip, std::string path) {
    if (!path.empty() && path.front() == '/')
        path.erase(0, 1);
    std::vector<std::string> names;
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        names.push_back(path.substr(from, slash - from));
        from = slash + 1;
    }
    std::vector<const char*> pointers;
    for (const std::string& name : names)
        pointers.push_back(name.c_str());
    pointers.push_back(nullptr);
    return gsf_infile_child_by_aname(zip, pointers.data());
}

// "worksheets/sheet1.xml" beside "xl/workbook.xml" is "xl/worksheets/sheet1.xml".
std::string ResolveTarget(const std::string& target) {
    if (!target.empty() && target.front() == '/')
        return target.substr(1);
    std::string path = "xl/" + target;
    // "../" steps out of xl/.
    while (path.starts_with("xl/../"))
        path.erase(0, 6);
    return path;
}

void AppendCp1252(std::string_view utf8, std::string& out) {
    if (!AppendUtf8AsCp1252(utf8, out))
        Damaged();
}

} // namespace

XlsxReader::XlsxReader(const std::string& path, const std::string& sheet) {
    InitGsf();
    GError* error = nullptr;
    m_file = gsf_input_stdio_new(path.c_str(), &error);
    if (error != nullptr)
        g_error_free(error);
    if (m_file == nullptr)
        throw MExceptImport("The file cannot be opened.");
    error = nullptr;
    m_zip = gsf_infile_zip_new(m_file, &error);
    if (error != nullptr)
        g_error_free(error);
    try {
        if (m_zip == nullptr)
            Damaged();
        const std::string sheetPath = FindSheet(sheet);
        ReadSharedStrings();
        m_sheet = Part(m_zip, sheetPath);
        if (m_sheet == nullptr)
            Damaged();
        m_reader = OpenXml(m_sheet);
    } catch (...) {
        Close();
        throw;
    }
}

XlsxReader::~XlsxReader() {
    Close();
}

void XlsxReader::Close() {
    if (m_reader != nullptr)
        xmlFreeTextReader(m_reader);
    if (m_sheet != nullptr)
        g_object_unref(m_sheet);
    if (m_zip != nullptr)
        g_object_unref(m_zip);
    if (m_file != nullptr)
        g_object_unref(m_file);
    m_reader = nullptr;
    m_sheet = nullptr;
    m_zip = nullptr;
    m_file = nullptr;
}

std::string XlsxReader::FindSheet(const std::string& sheet) {
    std::string relation;
    {
        GsfInput* part = Part(m_zip, "xl/workbook.xml");
        if (part == nullptr || gsf_input_size(part) > kMostPartBytes) {
            if (part != nullptr)
                g_object_unref(part);
            Damaged();
        }
        XmlDocument workbook(part);
        bool found = false;
        while (workbook.Read()) {
            xmlTextReader* reader = workbook.Reader();
            if (IsElement(reader, "workbookPr")) {
                const std::string value = Attribute(reader, "date1904");
                m_date1904 = value == "1" || value == "true";
            } else if (IsElement(reader, "sheet")) {
                std::string name;
                AppendCp1252(Attribute(reader, "name"), name);
                m_sheetNames.push_back(name);
                if (!found && (sheet.empty() || name == sheet)) {
                    relation = Attribute(reader, "r:id");
                    found = true;
                }
            }
        }
        if (!found)
            throw MExceptImport(sheet.empty()
                                    ? kNotAWorkbook
                                    : "The workbook has no sheet named \"" + sheet + "\".");
    }
    GsfInput* part = Part(m_zip, "xl/_rels/workbook.xml.rels");
    if (part == nullptr || gsf_input_size(part) > kMostPartBytes) {
        if (part != nullptr)
            g_object_unref(part);
        Damaged();
    }
    XmlDocument relations(part);
    while (relations.Read()) {
        if (IsElement(relations.Reader(), "Relationship") &&
            Attribute(relations.Reader(), "Id") == relation)
            return ResolveTarget(Attribute(relations.Reader(), "Target"));
    }
    Damaged();
}

void XlsxReader::ReadSharedStrings() {
    GsfInput* part = Part(m_zip, "xl/sharedStrings.xml");
    if (part == nullptr)
        return;
    XmlDocument strings(part);
    std::size_t bytes = 0;
    bool inText = false;
    int phonetic = 0;
    while (strings.Read()) {
        xmlTextReader* reader = strings.Reader();
        if (IsElement(reader, "si")) {
            m_strings.emplace_back();
        } else if (IsElement(reader, "rPh") && xmlTextReaderIsEmptyElement(reader) == 0) {
            ++phonetic;
        } else if (IsEnd(reader, "rPh")) {
            phonetic = std::max(0, phonetic - 1);
        } else if (IsElement(reader, "t")) {
            inText = xmlTextReaderIsEmptyElement(reader) == 0;
        } else if (IsEnd(reader, "t")) {
            inText = false;
        } else if (inText && phonetic == 0 && IsText(reader) && !m_strings.empty()) {
            const std::string_view text = NodeText(reader);
            bytes += text.size();
            if (bytes > kMostStringBytes)
                throw MExceptImport("The workbook is too large to import.");
            AppendCp1252(text, m_strings.back());
        }
    }
}

std::uint64_t XlsxReader::Done() const {
    return static_cast<std::uint64_t>(gsf_input_tell(m_sheet));
}

std::uint64_t XlsxReader::Total() const {
    return static_cast<std::uint64_t>(gsf_input_size(m_sheet));
}

bool XlsxReader::Next(ImportRow& row) {
    row.clear();
    bool inRow = false;
    bool any = false;
    std::size_t column = 0;
    std::string type;
    std::string value;
    bool inValue = false;
    bool inCell = false;
    for (;;) {
        const int got = xmlTextReaderRead(m_reader);
        if (got < 0)
            Damaged();
        if (got == 0)
            return false;
        xmlTextReader* reader = m_reader;
        if (!inRow) {
            if (IsElement(reader, "row") && xmlTextReaderIsEmptyElement(reader) == 0) {
                inRow = true;
                const std::string number = Attribute(reader, "r");
                m_line = number.empty() ? m_line + 1 : std::strtoul(number.c_str(), nullptr, 10);
                column = 0;
            }
            continue;
        }
        if (IsElement(reader, "c")) {
            const std::optional<std::size_t> at = ColumnOf(Attribute(reader, "r"));
            column = at.value_or(column);
            type = Attribute(reader, "t");
            value.clear();
            inCell = xmlTextReaderIsEmptyElement(reader) == 0;
            if (!inCell)
                ++column;
        } else if (inCell && (IsElement(reader, "v") || IsElement(reader, "t"))) {
            inValue = xmlTextReaderIsEmptyElement(reader) == 0;
        } else if (IsEnd(reader, "v") || IsEnd(reader, "t")) {
            inValue = false;
        } else if (inValue && IsText(reader)) {
            if (type == "inlineStr" || type == "str" || type == "e" || type == "d")
                AppendCp1252(NodeText(reader), value);
            else
                value.append(NodeText(reader));
        } else if (IsEnd(reader, "c") && inCell) {
            inCell = false;
            if (column < kMostColumns) {
                if (row.size() <= column)
                    row.resize(column + 1);
                ImportCell& cell = row[column];
                if (type == "s") {
                    char* end = nullptr;
                    const unsigned long index = std::strtoul(value.c_str(), &end, 10);
                    if (value.empty() || *end != '\0' || index >= m_strings.size())
                        Damaged();
                    cell.SetText(m_strings[index].data(), m_strings[index].size());
                } else if (type == "inlineStr" || type == "str" || type == "e" || type == "d") {
                    cell.SetText(value.data(), value.size());
                } else if (!value.empty()) {
                    char* end = nullptr;
                    const double number = std::strtod(value.c_str(), &end);
                    if (*end != '\0')
                        Damaged();
                    cell.SetNumber(number);
                }
                any = any || cell.kind != ImportCell::Kind::Empty;
            }
            ++column;
        } else if (IsEnd(reader, "row")) {
            if (any) {
                while (!row.empty() && row.back().kind == ImportCell::Kind::Empty)
                    row.pop_back();
                return true;
            }
            inRow = false;
            row.clear();
        }
    }
}
