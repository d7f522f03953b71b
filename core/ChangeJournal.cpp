#include "ChangeJournal.h"

#include "MExcept.h"
#include "MFile.h"
#include "MTime.h"
#include "TextArena.h"
#include "TvDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ChangeJournal {
namespace {

constexpr char kMagic[8] = {'T', 'v', 'J', 'r', 'n', 'l', '0', '1'};
constexpr std::uint32_t kVersion = 1;
// No frame the writer makes comes near this; a larger length is damage.
constexpr std::uint32_t kLongestFrame = 64u << 20;
constexpr std::size_t kFrameHead = 8;

enum FrameType : std::uint8_t {
    kHeaderFrame = 'H',
    kRecordsFrame = 'R',
    kCutFrame = 'S',
    kStoreHeaderFrame = 'T',
    kCommitFrame = 'C',
};

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t value = i;
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1) != 0 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
            entries[i] = value;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Little-endian fields appended to a byte vector.
class Out {
public:
    explicit Out(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    void U8(std::uint8_t value) { m_bytes.push_back(value); }
    void U32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void U64(std::uint64_t value) {
        U32(static_cast<std::uint32_t>(value));
        U32(static_cast<std::uint32_t>(value >> 32));
    }
    void Text(std::string_view text) {
        U32(static_cast<std::uint32_t>(text.size()));
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    }

private:
    std::vector<std::uint8_t>& m_bytes;
};

// Reads little-endian fields; a read past the end leaves ok false.
class In {
public:
    In(const std::uint8_t* data, std::size_t size) : m_data(data), m_left(size) {}
    std::uint8_t U8() { return Take(1) ? m_data[-1] : 0; }
    std::uint32_t U32() {
        if (!Take(4))
            return 0;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | m_data[i - 4];
        return value;
    }
    std::uint64_t U64() {
        const std::uint64_t low = U32();
        return low | (static_cast<std::uint64_t>(U32()) << 32);
    }
    std::string Text() {
        const std::uint32_t size = U32();
        if (!Take(size))
            return {};
        return std::string(reinterpret_cast<const char*>(m_data - size), size);
    }
    bool ok() const { return m_ok; }
    std::size_t left() const { return m_left; }

private:
    bool Take(std::size_t size) {
        if (!m_ok || size > m_left) {
            m_ok = false;
            return false;
        }
        m_data += size;
        m_left -= size;
        return true;
    }
    const std::uint8_t* m_data;
    std::size_t m_left;
    bool m_ok = true;
};

void AppendFrame(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& payload) {
    Out frame(out);
    frame.U32(static_cast<std::uint32_t>(payload.size()));
    frame.U32(Crc32(payload.data(), payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

template <typename Visit>
decltype(auto) VisitStore(TvDocument& document, std::size_t store, Visit visit) {
    switch (store) {
    case 0:
        return visit(document.Vehicles());
    case 1:
        return visit(document.ServiceTypes());
    case 2:
        return visit(document.Services());
    case 3:
        return visit(document.Trips());
    default:
        return visit(document.Expenses());
    }
}

RecordStore& StoreAt(TvDocument& document, std::size_t store) {
    return VisitStore(document, store, [](RecordStore& typed) -> RecordStore& { return typed; });
}

void WriteStoreHeader(Out& out, const RecordStore& store) {
    out.U32(store.IdCounter);
    for (std::uint32_t word : store.Settings)
        out.U32(word);
    out.U32(store.Categories.LastUniqueId);
    out.U32(static_cast<std::uint32_t>(store.Categories.Size()));
    for (const CategoryEntry& entry : store.Categories.Items()) {
        out.U32(entry.Category);
        out.U32(entry.Uid);
        out.U32(entry.Flags);
        out.Text(entry.Name);
    }
}

bool ReadStoreHeader(In& in, RecordStore* store) {
    const std::uint32_t idCounter = in.U32();
    std::array<std::uint32_t, 4> settings{};
    for (std::uint32_t& word : settings)
        word = in.U32();
    const std::uint32_t lastUniqueId = in.U32();
    const std::uint32_t count = in.U32();
    if (!in.ok() || count > CategoryList::kMaxEntries + 1u)
        return false;
    std::vector<CategoryEntry> entries(count);
    for (CategoryEntry& entry : entries) {
        entry.Category = in.U32();
        entry.Uid = in.U32();
        entry.Flags = in.U32();
        entry.Name = in.Text();
        if (entry.Name.size() >= kCategoryNameCapacity)
            return false;
    }
    if (!in.ok() || in.left() != 0)
        return false;
    if (store != nullptr) {
        store->IdCounter = idCounter;
        store->Settings = settings;
        store->Categories.Clear();
        // In the order held, which is the order the file keeps.
        for (CategoryEntry& entry : entries)
            store->Categories.Items().push_back(std::move(entry));
        store->Categories.LastUniqueId = lastUniqueId;
    }
    return true;
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(SystemError("Couldn't write", path));
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void SyncFolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t read = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (read < 0 && errno == EINTR)
                continue;
            if (read <= 0)
                break;
            got += static_cast<std::size_t>(read);
        }
        bytes.resize(got);
    }
    ::close(fd);
    return bytes;
}

// A file in memory, for the record readers and writers of the data file.
std::unique_ptr<MFile> MemoryFile() {
    const int fd = ::memfd_create("tvjournal", MFD_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(std::string("Couldn't make a memory file: ") +
                                 std::strerror(errno));
    return std::make_unique<MFile>(fd);
}

// Plays the frames of the journal's whole groups on the document, or only
// checks that they would apply (document untouched). Returns how many of the
// frames, up to the end of the last group that applied in full, were good.
std::size_t Replay(TvDocument& document, const Contents& contents, MFile& records, bool apply) {
    std::array<std::size_t, kStoreCount> counts{};
    for (std::size_t store = 0; store < kStoreCount; ++store)
        counts[store] = StoreAt(document, store).Count();
    std::size_t good = 0;
    for (std::size_t i = 0; i < contents.frames.size(); ++i) {
        // Named apart, not bound: the lambdas below capture them.
        const std::size_t offset = contents.frames[i].first;
        const std::size_t size = contents.frames[i].second;
        In in(contents.bytes.data() + offset, size);
        const std::uint8_t type = in.U8();
        if (type == kCommitFrame) {
            good = i + 1;
            continue;
        }
        const std::size_t store = in.U8();
        if (!in.ok() || store >= kStoreCount)
            return good;
        RecordStore& target = StoreAt(document, store);
        if (type == kStoreHeaderFrame) {
            if (!ReadStoreHeader(in, apply ? &target : nullptr))
                return good;
        } else if (type == kCutFrame) {
            const std::uint32_t count = in.U32();
            if (!in.ok() || count > counts[store])
                return good;
            counts[store] = count;
            if (apply)
                VisitStore(document, store, [count](auto& typed) {
                    while (typed.Count() > count)
                        typed.Records().pop_back();
                });
        } else if (type == kRecordsFrame) {
            const std::uint32_t count = in.U32();
            std::vector<std::uint32_t> indexes;
            if (!in.ok() || count > in.left() / 4)
                return good;
            indexes.reserve(count);
            for (std::uint32_t k = 0; k < count; ++k)
                indexes.push_back(in.U32());
            const std::size_t recordsAt = offset + size - in.left();
            const bool fits = VisitStore(document, store, [&](auto& typed) {
                TextArena texts;
                try {
                    records.SeekTo(recordsAt);
                    for (std::uint32_t index : indexes) {
                        if (index > counts[store])
                            return false;
                        auto record = typed.CreateRecord();
                        ReadRecord(records, record, texts);
                        if (records.MetEndOfFile())
                            return false;
                        if (index == counts[store])
                            ++counts[store];
                        if (!apply)
                            continue;
                        if (index < typed.Count())
                            typed.Records()[index] = std::move(record);
                        else
                            typed.Append(std::move(record));
                    }
                    return records.Tell() == offset + size;
                } catch (const MExcept&) {
                    return false;
                }
            });
            if (!fits)
                return good;
        } else {
            return good;
        }
    }
    return good;
}

} // namespace

std::optional<Contents> Read(const std::string& path) {
    std::optional<std::vector<std::uint8_t>> bytes = ReadWhole(path);
    if (!bytes || bytes->size() < sizeof(kMagic) ||
        std::memcmp(bytes->data(), kMagic, sizeof(kMagic)) != 0)
        return std::nullopt;
    Contents contents;
    contents.path = path;
    contents.bytes = std::move(*bytes);
    const std::vector<std::uint8_t>& all = contents.bytes;
    std::size_t position = sizeof(kMagic);
    std::vector<std::pair<std::size_t, std::size_t>> group;
    bool headerRead = false;
    while (all.size() - position >= kFrameHead) {
        In head(all.data() + position, kFrameHead);
        const std::uint32_t size = head.U32();
        const std::uint32_t crc = head.U32();
        const std::size_t payload = position + kFrameHead;
        if (size == 0 || size > kLongestFrame || size > all.size() - payload ||
            Crc32(all.data() + payload, size) != crc)
            break;
        position = payload + size;
        In in(all.data() + payload, size);
        const std::uint8_t type = in.U8();
        if (!headerRead) {
            if (type != kHeaderFrame || in.U32() != kVersion)
                return std::nullopt;
            Header& header = contents.header;
            header.dataPath = in.Text();
            header.base.Device = static_cast<dev_t>(in.U64());
            header.base.Inode = static_cast<ino_t>(in.U64());
            header.base.Size = static_cast<off_t>(in.U64());
            header.base.ModifiedSeconds = static_cast<long long>(in.U64());
            header.base.ModifiedNanoseconds = static_cast<long>(in.U64());
            if (!in.ok())
                return std::nullopt;
            headerRead = true;
            contents.validEnd = contents.headerEnd = position;
            continue;
        }
        group.emplace_back(payload, size);
        if (type == kCommitFrame) {
            contents.changedAt = static_cast<long long>(in.U64());
            contents.frames.insert(contents.frames.end(), group.begin(), group.end());
            group.clear();
            contents.validEnd = position;
        }
    }
    if (!headerRead)
        return std::nullopt;
    contents.damaged = contents.validEnd != all.size();
    return contents;
}

bool Apply(TvDocument& document, Contents& contents) {
    std::size_t good = 0;
    try {
        std::unique_ptr<MFile> records = MemoryFile();
        records->WriteBytes(contents.bytes.data(), contents.bytes.size());
        records->Flush();
        good = Replay(document, contents, *records, false);
        if (good > 0)
            Replay(document, contents, *records, true);
    } catch (const std::exception&) {
        good = 0;
    } catch (const MExcept&) {
        good = 0;
    }
    if (good < contents.frames.size()) {
        // What follows the last group applied is of no use any more.
        contents.damaged = true;
        contents.frames.resize(good);
        contents.validEnd = contents.headerEnd;
        contents.changedAt = 0;
        if (good > 0) {
            const auto [offset, size] = contents.frames.back();
            contents.validEnd = offset + size;
            In commit(contents.bytes.data() + offset, size);
            commit.U8();
            contents.changedAt = static_cast<long long>(commit.U64());
        }
    }
    return good > 0;
}

bool Writer::Pending::Empty() const {
    return !cutTo && !header &&
           std::all_of(bits.begin(), bits.end(), [](std::uint64_t word) { return word == 0; });
}

Writer::Writer(TvDocument& document, std::mutex& storesLock, Place place, FailureReport report)
    : m_document(document), m_storesLock(storesLock), m_place(std::move(place)),
      m_report(std::move(report)) {
    m_thread = std::thread([this] { Run(); });
}

Writer::~Writer() {
    Stop();
}

void Writer::Note(const std::vector<StoreNote>& notes) {
    const std::lock_guard lock(m_mutex);
    if (m_failed || m_stopping)
        return;
    for (const StoreNote& note : notes) {
        if (note.store >= kStoreCount)
            continue;
        Pending& pending = m_pending[note.store];
        std::vector<std::uint64_t>& bits = pending.bits;
        if (note.cutTo) {
            pending.cutTo = std::min(pending.cutTo.value_or(*note.cutTo), *note.cutTo);
            // Records from the cut on are gone; what comes there later is new.
            const std::size_t word = *note.cutTo / 64;
            if (word < bits.size()) {
                bits[word] &= (std::uint64_t{1} << (*note.cutTo % 64)) - 1;
                bits.resize(word + 1);
            }
        }
        pending.header = pending.header || note.header;
        for (const auto& [first, count] : note.records) {
            const std::uint64_t end = std::uint64_t{first} + count;
            if (bits.size() * 64 < end)
                bits.resize(static_cast<std::size_t>((end + 63) / 64));
            std::uint64_t index = first;
            while (index < end) {
                const std::size_t word = static_cast<std::size_t>(index / 64);
                const unsigned from = static_cast<unsigned>(index % 64);
                const std::uint64_t take = std::min<std::uint64_t>(64 - from, end - index);
                const std::uint64_t mask =
                    take == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << take) - 1) << from;
                bits[word] |= mask;
                index += take;
            }
        }
    }
    const Clock::time_point now = Clock::now();
    if (!m_anyPending)
        m_firstNote = now;
    m_lastNote = now;
    m_anyPending = true;
    m_wake.notify_all();
}

