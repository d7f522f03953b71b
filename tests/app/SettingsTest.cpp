#include "AppFixture.h"
#include "SettingsDialog.h"
#include "TvDeskDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QSettings ProgramSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brisklane", "TvDesk");
}

using Settings = AppFixture;

TEST_F(Settings, NoStoredValuesGiveTheDefaults) {
    QSettings settings = ProgramSettings();
    AppSettings values;
    values.Rate = 9;
    values.Delimiter = ';';
    values.PrintRate = false;
    values.DateTimeExportFormat = 1;
    values.CurrentUser = "someone";
    values.Load(settings);
    EXPECT_FLOAT_EQ(values.Rate, 0.365f);
    EXPECT_EQ(values.Delimiter, ',');
    EXPECT_TRUE(values.PrintRate);
    EXPECT_EQ(values.DateTimeExportFormat, 0);
    EXPECT_EQ(values.CurrentUser, "");
}

TEST_F(Settings, ValuesAreWrittenBackInTheirStoredForms) {
    AppSettings values;
    values.Rate = 0.12345f;
    values.Delimiter = '\t';
    values.PrintRate = false;
    values.DateTimeExportFormat = 1;
    values.CurrentUser = "Jos\xC3\xA9";
    {
        QSettings settings = ProgramSettings();
        values.Save(settings);
    }
    QSettings settings = ProgramSettings();
    EXPECT_EQ(settings.value("Settings/Rate").toInt(), 1235);
    EXPECT_EQ(settings.value("Settings/Delimiter").toInt(), 9);
    EXPECT_EQ(settings.value("Settings/Print Rate").toInt(), 0);
    EXPECT_EQ(settings.value("Settings/Current User").toString(), QString::fromUtf8("Jos\xC3\xA9"));

    AppSettings again;
    again.Load(settings);
    EXPECT_FLOAT_EQ(again.Rate, 0.1235f);
    EXPECT_EQ(again.Delimiter, '\t');
    EXPECT_FALSE(again.PrintRate);
    EXPECT_EQ(again.DateTimeExportFormat, 1);
    EXPECT_EQ(again.CurrentUser, values.CurrentUser);
}

TEST_F(Settings, StoredNumbersAreReadAsFlags) {
    {
        QSettings settings = ProgramSettings();
        settings.setValue("Settings/Print Rate", -3);
        settings.setValue("Settings/Date/Time Export Format", 7);
        settings.setValue("Settings/Delimiter", 58);
    }
    QSettings settings = ProgramSettings();
    AppSettings values;
    values.Load(settings);
    EXPECT_FALSE(values.PrintRate);
    EXPECT_EQ(values.DateTimeExportFormat, 1);
    EXPECT_EQ(values.Delimiter, ':');
}

TEST_F(Settings, DelimiterButtonsMapToTheirCharacters) {
    EXPECT_EQ(CSettingsDialog::DelimiterForButton(0), '\t');
    EXPECT_EQ(CSettingsDialog::DelimiterForButton(1), ',');
    EXPECT_EQ(CSettingsDialog::DelimiterForButton(2), ':');
    EXPECT_EQ(CSettingsDialog::DelimiterForButton(3), ';');
    EXPECT_EQ(CSettingsDialog::DelimiterForButton(4), '\t');
    EXPECT_EQ(CSettingsDialog::DelimiterForButton(-1), '\t');
    EXPECT_EQ(CSettingsDialog::ButtonForDelimiter(','), 1);
    EXPECT_EQ(CSettingsDialog::ButtonForDelimiter(':'), 2);
    EXPECT_EQ(CSettingsDialog::ButtonForDelimiter(';'), 3);
    EXPECT_EQ(CSettingsDialog::ButtonForDelimiter('\t'), 0);
    EXPECT_EQ(CSettingsDialog::ButtonForDelimiter('|'), 0);
}

