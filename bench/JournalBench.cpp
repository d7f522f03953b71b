// The recovery journal on a million trips: what each change costs the GUI
// thread with the journal following the document, against the same change
// without it, and how long after the change it is on disk (the journal's
// commit fsynced). One edit of a trip, then deleting all trips as the trip
// list does it, and undoing that. Prints each figure; fails when the journal
// costs the GUI thread 20 ms or more for a change, or a change reaches the
// disk after 2 s.

#include "ChangeJournal.h"
#include "RecordLocator.h"
#include "RecoveryJournal.h"
#include "SampleGenerator.h"
#include "TripCommands.h"
#include "TvDeskDoc.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Waits until the journal has grown and ends in a whole commit frame: the
// change is on disk then.
Clock::time_point OnDiskAt(const std::string& journal, std::uintmax_t sizeBefore) {
    constexpr std::size_t kCommitFrame = 8 + 1 + 8;
    for (;;) {
        std::ifstream file(journal, std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::uintmax_t>(file.tellg());
        if (file && size > sizeBefore + kCommitFrame) {
            char tail[kCommitFrame] = {};
            file.seekg(static_cast<std::streamoff>(size - kCommitFrame));
            if (file.read(tail, kCommitFrame) && tail[8] == 'C') {
                // Records can end in such bytes too: the whole file decides.
                const Clock::time_point seen = Clock::now();
                const auto contents = ChangeJournal::Read(journal);
                if (contents && !contents->damaged && contents->validEnd == size)
                    return seen;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

struct Figures {
    double gui = 0;     // the whole change on the GUI thread
    double journal = 0; // of that, telling the journal's writer
    double onDisk = 0;
};

// The GUI thread's time in the journal's change listener.
double g_listening = 0;

// The change with the journal's writer told of it, as the program does it.
template <typename Change> Figures Measure(const std::string& journal, Change change) {
    std::error_code error;
    const std::uintmax_t before =
        std::filesystem::exists(journal) ? std::filesystem::file_size(journal, error) : 0;
    g_listening = 0;
    const Clock::time_point start = Clock::now();
    change();
    const Clock::time_point changed = Clock::now();
    return {Milliseconds(start, changed), g_listening,
            Milliseconds(start, OnDiskAt(journal, before))};
}

template <typename Change> double Plain(Change change) {
    const Clock::time_point start = Clock::now();
    change();
    return Milliseconds(start, Clock::now());
}

} // namespace

int main() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tvbench-journal";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "TvData.tv").string();
    {
        TvDocument generated;
        SampleOptions options;
        options.Vehicles = 10;
        options.Trips = 1000000;
        options.Services = 0;
        options.Expenses = 0;
        GenerateSample(generated, options);
        if (!generated.OnSaveDocument(file))
            return 2;
    }
    CTvDeskDoc document;
    if (!document.OnOpenDocument(file))
        return 2;
    TripStore& trips = document.Trips();
    const auto editOne = [&] {
        TripRecord edited = trips.Records()[500000];
        edited.Destination.Set("Journal bench");
        edited.MarkModified();
        document.Push(new CEditTripCommand(document, 500000, trips.Records()[500000], edited));
    };
    const auto deleteAll = [&] {
        std::vector<TripRecord*> rows;
        for (TripRecord& trip : trips.Records())
            if (!trip.IsDeleted())
                rows.push_back(&trip);
        const RecordLocator<TripRecord> locator(trips.Records());
        document.Push(
            new CDeleteTripsCommand(document, IndexRuns::FromIndexes(locator.IndexesOf(rows))));
    };

    // Without a journal: the edit itself, done and undone.
    const double plainEdit = Plain(editOne);
    document.UndoStack().undo();
    const double plainDelete = Plain(deleteAll);
    const double plainUndo = Plain([&] { document.UndoStack().undo(); });

    const std::string journal = (folder / "journal.tvj").string();
    ChangeJournal::Writer writer(
        document, document.StoresLock(),
        {journal, (folder / "journal.base").string(), file, *document.FileIdentityRead(), 0},
        [](const std::string& text) {
            std::fprintf(stderr, "journal failed: %s\n", text.c_str());
        });
    document.SetChangeListener([&writer](const DocumentChange& change) {
        const Clock::time_point start = Clock::now();
        writer.Note(JournalNotesOf(change));
        g_listening += Milliseconds(start, Clock::now());
    });

    const Figures edit = Measure(journal, editOne);
    const Figures deletion = Measure(journal, deleteAll);
    const Figures undo = Measure(journal, [&] { document.UndoStack().undo(); });
    // An edit while the writer reads the records of a large change: the GUI
    // thread waits at most for the slice being read.
    deleteAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(ChangeJournal::Writer::kQuietMs + 150));
    const double editWhileWriting = Plain(editOne);
    writer.Flush();
    document.SetChangeListener(nullptr);
    const auto journalBytes = std::filesystem::file_size(journal);
    writer.Remove();
    std::filesystem::remove_all(folder);

    const auto print = [](const char* what, const Figures& figures, double plain) {
        std::printf("%s: GUI %.2f ms (without journal %.2f ms), of which the journal %.3f ms; on "
                    "disk after %.0f ms\n",
                    what, figures.gui, plain, figures.journal, figures.onDisk);
    };
    std::printf("trips: %zu\n", trips.Count());
    print("edit one trip", edit, plainEdit);
    print("delete all trips", deletion, plainDelete);
    print("undo the deletion", undo, plainUndo);
    std::printf("edit one trip while the deletion is being written: GUI %.2f ms\n",
                editWhileWriting);
    std::printf("journal: %.1f MB (targets: the journal's GUI cost < 20 ms per change, on disk "
                "< 2000 ms)\n",
                static_cast<double>(journalBytes) / 1e6);
    bool met = true;
    for (const Figures& figures : {edit, deletion, undo})
        met = met && figures.journal < 20 && figures.onDisk < 2000;
    met = met && editWhileWriting < 20;
    return met ? 0 : 1;
}
