#include "invoicing/PagedQuery.h"

#include "common/Database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace orvix {

namespace {

constexpr int kMaxWindows = 96;
const QString kKeyAlias = QStringLiteral("orvix_key");
const QString kOrderAlias = QStringLiteral("orvix_order");
const QString kNullAlias = QStringLiteral("orvix_null");

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

int compareValues(const QVariant& a, const QVariant& b) {
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return compareHungarian(a.toString(), b.toString());
}

// A text value read from a row, bound again as a parameter, must stay a text:
// an empty text must not turn into a null one (which binds as NULL).
QVariant bindable(const QVariant& v) {
    if (v.typeId() == QMetaType::QString && v.toString().isNull())
        return QVariant(QStringLiteral(""));
    return v;
}

// LIKE pattern matching texts that start with the given one ('!' escapes).
QString likePrefix(const QString& text) {
    QString p;
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'!')
            p += QLatin1Char('!');
        p += c;
    }
    return p + QLatin1Char('%');
}

} // namespace

QString searchFold(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar qc : text) {
        const char32_t lower = QChar::toLower(char32_t(qc.unicode()));
        switch (lower) {
        case U'ö':
        case U'ő':
        case U'õ':
            out += QChar(u'ö');
            continue;
        case U'ü':
        case U'ű':
        case U'û':
            out += QChar(u'ü');
            continue;
        default:
            break;
        }
        if (lower < 0x80) {
            out += QChar(char16_t(lower));
            continue;
        }
        const QString d = QChar::decomposition(lower);
        if (d.size() >= 2 && d.at(0) >= u'a' && d.at(0) <= u'z')
            out += d.at(0);
        else
            out += QChar(char16_t(lower));
    }
    return out;
}

QStringList prefixSeekTexts(const QString& text) {
    const QString folded = searchFold(text);
    QStringList texts{folded};
    // "ass" may be the start of "assz" (sz doubled), which sorts among the sz
    // words, away from "assa".
    static const char* const doubles[] = {"cs", "dz", "dzs", "gy", "ly", "ny", "sz", "ty", "zs"};
    for (const char* d : doubles) {
        const QString letter = QLatin1String(d);
        for (int len = 1; len < letter.size(); ++len) {
            const QString tail = letter.left(1) + letter.left(len);
            if (folded.endsWith(tail))
                texts << folded + letter.mid(len);
        }
    }
    return texts;
}

QString PagedSource::computedExpression(const QString& column) const {
    for (const auto& [name, expression] : computed)
        if (name.compare(column, Qt::CaseInsensitive) == 0)
            return expression;
    return {};
}

PagedQuery::PagedQuery(Database& db, PagedSource source, int windowSize)
    : m_db(db), m_source(std::move(source)), m_windowSize(std::max(windowSize, 1)) {}

void PagedQuery::setOrder(const QString& field, bool descending) {
    m_orderField = field.compare(m_source.key, Qt::CaseInsensitive) == 0 ? QString() : field;
    m_desc = descending;
    invalidate();
}

void PagedQuery::invalidate() {
    m_windows.clear();
    m_counted = false;
    m_keyRangeRead = false;
}

QString PagedQuery::qualified(const QString& field) const {
    return m_source.table + QLatin1Char('.') + field;
}
QString PagedQuery::keyExpr() const {
    return qualified(m_source.key);
}
QString PagedQuery::orderExpr() const {
    if (keyOnly())
        return keyExpr();
    const QString computed = m_source.computedExpression(m_orderField);
    return computed.isEmpty() ? qualified(m_orderField) : QLatin1Char('(') + computed + QLatin1Char(')');
}

std::vector<PagedQuery::Segment> PagedQuery::segments() const {
    if (keyOnly())
        return {Segment::All};
    if (m_desc)
        return {Segment::Values, Segment::Nulls};
    return {Segment::Nulls, Segment::Values};
}

PagedQuery::Segment PagedQuery::segmentOf(const Anchor& a) const {
    if (keyOnly())
        return Segment::All;
    return a.order.isNull() ? Segment::Nulls : Segment::Values;
}

