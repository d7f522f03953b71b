// Undo and redo of the desktop's edits: random sequences of every kind of
// edit on generated files give back the opened file byte for byte when all
// are undone and the edited one when all are redone; the modified state
// follows the history; a reload throws the history away and leaves the
// reloaded data alone. The recovery journal of such edits gives them back
// in full, and cut short anywhere the data as of one of its commits.

#include "AppFixture.h"
#include "CategoryCommands.h"
#include "CategoryEditing.h"
#include "ChangeJournal.h"
#include "ExpenseCommands.h"
#include "ImportCommands.h"
#include "MFile.h"
#include "RecoveryJournal.h"
#include "SampleGenerator.h"
#include "ServiceCommands.h"
#include "ServiceTypeCommands.h"
#include "TripCommands.h"
#include "TvDeskDoc.h"
#include "UnitsCommand.h"
#include "VehicleCommands.h"

#include <QAction>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Makes random edits of every kind through the commands the views push.
class RandomEditor {
public:
    RandomEditor(CTvDeskDoc& document, std::uint64_t seed) : m_document(document), m_rng(seed) {}

    void EditOnce() {
        switch (Below(21)) {
        case 0:
            return Add<CNewTripCommand>(m_document.Trips());
        case 1:
            return Add<CNewServiceCommand>(m_document.Services());
        case 2:
            return Add<CNewExpenseCommand>(m_document.Expenses());
        case 3:
            return AddWithId<CNewVehicleCommand>(m_document.Vehicles());
        case 4:
            return AddWithId<CNewServiceTypeCommand>(m_document.ServiceTypes());
        case 5:
            return Edit<CEditTripCommand>(m_document.Trips());
        case 6:
            return Edit<CEditServiceCommand>(m_document.Services());
        case 7:
            return Edit<CEditExpenseCommand>(m_document.Expenses());
        case 8:
            return Edit<CEditVehicleCommand>(m_document.Vehicles());
        case 9:
            return Edit<CEditServiceTypeCommand>(m_document.ServiceTypes());
        case 10:
            return Select<CDeleteTripsCommand>(m_document.Trips());
        case 11:
            return Select<CDeleteServicesCommand>(m_document.Services());
        case 12:
            return Select<CDeleteExpensesCommand>(m_document.Expenses());
        case 13:
            return Select<CDeleteVehiclesCommand>(m_document.Vehicles());
        case 14:
            return Select<CDeleteServiceTypesCommand>(m_document.ServiceTypes());
        case 15:
            return Refile<CChangeTripCategoryCommand>(m_document.Trips());
        case 16:
            return Refile<CChangeExpenseCategoryCommand>(m_document.Expenses());
        case 17:
            return EditCategories();
        case 18:
            return m_document.Push(new CUnitsCommand(m_document, Below(2) == 0));
        case 19:
            return Import();
        default:
            // Undoing in the middle drops the steps above from the history.
            m_document.UndoStack().undo();
        }
    }

private:
    std::uint32_t Below(std::size_t bound) {
        return static_cast<std::uint32_t>(m_rng() % std::max<std::size_t>(bound, 1));
    }
    // A changed copy of a stored record, marked as the desktop marks it.
    template <typename Record> Record Changed(const Record& record) {
        Record changed = record;
        changed.Category = Below(4);
        changed.Flags ^= RecordFlags::Modified;
        changed.Uid += Below(3);
        return changed;
    }
    template <typename Command, typename Store> void Add(Store& store) {
        if (store.Count() != 0)
            m_document.Push(
                new Command(m_document, Changed(store.Records()[Below(store.Count())])));
    }
    template <typename Command, typename Store> void AddWithId(Store& store) {
        if (store.Count() == 0)
            return;
        auto record = Changed(store.Records()[Below(store.Count())]);
        const std::uint32_t before = store.IdCounter;
        if constexpr (std::is_same_v<Store, VehicleStore>)
            record.VehicleId = store.NewId();
        else
            record.ServiceTypeId = store.NewId();
        m_document.Push(new Command(m_document, std::move(record), before));
    }
    template <typename Command, typename Store> void Edit(Store& store) {
        if (store.Count() == 0)
            return;
        const std::uint32_t index = Below(store.Count());
        m_document.Push(new Command(m_document, index, store.Records()[index],
                                    Changed(store.Records()[index])));
    }
    IndexRuns Selection(std::size_t count) {
        std::vector<std::uint32_t> indexes;
        for (std::uint32_t i = 0, n = 1 + Below(12); i < n; ++i)
            indexes.push_back(Below(count));
        return IndexRuns::FromIndexes(std::move(indexes));
    }
    template <typename Command, typename Store> void Select(Store& store) {
        if (store.Count() != 0)
            m_document.Push(new Command(m_document, Selection(store.Count())));
    }
    template <typename Command, typename Store> void Refile(Store& store) {
        if (store.Count() != 0)
            m_document.Push(new Command(m_document, Selection(store.Count()), Below(4)));
    }
    void EditCategories() {
        const bool trips = Below(2) == 0;
        const StoreKind kind = trips ? StoreKind::Trips : StoreKind::Expenses;
        CategoryList edited =
            trips ? m_document.Trips().Categories : m_document.Expenses().Categories;
        const std::string name = "C" + std::to_string(Below(1000));
        CategoryEntry& entry = *std::next(edited.Items().begin(), Below(edited.Size()));
        const std::uint32_t index = entry.Index();
        switch (Below(3)) {
        case 0:
            if (AddCategory(edited, name).Result == AddCategoryResult::Added)
                m_document.Push(new CNewCategoryCommand(m_document, kind, edited));
            break;
        case 1:
            if (RenameCategory(edited, entry, name) == RenameCategoryResult::Renamed)
                m_document.Push(new CRenameCategoryCommand(m_document, kind, edited));
            break;
        default:
            if (RemoveCategoryEntry(edited, entry))
                m_document.Push(new CDeleteCategoryCommand(m_document, kind, edited, index));
        }
    }

