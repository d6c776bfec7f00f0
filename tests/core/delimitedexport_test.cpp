// The delimited text and spreadsheet export on a real data folder: the exact
// bytes of each setting, values that hold the delimiter, quotes or line
// breaks read back by Python's csv reader into the same columns, the .xlsx
// opened with unzip, stopping, refused statements and the command line.
#include "TestFolders.h"

#include "common/Database.h"
#include "core/DelimitedExport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The rows of a delimited file as Python's csv module reads them.
QVector<QStringList> csvRows(const QString& path, QChar delimiter) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import csv, json, sys\n"
                            "rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), "
                            "delimiter=sys.argv[2]))\n"
                            "print(json.dumps(rows))"),
             path, QString(delimiter)});
    p.waitForFinished(20000);
    QVector<QStringList> out;
    for (const QJsonValue& row : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue& c : row.toArray())
            cells << c.toString();
        out << cells;
    }
    return out;
}

QByteArray unzipped(const QString& archive, const QString& member) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    p.waitForFinished(20000);
    return p.readAllStandardOutput();
}

} // namespace

class DelimitedExportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDataFolder> m_folder;
    QTemporaryDir m_dir;
    Database& db() { return m_folder->db; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init() {
        m_folder = std::make_unique<TempDataFolder>();
        db().execSql(QStringLiteral("CREATE TABLE proba (nev VARCHAR(40), d DATE, m MEMO TEXT, b BLOB, f FLOAT)"));
    }
    void cleanup() { m_folder.reset(); }
    void textFile_data();
    void textFile();
    void readsBackIntoTheSameColumns_data();
    void readsBackIntoTheSameColumns();
    void workbook();
    void workbookLimits();
    void rowCountOfAnyStatement_data();
    void rowCountOfAnyStatement();
    void stopKeepsTheRowsWritten();
    void failuresWriteNothing();
    void queryToCsvKeepsRecordsWhole();
    void commandLine();
};

