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

bool CListViewEx::WindowHasFocus() const {
    if (QApplication::activePopupWidget() != nullptr)
        return true;
    // The active window is the list's own or one of its dialogs.
    for (const QWidget* active = QApplication::activeWindow(); active != nullptr;
         active = active->parentWidget()) {
        if (active->window() == window())
            return true;
    }
    return false;
}

void CListViewEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    QStyleOptionViewItem look = option;
    if (WindowHasFocus()) {
        // While a menu or a dialog of the window is open the window is not
        // active, yet the selection shows what a command will act on.
        for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
            look.palette.setBrush(QPalette::Inactive, role,
                                  option.palette.brush(QPalette::Active, role));
    } else {
        // Another program's window has the focus: the selection greys.
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            look.palette.setBrush(group, QPalette::Highlight,
                                  option.palette.brush(QPalette::Button));
            look.palette.setBrush(group, QPalette::HighlightedText,
                                  option.palette.brush(QPalette::ButtonText));
        }
    }
    QTreeView::drawRow(painter, look, index);
    // Past the last column the row goes on to the window's edge.
    const int end = header()->length() - header()->offset();
    if (end >= viewport()->width() || !selectionModel()->isSelected(index))
        return;
    const QRect rest(end, option.rect.top(), viewport()->width() - end, option.rect.height());
    painter->fillRect(rest, look.palette.brush(QPalette::Active, QPalette::Highlight));
}

void CListViewEx::changeEvent(QEvent* event) {
    // The selection's look follows the window's activation.
    if (event->type() == QEvent::ActivationChange)
        viewport()->update();
    QTreeView::changeEvent(event);
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
