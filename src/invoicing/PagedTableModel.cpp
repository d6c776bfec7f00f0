#include "invoicing/PagedTableModel.h"

#include "common/Database.h"
#include "core/Locale.h"
#include "core/TextUtil.h"

#include <QBrush>

namespace orvix {

PagedTableModel::PagedTableModel(Database& db, const PagedSource& source, QVector<ListColumn> columns,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_query(db, source), m_columns(std::move(columns)) {}

int PagedTableModel::columnOf(const QString& field) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void PagedTableModel::setHighlightedColumn(int column) {
    if (column == m_highlight)
        return;
    m_highlight = column;
    if (m_rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void PagedTableModel::resolveColumns() const {
    if (m_columnIndex.size() == m_columns.size())
        return;
    QVector<int> indexes;
    for (const ListColumn& c : m_columns)
        indexes << m_query.fieldIndex(c.field);
    m_columnIndex = indexes;
}

void PagedTableModel::reload() {
    beginResetModel();
    m_styledRow = -1;
    m_query.invalidate();
    m_failed = false;
    try {
        m_rows = m_query.rowCount();
        resolveColumns();
    } catch (const DbError& e) {
        m_rows = 0;
        m_failed = true;
        endResetModel();
        Q_EMIT queryFailed(e.text());
        return;
    }
    endResetModel();
}

void PagedTableModel::close() {
    beginResetModel();
    m_styledRow = -1;
    m_query.invalidate();
    m_rows = 0;
    endResetModel();
}

void PagedTableModel::setOrder(const QString& field, bool descending) {
    m_query.setOrder(field, descending);
    reload();
}

int PagedTableModel::rowOfKey(const QVariant& key) {
    m_styledRow = -1; // the rows around the key may be read again
    try {
        return m_query.positionOfKey(key);
    } catch (const DbError& e) {
        Q_EMIT queryFailed(e.text());
        return -1;
    }
}

const PagedRow* PagedTableModel::rowAt(int row) const {
    if (row < 0 || row >= m_rows || m_failed)
        return nullptr;
    try {
        return m_query.row(row);
    } catch (const DbError& e) {
        m_failed = true; // one message, not one per painted cell
        Q_EMIT queryFailed(e.text());
        return nullptr;
    }
}

QVariant PagedTableModel::keyAt(int row) const {
    const PagedRow* r = rowAt(row);
    return r ? r->key : QVariant();
}

int PagedTableModel::fieldIndex(const QString& field) const {
    try {
        return m_query.fieldIndex(field);
    } catch (const DbError& e) {
        Q_EMIT queryFailed(e.text());
        return -1;
    }
}

QVariant PagedTableModel::value(int row, const QString& field) const {
    const int i = fieldIndex(field);
    const PagedRow* r = rowAt(row);
    if (!r || i < 0 || i >= r->values.size())
        return {};
    return r->values.at(i);
}

int PagedTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int PagedTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString PagedTableModel::displayText(const QVariant& v, ColumnFormat format) const {
    if (v.isNull())
        return {};
    switch (format) {
    case ColumnFormat::Text:
        return v.toString();
    case ColumnFormat::Money:
        return formatMoney(v.toDouble(), m_moneyFormat);
    case ColumnFormat::Zero5:
        return zeroPad(v.toLongLong(), 5);
    case ColumnFormat::Number:
        return formatFloat(QString(), v.toDouble());
    case ColumnFormat::Date: {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        return d.isValid() ? formatDate(d) : v.toString();
    }
    case ColumnFormat::Mark:
        return {};
    }
    return v.toString();
}

Qt::Alignment columnAlignment(ColumnFormat format) {
    switch (format) {
    case ColumnFormat::Money:
    case ColumnFormat::Number:
    case ColumnFormat::Zero5:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnFormat::Mark:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant PagedTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= m_columns.size())
        return {};
    const ListColumn& column = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case MarkRole: {
        const PagedRow* r = rowAt(index.row());
        resolveColumns();
        const int i = m_columnIndex.value(index.column(), -1);
        if (!r || i < 0 || i >= r->values.size())
            return {};
        if (role == MarkRole)
            return column.format == ColumnFormat::Mark
                       ? QVariant(r->values.at(i).toString() == QLatin1String("I"))
                       : QVariant();
        if (role == Qt::ToolTipRole && column.format == ColumnFormat::Mark)
            return {};
        return displayText(r->values.at(i), column.format);
    }
    case Qt::TextAlignmentRole:
        return int(columnAlignment(column.format));
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case SelectedForegroundRole: {
        RowColors colors;
        if (m_rowStyle && index.row() == m_styledRow) {
            colors = m_styledColors;
        } else if (m_rowStyle) {
            if (const PagedRow* r = rowAt(index.row())) {
                colors = m_rowStyle(*r, *this);
                m_styledRow = index.row();
                m_styledColors = colors;
            }
        }
        if (role == Qt::ForegroundRole)
            return colors.font.isValid() ? QVariant(QBrush(colors.font)) : QVariant();
        if (role == SelectedForegroundRole)
            return colors.selectedFont.isValid() ? QVariant(colors.selectedFont) : QVariant();
        if (colors.background.isValid())
            return QBrush(colors.background);
        if (index.column() == m_highlight)
            return QBrush(kSortColumnColor);
        return {};
    }
    case KeyRole: {
        const PagedRow* r = rowAt(index.row());
        return r ? r->key : QVariant();
    }
    default:
        return {};
    }
}

QVariant PagedTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns.at(section).caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace orvix
