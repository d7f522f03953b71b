#include "ServiceDueDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

const QColor kPastDueColour(0xC6, 0x28, 0x28);
const QColor kDueSoonColour(0xE6, 0x9B, 0x00);

// The mark's square, at the left of the cell, and the room it takes.
int MarkSize(const QStyleOptionViewItem& option) {
    return std::max(8, option.fontMetrics.height() * 2 / 3);
}

} // namespace

CServiceDueDelegate::CServiceDueDelegate(std::function<DueState(int row)> stateOfRow,
                                         QObject* parent)
    : QStyledItemDelegate(parent), m_stateOfRow(std::move(stateOfRow)) {}

void CServiceDueDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_stateOfRow(index.row()) == DueState::PastDue)
        option->font.setBold(true);
}

void CServiceDueDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const DueState state = m_stateOfRow(index.row());
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const int size = MarkSize(item);
    const int gap = size / 2;
    // The row's background and selection across the whole cell, the text
    // beside the mark; every row leaves room for one, so the texts line up.
    QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    const QString text = item.text;
    item.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    item.text = text;
    item.rect.adjust(size + 2 * gap, 0, 0, 0);
    item.backgroundBrush = Qt::NoBrush;
    item.state &= ~QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    if (state == DueState::NotDue)
        return;
    const QRectF mark(option.rect.left() + gap, option.rect.center().y() - size / 2.0, size, size);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    if (state == DueState::PastDue) {
        painter->setBrush(kPastDueColour);
        painter->drawEllipse(mark);
    } else {
        painter->setBrush(kDueSoonColour);
        painter->drawPolygon(QPolygonF(
            {QPointF(mark.center().x(), mark.top()), mark.bottomRight(), mark.bottomLeft()}));
    }
    painter->restore();
}

QSize CServiceDueDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += MarkSize(option) * 2;
    return size;
}
