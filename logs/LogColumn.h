#pragma once

#include <string>
#include <vector>

// One column of a log's list as the list, the reports and tvtool see it: its
// heading and its width in pixels.
struct LogColumn {
    std::string title;
    int width = 100;
};

using LogColumns = std::vector<LogColumn>;
