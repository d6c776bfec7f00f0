// Importing document lines from a text in both layouts, the stops at an
// unknown code or a bad value, the import-lines command, and a program
// killed in the middle of an import.
//
// Started with --worker DIR KEY FILE the executable imports the file slowly,
// printing the number of lines added after each one, so that the test can
// kill it halfway. Started with --run ARGS it runs the import-lines command.
#include "EditorFixture.h"

#include "invoicing/DocumentCommands.h"
#include "invoicing/LineImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>

using namespace orvix;
using namespace orvix::test;

namespace {

const QString kWorker = QStringLiteral("--worker");
const QString kRun = QStringLiteral("--run");

int runWorker(const QStringList& args) {
    Database db(QStringLiteral("worker"));
    db.open(args.at(0));
    QFile file(args.at(2));
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    const QString text = QString::fromUtf8(file.readAll());
    ScriptedDialogs dialogs;
    const LineDocument doc = LineDocument::load(db, args.at(1).toLongLong());
    ImportLines(db, dialogs, doc, text, {true, true, true}, QDate::currentDate(), [](int added) {
        QTextStream(stdout) << added << Qt::endl;
        QThread::msleep(15);
    });
    return 0;
}

} // namespace

class LineImportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFolder> m_f;
    Database& db() { return m_f->db(); }

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& args) {
        const QString folder = db().folder();
        db().close();
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), QStringList{kRun} + args);
        Run r;
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
            r = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        db().open(folder);
        return r;
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_f->folder->dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(bytes);
        return path;
    }

