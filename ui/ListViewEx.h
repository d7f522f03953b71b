#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>

// Draws list cells as the logs show them: a text too wide for its column is
// cut and ends in "..." (and is then left-aligned whatever the column's
// alignment); the first column keeps 2 pixels each side, the others 6.
class ShorteningDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int kFirstColumnOffset = 4;
    static constexpr int kOtherColumnOffset = 12;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The list on which the log views are built: report mode, whole rows
// selected, and the highlight of a selected row reaching the right edge of
// the window even past the last column. Selected rows are highlighted only
// while the list has the focus.
class CListViewEx : public QTreeView {
    Q_OBJECT
public:
    explicit CListViewEx(QWidget* parent = nullptr);

    bool GetFullRowSel() const { return true; }
    // The selected rows as the list shows them, top to bottom: cells separated
    // by a tab, rows ended by a line break. For the clipboard.
    QString SelectedRowsText() const;

private:
    bool WindowHasFocus() const;

protected:
    void changeEvent(QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
};
