#include "VehicleView.h"

std::vector<ListColumn> CVehicleView::MakeColumns(bool metric) const {
    return {{"Name", 100},
            {"License", 100},
            {"Vin", 100},
            {metric ? "Kilometers" : "Miles", 100},
            {"Insurance", 100}};
}
