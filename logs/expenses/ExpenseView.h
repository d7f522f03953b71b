#pragma once

#include "LogView.h"

// The expense log: the expenses of the filter's vehicle, category and dates.
class CExpenseView : public CLogView {
    Q_OBJECT
public:
    using CLogView::CLogView;

    int LogIndex() const override { return LogIndex::kExpenseLog; }
    QString Title() const override { return "Expense Log"; }
    bool HasReport() const override { return true; }

protected:
    std::vector<ListColumn> MakeColumns(bool metric) const override;
};
