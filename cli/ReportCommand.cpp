#include "ReportCommand.h"

#include "AtomicFileWriter.h"
#include "Clock.h"
#include "ExpenseReport.h"
#include "ExpenseRows.h"
#include "FilterOptions.h"
#include "LogExport.h"
#include "MExcept.h"
#include "PainterCanvas.h"
#include "ServiceReport.h"
#include "ServiceRows.h"
#include "ToolCommands.h"
#include "TripReport.h"
#include "TripRows.h"
#include "TvDocument.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace ReportCommand {

const char* const kUsage =
    "tvtool report LOG FILE -o OUT.pdf [--vehicle NAME] [--category NAME] "
    "[--from M/D/YYYY --to M/D/YYYY] [--sort CODE] [--rate R] [--print-rate 0|1] "
    "[--now \"YYYY-MM-DD HH:MM:SS\"]";

const char* const kHelp =
    "Writes the pages the desktop program prints for a log's list to a PDF file\n"
    "on US Letter: the rows the list shows for the filter, in the list's order.\n"
    "  LOG                  trips, services or expenses\n"
    "  -o OUT               the PDF file to write (replaced only once it is whole)\n"
    "  --vehicle NAME       the filter's vehicle (default: the first by name)\n"
    "  --category NAME      the filter's trip or expense category (default: All)\n"
    "  --from, --to M/D/YYYY  only these days, both included (default: all dates);\n"
    "                       the range is printed under the title\n"
    "  --sort CODE          the list's sort code: column number, plus 128 for the\n"
    "                       other direction (default 0)\n"
    "  --rate R             the cost per mile or kilometre (default 0.365)\n"
    "  --print-rate 0|1     whether the cost line is printed (default 1)\n"
    "  --now \"YYYY-MM-DD HH:MM:SS\"  the current time, which decides the service\n"
    "                       status (default: the real time)\n";

namespace {

struct Options {
    ExportLog log = ExportLog::Trips;
    std::string file;
    std::string out;
    int sortCode = 0;
    ReportSettings settings;
    FilterOptions::Values filter;
};

std::optional<double> ParseRate(const std::string& text) {
    double rate = 0;
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, rate);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != end || !std::isfinite(rate))
        return std::nullopt;
    return rate;
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, Options& options) {
    const auto option = [&options](const std::string& name,
                                   const std::string& value) -> std::optional<std::string> {
        if (name == "-o") {
            options.out = value;
        } else if (name == "--sort") {
            const std::optional<int> code = FilterOptions::ParseSortCode(value);
            if (!code)
                return "not a sort code: " + value;
            options.sortCode = *code;
        } else if (name == "--rate") {
            const std::optional<double> rate = ParseRate(value);
            if (!rate)
                return "not a rate: " + value;
            options.settings.rate = *rate;
        } else if (name == "--print-rate") {
            if (value != "0" && value != "1")
                return "--print-rate takes 0 or 1: " + value;
            options.settings.printRate = value == "1" ? 1 : 0;
        } else {
            return "unknown option: " + name;
        }
        return std::nullopt;
    };
    std::string log;
    if (auto problem =
            FilterOptions::Scan(args, options.filter, {"-o", "--sort", "--rate", "--print-rate"},
                                option, log, options.file))
        return problem;
    const std::optional<ExportLog> named = ExportLogNamed(log);
    if (!named)
        return "unknown log: " + log + " (trips, services, expenses)";
    options.log = *named;
    if (options.out.empty())
        return std::string("no output file (-o OUT)");
    if (options.log == ExportLog::Services && options.filter.category)
        return std::string("the service log has no category filter");
    return std::nullopt;
}

// The painter needs a GUI application; without a display the command draws
// offscreen. The application stays for the rest of the process.
void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tvtool";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
}

