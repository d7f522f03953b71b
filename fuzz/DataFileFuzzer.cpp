// Feeds arbitrary bytes to the data-file reader the way the desktop program
// opens a file: through the document. A file that is refused must leave the
// document empty and unmodified. A file that opens must save, the save must
// hold exactly the stores' blocks, and the saved file must open again to the
// same data: every counter, setting, category entry and record field equal,
// and byte for byte the same file when both documents are written out
// (category lists taken in index order, since a list orders itself by the
// names in the order they arrive, and entries at index 0 are never written).

#include "MFile.h"
#include "RecordStore.h"
#include "TvDocument.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

void RemoveSavedFiles();

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "tvfuzz_datafile: %s\n", what.c_str());
    RemoveSavedFiles();
    std::abort();
}

int NewMemoryFile(const char* name) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0)
        Fail("memfd_create failed");
    return fd;
}

void Replace(int fd, const std::uint8_t* data, std::size_t size) {
    if (::ftruncate(fd, 0) != 0)
        Fail("ftruncate failed");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (put <= 0)
            Fail("pwrite failed");
        done += static_cast<std::size_t>(put);
    }
}

std::string ReadAll(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        Fail("fstat failed");
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got <= 0)
            Fail("pread failed");
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

std::string ReadFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("cannot open " + path);
    std::string bytes = ReadAll(fd);
    ::close(fd);
    return bytes;
}

// The input lives in a memory file that the document opens by its /proc
// name; saved files go to a private folder, on tmpfs where there is one,
// because saving replaces the file through a temporary beside it.
struct Workspace {
    Workspace() : inputFd(NewMemoryFile("tvfuzz-input")), imageFd(NewMemoryFile("tvfuzz-image")) {
        inputPath = "/proc/self/fd/" + std::to_string(inputFd);
        const std::array<const char*, 3> bases = {"/dev/shm", std::getenv("TMPDIR"), "/tmp"};
        for (const char* base : bases) {
            if (base == nullptr)
                continue;
            std::string pattern = std::string(base) + "/tvfuzz-XXXXXX";
            if (::mkdtemp(pattern.data()) != nullptr) {
                folder = pattern;
                break;
            }
        }
        if (folder.empty())
            Fail("no folder for saved files");
        savedPath = folder + "/TvData.tv";
    }
    ~Workspace() { RemoveFiles(); }

    void RemoveFiles() const {
        ::unlink(savedPath.c_str());
        ::rmdir(folder.c_str());
    }

    int inputFd;
    int imageFd; // scratch for writing a document's stores
    std::string inputPath;
    std::string folder;
    std::string savedPath;
};

Workspace* g_workspace = nullptr;

Workspace& Space() {
    static Workspace workspace;
    if (g_workspace == nullptr) {
        g_workspace = &workspace;
        // A sanitizer report ends the process without destructors.
        __sanitizer_set_death_callback(RemoveSavedFiles);
    }
    return workspace;
}

void RemoveSavedFiles() {
    if (g_workspace != nullptr)
        g_workspace->RemoveFiles();
}

std::array<RecordStore*, 5> Stores(TvDocument& document) {
    return {&document.Vehicles(), &document.ServiceTypes(), &document.Services(), &document.Trips(),
            &document.Expenses()};
}

// The five store blocks of a document, as a save writes them.
std::string Image(TvDocument& document) {
    Workspace& space = Space();
    if (::ftruncate(space.imageFd, 0) != 0)
        Fail("ftruncate failed");
    const int fd = ::dup(space.imageFd);
    if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        Fail("dup failed");
    MFile file(fd);
    for (RecordStore* store : Stores(document))
        store->Write(file);
    file.Close();
    return ReadAll(space.imageFd);
}

// Category entries in index order, so that two lists holding the same
// entries write the same bytes.
void SortCategories(TvDocument& document) {
    for (RecordStore* store : Stores(document))
        store->Categories.Items().sort([](const CategoryEntry& a, const CategoryEntry& b) {
            if (a.Category != b.Category)
                return a.Category < b.Category;
            if (a.Uid != b.Uid)
                return a.Uid < b.Uid;
            if (a.Flags != b.Flags)
                return a.Flags < b.Flags;
            return a.Name < b.Name;
        });
}

// Field by field, as the file holds them: a date's day of week, day of year
// and daylight flag are not stored.
bool SameTime(const MTime& a, const MTime& b) {
    return a.GetSecond() == b.GetSecond() && a.GetMinute() == b.GetMinute() &&
           a.GetHour() == b.GetHour() && a.GetDay() == b.GetDay() && a.GetMonth() == b.GetMonth() &&
           a.GetYear() == b.GetYear();
}

bool SameHeader(const RecordHeader& a, const RecordHeader& b) {
    return a.Uid == b.Uid && a.Category == b.Category && a.Flags == b.Flags;
}

bool Same(const VehicleRecord& a, const VehicleRecord& b) {
    return SameHeader(a, b) && a.Name == b.Name && a.License == b.License && a.Vin == b.Vin &&
           a.Insurance == b.Insurance && a.Odometer == b.Odometer && a.VehicleId == b.VehicleId;
}

