#pragma once

#include <QString>
#include <string>
#include <string_view>

// The data file and the handheld keep texts as single bytes of the
// Windows-1252 code page. These convert between that and the window system.
namespace AnsiText {

QString ToQString(std::string_view bytes);
// Characters outside the code page become '?'.
std::string FromQString(const QString& text);

} // namespace AnsiText
