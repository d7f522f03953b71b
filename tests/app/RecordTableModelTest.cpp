#include "RecordTableModel.h"
#include "AnsiText.h"
#include "ListViewEx.h"
#include "LockKeyState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

namespace {

struct Fuel {
    std::string vendor;
    int litres = 0;
};

class RecordTableModelTest : public testing::Test {
protected:
    RecordTableModelTest()
        : m_model([](const Fuel& fuel, int column) {
              return column == 0 ? fuel.vendor : std::to_string(fuel.litres);
          }) {
        m_model.SetColumns({{"Vendor", 150}, {"Litres", 80, Qt::AlignRight}});
        for (const auto& [vendor, litres] : std::initializer_list<std::pair<const char*, int>>{
                 {"Shell", 40}, {"Esso", 35}, {"Aral", 40}, {"Bp", 35}})
            m_store.push_back({vendor, litres});
        std::vector<Fuel*> rows;
        for (Fuel& fuel : m_store)
            rows.push_back(&fuel);
        m_model.SetRows(rows);
    }

    QString Text(int row, int column) const { return m_model.index(row, column).data().toString(); }
    QStringList Vendors() const {
        QStringList vendors;
        for (int row = 0; row < m_model.rowCount(); ++row)
            vendors << Text(row, 0);
        return vendors;
    }

    std::deque<Fuel> m_store;
    RecordTableModel<Fuel> m_model;
};

TEST_F(RecordTableModelTest, CellsAreReadFromTheRecordsThemselves) {
    EXPECT_EQ(m_model.rowCount(), 4);
    EXPECT_EQ(m_model.columnCount(), 2);
    EXPECT_EQ(m_model.headerData(1, Qt::Horizontal).toString(), "Litres");
    EXPECT_EQ(m_model.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(Text(0, 0), "Shell");
    EXPECT_EQ(Text(3, 1), "35");
    EXPECT_FALSE(m_model.index(4, 0).data().isValid());

    // A record changed in its store shows its new text; no copy was kept.
    m_store[0].vendor = "Total";
    m_model.RecordChanged(0);
    EXPECT_EQ(Text(0, 0), "Total");
    EXPECT_EQ(m_model.RecordAt(0), &m_store[0]);
    EXPECT_EQ(m_model.RecordAt(9), nullptr);
    EXPECT_EQ(m_model.RowOf(&m_store[2]), 2);
}

TEST_F(RecordTableModelTest, SortingIsStableAndTheSelectionFollowsItsRecords) {
    CListViewEx view;
    view.setModel(&m_model);
    // "Bp" is row 3; it stays selected wherever the sort puts it.
    view.selectionModel()->select(m_model.index(3, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);

    m_model.SortRows([](const Fuel& a, const Fuel& b) { return a.litres < b.litres; });
    // Equal litres keep store order: Esso before Bp, Shell before Aral.
    EXPECT_EQ(Vendors(), QStringList({"Esso", "Bp", "Shell", "Aral"}));
    const QModelIndexList selected = view.selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(m_model.RecordAt(selected.front().row()), &m_store[3]);
    EXPECT_EQ(view.SelectedRowsText(), "Bp\t35\n");

    m_model.SortRows([](const Fuel& a, const Fuel& b) { return a.vendor < b.vendor; });
    EXPECT_EQ(Vendors(), QStringList({"Aral", "Bp", "Esso", "Shell"}));
    EXPECT_EQ(view.selectionModel()->selectedRows().front().row(), 1);

    m_model.RemoveRecordRow(0);
    m_model.RemoveRecordRow(7);
    EXPECT_EQ(Vendors(), QStringList({"Bp", "Esso", "Shell"}));
    m_model.Clear();
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_EQ(m_model.columnCount(), 2);
}

TEST(RecordTableColumns, AListWithoutRowsStillShowsItsHeadings) {
    RecordTableModelBase columns;
    columns.SetColumns({{"Name", 100}, {"Time Schedule", 200}});
    EXPECT_EQ(columns.rowCount(), 0);
    EXPECT_EQ(columns.columnCount(), 2);
    EXPECT_EQ(columns.headerData(1, Qt::Horizontal).toString(), "Time Schedule");
    EXPECT_FALSE(columns.headerData(2, Qt::Horizontal).isValid());
    EXPECT_FALSE(columns.headerData(0, Qt::Vertical).isValid());
}

TEST(AnsiText, TheWindowsCodePageMapsBothWays) {
    EXPECT_EQ(AnsiText::ToQString("Caf\xE9 \x80"
                                  "5 \x93ok\x94"),
              QString::fromUtf8("Caf\u00E9 \u20AC5 \u201Cok\u201D"));
    EXPECT_EQ(AnsiText::FromQString(QString::fromUtf8("Caf\u00E9 \u20AC5 \u201Cok\u201D")),
              "Caf\xE9 \x80"
              "5 \x93ok\x94");
    // Bytes the code page leaves undefined survive a round trip.
    EXPECT_EQ(AnsiText::FromQString(AnsiText::ToQString("\x81\x8D\x8F\x90\x9D")),
              "\x81\x8D\x8F\x90\x9D");
    EXPECT_EQ(AnsiText::FromQString(QString::fromUtf8("\u0416")), "?");
    EXPECT_EQ(AnsiText::ToQString(std::string_view("a\0b", 3)).size(), 3);
}

TEST(LockKeyState, ALitLedOfAnyKeyboardTurnsItsIndicatorOn) {
    QTemporaryDir leds;
    ASSERT_TRUE(leds.isValid());
    const auto led = [&leds](const QString& name, const char* brightness) {
        QDir(leds.path()).mkpath(name);
        QFile file(leds.path() + "/" + name + "/brightness");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(brightness);
    };
    LockKeyState state(leds.path());
    EXPECT_FALSE(state.CapsLock());

    led("input3::capslock", "0\n");
    led("input3::numlock", "1\n");
    led("input3::scrolllock", "0\n");
    led("input7::capslock", "1\n");
    led("phy0-led", "1\n");
    EXPECT_TRUE(state.CapsLock());
    EXPECT_TRUE(state.NumLock());
    EXPECT_FALSE(state.ScrollLock());
    EXPECT_FALSE(LockKeyState(leds.path() + "/missing").NumLock());
}

} // namespace