bool Same(const ServiceTypeRecord& a, const ServiceTypeRecord& b) {
    return SameHeader(a, b) && a.Name == b.Name && a.DistanceInterval == b.DistanceInterval &&
           a.TimeUnit == b.TimeUnit && a.TimeCount == b.TimeCount &&
           a.ServiceTypeId == b.ServiceTypeId;
}

bool Same(const ServiceRecord& a, const ServiceRecord& b) {
    return SameHeader(a, b) && a.Odometer == b.Odometer && SameTime(a.Date, b.Date) &&
           a.ServiceFlags == b.ServiceFlags && a.VehicleId == b.VehicleId &&
           a.ServiceTypeId == b.ServiceTypeId && a.Note == b.Note;
}

bool Same(const TripRecord& a, const TripRecord& b) {
    return SameHeader(a, b) && a.Destination == b.Destination &&
           a.StartOdometer == b.StartOdometer && a.EndOdometer == b.EndOdometer &&
           SameTime(a.Start, b.Start) && SameTime(a.End, b.End) && a.VehicleId == b.VehicleId &&
           a.Note == b.Note;
}

bool Same(const ExpenseRecord& a, const ExpenseRecord& b) {
    return SameHeader(a, b) && a.Vendor == b.Vendor && a.Description == b.Description &&
           a.ExtraText == b.ExtraText && a.Cost == b.Cost && SameTime(a.Date, b.Date) &&
           a.Odometer == b.Odometer && a.ExpenseFlags == b.ExpenseFlags && a.Volume == b.Volume &&
           a.VehicleId == b.VehicleId && a.Note == b.Note;
}

template <typename Store> void ExpectSameRecords(const Store& original, const Store& reread) {
    const std::string name = original.TagText();
    if (original.Count() != reread.Count())
        Fail(name + ": " + std::to_string(original.Count()) + " records read back as " +
             std::to_string(reread.Count()));
    if (original.LiveCount() != reread.LiveCount())
        Fail(name + ": the live record count changed");
    for (std::size_t i = 0; i < original.Count(); ++i)
        if (!Same(original.Records()[i], reread.Records()[i]))
            Fail(name + ": record " + std::to_string(i) + " reads back differently");
}

// The entries a save writes (all but index 0), in index order.
std::vector<CategoryEntry> WrittenCategories(const RecordStore& store) {
    std::vector<CategoryEntry> entries;
    for (const CategoryEntry& entry : store.Categories.Items())
        if (entry.Category != 0)
            entries.push_back(entry);
    std::sort(entries.begin(), entries.end(), [](const CategoryEntry& a, const CategoryEntry& b) {
        return std::tie(a.Category, a.Uid, a.Flags, a.Name) <
               std::tie(b.Category, b.Uid, b.Flags, b.Name);
    });
    return entries;
}

void ExpectSameStore(const RecordStore& original, const RecordStore& reread) {
    const std::string name = original.TagText();
    if (original.IdCounter != reread.IdCounter || original.Settings != reread.Settings ||
        original.Categories.LastUniqueId != reread.Categories.LastUniqueId)
        Fail(name + ": counters or settings read back differently");
    const std::vector<CategoryEntry> before = WrittenCategories(original);
    const std::vector<CategoryEntry> after = WrittenCategories(reread);
    if (before.size() != after.size())
        Fail(name + ": " + std::to_string(before.size()) + " categories read back as " +
             std::to_string(after.size()));
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!SameHeader(before[i], after[i]) || before[i].Name != after[i].Name)
            Fail(name + ": category " + std::to_string(before[i].Category) +
                 " reads back differently");
}

void ExpectSameData(TvDocument& original, TvDocument& reread) {
    const auto before = Stores(original);
    const auto after = Stores(reread);
    for (std::size_t i = 0; i < before.size(); ++i)
        ExpectSameStore(*before[i], *after[i]);
    ExpectSameRecords(original.Vehicles(), reread.Vehicles());
    ExpectSameRecords(original.ServiceTypes(), reread.ServiceTypes());
    ExpectSameRecords(original.Services(), reread.Services());
    ExpectSameRecords(original.Trips(), reread.Trips());
    ExpectSameRecords(original.Expenses(), reread.Expenses());
}

bool IsEmpty(TvDocument& document) {
    for (RecordStore* store : Stores(document))
        if (store->Count() != 0 || store->Categories.Size() != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Workspace& space = Space();
    Replace(space.inputFd, data, size);

    TvDocument original;
    if (!original.OnOpenDocument(space.inputPath)) {
        if (original.IsModified() || !IsEmpty(original))
            Fail("a refused file left data in the document");
        return 0;
    }

    if (!original.OnSaveDocument(space.savedPath))
        Fail("a file that opened cannot be saved: " + original.LastError());
    if (ReadFile(space.savedPath) != Image(original))
        Fail("the saved file differs from the stores' own blocks");

    TvDocument reread;
    if (!reread.OnOpenDocument(space.savedPath))
        Fail("the saved file does not open: " + reread.LastError());
    ExpectSameData(original, reread);

    SortCategories(original);
    SortCategories(reread);
    if (Image(original) != Image(reread))
        Fail("the saved file reads back to other data");
    return 0;
}