void DelimitedExportTest::textFile_data() {
    QTest::addColumn<QString>("select");
    QTest::addColumn<int>("delimiter");
    QTest::addColumn<int>("qualifier");
    QTest::addColumn<QString>("flags"); // m: multi-line memos, f: field names, h: no header, -X: untick X
    QTest::addColumn<QByteArray>("expected");

    const int semi = int(Delimiter::Semicolon), tab = int(Delimiter::Tab), comma = int(Delimiter::Comma),
              pipe = int(Delimiter::Pipe);
    const int none = int(Qualifier::None), dq = int(Qualifier::DoubleQuote), ap = int(Qualifier::Apostrophe);
    QTest::newRow("defaults: labels, every value followed by the delimiter")
        << "SELECT 1 AS A, 'x' AS B" << semi << none << "" << QByteArray("Első;B;\r\n1;x;\r\n");
    QTest::newRow("field names instead of labels")
        << "SELECT 1 AS A, 'x' AS B" << semi << none << "f" << QByteArray("A;B;\r\n1;x;\r\n");
    QTest::newRow("double quote and tab") << "SELECT 1 AS A, 'x' AS B" << tab << dq << ""
                                          << QByteArray("\"Első\"\t\"B\"\t\r\n\"1\"\t\"x\"\t\r\n");
    QTest::newRow("no header: the first line is empty")
        << "SELECT 1 AS A, 'x' AS B" << semi << none << "h" << QByteArray("\r\n1;x;\r\n");
    QTest::newRow("an unticked field is left out")
        << "SELECT 1 AS A, 'x' AS B" << pipe << none << "-A" << QByteArray("B|\r\nx|\r\n");
    QTest::newRow("a delimiter inside a value is quoted")
        << "SELECT 'Kovács; és Társa' AS nev" << semi << none << "f" << QByteArray("nev;\r\n\"Kovács; és Társa\";\r\n");
    QTest::newRow("another delimiter's character is left alone")
        << "SELECT 'Kovács; és Társa' AS nev" << comma << none << "f" << QByteArray("nev,\r\nKovács; és Társa,\r\n");
    QTest::newRow("inner double quotes doubled")
        << "SELECT 'a\"b' AS nev" << semi << none << "f" << QByteArray("nev;\r\n\"a\"\"b\";\r\n");
    QTest::newRow("the chosen qualifier is doubled")
        << "SELECT 'a\"b' AS nev" << semi << dq << "f" << QByteArray("\"nev\";\r\n\"a\"\"b\";\r\n");
    QTest::newRow("apostrophe qualifier doubled") << "SELECT 'O''Brien' AS nev" << semi << ap << "f"
                                                  << QByteArray("'nev';\r\n'O''Brien';\r\n");
    QTest::newRow("a line break keeps its record whole")
        << "SELECT 'első'||char(13)||char(10)||'második' AS nev" << semi << none << "f"
        << QByteArray("nev;\r\n\"első\r\nmásodik\";\r\n");
    QTest::newRow("numbers and dates as the program shows them")
        << "SELECT nev, d, f FROM proba WHERE nev='szám'" << semi << none << "f"
        << QByteArray("nev;d;f;\r\nszám;2026.01.15;1234,5;\r\n");
    QTest::newRow("a decimal comma with the comma delimiter is quoted")
        << "SELECT f FROM proba WHERE nev='szám'" << comma << none << "f" << QByteArray("f,\r\n\"1234,5\",\r\n");
    QTest::newRow("memo and blob without the multi-line option")
        << "SELECT m, b FROM proba WHERE nev='memo'" << semi << none << "f" << QByteArray("m;b;\r\nBLOB;BLOB;\r\n");
    QTest::newRow("multi-line memo joined with a pipe, delimiters become commas")
        << "SELECT m, b FROM proba WHERE nev='memo'" << semi << none << "fm"
        << QByteArray("m;b;\r\n\"első, sor|\"\"második\"\"\";BLOB;\r\n");
    QTest::newRow("multi-line memo with a qualifier") << "SELECT m FROM proba WHERE nev='memo'" << tab << ap << "fm"
                                                      << QByteArray("'m'\t\r\n'első; sor|\"második\"'\t\r\n");
    QTest::newRow("a memo's closing line break adds no pipe")
        << "SELECT m FROM proba WHERE nev='vége'" << semi << none << "fm" << QByteArray("m;\r\negy|kettő;\r\n");
    QTest::newRow("an empty last line before the closing line break stays")
        << "SELECT m FROM proba WHERE nev='üres sor'" << semi << none << "fm" << QByteArray("m;\r\negy|;\r\n");
    QTest::newRow("an empty result: the header alone")
        << "SELECT nev FROM proba WHERE 1=0" << semi << none << "f" << QByteArray("nev;\r\n");
    QTest::newRow("null values are empty") << "SELECT NULL AS a, d FROM proba WHERE nev='memo'" << semi << none << "f"
                                           << QByteArray("a;d;\r\n;;\r\n");
}

void DelimitedExportTest::textFile() {
    QFETCH(QString, select);
    QFETCH(int, delimiter);
    QFETCH(int, qualifier);
    QFETCH(QString, flags);
    QFETCH(QByteArray, expected);
    db().execSql(QStringLiteral("INSERT INTO proba (nev, d, f) VALUES ('szám', '2026-01-15', 1234.5)"));
    db().execSql(QStringLiteral("INSERT INTO proba (nev, m, b) VALUES ('memo', ?, ?)"),
                 {QStringLiteral("első; sor\r\n\"második\""), QByteArray("\x01\x02", 2)});
    db().execSql(QStringLiteral("INSERT INTO proba (nev, m) VALUES ('vége', ?), ('üres sor', ?)"),
                 {QStringLiteral("egy\r\nkettő\r\n"), QStringLiteral("egy\n\n")});
    const std::unique_ptr<ExportRows> rows = queryRows(db(), select, {{QStringLiteral("A"), QStringLiteral("Első")}});
    ExportOptions o;
    o.delimiter = Delimiter(delimiter);
    o.qualifier = Qualifier(qualifier);
    o.multiLine = flags.contains(QLatin1Char('m'));
    o.fieldNames = flags.contains(QLatin1Char('f'));
    o.noHeader = flags.contains(QLatin1Char('h'));
    if (flags.contains(QLatin1Char('-')))
        o.unticked << flags.section(QLatin1Char('-'), 1);
    const ExportResult r = exportRows(*rows, path(QStringLiteral("out.csv")), o);
    QCOMPARE(readAll(path(QStringLiteral("out.csv"))), expected);
    QVERIFY(!r.stopped);
}

