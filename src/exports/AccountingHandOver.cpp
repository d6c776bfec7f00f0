#include "exports/AccountingHandOver.h"

#include "common/Codepage.h"
#include "common/Database.h"
#include "core/Dialogs.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMap>
#include <QRandomGenerator>
#include <QSaveFile>
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


HandOverStepHook& stepHook() {
    static HandOverStepHook hook;
    return hook;
}

void step(const QString& name) {
    if (stepHook())
        stepHook()(name);
}

// The files a run keeps beside the tables while it works: the lock that
// keeps a second hand-over out of the folder, and the journal that names the
// tables being replaced, their copies and the keys the run marks.
const QString kLockName = QStringLiteral("orvix-atadas.lock");
const QString kJournalName = QStringLiteral("orvix-atadas.journal");
const QString kTempTag = QStringLiteral(".orvixtmp");
const QString kBackupTag = QStringLiteral(".orvixbak");

// A name of this run's own: two runs never write into one file.
QString runToken() {
    return QStringLiteral("%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

bool renameOver(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

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
        const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
        const QString token = runToken();
        m_temp = base + kTempTag + QLatin1Char('-') + token + QStringLiteral(".dbf");
        m_backup = base + kBackupTag + QLatin1Char('-') + token + QStringLiteral(".dbf");
        m_out.reset(DBFCloneEmpty(source.get(), QFile::encodeName(m_temp).constData()));
        if (!m_out)
            throw HandOverError(QStringLiteral("A(z) %1 fájl nem írható.").arg(QDir::toNativeSeparators(m_temp)));
        // A code page file of the copy would sit beside the original's own.
        QFile::remove(base + kTempTag + QLatin1Char('-') + token + QStringLiteral(".cpg"));
    }

    ~ImportTable() {
        m_out.reset();
        if (!m_installed)
            QFile::remove(m_temp);
    }

    const QString& name() const { return m_name; }
    const QString& path() const { return m_path; }
    const QString& temp() const { return m_temp; }
    const QString& backup() const { return m_backup; }

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
            writeBlank(row, 0);
    }

    // Closes the copy; throws when it could not be completed.
    void finish() {
        const int rows = DBFGetRecordCount(m_out.get());
        m_out.reset();
        DbfPtr check(DBFOpen(QFile::encodeName(m_temp).constData(), "rb"));
        if (!check || DBFGetRecordCount(check.get()) != rows)
            throw HandOverError(QStringLiteral("A(z) %1 fájl írása nem sikerült.").arg(QDir::toNativeSeparators(m_temp)));
    }

    // The original goes aside under the backup name, then the copy takes its
    // place; restore() undoes both.
    void moveAside() {
        if (!renameOver(m_path, m_backup))
            throw HandOverError(QStringLiteral("A(z) %1 tábla nem cserélhető le (a fájlt más program használja?).")
                                    .arg(QDir::toNativeSeparators(m_path)));
        m_aside = true;
    }
    void install() {
        if (!renameOver(m_temp, m_path))
            throw HandOverError(QStringLiteral("A(z) %1 tábla nem cserélhető le (a fájlt más program használja?).")
                                    .arg(QDir::toNativeSeparators(m_path)));
        m_installed = true;
    }
    // False when the original could not be put back (the journal then
    // brings it back on the next run).
    bool restore() {
        if (m_aside && !renameOver(m_backup, m_path))
            return false;
        m_aside = false;
        if (m_installed)
            m_installed = false;
        else
            QFile::remove(m_temp);
        return true;
    }
    void dropBackup() {
        if (m_aside)
            QFile::remove(m_backup);
        m_aside = false;
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

    // Blanks: what dBase programs read as an empty field (shapelib's own
    // empty values, asterisks and zero dates, read as overflow and as a
    // date). Characters stay blank, logicals undecided.
    bool writeBlank(int row, int field) {
        char nothing[1] = {0};
        return DBFWriteAttributeDirectly(m_out.get(), row, field, nothing);
    }

    bool write(int row, const QString& name, const Field& f, const QVariant& value) {
        DBFInfo* h = m_out.get();
        if (!value.isValid() || value.isNull()) {
            // An empty amount is written as 0, as the accounting program sums it.
            if (f.type == 'N' || f.type == 'F')
                return write(row, name, f, 0);
            return writeBlank(row, f.index);
        }
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
                return writeBlank(row, f.index);
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
    QString m_backup;
    QHash<QString, Field> m_fields;
    QSet<QString> m_strict;
    Codepage m_codepage = Codepage::Cp852;
    DbfPtr m_out;
    bool m_aside = false;
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

// One hand-over at a time per folder: a second run would put its tables
// over the first one's while both mark their rows.
class FolderLock {
public:
    explicit FolderLock(const QString& folder) : m_lock(QDir(folder).filePath(kLockName)) {
        // The lock lasts as long as the run, however long: a lock left by a
        // program that is no longer running is taken over.
        m_lock.setStaleLockTime(0);
        if (m_lock.tryLock(0))
            return;
        if (m_lock.error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host, program;
            m_lock.getLockInfo(&pid, &host, &program);
            throw HandOverError(QStringLiteral("Egy másik átadás fut ebbe a mappába (%1, %2. folyamat a(z) %3 gépen). "
                                               "Várja meg a végét, és próbálja újra. Ha az a program már nem fut, "
                                               "törölje a(z) %4 fájlt.")
                                    .arg(program)
                                    .arg(pid)
                                    .arg(host, QDir::toNativeSeparators(QDir(folder).filePath(kLockName))));
        }
        throw HandOverError(QStringLiteral("Az export mappa nem írható: %1").arg(QDir::toNativeSeparators(folder)));
    }

private:
    QLockFile m_lock;
};

QString journalPath(const QString& folder) {
    return QDir(folder).filePath(kJournalName);
}

// Whether the run the journal names committed its marks: one of the keys it
// marks is marked (a run marks them all in one transaction, and they were
// all unmarked when it read them).
bool journalCommitted(Database& db, const QJsonObject& journal) {
    const QJsonArray documents = journal.value(QStringLiteral("documents")).toArray();
    if (!documents.isEmpty())
        return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE szla=? AND atadva=TRUE"), 0,
                           {documents.first().toVariant()}) > 0;
    const QJsonArray customers = journal.value(QStringLiteral("customers")).toArray();
    if (!customers.isEmpty())
        return db.queryInt(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel=? AND kuldve='I'"), 0,
                           {customers.first().toVariant()}) > 0;
    return false; // nothing to mark: the previous tables are as right as the new ones
}

// Brings the folder of a run that was stopped while it replaced the tables
// to one side: with the run's marks committed its tables stay and the
// previous ones go; otherwise the previous tables come back. Then the
// leftover copies of stopped runs go. Call with the folder's lock held.
bool recoverFolder(Database& db, const QString& folder) {
    bool recovered = false;
    const QString path = journalPath(folder);
    if (QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw HandOverError(QStringLiteral("A(z) %1 fájl nem olvasható.").arg(QDir::toNativeSeparators(path)));
        const QJsonObject journal = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        const bool committed = journalCommitted(db, journal);
        for (const QJsonValue& v : journal.value(QStringLiteral("tables")).toArray()) {
            const QJsonObject t = v.toObject();
            const QString table = t.value(QStringLiteral("table")).toString();
            const QString backup = t.value(QStringLiteral("backup")).toString();
            const QString temp = t.value(QStringLiteral("temp")).toString();
            if (!committed && QFileInfo::exists(backup) && !renameOver(backup, table))
                throw HandOverError(QStringLiteral("A(z) %1 tábla korábbi tartalma nem állítható vissza a(z) %2 "
                                                   "fájlból (a táblát más program használja?).")
                                        .arg(QDir::toNativeSeparators(table), QDir::toNativeSeparators(backup)));
            QFile::remove(backup);
            QFile::remove(temp);
        }
        QFile::remove(path);
        recovered = true;
    }
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.contains(kTempTag, Qt::CaseInsensitive))
            QFile::remove(dir.absoluteFilePath(entry));
    return recovered;
}

void writeJournal(const QString& folder, const std::vector<ImportTable*>& tables, const QList<qint64>& customers,
                  const QList<qint64>& documents) {
    QJsonArray entries;
    for (const ImportTable* t : tables)
        entries.append(QJsonObject{{QStringLiteral("table"), t->path()},
                                   {QStringLiteral("temp"), t->temp()},
                                   {QStringLiteral("backup"), t->backup()}});
    QJsonObject journal{{QStringLiteral("tables"), entries}};
    if (!documents.isEmpty())
        journal.insert(QStringLiteral("documents"), QJsonArray{documents.first()});
    if (!customers.isEmpty())
        journal.insert(QStringLiteral("customers"), QJsonArray{customers.first()});
    QSaveFile f(journalPath(folder));
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(journal).toJson()) < 0 || !f.commit())
        throw HandOverError(QStringLiteral("A(z) %1 fájl nem írható.").arg(QDir::toNativeSeparators(journalPath(folder))));
}

