#include "Clock.h"
#include "ExpenseReport.h"
#include "MExcept.h"
#include "ReportCanvas.h"
#include "ServiceReport.h"
#include "TripReport.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// A device of 100 dots per inch whose fonts have round metrics: every
// character of the body font is 5 units wide, of the heading font 6, of the
// title 10; lines are 10, 12 and 20 units high. It records what is drawn.
class RecordingCanvas final : public ReportCanvas {
public:
    struct Text {
        ReportFont font;
        int x;
        int y;
        std::string text;
    };
    struct Line {
        int x1, y1, x2, y2;
    };

    explicit RecordingCanvas(int height = 1100) : m_height(height) {}

    int DpiX() const override { return 100; }
    int DpiY() const override { return 100; }
    int PhysicalWidth() const override { return 850; }
    int PhysicalHeight() const override { return m_height; }
    int PhysicalOffsetX() const override { return 0; }
    int PhysicalOffsetY() const override { return 0; }
    void SelectFont(ReportFont font) override { m_font = font; }
    int LineHeight() const override {
        return m_font == ReportFont::Title ? 20 : m_font == ReportFont::Heading ? 12 : 10;
    }
    int TextWidth(std::string_view text) const override {
        const int each = m_font == ReportFont::Title ? 10 : m_font == ReportFont::Heading ? 6 : 5;
        return each * static_cast<int>(text.size());
    }
    void DrawText(int x, int y, std::string_view text) override {
        texts.push_back({m_font, x, y, std::string(text)});
    }
    void DrawLine(int x1, int y1, int x2, int y2) override { lines.push_back({x1, y1, x2, y2}); }

    const Text* Find(const std::string& text) const {
        for (const Text& drawn : texts)
            if (drawn.text == text)
                return &drawn;
        return nullptr;
    }
    std::vector<std::string> At(int y) const {
        std::vector<std::string> found;
        for (const Text& drawn : texts)
            if (drawn.y == y)
                found.push_back(drawn.text);
        return found;
    }
    void Clear() {
        texts.clear();
        lines.clear();
    }

    std::vector<Text> texts;
    std::vector<Line> lines;

private:
    int m_height;
    ReportFont m_font = ReportFont::Body;
};

// Sheets on which each report has exactly 50 rows a page: the body area is
// the height less both margins and the 150-unit header.
constexpr int kFiftyRowsHalfInch = 100 + 150 + 500;
constexpr int kFiftyRowsQuarterInch = 50 + 150 + 500;
// The first row line: top (50) plus the header (150).
constexpr int kFirstRowY = 200;

MTime Day(int year, int month, int day) {
    return MTime(year, month, day, 12, 0, 0, -1);
}

class ReportTest : public testing::Test {
protected:
    TripRecord& AddTrip(const MTime& start, std::int32_t from, std::int32_t to,
                        const char* place = "Depot") {
        TripRecord trip(start);
        trip.StartOdometer = from;
        trip.EndOdometer = to;
        trip.Destination.Set(place);
        return m_document.Trips().Append(std::move(trip));
    }
    std::vector<const TripRecord*> Trips() const {
        std::vector<const TripRecord*> rows;
        for (const TripRecord& trip : m_document.Trips().Records())
            rows.push_back(&trip);
        return rows;
    }

    std::vector<const ExpenseRecord*> Expenses(const std::vector<MTime>& dates) {
        std::vector<const ExpenseRecord*> rows;
        for (const MTime& date : dates) {
            ExpenseRecord expense(date);
            expense.Cost = 1000;
            rows.push_back(&m_document.Expenses().Append(std::move(expense)));
        }
        return rows;
    }

    TvDocument m_document;
};

