#include "ListViewEx.h"
#include "TextShortening.h"

#include "QtPrinters.h"
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>

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

TEST(ListViewEx, ASelectedRowIsHighlightedToTheRightEdgeOfTheWindow) {
    QStandardItemModel model(2, 2);
    model.setItem(0, 0, new QStandardItem("a"));
    model.setItem(0, 1, new QStandardItem("b"));
    CListViewEx view;
    view.setModel(&model);
    view.resize(400, 200);
    view.header()->resizeSection(0, 60);
    view.header()->resizeSection(1, 60);
    view.selectionModel()->select(model.index(1, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(view.GetFullRowSel());
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);

    view.show();
    const QImage image = view.viewport()->grab().toImage();
    const QRect selectedRow = view.visualRect(model.index(1, 0));
    const QRect otherRow = view.visualRect(model.index(0, 0));
    const int x = view.viewport()->width() - 3;
    const QColor highlight = view.palette().color(QPalette::Inactive, QPalette::Highlight);
    EXPECT_EQ(image.pixelColor(x, selectedRow.center().y()), highlight);
    EXPECT_NE(image.pixelColor(x, otherRow.center().y()), highlight);
}

} // namespace