void DelimitedExportTest::readsBackIntoTheSameColumns_data() {
    QTest::addColumn<int>("delimiter");
    QTest::addColumn<int>("qualifier");
    for (const auto& [name, d] : {std::pair{"semicolon", Delimiter::Semicolon}, {"tab", Delimiter::Tab},
                                  {"comma", Delimiter::Comma}, {"pipe", Delimiter::Pipe}}) {
        QTest::addRow("%s, no qualifier", name) << int(d) << int(Qualifier::None);
        QTest::addRow("%s, double quote", name) << int(d) << int(Qualifier::DoubleQuote);
    }
}

void DelimitedExportTest::readsBackIntoTheSameColumns() {
    QFETCH(int, delimiter);
    QFETCH(int, qualifier);
    const QStringList names{QStringLiteral("Kovács; és Társa"), QStringLiteral("Vessző, pont."),
                            QStringLiteral("\"Idézett\" Kft."), QStringLiteral("O'Brien | cső\ttab"),
                            QStringLiteral("két\r\nsoros"), QStringLiteral("egy\nsor"), QString()};
    for (const QString& n : names)
        db().execSql(QStringLiteral("INSERT INTO proba (nev, f) VALUES (?, 1)"), {n});
    const std::unique_ptr<ExportRows> rows =
        queryRows(db(), QStringLiteral("SELECT rowid AS sor, nev, f FROM proba ORDER BY rowid"));
    ExportOptions o;
    o.delimiter = Delimiter(delimiter);
    o.qualifier = Qualifier(qualifier);
    o.fieldNames = true;
    writeDelimited(*rows, path(QStringLiteral("back.csv")), o);
    const QVector<QStringList> back = csvRows(path(QStringLiteral("back.csv")), delimiterChar(o.delimiter));
    QCOMPARE(back.size(), names.size() + 1);
    QCOMPARE(back.first(), (QStringList{"sor", "nev", "f", ""}));
    for (int i = 0; i < names.size(); ++i) {
        QString expected = names.at(i);
        // Python's reader turns the record's CR LF inside quotes into what it read.
        QCOMPARE(back.at(i + 1), (QStringList{QString::number(i + 1), expected, QStringLiteral("1"), QString()}));
    }
}

