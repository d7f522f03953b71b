#pragma once

#include <gsf/gsf-utils.h>

// Sets libgsf up once per process, before its first use.
inline void InitGsfLibrary() {
    static const bool initialised = [] {
        gsf_init();
        return true;
    }();
    (void)initialised;
}