// Installs the tables and marks the rows written, all or nothing. The
// previous tables stay under their backup names until the marks are
// committed: any failure puts them back and leaves the marks unset; a kill
// leaves the journal, from which the next run does the same.
void install(Database& db, const QString& folder, std::vector<ImportTable*> tables, const QList<qint64>& customers,
             const QList<qint64>& documents) {
    for (ImportTable* t : tables)
        t->finish();
    step(QStringLiteral("written"));
    // Puts the previous tables back; false when one could not be.
    const auto undo = [&] {
        bool restored = true;
        for (ImportTable* t : tables)
            restored = t->restore() && restored;
        if (restored)
            QFile::remove(journalPath(folder));
        return restored;
    };
    const QString notRestored = QStringLiteral(
        "\nA korábbi táblák nem mind állíthatók vissza; a következő átadás indításkor visszaállítja őket.");
    {
        Database::Transaction tr(db);
        try {
            writeJournal(folder, tables, customers, documents);
            step(QStringLiteral("journal"));
            for (const qint64 key : customers)
                db.execSql(QStringLiteral("UPDATE ugyfel SET kuldve='I' WHERE ugyfel=?;"), {key});
            for (const qint64 key : documents)
                db.execSql(QStringLiteral("UPDATE szla SET atadva=? WHERE szla=?;"), {true, key});
            step(QStringLiteral("marked"));
            for (ImportTable* t : tables) {
                t->moveAside();
                step(QStringLiteral("aside ") + t->name());
                t->install();
                step(QStringLiteral("installed ") + t->name());
            }
            tr.commit();
        } catch (const HandOverError& e) {
            // The marks roll back with the transaction.
            if (!undo())
                throw HandOverError(e.text() + notRestored);
            throw;
        } catch (const DbError& e) {
            if (!undo())
                throw HandOverError(e.text() + notRestored);
            throw;
        } catch (...) {
            undo();
            throw;
        }
    }
    step(QStringLiteral("committed"));
    for (ImportTable* t : tables)
        t->dropBackup();
    QFile::remove(journalPath(folder));
    step(QStringLiteral("done"));
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
    FolderLock lock(folder);
    recoverFolder(db, folder);
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

    install(db, folder, {&customers, &documents}, customerKeys, documentKeys);
    result.customers = int(customerKeys.size());
    result.documents = int(documentKeys.size());
    return result;
}

