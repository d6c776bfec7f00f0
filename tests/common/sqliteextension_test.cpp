// A data folder opened by standard SQLite tools: the real sqlite3 shell and
// Python's sqlite3 module, with the program's extension loaded, check the
// file, insert a customer and sort names in Hungarian order; the program then
// reads the file they changed as sound.
#include "common/Database.h"
#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;

namespace {

struct ToolRun {
    int exitCode = -1;
    QStringList lines;
    QString err;
};

// The shell reads the statements from its input, one value per output line.
ToolRun runShell(const QString& file, const QString& extension, const QStringList& statements) {
    QStringList args{QStringLiteral("-batch")};
    if (!extension.isEmpty())
        args << QStringLiteral("-cmd") << QStringLiteral(".load %1").arg(extension);
    args << file;
    QProcess p;
    p.start(QStringLiteral("sqlite3"), args);
    p.write((statements.join(QStringLiteral(";\n")) + QStringLiteral(";\n")).toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            QString::fromUtf8(p.readAllStandardError())};
}

// Python's own sqlite3 module (Debian's interpreter, not a private one on PATH).
ToolRun runPython(const QString& file, const QString& extension, const QStringList& statements) {
    const QString script = QStringLiteral(
        "import sqlite3, sys\n"
        "con = sqlite3.connect(sys.argv[1])\n"
        "if sys.argv[2]:\n"
        "    con.enable_load_extension(True)\n"
        "    con.load_extension(sys.argv[2])\n"
        "try:\n"
        "    for statement in sys.argv[3:]:\n"
        "        for row in con.execute(statement):\n"
        "            print('|'.join(str(v) for v in row))\n"
        "    con.commit()\n"
        "except sqlite3.Error as e:\n"
        "    print(e, file=sys.stderr)\n"
        "    sys.exit(1)\n");
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script, file, extension} + statements);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class SqliteExtensionTest : public QObject {
    Q_OBJECT

    // The extension's path as the README writes it: without the ".so", which
    // the tools add, and from which SQLite derives the entry point's name.
    QString m_extension;
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        const QString built = qEnvironmentVariable("ORVIX_SQLITE_EXTENSION");
        QVERIFY2(QFileInfo(built).isFile(), "ORVIX_SQLITE_EXTENSION names no built extension");
        QVERIFY(built.endsWith(QLatin1String(".so")));
        m_extension = built.chopped(3);
    }

    void toolsOpenDataFolder_data() {
        QTest::addColumn<bool>("python");
        QTest::newRow("sqlite3 shell") << false;
        QTest::newRow("python sqlite3") << true;
    }
    void toolsOpenDataFolder() {
        QFETCH(bool, python);
        const auto tool = python ? runPython : runShell;
        const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        {
            Database db(QStringLiteral("ext"));
            data::createDataFolder(db, folder);
            for (const char* name : {"Zoltán Bt.", "Béla és Társa", "Ádám Kft.", "Antal Zrt.", "Abonyi Bt.",
                                     "Csonka Kft.", "Cukor Bt.", "Őrség Kft.", "Ottó Bt."})
                db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (?, ?)"),
                           {db.nextId(QStringLiteral("ugyfel")), QString::fromUtf8(name)});
        }
        const QString file = Database::databaseFile(folder);

        // Without the extension the tool cannot even check the file.
        ToolRun r = tool(file, QString(), {QStringLiteral("PRAGMA integrity_check")});
        QVERIFY2(r.exitCode != 0 || r.lines != QStringList{QStringLiteral("ok")}, qPrintable(r.lines.join('\n')));
        QVERIFY2((r.err + r.lines.join('\n')).contains(QStringLiteral("no such collation sequence: HU")),
                 qPrintable(r.err));

        r = tool(file, m_extension,
                 {QStringLiteral("PRAGMA integrity_check"),
                  QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (100, 'Ágnes és Fia Bt.')"),
                  QStringLiteral("SELECT ugyfel_nev FROM ugyfel ORDER BY ugyfel_nev"),
                  QStringLiteral("SELECT upper('árvíztűrő'), lower('TÜKÖRFÚRÓ')"),
                  QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel_nev LIKE 'agnes%'")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList expected = {
            QStringLiteral("ok"),
            // Á among the A names, before B; Cs after C; Ő after O.
            QStringLiteral("Abonyi Bt."), QStringLiteral("Ádám Kft."), QStringLiteral("Ágnes és Fia Bt."),
            QStringLiteral("Antal Zrt."), QStringLiteral("Béla és Társa"), QStringLiteral("Cukor Bt."),
            QStringLiteral("Csonka Kft."), QStringLiteral("Ottó Bt."), QStringLiteral("Őrség Kft."),
            QStringLiteral("Zoltán Bt."),
            QStringLiteral("ÁRVÍZTŰRŐ|tükörfúró"),
            QStringLiteral("1")};
        QCOMPARE(r.lines, expected);

        // The program finds the file the tool changed sound, its index in order.
        Database db(QStringLiteral("ext-after"));
        db.open(folder);
        QCOMPARE(db.integrityCheck(), QStringLiteral("ok"));
        QCOMPARE(db.queryText(QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel = 100"), QString()),
                 QStringLiteral("Ágnes és Fia Bt."));
    }
};

QTEST_GUILESS_MAIN(SqliteExtensionTest)
#include "sqliteextension_test.moc"
