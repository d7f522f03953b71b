#include "ServiceView.h"

std::vector<ListColumn> CServiceView::MakeColumns(bool metric) const {
    return {
        {"Date", 100}, {"Complete", 100}, {"Type", 150}, {metric ? "Kilometers" : "Miles", 100}};
}
