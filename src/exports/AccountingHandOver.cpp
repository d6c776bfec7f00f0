#include "exports/AccountingHandOver.h"

#include "common/Codepage.h"
#include "common/Database.h"
#include "core/Dialogs.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <shapefil.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace orvix {

namespace {


// dBase language driver ids of the header (byte 29).
constexpr int kLdidCp852 = 0x64;
constexpr int kLdidCp1250 = 0xC8;

// The table's file in the folder, its name compared without regard to case
// (the receiving programs come from systems where case does not count).
QString findTable(const QString& folder, const QString& name) {
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(entry);
    return {};
}

QString exportFolder(const QString& folder) {
    if (folder.trimmed().isEmpty())
        throw HandOverError(QStringLiteral("Nincs megadva az export adatbázis útvonala."));
    if (!QFileInfo(folder).isDir())
        throw HandOverError(QStringLiteral("Nem létező export mappa: %1").arg(QDir::toNativeSeparators(folder)));
    return folder;
}

struct DbfCloser {
    void operator()(DBFInfo* h) const {
        if (h)
            DBFClose(h);
    }
};
using DbfPtr = std::unique_ptr<DBFInfo, DbfCloser>;

// One import table of the folder: its layout read from the supplied file,
// its rows written into a fresh copy under a temporary name; install()
// renames the copy over the original.
class ImportTable {
public:
    ImportTable(const QString& folder, const QString& name, const QStringList& required) : m_name(name) {
        m_path = findTable(folder, name);
        if (m_path.isEmpty())
            throw HandOverError(QStringLiteral("A(z) %1 tábla nem található a(z) %2 mappában.")
                                    .arg(name, QDir::toNativeSeparators(folder)));
        DbfPtr source(DBFOpen(QFile::encodeName(m_path).constData(), "rb"));
        if (!source || DBFGetFieldCount(source.get()) <= 0)
            throw HandOverError(QStringLiteral("A(z) %1 tábla nem nyitható meg (nem dBase tábla).")
                                    .arg(QDir::toNativeSeparators(m_path)));
        for (int i = 0; i < DBFGetFieldCount(source.get()); ++i) {
            char fieldName[XBASE_FLDNAME_LEN_READ + 1] = {};
            Field f;
            DBFGetFieldInfo(source.get(), i, fieldName, &f.width, &f.decimals);
            f.type = DBFGetNativeFieldType(source.get(), i);
            f.index = i;
            m_fields.insert(QString::fromLatin1(fieldName).trimmed().toUpper(), f);
        }
        for (const QString& r : required)
            if (!m_fields.contains(r))
                throw HandOverError(QStringLiteral("A(z) %1 táblában nincs %2 mező.").arg(name, r));
        m_codepage = codepageOf(source.get());
        const QFileInfo info(m_path);
        m_temp = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".orvixtmp.dbf");
        QFile::remove(m_temp); // left by a run that was stopped
        m_out.reset(DBFCloneEmpty(source.get(), QFile::encodeName(m_temp).constData()));
        if (!m_out)
            throw HandOverError(QStringLiteral("A(z) %1 fájl nem írható.").arg(QDir::toNativeSeparators(m_temp)));
        // A code page file of the copy would sit beside the original's own.
        QFile::remove(info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".orvixtmp.cpg"));
    }

    ~ImportTable() {
        m_out.reset();
        if (!m_installed)
            QFile::remove(m_temp);
    }

    // Fields that carry a code: a value longer than the field is refused
    // instead of cut, as a cut code names another customer or document.
    void setStrict(const QStringList& fields) { m_strict = QSet<QString>(fields.begin(), fields.end()); }

    // Appends one row; fields not named stay empty.
    void append(const QList<std::pair<QString, QVariant>>& values) {
        const int row = DBFGetRecordCount(m_out.get());
        for (const auto& [name, value] : values) {
            const auto it = m_fields.constFind(name);
            if (it == m_fields.constEnd())
                continue;
            if (!write(row, name, *it, value))
                throw HandOverError(QStringLiteral("A(z) %1 tábla %2 mezője nem írható: %3")
                                        .arg(m_name, name, value.toString()));
        }
        if (DBFGetRecordCount(m_out.get()) == row) // a row of empty fields only
            DBFWriteNULLAttribute(m_out.get(), row, 0);
    }

    // Closes the copy; throws when it could not be completed.
    void finish() {
        const int rows = DBFGetRecordCount(m_out.get());
        m_out.reset();
        DbfPtr check(DBFOpen(QFile::encodeName(m_temp).constData(), "rb"));
        if (!check || DBFGetRecordCount(check.get()) != rows)
            throw HandOverError(QStringLiteral("A(z) %1 fájl írása nem sikerült.").arg(QDir::toNativeSeparators(m_temp)));
    }

    void install() {
        if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_path).constData()) != 0)
            throw HandOverError(QStringLiteral("A(z) %1 tábla nem cserélhető le (a fájlt más program használja?).")
                                    .arg(QDir::toNativeSeparators(m_path)));
        m_installed = true;
    }

