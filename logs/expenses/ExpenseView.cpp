#include "ExpenseView.h"

std::vector<ListColumn> CExpenseView::MakeColumns(bool) const {
    return {{"Date", 100}, {"Vender", 200}, {"Description", 200}, {"Odometer", 100}, {"Cost", 100}};
}
