#include "RecordTableModel.h"

#include "AnsiText.h"

void RecordTableModelBase::SetColumns(std::vector<ListColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    endResetModel();
}

int RecordTableModelBase::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

int RecordTableModelBase::rowCount(const QModelIndex&) const {
    return 0;
}

QVariant RecordTableModelBase::data(const QModelIndex&, int) const {
    return {};
}

QVariant RecordTableModelBase::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const ListColumn& column = m_columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return column.title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
    return {};
}

QVariant RecordTableModelBase::AlignmentOf(int column) const {
    return QVariant::fromValue(m_columns[static_cast<std::size_t>(column)].alignment |
                               Qt::AlignVCenter);
}

namespace RecordTableText {

QVariant Display(const std::string& bytes) {
    return AnsiText::ToQString(bytes);
}

} // namespace RecordTableText
