#include "JsonDump.h"
#include "ToolRunner.h"
#include "TvDocument.h"

#include <gtest/gtest.h>

namespace {

// One record of every kind, with texts that need escaping and a byte above 127.
void FillSmallDocument(TvDocument& document) {
    document.InitNewDocument();
    for (RecordStore* store : {static_cast<RecordStore*>(&document.Vehicles()),
                               static_cast<RecordStore*>(&document.ServiceTypes()),
                               static_cast<RecordStore*>(&document.Services())}) {
        CategoryEntry unfiled;
        unfiled.Name = "Unfiled";
        store->Categories.Add(unfiled);
    }
    CategoryEntry work;
    work.Category = 1;
    work.Uid = 130;
    work.Flags = 4;
    work.Name = "Work";
    document.Trips().Categories.Add(work);
    document.Trips().Categories.LastUniqueId = 130;
    document.Trips().Settings = {2, 0, 7, 4294967295u};

    VehicleRecord vehicle;
    vehicle.Uid = 7;
    vehicle.Flags = 5;
    vehicle.Name.Set("Caf\xE9 \"Van\"");
    vehicle.License.Set("AB\\12");
    vehicle.Odometer = -5;
    vehicle.VehicleId = 0x80000002;
    document.Vehicles().Append(vehicle);
    document.Vehicles().IdCounter = 0x80000002;

    ServiceTypeRecord type;
    type.Name.Set("Oil");
    type.DistanceInterval = 3000;
    type.TimeUnit = 3;
    type.TimeCount = 6;
    type.ServiceTypeId = 9;
    document.ServiceTypes().Append(type);

    const MTime date(2004, 6, 9, 14, 5, 30, -1);
    ServiceRecord service(date);
    service.Odometer = 1200;
    service.ServiceFlags = 0x8001;
    service.ServiceTypeId = 9;
    service.VehicleId = 0x80000002;
    document.Services().Append(service);

    TripRecord trip(date);
    trip.Category = 1;
    trip.Destination.Set("Office");
    trip.StartOdometer = 1000;
    trip.EndOdometer = 1042;
    trip.End = MTime(2004, 6, 10, 1, 2, 3, -1);
    trip.VehicleId = 0x80000002;
    trip.Note = "a,b\nc\td\x01";
    document.Trips().Append(trip);

    ExpenseRecord expense(MTime(2005, 1, 2, 3, 4, 5, -1));
    expense.Vendor.Set("Shell");
    expense.Description.Set("Fuel");
    expense.ExtraText.Set("x");
    expense.Cost = -12345;
    expense.Odometer = 1300;
    expense.ExpenseFlags = 1;
    expense.Volume = 10500;
    expense.VehicleId = 0x80000002;
    document.Expenses().Append(expense);
}

const char* const kExpectedJson = R"({
  "vehicles": {
    "tag": "Vehi",
    "version": 1297088768,
    "idCounter": 2147483650,
    "settings": [0, 0, 0, 0],
    "lastUniqueId": 128,
    "categories": [
      {"index": 0, "uid": 0, "flags": 0, "name": "Unfiled"}
    ],
    "records": [
      {"Uid": 7, "Category": 0, "Flags": 5, "Name": "Café \"Van\"", "License": "AB\\12", "Vin": "", "Insurance": "", "Odometer": -5, "VehicleId": 2147483650}
    ]
  },
  "serviceTypes": {
    "tag": "STyp",
    "version": 1297088768,
    "idCounter": 2147483648,
    "settings": [0, 0, 0, 0],
    "lastUniqueId": 128,
    "categories": [
      {"index": 0, "uid": 0, "flags": 0, "name": "Unfiled"}
    ],
    "records": [
      {"Uid": 0, "Category": 0, "Flags": 0, "Name": "Oil", "DistanceInterval": 3000, "TimeUnit": 3, "TimeCount": 6, "ServiceTypeId": 9}
    ]
  },
  "services": {
    "tag": "Serv",
    "version": 1297088768,
    "idCounter": 2147483648,
    "settings": [0, 0, 0, 0],
    "lastUniqueId": 128,
    "categories": [
      {"index": 0, "uid": 0, "flags": 0, "name": "Unfiled"}
    ],
    "records": [
      {"Uid": 0, "Category": 0, "Flags": 0, "Odometer": 1200, "Date": "2004-13-09 14:05:30", "ServiceFlags": 32769, "ServiceTypeId": 9, "VehicleId": 2147483650, "Note": ""}
    ]
  },
  "trips": {
    "tag": "Trip",
    "version": 1297088768,
    "idCounter": 2147483648,
    "settings": [2, 0, 7, 4294967295],
    "lastUniqueId": 130,
    "categories": [
      {"index": 1, "uid": 130, "flags": 4, "name": "Work"},
      {"index": 0, "uid": 0, "flags": 0, "name": "Unfiled"}
    ],
    "records": [
      {"Uid": 0, "Category": 1, "Flags": 0, "Destination": "Office", "StartOdometer": 1000, "EndOdometer": 1042, "Start": "2004-13-09 14:05:30", "End": "2004-06-10 01:02:03", "VehicleId": 2147483650, "Note": "a,b\nc\td\u0001"}
    ]
  },
  "expenses": {
    "tag": "Exps",
    "version": 1297088768,
    "idCounter": 2147483648,
    "settings": [0, 0, 0, 0],
    "lastUniqueId": 128,
    "categories": [
      {"index": 0, "uid": 0, "flags": 0, "name": "Unfiled"}
    ],
    "records": [
      {"Uid": 0, "Category": 0, "Flags": 0, "Vendor": "Shell", "Description": "Fuel", "ExtraText": "x", "Cost": -12345, "Date": "2005-01-02 03:04:05", "Odometer": 1300, "ExpenseFlags": 1, "Volume": 10500, "VehicleId": 2147483650, "Note": ""}
    ]
  }
}
)";

