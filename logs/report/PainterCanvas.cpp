#include "PainterCanvas.h"

#include "Cp1252.h"
#include "LogReport.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace {

QString FromFileBytes(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(Cp1252::CodePoint(static_cast<unsigned char>(byte)));
    return text;
}

std::size_t IndexOf(ReportFont font) {
    return static_cast<std::size_t>(font);
}

} // namespace

ReportPage ReportPage::Of(const QPagedPaintDevice& device) {
    const QPageLayout layout = device.pageLayout();
    ReportPage page;
    page.dpiX = device.logicalDpiX();
    page.dpiY = device.logicalDpiY();
    const QRect full = layout.fullRectPixels(page.dpiY);
    const QRect printable = layout.paintRectPixels(page.dpiY);
    page.width = full.width();
    page.height = full.height();
    page.offsetX = printable.left() - full.left();
    page.offsetY = printable.top() - full.top();
    return page;
}

PainterCanvas::PainterCanvas(QPainter& painter, const ReportPage& page)
    : m_painter(painter), m_page(page) {
    for (const ReportFont font : {ReportFont::Title, ReportFont::Heading, ReportFont::Body}) {
        const ReportFontSpec spec = SpecOf(font);
        QFont& made = m_fonts[IndexOf(font)];
        made.setFamily(QString::fromLatin1(spec.face));
        made.setPixelSize(std::max(1, spec.points * page.dpiY / 72));
        made.setWeight(static_cast<QFont::Weight>(spec.weight));
        made.setItalic(false);
        made.setUnderline(false);
        made.setStrikeOut(false);
    }
    for (const QFont& font : m_fonts)
        m_metrics.emplace_back(font, painter.device());
    m_painter.setPen(QPen(Qt::black, 0));
    SelectFont(ReportFont::Body);
}

void PainterCanvas::SelectFont(ReportFont font) {
    m_selected = IndexOf(font);
    m_painter.setFont(m_fonts[m_selected]);
}

int PainterCanvas::LineHeight() const {
    const QFontMetrics& metrics = m_metrics[m_selected];
    return metrics.ascent() + metrics.descent() + std::max(0, metrics.leading());
}

int PainterCanvas::TextWidth(std::string_view text) const {
    return m_metrics[m_selected].horizontalAdvance(FromFileBytes(text));
}

void PainterCanvas::DrawText(int x, int y, std::string_view text) {
    if (text.empty())
        return;
    m_painter.drawText(QPoint(x, y + m_metrics[m_selected].ascent()), FromFileBytes(text));
}

void PainterCanvas::DrawLine(int x1, int y1, int x2, int y2) {
    m_painter.drawLine(x1, y1, x2, y2);
}

namespace ReportRender {

Result DrawPages(LogReport& report, QPainter& painter, QPagedPaintDevice& device, int first,
                 int last, const Hooks& hooks) {
    PainterCanvas canvas(painter, ReportPage::Of(device));
    report.Begin(canvas);
    const int count = report.PageCount();
    first = first <= 0 ? 1 : std::min(first, count);
    last = last <= 0 ? count : std::clamp(last, first, count);
    const int total = last - first + 1;
    for (int page = first; page <= last; ++page) {
        if (hooks.beforePage && !hooks.beforePage(page - first + 1, total))
            return Result::Stopped;
        if (page != first && !device.newPage())
            return Result::Failed;
        if (const std::optional<std::string> error = report.DrawPage(canvas, page)) {
            if (hooks.onError && !hooks.onError(*error))
                return Result::Stopped;
        }
    }
    return Result::Done;
}

} // namespace ReportRender
