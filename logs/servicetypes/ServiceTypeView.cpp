#include "ServiceTypeView.h"

std::vector<ListColumn> CServiceTypeView::MakeColumns(bool) const {
    return {{"Name", 100}, {"Time Schedule", 200}, {"Distance Schedule", 200}};
}
