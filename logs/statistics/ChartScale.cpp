#include "ChartScale.h"

#include <algorithm>
#include <cmath>

ChartScale NiceChartScale(double low, double high, int mostSteps) {
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    // Values on both sides of zero take a step on each side at least.
    mostSteps = std::max(low < 0 && high > 0 ? 2 : 1, mostSteps);
    if (!(high - low > 0))
        high = low + 1;
    // From one power of ten below the even step upward, the first of 1, 2
    // and 5 times a power of ten that covers the range in few enough steps.
    int exponent = static_cast<int>(std::floor(std::log10((high - low) / mostSteps))) - 1;
    for (;; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (const int mantissa : {1, 2, 5}) {
            const double step = mantissa * power;
            const double first = std::floor(low / step);
            const double last = std::ceil(high / step);
            if (last - first <= mostSteps)
                return {first * step, last * step, step, std::max(0, -exponent)};
        }
    }
}
