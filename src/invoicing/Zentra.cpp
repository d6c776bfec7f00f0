#include "invoicing/Zentra.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "core/TextUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

namespace orvix {

namespace {

// Paradox dates count days from 1 January of year 1; pxlib's day numbers
// (Julian day numbers) are that plus this.
constexpr long kParadoxDayOffset = 1721425;

void collectError(pxdoc_t*, int level, const char* msg, void* data) {
    if (level == PX_Warning || !data)
        return;
    auto* errors = static_cast<QStringList*>(data);
    errors->append(QString::fromLocal8Bit(msg));
}

// One open Paradox table, closed (and its lock released) on destruction.
class ParadoxTable {
public:
    ParadoxTable(const QString& file, bool write) : m_file(file) {
        m_fp = std::fopen(QFile::encodeName(file).constData(), write ? "rb+" : "rb");
        if (!m_fp)
            throw ZentraError(QStringLiteral("A(z) %1 tábla nem nyitható meg: %2")
                                  .arg(QDir::toNativeSeparators(file), QString::fromLocal8Bit(std::strerror(errno))));
        if (write && flock(fileno(m_fp), LOCK_EX) != 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            std::fclose(m_fp);
            throw ZentraError(
                QStringLiteral("A(z) %1 tábla nem zárolható: %2").arg(QDir::toNativeSeparators(file), reason));
        }
        m_px = PX_new3(collectError, nullptr, nullptr, nullptr, &m_errors);
        if (!m_px || PX_open_fp(m_px, m_fp) < 0) {
            const QString reason = failure();
            close();
            throw ZentraError(QStringLiteral("A(z) %1 nem Paradox tábla: %2")
                                  .arg(QDir::toNativeSeparators(file), reason));
        }
        // Text goes in and comes out as UTF-8; pxlib converts it from and to
        // the code page the table's header names.
        PX_set_inputencoding(m_px, "UTF-8");
        PX_set_targetencoding(m_px, "UTF-8");
    }
    ~ParadoxTable() { close(); }
    ParadoxTable(const ParadoxTable&) = delete;
    ParadoxTable& operator=(const ParadoxTable&) = delete;

    pxdoc_t* px() const { return m_px; }
    int fieldCount() const { return PX_get_num_fields(m_px); }
    int recordCount() const { return PX_get_num_records(m_px); }
    pxfield_t* field(int i) const { return PX_get_field(m_px, i); }
    QString fieldName(int i) const { return QString::fromLatin1(field(i)->px_fname).toLower(); }

    QString failure() const {
        return m_errors.isEmpty() ? QStringLiteral("ismeretlen hiba") : m_errors.join(QStringLiteral("; "));
    }

    QVariantMap row(int recno) {
        pxval_t** values = PX_retrieve_record(m_px, recno);
        if (!values)
            throw ZentraError(QStringLiteral("A(z) %1 tábla %2. sora nem olvasható: %3")
                                  .arg(QDir::toNativeSeparators(m_file))
                                  .arg(recno + 1)
                                  .arg(failure()));
        QVariantMap out;
        const int n = fieldCount();
        for (int i = 0; i < n; ++i) {
            pxval_t* v = values[i];
            QVariant value;
            if (!v->isnull) {
                switch (v->type) {
                case pxfAlpha:
                case pxfMemoBLOb:
                case pxfFmtMemoBLOb:
                case pxfBCD:
                    value = QString::fromUtf8(v->value.str.val, v->value.str.len);
                    break;
                case pxfDate: {
                    int y = 0, m = 0, d = 0;
                    PX_SdnToGregorian(v->value.lval + kParadoxDayOffset, &y, &m, &d);
                    // An empty date comes back as no day at all.
                    if (v->value.lval > 0 && QDate(y, m, d).isValid())
                        value = QDate(y, m, d);
                    break;
                }
                case pxfShort:
                case pxfLong:
                case pxfAutoInc:
                case pxfLogical:
                case pxfTime:
                    value = qint64(v->value.lval);
                    break;
                case pxfNumber:
                case pxfCurrency:
                case pxfTimestamp:
                    value = v->value.dval;
                    break;
                default:
                    break;
                }
            }
            out.insert(fieldName(i), value);
            if ((v->type == pxfAlpha || v->type == pxfMemoBLOb || v->type == pxfFmtMemoBLOb ||
                 v->type == pxfBCD || v->type == pxfBytes || v->type == pxfBLOb || v->type == pxfOLE ||
                 v->type == pxfGraphic) &&
                !v->isnull && v->value.str.val)
                m_px->free(m_px, v->value.str.val);
            m_px->free(m_px, v);
        }
        m_px->free(m_px, values);
        return out;
    }

private:
    void close() {
        if (m_px) {
            PX_close(m_px);
            PX_delete(m_px);
            m_px = nullptr;
        }
        if (m_fp) {
            std::fflush(m_fp);
            fsync(fileno(m_fp));
            std::fclose(m_fp); // releases the lock
            m_fp = nullptr;
        }
    }

