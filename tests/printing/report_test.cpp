// The report engine: page breaks with repeated headers and footers, page
// numbers and the page count, groups with their sums, growing and shrinking
// texts, the one-page roll, conditional bands, and real text in the PDF.
#include "PdfText.h"

#include "printing/Report.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvix;
using namespace orvix::report;
using namespace orvix::test;

namespace {

std::vector<QVariantMap> numberedRows(int count) {
    std::vector<QVariantMap> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({{QStringLiteral("n"), QStringLiteral("sor %1").arg(i)}, {QStringLiteral("v"), double(i)}});
    return rows;
}

// The items of a page whose text starts with prefix, top to bottom.
std::vector<PlacedItem> itemsStarting(const Document& d, int page, const QString& prefix) {
    std::vector<PlacedItem> out;
    for (const PlacedItem& p : d.pages.at(size_t(page)).items)
        if (p.kind == Item::Kind::Text && p.text.startsWith(prefix))
            out.push_back(p);
    return out;
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagesBreakAndAreCounted() {
        Report r;
        r.margins = QMarginsF(10, 10, 10, 10);
        r.add(Band::Kind::PageHeader, 10).items = {text(QRectF(0, 0, 100, 5), QStringLiteral("FEJ"))};
        r.add(Band::Kind::Title, 20).items = {text(QRectF(0, 0, 100, 5), QStringLiteral("CÍM"))};
        r.add(Band::Kind::ColumnHeader, 5).items = {text(QRectF(0, 0, 100, 5), QStringLiteral("OSZLOP"))};
        r.add(Band::Kind::Detail, 5).items = {field(QRectF(0, 0, 100, 4), QStringLiteral("n"))};
        r.add(Band::Kind::Summary, 30).items = {text(QRectF(0, 0, 100, 5), QStringLiteral("VÉGE"))};
        r.add(Band::Kind::PageFooter, 8).items = {text(QRectF(0, 0, 100, 5), QStringLiteral("{page}. / {pages}"))};
        r.rows = numberedRows(120);
        const Document d = layOut(r);

        // 277 mm of body less header and footer: 46 rows on the first page
        // (which also holds the title), 50 on the next ones.
        QCOMPARE(d.pageCount(), 3);
        int rowsSeen = 0;
        for (int page = 0; page < d.pageCount(); ++page) {
            const QStringList texts = d.texts(page);
            QCOMPARE(texts.first(), QStringLiteral("FEJ"));
            QCOMPARE(texts.contains(QStringLiteral("CÍM")), page == 0);
            QVERIFY(texts.contains(QStringLiteral("OSZLOP")));
            QCOMPARE(texts.last(), QStringLiteral("%1. / 3").arg(page + 1));
            const PlacedItem footer = d.pages.at(size_t(page)).items.back();
            QCOMPARE(footer.rect.top(), 297.0 - 10 - 8);
            for (const PlacedItem& row : itemsStarting(d, page, QStringLiteral("sor "))) {
                QCOMPARE(row.text, QStringLiteral("sor %1").arg(++rowsSeen));
                QVERIFY2(row.rect.top() + 5 <= footer.rect.top() + 1e-9, qPrintable(row.text));
            }
        }
        QCOMPARE(rowsSeen, 120);
        QCOMPARE(itemsStarting(d, 0, QStringLiteral("sor ")).size(), size_t(46));
        QCOMPARE(itemsStarting(d, 1, QStringLiteral("sor ")).size(), size_t(50));
        QVERIFY(d.texts(2).contains(QStringLiteral("VÉGE")));
    }

    void groupsAndSums() {
        Report r;
        r.add(Band::Kind::GroupHeader, 5).groupKey = QStringLiteral("k");
        r.bands.back().items = {field(QRectF(0, 0, 50, 4), QStringLiteral("k"))};
        r.add(Band::Kind::Detail, 5).items = {field(QRectF(0, 0, 50, 4), QStringLiteral("v"))};
        Band& footer = r.add(Band::Kind::GroupFooter, 5);
        footer.groupKey = QStringLiteral("k");
        Item sum = text(QRectF(0, 0, 50, 4), QString());
        sum.sumOf = QStringLiteral("v");
        sum.format = QStringLiteral("'össz: '0.0");
        footer.items = {sum};
        Item total = sum;
        total.format = QStringLiteral("'mind: '### ##0");
        r.add(Band::Kind::Summary, 5).items = {total};
        r.rows = {{{QStringLiteral("k"), QStringLiteral("A")}, {QStringLiteral("v"), 1.5}},
                  {{QStringLiteral("k"), QStringLiteral("A")}, {QStringLiteral("v"), 2.0}},
                  {{QStringLiteral("k"), QStringLiteral("B")}, {QStringLiteral("v"), 4000.0}}};
        const Document d = layOut(r);
        QCOMPARE(d.texts(0), (QStringList{QStringLiteral("A"), QStringLiteral("1,5"), QStringLiteral("2"),
                                          QStringLiteral("össz: 3,5"), QStringLiteral("B"), QStringLiteral("4000"),
                                          QStringLiteral("össz: 4000,0"), QStringLiteral("mind: 4 004")}));
    }

    void wrappedTextGrowsItsBand() {
        Report r;
        Band& detail = r.add(Band::Kind::Detail, 4);
        Item long_ = field(QRectF(0, 0, 30, 4), QStringLiteral("n"));
        long_.wrap = true;
        detail.items = {long_};
        r.add(Band::Kind::Detail, 4).items = {text(QRectF(0, 0, 30, 4), QStringLiteral("utána"))};
        r.rows = {{{QStringLiteral("n"), QStringLiteral("Árvíztűrő tükörfúrógép nagyon hosszú megnevezéssel, "
                                                        "amely több sorba tördelődik")}}};
        const Document d = layOut(r);
        const PlacedItem& wrapped = d.pages.at(0).items.at(0);
        const PlacedItem& after = d.pages.at(0).items.at(1);
        QVERIFY(wrapped.rect.height() > 8);
        QVERIFY2(after.rect.top() >= wrapped.rect.bottom(), "the next band overlaps the wrapped text");
    }

    void longTextIsSetSmallerNotCut() {
        Report r;
        r.add(Band::Kind::Detail, 5).items = {field(QRectF(0, 0, 15, 4), QStringLiteral("n"))};
        r.rows = {{{QStringLiteral("n"), QStringLiteral("1 234 567 890,12")}}, {{QStringLiteral("n"), QStringLiteral("12")}}};
        const Document d = layOut(r);
        QVERIFY(d.pages.at(0).items.at(0).style.pointSize < 8);
        QCOMPARE(d.pages.at(0).items.at(1).style.pointSize, 8.0);
    }

    void rollIsOnePageAsLongAsItsContent() {
        Report r;
        r.pageSize = QPageSize(QSizeF(80, 100), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
        r.margins = QMarginsF(3, 3, 3, 4);
        r.continuous = true;
        r.add(Band::Kind::Detail, 5).items = {field(QRectF(0, 0, 50, 4), QStringLiteral("n"))};
        r.add(Band::Kind::PageFooter, 6).items = {text(QRectF(0, 0, 50, 4), QStringLiteral("{pages} oldal"))};
        r.rows = numberedRows(60);
        const Document d = layOut(r);
        QCOMPARE(d.pageCount(), 1);
        QCOMPARE(d.pageSize, QSizeF(80, 3 + 60 * 5 + 6 + 4));
        QCOMPARE(d.texts(0).last(), QStringLiteral("1 oldal"));
    }

    void conditionalBandsAndItems() {
        Report r;
        r.add(Band::Kind::Detail, 5).items = {field(QRectF(0, 0, 50, 4), QStringLiteral("n"))};
        r.add(Band::Kind::Detail, 5, QStringLiteral("megj")).items = {field(QRectF(0, 0, 50, 4), QStringLiteral("megj"))};
        Item shown = text(QRectF(0, 0, 50, 4), QStringLiteral("jelölve"));
        shown.printIf = QStringLiteral("jel");
        r.add(Band::Kind::Summary, 5).items = {shown};
        r.rows = {{{QStringLiteral("n"), QStringLiteral("a")}, {QStringLiteral("megj"), QStringLiteral("  ")}},
                  {{QStringLiteral("n"), QStringLiteral("b")}, {QStringLiteral("megj"), QStringLiteral("van")}}};
        QCOMPARE(layOut(r).texts(0), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("van")}));
        r.values.insert(QStringLiteral("jel"), QStringLiteral("I"));
        QCOMPARE(layOut(r).texts(0).last(), QStringLiteral("jelölve"));
        // A band's place is kept only when it prints: b follows a directly.
        const Document d = layOut(r);
        QCOMPARE(d.pages.at(0).items.at(1).rect.top() - d.pages.at(0).items.at(0).rect.top(), 5.0);
    }

