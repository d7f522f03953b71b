#!/usr/bin/python3
"""Writes the cells of a workbook again with python3-xlwt and prints how long it took.

Usage: xlwt_workbook.py IN OUT

Reads the first sheet of the Excel 5 workbook IN with xlrd (not timed), then
writes the same cells with xlwt to OUT: labels, numbers and dates in the
"m/d/yyyy h:mm" format, the first row bold, as the trip export writes them.
Prints the microseconds that building and saving the workbook took.
"""

import sys
import time

import xlrd
import xlwt


def main():
    source, target = sys.argv[1], sys.argv[2]
    book = xlrd.open_workbook(source, encoding_override="cp1252")
    sheet = book.sheet_by_index(0)
    cells = [(row, column, sheet.cell_type(row, column), sheet.cell_value(row, column))
             for row in range(sheet.nrows) for column in range(sheet.ncols)
             if sheet.cell_type(row, column) != xlrd.XL_CELL_EMPTY]

    start = time.perf_counter()
    workbook = xlwt.Workbook(encoding="cp1252")
    worksheet = workbook.add_sheet("Sheet1")
    bold = xlwt.easyxf("font: name Arial, bold on")
    date = xlwt.easyxf("font: name Arial", num_format_str="m/d/yyyy h:mm")
    plain = xlwt.easyxf("font: name Arial")
    for row, column, kind, value in cells:
        style = bold if row == 0 else date if kind == xlrd.XL_CELL_DATE else plain
        worksheet.write(row, column, value, style)
    workbook.save(target)
    print(int((time.perf_counter() - start) * 1e6))


if __name__ == "__main__":
    main()
