#include "ListViewEx.h"
#include "TextShortening.h"

#include "QtPrinters.h"
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// Every character, the terminating NUL included, is 7 pixels wide.
int FixedWidth(QStringView text) {
    return static_cast<int>(text.size()) * 7;
}

TEST(TextShortening, ATextThatFitsIsKeptEvenWhenItFitsExactly) {
    EXPECT_EQ(ShortenText("", 0, 12, FixedWidth), "");
    // 5 characters: 35 pixels, plus the offset 12.
    EXPECT_EQ(ShortenText("Hello", 47, 12, FixedWidth), "Hello");
    EXPECT_EQ(ShortenText("Hello", 200, 12, FixedWidth), "Hello");
}

TEST(TextShortening, ATooWideTextKeepsItsLongestFittingPrefixAndDots) {
    // The dots count four characters (28 pixels): 11 + 28 + 12 leaves 40
    // pixels of a width of 80, room for 5 characters.
    EXPECT_EQ(ShortenText("Hello World", 80, 12, FixedWidth), "Hello...");
    EXPECT_EQ(ShortenText("Hello World", 75, 12, FixedWidth), "Hello...");
    EXPECT_EQ(ShortenText("Hello World", 74, 12, FixedWidth), "Hell...");
    // The first column's offset is 4: room for 6 characters.
    EXPECT_EQ(ShortenText("Hello World", 80, 4, FixedWidth), "Hello ...");
    // One pixel too narrow to fit unchanged.
    EXPECT_EQ(ShortenText("Hello", 46, 12, FixedWidth), "H...");
}

TEST(TextShortening, AtLeastOneCharacterIsKept) {
    EXPECT_EQ(ShortenText("Wide", 1, 12, FixedWidth), "W...");
    EXPECT_EQ(ShortenText("X", 0, 12, FixedWidth), "X...");
}

// A list of two rows that read alike, the second selected, beside a field
// that can take the focus from it.
class ListViewExFocus : public testing::Test {
protected:
    void SetUp() override {
        for (int row = 0; row < 2; ++row) {
            m_model.setItem(row, 0, new QStandardItem("a"));
            m_model.setItem(row, 1, new QStandardItem("b"));
        }
        auto* layout = new QVBoxLayout(&m_window);
        m_view = new CListViewEx;
        m_view->setModel(&m_model);
        m_view->header()->resizeSection(0, 60);
        m_view->header()->resizeSection(1, 60);
        layout->addWidget(m_view);
        m_field = new QLineEdit;
        layout->addWidget(m_field);
        m_window.resize(400, 240);
        m_window.show();
        m_window.activateWindow();
        QApplication::processEvents();
        m_view->selectionModel()->select(m_model.index(1, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    void FocusOn(QWidget* widget) {
        widget->setFocus();
        QApplication::processEvents();
    }

    // The row as drawn, over the whole width of the list.
    QImage Row(int row) const {
        const QImage image = m_view->viewport()->grab().toImage();
        const QRect cell = m_view->visualRect(m_model.index(row, 0));
        return image.copy(0, cell.top(), image.width(), cell.height());
    }

    QColor Highlight() const {
        return m_view->palette().color(QPalette::Active, QPalette::Highlight);
    }

    QStandardItemModel m_model{2, 2};
    QWidget m_window;
    CListViewEx* m_view = nullptr;
    QLineEdit* m_field = nullptr;
};

TEST_F(ListViewExFocus, TheHighlightReachesTheRightEdgeWhileTheListHasTheFocus) {
    EXPECT_TRUE(m_view->GetFullRowSel());
    EXPECT_EQ(m_view->selectionBehavior(), QAbstractItemView::SelectRows);
    FocusOn(m_view);
    ASSERT_TRUE(m_view->hasFocus());
    const QImage selected = Row(1);
    const int middle = selected.height() / 2;
    // In the first column beside its text, and past the last column.
    for (const int x : {50, selected.width() - 3})
        EXPECT_EQ(selected.pixelColor(x, middle), Highlight()) << x;
    EXPECT_NE(Row(0).pixelColor(selected.width() - 3, middle), Highlight());
}

TEST_F(ListViewExFocus, TheSelectionGreysOnlyWhileAnotherWindowHasTheFocus) {
    const int middle = Row(1).height() / 2;
    // Another control of the window (a menu or dialog of it alike) keeps the
    // highlight, so the user sees what a command will act on.
    FocusOn(m_field);
    ASSERT_FALSE(m_view->hasFocus());
    EXPECT_EQ(Row(1).pixelColor(50, middle), Highlight());
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &other);
    EXPECT_NE(Row(1).pixelColor(50, middle), Highlight());
    EXPECT_NE(Row(1), Row(0));
    m_window.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(Row(1).pixelColor(50, middle), Highlight());
}

} // namespace