TEST_F(ReportTest, AnEmptyTripListPrintsOnePageWithItsHeaderAndAZeroTotal) {
    RecordingCanvas canvas;
    TripReport report({}, ReportSettings{});
    report.Begin(canvas);
    ASSERT_EQ(report.PageCount(), 1);
    EXPECT_FALSE(report.DrawPage(canvas, 1).has_value());

    // Page number right-aligned to the right margin; title centred; no range.
    const RecordingCanvas::Text* page = canvas.Find("Page 1");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->x, 850 - 50 - 30);
    EXPECT_EQ(page->y, 60);
    const RecordingCanvas::Text* title = canvas.Find("Trip Log Report");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->font, ReportFont::Title);
    EXPECT_EQ(title->x, (850 - 150) / 2);
    EXPECT_EQ(title->y, 70);
    EXPECT_EQ(canvas.At(90), std::vector<std::string>{""}) << "all dates: an empty range line";

    // Headings centred in their columns less the gap, each with its rule.
    // The columns of 750 units: 150, 307, 97, 97, 97.
    const int yh = 50 + 150 - 12 - 6;
    EXPECT_EQ(canvas.At(yh),
              (std::vector<std::string>{"Date", "Destination", "Start", "End", "Miles"}));
    EXPECT_EQ(canvas.Find("Destination")->x, 200 + (307 - 66 - 10) / 2);
    ASSERT_EQ(canvas.lines.size(), 5u);
    EXPECT_EQ(canvas.lines[1].x1, 200);
    EXPECT_EQ(canvas.lines[1].x2, 200 + 307 - 10);
    EXPECT_EQ(canvas.lines[1].y1, yh + 12);

    // The total on the first row line, at the second column and the right edge.
    const RecordingCanvas::Text* label = canvas.Find("Total Miles");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->font, ReportFont::Heading);
    EXPECT_EQ(label->x, 200);
    EXPECT_EQ(label->y, kFirstRowY);
    const RecordingCanvas::Text* value = canvas.Find("0");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->x, 50 + 750 - 10 - 6);
    EXPECT_EQ(canvas.At(kFirstRowY + 12),
              (std::vector<std::string>{"Total cost at 0.365000 per mile", "0.00"}));
}

TEST_F(ReportTest, FiftyTripsOnFiftyLinesLeaveTheTotalsToASecondPage) {
    for (int i = 0; i < 50; ++i)
        AddTrip(Day(2004, 1, 1 + i % 28), 1000 * i, 1000 * i + 10);
    RecordingCanvas canvas(kFiftyRowsHalfInch);
    ReportSettings settings;
    settings.rate = 0.5;
    TripReport report(Trips(), settings);
    report.Begin(canvas);
    ASSERT_EQ(report.Layout().rowsPerPage, 50);
    ASSERT_EQ(report.PageCount(), 2);

    report.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.Find("Total Miles"), nullptr);
    EXPECT_EQ(canvas.At(kFirstRowY + 49 * 10).size(), 5u) << "the 50th row is on page 1";
    canvas.Clear();
    report.DrawPage(canvas, 2);
    EXPECT_EQ(canvas.At(kFirstRowY), (std::vector<std::string>{"Total Miles", "500"}));
    EXPECT_EQ(canvas.At(kFirstRowY + 12),
              (std::vector<std::string>{"Total cost at 0.500000 per mile", "250.00"}));
}

TEST_F(ReportTest, NoRateLineWithoutARateYetItsLineIsReserved) {
    for (int i = 0; i < 49; ++i)
        AddTrip(Day(2004, 1, 1), 0, 1);
    RecordingCanvas canvas(kFiftyRowsHalfInch);
    ReportSettings settings;
    settings.rate = 0;
    TripReport report(Trips(), settings);
    report.Begin(canvas);
    EXPECT_EQ(report.PageCount(), 2) << "49 rows, the total and the reserved rate line";
    report.DrawPage(canvas, 2);
    EXPECT_EQ(canvas.At(kFirstRowY), (std::vector<std::string>{"Total Miles", "49"}));
    EXPECT_TRUE(canvas.At(kFirstRowY + 12).empty());

    settings.printRate = 0;
    settings.rate = 2;
    TripReport unreserved(Trips(), settings);
    unreserved.Begin(canvas);
    EXPECT_EQ(unreserved.PageCount(), 1) << "49 rows and the total fit";
    canvas.Clear();
    unreserved.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.Find("Total cost at 2.000000 per mile"), nullptr);
}

