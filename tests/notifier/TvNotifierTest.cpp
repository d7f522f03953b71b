// libTvNotifier.so as HotSync Manager uses it: loaded at run time, called with
// HotSync events, and talking over the per-user socket to a listener that
// stands in for the running desktop program. The listener records every byte
// each connection brings and answers by a script.

#include "HandOverProtocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef TV_NOTIFIER_PATH
#error "TV_NOTIFIER_PATH must name the built notifier library"
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The wire format as the desktop program reads it, spelled out here on its
// own so that the library and the shared header are both checked against it.
constexpr std::uint32_t kMessage = 5120;
static_assert(HandOver::kHotSyncMessage == kMessage);
static_assert(HandOver::kFrameSize == 12);
static_assert(HandOver::kReplySize == 4);

Bytes LittleEndian(std::initializer_list<std::uint32_t> values) {
    Bytes bytes;
    for (const std::uint32_t value : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<unsigned char>(value >> shift));
    return bytes;
}

// The 12 bytes of one request as the program expects them.
Bytes Frame(std::uint32_t request, std::uint32_t data) {
    return LittleEndian({kMessage, request, data});
}

std::uint32_t RequestOf(const Bytes& frame) {
    return static_cast<std::uint32_t>(frame[4]) | static_cast<std::uint32_t>(frame[5]) << 8 |
           static_cast<std::uint32_t>(frame[6]) << 16 | static_cast<std::uint32_t>(frame[7]) << 24;
}

// Waits up to timeoutMs for fd to become readable.
bool WaitReadable(int fd, int timeoutMs) {
    pollfd wait{fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&wait, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0;
    }
}