    // Copies of a few trips as one import, under a new vehicle or a known
    // one and a new category (Unfiled once the list is full).
    void Import() {
        TripStore& trips = m_document.Trips();
        if (trips.Count() == 0)
            return;
        ImportCheck check;
        const std::string tag = std::to_string(Below(1000));
        check.vehicleSlots.push_back({"V" + tag, std::nullopt});
        if (Below(2) == 0 && m_document.Vehicles().Count() != 0)
            check.vehicleSlots[0].id = m_document.Vehicles().Records()[0].VehicleId;
        check.categorySlots.push_back({"K" + tag, std::nullopt});
        for (std::uint32_t i = 0, n = 1 + Below(5); i < n; ++i) {
            TripRecord trip = trips.Records()[Below(trips.Count())];
            trip.VehicleId = 0;
            trip.Category = 0;
            check.trips.push_back(std::move(trip));
        }
        const ImportMark mark(m_document);
        const std::size_t added = ApplyImport(m_document, std::move(check));
        m_document.Push(new CImportCommand(m_document, mark,
                                           ImportCommands::ImportText(ImportLog::Trips, added)));
    }

    CTvDeskDoc& m_document;
    std::mt19937_64 m_rng;
};

// A sample generated with those options, saved at path.
bool SaveSample(const std::string& path, const SampleOptions& options) {
    TvDocument generated;
    GenerateSample(generated, options);
    return generated.OnSaveDocument(path);
}

// The five stores in their file form.
std::string StoreBytes(TvDocument& document) {
    MFile file(::memfd_create("stores", MFD_CLOEXEC));
    document.Vehicles().Write(file);
    document.ServiceTypes().Write(file);
    document.Services().Write(file);
    document.Trips().Write(file);
    document.Expenses().Write(file);
    file.Flush();
    std::string bytes(file.Size(), '\0');
    EXPECT_EQ(::pread(file.Descriptor(), bytes.data(), bytes.size(), 0),
              static_cast<ssize_t>(bytes.size()));
    return bytes;
}

TEST(UndoHistory, JournalOfRandomEditsRestoresThemAndACutOneTheDataOfACommit) {
    // Thousands of cuts: in memory where there is a memory file system.
    QTemporaryDir folder(QDir("/dev/shm").exists() ? "/dev/shm/tvjournal-XXXXXX"
                                                   : QDir::tempPath() + "/tvjournal-XXXXXX");
    const auto path = [&folder](const char* name) {
        return (folder.path() + "/" + name).toStdString();
    };
    for (std::uint64_t seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(
            SaveSample(path("opened.tv"), {.Vehicles = static_cast<std::uint32_t>(2 + seed % 3),
                                           .Trips = 20,
                                           .Services = 8,
                                           .Expenses = 10,
                                           .Seed = seed}));
        CTvDeskDoc document;
        ASSERT_TRUE(document.OnOpenDocument(path("opened.tv")));
        // The data as of each commit, the opened file's first, and where in
        // the journal each commit ends.
        std::vector<std::string> committed = {StoreBytes(document)};
        std::vector<std::uintmax_t> commitEnds;
        {
            ChangeJournal::Writer writer(
                document, document.StoresLock(),
                {path("j.tvj"), path("j.base"), path("opened.tv"), *document.FileIdentityRead(), 0},
                nullptr);
            document.SetChangeListener(
                [&writer](const DocumentChange& change) { writer.Note(JournalNotesOf(change)); });
            RandomEditor editor(document, seed);
            for (int step = 1; step <= 24; ++step) {
                editor.EditOnce();
                if (step % 4 == 0) {
                    ASSERT_TRUE(writer.Flush());
                    std::error_code none;
                    const std::uintmax_t size = std::filesystem::file_size(path("j.tvj"), none);
                    if (commitEnds.empty() ? size > 0 : size > commitEnds.back()) {
                        committed.push_back(StoreBytes(document));
                        commitEnds.push_back(size);
                    }
                }
            }
            document.SetChangeListener(nullptr);
        }
        std::ifstream whole(path("j.tvj"), std::ios::binary);
        const std::string journal{std::istreambuf_iterator<char>(whole),
                                  std::istreambuf_iterator<char>()};
        ASSERT_GT(commitEnds.size(), 2u);
        // Every cut, the whole journal first, gives the data of the last
        // commit it holds in full.
        std::ofstream(path("cut.tvj"), std::ios::binary) << journal;
        for (std::size_t cut = journal.size() + 1; cut-- > 0;) {
            ASSERT_EQ(::truncate(path("cut.tvj").c_str(), static_cast<off_t>(cut)), 0);
            std::optional<ChangeJournal::Contents> contents = ChangeJournal::Read(path("cut.tvj"));
            TvDocument restored;
            ASSERT_TRUE(restored.OnOpenDocument(path("opened.tv")));
            if (contents)
                ChangeJournal::Apply(restored, *contents);
            const auto commits =
                std::upper_bound(commitEnds.begin(), commitEnds.end(), cut) - commitEnds.begin();
            ASSERT_EQ(StoreBytes(restored), committed[static_cast<std::size_t>(commits)])
                << "cut at " << cut << " of " << journal.size();
            if (commits > 0) {
                ASSERT_TRUE(contents);
                EXPECT_EQ(contents->damaged, cut != commitEnds[commits - 1]) << "cut at " << cut;
            }
        }
    }
}

