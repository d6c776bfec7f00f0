#include "exports/ui/QueryGridModel.h"

#include "common/Database.h"
#include "core/ListLook.h"
#include "core/Locale.h"

#include <QSqlRecord>

namespace orvix::ui {

QueryGridModel::QueryGridModel(Database& db, QObject* parent) : QAbstractTableModel(parent), m_db(db) {}

void QueryGridModel::setQuery(const QString& select) {
    beginResetModel();
    m_windows.clear();
    m_fields.clear();
    m_rows = 0;
    m_select = select;
    try {
        if (!select.isEmpty()) {
            {
                QSqlQuery q = m_db.select(select + QStringLiteral(" LIMIT 0"));
                const QSqlRecord r = q.record();
                for (int i = 0; i < r.count(); ++i)
                    m_fields << r.fieldName(i);
            }
            m_rows = int(m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM (%1) AS q").arg(select), 0));
        }
    } catch (...) {
        m_select.clear();
        m_fields.clear();
        m_rows = 0;
        endResetModel();
        throw;
    }
    endResetModel();
}

int QueryGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int QueryGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

const QVector<QVariant>* QueryGridModel::row(int position) const {
    const int first = position / kWindow * kWindow;
    for (qsizetype i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i].first == first) {
            if (i > 0)
                m_windows.move(i, 0);
            const Window& w = m_windows.front();
            return position - first < w.rows.size() ? &w.rows[position - first] : nullptr;
        }
    }
    Window w;
    w.first = first;
    try {
        QSqlQuery q = m_db.select(QStringLiteral("%1 LIMIT %2 OFFSET %3").arg(m_select).arg(kWindow).arg(first));
        const int columns = int(m_fields.size());
        while (q.next()) {
            QVector<QVariant> values(columns);
            for (int c = 0; c < columns; ++c)
                values[c] = q.value(c);
            w.rows.push_back(std::move(values));
        }
    } catch (const DbError&) {
        // A grid paints nothing for rows it cannot read; "Frissít" reads again.
    }
    m_windows.prepend(std::move(w));
    while (m_windows.size() > 16)
        m_windows.removeLast();
    const Window& front = m_windows.front();
    return position - first < front.rows.size() ? &front.rows[position - first] : nullptr;
}

QVariant QueryGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    if (role == Qt::BackgroundRole && index.column() == 0)
        return kSortColumnColor;
    if (role != Qt::DisplayRole)
        return {};
    const QVector<QVariant>* values = row(index.row());
    if (!values || index.column() >= values->size())
        return {};
    const QVariant& v = values->at(index.column());
    if (v.isNull())
        return QString();
    // Stored dates show in the program's own form, like every other grid.
    if (v.typeId() == QMetaType::QString) {
        const QString text = v.toString();
        if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
            const QDate date = QDate::fromString(text, Qt::ISODate);
            if (date.isValid())
                return formatDate(date);
        }
    }
    return v;
}

QVariant QueryGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < m_fields.size()) {
        if (role == Qt::DisplayRole)
            return m_fields.at(section);
        if (role == Qt::BackgroundRole && section == 0)
            return kSortColumnColor;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace orvix::ui