private Q_SLOTS:
    void init() { m_f = std::make_unique<EditorFolder>(); }
    void cleanup() { m_f.reset(); }

    void layouts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("semicolon");
        QTest::addColumn<bool>("quantity");
        QTest::addColumn<bool>("price");
        QTest::addColumn<QString>("lines");   // sor:code db egysar …
        QTest::addColumn<QString>("message"); // the stop's message
        QTest::newRow("one per line, codes only") << "ALMA\nK5\n"
                                                  << false << false << false << "1:ALMA 1 0 2:K5 1 0"
                                                  << "";
        QTest::newRow("one per line, quantity and price")
            << "ALMA\n2\n100\nk5\n3,5\n12.5\r\n"
            << false << true << true << "1:ALMA 2 100 2:K5 3.5 12.5"
            << "";
        QTest::newRow("semicolons, quantity and price")
            << "ALMA;2;100" << true << true << true << "1:ALMA 2 100"
            << "";
        QTest::newRow("semicolons, price is the third value")
            << "ALMA;9;250\nK5" << true << false << true << "1:ALMA 1 250 2:K5 1 0"
            << "";
        QTest::newRow("codes folded") << "álma;2\n\"K5\"" << true << true << false << "1:ALMA 2 0 2:K5 1 0"
                                      << "";
        QTest::newRow("trailing empty lines dropped") << "K18\n\n \n"
                                                      << false << false << false << "1:K18 1 0"
                                                      << "";
        QTest::newRow("empty text") << "\n\n"
                                    << false << true << false << ""
                                    << "";
        QTest::newRow("unknown code in the middle")
            << "ALMA\nNINCS\nK5" << false << false << false << "1:ALMA 1 0"
            << "Nem létező cikkszám: NINCS";
        QTest::newRow("unknown code in the middle, semicolons")
            << "ALMA;1;5\nNINCS;2;5\nK5;3;5" << true << true << true << "1:ALMA 1 5"
            << "Nem létező cikkszám: NINCS";
        QTest::newRow("a value that is no number")
            << "ALMA;2\nK5;kettő\nK18;1" << true << true << false << "1:ALMA 2 0"
            << "\"kettő\" nem érvényes szám (cikkszám: K5).";
        QTest::newRow("last record without its price")
            << "ALMA\n2\n10\nK5\n3" << false << true << true << "1:ALMA 2 10"
            << "Az utolsó tétel hiányos (cikkszám: K5): a mennyisége vagy az ára hiányzik.";
    }
    void layouts() {
        QFETCH(QString, text);
        QFETCH(bool, semicolon);
        QFETCH(bool, quantity);
        QFETCH(bool, price);
        QFETCH(QString, lines);
        QFETCH(QString, message);
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        const ImportResult r =
            ImportLines(db(), dialogs, LineDocument::load(db(), doc), text, {semicolon, quantity, price});
        QStringList got;
        QSqlQuery q =
            db().select(QStringLiteral("SELECT sor, cikkszam, db, egysar FROM szla_sor WHERE szla=? "
                                       "ORDER BY sor"),
                        {doc});
        while (q.next())
            got << QStringLiteral("%1:%2 %3 %4")
                       .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                            q.value(3).toString());
        QCOMPARE(got.join(QLatin1Char(' ')), lines);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).join(QLatin1Char('|')), message);
        QCOMPARE(r.stopped, !message.isEmpty());
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // New lines follow the document's last line; the imported line's amounts.
    void appendsAfterLastLine() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        ImportLines(db(), dialogs, LineDocument::load(db(), doc), QStringLiteral("K5\nK18"),
                    {false, false, false});
        db().execSql(QStringLiteral("DELETE FROM szla_sor WHERE szla=? AND sor=1"), {doc});
        ImportLines(db(), dialogs, LineDocument::load(db(), doc), QStringLiteral("ALMA;2;1000"),
                    {true, true, true});
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("2:K18 3:ALMA"));
        const QVariantMap line = lineOf(db(), doc, 3);
        QCOMPARE(line.value("brutto25").toDouble(), 1270.0);
        QCOMPARE(rowOf(db(), QStringLiteral("SELECT brutto FROM szla WHERE szla=?"), {doc})
                     .value("brutto")
                     .toDouble(),
                 2540.0);
    }

    // A program killed in the middle of an import leaves the document as it
    // was; the folder opens consistent.
    void killedHalfway() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        ImportLines(db(), dialogs, LineDocument::load(db(), doc), QStringLiteral("K5;3;10"),
                    {true, true, true});
        QByteArray text;
        for (int i = 0; i < 400; ++i)
            text += i % 2 ? "ALMA;2;1000\n" : "K18;1;300\n";
        const QString file = writeFile(QStringLiteral("hosszu.csv"), text);
        const QString folder = db().folder();
        db().close();

        QProcess worker;
        worker.start(QCoreApplication::applicationFilePath(), {kWorker, folder, QString::number(doc), file});
        QVERIFY(worker.waitForStarted());
        QString seen;
        while (!seen.contains(QStringLiteral("\n40\n"))) {
            QVERIFY2(worker.waitForReadyRead(20000),
                     qPrintable(QString::fromUtf8(worker.readAllStandardError())));
            seen += QString::fromUtf8(worker.readAllStandardOutput());
        }
        worker.kill();
        QVERIFY(worker.waitForFinished());

        db().open(folder);
        QCOMPARE(db().integrityCheck(), QStringLiteral("ok"));
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:K5"));
        QCOMPARE(consistencyProblem(db(), doc), QString());
        QCOMPARE(rowOf(db(), QStringLiteral("SELECT netto FROM szla WHERE szla=?"), {doc})
                     .value("netto")
                     .toDouble(),
                 30.0);

        // The same import left to run to its end adds every line.
        db().close();
        worker.start(QCoreApplication::applicationFilePath(), {kWorker, folder, QString::number(doc), file});
        QVERIFY(worker.waitForFinished(120000));
        db().open(folder);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE szla=?"), 0, {doc}),
                 qint64(401));
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    void command_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("err");
        QTest::newRow("semicolons") << QStringList{"--semicolon", "--qty", "--price"}
                                    << QByteArray("ALMA;2;100\nK5;1;5\n") << 0 << "1:ALMA 2:K5"
                                    << "";
        QTest::newRow("one per line, old code page")
            << QStringList{"--qty"} << QByteArray("k\xf6nyv\n1\nK18\n2") << 1 << ""
            << "Nem létező cikkszám: KONYV";
        QTest::newRow("stops at an unknown code")
            << QStringList{} << QByteArray("K18\nNINCS\nALMA") << 1 << "1:K18"
            << "Nem létező cikkszám: NINCS";
        QTest::newRow("unknown switch") << QStringList{"--mennyiseg"} << QByteArray("ALMA") << 2 << ""
                                        << "ismeretlen kapcsoló: --mennyiseg";
    }
    void command() {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, file);
        QFETCH(int, exitCode);
        QFETCH(QString, lines);
        QFETCH(QString, err);
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        const QString path = writeFile(QStringLiteral("sorok.txt"), file);
        const Run r = run(QStringList{db().folder(), QString::number(doc), path} + options);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(lineCodes(db(), doc), lines);
        if (err.isEmpty())
            QCOMPARE(r.err, QString());
        else
            QVERIFY2(r.err.contains(err), qPrintable(r.err));
        if (exitCode != 2)
            QVERIFY2(r.out.startsWith(QString::number(lines.isEmpty() ? 0 : lines.count(QLatin1Char(':'))) +
                                      QStringLiteral(" tétel hozzáadva")),
                     qPrintable(r.out));
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    void commandRefusesPostedDocument() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {doc});
        const QString path = writeFile(QStringLiteral("sorok.txt"), "ALMA");
        const Run r = run({db().folder(), QString::number(doc), path});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Könyvelt bizonylat nem módosítható.")), qPrintable(r.err));
        QCOMPARE(lineCodes(db(), doc), QString());
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 4 && args.at(1) == kWorker)
        return runWorker(args.mid(2));
    if (args.size() > 1 && args.at(1) == kRun)
        return cli::runCommand({&documentCommands()},
                               QStringList{QStringLiteral("import-lines")} + args.mid(2));
    LineImportTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "lineimport_test.moc"
