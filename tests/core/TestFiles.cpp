#include "TestFiles.h"

#include "LocalTimeZone.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvtest {

namespace {

constexpr const char* kZone = "America/New_York";

void FixZone() {
    UseLocalTimeZone(kZone);
}

// Every test runs in the same zone, also when the binary is started by hand.
class FixedZoneEnvironment : public ::testing::Environment {
public:
    void SetUp() override { FixZone(); }
};

[[maybe_unused]] const auto* const kZoneEnvironment =
    ::testing::AddGlobalTestEnvironment(new FixedZoneEnvironment);

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    // Make read-only entries removable first.
    ::chmod(path, 0700);
    return ::remove(path);
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

void FixedZoneTest::SetUp() {
    FixZone();
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tvcore_test.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        Fail("mkdtemp");
    m_path = buffer.data();
}

TempDir::~TempDir() {
    ::nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::vector<std::string> TempDir::ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        Fail("opendir " + folder);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("open " + path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) {
            ::close(fd);
            Fail("write " + path);
        }
        done += static_cast<std::size_t>(put);
    }
    ::close(fd);
}

Bytes ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("open " + path);
    Bytes bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0) {
            ::close(fd);
            Fail("read " + path);
        }
        if (got == 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    ::close(fd);
    return bytes;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

Bytes BytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Prefix(const Bytes& bytes, std::size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

MFile MemoryFile(const Bytes& initial) {
    const int fd = ::memfd_create("tvcore_test", MFD_CLOEXEC);
    if (fd < 0)
        Fail("memfd_create");
    if (!initial.empty() &&
        ::pwrite(fd, initial.data(), initial.size(), 0) != static_cast<ssize_t>(initial.size()))
        Fail("pwrite");
    return MFile(fd);
}

Bytes ContentsOf(MFile& file) {
    file.Flush();
    struct stat info {};
    if (::fstat(file.Descriptor(), &info) != 0)
        Fail("fstat");
    Bytes bytes(static_cast<std::size_t>(info.st_size));
    if (!bytes.empty() && ::pread(file.Descriptor(), bytes.data(), bytes.size(), 0) !=
                              static_cast<ssize_t>(bytes.size()))
        Fail("pread");
    return bytes;
}

ByteBuilder& ByteBuilder::U8(std::uint8_t value) {
    m_bytes.push_back(value);
    return *this;
}

ByteBuilder& ByteBuilder::U16(std::uint16_t value) {
    m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    m_bytes.push_back(static_cast<std::uint8_t>(value));
    return *this;
}

ByteBuilder& ByteBuilder::U32(std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        m_bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    return *this;
}

ByteBuilder& ByteBuilder::Tag(std::string_view fourChars) {
    if (fourChars.size() != 4)
        throw std::invalid_argument("a tag has four characters");
    return Raw(fourChars);
}

ByteBuilder& ByteBuilder::Raw(std::string_view bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteBuilder& ByteBuilder::Raw(const Bytes& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteBuilder& ByteBuilder::Fixed(std::uint32_t n, std::string_view text) {
    if (text.size() > n)
        throw std::invalid_argument("text longer than its field");
    U32(n);
    Raw(text);
    m_bytes.insert(m_bytes.end(), n - text.size(), 0);
    return *this;
}

ByteBuilder& ByteBuilder::Str(std::string_view text) {
    U32(static_cast<std::uint32_t>(text.size()));
    return Raw(text);
}

ByteBuilder& ByteBuilder::Date(int second, int minute, int hour, int day, int month, int year) {
    for (int value : {second, minute, hour, day, month, year}) {
        m_bytes.push_back(static_cast<std::uint8_t>(value));
        m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    return *this;
}

ByteBuilder& ByteBuilder::BlockStart(std::string_view tag, std::uint32_t idCounter,
                                     std::uint32_t lastUniqueId, std::uint32_t categoryCount) {
    return Tag(tag).U32(kVersion).U32(idCounter).U32(lastUniqueId).U32(categoryCount);
}

ByteBuilder& ByteBuilder::Category(std::uint32_t index, std::uint32_t uid, std::uint32_t flags,
                                   std::string_view name) {
    return U32(index).U32(uid).U32(flags).Str(name);
}

ByteBuilder& ByteBuilder::Settings(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                   std::uint32_t d) {
    return U32(a).U32(b).U32(c).U32(d);
}

ByteBuilder& ByteBuilder::EmptyBlock(std::string_view tag) {
    return BlockStart(tag).Settings().U32(0);
}

} // namespace tvtest