TEST(JsonDump, SmallFileIsDumpedExactlyWithStoredDatesUnnormalised) {
    TempFolder folder;
    const std::string path = folder.File("TvData.tv");
    {
        TvDocument document;
        FillSmallDocument(document);
        ASSERT_TRUE(document.OnSaveDocument(path));
    }
    // Store month 13 in both dates of 9 June 2004: a dump shows what the file holds.
    std::string bytes = ReadBytes(path);
    const std::string june9("\x1E\x00\x05\x00\x0E\x00\x09\x00\x06\x00\xD4\x07", 12);
    std::size_t patched = 0;
    for (std::size_t at = bytes.find(june9); at != std::string::npos;
         at = bytes.find(june9, at + 1)) {
        bytes[at + 8] = 13;
        ++patched;
    }
    ASSERT_EQ(patched, 2u);
    WriteBytes(path, bytes);

    const ToolResult result = RunToolCaptured({"dump", path});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, kExpectedJson);
    EXPECT_EQ(result.err, "");
}

TEST(JsonDump, EmptyFileDumpsTheNewDataSet) {
    TempFolder folder;
    const std::string path = folder.File("TvData.tv");
    WriteBytes(path, "");
    const ToolResult result = RunToolCaptured({"dump", path});
    ASSERT_EQ(result.status, kExitOk);
    // A new data set has "Unfiled" in the trip and expense lists only.
    EXPECT_NE(result.out.find("\"trips\": {\n    \"tag\": \"Trip\""), std::string::npos);
    EXPECT_NE(result.out.find("\"categories\": [],\n    \"records\": []\n  },\n  \"serviceTypes\""),
              std::string::npos);
    EXPECT_NE(result.out.find("\"categories\": [\n      {\"index\": 0, \"uid\": 0, \"flags\": 0, "
                              "\"name\": \"Unfiled\"}\n    ],\n    \"records\": []\n  }\n}\n"),
              std::string::npos);
}

} // namespace