// Reads from fd into bytes until it holds `want` bytes, the peer closes, or
// nothing comes for timeoutMs.
void ReadUpTo(int fd, Bytes& bytes, std::size_t want, int timeoutMs) {
    while (bytes.size() < want && WaitReadable(fd, timeoutMs)) {
        unsigned char chunk[64];
        const std::size_t room = std::min(sizeof(chunk), want - bytes.size());
        const ssize_t got = ::recv(fd, chunk, room, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

void WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    EXPECT_LT(path.size(), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.c_str(),
                std::min(path.size() + 1, sizeof(address.sun_path)));
    return address;
}

// What the stand-in program does once it has read a request.
struct Response {
    enum Kind {
        Answer,         // answers with value
        AnswerInPieces, // answers with value, one byte at a time
        Close,          // hangs up without answering
        Silent,         // never answers; waits for the caller to hang up
    };
    Kind kind = Answer;
    std::uint32_t value = 0;
};

// The desktop program as this test sees it: the program's answer to the
// probe, and one answer for every other request.
struct Script {
    Response probe{Response::Answer, kMessage};
    Response others{Response::Answer, 0};
};

// A local stream server on the program's socket path, serving one connection
// at a time on its own thread, as the program does.
class Listener {
public:
    Listener(const std::string& path, Script script) : m_path(path), m_script(script) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = AddressOf(path);
        if (m_fd < 0 ||
            ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(m_fd, 8) != 0 || ::pipe(m_wake) != 0) {
            ADD_FAILURE() << "cannot listen on " << path << ": " << std::strerror(errno);
            return;
        }
        m_thread = std::thread([this] { Run(); });
    }
    ~Listener() {
        Finish();
        for (const int fd : {m_fd, m_wake[0], m_wake[1]})
            if (fd >= 0)
                ::close(fd);
        ::unlink(m_path.c_str());
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Stops taking connections once the one in hand is done, and gives
    // everything each connection sent, in the order they came.
    std::vector<Bytes> Finish() {
        if (m_thread.joinable()) {
            const char wake = 1;
            EXPECT_EQ(::write(m_wake[1], &wake, 1), 1);
            m_thread.join();
        }
        return m_connections;
    }

private:
    void Run() {
        for (;;) {
            pollfd waits[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            if (::poll(waits, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (waits[0].revents & POLLIN) {
                const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    Serve(client);
                    ::close(client);
                }
                continue;
            }
            if (waits[1].revents != 0)
                return;
        }
    }

    void Serve(int client) {
        Bytes received;
        ReadUpTo(client, received, 12, 10000);
        if (received.size() == 12) {
            const Response response = RequestOf(received) == 0 ? m_script.probe : m_script.others;
            const Bytes answer = LittleEndian({response.value});
            switch (response.kind) {
            case Response::Answer:
                WriteAll(client, answer.data(), answer.size());
                break;
            case Response::AnswerInPieces:
                for (const unsigned char byte : answer) {
                    WriteAll(client, &byte, 1);
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                break;
            case Response::Close:
                ::shutdown(client, SHUT_WR);
                break;
            case Response::Silent:
                break;
            }
        }
        // Whatever else the caller sends on this connection, until it hangs up.
        ReadUpTo(client, received, 4096, 20000);
        m_connections.push_back(std::move(received));
    }

    std::string m_path;
    Script m_script;
    int m_fd = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::vector<Bytes> m_connections; // written by the thread until joined
};

using NotifyFn = std::int32_t (*)(std::int32_t, std::int32_t);
using VersionFn = std::int32_t (*)();

// The library loaded as HotSync Manager loads it, and a private runtime folder
// for each test, so that the socket path is the test's own.
class NotifierTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_library = ::dlopen(TV_NOTIFIER_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_library, nullptr) << ::dlerror();
        s_notify = reinterpret_cast<NotifyFn>(::dlsym(s_library, "HS_Notify"));
        s_version = reinterpret_cast<VersionFn>(::dlsym(s_library, "GetNotifierVersion"));
    }
    static void TearDownTestSuite() {
        if (s_library != nullptr)
            ::dlclose(s_library);
        s_library = nullptr;
        s_notify = nullptr;
        s_version = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(s_notify, nullptr);
        ASSERT_NE(s_version, nullptr);
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            m_oldRuntime = old;
        m_runtime = MakeTempDir();
        ASSERT_EQ(::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1), 0);
    }
    void TearDown() override {
        if (m_oldRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_oldRuntime->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        for (const std::string& dir : m_tempDirs) {
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
    }

    std::string MakeTempDir() {
        std::string pattern = "/tmp/tvnotifier-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot create a temporary folder";
            return "/nonexistent";
        }
        m_tempDirs.push_back(pattern);
        return pattern;
    }

    std::string SocketPath() const { return m_runtime + "/TarvenlyDesktop"; }

    static std::int32_t Notify(std::int32_t event, std::int32_t data) {
        return s_notify(event, data);
    }

    // Calls HS_Notify with a program that follows the script, and gives the
    // result and everything the program was sent.
    std::int32_t NotifyProgram(std::int32_t event, std::int32_t data, const Script& script,
                               std::vector<Bytes>* sent) {
        Listener program(SocketPath(), script);
        const std::int32_t result = Notify(event, data);
        *sent = program.Finish();
        return result;
    }

    static void* s_library;
    static NotifyFn s_notify;
    static VersionFn s_version;

    std::string m_runtime;
    std::optional<std::string> m_oldRuntime;
    std::vector<std::string> m_tempDirs;
};

void* NotifierTest::s_library = nullptr;
NotifyFn NotifierTest::s_notify = nullptr;
VersionFn NotifierTest::s_version = nullptr;

const Bytes kProbe = Frame(0, 0);

// ---------------------------------------------------------------------------
// No program to tell

TEST_F(NotifierTest, WithoutAProgramEveryEventGives1) {
    for (const std::int32_t event : {0, 1, 2, 3, 4, 5, 7, -1, INT_MAX, INT_MIN})
        EXPECT_EQ(Notify(event, 42), 1) << "event " << event;
}

TEST_F(NotifierTest, ASocketLeftBehindByAProgramThatEndedIsNoProgram) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const sockaddr_un address = AddressOf(SocketPath());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(fs::exists(SocketPath()));
    for (const std::int32_t event : {0, 1, 2, 4})
        EXPECT_EQ(Notify(event, 42), 1) << "event " << event;
}

TEST_F(NotifierTest, APlainFileAtTheSocketPathIsNoProgram) {
    std::ofstream(SocketPath()) << "not a socket";
    for (const std::int32_t event : {0, 1, 2, 4})
        EXPECT_EQ(Notify(event, 42), 1) << "event " << event;
}

TEST_F(NotifierTest, AnOverlongRuntimeFolderIsNoProgram) {
    const std::string folder = "/" + std::string(300, 'r');
    ASSERT_EQ(::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1), 0);
    EXPECT_EQ(Notify(1, 42), 1);
    EXPECT_EQ(Notify(0, 0), 1);
}

// ---------------------------------------------------------------------------
// Events and the requests they become

struct Mapping {
    std::int32_t event;
    std::int32_t data;
    std::uint32_t request;
    std::uint32_t sentData;
};

class EventMappingTest : public NotifierTest, public testing::WithParamInterface<Mapping> {};

TEST_P(EventMappingTest, ProbesThenSendsTheRequestOnAConnectionOfItsOwn) {
    const Mapping mapping = GetParam();
    std::vector<Bytes> sent;
    EXPECT_EQ(NotifyProgram(mapping.event, mapping.data, Script{}, &sent), 1);
    EXPECT_EQ(sent, (std::vector<Bytes>{kProbe, Frame(mapping.request, mapping.sentData)}));
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventMappingTest,
    testing::Values(Mapping{0, 99, 4, 0}, Mapping{1, 77, 1, 77}, Mapping{2, 78, 2, 78},
                    Mapping{3, 79, 3, 79}, Mapping{4, 80, 5, 80}, Mapping{1, -1, 1, 0xFFFFFFFFu},
                    Mapping{2, INT_MIN, 2, 0x80000000u}, Mapping{4, 0x12345678, 5, 0x12345678u}),
    [](const testing::TestParamInfo<Mapping>& info) {
        return "Event" + std::to_string(info.param.event) + "_Case" + std::to_string(info.index);
    });

TEST_F(NotifierTest, OtherEventsSendOnlyTheProbe) {
    for (const std::int32_t event : {5, 6, 7, 100, -1, INT_MAX, INT_MIN}) {
        std::vector<Bytes> sent;
        EXPECT_EQ(NotifyProgram(event, 77, Script{}, &sent), 1) << "event " << event;
        EXPECT_EQ(sent, std::vector<Bytes>{kProbe}) << "event " << event;
    }
}

// ---------------------------------------------------------------------------
// Results

struct Outcome {
    std::int32_t event;
    std::uint32_t answer;
    std::int32_t result;
};

class ResultTest : public NotifierTest, public testing::WithParamInterface<Outcome> {};

TEST_P(ResultTest, FollowsTheProgramsAnswer) {
    const Outcome outcome = GetParam();
    Script script;
    script.others = {Response::Answer, outcome.answer};
    std::vector<Bytes> sent;
    EXPECT_EQ(NotifyProgram(outcome.event, 7, script, &sent), outcome.result);
    EXPECT_EQ(sent.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Answers, ResultTest,
                         testing::Values(
                             // Events 0 and 1: 1 only when the program answered 0.
                             Outcome{0, 0, 1}, Outcome{0, 5, 0}, Outcome{0, 0xFFFFFFFFu, 0},
                             Outcome{0, 0x100, 0}, Outcome{1, 0, 1}, Outcome{1, 5, 0},
                             Outcome{1, kMessage, 0}, Outcome{1, 0x01000000u, 0},
                             // Events 2, 3 and 4: always 1.
                             Outcome{2, 0, 1}, Outcome{2, 5, 1}, Outcome{3, 0, 1},
                             Outcome{3, 0xFFFFFFFFu, 1}, Outcome{4, 0, 1}, Outcome{4, 5, 1}),
                         [](const testing::TestParamInfo<Outcome>& info) {
                             return "Event" + std::to_string(info.param.event) + "_Case" +
                                    std::to_string(info.index);
                         });

TEST_F(NotifierTest, Events2To4Give1EvenWhenTheProgramHangsUp) {
    for (const std::int32_t event : {2, 3, 4}) {
        Script script;
        script.others = {Response::Close, 0};
        std::vector<Bytes> sent;
        EXPECT_EQ(NotifyProgram(event, 7, script, &sent), 1) << "event " << event;
        EXPECT_EQ(sent.size(), 2u) << "event " << event;
    }
}

TEST_F(NotifierTest, AnswersArrivingInPiecesAreReadWhole) {
    Script script;
    script.probe = {Response::AnswerInPieces, kMessage};
    script.others = {Response::AnswerInPieces, 0x100}; // first byte 0, but not 0
    std::vector<Bytes> sent;
    EXPECT_EQ(NotifyProgram(1, 77, script, &sent), 0);
    EXPECT_EQ(sent, (std::vector<Bytes>{kProbe, Frame(1, 77)}));

    script.others = {Response::AnswerInPieces, 0};
    EXPECT_EQ(NotifyProgram(0, 0, script, &sent), 1);
    EXPECT_EQ(sent, (std::vector<Bytes>{kProbe, Frame(4, 0)}));
}

// ---------------------------------------------------------------------------
// A listener that is not the program

TEST_F(NotifierTest, AWrongProbeAnswerStopsEverything) {
    // 0x00140000 is 5120 in the wrong byte order.
    for (const std::uint32_t answer : {0u, 1u, 5121u, 0x00140000u, 0xFFFFFFFFu}) {
        for (const std::int32_t event : {0, 1, 2, 4}) {
            Script script;
            script.probe = {Response::Answer, answer};
            std::vector<Bytes> sent;
            EXPECT_EQ(NotifyProgram(event, 77, script, &sent), 1)
                << "answer " << answer << ", event " << event;
            EXPECT_EQ(sent, std::vector<Bytes>{kProbe})
                << "answer " << answer << ", event " << event;
        }
    }
}

TEST_F(NotifierTest, AProbeClosedWithoutAnAnswerStopsEverything) {
    for (const std::int32_t event : {0, 1, 2}) {
        Script script;
        script.probe = {Response::Close, 0};
        std::vector<Bytes> sent;
        EXPECT_EQ(NotifyProgram(event, 77, script, &sent), 1) << "event " << event;
        EXPECT_EQ(sent, std::vector<Bytes>{kProbe}) << "event " << event;
    }
}

TEST_F(NotifierTest, AProbeNeverAnsweredGivesUpAndStopsEverything) {
    Script script;
    script.probe = {Response::Silent, 0};
    std::vector<Bytes> sent;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(NotifyProgram(1, 77, script, &sent), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(sent, std::vector<Bytes>{kProbe});
}

TEST_F(NotifierTest, AProgramOfAnotherUserIsToldNothing) {
    if (::getuid() != 0)
        GTEST_SKIP() << "listening as another user needs root";

    // The socket is made here; the child becomes another user before it
    // listens, so the caller sees that user at the other end.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    const sockaddr_un address = AddressOf(SocketPath());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    int control[2];
    int report[2];
    ASSERT_EQ(::pipe(control), 0);
    ASSERT_EQ(::pipe(report), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(control[1]);
        ::close(report[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0 || ::listen(fd, 8) != 0)
            ::_exit(2);
        std::uint32_t total = 0;
        const unsigned char ready = 1;
        if (::write(report[1], &ready, 1) != 1)
            ::_exit(3);
        for (;;) {
            pollfd waits[2] = {{fd, POLLIN, 0}, {control[0], POLLIN, 0}};
            if (::poll(waits, 2, 30000) <= 0)
                break;
            if (waits[0].revents & POLLIN) {
                const int client = ::accept(fd, nullptr, nullptr);
                if (client < 0)
                    continue;
                // Play the program: answer every request as it would.
                Bytes received;
                ReadUpTo(client, received, 12, 5000);
                if (received.size() == 12) {
                    const Bytes answer = LittleEndian({RequestOf(received) == 0 ? kMessage : 0u});
                    WriteAll(client, answer.data(), answer.size());
                }
                ReadUpTo(client, received, 4096, 5000);
                total += static_cast<std::uint32_t>(received.size());
                ::close(client);
                continue;
            }
            if (waits[1].revents != 0)
                break;
        }
        const bool told = ::write(report[1], &total, sizeof(total)) == sizeof(total);
        ::_exit(told ? 0 : 4);
    }

    ::close(fd);
    ::close(control[0]);
    ::close(report[1]);
    unsigned char ready = 0;
    const bool listening = ::read(report[0], &ready, 1) == 1;
    std::int32_t saveResult = -1;
    std::int32_t reloadResult = -1;
    if (listening) {
        saveResult = Notify(1, 77);
        reloadResult = Notify(2, 0);
    }
    ::close(control[1]);
    std::uint32_t total = 0xFFFFFFFF;
    const bool reported = ::read(report[0], &total, sizeof(total)) == sizeof(total);
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    ASSERT_TRUE(listening) << "the child could not listen";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    ASSERT_TRUE(reported);
    EXPECT_EQ(saveResult, 1);
    EXPECT_EQ(reloadResult, 1);
    EXPECT_EQ(total, 0u) << "bytes sent to a program of another user";
}

// ---------------------------------------------------------------------------
// The socket path and the library's face

TEST_F(NotifierTest, EveryCallLooksUpTheRuntimeFolderAgain) {
    const std::string first = m_runtime;
    const std::string second = MakeTempDir();
    Listener firstProgram(first + "/TarvenlyDesktop", Script{});
    Listener secondProgram(second + "/TarvenlyDesktop", Script{});

    EXPECT_EQ(Notify(2, 11), 1);
    ASSERT_EQ(::setenv("XDG_RUNTIME_DIR", second.c_str(), 1), 0);
    EXPECT_EQ(Notify(3, 12), 1);

    EXPECT_EQ(firstProgram.Finish(), (std::vector<Bytes>{kProbe, Frame(2, 11)}));
    EXPECT_EQ(secondProgram.Finish(), (std::vector<Bytes>{kProbe, Frame(3, 12)}));
}

TEST_F(NotifierTest, GetNotifierVersionShowsAMessageBoxAndGives0) {
    // The desktop's dialog program stands in as a script that writes down its
    // arguments; without a display the text goes to standard error.
    const std::string bin = MakeTempDir();
    const std::string shown = m_runtime + "/shown";
    std::ofstream(bin + "/zenity") << "#!/bin/sh\necho \"$*\" >'" << shown << "'\n";
    fs::permissions(bin + "/zenity", fs::perms::owner_all);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (bin + ":" + path).c_str(), 1);
    for (const bool display : {true, false}) {
        display ? ::setenv("DISPLAY", ":99", 1) : ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unlink(shown.c_str());
        Listener program(SocketPath(), Script{});
        testing::internal::CaptureStderr();
        EXPECT_EQ(s_version(), 0);
        const std::string written = testing::internal::GetCapturedStderr();
        std::ifstream box(shown);
        std::string boxText;
        std::getline(box, boxText);
        EXPECT_EQ(display ? boxText : written,
                  display ? "--info --text GetNotifierVersion" : "GetNotifierVersion\n");
        EXPECT_EQ(display ? written : boxText, "") << display;
        EXPECT_TRUE(program.Finish().empty()) << "asking for the version is no HotSync event";
    }
    ::setenv("PATH", path.c_str(), 1);
    ::unsetenv("DISPLAY");
}

TEST_F(NotifierTest, ExportsItsTwoEntryPointsAndNothingOfItsOwnBeside) {
    for (const char* name : {"HS_Notify", "GetNotifierVersion"}) {
        void* symbol = ::dlsym(s_library, name);
        ASSERT_NE(symbol, nullptr) << name;
        Dl_info info{};
        ASSERT_NE(::dladdr(symbol, &info), 0) << name;
        ASSERT_NE(info.dli_fname, nullptr);
        EXPECT_EQ(fs::path(info.dli_fname).filename(), fs::path(TV_NOTIFIER_PATH).filename())
            << name << " must be the library's own";
    }
    // Helpers of the library and the shared protocol header stay inside.
    for (const char* name : {"_ZN8HandOver10SocketPathB5cxx11Ev", "_ZN8HandOver10SocketPathEv",
                             "_ZN8HandOver6PutU32EPhj", "_ZN8HandOver6GetU32EPKh", "SendRequest",
                             "Connection", "_Z9HS_Notifyii", "_Z18GetNotifierVersionv"})
        EXPECT_EQ(::dlsym(s_library, name), nullptr) << name;
}

} // namespace