bool Writer::Flush() {
    std::unique_lock lock(m_mutex);
    if (!m_anyPending && !m_passRunning)
        return !m_failed;
    m_flushAsked = true;
    m_wake.notify_all();
    m_written.wait(lock,
                   [this] { return m_failed || m_stopping || (!m_anyPending && !m_passRunning); });
    return !m_failed && !m_anyPending;
}

void Writer::Stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_wake.notify_all();
        m_written.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_scratch.reset();
}

void Writer::Remove() {
    Stop();
    ::unlink(m_place.journalPath.c_str());
    ::unlink(m_place.basePath.c_str());
}

void Writer::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_anyPending; });
        // A moment's wait gathers the changes of a series into one write.
        while (!m_stopping && !m_flushAsked) {
            const Clock::time_point due =
                std::min(m_lastNote + std::chrono::milliseconds(kQuietMs),
                         m_firstNote + std::chrono::milliseconds(kLongestWaitMs));
            if (Clock::now() >= due)
                break;
            m_wake.wait_until(lock, due);
        }
        if (m_stopping)
            return;
        m_flushAsked = false;
        m_passRunning = true;
        lock.unlock();
        std::string failure;
        try {
            WritePass();
        } catch (const std::exception& error) {
            failure = error.what();
        } catch (const MExcept& error) {
            failure = error.Message();
        }
        if (!failure.empty())
            Fail(failure);
        lock.lock();
        m_passRunning = false;
        m_written.notify_all();
        if (m_failed)
            return;
    }
}

