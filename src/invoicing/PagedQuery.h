// A list over a table of any size that never reads all its rows.
//
// The rows are read in windows of a fixed size when they are first asked for
// and kept in a small cache of windows. A window next to one already read is
// read from the neighbouring row on ("keyset" reading: WHERE the order fields
// are beyond that row, in index order, LIMIT the window size); a window far
// from every read one starts at a row found by its position. The number of
// rows comes from a separate COUNT, and the position of a given row from
// counting the index range in front of it, so that moving to a document among
// hundreds of thousands costs a few index range counts, not a read of every
// row up to it.
//
// The order is one field of the base table, or one of the source's computed
// columns (or the key alone), with the key breaking ties in the same
// direction. Rows whose order field is empty (null)
// stand before the others in an ascending order and after them in a
// descending one. The order field should be served by an index for the reads
// to stay fast; any field works correctly.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>
#include <vector>

namespace orvix {

class Database;

// What a paged list shows.
struct PagedSource {
    QString table;   // the base table: "szla"
    QString columns; // the select list: "szla.*, fiztip.fiztip_nev AS xfiztip_nev"
    QString joins;   // joined lookup tables: "LEFT OUTER JOIN fiztip ON (...)"
    QString filter;  // condition on the base table alone, empty for every row
    QString key;     // unique, never empty field of the base table: "szla"
    // Columns of the select list computed from the base table's fields, by
    // which the list may be ordered: {"hatralek", "szla.brutto-szla.penzfizetve"}.
    QVector<QPair<QString, QString>> computed = {};

    // The computed column's expression; empty for any other name.
    QString computedExpression(const QString& column) const;
};

// One row: the values of the select list, and the key and order field values.
struct PagedRow {
    QVector<QVariant> values;
    QVariant key;
    QVariant order;
};

class PagedQuery {
public:
    static constexpr int kDefaultWindow = 50;

    PagedQuery(Database& db, PagedSource source, int windowSize = kDefaultWindow);

    const PagedSource& source() const { return m_source; }
    // Orders by a field of the base table or a computed column (empty: by
    // the key alone). Drops
    // the read rows; nothing is read until rows are asked for.
    void setOrder(const QString& field, bool descending);
    QString orderField() const { return m_orderField; }
    bool descending() const { return m_desc; }
    // Forgets the read rows and the counts (the data may have changed).
    void invalidate();

    // Each of these reads what it needs and throws DbError on an engine error.
    int rowCount();
    // Names of the select list's columns, in order.
    QStringList fieldNames();
    int fieldIndex(const QString& name);
    // The row at a position, read with its window when needed; nullptr
    // beyond the end.
    const PagedRow* row(int position);
    // Position of the row with this key; -1 when the list does not hold it.
    int positionOfKey(const QVariant& key);
    // Position of the first row (in the list's order) whose order field starts
    // with the text as searchFold compares; -1 when none does.
    int findPrefix(const QString& text);
    // Position of the first row whose order field equals the value; -1 when none.
    int findEqual(const QVariant& value);

    // Statements run since construction (for the benchmark and the tests).
    int statementCount() const { return m_statements; }
    int cachedWindows() const { return int(m_windows.size()); }

private:
    enum class Segment { All, Values, Nulls };
    struct Anchor {
        QVariant order;
        QVariant key;
    };
    struct Window {
        QVector<PagedRow> rows;
        quint64 used = 0;
    };

    QString qualified(const QString& field) const;
    QString keyExpr() const;
    QString orderExpr() const;
    bool keyOnly() const { return m_orderField.isEmpty(); }
    std::vector<Segment> segments() const;
    Segment segmentOf(const Anchor& a) const;
    int segmentSize(Segment s);
    int segmentStart(Segment s);
    QString segmentCondition(Segment s) const;
    QString where(const QStringList& conditions) const;

    void ensureCounts();
    bool fewerKeysBelow(const QVariant& key);
    qint64 count(const QStringList& conditions, const QVariantList& params);
    QVector<PagedRow> select(const QStringList& conditions, const QString& orderBy, int limit,
                             const QVariantList& params);
    // Up to n rows from the anchor on (forward: in the list's order,
    // otherwise against it), across segments; without an anchor from the
    // start (or the end). Rows come in reading order.
    QVector<PagedRow> scan(const std::optional<Anchor>& anchor, bool inclusive, bool forward, int n);
    QVector<PagedRow> scanSegment(Segment seg, const std::optional<Anchor>& anchor, bool inclusive,
                                  bool forward, int n);
    int positionOf(const Anchor& a);
    std::optional<Anchor> anchorAt(int position);
    std::optional<Anchor> anchorOfKey(const QVariant& key);
    int place(const Anchor& a);
    Window* window(int index);
    void store(int index, QVector<PagedRow> rows);
    void evict();
    int orderCompare(const Anchor& a, const Anchor& b) const;

    Database& m_db;
    PagedSource m_source;
    int m_windowSize;
    QString m_orderField;
    bool m_desc = false;
    bool m_counted = false;
    int m_total = 0;
    int m_nulls = 0;
    // The smallest and largest key, when the keys are whole numbers.
    std::optional<std::pair<double, double>> m_keyRange;
    bool m_keyRangeRead = false;
    QStringList m_fields;
    QHash<int, Window> m_windows;
    quint64 m_clock = 0;
    int m_statements = 0;
};

// The form in which the search boxes compare texts: lower case, accents
// removed, except that ö (ő) and ü (ű) stay letters of their own, as they are
// in the Hungarian alphabetical order: "kovac" finds "Kovács", "kö" finds
// "Köves" and not "Kovács".
QString searchFold(const QString& text);

// The texts a prefix search seeks in the Hungarian order for a typed text:
// the text folded, and, when it ends in a doubled letter that may begin a
// doubled double letter ("ass" of "asszony"), also completed to it. Every row
// whose folded field starts with the folded text sorts at or after one of
// them, in a run of such rows that starts there.
QStringList prefixSeekTexts(const QString& text);

} // namespace orvix
