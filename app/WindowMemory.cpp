#include "WindowMemory.h"

#include <QSettings>

namespace {

QString LogKey(const char* name, int log) {
    return QString("%1 %2").arg(name).arg(log);
}

} // namespace

void WindowMemory::Load() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "TvDesk");
    settings.beginGroup("Window");
    Geometry = settings.value("Geometry", Geometry).toByteArray();
    Splitter = settings.value("Splitter", Splitter).toByteArray();
    for (int log = 0; log < kLogs; ++log) {
        for (const QVariant& width : settings.value(LogKey("Columns", log)).toList())
            ColumnWidths[log].push_back(width.toInt());
        SortCodes[log] = settings.value(LogKey("Sort", log), SortCodes[log]).toInt();
    }
}

void WindowMemory::Save() const {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "TvDesk");
    settings.beginGroup("Window");
    settings.setValue("Geometry", Geometry);
    settings.setValue("Splitter", Splitter);
    for (int log = 0; log < kLogs; ++log) {
        QVariantList widths;
        for (const int width : ColumnWidths[log])
            widths.push_back(width);
        settings.setValue(LogKey("Columns", log), widths);
        settings.setValue(LogKey("Sort", log), SortCodes[log]);
    }
}
