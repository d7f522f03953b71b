#pragma once

#include "LogView.h"

// The service log: the service work of the filter's vehicle and dates.
class CServiceView : public CLogView {
    Q_OBJECT
public:
    using CLogView::CLogView;

    int LogIndex() const override { return LogIndex::kServiceLog; }
    QString Title() const override { return "Service Log"; }
    bool HasReport() const override { return true; }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
};