private:
    struct Field {
        char type = 'C';
        int width = 0;
        int decimals = 0;
        int index = 0;
    };

    static Codepage codepageOf(DBFInfo* h) {
        if (h->iLanguageDriver == kLdidCp1250)
            return Codepage::Cp1250;
        if (h->iLanguageDriver == kLdidCp852)
            return Codepage::Cp852;
        const QString cpg = QString::fromLatin1(DBFGetCodePage(h) ? DBFGetCodePage(h) : "");
        return cpg.contains(QLatin1String("1250")) ? Codepage::Cp1250 : Codepage::Cp852;
    }

    bool write(int row, const QString& name, const Field& f, const QVariant& value) {
        DBFInfo* h = m_out.get();
        if (!value.isValid() || value.isNull())
            return DBFWriteNULLAttribute(h, row, f.index);
        switch (f.type) {
        case 'N':
        case 'F': {
            bool ok = true;
            const double x = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                                  : value.toDouble(&ok);
            if (!ok)
                return false;
            const QString text = QString::number(x, 'f', f.decimals);
            if (text.size() > f.width)
                throw HandOverError(QStringLiteral("A(z) %1 érték nem fér el a(z) %2 tábla %3 mezőjében (%4 jegy).")
                                        .arg(text, m_name, name)
                                        .arg(f.width));
            return DBFWriteDoubleAttribute(h, row, f.index, x);
        }
        case 'D': {
            const QDate d = value.toDate();
            if (!d.isValid())
                return DBFWriteNULLAttribute(h, row, f.index);
            // shapelib's typed writers take a date field for a number: the
            // eight digits go in as they are.
            QByteArray digits = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
            return f.width == 8 && DBFWriteAttributeDirectly(h, row, f.index, digits.data());
        }
        case 'L':
            return DBFWriteLogicalAttribute(h, row, f.index, value.toBool() ? 'T' : 'F');
        default: {
            QString text = value.typeId() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 15)
                                                               : value.toString();
            if (text.size() > f.width) {
                if (m_strict.contains(name))
                    throw HandOverError(QStringLiteral("A(z) %1 érték nem fér el a(z) %2 tábla %3 mezőjében (%4 karakter).")
                                            .arg(text, m_name, name)
                                            .arg(f.width));
                text.truncate(f.width);
            }
            QByteArray bytes = encodeCodepage(text, m_codepage);
            bytes.truncate(f.width);
            return DBFWriteStringAttribute(h, row, f.index, bytes.constData());
        }
        }
    }

    QString m_name;
    QString m_path;
    QString m_temp;
    QHash<QString, Field> m_fields;
    QSet<QString> m_strict;
    Codepage m_codepage = Codepage::Cp852;
    DbfPtr m_out;
    bool m_installed = false;
};

