#pragma once

#include "LogColumn.h"
#include "RecordStore.h"

#include <string>
#include <string_view>
#include <vector>

// What the service type list shows and how, and the rules of a type's name
// and schedule texts. The list, the service log and tvtool share them.

// "Never", "Every day", "Every 3 weeks", ... from the time unit and count.
std::string GetTimeScheduleText(const ServiceTypeRecord& type);
// "Never", "Every mile", "Every 3000 kilometers", ... from the distance.
std::string GetDistanceScheduleText(const ServiceTypeRecord& type, bool metric);

// Whether a live type other than except has exactly this name (byte by byte,
// case-sensitive).
bool IsServiceTypeNameUsed(const ServiceTypeStore& store, std::string_view name,
                           const ServiceTypeRecord* except);

// "Name", "Time Schedule", "Distance Schedule".
LogColumns ServiceTypeColumns();
namespace ServiceTypeColumn {
constexpr int kName = 0;
constexpr int kTimeSchedule = 1;
constexpr int kDistanceSchedule = 2;
} // namespace ServiceTypeColumn

std::string ServiceTypeCellText(const ServiceTypeRecord& type, int column, bool metric);

// The live types in store order.
std::vector<ServiceTypeRecord*> ServiceTypeRows(ServiceTypeStore& store);

// Orders the rows by a sort code: 0-2 by name, time schedule text and
// distance schedule text (always in miles), byte by byte ascending; 128-130
// descending; any other code keeps the order. Equal rows keep their order.
void SortServiceTypes(std::vector<ServiceTypeRecord*>& rows, int sortCode);
