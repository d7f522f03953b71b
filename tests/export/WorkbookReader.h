#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>

// A workbook as a real reader sees it: read_workbook.py, run by the system's
// python3 with xlrd (Excel 5) or openpyxl (.xlsx).
struct ReadCell {
    std::string kind; // text, number or date
    bool bold = false;
    std::string value;
};

struct ReadWorkbook {
    bool readable = false;
    std::string output; // everything the reader printed
    std::string sheetName;
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, ReadCell> cells;

    const ReadCell& At(int row, int column) const {
        static const ReadCell none{"none", false, ""};
        const auto found = cells.find({row, column});
        return found != cells.end() ? found->second : none;
    }
};

// Runs the reader, read_workbook.py beside this header (its path comes from
// the build, since __FILE__ may be relative); mode is "xls",
// "xlsx" or "book" (the "Book" stream in hex, left in output).
inline ReadWorkbook RunWorkbookReader(const std::string& mode, const std::string& path) {
    ReadWorkbook result;
    const std::string script = TV_WORKBOOK_READER;
    const std::string command =
        "/usr/bin/python3 '" + script + "' " + mode + " '" + path + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char block[65536];
    while (const std::size_t got = std::fread(block, 1, sizeof(block), pipe))
        result.output.append(block, got);
    const int status = ::pclose(pipe);
    result.readable = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!result.readable || mode == "book")
        return result;

    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string first;
        std::getline(fields, first, '\t');
        if (first == "sheet") {
            std::string rows, columns;
            std::getline(fields, result.sheetName, '\t');
            std::getline(fields, rows, '\t');
            std::getline(fields, columns);
            result.rows = std::stoi(rows);
            result.columns = std::stoi(columns);
        } else if (first != "biff") {
            std::string column, bold;
            ReadCell cell;
            std::getline(fields, column, '\t');
            std::getline(fields, cell.kind, '\t');
            std::getline(fields, bold, '\t');
            std::getline(fields, cell.value);
            cell.bold = bold == "1";
            result.cells[{std::stoi(first), std::stoi(column)}] = cell;
        }
    }
    return result;
}

inline std::ostream& operator<<(std::ostream& out, const ReadCell& cell) {
    return out << cell.kind << (cell.bold ? " bold " : " ") << cell.value;
}
