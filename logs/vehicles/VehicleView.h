#pragma once

#include "LogView.h"

// The vehicles that are not marked deleted.
class CVehicleView : public CLogView {
    Q_OBJECT
public:
    using CLogView::CLogView;

    int LogIndex() const override { return LogIndex::kVehicleList; }
    QString Title() const override { return "Vehicle List"; }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
};
