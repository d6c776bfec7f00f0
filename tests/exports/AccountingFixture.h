// A data folder with payment methods, customers and documents written
// directly, and an export folder holding the accounting programs' empty
// import tables as they supply them (DOS code page 852 declared in the
// header). Rows written are read back with shapelib, with python3-dbfread and
// byte by byte.
#pragma once

#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Codepage.h"
#include "common/Database.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <shapefil.h>

#include <memory>

namespace orvix::test {

struct DbfField {
    const char* name;
    char type;
    int width;
    int decimals;
};

inline const std::vector<DbfField> kFelvevoFields = {
    {"VSZ", 'C', 5, 0},       {"VSZNEV", 'C', 30, 0},  {"IRSZAM", 'C', 4, 0},  {"HELYSEG", 'C', 25, 0},
    {"UTCA", 'C', 25, 0},     {"SZVNEV", 'C', 30, 0},  {"BANKSZ95", 'C', 24, 0}, {"ADOSZAM", 'C', 11, 0},
    {"EUADOSZ", 'C', 17, 0},  {"TELEFON", 'C', 12, 0}, {"JOVENG", 'C', 1, 0}};

inline const std::vector<DbfField> kFelkiszFields = {
    {"SZAMLA", 'C', 7, 0},   {"SPECAFA", 'C', 1, 0},  {"VSZ", 'C', 5, 0},      {"VSZNEV", 'C', 30, 0},
    {"AZON", 'C', 10, 0},    {"TELJDAT", 'D', 8, 0},  {"KIBDAT", 'D', 8, 0},   {"ESEDAT", 'D', 8, 0},
    {"FIZMOD", 'C', 1, 0},   {"AFAKOD1", 'C', 2, 0},  {"AFAKOD2", 'C', 2, 0},  {"AFAKOD3", 'C', 2, 0},
    {"AFAKOD4", 'C', 2, 0},  {"ALAP1", 'N', 12, 0},   {"ALAP2", 'N', 12, 0},   {"ALAP3", 'N', 12, 0},
    {"ALAP4", 'N', 12, 0},   {"AFA1", 'N', 12, 0},    {"AFA2", 'N', 12, 0},    {"AFA3", 'N', 12, 0},
    {"AFA4", 'N', 12, 0},    {"KEREKIT", 'N', 6, 0},  {"VEGOSSZ", 'N', 12, 0}, {"KAMATSZAZ", 'N', 6, 2},
    {"GEPISZLA", 'C', 1, 0}};

inline const std::vector<DbfField> kKSzlaKetFields = {
    {"KONYVEL", 'L', 1, 0},  {"KELT", 'D', 8, 0},     {"DATUM", 'D', 8, 0},    {"BIZSZAM", 'C', 15, 0},
    {"PARTKOD", 'N', 8, 0},  {"CEGNEV", 'C', 25, 0},  {"IRSZAM", 'C', 6, 0},   {"VAROS", 'C', 30, 0},
    {"CIM", 'C', 50, 0},     {"SZOVEG", 'C', 25, 0},  {"FIZMOD", 'N', 2, 0},   {"AFAKOD1", 'N', 3, 0},
    {"NETTO1", 'N', 14, 2},  {"AFA1", 'N', 14, 2},    {"AFAKOD2", 'N', 3, 0},  {"NETTO2", 'N', 14, 2},
    {"AFA2", 'N', 14, 2},    {"AFAKOD3", 'N', 3, 0},  {"NETTO3", 'N', 14, 2},  {"AFA3", 'N', 14, 2},
    {"AFAKOD4", 'N', 3, 0},  {"NETTO4", 'N', 14, 2},  {"AFA4", 'N', 14, 2},    {"KIEGY", 'L', 1, 0},
    {"PENZKOD", 'C', 1, 0},  {"KIEGYBIZ", 'C', 15, 0}, {"KIEGYDAT", 'D', 8, 0}};

// An empty table as the accounting program supplies it; codepage "LDID/100"
// is DOS code page 852.
inline void makeTable(const QString& path, const std::vector<DbfField>& fields, const char* codepage = "LDID/100") {
    DBFHandle h = DBFCreateEx(QFile::encodeName(path).constData(), codepage);
    QVERIFY(h);
    for (const DbfField& f : fields)
        QVERIFY(DBFAddNativeFieldType(h, f.name, f.type, f.width, f.decimals) >= 0);
    DBFClose(h);
}

inline void makeForintTables(const QString& dir) {
    makeTable(dir + QStringLiteral("/FELVEVO.dbf"), kFelvevoFields);
    makeTable(dir + QStringLiteral("/FELKISZ.dbf"), kFelkiszFields);
}

inline QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

// Every row of a table as read by python3-dbfread, which takes the code page
// from the table's header; values as text (dates yyyy-mm-dd, logicals
// True/False, empty fields null).
inline QList<QJsonObject> readWithDbfread(const QString& path) {
    static const char* const script = R"(
import json, sys
from dbfread import DBF
t = DBF(sys.argv[1], char_decode_errors='strict')
print(json.dumps({'encoding': t.encoding,
                  'rows': [{k: (None if v is None else str(v)) for k, v in r.items()} for r in t]}))
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    if (o.value(QStringLiteral("encoding")).toString() != QLatin1String("cp852"))
        qWarning() << "encoding" << o.value(QStringLiteral("encoding")).toString();
    QList<QJsonObject> rows;
    for (const QJsonValue& v : o.value(QStringLiteral("rows")).toArray())
        rows << v.toObject();
    return rows;
}

// The rows read with shapelib: field texts decoded with the code page the
// header declares (language driver 0xC8: 1250; otherwise DOS 852).
inline QList<QHash<QString, QString>> readWithShapelib(const QString& path) {
    QList<QHash<QString, QString>> rows;
    DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
    if (!h)
        return rows;
    const Codepage cp = h->iLanguageDriver == 0xC8 ? Codepage::Cp1250 : Codepage::Cp852;
    for (int r = 0; r < DBFGetRecordCount(h); ++r) {
        QHash<QString, QString> row;
        for (int i = 0; i < DBFGetFieldCount(h); ++i) {
            char name[12] = {};
            DBFGetFieldInfo(h, i, name, nullptr, nullptr);
            row.insert(QString::fromLatin1(name),
                       DBFIsAttributeNULL(h, r, i) ? QString()
                                                   : decodeCodepage(QByteArray(DBFReadStringAttribute(h, r, i)), cp).trimmed());
        }
        rows << row;
    }
    DBFClose(h);
    return rows;
}

// The bytes of one field of one row as they stand in the file, read from the
// header's field list without any dBase library.
inline QByteArray rawField(const QString& path, int row, const QString& field) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = f.readAll();
    const auto u16 = [&](int at) { return int(uchar(bytes.at(at))) | int(uchar(bytes.at(at + 1))) << 8; };
    const int headerLength = u16(8);
    const int recordLength = u16(10);
    int offset = 1; // the deletion mark
    for (int at = 32; at + 32 <= headerLength && bytes.at(at) != '\r'; at += 32) {
        const QString name = QString::fromLatin1(bytes.mid(at, 11).constData());
        const int width = uchar(bytes.at(at + 16));
        if (name == field)
            return bytes.mid(headerLength + row * recordLength + offset, width);
        offset += width;
    }
    return "<no field>";
}

