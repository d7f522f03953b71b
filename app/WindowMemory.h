#pragma once

#include <QByteArray>
#include <QList>
#include <array>

// What the main window remembers from one run to the next, beside the
// program's settings (group "Window"): its geometry, the splitter, and each
// log's column widths and sort code.
struct WindowMemory {
    static constexpr int kLogs = 5;

    QByteArray Geometry;
    QByteArray Splitter;
    std::array<QList<int>, kLogs> ColumnWidths;
    std::array<int, kLogs> SortCodes{};

    // Nothing stored leaves the members as they are.
    void Load();
    void Save() const;
};