void DelimitedExportTest::workbook() {
    db().execSql(QStringLiteral("INSERT INTO proba (nev, d, f, m) VALUES ('Kovács; és Társa & <Fiai>', '2026-01-15', "
                                "1234.5, 'két'||char(10)||'sor')"));
    db().execSql(QStringLiteral("INSERT INTO proba (nev, f) VALUES ('Árvíz', NULL)"));
    const std::unique_ptr<ExportRows> rows =
        queryRows(db(), QStringLiteral("SELECT nev, d, f, m FROM proba ORDER BY rowid"));
    ExportOptions o;
    o.multiLine = true;
    int progressCalls = 0;
    const ExportResult r = exportRows(*rows, path(QStringLiteral("lista.XLS")), o, [&](int) {
        ++progressCalls;
        return true;
    });
    // ".XLS" asks for a workbook, written under the .xlsx name.
    QCOMPARE(r.path, path(QStringLiteral("lista.xlsx")));
    QCOMPARE(r.rows, 2);
    QCOMPARE(progressCalls, 3);
    QVERIFY(!QFile::exists(path(QStringLiteral("lista.XLS"))));
    QCOMPARE(QProcess::execute(QStringLiteral("unzip"), {QStringLiteral("-qq"), QStringLiteral("-t"), r.path}), 0);
    const QString sheet = QString::fromUtf8(unzipped(r.path, QStringLiteral("xl/worksheets/sheet1.xml")));
    const QString styles = QString::fromUtf8(unzipped(r.path, QStringLiteral("xl/styles.xml")));
    // The header in bold, the texts as texts, the number as a number, the date
    // as a date (Excel's day number with a date format).
    QVERIFY(styles.contains(QStringLiteral("<b/>")));
    QVERIFY(styles.contains(QStringLiteral("formatCode=\"yyyy.mm.dd\"")));
    QVERIFY(sheet.contains(QStringLiteral("<t>nev</t>")));
    QVERIFY(sheet.contains(QStringLiteral("Kovács; és Társa &amp; &lt;Fiai&gt;")));
    QVERIFY(sheet.contains(QStringLiteral("<v>1234.5</v>")));
    const qint64 day = QDate(1899, 12, 30).daysTo(QDate(2026, 1, 15));
    QVERIFY2(sheet.contains(QStringLiteral("<v>%1</v>").arg(day)), qPrintable(sheet));
    QVERIFY(sheet.contains(QStringLiteral("két\nsor")));
    QVERIFY(sheet.contains(QStringLiteral("Árvíz")));
    const QRegularExpression headerCell(QStringLiteral("<c r=\"A1\" s=\"(\\d+)\""));
    const QRegularExpression textCell(QStringLiteral("<c r=\"A2\" s=\"(\\d+)\""));
    QVERIFY(headerCell.match(sheet).hasMatch() && textCell.match(sheet).hasMatch());
    QVERIFY(headerCell.match(sheet).captured(1) != textCell.match(sheet).captured(1));
    QCOMPARE(isWorkbookName(QStringLiteral("a.xlsx")), true);
    QCOMPARE(isWorkbookName(QStringLiteral("a.xls.csv")), false);
    QCOMPARE(workbookPath(QStringLiteral("/t/a.Xlsx")), QStringLiteral("/t/a.xlsx"));
}

namespace {

// Rows of one text field: count rows, each holding text (null when empty).
class GeneratedRows : public ExportRows {
public:
    GeneratedRows(int count, QString text) : m_count(count), m_text(std::move(text)) {
        m_fields = {{QStringLiteral("t"), QStringLiteral("t"), ExportFieldType::Text}};
    }
    const QVector<ExportField>& fields() const override { return m_fields; }
    int rowCount() override { return m_count; }
    bool next() override { return ++m_row < m_count; }
    QVariant value(int) const override { return m_text.isEmpty() ? QVariant() : QVariant(m_text); }

private:
    QVector<ExportField> m_fields;
    int m_count;
    QString m_text;
    int m_row = -1;
};

} // namespace

// What a worksheet cannot hold is not dropped silently: an over-long text is
// cut to the cell's limit and counted, a list longer than a sheet fails the
// export and leaves no file.
void DelimitedExportTest::workbookLimits() {
    // 32 766 letters, then a character outside the BMP across the limit.
    const QString longText = QString(32766, QChar(0xE1)) + QString::fromUcs4(U"\U0001F600") + QString(5000, QLatin1Char('x'));
    GeneratedRows one(1, longText);
    const ExportResult r = writeWorkbook(one, path(QStringLiteral("hosszu.xlsx")), ExportOptions{});
    QCOMPARE(r.rows, 1);
    QCOMPARE(r.cutTexts, 1);
    const QString sheet = QString::fromUtf8(unzipped(r.path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QVERIFY(sheet.contains(QStringLiteral("<t>") + QString(32766, QChar(0xE1)) + QStringLiteral("</t>")));

    GeneratedRows tooMany(1048576, QString());
    try {
        writeWorkbook(tooMany, path(QStringLiteral("sok.xlsx")), ExportOptions{});
        QFAIL("a list longer than a worksheet was reported written");
    } catch (const ExportError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("1 048 576")), qPrintable(e.text()));
    }
    QVERIFY(!QFile::exists(path(QStringLiteral("sok.xlsx"))));
    QCOMPARE(QDir(m_dir.path()).entryList(QStringList{QStringLiteral("*sok*")}, QDir::Files | QDir::Hidden),
             QStringList());
    // One row fewer fits, the header included.
    GeneratedRows fits(1048575, QString());
    QCOMPARE(writeWorkbook(fits, path(QStringLiteral("sok.xlsx")), ExportOptions{}).rows, 1048575);
}

