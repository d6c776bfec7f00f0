// The HTML page of a list: the exact lines of each edge case, the code page
// with character references, a page that Python's HTML parser reads back
// into the same texts, the file-name proposal and the html-export command.
#include "TestFolders.h"

#include "common/Codepage.h"
#include "core/HtmlExport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::test;

namespace {

using Rows = QVector<QHash<QString, QVariant>>;

HtmlList listOf(const Rows& rows, const QVector<HtmlColumn>& columns) {
    HtmlList l;
    l.title = QStringLiteral("Cikktörzs");
    l.subtitle = QStringLiteral("2026. december");
    l.columns = columns;
    l.gridWidth = 400;
    l.rowCount = int(rows.size());
    l.text = [rows](int row, const QString& field) { return rows.at(row).value(field).toString(); };
    l.value = [rows](int row, const QString& field) { return rows.at(row).value(field); };
    return l;
}

const QDateTime kNow(QDate(2026, 12, 10), QTime(9, 5, 7));

// The lines between the header row's end and "</table>".
QStringList bodyLines(const QStringList& page) {
    const int start = int(page.indexOf(QStringLiteral("<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">")));
    const int end = int(page.indexOf(QStringLiteral("</table>")));
    return page.mid(start + 1, end - start - 1);
}

QString cell(const QString& width, const QString& text, const QString& align = {}) {
    return QStringLiteral("    <td width=\"%1%\"><font face=\"Verdana\" size=\"1\">%2%3</font></td>").arg(width, align, text);
}
QString headCell(const QString& width, const QString& text, const QString& align = {}) {
    return QStringLiteral("    <td width=\"%1%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>%2%3</strong></font></td>")
        .arg(width, align, text);
}
QString groupRow(const QString& text) {
    return QStringLiteral("    <td width=\"95%\" colspan=\"11\" bgcolor=\"#EAEAEA\"><font face=\"Verdana\" size=\"1\"><strong>%1</strong></font></td>")
        .arg(text);
}
const QString kRight = QStringLiteral("<p align=\"right\">");

} // namespace

class HtmlExportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholePage();
    void tableLines_data();
    void tableLines();
    void codePageAndReferences();
    void parsesBackToTheSameTexts();
    void fileProposalAndWriting();
    void commandLine();
};

void HtmlExportTest::wholePage() {
    const QVector<HtmlColumn> cols{{QStringLiteral("cikkszam"), QStringLiteral("cikkszám"), 100, HtmlAlign::Left},
                                   {QStringLiteral("brutto"), QStringLiteral("bruttó"), 50, HtmlAlign::Right}};
    const QStringList page = htmlPageLines(listOf({}, cols), kNow, QStringLiteral("Orvix Számla"));
    const QStringList expected{
        "<html>", "", "<head>", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">",
        "<title>Cikktörzs</title>", "<meta name=\"GENERATOR\" content=\"Kalimpa Bt. Dide2Zizo\">", "</head>", "",
        "<body>", "<p><strong><font face=\"Verdana\" size=\"2\">Cikktörzs</font></strong></p>",
        "<p><strong><font face=\"Verdana\" size=\"1\">2026. december</font></strong></p>",
        "<div align=\"center\"><center>", "",
        "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">", "  <tr>",
        headCell("25", "cikkszám"), headCell("12", "bruttó", kRight), "  </tr>", "</table>", "</center></div>", "",
        "<p><font face=\"Verdana\" size=\"1\">Összesen 0 sor.</font></p>", "",
        "<p><font face=\"Verdana\" size=\"1\">2026.12.10 09:05:07</font></p>", "",
        "<p><font face=\"Courier New\" size=\"1\">Orvix Számla 1.0.0.1</font></p>", "", "</body>", "</html>"};
    QCOMPARE(page, expected);
}

void HtmlExportTest::tableLines_data() {
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("sums");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const QString& kat, const QString& nev, double brutto) {
        return QHash<QString, QVariant>{{"kategoria", kat}, {"nev", nev}, {"brutto", brutto}, {"rejtett", 7}};
    };
    const QString head = QStringLiteral("  <tr>");
    const QString tail = QStringLiteral("  </tr>");
    const QStringList header{head, headCell("50", "név"), headCell("25", "bruttó", kRight), tail};
    const auto line = [&](const QString& nev, const QString& brutto) {
        return QStringList{head, cell("50", nev), cell("25", brutto, kRight), tail};
    };
    const auto group = [&](const QString& text) { return QStringList{head, groupRow(text), tail}; };

    QTest::newRow("no group, no sums")
        << Rows{row("A", "alma", 10)} << "" << "" << header + line("alma", "10");
    QTest::newRow("a group row before each category, an empty one after a non-empty")
        << Rows{row("", "első", 1), row("Gyümölcs", "alma", 2), row("Gyümölcs", "körte", 3), row("", "üres", 4)}
        << "kategoria" << ""
        << header + line("első", "1") + group("Gyümölcs") + line("alma", "2") + line("körte", "3") + group("") +
               line("üres", "4");
    QTest::newRow("sums of a numeric column in its format; a field that is no column adds nothing")
        << Rows{row("A", "alma", 1000.4), row("A", "körte", 2500)} << "" << "brutto;rejtett"
        << header + line("alma", "1000.4") + line("körte", "2500") +
               QStringList{head, headCell("50", ""), headCell("25", "3 500", kRight), tail};
    QTest::newRow("a text column sums in the general number form")
        << Rows{row("A", "3,5", 1)} << "" << "nev"
        << header + line("3,5", "1") + QStringList{head, headCell("50", "0"), headCell("25", "", kRight), tail};
    QTest::newRow("texts escaped") << Rows{row("<b>", "Kovács & <Fiai>", 1)} << "kategoria" << ""
                                   << header + group("&lt;b&gt;") + line("Kovács &amp; &lt;Fiai&gt;", "1");
}

void HtmlExportTest::tableLines() {
    QFETCH(Rows, rows);
    QFETCH(QString, group);
    QFETCH(QString, sums);
    QFETCH(QStringList, expected);
    QVector<HtmlColumn> cols{{QStringLiteral("nev"), QStringLiteral("név"), 200, HtmlAlign::Left},
                             {QString(), QStringLiteral("jel"), 50, HtmlAlign::Center}, // no field: left out
                             {QStringLiteral("brutto"), QStringLiteral("bruttó"), 100, HtmlAlign::Right}};
    cols[2].numeric = true;
    cols[2].sumFormat = QStringLiteral("### ### ##0");
    HtmlList l = listOf(rows, cols);
    l.groupField = group;
    l.sumList = sums;
    QVector<int> progress;
    const QStringList page = htmlPageLines(l, kNow, kHtmlProgramTitle, [&](int done) { progress << done; });
    QCOMPARE(bodyLines(page), expected);
    QVERIFY(page.contains(QStringLiteral("<p><font face=\"Verdana\" size=\"1\">Összesen %1 sor.</font></p>").arg(rows.size())));
    QVERIFY(progress.isEmpty()); // every 10 rows
}

void HtmlExportTest::codePageAndReferences() {
    const QByteArray bytes = htmlPageBytes({QStringLiteral("Árvíztűrő tükörfúrógép € Ω 😀"), QStringLiteral("x")});
    // Hungarian letters and the euro sign in the code page; the others as
    // references, nothing dropped.
    QCOMPARE(bytes, encodeCodepage(QStringLiteral("Árvíztűrő tükörfúrógép € &#937; &#128512;\r\nx\r\n"),
                                   Codepage::Cp1250));
    QVERIFY(!bytes.contains('?'));
}

void HtmlExportTest::parsesBackToTheSameTexts() {
    const Rows rows{{{"nev", "Kovács & <Fiai>"}, {"brutto", "1 000"}},
                    {{"nev", "Árvíztűrő \"Tükör\" Kft. Ω"}, {"brutto", "2"}}};
    const QVector<HtmlColumn> cols{{QStringLiteral("nev"), QStringLiteral("név & cég"), 200, HtmlAlign::Left},
                                   {QStringLiteral("brutto"), QStringLiteral("bruttó"), 100, HtmlAlign::Right}};
    HtmlList l = listOf(rows, cols);
    l.title = QStringLiteral("Vevők & <társaik>");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lap.htm"));
    QCOMPARE(writeHtmlPage(file, htmlPageLines(l, kNow, kHtmlProgramTitle)), QString());
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import json, sys\n"
                            "from html.parser import HTMLParser\n"
                            "class P(HTMLParser):\n"
                            "    def __init__(self):\n"
                            "        super().__init__(); self.cells = []; self.title = ''; self.where = None\n"
                            "    def handle_starttag(self, tag, attrs):\n"
                            "        if tag in ('td', 'title'): self.where = tag; self.text = ''\n"
                            "    def handle_endtag(self, tag):\n"
                            "        if tag == 'td': self.cells.append(self.text)\n"
                            "        if tag == 'title': self.title = self.text\n"
                            "        if tag in ('td', 'title'): self.where = None\n"
                            "    def handle_data(self, data):\n"
                            "        if self.where: self.text += data\n"
                            "p = P(); p.feed(open(sys.argv[1], encoding='cp1250').read())\n"
                            "print(json.dumps([p.title] + p.cells))"),
             file});
    QVERIFY(p.waitForFinished(20000));
    QStringList texts;
    for (const QJsonValue& v : QJsonDocument::fromJson(p.readAllStandardOutput()).array())
        texts << v.toString();
    QCOMPARE(texts, (QStringList{"Vevők & <társaik>", "név & cég", "bruttó", "Kovács & <Fiai>", "1 000",
                                 "Árvíztűrő \"Tükör\" Kft. Ω", "2"}));
}

