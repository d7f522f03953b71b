// Sends one HotSync request to the running desktop program, as the notifier
// does, and ends when it is answered; for timing the program from outside.
//
//   tvbench_handover REQUEST [--wait SECONDS]
//
// REQUEST is the request number (0 the probe, 1 save, 2 reload). With --wait
// the request is sent again every millisecond until the program answers or
// the seconds have passed, for timing a program that is still starting.
// Exit status 0 when answered, 1 when not, 2 on wrong arguments.

#include "HandOverProtocol.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--wait")) {
        std::fputs("usage: tvbench_handover REQUEST [--wait SECONDS]\n", stderr);
        return 2;
    }
    const auto request = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(argc == 4 ? std::atoi(argv[3]) : 0);
    for (;;) {
        // A request that was sent is answered once the program gets to it.
        if (HandOver::SendRequest(HandOver::kHotSyncMessage, request, 0, 60))
            return 0;
        if (std::chrono::steady_clock::now() >= deadline)
            return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