    QString m_file;
    FILE* m_fp = nullptr;
    pxdoc_t* m_px = nullptr;
    QStringList m_errors;
};

// The text of a field as the table can hold it: cut to the field's width in
// the table's code page (a character takes one byte there).
QByteArray fieldText(const QString& text, int width) {
    return text.left(width).toUtf8();
}

double readEvaszorzo(const QString& folder) {
    const QString file = ParadoxTableFile(folder, QStringLiteral("beallit"));
    if (file.isEmpty())
        throw ZentraError(QStringLiteral("A Zentra adatbázisban nincs beallit tábla (%1).")
                              .arg(QDir::toNativeSeparators(folder)));
    ParadoxTable table(file, false);
    if (table.recordCount() < 1)
        return 0;
    const QVariant v = table.row(0).value(QStringLiteral("evaszorzo"));
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::QString)
        return varFloat(v, 0);
    const double d = v.toDouble();
    return std::isfinite(d) ? d : 0;
}

qint64 appendIncome(const QString& folder, ZentraIncome income) {
    const QString file = ParadoxTableFile(folder, QStringLiteral("bevetel"));
    if (file.isEmpty())
        throw ZentraError(QStringLiteral("A Zentra adatbázisban nincs bevetel tábla (%1).")
                              .arg(QDir::toNativeSeparators(folder)));
    ParadoxTable table(file, true);
    const int n = table.fieldCount();
    int keyField = -1;
    for (int i = 0; i < n; ++i)
        if (table.fieldName(i) == QLatin1String("bevetel"))
            keyField = i;
    if (keyField < 0)
        throw ZentraError(QStringLiteral("A Zentra bevetel táblájában nincs bevetel mező."));
    // The highest key under the lock: the last row in key order.
    qint64 last = 0;
    const int rows = table.recordCount();
    for (int r = 0; r < rows; ++r) {
        const QVariant v = table.row(r).value(QStringLiteral("bevetel"));
        if (v.isValid() && !v.isNull())
            last = std::max<qint64>(last, qint64(std::llround(v.toDouble())));
    }
    income.key = last + 1;

    // Every field empty but the ones the feed writes.
    std::vector<pxval_t> values(static_cast<size_t>(n));
    std::vector<pxval_t*> pointers(static_cast<size_t>(n));
    std::vector<QByteArray> texts(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        pxval_t& v = values[size_t(i)];
        std::memset(&v, 0, sizeof v);
        v.isnull = 1;
        v.type = table.field(i)->px_ftype;
        pointers[size_t(i)] = &v;
    }
    const auto setText = [&](const char* name, const QString& text) {
        for (int i = 0; i < n; ++i)
            if (table.fieldName(i) == QLatin1String(name)) {
                pxval_t& v = values[size_t(i)];
                if (v.type != pxfAlpha)
                    throw ZentraError(QStringLiteral("A Zentra bevetel táblájának %1 mezője nem szöveg.")
                                          .arg(QLatin1String(name)));
                texts[size_t(i)] = fieldText(text, table.field(i)->px_flen);
                v.isnull = texts[size_t(i)].isEmpty() ? 1 : 0;
                v.value.str.val = texts[size_t(i)].data();
                v.value.str.len = int(texts[size_t(i)].size());
            }
    };
    const auto setNumber = [&](const char* name, double number) {
        for (int i = 0; i < n; ++i)
            if (table.fieldName(i) == QLatin1String(name)) {
                pxval_t& v = values[size_t(i)];
                v.isnull = 0;
                switch (v.type) {
                case pxfNumber:
                case pxfCurrency:
                    v.value.dval = number;
                    break;
                case pxfShort:
                case pxfLong:
                case pxfAutoInc:
                    v.value.lval = long(std::llround(number));
                    break;
                default:
                    throw ZentraError(QStringLiteral("A Zentra bevetel táblájának %1 mezője nem szám.")
                                          .arg(QLatin1String(name)));
                }
            }
    };
    const auto setDate = [&](const char* name, const QDate& date) {
        for (int i = 0; i < n; ++i)
            if (table.fieldName(i) == QLatin1String(name)) {
                pxval_t& v = values[size_t(i)];
                if (v.type != pxfDate)
                    throw ZentraError(QStringLiteral("A Zentra bevetel táblájának %1 mezője nem dátum.")
                                          .arg(QLatin1String(name)));
                if (!date.isValid())
                    continue;
                v.isnull = 0;
                v.value.lval = PX_GregorianToSdn(date.year(), date.month(), date.day()) - kParadoxDayOffset;
            }
    };
    setNumber("bevetel", double(income.key));
    setText("idoszak", income.idoszak);
    setText("negyedev", income.negyedev);
    setDate("datum", income.datum);
    setText("bizonylat", income.bizonylat);
    setText("leiras", income.leiras);
    setNumber("osszeg", income.osszeg);
    setNumber("novelo", income.novelo);
    setNumber("csokkento", income.csokkento);
    setNumber("adoalap", income.adoalap);
    setNumber("adoeloleg", income.adoeloleg);
    setText("lezarva", income.lezarva);
    if (PX_insert_record(table.px(), pointers.data()) < 0)
        throw ZentraError(QStringLiteral("A bevetel tábla sora nem írható: %1").arg(table.failure()));
    return income.key;
}

} // namespace

