#include "LogExport.h"

#include "CategoryList.h"
#include "TvDocument.h"

#include <algorithm>
#include <cstring>

std::optional<ExportLog> ExportLogNamed(std::string_view name) {
    if (name == "trips")
        return ExportLog::Trips;
    if (name == "services")
        return ExportLog::Services;
    if (name == "expenses")
        return ExportLog::Expenses;
    return std::nullopt;
}

const char* ExportFileBaseName(ExportLog log) {
    switch (log) {
    case ExportLog::Trips:
        return "TripData";
    case ExportLog::Services:
        return "ServiceData";
    case ExportLog::Expenses:
        return "ExpenseData";
    }
    return "";
}

const char* NoRecordsMessage(ExportLog log) {
    switch (log) {
    case ExportLog::Trips:
        return "There are no trips to export.";
    case ExportLog::Services:
        return "There are no services to export.";
    case ExportLog::Expenses:
        return "There are no expenses to export.";
    }
    return "";
}

bool ExportStoreIsEmpty(const TvDocument& document, ExportLog log) {
    switch (log) {
    case ExportLog::Trips:
        return document.Trips().Count() == 0;
    case ExportLog::Services:
        return document.Services().Count() == 0;
    case ExportLog::Expenses:
        return document.Expenses().Count() == 0;
    }
    return true;
}

std::vector<std::string_view> ExportColumnTitles(ExportLog log, bool metric) {
    switch (log) {
    case ExportLog::Trips:
        return {"Start Time",
                "End Time",
                "Destination",
                "Category",
                metric ? "Start Kilometers" : "Start Miles",
                metric ? "End Kilometers" : "End Miles",
                "Distance",
                "Note"};
    case ExportLog::Services:
        return {"Date", "Odometer", "ServiceType", "Status", "Note"};
    case ExportLog::Expenses:
        return {"Date",
                "Vender",
                "Description",
                "Category",
                "Odometer",
                "Cost",
                metric ? "Liters" : "Gallons",
                "Note"};
    }
    return {};
}

namespace {

// No chosen entry lets every category through, as the entry named "All" does.
const CategoryEntry* ExportCategory(const TvDocument& document, const CategoryEntry* chosen) {
    return chosen != nullptr ? chosen : &document.AllCategoriesEntry;
}

} // namespace

TripFilter TripExportFilter(const TvDocument& document) {
    return TripFilter(document.SelectedVehicle, ExportCategory(document, document.TripLogFilter),
                      document.DisplayAllDates != 0, document.FromDate, document.ToDate);
}

ExpenseFilter ExpenseExportFilter(const TvDocument& document) {
    return ExpenseFilter(document.SelectedVehicle,
                         ExportCategory(document, document.ExpenseLogFilter),
                         document.DisplayAllDates != 0, document.FromDate, document.ToDate);
}

std::vector<TripRecord*> TripExportRows(TvDocument& document) {
    return TripRows(document.Trips(), TripExportFilter(document));
}

std::vector<ServiceRecord*> ServiceExportRows(TvDocument& document) {
    return ServiceRows(document.Services(), ServiceFilter::FromDocument(document));
}

std::vector<ExpenseRecord*> ExpenseExportRows(TvDocument& document) {
    return ExpenseRows(document.Expenses(), ExpenseExportFilter(document));
}

CategoryNames::CategoryNames(const CategoryList& list) {
    for (const CategoryEntry& entry : list.Items())
        m_names.emplace_back(entry.Index(), entry.Name);
}

std::string_view CategoryNames::NameOf(std::uint32_t index) const {
    // The first entry with the index, as the list's own lookup finds it.
    const auto found = std::find_if(m_names.begin(), m_names.end(),
                                    [index](const auto& name) { return name.first == index; });
    return found != m_names.end() ? std::string_view(found->second) : std::string_view("Unknown");
}

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Whether any byte of the word equals the byte repeated in pattern.
constexpr bool HoldsByte(std::uint64_t word, std::uint64_t pattern) {
    const std::uint64_t x = word ^ pattern;
    return ((x - kEveryByte) & ~x & kHighBits) != 0;
}

} // namespace

char* CopyCleanText(char* out, std::string_view text, char also) {
    const std::size_t length = std::min(text.size(), kMaxExportedText);
    const char* in = text.data();
    const std::uint64_t cr = kEveryByte * '\r';
    const std::uint64_t lf = kEveryByte * '\n';
    const std::uint64_t other = kEveryByte * static_cast<unsigned char>(also);
    std::size_t i = 0;
    // Eight bytes at a time while none of them needs a space.
    auto clean = [&](std::size_t at, std::uint64_t& word) {
        std::memcpy(&word, in + at, 8);
        return !HoldsByte(word, cr) && !HoldsByte(word, lf) && !HoldsByte(word, other);
    };
    std::uint64_t word = 0;
    for (; i + 8 <= length && clean(i, word); i += 8)
        std::memcpy(out + i, &word, 8);
    // Fewer than eight bytes left, all clean so far: the last eight bytes,
    // overlapping what went before.
    if (i < length && i + 8 > length && length >= 8 && clean(length - 8, word)) {
        std::memcpy(out + length - 8, &word, 8);
        i = length;
    }
    for (; i < length; ++i) {
        const char c = in[i];
        out[i] = c == '\r' || c == '\n' || c == also ? ' ' : c;
    }
    return out + length;
}

std::string CleanText(std::string_view text, char also) {
    std::string clean(std::min(text.size(), kMaxExportedText), ' ');
    CopyCleanText(clean.data(), text, also);
    return clean;
}
