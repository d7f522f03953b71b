#include "XlsxWriter.h"

#include "Cp1252.h"
#include "GsfLibrary.h"
#include "MExcept.h"

#include <gsf/gsf-infile-zip.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void Check(lxw_error result) {
    if (result != LXW_NO_ERROR)
        throw MExceptFileWriteError();
}

// Holds a reference of a libgsf object.
template <typename T> struct Held {
    explicit Held(T* object) : object(object) {}
    ~Held() {
        if (object != nullptr)
            g_object_unref(object);
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T* object;
};

// The last bytes of a member of the archive, read through to its end (which
// also checks it against its checksum).
std::string TailOf(GsfInput* member) {
    constexpr std::size_t kKeep = 64 * 1024;
    std::string tail;
    std::vector<guint8> block(kKeep);
    gsf_off_t left = gsf_input_size(member);
    while (left > 0) {
        const auto size = static_cast<std::size_t>(std::min<gsf_off_t>(left, kKeep));
        if (gsf_input_read(member, size, block.data()) == nullptr)
            throw MExceptFileWriteError();
        tail.append(reinterpret_cast<const char*>(block.data()), size);
        if (tail.size() > 2 * kKeep)
            tail.erase(0, tail.size() - kKeep);
        left -= static_cast<gsf_off_t>(size);
    }
    return tail;
}

std::string_view TrimmedEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.remove_suffix(1);
    return text;
}

// Every member of the archive must end its markup, and the sheet must hold
// its last row.
void CheckMembers(GsfInfile* folder, const std::string& lastRowTag) {
    const int count = gsf_infile_num_children(folder);
    for (int i = 0; i < count; ++i) {
        Held<GsfInput> child(gsf_infile_child_by_index(folder, i));
        if (child.object == nullptr)
            throw MExceptFileWriteError();
        if (GSF_IS_INFILE(child.object) && gsf_infile_num_children(GSF_INFILE(child.object)) >= 0) {
            CheckMembers(GSF_INFILE(child.object), lastRowTag);
            continue;
        }
        const std::string tail = TailOf(child.object);
        const std::string_view end = TrimmedEnd(tail);
        if (end.empty() || end.back() != '>')
            throw MExceptFileWriteError();
        if (std::string_view(gsf_input_name(child.object)) == "sheet1.xml" &&
            (!end.ends_with("</worksheet>") || tail.find(lastRowTag) == std::string::npos))
            throw MExceptFileWriteError();
    }
}

void CheckWorkbook(const std::string& path, std::uint32_t rows) {
    InitGsfLibrary();
    Held<GsfInput> file(gsf_input_stdio_new(path.c_str(), nullptr));
    if (file.object == nullptr)
        throw MExceptFileWriteError();
    Held<GsfInfile> archive(gsf_infile_zip_new(file.object, nullptr));
    if (archive.object == nullptr)
        throw MExceptFileWriteError();
    CheckMembers(archive.object, "<row r=\"" + std::to_string(rows) + "\"");
}

} // namespace

XlsxSheetWriter::XlsxSheetWriter(const std::string& path, std::time_t created,
                                 const std::string& tmpdir)
    : m_path(path), m_tmpdir(tmpdir) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    // The library keeps the pointer and reads it until the workbook is closed.
    options.tmpdir = m_tmpdir.data();
    m_workbook = workbook_new_opt(path.c_str(), &options);
    if (m_workbook == nullptr)
        throw MExceptOutOfMemory();
    lxw_doc_properties properties{};
    properties.created = created;
    Check(workbook_set_properties(m_workbook, &properties));
    m_sheet = workbook_add_worksheet(m_workbook, "Sheet1");
    m_bold = workbook_add_format(m_workbook);
    m_dateTime = workbook_add_format(m_workbook);
    if (m_sheet == nullptr || m_bold == nullptr || m_dateTime == nullptr) {
        FreeUnclosed();
        throw MExceptOutOfMemory();
    }
    format_set_bold(m_bold);
    format_set_num_format(m_dateTime, "m/d/yyyy h:mm");
}

XlsxSheetWriter::~XlsxSheetWriter() {
    FreeUnclosed();
}

void XlsxSheetWriter::FreeUnclosed() {
    if (m_workbook == nullptr)
        return;
    // Freeing a workbook leaves the rows' temporary file open; only closing
    // the workbook would close it.
    if (m_sheet != nullptr && m_sheet->optimize_tmpfile != nullptr) {
        std::fclose(m_sheet->optimize_tmpfile);
        m_sheet->optimize_tmpfile = nullptr;
    }
    lxw_workbook_free(std::exchange(m_workbook, nullptr));
}

void XlsxSheetWriter::Close() {
    lxw_workbook* workbook = m_workbook;
    m_workbook = nullptr;
    // Closing frees the workbook whether or not the file could be written.
    Check(workbook_close(workbook));
    CheckWorkbook(m_path, m_rows);
}

void XlsxSheetWriter::Written(std::uint32_t row) {
    m_rows = std::max(m_rows, row + 1);
}

void XlsxSheetWriter::WriteLabel(std::string_view text, std::uint32_t row, std::uint16_t column,
                                 bool bold) {
    const std::string utf8 = Cp1252::ToUtf8(text.substr(0, 255));
    Check(worksheet_write_string(m_sheet, row, column, utf8.c_str(), bold ? m_bold : nullptr));
    Written(row);
}

void XlsxSheetWriter::WriteNumber(double value, std::uint32_t row, std::uint16_t column,
                                  bool bold) {
    Check(worksheet_write_number(m_sheet, row, column, value, bold ? m_bold : nullptr));
    Written(row);
}

void XlsxSheetWriter::WriteDateTime(std::uint32_t row, std::uint16_t column, int year, int month,
                                    int day, int hour, int minute) {
    Check(worksheet_write_number(m_sheet, row, column,
                                 OleAutomationDate(year, month, day, hour, minute), m_dateTime));
    Written(row);
}