bool IsZentraKind(const QString& kind) {
    return kind == QLatin1String("J") || kind == QLatin1String("M") || kind == QLatin1String("S") ||
           kind == QLatin1String("W");
}

ZentraIncome ZentraIncomeFor(Database& db, const Settings& settings, qint64 document, double evaszorzo) {
    QSqlQuery q = db.select(QStringLiteral("SELECT dat_szallhat, dat_kiadva, szlaszam, prntip, brutto FROM szla "
                                           "WHERE szla=?;"),
                            {document});
    if (!q.next())
        throw ZentraError(QStringLiteral("Nem létező bizonylat: %1").arg(document));
    const QDate issued = QDate::fromString(q.value(1).toString().left(10), Qt::ISODate);
    QDate performed = QDate::fromString(q.value(0).toString().left(10), Qt::ISODate);
    if (!performed.isValid())
        performed = issued; // a document without a performance date belongs to its issue month
    const double gross = q.value(4).toDouble();
    ZentraIncome r;
    if (performed.isValid()) {
        r.idoszak = performed.toString(QStringLiteral("yyyyMM"));
        r.negyedev = r.idoszak.left(4) + QString::number((performed.month() - 1) / 3 + 1);
    }
    r.datum = issued;
    r.bizonylat = settings.szlabetu + zeroPad(q.value(2).toLongLong(), 5) + q.value(3).toString().trimmed();
    r.leiras = kZentraIncomeText;
    r.osszeg = gross;
    r.adoalap = gross;
    r.adoeloleg = gross * (evaszorzo / 100.0);
    r.lezarva = QStringLiteral("N");
    return r;
}

qint64 FeedZentra(Database& db, const Settings& settings, qint64 document, const QString& folder) {
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        throw ZentraError(QStringLiteral("Nem létező Zentra adatbázis"));
    const double evaszorzo = readEvaszorzo(folder);
    return appendIncome(folder, ZentraIncomeFor(db, settings, document, evaszorzo));
}

QString ParadoxTableFile(const QString& folder, const QString& table) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files))
        if (name.compare(table + QStringLiteral(".db"), Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    return {};
}

std::vector<QVariantMap> ReadParadoxTable(const QString& file) {
    ParadoxTable table(file, false);
    std::vector<QVariantMap> rows;
    const int n = table.recordCount();
    for (int r = 0; r < n; ++r)
        rows.push_back(table.row(r));
    return rows;
}

} // namespace orvix
