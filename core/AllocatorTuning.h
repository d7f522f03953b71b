#pragma once

#include <malloc.h>

// A data file of a million records makes a million small allocations. Letting
// the heap grow in large steps saves a thousand system calls on opening one;
// memory that is never touched costs nothing.
inline void TuneAllocatorForLargeFiles() {
    ::mallopt(M_TOP_PAD, 64 << 20);
}
