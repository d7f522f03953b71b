#pragma once

#include "ServiceDue.h"

#include <QStyledItemDelegate>
#include <functional>

// Draws the Complete column of the service log with the row's due state at a
// glance: a red disc and bold text for Past Due, an amber triangle for an
// entry due soon. The shapes differ, so the mark does not rest on colour
// alone, and the status text stays as it is.
class CServiceDueDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // stateOfRow: the due state of a row of the list.
    CServiceDueDelegate(std::function<DueState(int row)> stateOfRow, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::function<DueState(int row)> m_stateOfRow;
};
