#pragma once

#include "AtomicFileWriter.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class MFile;
class TvDocument;

// The recovery journal of one data file: what the user changed since the
// file was read or last saved, on disk within moments of each change, so
// that a crash, a killed program or a lost display loses nothing.
//
// The file is a header and then frames, each [length][CRC-32][payload] with
// little-endian words, appended and never rewritten. The first frame names
// the data file and the identity of the file the changes apply to (its
// base); then come, per store, records in their data-file form at their
// index, a cut of the store to a count, its category list, settings words
// and IdCounter. A commit frame ends each group of frames that together
// bring base + journal to the state the document had at that moment: a
// reader applies whole groups only, up to the first frame that is not whole.
namespace ChangeJournal {

// The stores in the order of the data file.
constexpr std::size_t kStoreCount = 5;

struct Header {
    std::string dataPath;
    FileIdentity base;
};

// A journal file as read: the frames up to its last whole group.
struct Contents {
    Header header;
    std::string path;
    // Offset and size of each payload of the whole groups, the header's not
    // included.
    std::vector<std::pair<std::size_t, std::size_t>> frames;
    std::vector<std::uint8_t> bytes;
    // The end of the header, and of the last whole group (of the header
    // when there is none).
    std::size_t headerEnd = 0;
    std::size_t validEnd = 0;
    // When the last whole group was written, seconds since 1970; 0: none.
    long long changedAt = 0;
    // Bytes follow the last whole group: a frame cut short or damaged, or
    // changes that were being written when the program ended.
    bool damaged = false;

    bool HasChanges() const { return !frames.empty(); }
};

// The journal at path; none when there is no file or its header is not
// whole. Raises nothing.
std::optional<Contents> Read(const std::string& path);

// Applies the journal's whole groups to a document that holds its base, up
// to the first group that does not fit the data (that one and the rest are
// left out, and contents.damaged is set). The document is not marked
// modified. False when not a single group could be applied.
bool Apply(TvDocument& document, Contents& contents);

// One store's part of a change, as the writer is told of it: the record
// indexes added or changed (runs of first index and count), a cut of the
// store, and whether its category list, settings or IdCounter changed.
struct StoreNote {
    std::size_t store = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> records;
    std::optional<std::uint32_t> cutTo;
    bool header = false;
};

// Writes the journal of one open document on a thread of its own. The
// document's thread tells it what each change touched (Note, cheap: a few
// bits per record); the writer waits a moment for more changes, then reads
// the touched records from the stores in small slices under the stores lock,
// which the document's thread holds while it changes them, appends them and
// puts them on disk (fdatasync). The journal file and the base are made at
// the first change: a hard link to the data file as read (saves replace the
// data file by a rename, so the link keeps the old bytes), or a copy where
// no link can be made.
class Writer {
public:
    struct Place {
        std::string journalPath;
        std::string basePath;
        std::string dataPath;
        FileIdentity base;
        // Go on with an existing journal (after a restore): its first bytes
        // up to this offset are kept, the rest cut off. 0: a new journal.
        std::size_t keepBytes = 0;
    };
    // Called on the writer's thread when the journal cannot be written; the
    // writer then stops writing (edits go on untouched).
    using FailureReport = std::function<void(const std::string& text)>;

    Writer(TvDocument& document, std::mutex& storesLock, Place place, FailureReport report);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // The document's thread, holding the stores lock, right after a change.
    void Note(const std::vector<StoreNote>& notes);
    // Writes what was noted and waits until it is on disk; false when the
    // journal could not be written. Not with the stores lock held.
    bool Flush();
    // Ends the thread; what was noted and not yet written is dropped.
    void Stop();
    // Stops and removes the journal and its base.
    void Remove();

    // How long the writer waits after a change for the next one, and at most
    // after the first one of a series.
    static constexpr int kQuietMs = 200;
    static constexpr int kLongestWaitMs = 800;
    // Records read per slice under the stores lock.
    static constexpr std::uint32_t kSliceRecords = 4096;

private:
    struct Pending {
        std::vector<std::uint64_t> bits; // touched records
        std::optional<std::uint32_t> cutTo;
        bool header = false;
        bool Empty() const;
    };
    using Clock = std::chrono::steady_clock;

    void Run();
    // Writes every slice noted until none is left, then the commit.
    void WritePass();
    void OpenFiles();
    void MakeBase();
    // The next part of what is pending, read under both locks: the cuts and
    // store headers as frames, and up to kSliceRecords touched records of
    // one store written to the scratch file, their indexes in indexes.
    // False when nothing was pending: the journal then matches the document.
    bool TakeSlice(std::vector<std::uint8_t>& frames, std::size_t& store,
                   std::vector<std::uint32_t>& indexes);
    void Append(const std::vector<std::uint8_t>& frames);
    void Fail(const std::string& text);

    TvDocument& m_document;
    std::mutex& m_storesLock;
    Place m_place;
    FailureReport m_report;

    std::mutex m_mutex; // guards what follows
    std::condition_variable m_wake;
    std::condition_variable m_written;
    std::array<Pending, kStoreCount> m_pending;
    bool m_anyPending = false;
    Clock::time_point m_firstNote;
    Clock::time_point m_lastNote;
    bool m_flushAsked = false;
    bool m_stopping = false;
    bool m_failed = false;
    bool m_passRunning = false;

    int m_fd = -1; // the journal, open for appending once made
    // A file in memory that the records are written to in their file form.
    std::unique_ptr<MFile> m_scratch;
    std::thread m_thread;
};

} // namespace ChangeJournal
