// tvtool report read back with pdftotext -layout: the pages a user would
// print, with the title, page numbers, headings and totals where they belong.

#include "FileSizeLimit.h"
#include "ModuleCommands.h"
#include "SampleGenerator.h"
#include "ToolCommands.h"
#include "ToolModules.h"
#include "TvDocument.h"

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ReportCommandTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    std::string Path(const char* name) const {
        return (m_folder.path() + "/" + name).toStdString();
    }

    // A document with one vehicle, saved; returns its path.
    std::string Save(TvDocument& document) {
        const std::string path = Path("TvData.tv");
        EXPECT_TRUE(document.OnSaveDocument(path));
        return path;
    }
    static VehicleRecord& AddVehicle(TvDocument& document) {
        VehicleRecord van;
        van.Name.Set("Van");
        van.VehicleId = 7;
        return document.Vehicles().Append(van);
    }

    // Runs tvtool report; the messages land in m_errors.
    int Report(std::vector<std::string> args) {
        args.insert(args.begin(), "report");
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ToolModules::UseLinked(ModuleCommands());
        const int status = RunTool(args, out, err);
        m_errors = Read(err);
        std::fclose(out);
        std::fclose(err);
        return status;
    }

    // The text of each page of a PDF, as pdftotext lays it out.
    static std::vector<std::string> Pages(const std::string& pdf) {
        const std::string command = "pdftotext -layout '" + pdf + "' -";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        std::string text;
        char buffer[4096];
        for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        EXPECT_EQ(pipe ? ::pclose(pipe) : -1, 0) << "pdftotext failed on " << pdf;
        std::vector<std::string> pages;
        std::size_t begin = 0;
        for (std::size_t feed; (feed = text.find('\f', begin)) != std::string::npos;
             begin = feed + 1)
            pages.push_back(text.substr(begin, feed - begin));
        return pages;
    }

    // The line of a page that matches; empty when none does.
    static std::string LineMatching(const std::string& page, const std::string& pattern) {
        std::istringstream lines(page);
        const std::regex wanted(pattern);
        for (std::string line; std::getline(lines, line);)
            if (std::regex_search(line, wanted))
                return line;
        return {};
    }

    static std::string Read(std::FILE* file) {
        std::rewind(file);
        std::string text;
        for (int c; (c = std::fgetc(file)) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

    QTemporaryDir m_folder;
    std::string m_errors;
};

TEST_F(ReportCommandTest, ATripReportNumbersItsPagesAndTotalsTheWholeListOnTheLastPage) {
    TvDocument document;
    AddVehicle(document);
    std::int32_t odometer = 1000;
    std::int64_t miles = 0;
    for (int i = 0; i < 130; ++i) {
        TripRecord trip(MTime(2024, 1 + i / 28, 1 + i % 28, 9, 0, 0, -1));
        trip.VehicleId = 7;
        char place[32];
        std::snprintf(place, sizeof place, "Place %03d", i);
        trip.Destination.Set(place);
        trip.StartOdometer = odometer;
        odometer += 10 + i;
        miles += 10 + i;
        trip.EndOdometer = odometer;
        document.Trips().Append(std::move(trip));
    }
    const std::string file = Save(document);
    const std::string pdf = Path("trips.pdf");
    ASSERT_EQ(Report({"trips", file, "-o", pdf, "--rate", "0.5"}), kExitOk) << m_errors;

    const std::vector<std::string> pages = Pages(pdf);
    ASSERT_GE(pages.size(), 3u) << "130 rows do not fit on two Letter pages";
    std::string all;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string& page = pages[i];
        SCOPED_TRACE("page " + std::to_string(i + 1));
        // The page number at the top right, above the title, then the headings.
        const std::string number = LineMatching(page, "Page \\d+");
        EXPECT_NE(number.find("Page " + std::to_string(i + 1)), std::string::npos);
        EXPECT_LT(page.find("Page "), page.find("Trip Log Report"));
        EXPECT_LT(page.find("Trip Log Report"), page.find("Destination"));
        EXPECT_FALSE(
            LineMatching(page, "^\\s*Date\\s+Destination\\s+Start\\s+End\\s+Miles\\s*$").empty());
        const bool last = i + 1 == pages.size();
        EXPECT_EQ(page.find("Total Miles") != std::string::npos, last);
        all += page;
    }
    // Every row once, in the list's order (by date, newest first).
    std::size_t previous = std::string::npos;
    for (int i = 0; i < 130; ++i) {
        char place[32];
        std::snprintf(place, sizeof place, "Place %03d", i);
        const std::size_t at = all.find(place);
        ASSERT_NE(at, std::string::npos) << place;
        EXPECT_EQ(all.find(place, at + 1), std::string::npos) << place << " twice";
        if (i > 0) {
            EXPECT_LT(at, previous) << place;
        }
        previous = at;
    }

    // The totals of all 130 rows; numbers end at the right edge of the
    // distance column, as the rows' distances do.
    const std::string& lastPage = pages.back();
    const std::string total = LineMatching(lastPage, "Total Miles");
    EXPECT_FALSE(LineMatching(lastPage, "Total Miles\\s+" + std::to_string(miles) + "$").empty())
        << total;
    char cost[32];
    std::snprintf(cost, sizeof cost, "%.2f", static_cast<double>(miles) * 0.5);
    EXPECT_FALSE(
        LineMatching(lastPage, std::string("Total cost at 0\\.500000 per mile\\s+") + cost + "$")
            .empty())
        << lastPage;
    const std::string row = LineMatching(lastPage, "Place 000");
    ASSERT_FALSE(row.empty());
    EXPECT_NEAR(static_cast<double>(row.size()), static_cast<double>(total.size()), 1.0)
        << "the total is not right-aligned with the distances\n"
        << row << "\n"
        << total;
}

