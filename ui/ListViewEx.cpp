#include "ListViewEx.h"

#include "TextShortening.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <algorithm>

void ShorteningDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QString text = cell.text;
    cell.text.clear();
    QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
    if (text.isEmpty())
        return;

    const bool first = index.column() == 0;
    const int offset = first ? kFirstColumnOffset : kOtherColumnOffset;
    const int margin = first ? 2 : 6;
    const QFontMetrics metrics(cell.font);
    const QString shown =
        ShortenText(text, cell.rect.width(), offset, [&metrics](QStringView part) {
            return metrics.horizontalAdvance(part.toString());
        });
    Qt::Alignment alignment = Qt::AlignLeft;
    if (shown == text && !first)
        alignment = cell.displayAlignment & Qt::AlignHorizontal_Mask;

    const bool selected = (cell.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(cell.rect.adjusted(margin, 0, -margin, 0),
                      alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

CListViewEx::CListViewEx(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTextElideMode(Qt::ElideNone);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setItemDelegate(new ShorteningDelegate(this));
}

void CListViewEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (!hasFocus()) {
        // Selected rows show only while the list has the focus: without it
        // they are drawn in the colours of the other rows.
        QStyleOptionViewItem unfocused = option;
        unfocused.palette.setBrush(QPalette::Highlight, option.palette.brush(QPalette::Base));
        unfocused.palette.setBrush(QPalette::HighlightedText, option.palette.brush(QPalette::Text));
        QTreeView::drawRow(painter, unfocused, index);
        return;
    }
    QTreeView::drawRow(painter, option, index);
    // Past the last column the row goes on to the window's edge.
    const int end = header()->length() - header()->offset();
    if (end >= viewport()->width() || !selectionModel()->isSelected(index))
        return;
    const QRect rest(end, option.rect.top(), viewport()->width() - end, option.rect.height());
    painter->fillRect(rest, option.palette.brush(QPalette::Active, QPalette::Highlight));
}

QString CListViewEx::SelectedRowsText() const {
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    const int columns = model()->columnCount();
    for (const QModelIndex& row : rows) {
        for (int column = 0; column < columns; ++column) {
            if (column != 0)
                text += '\t';
            text += model()->index(row.row(), column).data().toString();
        }
        text += '\n';
    }
    return text;
}
