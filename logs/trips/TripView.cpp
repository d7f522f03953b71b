#include "TripView.h"

std::vector<ListColumn> CTripView::MakeColumns(bool metric) const {
    return {{"Date", 100},
            {"Destination", 200},
            {metric ? "Start Kilometers" : "Start Miles", metric ? 120 : 100},
            {metric ? "End Kilometers" : "End Miles", metric ? 120 : 100},
            {"Distance", 100}};
}