TEST_F(ReportCommandTest, TheRateSettingsDecideTheCostLineAndTheRangeStandsUnderTheTitle) {
    TvDocument document;
    AddVehicle(document);
    for (int day : {5, 20}) {
        TripRecord trip(MTime(2004, 1, day, 9, 0, 0, -1));
        trip.VehicleId = 7;
        trip.StartOdometer = 100 * day;
        trip.EndOdometer = 100 * day + 40;
        document.Trips().Append(std::move(trip));
    }
    const std::string file = Save(document);
    const std::string pdf = Path("range.pdf");

    ASSERT_EQ(Report({"trips", file, "-o", pdf, "--from", "1/1/2004", "--to", "1/31/2004",
                      "--print-rate", "0"}),
              kExitOk)
        << m_errors;
    std::vector<std::string> pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    const std::string& page = pages[0];
    const std::size_t range = page.find("1/1/2004 through 1/31/2004");
    ASSERT_NE(range, std::string::npos) << page;
    EXPECT_LT(page.find("Trip Log Report"), range);
    EXPECT_LT(range, page.find("Destination"));
    EXPECT_FALSE(LineMatching(page, "Total Miles\\s+80$").empty()) << page;
    EXPECT_EQ(page.find("Total cost"), std::string::npos);

    ASSERT_EQ(Report({"trips", file, "-o", pdf, "--rate", "0"}), kExitOk) << m_errors;
    pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].find("Total cost"), std::string::npos);
    EXPECT_EQ(pages[0].find("through"), std::string::npos) << "all dates: no range line";

    ASSERT_EQ(Report({"trips", file, "-o", pdf}), kExitOk) << m_errors;
    pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_FALSE(LineMatching(pages[0], "Total cost at 0\\.365000 per mile\\s+29\\.20$").empty())
        << "the settings' default rate, printed by default\n"
        << pages[0];
}

TEST_F(ReportCommandTest, ServiceAndExpenseReportsHaveTheirColumnsAndTotals) {
    TvDocument document;
    AddVehicle(document);
    for (const auto& [vendor, cost] :
         {std::pair{"Fuel Stop", 12500}, std::pair{"Car Wash", 7250}}) {
        ExpenseRecord expense(MTime(2024, 3, 1, 9, 0, 0, -1));
        expense.VehicleId = 7;
        expense.Vendor.Set(vendor);
        expense.Description.Set("Regular");
        expense.Odometer = 4200;
        expense.Cost = cost;
        document.Expenses().Append(std::move(expense));
    }
    ServiceRecord entry(MTime(2024, 2, 1, 9, 0, 0, -1));
    entry.VehicleId = 7;
    entry.ServiceTypeId = 99; // no such type
    entry.Odometer = 3100;
    document.Services().Append(std::move(entry));
    const std::string file = Save(document);
    const std::string pdf = Path("log.pdf");

    ASSERT_EQ(Report({"expenses", file, "-o", pdf, "--rate", "0.30"}), kExitOk) << m_errors;
    std::vector<std::string> pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Expense Log Report"), std::string::npos);
    EXPECT_FALSE(
        LineMatching(pages[0], "^\\s*Date\\s+Vender\\s+Description\\s+Miles\\s+Cost\\s*$").empty())
        << pages[0];
    EXPECT_FALSE(LineMatching(pages[0], "Fuel Stop\\s+Regular\\s+4200\\s+12\\.50$").empty())
        << pages[0];
    EXPECT_FALSE(LineMatching(pages[0], "TOTAL\\s+19\\.75$").empty()) << pages[0];
    ASSERT_EQ(Report({"expenses", file, "-o", pdf, "--print-rate", "0"}), kExitOk) << m_errors;
    EXPECT_EQ(Pages(pdf)[0].find("TOTAL"), std::string::npos);

    ASSERT_EQ(Report({"services", file, "-o", pdf, "--now", "2024-06-01 12:00:00"}), kExitOk)
        << m_errors;
    pages = Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0].find("Service Log Report"), std::string::npos);
    EXPECT_FALSE(
        LineMatching(pages[0], "^\\s*Date\\s+Type of Service\\s+Complete\\s+Mileage\\s*$").empty())
        << pages[0];
    EXPECT_FALSE(LineMatching(pages[0], "2/1/2024\\s+Unknown\\s+\\S.*\\s3100$").empty())
        << pages[0];
    EXPECT_EQ(pages[0].find("Total"), std::string::npos);
}