void HtmlExportTest::fileProposalAndWriting() {
    QCOMPARE(htmlFileProposal(QStringLiteral("/adat/Html"), QStringLiteral("Kiadott számlák")),
             QStringLiteral("/adat/Html/kiadott-sz_ml_k.htm"));
    QCOMPARE(htmlFileProposal(QStringLiteral("/h"), QStringLiteral("A/B: 100% \"jó\"?")),
             QStringLiteral("/h/a-b--100---j_--.htm"));
    QTemporaryDir dir;
    // A missing folder is made; the file is written whole.
    const QString file = dir.filePath(QStringLiteral("uj/mappa/lap.htm"));
    QCOMPARE(writeHtmlPage(file, {QStringLiteral("<html>")}), QString());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("<html>\r\n"));
    QVERIFY(!writeHtmlPage(dir.filePath(QStringLiteral("uj/mappa/lap.htm/x.htm")), {}).isEmpty());
}

void HtmlExportTest::commandLine() {
    const QString cli = QString::fromLocal8Bit(qgetenv("ORVIX_CLI"));
    QVERIFY2(!cli.isEmpty(), "ORVIX_CLI names the command-line program");
    QString folder;
    {
        TempDataFolder f(QStringLiteral("html_cli"));
        folder = f.folder;
        f.dir.setAutoRemove(false);
        f.db.execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, ugyfelkod, emil, torolve) VALUES "
                                    "('Kovács & <Fiai>', 12, 'k@example.hu', 'N'), ('Ágnes Bt.', 3, '', 'N'), "
                                    "('Törölt', 4, '', 'I')"));
    }
    const QString out = folder + QStringLiteral("/../lap/ugyfelek.htm");
    QProcess p;
    p.start(cli, {QStringLiteral("html-export"), folder, QStringLiteral("--list"), QStringLiteral("customers"),
                  QStringLiteral("--out"), out});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList page = decodeCodepage(f.readAll(), Codepage::Cp1250).split(QStringLiteral("\r\n"));
    QVERIFY(page.contains(QStringLiteral("<title>Ügyfelek</title>")));
    QVERIFY(page.contains(QStringLiteral("<p><font face=\"Verdana\" size=\"1\">Összesen 2 sor.</font></p>")));
    // In the list's order (Hungarian alphabetical), the code shown as 00000.
    const int agnes = int(page.indexOf(QRegularExpression(QStringLiteral(".*>Ágnes Bt\\.<.*"))));
    const int kovacs = int(page.indexOf(QRegularExpression(QStringLiteral(".*>Kovács &amp; &lt;Fiai&gt;<.*"))));
    QVERIFY(agnes > 0 && kovacs > agnes);
    QVERIFY(page.at(kovacs + 1).contains(QStringLiteral(">00012<")));
    // An empty list keeps the alignment of its numeric headings.
    const QString empty = folder + QStringLiteral("/../lap/szamlak.htm");
    p.start(cli, {QStringLiteral("html-export"), folder, QStringLiteral("--list"), QStringLiteral("documents"),
                  QStringLiteral("--out"), empty});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QFile e(empty);
    QVERIFY(e.open(QIODevice::ReadOnly));
    const QString emptyPage = decodeCodepage(e.readAll(), Codepage::Cp1250);
    QVERIFY(emptyPage.contains(QStringLiteral("Összesen 0 sor.")));
    QVERIFY2(emptyPage.contains(QStringLiteral("<strong><p align=\"right\">")), qPrintable(emptyPage));
    p.start(cli, {QStringLiteral("html-export"), folder, QStringLiteral("--list"), QStringLiteral("szamlak"),
                  QStringLiteral("--out"), out});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QDir(folder + QStringLiteral("/..")).removeRecursively();
}

QTEST_GUILESS_MAIN(HtmlExportTest)
#include "htmlexport_test.moc"
