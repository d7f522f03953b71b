#pragma once

#include <cstdint>
#include <ctime>

// Makes the C library load the local time zone once. Without TZ in the
// environment, glibc checks /etc/localtime again on every local-time
// conversion, which makes sorting or filtering a long list by date ten times
// slower. Naming that same file in TZ keeps the same zone and loads it once.
// Call at the start of main, before any thread starts.
void CacheLocalTimeZone();

// Switches the process to another zone (a TZ value) and forgets every
// conversion remembered for the previous one. Nothing else may change TZ
// once conversions have run.
void UseLocalTimeZone(const char* zone);

// std::mktime, faster: the fields are normalised in place (tm_gmtoff and
// tm_zone aside) and the seconds since 1970 UTC returned, -1 when the C
// library cannot place them.
//
// A list of a million dates spends most of its time in mktime, which looks
// up the zone's rules for every call. Here each calendar day is looked up
// once: a day whose clock runs without a jump from the second before its
// midnight to the second after its last (no daylight-saving change, no
// repeated or missing hour) keeps one offset from UTC, so any time of that
// day converts by arithmetic. Days with a change, times outside the years
// 1970-2037 and a daylight flag that disagrees with the day's go to mktime
// itself. Safe to call from any thread.
std::int64_t LocalTimeToSeconds(std::tm& fields);
