#pragma once

// Where operations write their trace entries, one line each. The application
// installs its log file here; without one, entries go nowhere.
class TraceLog {
public:
    virtual ~TraceLog() = default;
    virtual void Log(const char* entry) = 0;
};
