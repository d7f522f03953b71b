#include "AnsiText.h"

#include "Cp1252.h"

namespace AnsiText {

QString ToQString(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(Cp1252::CodePoint(static_cast<unsigned char>(byte)));
    return text;
}

std::string FromQString(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar character : text)
        bytes.push_back(Cp1252::ByteOf(character.unicode()));
    return bytes;
}

} // namespace AnsiText