QDate dateOf(const QVariant& v) {
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QString padded(const QVariant& v, int digits) {
    if (v.isNull())
        return {};
    return QStringLiteral("%1").arg(v.toLongLong(), digits, 10, QLatin1Char('0'));
}

QString documentLabel(const QSqlQuery& q, int kindColumn, int numberColumn) {
    return q.value(kindColumn).toString().trimmed() + q.value(numberColumn).toString();
}

// The documents not yet handed over, with their customer and payment method;
// a document whose customer or payment method is missing is added to
// skipped instead.
constexpr const char* kOpenDocuments = "(s.atadva IS NULL OR s.atadva = FALSE)";

QString skipReason(const QSqlQuery& q, int customerFound, int methodFound) {
    if (q.value(customerFound).isNull())
        return QStringLiteral("nincs ilyen vevő");
    if (q.value(methodFound).isNull())
        return QStringLiteral("nincs ilyen fizetési mód");
    return {};
}

// Marks the rows written and installs the tables, all or nothing: the flags
// are committed only after every table is in place, so a flag never marks a
// row that is not in the accounting program's table.
void install(Database& db, std::vector<ImportTable*> tables, const QList<qint64>& customers,
             const QList<qint64>& documents) {
    for (ImportTable* t : tables)
        t->finish();
    Database::Transaction tr(db);
    for (const qint64 key : customers)
        db.execSql(QStringLiteral("UPDATE ugyfel SET kuldve='I' WHERE ugyfel=?;"), {key});
    for (const qint64 key : documents)
        db.execSql(QStringLiteral("UPDATE szla SET atadva=? WHERE szla=?;"), {true, key});
    for (ImportTable* t : tables)
        t->install();
    tr.commit();
}

void report(const HandOverProgress& progress, const QString& step, int done, int total) {
    if (progress)
        progress(step, done, total);
}

} // namespace

double roundHalfEven(double x) {
    const double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5)
        return 2.0 * std::round(x / 2.0);
    return r;
}

int cashRoundingCorrection(double gross) {
    static const int byRemainder[] = {0, -1, -2, 2, 1};
    const double whole = roundHalfEven(std::fabs(gross));
    const int correction = byRemainder[int(std::fmod(whole, 5.0))];
    return gross < 0 ? -correction : correction;
}

void recomputeOpenDocumentBands(Database& db) {
    // Line amounts are per unit: a band's sum is amount × quantity.
    static const char* const bands[][2] = {{"netto0", "netto0"}, {"afa0", "afa0"},   {"netto1", "netto12"},
                                           {"afa1", "afa12"},    {"netto2", "netto25"}, {"afa2", "afa25"}};
    Database::Transaction tr(db);
    for (const auto& b : bands)
        db.execSql(QStringLiteral("UPDATE szla SET %1=(SELECT SUM(l.%2*l.db) FROM szla_sor l WHERE l.szla=szla.szla) "
                                  "WHERE atadva IS NULL OR atadva = FALSE;")
                       .arg(QLatin1String(b[0]), QLatin1String(b[1])));
    tr.commit();
}