TEST(UndoHistory, UndoingEveryEditGivesBackTheFileAndRedoingGivesTheEditedOne) {
    QTemporaryDir folder;
    const auto path = [&folder](const char* name) {
        return (folder.path() + "/" + name).toStdString();
    };
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        ASSERT_TRUE(
            SaveSample(path("opened.tv"), {.Vehicles = static_cast<std::uint32_t>(3 + seed % 3),
                                           .Trips = 80,
                                           .Services = 30,
                                           .Expenses = 40,
                                           .Seed = seed,
                                           .Metric = seed % 2 == 0}));
        CTvDeskDoc document;
        ASSERT_TRUE(document.OnOpenDocument(path("opened.tv")));
        RandomEditor editor(document, seed);
        for (int step = 0; step < 60; ++step)
            editor.EditOnce();
        ASSERT_TRUE(document.OnSaveDocument(path("edited.tv")));
        EXPECT_FALSE(document.IsModified());

        // The clean state is the one of the last save.
        document.UndoStack().undo();
        EXPECT_EQ(document.IsModified(), document.UndoStack().count() != 0);
        document.UndoStack().redo();
        EXPECT_FALSE(document.IsModified());

        document.UndoStack().setIndex(0);
        ASSERT_TRUE(document.OnSaveDocument(path("undone.tv")));
        EXPECT_EQ(FileBytes(path("undone.tv")), FileBytes(path("opened.tv")));
        document.UndoStack().setIndex(document.UndoStack().count());
        ASSERT_TRUE(document.OnSaveDocument(path("redone.tv")));
        EXPECT_EQ(FileBytes(path("redone.tv")), FileBytes(path("edited.tv")));
    }
}

// The readings kept between questions follow every kind of edit, also those
// that change records in place (deletions, units, undo).
TEST(UndoHistory, KeptVehicleReadingsFollowEveryEdit) {
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        CTvDeskDoc document;
        GenerateSample(document, {.Vehicles = 4, .Trips = 60, .Services = 30, .Seed = seed});
        RandomEditor editor(document, seed);
        for (int step = 0; step < 80; ++step, editor.EditOnce())
            for (const VehicleRecord& vehicle : document.Vehicles().Records())
                ASSERT_EQ(document.CurrentReadingOf(vehicle.VehicleId),
                          document.CurrentOdometer(vehicle))
                    << "seed " << seed << ", step " << step;
    }
}

TEST(UndoHistory, ANewDataSetStaysToBeSavedWhenItsEditsAreUndone) {
    CTvDeskDoc document;
    document.InitNewDocument();
    document.Push(new CUnitsCommand(document, true));
    document.UndoStack().undo();
    EXPECT_TRUE(document.IsModified());
}

class UndoAcrossReload : public AppFixture {};

TEST_F(UndoAcrossReload, AHotSyncReloadEmptiesTheHistoryAndLeavesTheReloadedDataAlone) {
    AddUser(1, "Ann");
    QDir(m_folder.path()).mkpath("Ann/Tarvenly");
    {
        TvDocument generated;
        GenerateSample(generated, SampleOptions{});
        ASSERT_TRUE(generated.OnSaveDocument(DataFileOf("Ann")));
    }
    const std::string file = FileBytes(DataFileOf("Ann"));
    ASSERT_TRUE(Start());
    CTvDeskDoc& document = m_app->Doc();
    document.Push(new CDeleteVehiclesCommand(document, IndexRuns(0)));
    auto* undo = m_app->MainFrame()->findChild<QAction*>("actionUndo");
    ASSERT_TRUE(undo->isEnabled());

    m_app->ReloadDocument();
    EXPECT_EQ(document.UndoStack().count(), 0);
    EXPECT_FALSE(undo->isEnabled());
    undo->trigger();
    ASSERT_TRUE(document.OnSaveDocument(DataFileOf("Ann")));
    EXPECT_EQ(FileBytes(DataFileOf("Ann")), file);
}

} // namespace
