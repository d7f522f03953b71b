// The canvas over Qt's painter: font sizes from the device resolution, line
// heights with leading, texts placed by their top left corner, file bytes in
// the Windows code page, and the page loop's range and stops.

#include "PainterCanvas.h"
#include "TripReport.h"
#include "TvDocument.h"

#include <QFontInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kDpi = 144;

// A Letter sheet at 144 dots per inch, a quarter inch unprintable all round.
ReportPage Letter() {
    ReportPage page;
    page.dpiX = page.dpiY = kDpi;
    page.width = 1224;
    page.height = 1584;
    page.offsetX = page.offsetY = 36;
    return page;
}

class PainterCanvasTest : public testing::Test {
protected:
    PainterCanvasTest() : m_image(600, 200, QImage::Format_RGB32) {
        m_image.fill(Qt::white);
        m_painter.begin(&m_image);
    }
    ~PainterCanvasTest() override {
        if (m_painter.isActive())
            m_painter.end();
    }

    // The rows of the image with any dark pixel: first and last.
    std::pair<int, int> InkRows() {
        m_painter.end();
        int first = -1, last = -1;
        for (int y = 0; y < m_image.height(); ++y)
            for (int x = 0; x < m_image.width(); ++x)
                if (qGray(m_image.pixel(x, y)) < 128) {
                    if (first < 0)
                        first = y;
                    last = y;
                    break;
                }
        return {first, last};
    }

    QImage m_image;
    QPainter m_painter;
};

TEST_F(PainterCanvasTest, FontsAreSizedForTheDeviceAndLinesCountTheirLeading) {
    PainterCanvas canvas(m_painter, Letter());
    EXPECT_EQ(canvas.DpiY(), kDpi);
    EXPECT_EQ(canvas.PhysicalOffsetX(), 36);

    // 10 points at 144 dpi are 20 pixels of character height; 16 points 32.
    canvas.SelectFont(ReportFont::Body);
    EXPECT_EQ(m_painter.font().pixelSize(), 20);
    EXPECT_EQ(QFontInfo(m_painter.font()).weight(), 400);
    const QFontMetrics body(m_painter.font(), &m_image);
    EXPECT_EQ(canvas.LineHeight(), body.ascent() + body.descent() + body.leading());
    EXPECT_GT(canvas.LineHeight(), 20);
    EXPECT_LT(canvas.LineHeight(), 26);
    const int bodyWidth = canvas.TextWidth("Total Miles");

    canvas.SelectFont(ReportFont::Heading);
    EXPECT_EQ(m_painter.font().pixelSize(), 20);
    EXPECT_EQ(QFontInfo(m_painter.font()).weight(), 700);
    EXPECT_GT(canvas.TextWidth("Total Miles"), bodyWidth) << "the heading font is bold";

    canvas.SelectFont(ReportFont::Title);
    EXPECT_EQ(m_painter.font().pixelSize(), 32);
    EXPECT_GT(canvas.LineHeight(), 32);
    EXPECT_EQ(canvas.TextWidth(""), 0);
}

TEST_F(PainterCanvasTest, TextsAreWindowsCodePageBytes) {
    PainterCanvas canvas(m_painter, Letter());
    const QFontMetrics metrics(m_painter.font(), &m_image);
    // 0x80 is the euro sign and 0xE9 an e with acute accent in the code
    // page; read as Latin-1 the first would be a control character.
    EXPECT_EQ(canvas.TextWidth("\x80"), metrics.horizontalAdvance(QChar(0x20AC)));
    EXPECT_EQ(canvas.TextWidth("Caf\xE9"), metrics.horizontalAdvance(QString::fromUtf8("Café")));
    EXPECT_GT(canvas.TextWidth("\x80"), 0);
}

TEST_F(PainterCanvasTest, TextHangsBelowItsPointAndLinesGoWhereTheyAreDrawn) {
    PainterCanvas canvas(m_painter, Letter());
    canvas.SelectFont(ReportFont::Title);
    canvas.DrawText(10, 50, "Trip Log Report");
    const auto [top, bottom] = InkRows();
    // The ink of capitals starts a little below the top, not above it (a
    // text drawn on its baseline would stand above y).
    EXPECT_GE(top, 50);
    EXPECT_LE(top, 50 + 12);
    EXPECT_LE(bottom, 50 + 32 + 8);

    m_image.fill(Qt::white);
    m_painter.begin(&m_image);
    PainterCanvas again(m_painter, Letter());
    again.DrawLine(0, 120, 300, 120);
    EXPECT_EQ(InkRows(), std::make_pair(120, 120));
}

// The page loop on a PDF writer: the range the print dialog chose, and a
// stop asked for before a page.
TEST(ReportRenderTest, DrawsTheChosenPagesAndStopsWhenAsked) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    TvDocument document;
    for (int i = 0; i < 300; ++i) {
        TripRecord trip(MTime(2024, 1, 1 + i % 28, 9, 0, 0, -1));
        trip.EndOdometer = i;
        document.Trips().Append(std::move(trip));
    }
    std::vector<const TripRecord*> rows;
    for (const TripRecord& trip : document.Trips().Records())
        rows.push_back(&trip);

    QPdfWriter writer(folder.path() + "/range.pdf");
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setResolution(300);
    TripReport report(rows, ReportSettings{});
    QPainter painter(&writer);
    std::vector<std::pair<int, int>> asked;
    ReportRender::Hooks hooks;
    hooks.beforePage = [&](int done, int total) {
        asked.emplace_back(done, total);
        return true;
    };
    EXPECT_EQ(ReportRender::DrawPages(report, painter, writer, 2, 99, hooks),
              ReportRender::Result::Done);
    ASSERT_GE(report.PageCount(), 5);
    // Pages 2 to the last: the range is cut to the pages there are.
    const int total = report.PageCount() - 1;
    ASSERT_EQ(asked.size(), static_cast<std::size_t>(total));
    EXPECT_EQ(asked.front(), std::make_pair(1, total));
    EXPECT_EQ(asked.back(), std::make_pair(total, total));

    asked.clear();
    hooks.beforePage = [&](int done, int total) {
        asked.emplace_back(done, total);
        return done < 3;
    };
    EXPECT_EQ(ReportRender::DrawPages(report, painter, writer, 0, 0, hooks),
              ReportRender::Result::Stopped);
    EXPECT_EQ(asked.size(), 3u);
    painter.end();
}

} // namespace