// The progress bar's count works for any statement the export takes: one
// closed by a comment, a read-only PRAGMA, a CTE.
void DelimitedExportTest::rowCountOfAnyStatement_data() {
    QTest::addColumn<QString>("select");
    QTest::addColumn<int>("count");
    QTest::newRow("a closing comment") << "SELECT nev FROM proba -- a nevek" << 3;
    QTest::newRow("a closing semicolon") << "SELECT nev FROM proba WHERE nev <> 'c' ; " << 2;
    QTest::newRow("a read-only PRAGMA") << "PRAGMA table_info(proba)" << 5;
    QTest::newRow("a CTE") << "WITH t AS (SELECT nev FROM proba) SELECT * FROM t" << 3;
}
void DelimitedExportTest::rowCountOfAnyStatement() {
    QFETCH(QString, select);
    QFETCH(int, count);
    db().execSql(QStringLiteral("INSERT INTO proba (nev) VALUES ('a'), ('b'), ('c')"));
    const std::unique_ptr<ExportRows> rows = queryRows(db(), select);
    QCOMPARE(rows->rowCount(), count);
    QCOMPARE(writeDelimited(*rows, path(QStringLiteral("n.csv")), ExportOptions{}).rows, count);
}

void DelimitedExportTest::stopKeepsTheRowsWritten() {
    for (int i = 0; i < 5; ++i)
        db().execSql(QStringLiteral("INSERT INTO proba (nev) VALUES (?)"), {QString::number(i)});
    for (const QString& name : {QStringLiteral("stop.csv"), QStringLiteral("stop.xlsx")}) {
        const std::unique_ptr<ExportRows> rows = queryRows(db(), QStringLiteral("SELECT nev FROM proba ORDER BY rowid"));
        QCOMPARE(rows->rowCount(), 5);
        const ExportResult r = exportRows(*rows, path(name), ExportOptions{}, [](int done) { return done < 2; });
        QVERIFY(r.stopped);
        QCOMPARE(r.rows, 2);
    }
    QCOMPARE(readAll(path(QStringLiteral("stop.csv"))), QByteArray("nev;\r\n0;\r\n1;\r\n"));
    QVERIFY(!unzipped(path(QStringLiteral("stop.xlsx")), QStringLiteral("xl/worksheets/sheet1.xml")).contains("<t>2</t>"));
}

void DelimitedExportTest::failuresWriteNothing() {
    db().execSql(QStringLiteral("INSERT INTO proba (nev) VALUES ('marad')"));
    // A statement that would change the data folder is refused before it runs.
    for (const QString& statement : {QStringLiteral("DELETE FROM proba"), QStringLiteral("UPDATE proba SET nev='x'"),
                                    QStringLiteral("DROP TABLE proba")}) {
        QVERIFY_THROWS_EXCEPTION(ExportError, queryRows(db(), statement));
    }
    QCOMPARE(db().queryText(QStringLiteral("SELECT nev FROM proba"), {}), QStringLiteral("marad"));
    QVERIFY_THROWS_EXCEPTION(DbError, queryRows(db(), QStringLiteral("SELECT nincs FROM proba")));
    // A place that cannot be written: the error names the file, nothing is left behind.
    for (const QString& name : {QStringLiteral("nincs/x.csv"), QStringLiteral("nincs/x.xlsx")}) {
        const std::unique_ptr<ExportRows> rows = queryRows(db(), QStringLiteral("SELECT nev FROM proba"));
        try {
            exportRows(*rows, path(name), ExportOptions{});
            QFAIL("written into a missing folder");
        } catch (const ExportError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("/nincs/x.")), qPrintable(e.text()));
        }
    }
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("nincs"))));
}