TEST_F(ReportCommandTest, MetricSampleReportsSayKilometers) {
    TvDocument document;
    SampleOptions options;
    options.Metric = true;
    options.Trips = 30;
    options.Services = 10;
    options.Expenses = 10;
    GenerateSample(document, options);
    const std::string file = Save(document);
    const std::string pdf = Path("metric.pdf");

    ASSERT_EQ(Report({"trips", file, "-o", pdf}), kExitOk) << m_errors;
    std::string last = Pages(pdf).back();
    EXPECT_FALSE(LineMatching(last, "Destination\\s+Start\\s+End\\s+Kilometers\\s*$").empty());
    EXPECT_FALSE(LineMatching(last, "Total Kilometers\\s+\\d+$").empty()) << last;
    EXPECT_FALSE(
        LineMatching(last, "Total cost at 0\\.365000 per kilometer\\s+\\d+\\.\\d\\d$").empty())
        << last;
    ASSERT_EQ(Report({"services", file, "-o", pdf}), kExitOk) << m_errors;
    EXPECT_FALSE(
        LineMatching(Pages(pdf)[0], "Type of Service\\s+Complete\\s+Kilometers\\s*$").empty());
    ASSERT_EQ(Report({"expenses", file, "-o", pdf}), kExitOk) << m_errors;
    EXPECT_FALSE(
        LineMatching(Pages(pdf)[0], "Vender\\s+Description\\s+Kilometers\\s+Cost\\s*$").empty());
}

TEST_F(ReportCommandTest, WrongArgumentsAndAFailingDiskLeaveNoReport) {
    TvDocument document;
    AddVehicle(document);
    for (int i = 0; i < 400; ++i) {
        TripRecord trip(MTime(2024, 1, 1 + i % 28, 9, 0, 0, -1));
        trip.VehicleId = 7;
        trip.Destination.Set("Somewhere far away");
        document.Trips().Append(std::move(trip));
    }
    const std::string file = Save(document);
    const std::string pdf = Path("out.pdf");

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"trips", file},
          {"trips", file, "-o", pdf, "--rate", "cheap"},
          {"trips", file, "-o", pdf, "--rate", "nan"},
          {"trips", file, "-o", pdf, "--print-rate", "2"},
          {"services", file, "-o", pdf, "--category", "Work"},
          {"fuel", file, "-o", pdf},
          {"trips", file, "-o", pdf, "--from", "1/1/2024"},
          {"trips", file, "-o", pdf, "--vehicle", "Nobody"}}) {
        EXPECT_EQ(Report(wrong), kExitUsage) << wrong.back();
        EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf))) << wrong.back();
    }
    EXPECT_EQ(Report({"trips", Path("missing.tv"), "-o", pdf}), kExitDataError);
    EXPECT_EQ(Report({"trips", file, "-o", Path("no/such/folder/out.pdf")}), kExitDataError);

    // A report already there stays whole when the disk fills up while the
    // new one is written.
    {
        std::ofstream earlier(pdf);
        earlier << "the earlier report";
    }
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(Report({"trips", file, "-o", pdf}), kExitDataError);
    }
    EXPECT_NE(m_errors.find("File had a write error"), std::string::npos) << m_errors;
    std::ifstream kept(pdf);
    std::string content((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(content == "the earlier report") << content.size() << " bytes now";
}

} // namespace