QString PagedQuery::segmentCondition(Segment s) const {
    switch (s) {
    case Segment::All:
        return {};
    case Segment::Nulls:
        return orderExpr() + QStringLiteral(" IS NULL");
    case Segment::Values:
        return orderExpr() + QStringLiteral(" IS NOT NULL");
    }
    return {};
}

QString PagedQuery::where(const QStringList& conditions) const {
    QStringList all;
    if (!m_source.filter.isEmpty())
        all << QLatin1Char('(') + m_source.filter + QLatin1Char(')');
    for (const QString& c : conditions)
        if (!c.isEmpty())
            all << c;
    return all.isEmpty() ? QString() : QStringLiteral(" WHERE ") + all.join(QStringLiteral(" AND "));
}

qint64 PagedQuery::count(const QStringList& conditions, const QVariantList& params) {
    ++m_statements;
    return m_db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ") + m_source.table + where(conditions), 0,
                         params);
}

void PagedQuery::ensureCounts() {
    if (m_counted)
        return;
    m_total = int(count({}, {}));
    m_nulls = keyOnly() ? 0 : int(count({segmentCondition(Segment::Nulls)}, {}));
    m_counted = true;
}

int PagedQuery::rowCount() {
    ensureCounts();
    return m_total;
}

int PagedQuery::segmentSize(Segment s) {
    ensureCounts();
    switch (s) {
    case Segment::All:
        return m_total;
    case Segment::Nulls:
        return m_nulls;
    case Segment::Values:
        return m_total - m_nulls;
    }
    return 0;
}

int PagedQuery::segmentStart(Segment s) {
    int start = 0;
    for (Segment seg : segments()) {
        if (seg == s)
            break;
        start += segmentSize(seg);
    }
    return start;
}

QStringList PagedQuery::fieldNames() {
    if (m_fields.isEmpty()) {
        ++m_statements;
        QSqlQuery q =
            m_db.select(QStringLiteral("SELECT ") + m_source.columns + QStringLiteral(" FROM ") +
                        m_source.table + QLatin1Char(' ') + m_source.joins + QStringLiteral(" WHERE 1=0"));
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i)
            m_fields << rec.fieldName(i);
    }
    return m_fields;
}

