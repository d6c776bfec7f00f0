// A table model over a PagedQuery: the grids of the main window show it. It
// reads only the rows the grid paints, formats each column as the list asks
// (money with the settings' picture, numbers padded with zeros, dates,
// flags drawn as marks) and gives each row its colours.
#pragma once

#include "core/ListLook.h"
#include "invoicing/PagedQuery.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDate>
#include <functional>

namespace orvix {

enum class ColumnFormat {
    Text,
    Money,  // the settings' money picture (formatft)
    Zero5,  // whole number padded to five digits ("00042")
    Number, // shortest number form with a decimal comma
    Date,   // yyyy.MM.dd
    Mark    // a flag drawn as a mark: one picture for "I", another otherwise
};

// How a column of the format is aligned in the list (and in its printouts
// and pages): numbers right, marks centred, the rest left.
Qt::Alignment columnAlignment(ColumnFormat format);

struct ListColumn {
    QString field; // column of the select list
    QString caption;
    ColumnFormat format = ColumnFormat::Text;
};

// Colours of a row that is not selected; invalid colours keep the grid's own.
// selectedFont is the font colour of the row while it is selected.
struct RowColors {
    QColor font;
    QColor background;
    QColor selectedFont;
    bool operator==(const RowColors& o) const {
        return font == o.font && background == o.background && selectedFont == o.selectedFont;
    }
};

class PagedTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Extra roles the grid reads.
    enum Role {
        SelectedForegroundRole = Qt::UserRole + 1, // QColor, the font colour of a selected row
        MarkRole,                                  // bool, for Mark columns: the flag is "I"
        KeyRole                                    // the row's key
    };

    // Colours of a row from its values (fieldIndex names the columns).
    using RowStyle = std::function<RowColors(const PagedRow& row, const PagedTableModel& model)>;

    PagedTableModel(Database& db, const PagedSource& source, QVector<ListColumn> columns,
                    QObject* parent = nullptr);

    PagedQuery& query() { return m_query; }
    const QVector<ListColumn>& columns() const { return m_columns; }
    int columnOf(const QString& field) const;
    void setMoneyFormat(const QString& formatft) { m_moneyFormat = formatft; }
    void setRowStyle(RowStyle style) { m_rowStyle = std::move(style); }
    // The column painted in the sort colour (-1: none).
    void setHighlightedColumn(int column);
    int highlightedColumn() const { return m_highlight; }

    // Reopens the list (counts and reads again). Engine errors are reported
    // through queryFailed and leave the list empty.
    void reload();
    // Closes the list: no rows until the next reload.
    void close();
    // Reorders and reopens.
    void setOrder(const QString& field, bool descending);

    // The row of a key after reopening or searching; -1 when not in the list.
    int rowOfKey(const QVariant& key);
    QVariant keyAt(int row) const;
    // A value of a row by select-list column name; invalid when out of range.
    QVariant value(int row, const QString& field) const;
    int fieldIndex(const QString& field) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The text of a value as a column shows it.
    QString displayText(const QVariant& value, ColumnFormat format) const;

Q_SIGNALS:
    void queryFailed(const QString& text) const;

private:
    const PagedRow* rowAt(int row) const;
    void resolveColumns() const;

    mutable PagedQuery m_query;
    QVector<ListColumn> m_columns;
    mutable QVector<int> m_columnIndex; // select-list index of each column
    QString m_moneyFormat;
    RowStyle m_rowStyle;
    // The colours of the row last asked for: the grid asks them cell by cell.
    mutable int m_styledRow = -1;
    mutable RowColors m_styledColors;
    int m_highlight = -1;
    mutable int m_rows = 0;
    mutable bool m_failed = false;
};

} // namespace orvix
