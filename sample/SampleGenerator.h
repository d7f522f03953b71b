#pragma once

#include <cstdint>

class TvDocument;

// What a generated data set holds. Counts are records written, deleted ones
// included.
struct SampleOptions {
    std::uint32_t Vehicles = 4;
    std::uint32_t Trips = 2000;
    std::uint32_t Services = 80;
    std::uint32_t Expenses = 400;
    std::uint64_t Seed = 1;
    bool Metric = false; // kilometres and litres instead of miles and gallons
};

// Fills an empty document with a realistic data set: vehicles, trip and
// expense categories, service types with time and distance schedules, trips
// with a plausible odometer progression per vehicle, completed and planned
// service entries, fill-ups and other expenses, notes with commas and line
// breaks, and a few deleted records. The same options always give the same
// data.
void GenerateSample(TvDocument& document, const SampleOptions& options);
