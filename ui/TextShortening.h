#pragma once

#include <QString>
#include <QStringView>
#include <functional>

// How wide a text is drawn, in pixels.
using TextWidthMeasurer = std::function<int(QStringView text)>;

// The text a list cell shows in a column of the given width: unchanged when
// it is empty or its width plus the offset fits; otherwise its longest prefix
// (at least one character) that fits together with "..." and the offset,
// followed by "...". The dots are measured with a terminating NUL, as the
// list has always measured them.
QString ShortenText(const QString& text, int width, int offset, const TextWidthMeasurer& measure);