void Writer::WritePass() {
    if (m_fd < 0)
        OpenFiles();
    std::vector<std::uint8_t> frames;
    std::vector<std::uint32_t> indexes;
    for (;;) {
        frames.clear();
        indexes.clear();
        std::size_t store = 0;
        const bool more = TakeSlice(frames, store, indexes);
        if (!indexes.empty()) {
            // Encoded under the lock; framed outside it.
            m_scratch->Flush();
            const std::uint64_t size = m_scratch->Tell();
            std::vector<std::uint8_t> payload;
            payload.reserve(static_cast<std::size_t>(size) + 6 + 4 * indexes.size());
            Out out(payload);
            out.U8(kRecordsFrame);
            out.U8(static_cast<std::uint8_t>(store));
            out.U32(static_cast<std::uint32_t>(indexes.size()));
            for (std::uint32_t index : indexes)
                out.U32(index);
            const std::size_t start = payload.size();
            payload.resize(start + static_cast<std::size_t>(size));
            if (::pread(m_scratch->Descriptor(), payload.data() + start, size, 0) !=
                static_cast<ssize_t>(size))
                throw std::runtime_error("Couldn't read back the changed records");
            AppendFrame(frames, payload);
        }
        if (!frames.empty())
            Append(frames);
        if (!more)
            break;
    }
    std::vector<std::uint8_t> payload;
    Out commit(payload);
    commit.U8(kCommitFrame);
    commit.U64(static_cast<std::uint64_t>(std::time(nullptr)));
    frames.clear();
    AppendFrame(frames, payload);
    Append(frames);
    if (::fdatasync(m_fd) != 0)
        throw std::runtime_error(SystemError("Couldn't write", m_place.journalPath));
}

