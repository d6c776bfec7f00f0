// Document numbers are never given twice: the unique index of the two
// sequences and several processes creating documents on one data folder
// at the same time.
//
// The executable is its own worker: started with --numbering-worker it
// creates documents through the new-document command and exits.
#include "TestFolders.h"

#include "common/Database.h"
#include "invoicing/DocumentCommands.h"
#include "invoicing/Documents.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

using namespace orvix;
using namespace orvix::test;

namespace {

const QString kWorkerArgument = QStringLiteral("--numbering-worker");

// Worker: FOLDER CUSTOMER COUNT KINDS — COUNT documents of one line each,
// their kinds taken from KINDS in turn.
int runWorker(const QStringList& args) {
    if (args.size() != 4)
        return 2;
    const QString folder = args.at(0);
    const QString customer = args.at(1);
    const int count = args.at(2).toInt();
    const QString kinds = args.at(3);
    for (int i = 0; i < count; ++i) {
        const int rc = cli::runCommand({&documentCommands()},
                                       {QStringLiteral("new-document"), folder, QStringLiteral("--kind"),
                                        QString(kinds.at(i % kinds.size())), QStringLiteral("--customer"),
                                        customer, QStringLiteral("--line"), QStringLiteral("N1:1")});
        if (rc != 0)
            return rc;
    }
    return 0;
}

void insertDocument(Database& db, const QString& kind, qint64 number) {
    db.execSql(QStringLiteral("INSERT INTO szla (prntip, szlaszam) VALUES (?, ?)"), {kind, number});
}

// The numbers of one sequence in creation order.
QList<qint64> numbers(Database& db, bool proforma) {
    QSqlQuery q = db.select(QStringLiteral("SELECT szlaszam FROM szla WHERE prntip %1 'P' ORDER BY szla")
                                .arg(proforma ? QStringLiteral("=") : QStringLiteral("<>")));
    QList<qint64> out;
    while (q.next())
        out << q.value(0).toLongLong();
    return out;
}

} // namespace

class NumberingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    Database& db() { return m_folder->db; }

private Q_SLOTS:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    // Two documents with one number: refused within a sequence.
    void uniqueIndex_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("S and S") << "S"
                                 << "S" << true;
        QTest::newRow("S and J share a sequence") << "S"
                                                  << "J" << true;
        QTest::newRow("S and W share a sequence") << "S"
                                                  << "W" << true;
        QTest::newRow("proforma apart") << "S"
                                        << "P" << false;
        QTest::newRow("P and P") << "P"
                                 << "P" << true;
    }
    void uniqueIndex() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, refused);
        insertDocument(db(), first, 7);
        QString error;
        try {
            insertDocument(db(), second, 7);
        } catch (const DbError& e) {
            error = e.text();
        }
        QCOMPARE(!error.isEmpty(), refused);
        // The retry of a header insert recognises the conflict by the index name.
        if (refused)
            QVERIFY2(error.contains(QStringLiteral("idx_szla_szlaszam")), qPrintable(error));
    }

    // Several processes create invoices, credit notes and proformas on one
    // folder at once: every sequence stays without repeats and without gaps.
    void concurrentCreation() {
        const int workers = 4;
        const int perWorker = 12;
        db().execSql(QStringLiteral("UPDATE beallit SET indulszla=501"));
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev) VALUES ('Vevő')"));
        db().execSql(QStringLiteral(
            "INSERT INTO cikkszam (cikkszam, cikkszam_nev, netto, afakulcs) VALUES ('N1', 'Nyomat', "
            "1000, 27)"));
        const QString customer =
            QString::number(db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0));
        const QString folder = m_folder->folder;
        db().close();

        const QStringList kinds{QStringLiteral("SJP"), QStringLiteral("PSJ"), QStringLiteral("JPS"),
                                QStringLiteral("SSP")};
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < workers; ++i) {
            auto p = std::make_unique<QProcess>();
            p->start(QCoreApplication::applicationFilePath(),
                     {kWorkerArgument, folder, customer, QString::number(perWorker), kinds.at(i)});
            processes.push_back(std::move(p));
        }
        for (auto& p : processes) {
            QVERIFY(p->waitForFinished(300000));
            const QString err = QString::fromUtf8(p->readAllStandardError());
            QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0, qPrintable(err));
            QCOMPARE(QString::fromUtf8(p->readAllStandardOutput()).count(QLatin1Char('\n')), perWorker);
        }

        db().open(folder);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0), qint64(workers * perWorker));
        // Every document came with its line.
        QCOMPARE(
            db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla s WHERE (SELECT COUNT(*) FROM szla_sor l "
                                         "WHERE l.szla = s.szla) = 1"),
                          0),
            qint64(workers * perWorker));

        for (const bool proforma : {false, true}) {
            const QList<qint64> created = numbers(db(), proforma);
            QVERIFY(!created.isEmpty());
            // The very first document of the shared sequence starts it at 501
            // when it is an invoice, at 1 when it is a credit note.
            qint64 start = 1;
            if (!proforma &&
                db().queryText(QStringLiteral("SELECT prntip FROM szla WHERE prntip<>'P' ORDER BY szla"),
                               QString()) == QLatin1String("S"))
                start = 501;
            QList<qint64> sorted = created;
            std::sort(sorted.begin(), sorted.end());
            for (int i = 0; i < sorted.size(); ++i)
                QCOMPARE(sorted.at(i), start + i);
            // Numbers follow the order of creation.
            QCOMPARE(created, sorted);
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args.at(1) == kWorkerArgument)
        return runWorker(args.mid(2));
    NumberingTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "numbering_test.moc"
