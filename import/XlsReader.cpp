#include "XlsReader.h"

#include "FreeXlCopy.h"
#include "TextEncoding.h"

#include <freexl.h>

#include <cstring>

namespace {

constexpr const char* kNotAWorkbook =
    "The file is not an Excel workbook that can be read, or it is damaged.";

} // namespace

XlsReader::XlsReader(const std::string& path, const std::string& sheet) {
    const FreeXlCopy copy(path);
    m_fromCodePage437 = copy.IsExcel5();
    const int opened = freexl_open(copy.Path().c_str(), &m_handle);
    // FreeXL may answer a workbook it gave up on with success and no handle.
    if (opened != FREEXL_OK || m_handle == nullptr) {
        if (m_handle != nullptr)
            freexl_close(m_handle);
        m_handle = nullptr;
        throw MExceptImport(opened == FREEXL_FILE_NOT_FOUND ? "The file cannot be opened."
                                                            : kNotAWorkbook);
    }
    unsigned int info = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw MExceptImport("The workbook is protected by a password. Save it without one "
                            "and import it again.");
    }
    if (freexl_get_info(m_handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK)
        m_date1904 = info == FREEXL_BIFF_DATEMODE_1904;
    unsigned int sheets = 0;
    freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    int chosen = sheets > 0 && sheet.empty() ? 0 : -1;
    for (unsigned int i = 0; i < sheets && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        std::string bytes;
        if (freexl_get_worksheet_name(m_handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK ||
            name == nullptr ||
            !(m_fromCodePage437 ? FreeXlCopy::TakeBackText(name, bytes)
                                : AppendUtf8AsCp1252(name, bytes)))
            bytes.clear();
        if (chosen < 0 && !bytes.empty() && bytes == sheet)
            chosen = static_cast<int>(i);
        m_sheetNames.push_back(std::move(bytes));
    }
    if (chosen < 0 ||
        freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(chosen)) !=
            FREEXL_OK ||
        freexl_worksheet_dimensions(m_handle, &m_rows, &m_columns) != FREEXL_OK) {
        freexl_close(m_handle);
        m_handle = nullptr;
        throw MExceptImport(sheets == 0 ? kNotAWorkbook
                                        : "The workbook has no sheet named \"" + sheet + "\".");
    }
}

XlsReader::~XlsReader() {
    if (m_handle != nullptr)
        freexl_close(m_handle);
}

bool XlsReader::Next(ImportRow& row) {
    while (m_next < m_rows) {
        const unsigned int at = m_next++;
        row.resize(m_columns);
        bool any = false;
        for (unsigned short column = 0; column < m_columns; ++column) {
            ImportCell& cell = row[column];
            FreeXL_CellValue value{};
            if (freexl_get_cell_value(m_handle, at, column, &value) != FREEXL_OK)
                throw MExceptImport(kNotAWorkbook);
            switch (value.type) {
            case FREEXL_CELL_INT:
                cell.SetNumber(value.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                cell.SetNumber(value.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: {
                std::string bytes;
                const char* text = value.value.text_value != nullptr ? value.value.text_value : "";
                if (m_fromCodePage437 ? !FreeXlCopy::TakeBackText(text, bytes)
                                      : !AppendUtf8AsCp1252(text, bytes))
                    throw MExceptImport(kNotAWorkbook);
                cell.SetText(bytes.data(), bytes.size());
                break;
            }
            default:
                cell.SetText("", 0);
                break;
            }
            any = any || cell.kind != ImportCell::Kind::Empty;
        }
        while (!row.empty() && row.back().kind == ImportCell::Kind::Empty)
            row.pop_back();
        if (any)
            return true;
    }
    return false;
}