bool Writer::TakeSlice(std::vector<std::uint8_t>& frames, std::size_t& store,
                       std::vector<std::uint32_t>& indexes) {
    const std::lock_guard stores(m_storesLock);
    const std::lock_guard lock(m_mutex);
    for (std::size_t kind = 0; kind < kStoreCount; ++kind) {
        Pending& pending = m_pending[kind];
        std::vector<std::uint8_t> payload;
        Out out(payload);
        if (pending.cutTo) {
            out.U8(kCutFrame);
            out.U8(static_cast<std::uint8_t>(kind));
            out.U32(*pending.cutTo);
            AppendFrame(frames, payload);
            payload.clear();
            pending.cutTo.reset();
        }
        if (pending.header) {
            out.U8(kStoreHeaderFrame);
            out.U8(static_cast<std::uint8_t>(kind));
            WriteStoreHeader(out, StoreAt(m_document, kind));
            AppendFrame(frames, payload);
            pending.header = false;
        }
        const std::size_t count = StoreAt(m_document, kind).Count();
        for (std::size_t word = 0; word < pending.bits.size() && indexes.size() < kSliceRecords;
             ++word) {
            while (pending.bits[word] != 0 && indexes.size() < kSliceRecords) {
                const int bit = __builtin_ctzll(pending.bits[word]);
                pending.bits[word] &= pending.bits[word] - 1;
                const std::size_t index = word * 64 + static_cast<std::size_t>(bit);
                if (index < count)
                    indexes.push_back(static_cast<std::uint32_t>(index));
            }
        }
        if (indexes.empty())
            continue;
        store = kind;
        m_scratch->SeekTo(0);
        // The views compare dates outside the stores lock, and a comparison
        // may normalise a record's date in place.
        const MTime::WriteBackHold dates;
        VisitStore(m_document, kind, [&](const auto& typed) {
            for (std::uint32_t index : indexes)
                WriteRecord(*m_scratch, typed.Records()[index]);
        });
        return true;
    }
    m_anyPending = false;
    return false;
}