TEST_F(ReportTest, MetricHeadingsTotalsAndTheDateRange) {
    TripRecord& inside = AddTrip(Day(2004, 1, 31), 100, 250, "Inside");
    AddTrip(Day(2004, 2, 1), 300, 400, "Outside");
    AddTrip(Day(2004, 1, 1), 500, 450, "Reversed");
    ReportSettings settings;
    settings.metric = true;
    settings.allDates = false;
    settings.from = MTime(2004, 1, 1, 0, 0, 0, -1);
    settings.to = MTime(2004, 1, 31, 23, 59, 59, -1);
    RecordingCanvas canvas;
    TripReport report(Trips(), settings);
    report.Begin(canvas);
    report.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.At(90), std::vector<std::string>{"1/1/2004 through 1/31/2004"});
    EXPECT_NE(canvas.Find("Kilometers"), nullptr);
    EXPECT_EQ(canvas.Find("Miles"), nullptr);
    // The row outside the range is blank but keeps its line.
    EXPECT_EQ(canvas.At(kFirstRowY),
              (std::vector<std::string>{"1/31/2004", "Inside", "100", "250", "150"}));
    EXPECT_TRUE(canvas.At(kFirstRowY + 10).empty());
    EXPECT_EQ(canvas.At(kFirstRowY + 20),
              (std::vector<std::string>{"1/1/2004", "Reversed", "500", "450", "0"}));
    // Numbers end at the column's right edge less the gap: End is column 4.
    const RecordingCanvas::Text* end = canvas.Find("250");
    EXPECT_EQ(end->x + 15, 50 + 150 + 307 + 97 + 97 - 10);
    // The total counts every row of the list, the blank one too.
    EXPECT_EQ(canvas.At(kFirstRowY + 30), (std::vector<std::string>{"Total Kilometers", "250"}));
    EXPECT_NE(canvas.Find("Total cost at 0.365000 per kilometer"), nullptr);
    EXPECT_EQ(inside.Destination.View(), "Inside");
}

TEST_F(ReportTest, TheServiceReportStartsAQuarterInchDownAndReservesNoTotals) {
    VehicleRecord van;
    van.VehicleId = 7;
    m_document.Vehicles().Append(van);
    const Clock::ScopedFix now(Day(2024, 6, 1));
    std::vector<const ServiceRecord*> rows;
    for (int i = 0; i < 50; ++i) {
        ServiceRecord entry(Day(2024, 1, 1));
        entry.VehicleId = 7;
        entry.ServiceTypeId = 0x80000099; // no such type
        rows.push_back(&m_document.Services().Append(std::move(entry)));
    }
    const ServiceRowContext context(m_document);
    RecordingCanvas canvas(kFiftyRowsQuarterInch);
    ServiceReport report(rows, context, ReportSettings{});
    report.Begin(canvas);
    EXPECT_EQ(report.Layout().top, 25);
    EXPECT_EQ(report.Layout().rowsPerPage, 50);
    EXPECT_EQ(report.PageCount(), 1);
    report.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.Find("Page 1")->y, 35);
    EXPECT_EQ(canvas.At(25 + 150 - 12 - 6),
              (std::vector<std::string>{"Date", "Type of Service", "Complete", "Mileage"}));
    EXPECT_EQ(canvas.At(175), (std::vector<std::string>{"1/1/2024", "Unknown", "Past Due", "0"}));

    ServiceReport empty({}, context, ReportSettings{});
    empty.Begin(canvas);
    EXPECT_EQ(empty.PageCount(), 1);
}