HandOverResult exportKSzlaKet(Database& db, Dialogs& dialogs, const QString& folderText,
                              const HandOverProgress& progress) {
    const QString folder = exportFolder(folderText);
    FolderLock lock(folder);
    recoverFolder(db, folder);
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
                       "s.afa2, u.ugyfel, f.fiztip, f.fiztip_nev FROM szla s LEFT JOIN ugyfel u ON u.ugyfel = s.ugyfel "
                       "LEFT JOIN fiztip f ON f.fiztip = s.fiztip WHERE %1 ORDER BY s.szla")
            .arg(QLatin1String(kOpenDocuments)));
    int done = 0;
    QMap<QString, QString> letterCodes; // payment method -> its code that is no number
    while (q.next()) {
        report(progress, QStringLiteral("Bizonylatok"), ++done, total);
        const QString reason = skipReason(q, 16, 17);
        // The accounting program takes the method as a number; an empty
        // code, or one that is no number (the letters ForintSoft takes), is
        // written as 0, which the accountant sets, and the user is told.
        const QString code = q.value(9).toString().trimmed();
        bool numeric = true;
        int method = code.isEmpty() ? 0 : code.toInt(&numeric);
        if (reason.isEmpty() && !numeric) {
            method = 0;
            letterCodes.insert(q.value(18).toString().trimmed(), code);
        }
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
    install(db, folder, {&table}, {}, keys);
    result.documents = int(keys.size());
    for (auto it = letterCodes.cbegin(); it != letterCodes.cend(); ++it)
        result.notes << QStringLiteral("A(z) %1 fizetési mód könyvelői kódja (%2) nem szám: a FIZMOD mezőbe 0 került.")
                            .arg(it.key(), it.value());
    return result;
}

void setHandOverStepHook(HandOverStepHook hook) {
    stepHook() = std::move(hook);
}

bool completeInterruptedHandOver(Database& db, const QString& folderText) {
    const QString folder = exportFolder(folderText);
    FolderLock lock(folder);
    return recoverFolder(db, folder);
}

QString skippedMessage(const HandOverResult& result) {
    if (result.skipped.isEmpty())
        return {};
    return QStringLiteral("Kimaradt: ") + result.skipped.join(QStringLiteral(", "));
}

QString handOverSummary(const HandOverResult& result, bool withCustomers) {
    QString text = withCustomers ? QStringLiteral("Átadva: %1 vevő, %2 bizonylat.").arg(result.customers).arg(result.documents)
                                 : QStringLiteral("Átadva: %1 bizonylat.").arg(result.documents);
    for (const QString& note : result.notes)
        text += QLatin1Char('\n') + note;
    const QString skipped = skippedMessage(result);
    if (!skipped.isEmpty())
        text += QLatin1Char('\n') + skipped;
    return text;
}

} // namespace orvix