void Writer::Append(const std::vector<std::uint8_t>& frames) {
    WriteAll(m_fd, frames.data(), frames.size(), m_place.journalPath);
}

void Writer::OpenFiles() {
    m_scratch = MemoryFile();
    if (m_place.keepBytes > 0) {
        // The journal of a restore goes on; the base is already there.
        m_fd = ::open(m_place.journalPath.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
        if (m_fd < 0 || ::ftruncate(m_fd, static_cast<off_t>(m_place.keepBytes)) != 0 ||
            ::lseek(m_fd, 0, SEEK_END) < 0)
            throw std::runtime_error(SystemError("Couldn't open", m_place.journalPath));
        return;
    }
    MakeBase();
    std::vector<std::uint8_t> bytes(std::begin(kMagic), std::end(kMagic));
    std::vector<std::uint8_t> payload;
    Out header(payload);
    header.U8(kHeaderFrame);
    header.U32(kVersion);
    header.Text(m_place.dataPath);
    header.U64(static_cast<std::uint64_t>(m_place.base.Device));
    header.U64(static_cast<std::uint64_t>(m_place.base.Inode));
    header.U64(static_cast<std::uint64_t>(m_place.base.Size));
    header.U64(static_cast<std::uint64_t>(m_place.base.ModifiedSeconds));
    header.U64(static_cast<std::uint64_t>(m_place.base.ModifiedNanoseconds));
    AppendFrame(bytes, payload);
    // Made whole under another name, so that no half header ever lies there.
    const std::string made = m_place.journalPath + ".new";
    const int fd =
        ::open(made.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw std::runtime_error(SystemError("Couldn't create", made));
    try {
        WriteAll(fd, bytes.data(), bytes.size(), made);
        if (::fdatasync(fd) != 0 || ::rename(made.c_str(), m_place.journalPath.c_str()) != 0)
            throw std::runtime_error(SystemError("Couldn't write", m_place.journalPath));
    } catch (...) {
        ::close(fd);
        ::unlink(made.c_str());
        throw;
    }
    SyncFolderOf(m_place.journalPath);
    m_fd = fd;
}

void Writer::MakeBase() {
    const std::string& base = m_place.basePath;
    ::unlink(base.c_str());
    if (::link(m_place.dataPath.c_str(), base.c_str()) == 0) {
        if (FileIdentity::OfPath(base) == m_place.base)
            return;
        ::unlink(base.c_str());
        throw std::runtime_error("The data file " + m_place.dataPath +
                                 " was changed by another program after it was read");
    }
    // Another device, or links not allowed: a copy, checked against the file
    // as read before and after.
    const int source = ::open(m_place.dataPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        throw std::runtime_error(SystemError("Couldn't read", m_place.dataPath));
    const std::string made = base + ".new";
    const int target =
        ::open(made.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    try {
        if (target < 0)
            throw std::runtime_error(SystemError("Couldn't create", made));
        if (FileIdentity::OfDescriptor(source) != m_place.base)
            throw std::runtime_error("The data file " + m_place.dataPath +
                                     " was changed by another program after it was read");
        std::vector<std::uint8_t> buffer(1 << 20);
        for (;;) {
            const ssize_t got = ::read(source, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw std::runtime_error(SystemError("Couldn't read", m_place.dataPath));
            if (got == 0)
                break;
            WriteAll(target, buffer.data(), static_cast<std::size_t>(got), made);
        }
        if (FileIdentity::OfDescriptor(source) != m_place.base)
            throw std::runtime_error("The data file " + m_place.dataPath +
                                     " was changed by another program while it was copied");
        if (::fdatasync(target) != 0 || ::rename(made.c_str(), base.c_str()) != 0)
            throw std::runtime_error(SystemError("Couldn't write", base));
    } catch (...) {
        ::close(source);
        if (target >= 0)
            ::close(target);
        ::unlink(made.c_str());
        throw;
    }
    ::close(source);
    ::close(target);
}

void Writer::Fail(const std::string& text) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_failed)
            return;
        m_failed = true;
        m_anyPending = false;
        for (Pending& pending : m_pending)
            pending = Pending();
    }
    // A journal that no longer follows the document may not be offered back.
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    ::unlink(m_place.journalPath.c_str());
    ::unlink(m_place.basePath.c_str());
    if (m_report)
        m_report(text);
}

} // namespace ChangeJournal
