#include "TextShortening.h"

namespace {

constexpr char16_t kDotsWithTerminator[] = u"...";

} // namespace

QString ShortenText(const QString& text, int width, int offset, const TextWidthMeasurer& measure) {
    if (text.isEmpty() || measure(text) + offset <= width)
        return text;
    // Three dots and the NUL after them: four characters.
    const int dots = measure(QStringView(kDotsWithTerminator, 4));
    qsizetype length = text.size();
    while (length > 1 && measure(QStringView(text).left(length)) + dots + offset > width)
        --length;
    return text.left(length) + QStringLiteral("...");
}
