#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <algorithm>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// One column of a log list: its heading, its width in pixels and the
// alignment of its cells.
struct ListColumn {
    QString title;
    int width = 100;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// The columns of a log list, shared by every record kind. On its own it is a
// list with headings and no rows.
class RecordTableModelBase : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetColumns(std::vector<ListColumn> columns);
    const std::vector<ListColumn>& Columns() const { return m_columns; }

    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    // A cell's alignment, for data().
    QVariant AlignmentOf(int column) const;

private:
    std::vector<ListColumn> m_columns;
};

// The rows of a log list: references to records held by their store, never
// copies. A cell's text is asked of the log's own text function when the
// view paints it, so a list of a hundred thousand rows costs one pointer a
// row. The rows must be dropped (Clear) before the store lets go of them.
template <typename Record> class RecordTableModel final : public RecordTableModelBase {
public:
    // The text of one cell, as raw file bytes.
    using CellText = std::function<std::string(const Record& record, int column)>;

    explicit RecordTableModel(CellText cellText, QObject* parent = nullptr)
        : RecordTableModelBase(parent), m_cellText(std::move(cellText)) {}

    void SetRows(std::vector<Record*> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    void Clear() { SetRows({}); }

    // Orders the rows by the log's comparison; rows that compare equal keep
    // their order, so the same data always lists the same way.
    template <typename Less> void SortRows(Less less) {
        ReorderRows([&less](std::vector<Record*>& rows) {
            std::stable_sort(rows.begin(), rows.end(),
                             [&less](const Record* a, const Record* b) { return less(*a, *b); });
        });
    }

    // Lets reorder(std::vector<Record*>&) put the same rows in a new order;
    // the selection and the current row stay with their records.
    template <typename Reorder> void ReorderRows(Reorder reorder) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<const Record*> held;
        held.reserve(static_cast<std::size_t>(before.size()));
        for (const QModelIndex& index : before)
            held.push_back(m_rows[static_cast<std::size_t>(index.row())]);
        reorder(m_rows);
        QModelIndexList after;
        if (!before.isEmpty()) {
            std::unordered_map<const Record*, int> rowOf;
            rowOf.reserve(m_rows.size());
            for (std::size_t row = 0; row < m_rows.size(); ++row)
                rowOf.emplace(m_rows[row], static_cast<int>(row));
            after.reserve(before.size());
            for (qsizetype i = 0; i < before.size(); ++i)
                after.push_back(
                    index(rowOf.at(held[static_cast<std::size_t>(i)]), before[i].column()));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    Record* RecordAt(int row) const {
        if (row < 0 || row >= rowCount())
            return nullptr;
        return m_rows[static_cast<std::size_t>(row)];
    }
    // The row that shows the record, or -1.
    int RowOf(const Record* record) const {
        const auto found = std::find(m_rows.begin(), m_rows.end(), record);
        return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
    }
    void RemoveRecordRow(int row) {
        if (row < 0 || row >= rowCount())
            return;
        beginRemoveRows({}, row, row);
        m_rows.erase(m_rows.begin() + row);
        endRemoveRows();
    }
    // Repaints a row whose record was changed in place.
    void RecordChanged(int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole});
    }
    const std::vector<Record*>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override;

private:
    CellText m_cellText;
    std::vector<Record*> m_rows;
};

namespace RecordTableText {
QVariant Display(const std::string& bytes);
} // namespace RecordTableText

template <typename Record>
QVariant RecordTableModel<Record>::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return AlignmentOf(index.column());
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return RecordTableText::Display(
        m_cellText(*m_rows[static_cast<std::size_t>(index.row())], index.column()));
}
