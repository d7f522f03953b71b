#pragma once

#include "LogView.h"

// The service types with their time and distance schedules.
class CServiceTypeView : public CLogView {
    Q_OBJECT
public:
    using CLogView::CLogView;

    int LogIndex() const override { return LogIndex::kServiceTypes; }
    QString Title() const override { return "Service Type List"; }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
};