HandOverResult exportForintSoft(Database& db, Dialogs& dialogs, const QString& folderText,
                                const HandOverProgress& progress) {
    const QString folder = exportFolder(folderText);
    ImportTable customers(folder, kFelvevo, {QStringLiteral("VSZ"), QStringLiteral("VSZNEV")});
    ImportTable documents(folder, kFelkisz,
                          {QStringLiteral("SZAMLA"), QStringLiteral("VSZ"), QStringLiteral("ALAP1"),
                           QStringLiteral("AFA1"), QStringLiteral("VEGOSSZ")});
    customers.setStrict({QStringLiteral("VSZ")});
    documents.setStrict({QStringLiteral("SZAMLA"), QStringLiteral("VSZ"), QStringLiteral("FIZMOD")});
    HandOverResult result;
    if (!dialogs.question(kCaptionConfirm, kHandOverQuestion)) {
        result.cancelled = true;
        return result;
    }

    QList<qint64> customerKeys;
    {
        const int total = int(db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE kuldve='N'"), 0));
        QSqlQuery q = db.select(QStringLiteral(
            "SELECT ugyfel, ugyfelkod, ugyfel_nev, szla_irsz, szla_varos, szla_cim, bankszamla, adoszam, "
            "kozadoszam, telefon FROM ugyfel WHERE kuldve='N' ORDER BY ugyfel"));
        while (q.next()) {
            customers.append({{QStringLiteral("VSZ"), padded(q.value(1), 5)},
                              {QStringLiteral("VSZNEV"), q.value(2)},
                              {QStringLiteral("IRSZAM"), q.value(3)},
                              {QStringLiteral("HELYSEG"), q.value(4)},
                              {QStringLiteral("UTCA"), q.value(5)},
                              {QStringLiteral("BANKSZ95"), q.value(6)},
                              {QStringLiteral("ADOSZAM"), q.value(7)},
                              {QStringLiteral("EUADOSZ"), q.value(8)},
                              {QStringLiteral("TELEFON"), q.value(9)}});
            customerKeys << q.value(0).toLongLong();
            report(progress, QStringLiteral("Vevők"), customerKeys.size(), total);
        }
    }

    QList<qint64> documentKeys;
    {
        const int total = int(db.queryInt(
            QStringLiteral("SELECT COUNT(*) FROM szla s WHERE %1").arg(QLatin1String(kOpenDocuments)), 0));
        QSqlQuery q = db.select(
            QStringLiteral("SELECT s.szla, s.prntip, s.szlaszam, s.ugyfel_nev, s.dat_szallhat, s.dat_kiadva, "
                           "s.dat_fizhat, s.netto, s.afa, s.brutto, u.ugyfelkod, f.konyvelokod, f.kellkerek, "
                           "u.ugyfel, f.fiztip FROM szla s LEFT JOIN ugyfel u ON u.ugyfel = s.ugyfel "
                           "LEFT JOIN fiztip f ON f.fiztip = s.fiztip WHERE %1 ORDER BY s.szla")
                .arg(QLatin1String(kOpenDocuments)));
        int done = 0;
        while (q.next()) {
            report(progress, QStringLiteral("Bizonylatok"), ++done, total);
            const QString reason = skipReason(q, 13, 14);
            if (!reason.isEmpty()) {
                result.skipped << QStringLiteral("%1 (%2)").arg(documentLabel(q, 1, 2), reason);
                continue;
            }
            const double gross = q.value(9).toDouble();
            const int correction =
                q.value(12).toString() == QLatin1String("I") ? cashRoundingCorrection(gross) : 0;
            documents.append({{QStringLiteral("SZAMLA"), padded(q.value(2), 7)},
                              {QStringLiteral("VSZ"), padded(q.value(10), 5)},
                              {QStringLiteral("VSZNEV"), q.value(3)},
                              {QStringLiteral("TELJDAT"), dateOf(q.value(4))},
                              {QStringLiteral("KIBDAT"), dateOf(q.value(5))},
                              {QStringLiteral("ESEDAT"), dateOf(q.value(6))},
                              {QStringLiteral("FIZMOD"), q.value(11).toString().trimmed()},
                              {QStringLiteral("AFAKOD1"), QStringLiteral("07")},
                              {QStringLiteral("ALAP1"), roundHalfEven(q.value(7).toDouble())},
                              {QStringLiteral("AFA1"), roundHalfEven(q.value(8).toDouble())},
                              {QStringLiteral("KEREKIT"), correction},
                              {QStringLiteral("VEGOSSZ"), roundHalfEven(gross) + correction},
                              {QStringLiteral("KAMATSZAZ"), 0},
                              {QStringLiteral("GEPISZLA"), QStringLiteral("2")}});
            documentKeys << q.value(0).toLongLong();
        }
    }

    install(db, {&customers, &documents}, customerKeys, documentKeys);
    result.customers = int(customerKeys.size());
    result.documents = int(documentKeys.size());
    return result;
}

HandOverResult exportKSzlaKet(Database& db, Dialogs& dialogs, const QString& folderText,
                              const HandOverProgress& progress) {
    const QString folder = exportFolder(folderText);
    ImportTable table(folder, kKSzlaKet,
                      {QStringLiteral("BIZSZAM"), QStringLiteral("PARTKOD"), QStringLiteral("NETTO1"),
                       QStringLiteral("AFA1"), QStringLiteral("NETTO2"), QStringLiteral("AFA2"),
                       QStringLiteral("NETTO3"), QStringLiteral("AFA3")});
    table.setStrict({QStringLiteral("BIZSZAM")});
    HandOverResult result;
    if (!dialogs.question(kCaptionConfirm, kHandOverQuestion)) {
        result.cancelled = true;
        return result;
    }

    QList<qint64> keys;
    const int total = int(
        db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla s WHERE %1").arg(QLatin1String(kOpenDocuments)), 0));
    QSqlQuery q = db.select(
        QStringLiteral("SELECT s.szla, s.prntip, s.szlaszam, s.dat_kiadva, s.ugyfel, u.ugyfel_nev, u.szla_irsz, "
                       "u.szla_varos, u.szla_cim, f.konyvelokod, s.netto0, s.afa0, s.netto1, s.afa1, s.netto2, "
                       "s.afa2, u.ugyfel, f.fiztip FROM szla s LEFT JOIN ugyfel u ON u.ugyfel = s.ugyfel "
                       "LEFT JOIN fiztip f ON f.fiztip = s.fiztip WHERE %1 ORDER BY s.szla")
            .arg(QLatin1String(kOpenDocuments)));
    int done = 0;
    while (q.next()) {
        report(progress, QStringLiteral("Bizonylatok"), ++done, total);
        QString reason = skipReason(q, 16, 17);
        // The accounting program takes the method as a number: a letter
        // code would land as 0, another method, so the document waits.
        const QString code = q.value(9).toString().trimmed();
        bool numeric = true;
        const int method = code.isEmpty() ? 0 : code.toInt(&numeric);
        if (reason.isEmpty() && !numeric)
            reason = QStringLiteral("a fizetési mód könyvelői kódja nem szám: %1").arg(code);
        if (!reason.isEmpty()) {
            result.skipped << QStringLiteral("%1 (%2)").arg(documentLabel(q, 1, 2), reason);
            continue;
        }
        const QDate issued = dateOf(q.value(3));
        table.append({{QStringLiteral("KONYVEL"), false},
                      {QStringLiteral("KELT"), issued},
                      {QStringLiteral("DATUM"), issued},
                      {QStringLiteral("BIZSZAM"), documentLabel(q, 1, 2)},
                      {QStringLiteral("PARTKOD"), q.value(4)},
                      {QStringLiteral("CEGNEV"), q.value(5)},
                      {QStringLiteral("IRSZAM"), q.value(6)},
                      {QStringLiteral("VAROS"), q.value(7)},
                      {QStringLiteral("CIM"), q.value(8)},
                      {QStringLiteral("FIZMOD"), method},
                      {QStringLiteral("AFAKOD1"), 4},
                      {QStringLiteral("NETTO1"), q.value(10)},
                      {QStringLiteral("AFA1"), q.value(11)},
                      {QStringLiteral("AFAKOD2"), 10},
                      {QStringLiteral("NETTO2"), q.value(12)},
                      {QStringLiteral("AFA2"), q.value(13)},
                      {QStringLiteral("AFAKOD3"), 11},
                      {QStringLiteral("NETTO3"), q.value(14)},
                      {QStringLiteral("AFA3"), q.value(15)}});
        keys << q.value(0).toLongLong();
    }
    q.finish();
    install(db, {&table}, {}, keys);
    result.documents = int(keys.size());
    return result;
}

QString skippedMessage(const HandOverResult& result) {
    if (result.skipped.isEmpty())
        return {};
    return QStringLiteral("Kimaradt: ") + result.skipped.join(QStringLiteral(", "));
}

QString handOverSummary(const HandOverResult& result, bool withCustomers) {
    QString text = withCustomers ? QStringLiteral("Átadva: %1 vevő, %2 bizonylat.").arg(result.customers).arg(result.documents)
                                 : QStringLiteral("Átadva: %1 bizonylat.").arg(result.documents);
    const QString skipped = skippedMessage(result);
    if (!skipped.isEmpty())
        text += QLatin1Char('\n') + skipped;
    return text;
}

} // namespace orvix
