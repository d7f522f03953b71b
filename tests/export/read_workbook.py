#!/usr/bin/python3
"""Reads a workbook the exports wrote with a real reader and prints what it found.

Usage: read_workbook.py xls|xlsx|book FILE

xls reads an Excel 5 workbook with xlrd, xlsx an .xlsx workbook with openpyxl;
both print the first sheet as

    sheet<TAB>NAME<TAB>ROWS<TAB>COLUMNS
    ROW<TAB>COLUMN<TAB>KIND<TAB>BOLD<TAB>VALUE

one line per cell that holds something, KIND being text, number or date. A
number is printed as Python's repr of the float; a date as
"YYYY-MM-DD HH:MM:SS|FORMAT" with the cell's number format. Texts are printed
in UTF-8. book prints the bytes of the compound file's "Book" stream in hex.
Exits 1 with the reader's complaint when the file cannot be read.
"""

import datetime
import sys


def read_xls(path):
    import xlrd

    # The workbook names its code page; the reader takes it from there.
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    yield "biff\t%d" % book.biff_version
    yield "sheet\t%s\t%d\t%d" % (sheet.name, sheet.nrows, sheet.ncols)
    for row in range(sheet.nrows):
        for column in range(sheet.ncols):
            cell = sheet.cell(row, column)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            xf = book.xf_list[cell.xf_index]
            # Excel 5 tells bold by the font's weight, as Excel does.
            bold = int(book.font_list[xf.font_index].weight >= 700)
            if cell.ctype == xlrd.XL_CELL_TEXT:
                kind, value = "text", cell.value
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                kind, value = "number", repr(float(cell.value))
            elif cell.ctype == xlrd.XL_CELL_DATE:
                moment = datetime.datetime(*xlrd.xldate_as_tuple(cell.value, book.datemode))
                kind = "date"
                value = "%s|%s" % (moment.isoformat(" "), book.format_map[xf.format_key].format_str)
            else:
                kind, value = "other", repr(cell.value)
            yield "%d\t%d\t%s\t%d\t%s" % (row, column, kind, bold, value)


def read_xlsx(path):
    import openpyxl

    # From an open file: openpyxl judges a file name by its extension.
    with open(path, "rb") as stream:
        book = openpyxl.load_workbook(stream)
    sheet = book.worksheets[0]
    yield "sheet\t%s\t%d\t%d" % (sheet.title, sheet.max_row, sheet.max_column)
    for cells in sheet.iter_rows():
        for cell in cells:
            if cell.value is None:
                continue
            bold = int(bool(cell.font.b))
            if cell.data_type == "s":
                kind, value = "text", cell.value
            elif cell.data_type == "n":
                kind, value = "number", repr(float(cell.value))
            elif cell.data_type == "d":
                kind = "date"
                value = "%s|%s" % (cell.value.isoformat(" "), cell.number_format)
            else:
                kind, value = "other", repr(cell.value)
            yield "%d\t%d\t%s\t%d\t%s" % (cell.row - 1, cell.column - 1, kind, bold, value)


def read_book_stream(path):
    from xlrd import compdoc

    with open(path, "rb") as stream:
        document = compdoc.CompDoc(stream.read())
    yield document.get_named_stream("Book").hex()


def main():
    mode, path = sys.argv[1], sys.argv[2]
    readers = {"xls": read_xls, "xlsx": read_xlsx, "book": read_book_stream}
    out = open(sys.stdout.fileno(), "w", encoding="utf-8", closefd=False)
    try:
        lines = list(readers[mode](path))
    except Exception as error:  # the reader's complaint is the result
        print("unreadable: %s: %s" % (type(error).__name__, error), file=sys.stderr)
        return 1
    for line in lines:
        out.write(line + "\n")
    out.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
