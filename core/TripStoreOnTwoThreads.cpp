#include "MExcept.h"
#include "MFile.h"
#include "RecordStore.h"
#include "TextArena.h"

#include <atomic>
#include <exception>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

// A million trips take most of the time a large file takes to read or
// write, on one core of two. A second thread takes the later trips.
//
// Reading, it first moves past the earlier trips without building them (a
// few words a trip, several times faster than building them), then builds
// the rest in the room reserved for them while the first thread builds the
// earlier ones. The result, and the error when the file is bad, are those of
// reading the trips in order.
//
// Writing, it adds up the sizes of the earlier trips and writes the later
// ones from there, with a writer of its own, while the first thread writes
// the earlier ones. The file's bytes are those of writing the trips in order.

namespace {

// Fewer trips are read on one thread: a second would save too little.
constexpr std::uint32_t kTwoThreadTrips = 1 << 15;

// The later trips, read on the second thread into the reserved slots from
// `first` on, with their notes in texts of their own.
struct LaterTrips {
    LaterTrips(const MFile& file, RecordList<TripRecord>& list, std::uint32_t earlier,
               std::uint32_t later)
        : view(file.MappedView()), records(list), skip(earlier),
          first(static_cast<std::uint32_t>(list.size()) + earlier), count(first + later) {}

    // The trips built so far are gone again; their notes lie in texts.
    void DestroyBuilt() {
        for (std::uint32_t i = 0; i < built; ++i)
            std::destroy_at(records.ReservedSlot(first + i));
        built = 0;
    }

    MFile view;
    RecordList<TripRecord>& records;
    const std::uint32_t skip;  // the trips the first thread reads
    const std::uint32_t first; // the index of the first trip read here
    const std::uint32_t count;
    TextArena texts;
    VehicleReadings readings;      // raised by the trips read here
    std::atomic<bool> stop{false}; // the first thread failed: nothing here counts
    bool reachedFirst = false;     // false: the first thread reads the rest itself
    std::uint32_t built = 0;
    std::exception_ptr error;
};

// Starts work on a thread of its own; false when the system gives none, and
// the caller then does it all itself.
template <typename Work> bool StartThread(std::thread& thread, Work work) {
    try {
        thread = std::thread(std::move(work));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace

void TripStore::ReadRecords(MFile& file, std::uint32_t count, const MTime& now) {
    if (count < kTwoThreadTrips || !file.IsMapped() ||
        m_records.capacity() - m_records.size() < count) {
        RecordStore::ReadRecords(file, count, now);
        return;
    }
    // Moving past a trip costs about a fifth of building it, so the first
    // thread takes a little more than half.
    const std::uint32_t earlier = count / 2 + count / 20;
    LaterTrips later(file, m_records, earlier, count - earlier);
    later.readings = m_readingsAsRead;
    // Read again (after a HotSync), the texts of both halves find their
    // pages in place.
    m_texts.ShareSpares(later.texts);
    const auto readLater = [this, &later, &now] {
        for (std::uint32_t i = 0; i < later.skip; ++i) {
            if (!SkipTrip(later.view))
                return;
            if (i % kRecordsPerRelease == kRecordsPerRelease - 1) {
                if (later.stop.load(std::memory_order_relaxed))
                    return;
                later.view.ReleaseReadPages();
            }
        }
        later.reachedFirst = true;
        try {
            for (std::uint32_t i = later.first; i < later.count; ++i) {
                TripRecord* record = ::new (later.records.ReservedSlot(i)) TripRecord(now);
                try {
                    ReadFields(later.view, *record, later.texts);
                } catch (...) {
                    std::destroy_at(record);
                    throw;
                }
                Gather(*record, later.readings);
                ++later.built;
                if (later.built % kRecordsPerRelease == 0) {
                    if (later.stop.load(std::memory_order_relaxed))
                        return;
                    later.view.ReleaseReadPages();
                }
            }
        } catch (...) {
            later.error = std::current_exception();
        }
    };
    std::thread helper;
    if (!StartThread(helper, readLater)) {
        RecordStore::ReadRecords(file, count, now);
        return;
    }
    try {
        RecordStore::ReadRecords(file, earlier, now);
    } catch (...) {
        later.stop = true;
        helper.join();
        later.DestroyBuilt();
        throw;
    }
    helper.join();
    if (!later.reachedFirst) {
        RecordStore::ReadRecords(file, count - earlier, now);
        return;
    }
    if (later.error) {
        later.DestroyBuilt();
        std::rethrow_exception(later.error);
    }
    try {
        m_texts.Adopt(later.texts);
    } catch (...) {
        later.DestroyBuilt();
        throw;
    }
    m_records.AdoptBuilt(later.built);
    m_readingsAsRead.RaiseTo(later.readings);
    file.ContinueAfter(later.view);
}

void TripStore::WriteRecords(MFile& file) const {
    const std::size_t count = m_records.size();
    if (count < kTwoThreadTrips) {
        TypedStore::WriteRecords(file);
        return;
    }
    const std::size_t earlier = count / 2;
    const std::uint64_t start = file.Tell();
    struct {
        std::atomic<bool> stop{false}; // the first thread failed: nothing here counts
        std::uint64_t start = 0;       // where the later trips were written from
        std::uint64_t end = 0;         // and where they end
        std::exception_ptr error;
    } later;
    const auto writeLater = [&] {
        try {
            std::uint64_t position = start;
            for (std::size_t i = 0; i < earlier; ++i)
                position += StoredSize(m_records[i]);
            later.start = position;
            MFile writer = file.WriterAt(position);
            for (std::size_t i = earlier; i < count; ++i) {
                WriteRecord(writer, m_records[i]);
                if (i % kRecordsPerRelease == 0 && later.stop.load(std::memory_order_relaxed))
                    return;
            }
            writer.Flush();
            later.end = writer.Tell();
        } catch (...) {
            later.error = std::current_exception();
        }
    };
    std::thread helper;
    if (!StartThread(helper, writeLater)) {
        TypedStore::WriteRecords(file);
        return;
    }
    try {
        for (std::size_t i = 0; i < earlier; ++i)
            WriteRecord(file, m_records[i]);
    } catch (...) {
        later.stop = true;
        helper.join();
        throw;
    }
    helper.join();
    if (later.error)
        std::rethrow_exception(later.error);
    // The earlier trips end where the later ones begin, or the file would
    // be wrong: it is not written then.
    if (file.Tell() != later.start)
        throw MExceptFileWriteError();
    file.SeekTo(later.end);
}
