// The Zentra feed: a Zentra folder made of pxlib-built bevetel.DB and
// beallit.DB tables, the income row appended by the feed and read back.
#include "PostingFixture.h"
#include "ScriptedDialogs.h"
#include "TestFolders.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "invoicing/Posting.h"
#include "invoicing/Zentra.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>

extern "C" {
#include <paradox.h>
}

using namespace orvix;
using namespace orvix::test;

namespace {

const QDate kToday(2026, 3, 14);
constexpr long kDayOffset = 1721425;

struct Field {
    const char* name;
    char type;
    int length;
};

// The income table as the outside program has it: the fields the feed
// knows and two of its own.
const std::vector<Field> kIncomeFields = {
    {"bevetel", pxfLong, 4},     {"idoszak", pxfAlpha, 6},     {"negyedev", pxfAlpha, 5},
    {"datum", pxfDate, 4},       {"bizonylat", pxfAlpha, 25},  {"leiras", pxfAlpha, 50},
    {"osszeg", pxfNumber, 8},    {"novelo", pxfNumber, 8},     {"csokkento", pxfNumber, 8},
    {"adoalap", pxfNumber, 8},   {"adoeloleg", pxfNumber, 8},  {"lezarva", pxfAlpha, 1},
    {"partner", pxfAlpha, 30},   {"rogzitve", pxfDate, 4}};

// A Paradox table in code page 852 with the given rows (values by field
// index; an invalid QVariant is an empty field).
void makeTable(const QString& file, const std::vector<Field>& fields, const std::vector<QVariantList>& rows) {
    pxdoc_t* px = PX_new();
    std::vector<pxfield_t> defs(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        defs[i].px_fname = PX_strdup(px, fields[i].name);
        defs[i].px_ftype = fields[i].type;
        defs[i].px_flen = fields[i].length;
        defs[i].px_fdc = 0;
    }
    // pxlib takes over the field definitions (and frees them on close).
    auto* owned = static_cast<pxfield_t*>(px->malloc(px, sizeof(pxfield_t) * fields.size(), "fields"));
    std::copy(defs.begin(), defs.end(), owned);
    QVERIFY(PX_create_file(px, owned, int(fields.size()), QFile::encodeName(file).constData(),
                           pxfFileTypNonIndexDB) == 0);
    // The code page first: the text conversion is set up for it.
    PX_set_value(px, "codepage", 852);
    PX_set_parameter(px, "targetencoding", "UTF-8");
    PX_set_parameter(px, "inputencoding", "UTF-8");
    for (const QVariantList& row : rows) {
        std::vector<pxval_t> values(fields.size());
        std::vector<pxval_t*> pointers(fields.size());
        std::vector<QByteArray> texts(fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            pxval_t& v = values[i];
            std::memset(&v, 0, sizeof v);
            v.type = fields[i].type;
            pointers[i] = &v;
            const QVariant value = row.value(int(i));
            v.isnull = !value.isValid();
            if (v.isnull)
                continue;
            if (v.type == pxfAlpha) {
                texts[i] = value.toString().toUtf8();
                v.value.str.val = texts[i].data();
                v.value.str.len = int(texts[i].size());
            } else if (v.type == pxfNumber) {
                v.value.dval = value.toDouble();
            } else if (v.type == pxfDate) {
                const QDate d = value.toDate();
                v.value.lval = PX_GregorianToSdn(d.year(), d.month(), d.day()) - kDayOffset;
            } else {
                v.value.lval = long(value.toLongLong());
            }
        }
        QVERIFY(PX_insert_record(px, pointers.data()) >= 0);
    }
    PX_close(px);
    PX_delete(px);
}

void makeSettings(const QString& folder, const QVariant& evaszorzo) {
    std::vector<QVariantList> rows;
    if (evaszorzo.isValid() || evaszorzo.toString() != QLatin1String("no row"))
        rows.push_back({QStringLiteral("Zentra Kft."), evaszorzo});
    if (evaszorzo.toString() == QLatin1String("no row"))
        rows.clear();
    makeTable(folder + QStringLiteral("/beallit.DB"), {{"cegnev", pxfAlpha, 40}, {"evaszorzo", pxfNumber, 8}}, rows);
}

QVariantList incomeRow(qint64 key) {
    return {key, QStringLiteral("202301"), QStringLiteral("20231"), QDate(2023, 1, 5), QStringLiteral("régi"),
            QStringLiteral("Ellenérték"), 100.0, 0.0, 0.0, 100.0, 10.0, QStringLiteral("I"),
            QStringLiteral("Kézi Ödön"), QDate(2023, 1, 6)};
}

const char* const kChildVariable = "ORVIX_ZENTRA_CHILD";

// A feeding process: ORVIX_ZENTRA_CHILD="data folder|zentra folder|first
// document|count|start", start being the moment all feeders begin together.
int runChild() {
    const QStringList args = QString::fromUtf8(qgetenv(kChildVariable)).split(QLatin1Char('|'));
    Database db(QStringLiteral("child"));
    db.open(args.value(0));
    const qint64 first = args.value(2).toLongLong();
    const int count = args.value(3).toInt();
    while (QDateTime::currentMSecsSinceEpoch() < args.value(4).toLongLong())
        QThread::usleep(200);
    try {
        for (int i = 0; i < count; ++i)
            FeedZentra(db, Settings{}, first + i, args.value(1));
    } catch (const ZentraError& e) {
        fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 1;
    }
    return 0;
}

} // namespace

class ZentraTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    QString m_zentra;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        m_zentra = m_folder->dir.filePath(QStringLiteral("Zentra"));
        QDir().mkpath(m_zentra);
        addProduct(db(), QStringLiteral("A"));
    }
    void cleanup() { m_folder.reset(); }

    // The row of an invoice issued 2024-05-10 and performed 2024-04-30, read
    // back from the file: the named fields written, the others empty, the
    // key after the highest one.
    void feedAppendsTheIncomeRow() {
        makeSettings(m_zentra, 16.0);
        makeTable(m_zentra + QStringLiteral("/bevetel.DB"), kIncomeFields,
                  {incomeRow(3), incomeRow(9), incomeRow(5)});
        DocSpec d;
        d.number = 123;
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), 2, 6350, 27}});
        Settings s;
        s.szlabetu = QStringLiteral("SA");
        QCOMPARE(FeedZentra(db(), s, key, m_zentra), qint64(10));
        const auto rows = ReadParadoxTable(m_zentra + QStringLiteral("/bevetel.DB"));
        QCOMPARE(int(rows.size()), 4);
        const QVariantMap r = rows.back();
        QCOMPARE(r.value("bevetel").toLongLong(), qint64(10));
        QCOMPARE(r.value("idoszak").toString(), QStringLiteral("202404"));
        QCOMPARE(r.value("negyedev").toString(), QStringLiteral("20242"));
        QCOMPARE(r.value("datum").toDate(), QDate(2024, 5, 10));
        QCOMPARE(r.value("bizonylat").toString(), QStringLiteral("SA00123S"));
        QCOMPARE(r.value("leiras").toString(), QStringLiteral("Ellenérték"));
        QCOMPARE(r.value("osszeg").toDouble(), 12700.0);
        QCOMPARE(r.value("novelo").toDouble(), 0.0);
        QCOMPARE(r.value("csokkento").toDouble(), 0.0);
        QCOMPARE(r.value("adoalap").toDouble(), 12700.0);
        QCOMPARE(r.value("adoeloleg").toDouble(), 2032.0);
        QCOMPARE(r.value("lezarva").toString(), QStringLiteral("N"));
        QVERIFY(!r.value("partner").isValid());
        QVERIFY2(!r.value("rogzitve").isValid(), qPrintable(r.value("rogzitve").toString()));
        // The earlier rows are as they were (accents too).
        QCOMPARE(rows.front().value("partner").toString(), QStringLiteral("Kézi Ödön"));
        QCOMPARE(rows.front().value("bevetel").toLongLong(), qint64(3));
        // Text is in the table's code page: "é" is one byte, 0x82, in 852.
        QFile f(m_zentra + QStringLiteral("/bevetel.DB"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains(QByteArray("Ellen\x82rt\x82k")));
        QVERIFY(!bytes.contains(QByteArray("Ellen\xc3\xa9rt")));
    }

    // The settings' percentage: empty, or no row at all, counts as 0.
    void taxAdvanceFromTheSettings_data() {
        QTest::addColumn<QVariant>("evaszorzo");
        QTest::addColumn<double>("advance");
        QTest::newRow("16 %") << QVariant(16.0) << 160.0;
        QTest::newRow("empty") << QVariant() << 0.0;
        QTest::newRow("no settings row") << QVariant(QStringLiteral("no row")) << 0.0;
    }
    void taxAdvanceFromTheSettings() {
        QFETCH(QVariant, evaszorzo);
        QFETCH(double, advance);
        makeSettings(m_zentra, evaszorzo);
        makeTable(m_zentra + QStringLiteral("/BEVETEL.db"), kIncomeFields, {});
        const qint64 key = addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 1000, 27}});
        QCOMPARE(FeedZentra(db(), Settings{}, key, m_zentra), qint64(1)); // an empty table starts at 1
        const auto rows = ReadParadoxTable(ParadoxTableFile(m_zentra, QStringLiteral("bevetel")));
        QCOMPARE(int(rows.size()), 1);
        QCOMPARE(rows.front().value("adoeloleg").toDouble(), advance);
    }

    // Period and quarter of the performance date; a document without one
    // belongs to its issue month.
    void periodAndQuarter_data() {
        QTest::addColumn<QDate>("performed");
        QTest::addColumn<QString>("idoszak");
        QTest::addColumn<QString>("negyedev");
        QTest::newRow("January") << QDate(2025, 1, 31) << "202501" << "20251";
        QTest::newRow("March") << QDate(2025, 3, 1) << "202503" << "20251";
        QTest::newRow("April") << QDate(2024, 4, 30) << "202404" << "20242";
        QTest::newRow("September") << QDate(2025, 9, 9) << "202509" << "20253";
        QTest::newRow("October") << QDate(2025, 10, 1) << "202510" << "20254";
        QTest::newRow("December") << QDate(2025, 12, 31) << "202512" << "20254";
        QTest::newRow("no performance date") << QDate() << "202405" << "20242";
    }
    void periodAndQuarter() {
        QFETCH(QDate, performed);
        QFETCH(QString, idoszak);
        QFETCH(QString, negyedev);
        DocSpec d;
        d.kind = QStringLiteral("W");
        d.number = 7;
        d.performed = performed;
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), -1, 100, 27}});
        Settings s;
        s.szlabetu = QStringLiteral("XY");
        const ZentraIncome r = ZentraIncomeFor(db(), s, key, 10);
        QCOMPARE(r.idoszak, idoszak);
        QCOMPARE(r.negyedev, negyedev);
        QCOMPARE(r.bizonylat, QStringLiteral("XY00007W"));
        QCOMPARE(r.osszeg, -100.0);
        QCOMPARE(r.adoeloleg, -10.0);
    }

    // A feed that cannot be done says why and writes nothing.
    void failures_data() {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder") << "folder" << "Nem létező Zentra adatbázis";
        QTest::newRow("income table") << "bevetel" << "A Zentra adatbázisban nincs bevetel tábla";
        QTest::newRow("settings table") << "beallit" << "A Zentra adatbázisban nincs beallit tábla";
        QTest::newRow("not a Paradox file") << "garbage" << "nem Paradox tábla";
    }
    void failures() {
        QFETCH(QString, missing);
        QFETCH(QString, message);
        if (missing != QLatin1String("beallit"))
            makeSettings(m_zentra, 10.0);
        if (missing == QLatin1String("garbage")) {
            QFile f(m_zentra + QStringLiteral("/bevetel.db"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("nem tábla");
        } else if (missing != QLatin1String("bevetel")) {
            makeTable(m_zentra + QStringLiteral("/bevetel.DB"), kIncomeFields, {incomeRow(1)});
        }
        const qint64 key = addDoc(db(), DocSpec{}, {{QStringLiteral("A"), 1, 1000, 27}});
        const QString folder = missing == QLatin1String("folder") ? m_zentra + QStringLiteral("/x") : m_zentra;
        QString error;
        try {
            FeedZentra(db(), Settings{}, key, folder);
        } catch (const ZentraError& e) {
            error = e.text();
        }
        QVERIFY2(error.contains(message), qPrintable(error));
        if (missing == QLatin1String("beallit"))
            QCOMPARE(int(ReadParadoxTable(m_zentra + QStringLiteral("/bevetel.DB")).size()), 1);
    }

    // Several workstations feeding at once take distinct keys and lose no row.
    void concurrentFeeders() {
        makeSettings(m_zentra, 10.0);
        makeTable(m_zentra + QStringLiteral("/bevetel.DB"), kIncomeFields, {});
        const int processes = 3;
        const int perProcess = 15;
        std::vector<qint64> firsts;
        for (int p = 0; p < processes; ++p) {
            DocSpec d;
            d.number = 100 * (p + 1);
            firsts.push_back(addDoc(db(), d, {{QStringLiteral("A"), 1, 1000, 27}}));
            for (int i = 1; i < perProcess; ++i) {
                d.number = 100 * (p + 1) + i;
                addDoc(db(), d, {{QStringLiteral("A"), 1, 1000, 27}});
            }
        }
        const qint64 start = QDateTime::currentMSecsSinceEpoch() + 1000;
        std::vector<std::unique_ptr<QProcess>> children;
        for (int p = 0; p < processes; ++p) {
            auto child = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("%1|%2|%3|%4|%5")
                                                                .arg(m_folder->folder, m_zentra)
                                                                .arg(firsts[size_t(p)])
                                                                .arg(perProcess)
                                                                .arg(start));
            child->setProcessEnvironment(env);
            child->setProcessChannelMode(QProcess::ForwardedChannels);
            child->start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child->waitForStarted());
            children.push_back(std::move(child));
        }
        for (auto& child : children) {
            QVERIFY(child->waitForFinished(120000));
            QCOMPARE(child->exitCode(), 0);
        }
        const auto rows = ReadParadoxTable(m_zentra + QStringLiteral("/bevetel.DB"));
        QCOMPARE(int(rows.size()), processes * perProcess);
        QSet<qint64> keys;
        QSet<QString> documents;
        for (const QVariantMap& r : rows) {
            keys.insert(r.value("bevetel").toLongLong());
            documents.insert(r.value("bizonylat").toString());
        }
        QCOMPARE(int(keys.size()), processes * perProcess);
        QCOMPARE(int(documents.size()), processes * perProcess);
        QCOMPARE(*std::max_element(keys.begin(), keys.end()), qint64(processes * perProcess));
    }

    // Posting feeds invoices, credit notes and cancelling documents when the
    // setting is on; proformas and advance invoices are not fed.
    void postingFeedsByKind_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("fed");
        QTest::newRow("S") << "S" << true;
        QTest::newRow("J") << "J" << true;
        QTest::newRow("W") << "W" << true;
        QTest::newRow("M") << "M" << true;
        QTest::newRow("P") << "P" << false;
        QTest::newRow("E") << "E" << false;
    }
    void postingFeedsByKind() {
        QFETCH(QString, kind);
        QFETCH(bool, fed);
        makeSettings(m_zentra, 10.0);
        makeTable(m_zentra + QStringLiteral("/bevetel.DB"), kIncomeFields, {});
        DocSpec d;
        d.kind = kind;
        const qint64 key = addDoc(db(), d, {{QStringLiteral("A"), 1, 1000, 27}});
        Settings s;
        s.vanzentra = true;
        s.evautvonal = m_zentra;
        ScriptedDialogs dialogs;
        const PostResult r = PostDocument(db(), dialogs, s, CurrentUser{}, key, kToday);
        QVERIFY(r.posted);
        QCOMPARE(dialogs.asked, QStringList());
        QCOMPARE(r.zentraKey, fed ? qint64(1) : qint64(-1));
        QCOMPARE(int(ReadParadoxTable(m_zentra + QStringLiteral("/bevetel.DB")).size()), fed ? 1 : 0);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runChild();
    ZentraTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "zentra_test.moc"
