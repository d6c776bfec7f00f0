// print-pdf as a script runs it: the written PDF, the marks of an unposted
// document, the copies, the layout override, the untouched print counter and
// the exit codes.
#include "PrintFixture.h"

#include <QProcess>

using namespace orvix;
using namespace orvix::test;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class PrintCommandTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrintFixture> f;
    qint64 m_doc = 0;

    Run run(const QStringList& args) {
        f->db().close();
        QProcess p;
        p.start(QString::fromLocal8Bit(qgetenv("ORVIX_CLI")), QStringList{QStringLiteral("print-pdf")} + args);
        Run r;
        if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
            r = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        f->db().open(f->folder->folder);
        return r;
    }
    QString out(const QString& name = QStringLiteral("szamla.pdf")) const {
        return QDir(f->work.path()).filePath(name);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(!qgetenv("ORVIX_CLI").isEmpty(), "ORVIX_CLI names the command-line program"); }

    void init() {
        f = std::make_unique<PrintFixture>();
        f->db().execSql(QStringLiteral("UPDATE beallit SET alappld=2"));
        m_doc = f->document(f->customer(QStringLiteral("Parancssori Vevő")),
                            {{QStringLiteral("Árvíztűrő tükörfúrógép"), QStringLiteral("db"), 2, 1500, 27}},
                            QStringLiteral("szlaszam=77"));
    }
    void cleanup() { f.reset(); }

    void writesTheDocumentAsThePreviewShowsIt() {
        const Run r = run({f->folder->folder, QString::number(m_doc), QStringLiteral("--out"), out()});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains(QStringLiteral("1 példány, 1 oldal")));
        const QString text = squeezed(pdfText(out()));
        QVERIFY2(text.contains(QStringLiteral("Árvíztűrő tükörfúrógép")), qPrintable(r.err + text));
        QVERIFY(text.contains(QStringLiteral("Nem könyvelt bizonylat")));
        QVERIFY(text.contains(QStringLiteral("SA0000077-S/2026")));
        QVERIFY(text.contains(QStringLiteral("qrSzla")));
        QCOMPARE(pdfPageCount(out()), 1);
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {m_doc}), 0);
    }

    void copiesAndLayout() {
        f->db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {m_doc});
        Run r = run({f->folder->folder, QString::number(m_doc), QStringLiteral("--copy"),
                     QStringLiteral("--out=") + out(), QStringLiteral("--layout"), QStringLiteral("2")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(pdfPageCount(out()), 2);
        QString text = squeezed(pdfText(out()));
        QCOMPARE(text.count(QStringLiteral("qrSzla2")), 2);
        QVERIFY(!text.contains(QStringLiteral("Nem könyvelt")));
        // Printed before: one copy.
        f->db().execSql(QStringLiteral("UPDATE szla SET nyomtatva=1 WHERE szla=?"), {m_doc});
        r = run({f->folder->folder, QString::number(m_doc), QStringLiteral("--copy"), QStringLiteral("--out"), out(),
                 QStringLiteral("--layout"), QStringLiteral("receipt")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(pdfPageCount(out()), 1);
        text = squeezed(pdfText(out()));
        QVERIFY(text.contains(QStringLiteral("Parancssori Vevő")));
        QVERIFY(!text.contains(QStringLiteral("qrSzla")));
        QCOMPARE(f->db().queryInt(QStringLiteral("SELECT nyomtatva FROM szla WHERE szla=?"), -1, {m_doc}), 1);
    }

    void badCommandLines_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no key") << QStringList{QStringLiteral("DIR")} << 2;
        QTest::newRow("key not a number") << QStringList{QStringLiteral("DIR"), QStringLiteral("x"),
                                                         QStringLiteral("--out"), QStringLiteral("OUT")}
                                          << 2;
        QTest::newRow("no --out") << QStringList{QStringLiteral("DIR"), QStringLiteral("KEY")} << 2;
        QTest::newRow("bad layout") << QStringList{QStringLiteral("DIR"), QStringLiteral("KEY"),
                                                   QStringLiteral("--out"), QStringLiteral("OUT"),
                                                   QStringLiteral("--layout"), QStringLiteral("3")}
                                    << 2;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("DIR"), QStringLiteral("KEY"),
                                                       QStringLiteral("--out"), QStringLiteral("OUT"),
                                                       QStringLiteral("--pages")}
                                        << 2;
        QTest::newRow("unknown document") << QStringList{QStringLiteral("DIR"), QStringLiteral("999"),
                                                         QStringLiteral("--out"), QStringLiteral("OUT")}
                                          << 1;
        QTest::newRow("not a data folder") << QStringList{QStringLiteral("WORK"), QStringLiteral("KEY"),
                                                          QStringLiteral("--out"), QStringLiteral("OUT")}
                                           << 1;
        QTest::newRow("unwritable file") << QStringList{QStringLiteral("DIR"), QStringLiteral("KEY"),
                                                        QStringLiteral("--out"), QStringLiteral("WORK/nincs/x.pdf")}
                                         << 1;
    }
    void badCommandLines() {
        QFETCH(QStringList, args);
        for (QString& a : args) {
            a.replace(QStringLiteral("DIR"), f->folder->folder);
            a.replace(QStringLiteral("KEY"), QString::number(m_doc));
            a.replace(QStringLiteral("OUT"), out());
            a.replace(QStringLiteral("WORK"), f->work.path());
        }
        const Run r = run(args);
        QFETCH(int, exitCode);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(r.err.startsWith(QStringLiteral("Hiba: ")));
        QVERIFY(!QFile::exists(out()));
    }
};

QTEST_MAIN(PrintCommandTest)
#include "printcommand_test.moc"
