#include "LocalTimeZone.h"

#include <cstdlib>
#include <ctime>

void CacheLocalTimeZone() {
    if (std::getenv("TZ") == nullptr)
        ::setenv("TZ", ":/etc/localtime", 1);
    ::tzset();
}