void DelimitedExportTest::queryToCsvKeepsRecordsWhole() {
    db().execSql(QStringLiteral("INSERT INTO proba (nev, m, f) VALUES ('a;b', 'első'||char(10)||'második', 2.5)"));
    queryToCsv(db(), QStringLiteral("SELECT nev, m, f, 12 AS szam FROM proba"), path(QStringLiteral("q.csv")));
    QCOMPARE(readAll(path(QStringLiteral("q.csv"))),
             QByteArray("nev;m;f;szam;\r\n\"a;b\";\"első\nmásodik\";2,5;12;\r\n"));
    const QVector<QStringList> back = csvRows(path(QStringLiteral("q.csv")), QLatin1Char(';'));
    QCOMPARE(back.size(), 2);
    QCOMPARE(back.at(1), (QStringList{"a;b", "első\nmásodik", "2,5", "12", ""}));
}

void DelimitedExportTest::commandLine() {
    const QString cli = QString::fromLocal8Bit(qgetenv("ORVIX_CLI"));
    QVERIFY2(!cli.isEmpty(), "ORVIX_CLI names the command-line program");
    db().execSql(QStringLiteral("INSERT INTO proba (nev, f, m) VALUES ('Kovács; és Társa', 3, ?)"),
                 {QStringLiteral("első\r\nmásodik; sor\r\n")});
    const QString folder = m_folder->folder;
    db().close();
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(cli, QStringList{QStringLiteral("export"), folder} + args);
        p.waitForFinished(60000);
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    const QString select = QStringLiteral("SELECT nev, f FROM proba");
    QCOMPARE(run({"--query", select, "--out", path("c.csv"), "--delimiter", "tab", "--qualifier", "double"}).first, 0);
    QCOMPARE(readAll(path(QStringLiteral("c.csv"))), QByteArray("\"nev\"\t\"f\"\t\r\n\"Kovács; és Társa\"\t\"3\"\t\r\n"));
    QCOMPARE(run({"--query", select, "--out", path("c.xls")}).first, 0);
    // Memo fields: "BLOB" as the window writes them, or their text.
    const QString memo = QStringLiteral("SELECT nev, m FROM proba");
    QCOMPARE(run({"--query", memo, "--out", path("m1.csv")}).first, 0);
    QCOMPARE(readAll(path(QStringLiteral("m1.csv"))), QByteArray("nev;m;\r\n\"Kovács; és Társa\";BLOB;\r\n"));
    QCOMPARE(run({"--query", memo, "--out", path("m2.csv"), "--memo", "text"}).first, 0);
    QCOMPARE(readAll(path(QStringLiteral("m2.csv"))),
             QByteArray("nev;m;\r\n\"Kovács; és Társa\";\"első\r\nmásodik; sor\r\n\";\r\n"));
    QCOMPARE(run({"--query", memo, "--out", path("m3.csv"), "--memo", "pipe"}).first, 0);
    QCOMPARE(readAll(path(QStringLiteral("m3.csv"))), QByteArray("nev;m;\r\n\"Kovács; és Társa\";első|második, sor;\r\n"));
    QCOMPARE(run({"--query", memo, "--out", path("m4.csv"), "--memo", "szöveg"}).first, 2);
    QVERIFY(QFile::exists(path(QStringLiteral("c.xlsx"))));
    // Bad command lines change nothing.
    QCOMPARE(run({"--query", select, "--out", path("d.csv"), "--delimiter", "x"}).first, 2);
    QCOMPARE(run({"--query", select, "--out", path("d.csv"), "--qualifier", "both"}).first, 2);
    QCOMPARE(run({"--out", path("d.csv")}).first, 2);
    const auto refused = run({"--query", "DELETE FROM proba", "--out", path("d.csv")});
    QCOMPARE(refused.first, 1);
    QVERIFY2(refused.second.contains(QStringLiteral("Csak lekérdezés")), qPrintable(refused.second));
    QVERIFY(!QFile::exists(path(QStringLiteral("d.csv"))));
    db().open(folder);
    QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM proba"), 0), 1);
}

QTEST_GUILESS_MAIN(DelimitedExportTest)
#include "delimitedexport_test.moc"
