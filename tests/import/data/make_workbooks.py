# Writes the small workbooks the import tests read, with real writers:
# openpyxl for .xlsx, xlwt for .xls. Run with /usr/bin/python3 to remake them.
import datetime
import openpyxl
import xlwt

HEADER = ["Date", "Car", "Start Odometer", "End Odometer", "Destination", "Category", "Notes"]
ROWS = [
    [datetime.datetime(2021, 3, 4, 8, 15), "Civic", 1200, 1234.0, "Büro Nord", "Business", "first"],
    [datetime.datetime(2021, 3, 5, 17, 30), "civic", 1234, 1300, "Home", "Personal", None],
]

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Ignored"
trips = book.create_sheet("Trips")
for row in [HEADER] + ROWS:
    sheet.append(["x"])
    trips.append(row)
book.save("trips.xlsx")

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Trips")
dates = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm")
for r, row in enumerate([HEADER] + ROWS):
    for c, value in enumerate(row):
        if isinstance(value, datetime.datetime):
            sheet.write(r, c, value, dates)
        elif value is not None:
            sheet.write(r, c, value)
book.save("trips.xls")
