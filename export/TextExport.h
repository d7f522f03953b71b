#pragma once

#include "LogExport.h"

#include <string>

class MByteSink;

// The delimited text exports of the trip, service and expense logs.

struct TextExportSettings {
    char Delimiter = ',';         // tab, comma, colon or semicolon
    int DateTimeExportFormat = 0; // 1: dates only; any other value: date and time
};

// Writes the log to sink: the column titles, then one line per record the
// export takes (LogExport.h), in store order. Every field, the last one too,
// is followed by the delimiter and every line ends in CR LF. Texts go out as
// the stored bytes, cut to 255 characters, with line breaks and the
// delimiter turned into spaces; nothing is quoted. Dates are "M/D/YYYY", with
// " H:MM" unless dates only are asked for (service and expense dates at
// 0:00). False when the progress stopped it; raises MExcept when a write
// fails.
bool WriteTextExport(TvDocument& document, ExportLog log, const TextExportSettings& settings,
                     MByteSink& sink, ExportProgress* progress);

// Writes the export to the file at path, which it replaces only once the
// whole file is written: an export that fails (MExcept raised) or is stopped
// leaves the path as it was and no partial file behind. Raises
// MExceptFileOpenError when the file cannot be created there.
ExportOutcome ExportTextFile(TvDocument& document, ExportLog log,
                             const TextExportSettings& settings, const std::string& path,
                             ExportProgress* progress);
