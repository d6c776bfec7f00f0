// The customers and products commands as a script runs them: exit codes,
// the header line, the rows shown and hidden, numbers and quoting.
//
// The executable runs a command itself when started with --run COMMAND …, so
// that its output and exit code are seen as a user sees them.
#include "TestFolders.h"

#include "common/Database.h"
#include "masters/MasterCommands.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>
#include <memory>

using namespace orvix;
using orvix::test::TempDataFolder;

namespace {

const QString kRunArgument = QStringLiteral("--run");

struct Run {
    int exitCode = -1;
    QStringList lines;
    QString err;
};

} // namespace

class MasterCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

    Run run(const QString& command, const QStringList& args) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), QStringList{kRunArgument, command} + args);
        Run r;
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit) {
            r.exitCode = p.exitCode();
            r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
            if (r.lines.last().isEmpty())
                r.lines.removeLast();
            r.err = QString::fromUtf8(p.readAllStandardError());
        }
        return r;
    }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    void products() {
        db().execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, kategoria, mert, netto, "
                                    "afa, brutto, torolve, eloleg) "
                                    "VALUES ('B2', 'Csavar; horganyzott', 'VAS', 'db', 787.4015748031496, "
                                    "212.5984251968504, 1000, 'N', 'N'),"
                                    " ('A1', 'Alma \"Jonatán\"', NULL, 'kg', 100, 27, 127, 'N', 'N'),"
                                    " ('C3', 'Törölt', '', 'db', 1, 0, 1, 'I', 'N'),"
                                    " ('E1', 'Előleg', '', '', 1000, 270, 1270, 'N', 'I')"));
        const Run r = run(QStringLiteral("products"), {m_folder->folder});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(
            r.lines,
            (QStringList{
                QStringLiteral("cikkszám;megnevezés;kategória;m.e.;nettó;áfa;bruttó"),
                QStringLiteral("A1;\"Alma \"\"Jonatán\"\"\";;kg;100;27;127"),
                QStringLiteral("B2;\"Csavar; horganyzott\";VAS;db;787.4015748031496;212.5984251968504;1000"),
            }));
    }

    void customers() {
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, ugyfelkod, kapcsolat, telefon, mobil, "
                                    "emil, kedvezmeny, szla_irsz, "
                                    "szla_varos, szla_cim, torolve) VALUES "
                                    "('Zöld Kft.', 7, 'Kiss Éva', '1 234 5678', '06 30 111 2222', "
                                    "'a@zold.hu', 12.5, '1138', 'Budapest', "
                                    "'Váci út 1.', 'N'),"
                                    "('Ács Bt.', 12, '', '', '', '', 0, '9021', 'Győr', 'Fő tér 2.', 'N'),"
                                    "('Törölt Zrt.', 13, '', '', '', '', 0, '', '', '', 'I')"));
        const Run r = run(QStringLiteral("customers"), {m_folder->folder});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(
            r.lines,
            (QStringList{
                QStringLiteral(
                    "vevő;ügyfélkód;kapcsolattartó;telefon;mobil;e-mail;kedv%;szla.irsz;szla.város;"
                    "szla.cím"),
                QStringLiteral("Ács Bt.;12;;;;;0;9021;Győr;Fő tér 2."),
                QStringLiteral("Zöld Kft.;7;Kiss Éva;1 234 5678;06 30 111 2222;a@zold.hu;12.5;1138;Budapest;"
                               "Váci út 1."),
            }));
    }

    void commandLine_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("errStart");
        QTest::newRow("help") << "products" << QStringList{"--help"} << 0 << "";
        QTest::newRow("no folder") << "customers" << QStringList{} << 2
                                   << "Hiba: a(z) customers parancs egy mappát";
        QTest::newRow("two folders") << "products" << QStringList{"a", "b"} << 2
                                     << "Hiba: fölösleges argumentum: b";
        QTest::newRow("unknown option")
            << "customers" << QStringList{"DIR", "--all"} << 2 << "Hiba: ismeretlen kapcsoló: --all";
        QTest::newRow("missing folder")
            << "products" << QStringList{"NINCS"} << 1 << "Hiba: nincs adatmappa: ";
    }
    void commandLine() {
        QFETCH(QString, command);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, errStart);
        for (QString& a : args) {
            if (a == QLatin1String("DIR") || a == QLatin1String("NINCS"))
                a = a == QLatin1String("DIR") ? m_folder->folder
                                              : m_folder->dir.filePath(QStringLiteral("nincs"));
        }
        const Run r = run(command, args);
        QCOMPARE(r.exitCode, exitCode);
        if (errStart.isEmpty())
            QCOMPARE(r.err, QString());
        else
            QVERIFY2(r.err.startsWith(errStart), qPrintable(r.err));
        if (exitCode == 0)
            QVERIFY(r.lines.first().startsWith(QStringLiteral("Használat: Orvix_Szamla_Cli products DIR")));
        else
            QCOMPARE(r.lines, QStringList());
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == kRunArgument) {
        return cli::runCommand({&masterCommands()}, args.mid(2));
    }
    MasterCommandsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "mastercommands_test.moc"
