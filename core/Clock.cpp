#include "Clock.h"

namespace {

std::optional<MTime> g_fixed;

} // namespace

namespace Clock {

MTime Now() {
    return g_fixed ? *g_fixed : MTime();
}

void Fix(std::optional<MTime> moment) {
    g_fixed = moment;
}

ScopedFix::ScopedFix(const MTime& moment) : m_previous(g_fixed) {
    g_fixed = moment;
}

ScopedFix::~ScopedFix() {
    g_fixed = m_previous;
}

} // namespace Clock
