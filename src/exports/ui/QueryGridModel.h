// A read-only grid model over any SELECT that never holds the data folder:
// the row count comes from a COUNT over the query, and the rows are read in
// windows of LIMIT/OFFSET when the grid first paints them, each read run to
// its end at once (an open read would keep other workstations from writing).
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace orvix {
class Database;
}

namespace orvix::ui {

class QueryGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit QueryGridModel(Database& db, QObject* parent = nullptr);

    // Reads the column names and the row count of the query; an empty query
    // closes the grid. Throws DbError on an engine error.
    void setQuery(const QString& select);
    QString query() const { return m_select; }
    const QStringList& fieldNames() const { return m_fields; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static constexpr int kWindow = 200;

private:
    struct Window {
        int first = -1;
        QVector<QVector<QVariant>> rows;
    };
    const QVector<QVariant>* row(int position) const;

    Database& m_db;
    QString m_select;
    QStringList m_fields;
    int m_rows = 0;
    mutable QList<Window> m_windows; // most recently used first
};

} // namespace orvix::ui