QRadioButton* Radio(QWidget& dialog, const QString& text) {
    for (QRadioButton* button : dialog.findChildren<QRadioButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

TEST_F(Settings, TheDialogShowsTheValuesAndOkAppliesThem) {
    AddUser(1, "Ann");
    ASSERT_TRUE(Start());
    CTvDeskApp& app = *m_app;
    app.Delimiter = '|';
    app.Doc().SetModifiedFlag(false);

    CSettingsDialog dialog(app);
    EXPECT_EQ(dialog.windowTitle(), "Tarvenly Settings");
    EXPECT_EQ(dialog.findChild<QLineEdit*>()->text(), m_folder.path() + "/");
    EXPECT_DOUBLE_EQ(dialog.findChild<QDoubleSpinBox*>()->value(), 0.365);
    EXPECT_TRUE(dialog.findChild<QCheckBox*>()->isChecked());
    ASSERT_NE(Radio(dialog, "&Tab"), nullptr);
    EXPECT_TRUE(Radio(dialog, "&Tab")->isChecked()); // any other character shows as Tab
    EXPECT_TRUE(Radio(dialog, "&Imperial(Miles)")->isChecked());
    QComboBox* format = dialog.findChild<QComboBox*>();
    EXPECT_EQ(format->itemText(0), "1/1/2004 1:01");
    EXPECT_EQ(format->itemText(1), "1/1/2004");

    dialog.findChild<QDoubleSpinBox*>()->setValue(0.12345);
    dialog.findChild<QCheckBox*>()->setChecked(false);
    Radio(dialog, "Co&lon")->setChecked(true);
    Radio(dialog, "M&etric(Kilometers)")->setChecked(true);
    format->setCurrentIndex(1);
    dialog.accept();

    EXPECT_FLOAT_EQ(app.Rate, 0.12345f);
    EXPECT_FALSE(app.PrintRate);
    EXPECT_EQ(app.Delimiter, ':');
    EXPECT_EQ(app.DateTimeExportFormat, 1);
    EXPECT_TRUE(app.Doc().Trips().UsesKilometres());
    EXPECT_TRUE(app.Doc().IsModified());

    m_app->ExitInstance();
    QSettings settings = ProgramSettings();
    EXPECT_EQ(settings.value("Settings/Rate").toInt(), 1235);
}

TEST_F(Settings, CancelChangesNothing) {
    AddUser(1, "Ann");
    ASSERT_TRUE(Start());
    CTvDeskApp& app = *m_app;
    app.Doc().Trips().Settings[0] = RecordStore::kUnitsKilometres | 0x10;
    app.Doc().SetModifiedFlag(false);

    CSettingsDialog dialog(app);
    EXPECT_TRUE(Radio(dialog, "M&etric(Kilometers)")->isChecked());
    Radio(dialog, "&Imperial(Miles)")->setChecked(true);
    dialog.findChild<QDoubleSpinBox*>()->setValue(2);
    dialog.reject();

    EXPECT_FLOAT_EQ(app.Rate, 0.365f);
    EXPECT_EQ(app.Doc().Trips().Settings[0], RecordStore::kUnitsKilometres | 0x10);
    EXPECT_FALSE(app.Doc().IsModified());
}

TEST_F(Settings, ImperialClearsOnlyTheUnitsBit) {
    AddUser(1, "Ann");
    ASSERT_TRUE(Start());
    m_app->Doc().Trips().Settings[0] = RecordStore::kUnitsKilometres | 0x11;
    CSettingsDialog dialog(*m_app);
    Radio(dialog, "&Imperial(Miles)")->setChecked(true);
    dialog.accept();
    EXPECT_EQ(m_app->Doc().Trips().Settings[0], 0x11u);
}

TEST_F(Settings, TheVersionReadsFromTheVersionNumberHighByteFirst) {
    EXPECT_EQ(CTvDeskApp::VersionText(), "3.0.0.56");
}

} // namespace
