// File > Import through the real window: a CSV with a bad row, a duplicate
// and an unknown vehicle adds its good rows as one undo step, Undo gives
// back the file's exact bytes and Redo the imported ones; a cancelled
// dialog adds nothing.

#include "AppFixture.h"
#include "FileDialog.h"
#include "ImportField.h"
#include "LogView.h"
#include "TvDeskDoc.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <fstream>
#include <iterator>

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ImportDialogScenario : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        FileDialog::setTestMode(true);
        VehicleRecord van;
        van.Name.Set("Van");
        van.VehicleId = 7;
        Doc().Vehicles().Append(van);
        TripRecord trip(MTime(2024, 3, 1, 9, 0, 0, -1));
        trip.VehicleId = 7;
        trip.Destination.Set("Depot");
        trip.StartOdometer = 1000;
        trip.EndOdometer = 1010;
        Doc().Trips().Append(std::move(trip));
        ASSERT_TRUE(Doc().OnSaveDocument(Doc().PathName()));
        m_opened = FileBytes(Doc().PathName());
        Doc().UpdateAllViews(nullptr, 0);
        m_frame->ShowLog(LogIndex::kTripLog);

        // A row for Van, one with a line break in its note, a duplicate, a
        // bad reading, a new vehicle and one for the default vehicle.
        m_csv = m_folder.path() + "/trips.csv";
        QFile csv(m_csv);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("Date,Vehicle,Destination,Start Odometer,End Odometer,Note\r\n"
                  "3/2/2024 8:00,Van,Bank,1010,1025,\"two\r\nlines\"\r\n"
                  "3/1/2024 9:00,van,Depot,1000,1010,again\r\n"
                  "3/3/2024 8:00,Van,Harbour,1025,-5,\r\n"
                  "3/4/2024 8:00,Truck,Quarry,2000,2040,\r\n"
                  "3/31/2024 7:00,,Shop,1025,1030,\r\n");
    }
    void TearDown() override {
        FileDialog::setTestMode(false);
        FrameFixture::TearDown();
    }

    CTvDeskDoc& Doc() { return m_app->Doc(); }
    int ListedTrips() { return m_frame->RightView()->model()->rowCount(); }
    std::string Saved(const char* name) {
        const std::string path = (m_folder.path() + "/" + name).toStdString();
        EXPECT_TRUE(Doc().OnSaveDocument(path));
        return FileBytes(path);
    }
    // Opens File > Import on the CSV; fill sets the dialog up and presses
    // its buttons.
    void Import(const std::function<void(QDialog&)>& fill) {
        FileDialog::setNextFileName(m_csv);
        ModalDialog::pushHandler([&](QDialog& dialog) {
            fill(dialog);
            return dialog.result();
        });
        m_frame->findChild<QAction*>("actionImport")->trigger();
    }
    template <typename T> static T* Field(QDialog& dialog, const char* name) {
        T* field = dialog.findChild<T*>(name);
        EXPECT_NE(field, nullptr) << name;
        return field;
    }

    static std::vector<ImportField> FieldsShown(QDialog& dialog) {
        std::vector<ImportField> fields;
        for (int column = 1; column <= 6; ++column)
            fields.push_back(static_cast<ImportField>(
                Field<QComboBox>(dialog, ("fieldBox" + std::to_string(column)).c_str())
                    ->currentData()
                    .toInt()));
        return fields;
    }

    QString m_csv;
    std::string m_opened;
};

TEST_F(ImportDialogScenario, GoodRowsGoInAsOneUndoStep) {
    const int listed = ListedTrips();
    int verdicts = -1;
    Import([&](QDialog& dialog) {
        Field<QComboBox>(dialog, "vehicleBox")->setCurrentText("Van");
        Field<QCheckBox>(dialog, "createNamesBox")->setChecked(true);
        auto* import = Field<QPushButton>(dialog, "importButton");
        EXPECT_FALSE(import->isEnabled());
        Field<QPushButton>(dialog, "checkButton")->click();
        verdicts = Field<QListWidget>(dialog, "verdictList")->count();
        import->click();
    });
    EXPECT_EQ(verdicts, 2); // the duplicate and the bad reading
    ASSERT_EQ(Doc().Trips().Count(), 4u);
    ASSERT_EQ(Doc().Vehicles().Count(), 2u);
    EXPECT_EQ(Doc().Vehicles().Records()[1].Name.View(), "Truck");
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(Doc().Trips().Records()[i].Uid, 0u);
        EXPECT_TRUE(Doc().Trips().Records()[i].Flags & RecordFlags::Modified);
    }
    EXPECT_EQ(Doc().Trips().Records()[1].Note, "two\r\nlines");
    EXPECT_EQ(Doc().Trips().Records()[3].VehicleId, 7u);
    EXPECT_EQ(Doc().UndoStack().count(), 1);
    EXPECT_EQ(Doc().UndoStack().undoText(), "Import 3 Trips");
    EXPECT_EQ(ListedTrips(), listed + 2); // Van's: Bank and Shop

    const std::string imported = Saved("imported.tv");

    Doc().UndoStack().undo();
    EXPECT_EQ(ListedTrips(), listed);
    EXPECT_EQ(Saved("undone.tv"), m_opened);
    Doc().UndoStack().redo();
    EXPECT_EQ(Saved("redone.tv"), imported);
}

// The arrow keys step a column's box through every field: stepping past a
// field another column has leaves it there.
TEST_F(ImportDialogScenario, SteppingThroughABoxTakesNoFieldOnTheWay) {
    std::vector<ImportField> before, after;
    Import([&](QDialog& dialog) {
        auto* note = Field<QComboBox>(dialog, "fieldBox6");
        before = FieldsShown(dialog);
        note->setCurrentIndex(0);
        for (int index = 0; index < note->count(); ++index) {
            note->setCurrentIndex(index);
            emit note->activated(index);
        }
        after = FieldsShown(dialog);
        Field<QPushButton>(dialog, "cancelButton")->click();
    });
    before.back() = after.back();
    EXPECT_EQ(after, before);
}

TEST_F(ImportDialogScenario, ACancelledDialogAddsNothing) {
    Import([](QDialog& dialog) {
        Field<QPushButton>(dialog, "checkButton")->click();
        Field<QPushButton>(dialog, "cancelButton")->click();
    });
    EXPECT_EQ(Doc().UndoStack().count(), 0);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(Saved("after.tv"), m_opened);
}

} // namespace
