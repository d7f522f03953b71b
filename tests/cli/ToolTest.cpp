#include "SampleGenerator.h"
#include "ToolRunner.h"
#include "TvDocument.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string WriteSample(const TempFolder& folder, const std::string& name) {
    const std::string path = folder.File(name);
    const ToolResult result = RunToolCaptured({"sample", path, "--trips", "300", "--seed", "5"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    return path;
}

TEST(Tool, UsageErrorsExitWithTwoAndAUsageLine) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"check"},
        {"check", "a", "b"},
        {"dump", "--pretty", "x"},
        {"resave", "only-one"},
        {"sample"},
        {"sample", "out.tv", "--trips"},
        {"sample", "out.tv", "--trips", "-3"},
        {"sample", "out.tv", "--trips", "12x"},
        {"sample", "out.tv", "--trips", "99999999999"},
        {"sample", "out.tv", "--colour"},
        {"sample", "a.tv", "b.tv"},
    };
    for (const auto& args : wrong) {
        const ToolResult result = RunToolCaptured(args);
        EXPECT_EQ(result.status, kExitUsage) << testing::PrintToString(args);
        EXPECT_NE(result.err.find("usage: tvtool"), std::string::npos)
            << testing::PrintToString(args) << ": " << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists("out.tv"));
}

TEST(Tool, HelpIsShownForTheToolAndEachCommand) {
    const ToolResult tool = RunToolCaptured({"--help"});
    EXPECT_EQ(tool.status, kExitOk);
    for (const char* command : {"dump", "check", "resave", "sample"}) {
        EXPECT_NE(tool.out.find(command), std::string::npos) << command;
        const ToolResult help = RunToolCaptured({command, "--help"});
        EXPECT_EQ(help.status, kExitOk) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: tvtool ") + command, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
}

TEST(Tool, CheckCountsLiveAndDeletedRecordsPerStore) {
    TempFolder folder;
    const std::string path = folder.File("TvData.tv");
    TvDocument document;
    document.InitNewDocument();
    VehicleRecord vehicle;
    vehicle.Name.Set("Van");
    document.Vehicles().Append(vehicle);
    vehicle.MarkDeleted();
    document.Vehicles().Append(vehicle);
    document.Vehicles().Append(vehicle);
    TripRecord trip = document.Trips().CreateRecord();
    for (int i = 0; i < 4; ++i)
        document.Trips().Append(trip);
    ASSERT_TRUE(document.OnSaveDocument(path));

    const ToolResult result = RunToolCaptured({"check", path});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "vehicles: 1 live, 2 deleted\n"
                          "serviceTypes: 0 live, 0 deleted\n"
                          "services: 0 live, 0 deleted\n"
                          "trips: 4 live, 0 deleted\n"
                          "expenses: 0 live, 0 deleted\n");
}

TEST(Tool, UnreadableFilesExitWithOneAndTheDocumentsMessage) {
    TempFolder folder;
    const std::string bad = folder.File("bad.tv");
    WriteBytes(bad, "Vehx and then some bytes that are not a data file");
    for (const char* command : {"check", "dump"}) {
        const ToolResult result = RunToolCaptured({command, bad});
        EXPECT_EQ(result.status, kExitDataError);
        EXPECT_EQ(result.err, "File has a bad format. " + bad + "\n");
        EXPECT_EQ(result.out, "");
    }

    // Looking at a missing file must not create it.
    const std::string missing = folder.File("missing.tv");
    const ToolResult result = RunToolCaptured({"check", missing});
    EXPECT_EQ(result.status, kExitDataError);
    EXPECT_EQ(result.err, "File Open error. " + missing + "\n");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(Tool, ResaveWritesWhatTheDocumentSaves) {
    TempFolder folder;
    const std::string sample = WriteSample(folder, "sample.tv");
    const std::string resaved = folder.File("resaved.tv");
    const ToolResult result = RunToolCaptured({"resave", sample, resaved});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(ReadBytes(resaved), ReadBytes(sample));

    // A file with its tags stored byte-reversed comes out in normal order.
    std::string reversed = ReadBytes(sample);
    std::swap(reversed[0], reversed[3]);
    std::swap(reversed[1], reversed[2]);
    WriteBytes(folder.File("reversed.tv"), reversed);
    ASSERT_EQ(RunToolCaptured({"resave", folder.File("reversed.tv"), resaved}).status, kExitOk);
    EXPECT_EQ(ReadBytes(resaved), ReadBytes(sample));
}

TEST(Tool, ResaveIntoAMissingFolderFailsWithOne) {
    TempFolder folder;
    const std::string sample = WriteSample(folder, "sample.tv");
    const std::string target = folder.File("no/such/folder/out.tv");
    const ToolResult result = RunToolCaptured({"resave", sample, target});
    EXPECT_EQ(result.status, kExitDataError);
    EXPECT_EQ(result.err, "The folder of the file does not exist. " + target + "\n");
}

TEST(Tool, SampleIsDeterministicForASeed) {
    TempFolder folder;
    const std::string first = WriteSample(folder, "first.tv");
    const std::string second = WriteSample(folder, "second.tv");
    EXPECT_EQ(ReadBytes(first), ReadBytes(second));

    const std::string other = folder.File("other.tv");
    ASSERT_EQ(RunToolCaptured({"sample", other, "--trips", "300", "--seed", "6"}).status, kExitOk);
    EXPECT_NE(ReadBytes(other), ReadBytes(first));
}

TEST(Tool, SampleHonoursItsCountsAndUnits) {
    TempFolder folder;
    const std::string path = folder.File("metric.tv");
    const ToolResult result = RunToolCaptured({"sample", path, "--vehicles", "3", "--trips", "250",
                                               "--services", "40", "--expenses", "70", "--metric"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    TvDocument document;
    ASSERT_TRUE(document.OnOpenDocument(path));
    EXPECT_EQ(document.Vehicles().Count(), 3u);
    EXPECT_EQ(document.Trips().Count(), 250u);
    EXPECT_EQ(document.Services().Count(), 40u);
    EXPECT_EQ(document.Expenses().Count(), 70u);
    EXPECT_TRUE(document.Trips().UsesKilometres());

    const std::string miles = WriteSample(folder, "miles.tv");
    ASSERT_TRUE(document.OnOpenDocument(miles));
    EXPECT_FALSE(document.Trips().UsesKilometres());
}

} // namespace