    void pdfHoldsRealText() {
        QTemporaryDir dir;
        Report r;
        r.title = QStringLiteral("Próba");
        r.add(Band::Kind::Detail, 6).items = {field(QRectF(0, 0, 150, 5), QStringLiteral("n"))};
        r.rows = {{{QStringLiteral("n"), QStringLiteral("Árvíztűrő tükörfúrógép ŐŰőű")}}};
        const QString path = dir.filePath(QStringLiteral("próba.pdf"));
        QString error;
        QVERIFY2(writePdf({layOut(r), layOut(r)}, path, &error), qPrintable(error));
        const QString text = pdfText(path);
        QCOMPARE(text.count(QStringLiteral("Árvíztűrő tükörfúrógép ŐŰőű")), 2);
        QCOMPARE(pdfPageCount(path), 2);
        QVERIFY(!QFile::exists(path + QStringLiteral(".part")));
        // A file that cannot be written leaves nothing behind.
        const QString bad = dir.filePath(QStringLiteral("nincs/ilyen/mappa.pdf"));
        QVERIFY(!writePdf({layOut(r)}, bad, &error));
        QVERIFY(error.contains(QStringLiteral("nem írható")));
        QVERIFY(!QFile::exists(bad));
    }
};

QTEST_MAIN(ReportTest)
#include "report_test.moc"
