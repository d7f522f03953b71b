#include "AppFixture.h"
#include "SettingsDialog.h"
#include "TvDeskDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <cmath>

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
    EXPECT_DOUBLE_EQ(values.Rate, 0.365);
    EXPECT_EQ(values.Delimiter, ',');
    EXPECT_TRUE(values.PrintRate);
    EXPECT_EQ(values.DateTimeExportFormat, 0);
    EXPECT_EQ(values.CurrentUser, "");
}

TEST_F(Settings, ValuesAreWrittenBackInTheirStoredForms) {
    AppSettings values;
    values.Rate = 0.12345;
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
    EXPECT_DOUBLE_EQ(again.Rate, 0.1235);
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
    const QLineEdit* root = nullptr;
    for (const QLineEdit* field : dialog.findChildren<QLineEdit*>())
        if (field->objectName() != "rate" && root == nullptr)
            root = field;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(), m_folder.path() + "/");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("rate")->text(), "0.365");
    EXPECT_TRUE(dialog.findChild<QCheckBox*>()->isChecked());
    ASSERT_NE(Radio(dialog, "&Tab"), nullptr);
    EXPECT_TRUE(Radio(dialog, "&Tab")->isChecked()); // any other character shows as Tab
    EXPECT_TRUE(Radio(dialog, "&Imperial(Miles)")->isChecked());
    QComboBox* format = dialog.findChild<QComboBox*>();
    EXPECT_EQ(format->itemText(0), "1/1/2004 1:01");
    EXPECT_EQ(format->itemText(1), "1/1/2004");

    dialog.findChild<QLineEdit*>("rate")->setText("0.12345");
    dialog.findChild<QCheckBox*>()->setChecked(false);
    Radio(dialog, "Co&lon")->setChecked(true);
    Radio(dialog, "M&etric(Kilometers)")->setChecked(true);
    format->setCurrentIndex(1);
    dialog.accept();

    EXPECT_DOUBLE_EQ(app.Rate, 0.12345);
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
    dialog.findChild<QLineEdit*>("rate")->setText("2");
    dialog.reject();

    EXPECT_DOUBLE_EQ(app.Rate, 0.365);
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

TEST_F(Settings, RatesUpToTheLargestStorableOneComeBackExactlyAtTheNextStart) {
    AddUser(1, "Ann");
    ASSERT_TRUE(Start());
    const struct {
        const char* typed;
        qlonglong stored;
    } cases[] = {
        {"214748.3647", 2147483647}, // the largest value a signed 32-bit form holds
        {"100000.1234", 1000001234}, // beyond what a float keeps to four decimals
        {"0", 0},
    };
    for (const auto& rate : cases) {
        CSettingsDialog dialog(*m_app);
        dialog.findChild<QLineEdit*>("rate")->setText(rate.typed);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << rate.typed;
        EXPECT_TRUE(MessageBox::shownTexts().isEmpty())
            << MessageBox::shownTexts().join("\n").toStdString();
        m_app->ExitInstance();

        QSettings settings = ProgramSettings();
        EXPECT_EQ(settings.value("Settings/Rate").toLongLong(), rate.stored) << rate.typed;
        AppSettings again;
        again.Load(settings);
        EXPECT_EQ(CSettingsDialog::RateText(again.Rate), rate.typed);
    }
}

TEST_F(Settings, ARateItsStoredFormCannotHoldIsRefusedAndNothingIsApplied) {
    AddUser(1, "Ann");
    ASSERT_TRUE(Start());
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString range = "Please enter a number between 0 and 214748.3647.";
    const QString notANumber = "Please enter a number.";
    const struct {
        const char* typed;
        QString message;
    } cases[] = {
        {"214748.3648", range}, {"1000000", range},    {"1e12", range},
        {"-0.0001", range},     {"abc", notANumber},   {"", notANumber},
        {"inf", notANumber},    {"1,500", notANumber}, // a group separator is never taken for a
                                                       // decimal comma
    };
    for (const auto& rate : cases) {
        m_app->Doc().SetModifiedFlag(false);
        MessageBox::clearShownTexts();
        CSettingsDialog dialog(*m_app);
        dialog.findChild<QLineEdit*>("rate")->setText(rate.typed);
        Radio(dialog, "M&etric(Kilometers)")->setChecked(true);
        Radio(dialog, "Co&lon")->setChecked(true);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << rate.typed;
        EXPECT_EQ(MessageBox::shownTexts(), QStringList(rate.message)) << rate.typed;
        // The refusal comes before anything is applied.
        EXPECT_DOUBLE_EQ(m_app->Rate, 0.365) << rate.typed;
        EXPECT_EQ(m_app->Delimiter, ',') << rate.typed;
        EXPECT_FALSE(m_app->Doc().Trips().UsesKilometres()) << rate.typed;
        EXPECT_FALSE(m_app->Doc().IsModified()) << rate.typed;
    }

    // Where the decimal mark is a comma, a rate may be typed with one.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    CSettingsDialog dialog(*m_app);
    dialog.findChild<QLineEdit*>("rate")->setText("7,5");
    dialog.accept();
    QLocale::setDefault(previous);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(m_app->Rate, 7.5);
}

TEST_F(Settings, AStoredRateOutsideTheWrittenRangeGivesTheDefault) {
    const struct {
        QVariant stored;
        double rate;
    } cases[] = {
        {QVariant(2147483647), 214748.3647},
        {QVariant(0), 0},
        {QVariant(-1294967296), 0.365}, // 300000 wrapped around 32 bits
        {QVariant(-5), 0.365},
        {QVariant("5000000000"), 0.365},
        {QVariant("12.5"), 0.365},
        {QVariant("abc"), 0.365},
    };
    for (const auto& value : cases) {
        {
            QSettings settings = ProgramSettings();
            settings.setValue("Settings/Rate", value.stored);
        }
        QSettings settings = ProgramSettings();
        AppSettings values;
        values.Rate = 9;
        values.Load(settings);
        EXPECT_DOUBLE_EQ(values.Rate, value.rate) << value.stored.toString().toStdString();
    }
}

TEST_F(Settings, ARateSetBeyondTheStoredRangeIsWrittenAtItsLimitNeverWrapped) {
    const struct {
        double rate;
        int stored;
    } cases[] = {
        {1000000, 2147483647},
        {214748.36475, 2147483647},
        {-2, 0},
        {std::nan(""), 0},
    };
    for (const auto& value : cases) {
        AppSettings values;
        values.Rate = value.rate;
        {
            QSettings settings = ProgramSettings();
            values.Save(settings);
        }
        EXPECT_EQ(ProgramSettings().value("Settings/Rate").toInt(), value.stored) << value.rate;
    }
}

TEST_F(Settings, TheVersionReadsFromTheVersionNumberHighByteFirst) {
    EXPECT_EQ(CTvDeskApp::VersionText(), "3.0.0.56");
}

} // namespace