// The list of the log as the desktop program shows it, made into its report.
// The service report judges statuses with the context, which outlives it.
std::unique_ptr<LogReport> MakeReport(TvDocument& document, const Options& options,
                                      std::unique_ptr<ServiceRowContext>& context) {
    switch (options.log) {
    case ExportLog::Trips: {
        std::vector<TripRecord*> rows =
            TripRows(document.Trips(), TripFilter::FromDocument(document));
        SortTrips(rows, options.sortCode);
        return std::make_unique<TripReport>(
            std::vector<const TripRecord*>(rows.begin(), rows.end()), options.settings);
    }
    case ExportLog::Services: {
        context = std::make_unique<ServiceRowContext>(document);
        std::vector<ServiceRecord*> rows =
            ServiceRows(document.Services(), ServiceFilter::FromDocument(document));
        SortServices(rows, options.sortCode, *context);
        return std::make_unique<ServiceReport>(
            std::vector<const ServiceRecord*>(rows.begin(), rows.end()), *context,
            options.settings);
    }
    case ExportLog::Expenses:
        break;
    }
    std::vector<ExpenseRecord*> rows =
        ExpenseRows(document.Expenses(), ExpenseFilter::FromDocument(document));
    SortExpenses(rows, options.sortCode);
    return std::make_unique<ExpenseReport>(
        std::vector<const ExpenseRecord*>(rows.begin(), rows.end()), options.settings);
}

// Draws the report into the writer's temporary through a device of its own,
// which tells whether every byte was written; the device is closed when
// this returns.
int DrawPdf(LogReport& report, AtomicFileWriter& file, std::FILE* err) {
    QFile device;
    const int fd = ::fcntl(file.File().Descriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0 || !device.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        throw MExceptFileOpenError();
    }
    QPdfWriter writer(&device);
    writer.setCreator(QStringLiteral("tvtool"));
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        throw MExceptFileWriteError();
    int status = kExitOk;
    ReportRender::Hooks hooks;
    hooks.onError = [&](const std::string& error) {
        std::fprintf(err, "%s\n", error.c_str());
        status = kExitDataError;
        return true;
    };
    const ReportRender::Result result =
        ReportRender::DrawPages(report, painter, writer, 0, 0, hooks);
    if (!painter.end() || result != ReportRender::Result::Done || !device.flush() ||
        device.error() != QFileDevice::NoError)
        throw MExceptFileWriteError();
    return status;
}

int Write(TvDocument& document, const Options& options, std::FILE* err) {
    std::unique_ptr<ServiceRowContext> context;
    const std::unique_ptr<LogReport> report = MakeReport(document, options, context);

    EnsureGuiApplication();
    try {
        AtomicFileWriter file(options.out, AtomicFileWriter::Durability::WhenReplacing);
        const int status = DrawPdf(*report, file, err);
        file.Commit();
        return status;
    } catch (const MExcept& error) {
        std::fprintf(err, "%s. %s\n", error.Message(), options.out.c_str());
    } catch (const std::exception& error) {
        std::fprintf(err, "%s. %s\n", error.what(), options.out.c_str());
    }
    return kExitDataError;
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* err,
        const std::function<int(const std::string& problem)>& usageError) {
    Options options;
    if (const auto problem = ParseOptions(args, options))
        return usageError(*problem);
    ToolDocument holder;
    TvDocument& document = holder.Get();
    if (!OpenExistingDocument(document, options.file, err))
        return kExitDataError;
    if (const auto problem = FilterOptions::ApplyToLog(document, options.filter, options.log))
        return usageError(*problem);
    options.settings.metric = document.Trips().UsesKilometres();
    options.settings.allDates = document.DisplayAllDates != 0;
    options.settings.from = document.FromDate;
    options.settings.to = document.ToDate;
    if (const std::optional<MTime> now = FilterOptions::Now(options.filter)) {
        const Clock::ScopedFix fixed(*now);
        return Write(document, options, err);
    }
    return Write(document, options, err);
}

} // namespace ReportCommand
