#pragma once

#include "LogView.h"

// The trip log: the trips of the filter's vehicle, category and dates.
class CTripView : public CLogView {
    Q_OBJECT
public:
    using CLogView::CLogView;

    int LogIndex() const override { return LogIndex::kTripLog; }
    QString Title() const override { return "Trip Log"; }
    bool HasReport() const override { return true; }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
};
