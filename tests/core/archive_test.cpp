// The archive of a data folder and its restore, through the command line as a
// user or a script meets them: an archive taken while another process keeps
// writing is a sound ZIP file holding a sound database with everything
// committed before it began; a restore checks the archive before it writes
// and never lands on an existing data folder.
#include "common/Database.h"
#include "core/Archive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace orvix;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(300000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// The writer child: inserts documents one transaction each and prints the
// number of each one once it is committed.
int writerMain(const QString& folder) {
    Database db(QStringLiteral("writer"));
    db.open(folder);
    for (int n = 1; n <= 1000000; ++n) {
        db.execSql(QStringLiteral("INSERT INTO szla (bizonylat, ugyfel_nev) VALUES (?, ?)"),
                   {QStringLiteral("W%1").arg(n), QStringLiteral("Árvíztűrő Kft. %1").arg(n)});
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class ArchiveTest : public QObject {
    Q_OBJECT

    QString m_cli;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString newFolder(const QString& name) {
        const Run r = run(m_cli, {QStringLiteral("init"), path(name)});
        return r.exitCode == 0 ? path(name) : QString();
    }

private Q_SLOTS:
    void initTestCase() {
        m_cli = qEnvironmentVariable("ORVIX_CLI");
        QVERIFY2(QFileInfo(m_cli).isExecutable(), "ORVIX_CLI names no built command-line program");
        QVERIFY(m_dir.isValid());
    }

    void offeredNameIsTheDay() {
        QCOMPARE(offeredArchiveFile(QStringLiteral("/a/Archiv"), QDate(2024, 5, 31)),
                 QStringLiteral("/a/Archiv/20240531.zip"));
        QCOMPARE(offeredArchiveFile(QStringLiteral("/a/Archiv"), QDate(2024, 5, 31)),
                 offeredArchiveFile(QStringLiteral("/a/Archiv/"), QDate(2024, 5, 31)));
    }

    void archiveWhileWriting_data() {
        QTest::addColumn<int>("round");
        for (int i = 1; i <= 3; ++i)
            QTest::addRow("round %d", i) << i;
    }

    // Another process inserts documents all the while the archive is taken.
    void archiveWhileWriting() {
        QFETCH(int, round);
        const QString folder = newFolder(QStringLiteral("busy%1").arg(round));
        QVERIFY(!folder.isEmpty());
        QFile extra(QDir(folder).filePath(QStringLiteral("jegyzet.txt")));
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.write("megjegyzés\n");
        extra.close();

        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), folder});
        QVERIFY(writer.waitForStarted());
        int committed = 0;
        QByteArray pending;
        auto readCommitted = [&] {
            pending += writer.readAllStandardOutput();
            const int cut = pending.lastIndexOf('\n');
            if (cut < 0)
                return;
            const QList<QByteArray> lines = pending.left(cut).split('\n');
            committed = qMax(committed, lines.last().trimmed().toInt());
            pending = pending.mid(cut + 1);
        };
        QElapsedTimer waited;
        waited.start();
        while (committed < 20 * round && waited.elapsed() < 60000) {
            writer.waitForReadyRead(1000);
            readCommitted();
        }
        QVERIFY2(committed >= 20 * round, qPrintable(QString::fromUtf8(writer.readAllStandardError())));
        readCommitted();
        const int before = committed;

        const QString zip = path(QStringLiteral("busy%1.zip").arg(round));
        const Run archived = run(m_cli, {QStringLiteral("archive"), folder, QStringLiteral("--out"), zip});
        // The writer goes on undisturbed by the archive.
        waited.restart();
        while (committed <= before && waited.elapsed() < 30000) {
            writer.waitForReadyRead(1000);
            readCommitted();
        }
        const int after = committed;
        writer.kill();
        writer.waitForFinished();
        QVERIFY2(archived.exitCode == 0, qPrintable(archived.err));
        QVERIFY2(after > before, "the writer stopped while the archive was taken");

        const Run tested = run(QStringLiteral("unzip"), {QStringLiteral("-t"), zip});
        QVERIFY2(tested.exitCode == 0, qPrintable(tested.out + tested.err));
        QVERIFY(tested.out.contains(QLatin1String("jegyzet.txt")));
        QVERIFY(!tested.out.contains(QLatin1String("-journal")));

        const QString restored = path(QStringLiteral("restored%1").arg(round));
        const Run back = run(m_cli, {QStringLiteral("restore"), zip, restored});
        QVERIFY2(back.exitCode == 0, qPrintable(back.err));
        const Run checked = run(m_cli, {QStringLiteral("check"), restored});
        QCOMPARE(checked.out.trimmed(), QStringLiteral("ok"));

        Database db(QStringLiteral("restored%1").arg(round));
        db.open(restored);
        const int count = db.queryText(QStringLiteral("SELECT count(*) FROM szla WHERE bizonylat LIKE 'W%'"),
                                       QStringLiteral("0")).toInt();
        const int highest = db.queryText(QStringLiteral("SELECT max(CAST(substr(bizonylat, 2) AS INTEGER)) FROM "
                                                        "szla WHERE bizonylat LIKE 'W%'"),
                                         QStringLiteral("0")).toInt();
        db.close();
        // Every document committed before the archive began, and no gaps: a
        // snapshot of one moment.
        QVERIFY2(highest >= before, qPrintable(QStringLiteral("%1 < %2").arg(highest).arg(before)));
        QCOMPARE(count, highest);
        QVERIFY(QFile::exists(QDir(restored).filePath(QStringLiteral("jegyzet.txt"))));
    }

    void restoreRefuses_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("existing data folder") << "existing" << "már van adatbázis";
        QTest::newRow("folder not empty") << "notempty" << "nem üres";
        QTest::newRow("broken entry") << "crc" << "Sérült bejegyzés";
        QTest::newRow("not a zip file") << "garbage" << "nem olvasható";
        QTest::newRow("no database inside") << "nodb" << "nincs adatbázis";
        QTest::newRow("name leaving the folder") << "escape" << "hibás nevet";
    }

    // A refused restore writes nothing: the target stays as it was.
    void restoreRefuses() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        const QString folder = newFolder(QStringLiteral("src-") + damage);
        QVERIFY(!folder.isEmpty());
        QString zip = path(QStringLiteral("src-%1.zip").arg(damage));
        QCOMPARE(run(m_cli, {QStringLiteral("archive"), folder, QStringLiteral("--out"), zip}).exitCode, 0);
        QString target = path(QStringLiteral("target-") + damage);

        if (damage == QLatin1String("existing")) {
            target = folder;
        } else if (damage == QLatin1String("notempty")) {
            QVERIFY(QDir().mkpath(target));
            QFile f(QDir(target).filePath(QStringLiteral("x.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (damage == QLatin1String("crc")) {
            // One byte in the middle of the compressed database.
            QFile f(zip);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
            f.seek(0);
            f.write(bytes);
        } else if (damage == QLatin1String("garbage")) {
            QFile f(zip);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("nem zip");
        } else {
            const QString name = damage == QLatin1String("nodb") ? QStringLiteral("a.txt")
                                                                 : QStringLiteral("../kint.txt");
            zip = path(damage + QStringLiteral("-made.zip"));
            const Run made = run(QStringLiteral("python3"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("import zipfile,sys; z=zipfile.ZipFile(sys.argv[1],'w'); "
                                                 "z.writestr(sys.argv[2],'x'); z.close()"),
                                  zip, name});
            QCOMPARE(made.exitCode, 0);
        }
        const QStringList beforeEntries =
            QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QStringList parentBefore = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden |
                                                                       QDir::NoDotAndDotDot);
        const Run r = run(m_cli, {QStringLiteral("restore"), zip, target});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), beforeEntries);
        // No staging folder is left behind either.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 parentBefore);
    }

    // A failed archive leaves no file; an existing archive of the same name is
    // replaced only by a complete one.
    void failedArchiveLeavesNothing() {
        const QString folder = newFolder(QStringLiteral("fail"));
        QVERIFY(!folder.isEmpty());
        const QString missing = path(QStringLiteral("nincs/x.zip"));
        const Run r = run(m_cli, {QStringLiteral("archive"), folder, QStringLiteral("--out"), missing});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Hiba az archiválás közben")), qPrintable(r.err));
        QVERIFY(!QFile::exists(missing));
        // Into the folder itself: refused, nothing written there.
        const QString inside = QDir(folder).filePath(QStringLiteral("x.zip"));
        QCOMPARE(run(m_cli, {QStringLiteral("archive"), folder, QStringLiteral("--out"), inside}).exitCode, 1);
        QVERIFY(!QFile::exists(inside));
        // Twice to the same name: the second replaces the first whole.
        const QString zip = path(QStringLiteral("twice.zip"));
        QCOMPARE(run(m_cli, {QStringLiteral("archive"), folder, QStringLiteral("--out"), zip}).exitCode, 0);
        QCOMPARE(run(m_cli, {QStringLiteral("archive"), folder, QStringLiteral("--out"), zip}).exitCode, 0);
        QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-t"), zip}).exitCode, 0);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral(".archiv-*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return writerMain(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    ArchiveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "archive_test.moc"
