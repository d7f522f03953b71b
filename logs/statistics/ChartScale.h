#pragma once

// The scale of a chart's value axis: a step of 1, 2 or 5 times a power of
// ten, and a range of whole steps that holds the values and zero.
struct ChartScale {
    double Low = 0;
    double High = 1;
    double Step = 1;
    int Decimals = 0; // the decimals a tick label needs for the step
};

// The finest such scale over [low, high] with at most mostSteps steps (at
// least 1, or 2 for values on both sides of zero).
ChartScale NiceChartScale(double low, double high, int mostSteps);