int PagedQuery::fieldIndex(const QString& name) {
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVector<PagedRow> PagedQuery::select(const QStringList& conditions, const QString& orderBy, int limit,
                                     const QVariantList& params) {
    QVector<PagedRow> rows;
    if (limit <= 0)
        return rows;
    QString sql = QStringLiteral("SELECT ") + m_source.columns + QStringLiteral(", ") + keyExpr() +
                  QStringLiteral(" AS ") + kKeyAlias;
    if (!keyOnly())
        sql += QStringLiteral(", ") + orderExpr() + QStringLiteral(" AS ") + kOrderAlias;
    sql += QStringLiteral(" FROM ") + m_source.table;
    if (!m_source.joins.isEmpty())
        sql += QLatin1Char(' ') + m_source.joins;
    sql += where(conditions) + QStringLiteral(" ORDER BY ") + orderBy + QStringLiteral(" LIMIT ") +
           QString::number(limit);
    ++m_statements;
    QSqlQuery q = m_db.select(sql, params);
    const QSqlRecord rec = q.record();
    const int hidden = keyOnly() ? 1 : 2;
    const int visible = rec.count() - hidden;
    if (m_fields.isEmpty())
        for (int i = 0; i < visible; ++i)
            m_fields << rec.fieldName(i);
    rows.reserve(limit);
    while (q.next()) {
        PagedRow r;
        r.values.resize(visible);
        for (int i = 0; i < visible; ++i)
            r.values[i] = q.value(i);
        r.key = q.value(visible);
        r.order = keyOnly() ? r.key : q.value(visible + 1);
        rows.append(std::move(r));
    }
    return rows;
}

QVector<PagedRow> PagedQuery::scanSegment(Segment seg, const std::optional<Anchor>& anchor, bool inclusive,
                                          bool forward, int n) {
    if (n <= 0)
        return {};
    const bool desc = forward ? m_desc : !m_desc;
    const QString dir = desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    const QString after = desc ? QStringLiteral(" < ?") : QStringLiteral(" > ?");
    const QString afterOrAt = desc ? QStringLiteral(" <= ?") : QStringLiteral(" >= ?");
    const QString keyAfter = keyExpr() + (inclusive ? afterOrAt : after);
    const QString byKey = keyExpr() + dir;
    switch (seg) {
    case Segment::All:
        if (anchor)
            return select({keyAfter}, byKey, n, {bindable(anchor->key)});
        return select({}, byKey, n, {});
    case Segment::Nulls:
        if (anchor)
            return select({segmentCondition(seg), keyAfter}, byKey, n, {bindable(anchor->key)});
        return select({segmentCondition(seg)}, byKey, n, {});
    case Segment::Values: {
        const QString byOrder = orderExpr() + dir + QStringLiteral(", ") + byKey;
        if (!anchor)
            return select({segmentCondition(seg)}, byOrder, n, {});
        // The rest of the anchor's run of equal values, then the values beyond.
        QVector<PagedRow> rows = select({orderExpr() + QStringLiteral(" = ?"), keyAfter}, byKey, n,
                                        {bindable(anchor->order), bindable(anchor->key)});
        if (rows.size() < n)
            rows += select({orderExpr() + after}, byOrder, n - int(rows.size()), {bindable(anchor->order)});
        return rows;
    }
    }
    return {};
}

QVector<PagedRow> PagedQuery::scan(const std::optional<Anchor>& anchor, bool inclusive, bool forward, int n) {
    std::vector<Segment> segs = segments();
    if (!forward)
        std::reverse(segs.begin(), segs.end());
    size_t first = 0;
    if (anchor)
        first = size_t(std::find(segs.begin(), segs.end(), segmentOf(*anchor)) - segs.begin());
    QVector<PagedRow> rows;
    for (size_t i = first; i < segs.size() && rows.size() < n; ++i)
        rows += scanSegment(segs[i], i == first ? anchor : std::nullopt, inclusive, forward,
                            n - int(rows.size()));
    return rows;
}

// Whether fewer rows have a smaller key than this one than a larger key, as
// the spread of whole-number keys between the smallest and the largest
// suggests; false for other keys.
bool PagedQuery::fewerKeysBelow(const QVariant& key) {
    if (!m_keyRangeRead) {
        m_keyRange.reset();
        m_statements += 2;
        const QString from = QStringLiteral(" FROM ") + m_source.table + where({});
        const QVariant low = m_db.queryValue(QStringLiteral("SELECT MIN(") + keyExpr() + QLatin1Char(')') + from);
        const QVariant high = m_db.queryValue(QStringLiteral("SELECT MAX(") + keyExpr() + QLatin1Char(')') + from);
        if (isNumber(low) && isNumber(high))
            m_keyRange = std::make_pair(low.toDouble(), high.toDouble());
        m_keyRangeRead = true;
    }
    if (!m_keyRange || !isNumber(key))
        return false;
    const double k = key.toDouble();
    return k - m_keyRange->first < m_keyRange->second - k;
}

int PagedQuery::positionOf(const Anchor& a) {
    const Segment seg = segmentOf(a);
    const int size = segmentSize(seg);
    // A count costs a step per row it counts, and a comparison per row
    // when the range has an upper end: the counts below are open at their
    // upper end, except on the key where the smaller side is cheaper still.
    const QVariant key = bindable(a.key);
    const QVariant order = bindable(a.order);
    qint64 before = 0;
    switch (seg) {
    case Segment::All: {
        // Either side of the key gives its place; the smaller one is counted
        // (a jump to the oldest document counts one row, not all the others).
        const bool below = fewerKeysBelow(a.key);
        if (m_desc)
            before = below ? size - count({keyExpr() + QStringLiteral(" <= ?")}, {key})
                           : count({keyExpr() + QStringLiteral(" > ?")}, {key});
        else
            before = below ? count({keyExpr() + QStringLiteral(" < ?")}, {key})
                           : size - count({keyExpr() + QStringLiteral(" >= ?")}, {key});
        break;
    }
    case Segment::Nulls:
        before = count(
            {segmentCondition(seg), keyExpr() + (m_desc ? QStringLiteral(" > ?") : QStringLiteral(" < ?"))},
            {key});
        break;
    case Segment::Values: {
        const qint64 greater = count({orderExpr() + QStringLiteral(" > ?")}, {order});
        if (m_desc)
            before =
                greater + count({orderExpr() + QStringLiteral(" = ?"), keyExpr() + QStringLiteral(" > ?")},
                                {order, key});
        else
            before = size - greater -
                     count({orderExpr() + QStringLiteral(" = ?"), keyExpr() + QStringLiteral(" >= ?")},
                           {order, key});
        break;
    }
    }
    return segmentStart(seg) + int(before);
}

std::optional<PagedQuery::Anchor> PagedQuery::anchorAt(int position) {
    int start = 0;
    for (Segment seg : segments()) {
        const int size = segmentSize(seg);
        if (position >= start + size) {
            start += size;
            continue;
        }
        const int offset = position - start;
        // From whichever end of the segment is nearer.
        const bool fromEnd = offset > size / 2;
        const bool desc = fromEnd ? !m_desc : m_desc;
        const QString dir = desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
        QString order = keyExpr() + dir;
        if (seg == Segment::Values)
            order = orderExpr() + dir + QStringLiteral(", ") + order;
        QString sql = QStringLiteral("SELECT ") + keyExpr() + QStringLiteral(", ") + orderExpr() +
                      QStringLiteral(" FROM ") + m_source.table + where({segmentCondition(seg)}) +
                      QStringLiteral(" ORDER BY ") + order + QStringLiteral(" LIMIT 1 OFFSET ") +
                      QString::number(fromEnd ? size - 1 - offset : offset);
        ++m_statements;
        QSqlQuery q = m_db.select(sql);
        if (!q.next())
            return std::nullopt;
        return Anchor{keyOnly() ? q.value(0) : q.value(1), q.value(0)};
    }
    return std::nullopt;
}

std::optional<PagedQuery::Anchor> PagedQuery::anchorOfKey(const QVariant& key) {
    ++m_statements;
    QSqlQuery q = m_db.select(QStringLiteral("SELECT ") + keyExpr() + QStringLiteral(", ") + orderExpr() +
                                  QStringLiteral(" FROM ") + m_source.table +
                                  where({keyExpr() + QStringLiteral(" = ?")}),
                              {bindable(key)});
    if (!q.next())
        return std::nullopt;
    return Anchor{keyOnly() ? q.value(0) : q.value(1), q.value(0)};
}

int PagedQuery::place(const Anchor& a) {
    const int position = positionOf(a);
    const int index = position / m_windowSize;
    const int start = index * m_windowSize;
    auto it = m_windows.find(index);
    if (it != m_windows.end()) {
        const int at = position - start;
        if (at < it->rows.size() && compareValues(it->rows.at(at).key, a.key) == 0) {
            it->used = ++m_clock;
            return position;
        }
        m_windows.erase(it);
    }
    const int end = std::min(start + m_windowSize, rowCount());
    QVector<PagedRow> before = scan(a, false, false, position - start);
    std::reverse(before.begin(), before.end());
    before += scan(a, true, true, end - position);
    store(index, std::move(before));
    return position;
}

int PagedQuery::orderCompare(const Anchor& a, const Anchor& b) const {
    int c = 0;
    if (a.order.isNull() != b.order.isNull())
        c = a.order.isNull() ? -1 : 1;
    else if (!a.order.isNull())
        c = compareValues(a.order, b.order);
    if (c == 0)
        c = compareValues(a.key, b.key);
    return m_desc ? -c : c;
}

void PagedQuery::store(int index, QVector<PagedRow> rows) {
    Window w;
    w.rows = std::move(rows);
    w.used = ++m_clock;
    m_windows.insert(index, std::move(w));
    evict();
}

void PagedQuery::evict() {
    while (m_windows.size() > kMaxWindows) {
        auto oldest = m_windows.begin();
        for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
            if (it->used < oldest->used)
                oldest = it;
        m_windows.erase(oldest);
    }
}

PagedQuery::Window* PagedQuery::window(int index) {
    auto it = m_windows.find(index);
    if (it != m_windows.end()) {
        it->used = ++m_clock;
        return &*it;
    }
    const int total = rowCount();
    const int start = index * m_windowSize;
    const int end = std::min(start + m_windowSize, total);
    const int n = end - start;
    QVector<PagedRow> rows;
    const auto prev = m_windows.constFind(index - 1);
    const auto next = m_windows.constFind(index + 1);
    if (index == 0) {
        rows = scan(std::nullopt, false, true, n);
    } else if (prev != m_windows.constEnd() && prev->rows.size() == m_windowSize) {
        const PagedRow& last = prev->rows.constLast();
        rows = scan(Anchor{last.order, last.key}, false, true, n);
    } else if (next != m_windows.constEnd() && !next->rows.isEmpty()) {
        const PagedRow& first = next->rows.constFirst();
        rows = scan(Anchor{first.order, first.key}, false, false, n);
        std::reverse(rows.begin(), rows.end());
    } else if (end == total) {
        rows = scan(std::nullopt, false, false, n);
        std::reverse(rows.begin(), rows.end());
    } else if (const auto a = anchorAt(start)) {
        rows = scan(*a, true, true, n);
    }
    store(index, std::move(rows));
    return &*m_windows.find(index);
}

const PagedRow* PagedQuery::row(int position) {
    if (position < 0 || position >= rowCount())
        return nullptr;
    const int index = position / m_windowSize;
    const Window* w = window(index);
    const int at = position - index * m_windowSize;
    return at < w->rows.size() ? &w->rows.at(at) : nullptr;
}

int PagedQuery::positionOfKey(const QVariant& key) {
    if (key.isNull())
        return -1;
    const auto a = anchorOfKey(key);
    return a ? place(*a) : -1;
}

int PagedQuery::findEqual(const QVariant& value) {
    const QString dir = m_desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    ++m_statements;
    QSqlQuery q = m_db.select(QStringLiteral("SELECT ") + keyExpr() + QStringLiteral(", ") + orderExpr() +
                                  QStringLiteral(" FROM ") + m_source.table +
                                  where({orderExpr() + QStringLiteral(" = ?")}) +
                                  QStringLiteral(" ORDER BY ") + orderExpr() + dir + QStringLiteral(", ") +
                                  keyExpr() + dir + QStringLiteral(" LIMIT 1"),
                              {value});
    if (!q.next())
        return -1;
    return place(Anchor{keyOnly() ? q.value(0) : q.value(1), q.value(0)});
}

int PagedQuery::findPrefix(const QString& text) {
    if (text.isEmpty())
        return rowCount() > 0 ? 0 : -1;
    const QString folded = searchFold(text);
    const QString select = QStringLiteral("SELECT ") + keyExpr() + QStringLiteral(", ") + orderExpr() +
                           QStringLiteral(" FROM ") + m_source.table;
    const auto matches = [&folded](const QVariant& v) { return searchFold(v.toString()).startsWith(folded); };
    std::optional<Anchor> best;
    if (!m_desc) {
        // Each seek lands on the start of a run of matching rows, or past
        // every row of its run; the earliest landing that matches wins.
        const QString sql = select + where({orderExpr() + QStringLiteral(" >= ?")}) +
                            QStringLiteral(" ORDER BY ") + orderExpr() + QStringLiteral(" ASC, ") +
                            keyExpr() + QStringLiteral(" ASC LIMIT 1");
        for (const QString& seek : prefixSeekTexts(text)) {
            ++m_statements;
            QSqlQuery q = m_db.select(sql, {seek});
            if (!q.next())
                continue;
            const Anchor a{keyOnly() ? q.value(0) : q.value(1), q.value(0)};
            if (matches(a.order) && (!best || orderCompare(a, *best) < 0))
                best = a;
        }
    } else {
        // Against the index order: the engine's LIKE (which also takes ö for
        // o) walks the order, and the first row that matches here wins.
        ++m_statements;
        QSqlQuery q = m_db.select(select + where({orderExpr() + QStringLiteral(" LIKE ? ESCAPE '!'")}) +
                                      QStringLiteral(" ORDER BY ") + orderExpr() + QStringLiteral(" DESC, ") +
                                      keyExpr() + QStringLiteral(" DESC"),
                                  {likePrefix(text)});
        while (!best && q.next())
            if (matches(keyOnly() ? q.value(0) : q.value(1)))
                best = Anchor{keyOnly() ? q.value(0) : q.value(1), q.value(0)};
    }
    return best ? place(*best) : -1;
}

} // namespace orvix
