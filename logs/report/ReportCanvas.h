#pragma once

#include <string_view>

// The three fonts of every report: the title (Arial bold 16 points), the
// column headings (Arial bold 10 points) and the rows (Arial 10 points).
enum class ReportFont { Title, Heading, Body };

struct ReportFontSpec {
    const char* face;
    int weight; // 400 normal, 700 bold
    int points;
};
ReportFontSpec SpecOf(ReportFont font);

// What a report draws on: a printer page, a preview page, a PDF page, or a
// recording fake in the tests. Lengths are device units with the origin at
// the top left of the printable area; texts are file bytes (Windows-1252).
class ReportCanvas {
public:
    virtual ~ReportCanvas() = default;

    // Logical pixels per inch.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // The whole sheet and where the printable area begins on it.
    virtual int PhysicalWidth() const = 0;
    virtual int PhysicalHeight() const = 0;
    virtual int PhysicalOffsetX() const = 0;
    virtual int PhysicalOffsetY() const = 0;

    // Selects a font for the measuring and drawing that follow. A font of P
    // points is P * DpiY / 72 device units high (its character height).
    virtual void SelectFont(ReportFont font) = 0;
    // The selected font's line height: character height plus external leading.
    virtual int LineHeight() const = 0;
    virtual int TextWidth(std::string_view text) const = 0;
    // Draws text whose top left corner is (x, y).
    virtual void DrawText(int x, int y, std::string_view text) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;
};