class AccountingFixture {
public:
    std::unique_ptr<TempDataFolder> folder = std::make_unique<TempDataFolder>();
    QTemporaryDir exportDir;
    ScriptedDialogs dialogs;
    static constexpr qint64 kTransfer = 901; // kellkerek N, code "2"
    static constexpr qint64 kCash = 902;     // kellkerek I, code "1"

    Database& db() { return folder->db; }
    QString out() const { return exportDir.path(); }
    QString path(const QString& name) const { return exportDir.filePath(name); }

    AccountingFixture() {
        db().execSql(QStringLiteral("INSERT INTO fiztip (fiztip, fiztip_nev, fizetve, fizhat, kellkerek, cassak, "
                                    "konyvelokod) VALUES (901, 'Átutalás', 'N', 8, 'N', 0, '2'), "
                                    "(902, 'Készpénz', 'I', 0, 'I', 0, '1')"));
    }

    qint64 customer(const QString& name, qint64 code, const QString& handedOver = QStringLiteral("N")) {
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, szla_irsz, szla_varos, szla_cim, adoszam, "
                                    "kozadoszam, bankszamla, telefon, torolve, kuldve, ugyfelkod) VALUES (?, '6720', "
                                    "'Őrszentmiklós', 'Űrhajós utca 1.', '87654321-1-06', 'HU87654321', "
                                    "'11700000-22222222', '+36 1 234', 'N', ?, ?)"),
                     {name, handedOver, code});
        return db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
    }

    // A document header with these totals; lines are added with line().
    qint64 document(qint64 customerKey, qint64 number, double net, double vat, double gross,
                    qint64 method = kTransfer, const QString& kind = QStringLiteral("S")) {
        db().execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam, dat_kiadva, dat_szallhat, dat_fizhat, "
                                    "fiztip, ugyfel, ugyfel_nev, netto, afa, brutto, kuldve, atadva, konyvelve, "
                                    "storno) VALUES (?, ?, '2026-03-02', '2026-03-01', '2026-03-10', ?, ?, "
                                    "(SELECT ugyfel_nev FROM ugyfel WHERE ugyfel=?), ?, ?, ?, FALSE, FALSE, 'I', "
                                    "'N')"),
                     {kind, number, method, customerKey, customerKey, net, vat, gross});
        return db().queryInt(QStringLiteral("SELECT MAX(szla) FROM szla"), 0);
    }

    // A line in band 0, 1 or 2 with per-unit amounts.
    void line(qint64 doc, int band, double quantity, double unitNet, double unitVat) {
        const int sor = int(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=?"), 0, {doc})) + 1;
        QVariantList v{doc, sor, quantity, unitNet, unitVat, unitNet + unitVat};
        for (int b = 0; b < 3; ++b)
            v << (b == band ? unitNet : 0.0) << (b == band ? unitVat : 0.0);
        db().execSql(QStringLiteral("INSERT INTO szla_sor (szla, sor, tipus, cikkszam_nev, db, afakulcs, netto, afa, "
                                    "brutto, netto0, afa0, netto12, afa12, netto25, afa25) VALUES (?, ?, 'N', "
                                    "'Tétel', ?, 27, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     v);
    }

    bool handedOver(qint64 doc) {
        return db().queryInt(QStringLiteral("SELECT COALESCE(atadva, 0) FROM szla WHERE szla=?"), -1, {doc}) == 1;
    }
};

} // namespace orvix::test
