#include "MappedFileGuard.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Slot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0}; // rounded up to whole pages
    std::atomic<bool> cut{false};
};

constexpr int kSlotCount = 8;
Slot g_slots[kSlotCount];
std::mutex g_slotsMutex;
struct sigaction g_previous {};
std::uintptr_t g_pageSize = 4096;
std::once_flag g_installed;

void PassOn(int signal, siginfo_t* info, void* context) {
    if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // The default action, as without this handler: ends the process.
    ::signal(SIGBUS, SIG_DFL);
    ::raise(SIGBUS);
}

// Runs in the signal handler: only atomics and system calls.
void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : g_slots) {
        const std::uintptr_t begin = slot.begin.load();
        const std::uintptr_t end = slot.end.load();
        if (begin == 0 || address < begin || address >= end)
            continue;
        // Zero pages from the fault to the end of the mapping stand in for
        // the part of the file that is gone; the read is then retried.
        const std::uintptr_t page = address & ~(g_pageSize - 1);
        const int savedErrno = errno;
        void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        errno = savedErrno;
        if (zeros == MAP_FAILED)
            break;
        slot.cut.store(true);
        return;
    }
    PassOn(signal, info, context);
}

void Install() {
    g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous);
}

} // namespace

namespace MappedFileGuard {

int Watch(const void* base, std::size_t size) {
    std::call_once(g_installed, Install);
    const std::lock_guard lock(g_slotsMutex);
    for (int i = 0; i < kSlotCount; ++i) {
        Slot& slot = g_slots[i];
        if (slot.begin.load() != 0)
            continue;
        const auto begin = reinterpret_cast<std::uintptr_t>(base);
        slot.cut.store(false);
        slot.end.store((begin + size + g_pageSize - 1) & ~(g_pageSize - 1));
        slot.begin.store(begin);
        return i;
    }
    return -1;
}

bool WasCut(int slot) {
    return slot >= 0 && slot < kSlotCount && g_slots[slot].cut.load();
}

void Release(int slot) {
    if (slot < 0 || slot >= kSlotCount)
        return;
    const std::lock_guard lock(g_slotsMutex);
    g_slots[slot].begin.store(0);
    g_slots[slot].end.store(0);
    g_slots[slot].cut.store(false);
}

} // namespace MappedFileGuard