TEST_F(ReportTest, TheExpenseTotalIsExactAndGoesWithThePrintedRate) {
    auto expense = [this](std::int32_t cost) {
        ExpenseRecord record(Day(2024, 1, 1));
        record.Cost = cost;
        return &m_document.Expenses().Append(std::move(record));
    };
    ReportSettings settings;
    settings.rate = 0.30;
    RecordingCanvas canvas;
    ExpenseReport small({expense(12500), expense(7250)}, settings);
    small.Begin(canvas);
    small.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.At(kFirstRowY + 20), (std::vector<std::string>{"TOTAL", "19.75"}));

    // Far past what a single-precision sum keeps to the cent.
    ExpenseReport large({expense(2000000000), expense(2000000000), expense(10)}, settings);
    large.Begin(canvas);
    canvas.Clear();
    large.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.At(kFirstRowY + 30), (std::vector<std::string>{"TOTAL", "4000000.01"}));

    settings.rate = 0;
    ExpenseReport unrated({expense(12500)}, settings);
    unrated.Begin(canvas);
    canvas.Clear();
    unrated.DrawPage(canvas, 1);
    EXPECT_EQ(canvas.Find("TOTAL"), nullptr);
    EXPECT_EQ(canvas.Find("Cost")->font, ReportFont::Heading);
}

// At 50 lines a page: the rows, a line for the total and, with Print Rate
// exactly 1, one for the rate; TOTAL only on the last page, after its rows.
TEST_F(ReportTest, TheExpenseReportReservesItsTotalLinesAndTotalsOnTheLastPage) {
    // Rows, Print Rate, pages, the line of TOTAL on the last page (-1: none).
    for (const auto& [rows, printRate, pages, line] : std::vector<std::array<int, 4>>{
             {48, 1, 1, 48}, {49, 1, 2, 0}, {49, 2, 1, 49}, {50, 0, 2, -1}}) {
        ReportSettings settings;
        settings.printRate = printRate;
        ExpenseReport report(Expenses(std::vector<MTime>(rows, Day(2024, 1, 1))), settings);
        RecordingCanvas canvas(kFiftyRowsHalfInch);
        report.Begin(canvas);
        ASSERT_EQ(report.PageCount(), pages) << rows;
        report.DrawPage(canvas, 1);
        EXPECT_EQ(canvas.Find("TOTAL") != nullptr, pages == 1 && line >= 0) << rows;
        canvas.Clear();
        report.DrawPage(canvas, pages);
        ASSERT_EQ(canvas.Find("TOTAL") != nullptr, line >= 0) << rows;
        if (line < 0)
            continue;
        EXPECT_EQ(canvas.At(kFirstRowY + line * 10),
                  (std::vector<std::string>{"TOTAL", std::to_string(rows) + ".00"}));
    }
}

// A row outside the range keeps its line, blank; an unplaceable date ends the
// page's rows with the error; the total still comes.
TEST_F(ReportTest, TheExpenseReportChecksEachRowsDate) {
    ReportSettings settings;
    settings.allDates = false;
    settings.from = MTime(2004, 1, 1, 0, 0, 0, -1);
    settings.to = MTime(2004, 12, 31, 23, 59, 59, -1);
    ExpenseReport report(Expenses({Day(2003, 12, 31), Day(2004, 1, 1),
                                   MTime(std::int64_t{2208988800}), Day(2004, 1, 2)}),
                         settings);
    RecordingCanvas canvas;
    report.Begin(canvas);
    EXPECT_EQ(report.DrawPage(canvas, 1), MExceptTimeOutOfRange().Message());
    EXPECT_EQ(canvas.At(kFirstRowY + 10).front(), "1/1/2004");
    for (const int line : {0, 2, 3})
        EXPECT_TRUE(canvas.At(kFirstRowY + line * 10).empty()) << line;
    EXPECT_EQ(canvas.At(kFirstRowY + 40), (std::vector<std::string>{"TOTAL", "4.00"}));
}

} // namespace
