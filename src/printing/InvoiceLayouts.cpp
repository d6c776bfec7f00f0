#include "printing/InvoiceLayouts.h"

namespace orvix {

using report::Align;
using report::Band;
using report::Item;
using report::TextStyle;

namespace {

const QString kWebAddress = QStringLiteral("www.orvix.hu");
const QString kRegulation = QStringLiteral("Megfelel a 23/2014. (VI. 30.) NGM rendeletben előírtaknak");
const QColor kShade(217, 217, 217);
const QColor kRule(160, 160, 160);

TextStyle style(double size, bool bold = false, bool italic = false) {
    TextStyle s;
    s.pointSize = size;
    s.bold = bold;
    s.italic = italic;
    return s;
}

// Short item builders; every position in millimetres within the band.
Item T(double x, double y, double w, const QString& text, const TextStyle& s, Align a = Align::Left) {
    return report::text(QRectF(x, y, w, s.pointSize * 0.45), text, s, a);
}
Item F(double x, double y, double w, const QString& field, const TextStyle& s, Align a = Align::Left) {
    return report::field(QRectF(x, y, w, s.pointSize * 0.45), field, s, a);
}
Item when(Item item, const QString& printIf) {
    item.printIf = printIf;
    return item;
}
Item wrapped(Item item) {
    item.wrap = true;
    return item;
}
Item ruled(double x1, double y, double x2, double width = 0.2) {
    return report::line(x1, y, x2, y, width);
}

struct Layout {
    report::Report& r;
    const LayoutCaptions& cap;
    QString c(const char* key) const { return cap.value(QString::fromLatin1(key)); }
    double titleSize(double large) const {
        const int reduced = r.values.value(QStringLiteral("titleSize")).toInt();
        return reduced > 0 ? reduced : large;
    }
};

// The rate table, the payable amount, the words and the signatures of the
// two A4 layouts; x0 is where the rate table starts.
void addA4Summary(Layout& l, double x0) {
    report::Report& r = l.r;
    const TextStyle small = style(7);
    const TextStyle normal = style(8);
    const TextStyle sums = style(8.5, true);
    const double w = 190 - x0;
    const double col = (w - 24) / 3;
    const double c1 = x0 + 24, c2 = c1 + col, c3 = c2 + col;

    const bool bigMark = r.values.contains(QStringLiteral("bigMark"));
    Band& table = r.add(Band::Kind::Summary, bigMark ? 32 : 25.5);
    table.items = {ruled(0, 1, 190, 0.4), wrapped(F(0, 3, x0 - 5, QStringLiteral("megjegyzes"), normal)),
                   T(c1, 3, col, l.c("QRLabel23"), small, Align::Right),
                   T(c2, 3, col, l.c("QRLabel26"), small, Align::Right),
                   T(c3, 3, col, l.c("QRLabel27"), small, Align::Right)};
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i);
        const double y = 7 + 4 * i;
        table.items.push_back(F(x0, y, 24, QStringLiteral("rate") + n, normal));
        table.items.push_back(F(c1, y, col, QStringLiteral("net") + n, normal, Align::Right));
        table.items.push_back(F(c2, y, col, QStringLiteral("vat") + n, normal, Align::Right));
        table.items.push_back(F(c3, y, col, QStringLiteral("gross") + n, normal, Align::Right));
    }
    table.items.push_back(when(ruled(x0, 19.5, 190), QStringLiteral("rates")));
    table.items.push_back(T(x0, 20.5, 24, l.c("QRLabel15"), sums));
    table.items.push_back(F(c1, 20.5, col, QStringLiteral("sumNet"), sums, Align::Right));
    table.items.push_back(F(c2, 20.5, col, QStringLiteral("sumVat"), sums, Align::Right));
    table.items.push_back(F(c3, 20.5, col, QStringLiteral("sumGross"), sums, Align::Right));
    table.items.push_back(when(T(x0, 25, 60, l.c("QRLabel29"), style(14, true)), QStringLiteral("bigMark")));

    r.add(Band::Kind::Summary, 5, QStringLiteral("faszoveg")).items = {
        wrapped(F(0, 0.5, 190, QStringLiteral("faszoveg"), style(8, false, true)))};
    r.add(Band::Kind::Summary, 5, QStringLiteral("termdij")).items = {
        wrapped(F(0, 0.5, 190, QStringLiteral("termdij"), style(8)))};
    r.add(Band::Kind::Summary, 4.5, QStringLiteral("kerek")).items = {
        T(x0, 0.5, 50, l.c("Kerek1"), normal), F(c3 - 10, 0.5, col + 10, QStringLiteral("kerek"), normal, Align::Right)};
    r.add(Band::Kind::Summary, 4.5, QStringLiteral("forintAfa")).items = {
        F(x0, 0.5, w - 30, QStringLiteral("forintAfaCaption"), normal),
        F(190 - 30, 0.5, 30, QStringLiteral("forintAfa"), normal, Align::Right)};
    r.add(Band::Kind::Summary, 10).items = {report::frame(QRectF(x0, 1, w, 8), 0.3),
                                            F(x0 + 2, 2.8, w / 2, QStringLiteral("osszegstr"), style(10, true)),
                                            F(x0 + w / 2, 2.2, w / 2 - 2, QStringLiteral("payable"), style(12, true),
                                              Align::Right)};
    r.add(Band::Kind::Summary, 6, QStringLiteral("words")).items = {
        wrapped(F(0, 1, 190, QStringLiteral("words"), style(8.5, false, true)))};
    r.add(Band::Kind::Summary, 15).items = {
        when(ruled(10, 11, 70), QStringLiteral("atvet")),
        when(F(10, 11.5, 60, QStringLiteral("atvet"), small, Align::Center), QStringLiteral("atvet")),
        ruled(120, 11, 180), T(120, 11.5, 60, l.c("Atvet1"), small, Align::Center)};
}

void addA4Footer(Layout& l, const QString& layoutName) {
    const TextStyle s = style(6.5);
    l.r.add(Band::Kind::PageFooter, 12).items = {
        ruled(0, 0, 190, 0.2),
        T(0, 1, 45, QStringLiteral("Orvix Szla"), s),
        F(0, 4.5, 45, QStringLiteral("pageText"), s),
        F(0, 8, 45, QStringLiteral("pagesText"), s),
        F(45, 1, 100, QStringLiteral("footerLine"), s, Align::Center),
        T(40, 4.5, 110, kRegulation, s, Align::Center),
        T(45, 8, 100, kWebAddress, s, Align::Center),
        F(145, 1, 45, QStringLiteral("printedAt"), s, Align::Right),
        F(145, 4.5, 45, QStringLiteral("jobTitle"), s, Align::Right),
        T(145, 8, 45, layoutName, s, Align::Right)};
}

// A label and its value, both printed only when the value is there.
void pair(Band& b, double x, double y, double labelWidth, double valueWidth, const QString& label,
          const QString& valueField, bool optional) {
    Item caption = T(x, y, labelWidth, label, style(7));
    Item value = F(x + labelWidth, y - 0.3, valueWidth, valueField, style(8));
    if (optional) {
        caption.printIf = valueField;
        value.printIf = valueField;
    }
    b.items.push_back(caption);
    b.items.push_back(value);
}

// The issuer's data from (x, y) downwards, width w.
void issuerBlock(Layout& l, Band& b, double x, double y, double w, const char* swiftKey) {
    b.items.push_back(T(x, y, 40, l.c("QRLabel2"), style(7, false, true)));
    b.items.push_back(F(x + w - 45, y, 45, QStringLiteral("kisadozo"), style(7, true), Align::Right));
    b.items.push_back(F(x, y + 4, w, QStringLiteral("tulajdonos"), style(9.5, true)));
    b.items.push_back(F(x, y + 9.5, w, QStringLiteral("tcimstr"), style(8)));
    const double lw = 20, vw = w - 20;
    pair(b, x, y + 14, lw, vw, l.c("QRLabel25"), QStringLiteral("tadoszam"), false);
    pair(b, x, y + 18, lw, vw, l.c("QRLabel33"), QStringLiteral("tvallig"), true);
    pair(b, x, y + 22, lw, vw, l.c("QRLabel30"), QStringLiteral("tbankszamla"), false);
    pair(b, x, y + 26, lw, vw, l.c("QRLabel34"), QStringLiteral("tkozadoszam"), true);
    pair(b, x, y + 30, lw, vw, l.c("QRLabel19"), QStringLiteral("engszam"), true);
    pair(b, x, y + 34, lw, vw, l.c(swiftKey), QStringLiteral("swift"), true);
    pair(b, x, y + 38, lw, vw, l.c("QRLabel31"), QStringLiteral("iban"), true);
}

void customerBlock(Layout& l, Band& b, double x, double y, double w) {
    b.items.push_back(T(x, y, 40, l.c("QRLabel3"), style(7, false, true)));
    b.items.push_back(F(x + w - 55, y, 55, QStringLiteral("mark"), style(8, true), Align::Right));
    b.items.push_back(F(x, y + 4, w, QStringLiteral("ugyfel_nev"), style(9.5, true)));
    b.items.push_back(F(x, y + 9.5, w, QStringLiteral("cimstr"), style(8)));
    const double lw = 20, vw = w - 20;
    pair(b, x, y + 14, lw, vw, l.c("k1"), QStringLiteral("kedv"), true);
    pair(b, x, y + 18, 25, w - 25, l.c("Szall1"), QStringLiteral("szallcimnev"), true);
    b.items.push_back(when(F(x + 25, y + 21.7, w - 25, QStringLiteral("szallcim"), style(8)), QStringLiteral("szallcim")));
    pair(b, x, y + 26, lw, vw, l.c("QRLabel28"), QStringLiteral("adoszam"), false);
    pair(b, x, y + 30, lw, vw, l.c("QRLabel35"), QStringLiteral("kozadoszam"), true);
}

// The reference, currency, number and date rows from y downwards.
void documentRows(Layout& l, Band& b, double y, const char* numberLabel) {
    pair(b, 0, y, 20, 73, l.c("QRLabel24"), QStringLiteral("mozgaz"), false);
    pair(b, 97, y, 22, 25, l.c("QRLabel99"), QStringLiteral("vat"), false);
    pair(b, 145, y, 20, 25, l.c("QRLabel32"), QStringLiteral("arfolyam"), false);
    b.items.push_back(report::fill(QRectF(0, y + 5, 93, 8), kShade));
    if (numberLabel) {
        b.items.push_back(T(2, y + 7, 10, l.c(numberLabel), style(8)));
        b.items.push_back(F(12, y + 6.2, 79, QStringLiteral("szlastr"), style(12, true)));
    } else {
        b.items.push_back(F(2, y + 6.2, 89, QStringLiteral("szlastr"), style(12, true)));
    }
    pair(b, 97, y + 7, 35, 58, l.c("h1"), QStringLiteral("honap"), true);
    b.items.push_back(report::frame(QRectF(0, y + 14, 190, 10), 0.2));
    const std::pair<const char*, const char*> dates[] = {
        {"QRLabel21", "dat_fizhat"}, {"QRLabel22", "fiztip_nev"}, {"QRLabel20", "dat_szallhat"}, {"QRLabel1", "dat_kiadva"}};
    for (int i = 0; i < 4; ++i) {
        const double x = 1 + 47.5 * i;
        b.items.push_back(T(x, y + 14.8, 46, l.c(dates[i].first), style(7)));
        b.items.push_back(F(x, y + 18.3, 46, QString::fromLatin1(dates[i].second), style(9, true)));
    }
}

} // namespace

void addDesign1(report::Report& r, const LayoutCaptions& captions, const QImage& logo) {
    Layout l{r, captions};
    r.pageSize = QPageSize(QPageSize::A4);
    r.margins = QMarginsF(10, 10, 10, 10);
    const bool exempt = r.values.contains(QStringLiteral("bigMark"));

    r.add(Band::Kind::PageHeader, 20).items = {
        report::picture(QRectF(0, 0, 68, 13.5), logo),
        F(70, 0, 120, QStringLiteral("title"), style(l.titleSize(16), true), Align::Right),
        F(70, 10, 120, QStringLiteral("eredetistr"), style(8), Align::Right), ruled(0, 18, 190, 0.4)};

    Band& head = r.add(Band::Kind::Title, 74);
    head.items = {report::frame(QRectF(0, 0, 93, 45)), report::frame(QRectF(97, 0, 93, 45))};
    issuerBlock(l, head, 2, 1, 89, "QRLabel5");
    customerBlock(l, head, 99, 1, 89);
    documentRows(l, head, 47, nullptr);

    const TextStyle h = style(7);
    const double secondLine = exempt ? 3.3 : 0;
    Band& columns = r.add(Band::Kind::ColumnHeader, 10.5);
    columns.items = {ruled(0, 0.5, 190, 0.3),
                     T(0, 1.3, 7, l.c("QRLabel6"), h),
                     T(8, 1.3, 52, l.c("QRLabel8"), h),
                     T(61, 1.3, 12, l.c("QRLabel7"), h),
                     T(73, 1.3, 16, l.c("QRLabel9"), h, Align::Right),
                     wrapped(T(90, 1.3 + secondLine, 23, l.c("QRLabel10"), h, Align::Right)),
                     wrapped(T(114, 1.3 + secondLine, 22, l.c("QRLabel11"), h, Align::Right)),
                     wrapped(T(137, 1.3, 13, l.c("QRLabel12"), h, Align::Right)),
                     wrapped(T(151, 1.3, 18, l.c("QRLabel13"), h, Align::Right)),
                     wrapped(T(170, 1.3, 20, l.c("QRLabel14"), h, Align::Right)),
                     ruled(0, 10, 190, 0.3)};

    const TextStyle n = style(8);
    r.add(Band::Kind::Detail, 4.3).items = {
        F(0, 0.6, 7, QStringLiteral("sor"), n),
        wrapped(F(8, 0.6, 52, QStringLiteral("nev"), n)),
        F(61, 0.6, 12, QStringLiteral("mert"), n),
        F(73, 0.6, 16, QStringLiteral("db"), n, Align::Right),
        F(90, 0.6, 23, QStringLiteral("egysar"), n, Align::Right),
        F(114, 0.6, 22, QStringLiteral("sornetto"), n, Align::Right),
        F(137, 0.6, 13, QStringLiteral("afakulcsstr"), n, Align::Right),
        F(151, 0.6, 18, QStringLiteral("sorafa"), n, Align::Right),
        F(170, 0.6, 20, QStringLiteral("sorbrutto"), n, Align::Right)};
    r.add(Band::Kind::Detail, 3.5).items = {F(8, 0, 40, QStringLiteral("kod"), style(7)),
                                           F(50, 0, 14, QStringLiteral("besszam"), style(7)),
                                           F(64, 0, 40, QStringLiteral("vtsz"), style(7))};
    r.add(Band::Kind::Detail, 3.5, QStringLiteral("sormegj")).items = {
        wrapped(F(8, 0, 182, QStringLiteral("sormegj"), style(7, false, true)))};
    r.add(Band::Kind::Detail, 0.8).items = {report::line(0, 0.4, 190, 0.4, 0.1)};
    r.bands.back().items.back().color = kRule;

    addA4Summary(l, 100);
    addA4Footer(l, QStringLiteral("qrSzla"));
}

void addDesign2(report::Report& r, const LayoutCaptions& captions, const QImage& logo) {
    Layout l{r, captions};
    r.pageSize = QPageSize(QPageSize::A4);
    r.margins = QMarginsF(10, 10, 10, 10);

    r.add(Band::Kind::PageHeader, 12).items = {
        report::frame(QRectF(-4, -4, 198, 285), 0.5),
        F(0, 0, 190, QStringLiteral("title"), style(l.titleSize(16), true), Align::Right),
        F(0, 7, 190, QStringLiteral("eredetistr"), style(8), Align::Right)};

    Band& head = r.add(Band::Kind::Title, 76);
    head.items = {report::picture(QRectF(0, 0, 36, 32), logo), report::frame(QRectF(38, 0, 74, 45)),
                  report::frame(QRectF(114, 0, 76, 45))};
    issuerBlock(l, head, 40, 1, 70, "QRLabel16");
    customerBlock(l, head, 116, 1, 72);
    documentRows(l, head, 48, "QRLabel5");

    const TextStyle h = style(7);
    r.add(Band::Kind::ColumnHeader, 9).items = {ruled(0, 0.5, 190, 0.3),
                                               T(0, 1.2, 10, l.c("QRLabel6"), h),
                                               T(22, 1.2, 70, l.c("QRLabel8"), h),
                                               T(95, 1.2, 20, l.c("QRLabel9"), h, Align::Right),
                                               T(116, 1.2, 26, l.c("QRLabel10"), h, Align::Right),
                                               T(143, 1.2, 22, l.c("QRLabel13"), h, Align::Right),
                                               T(166, 1.2, 24, l.c("QRLabel11"), h, Align::Right),
                                               T(0, 4.8, 20, l.c("QRLabel37"), h),
                                               T(22, 4.8, 50, l.c("QRLabel38"), h),
                                               T(95, 4.8, 20, l.c("QRLabel7"), h, Align::Right),
                                               T(143, 4.8, 22, l.c("QRLabel12"), h, Align::Right),
                                               T(166, 4.8, 24, l.c("QRLabel14"), h, Align::Right),
                                               ruled(0, 8.6, 190, 0.3)};
    const TextStyle n = style(8), b = style(8, true);
    r.add(Band::Kind::Detail, 4.2).items = {F(0, 0.6, 10, QStringLiteral("sor"), n),
                                           wrapped(F(22, 0.6, 72, QStringLiteral("nev"), b)),
                                           F(95, 0.6, 20, QStringLiteral("db"), n, Align::Right),
                                           F(116, 0.6, 26, QStringLiteral("egysar"), n, Align::Right),
                                           F(143, 0.6, 22, QStringLiteral("sorafa"), n, Align::Right),
                                           F(166, 0.6, 24, QStringLiteral("sornetto"), b, Align::Right)};
    r.add(Band::Kind::Detail, 3.8).items = {F(0, 0.2, 20, QStringLiteral("vtsz"), style(7)),
                                           F(22, 0.2, 50, QStringLiteral("kod"), style(7)),
                                           F(95, 0.2, 20, QStringLiteral("mert"), style(7), Align::Right),
                                           F(143, 0.2, 22, QStringLiteral("afakulcsstr"), style(7), Align::Right),
                                           F(166, 0.2, 24, QStringLiteral("sorbrutto"), b, Align::Right)};
    r.add(Band::Kind::Detail, 3.5, QStringLiteral("sormegj")).items = {
        wrapped(F(22, 0, 168, QStringLiteral("sormegj"), style(7, false, true)))};
    r.add(Band::Kind::Detail, 0.8).items = {report::line(0, 0.4, 190, 0.4, 0.1)};
    r.bands.back().items.back().color = kRule;

    addA4Summary(l, 100);
    addA4Footer(l, QStringLiteral("qrSzla2"));
}

void addReceipt(report::Report& r, const LayoutCaptions& captions) {
    Layout l{r, captions};
    r.pageSize = QPageSize(QSizeF(80, 200), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    r.margins = QMarginsF(3, 3, 3, 4);
    r.continuous = true;
    const double w = 74;
    const TextStyle s = style(7), n = style(7.5), b = style(7.5, true);
    const auto row = [&](const QString& label, const QString& field, double height = 3.6) {
        r.add(Band::Kind::Title, height, field).items = {T(0, 0.2, 28, label, s), F(28, 0, w - 28, field, n, Align::Right)};
    };

    r.add(Band::Kind::Title, 7).items = {F(0, 0, w, QStringLiteral("title"), style(l.titleSize(12), true), Align::Center)};
    r.add(Band::Kind::Title, 4, QStringLiteral("kisadozo")).items = {
        F(0, 0, w, QStringLiteral("kisadozo"), style(7, true), Align::Center)};
    r.add(Band::Kind::Title, 4.5).items = {F(0, 0, w, QStringLiteral("tulajdonos"), style(9, true), Align::Center)};
    r.add(Band::Kind::Title, 3.6).items = {wrapped(F(0, 0, w, QStringLiteral("tcimstr"), n, Align::Center))};
    row(l.c("QRLabel25"), QStringLiteral("tadoszam"));
    row(l.c("QRLabel30"), QStringLiteral("tbankszamla"));
    row(l.c("QRLabel34"), QStringLiteral("tkozadoszam"));
    r.add(Band::Kind::Title, 7).items = {ruled(0, 1, w, 0.3),
                                        F(0, 2, w, QStringLiteral("szlastr"), style(9, true), Align::Center)};
    r.add(Band::Kind::Title, 3.6, QStringLiteral("eredetistr")).items = {
        F(0, 0, w, QStringLiteral("eredetistr"), s, Align::Center)};
    row(l.c("QRLabel1"), QStringLiteral("dat_kiadva"));
    row(l.c("QRLabel20"), QStringLiteral("dat_szallhat"));
    row(l.c("QRLabel21"), QStringLiteral("dat_fizhat"));
    row(l.c("QRLabel22"), QStringLiteral("fiztip_nev"));
    r.add(Band::Kind::Title, 8.5).items = {ruled(0, 1, w, 0.3), T(0, 1.6, 30, l.c("QRLabel3"), style(7, false, true)),
                                          F(0, 4.5, w, QStringLiteral("ugyfel_nev"), style(8.5, true))};
    r.add(Band::Kind::Title, 3.6).items = {wrapped(F(0, 0, w, QStringLiteral("cimstr"), n))};
    row(l.c("QRLabel28"), QStringLiteral("adoszam"));
    row(l.c("QRLabel35"), QStringLiteral("kozadoszam"));

    r.add(Band::Kind::ColumnHeader, 11).items = {
        ruled(0, 1, w, 0.3),
        T(0, 1.6, 6, l.c("QRLabel6"), s),
        T(6, 1.6, 68, l.c("QRLabel8"), s),
        T(6, 4.6, 12, l.c("QRLabel7"), s),
        T(18, 4.6, 14, l.c("QRLabel9"), s, Align::Right),
        T(32, 4.6, 22, l.c("QRLabel10").section(QLatin1Char(' '), 0, 0), s, Align::Right),
        T(56, 4.6, 18, l.c("QRLabel12"), s, Align::Right),
        T(6, 7.6, 22, l.c("QRLabel23"), s, Align::Right),
        T(30, 7.6, 20, l.c("QRLabel26"), s, Align::Right),
        when(T(52, 7.6, 22, l.c("QRLabel27"), s, Align::Right), QStringLiteral("grossShown")),
        ruled(0, 10.8, w, 0.3)};
    r.add(Band::Kind::Detail, 3.8).items = {F(0, 0.3, 6, QStringLiteral("sor"), n),
                                           wrapped(F(6, 0.3, 68, QStringLiteral("nev"), b))};
    r.add(Band::Kind::Detail, 3.4, QStringLiteral("mert")).items = {
        F(6, 0, 12, QStringLiteral("mert"), n), F(18, 0, 14, QStringLiteral("db"), n, Align::Right),
        F(32, 0, 22, QStringLiteral("egysar"), n, Align::Right),
        F(56, 0, 18, QStringLiteral("afakulcsstr"), n, Align::Right)};
    r.add(Band::Kind::Detail, 3.4).items = {
        F(6, 0, 22, QStringLiteral("sornetto"), n, Align::Right), F(30, 0, 20, QStringLiteral("sorafa"), n, Align::Right),
        when(F(52, 0, 22, QStringLiteral("sorbrutto"), n, Align::Right), QStringLiteral("grossShown"))};
    r.add(Band::Kind::Detail, 3.4, QStringLiteral("besszam")).items = {F(6, 0, 16, QStringLiteral("besszam"), s),
                                                                       F(22, 0, 52, QStringLiteral("vtsz"), s)};
    r.add(Band::Kind::Detail, 3.4, QStringLiteral("sormegj")).items = {
        wrapped(F(6, 0, 68, QStringLiteral("sormegj"), style(7, false, true)))};

    const double c1 = 22, col = 17.3, c2 = c1 + col, c3 = c2 + col;
    Band& table = r.add(Band::Kind::Summary, 5.5);
    table.items = {ruled(0, 1, w, 0.4), T(c1, 1.8, col, l.c("QRLabel23"), s, Align::Right),
                   T(c2, 1.8, col, l.c("QRLabel26"), s, Align::Right),
                   T(c3, 1.8, col, l.c("QRLabel27"), s, Align::Right)};
    for (int i = 0; i < 2; ++i) {
        const QString k = QString::number(i);
        r.add(Band::Kind::Summary, 3.6, QStringLiteral("rate") + k).items = {
            F(0, 0, c1, QStringLiteral("rate") + k, s), F(c1, 0, col, QStringLiteral("net") + k, n, Align::Right),
            F(c2, 0, col, QStringLiteral("vat") + k, n, Align::Right),
            F(c3, 0, col, QStringLiteral("gross") + k, n, Align::Right)};
    }
    r.add(Band::Kind::Summary, 4.5).items = {ruled(0, 0.4, w, 0.2), T(0, 0.9, c1, l.c("QRLabel15"), b),
                                            F(c1, 0.9, col, QStringLiteral("sumNet"), b, Align::Right),
                                            F(c2, 0.9, col, QStringLiteral("sumVat"), b, Align::Right),
                                            F(c3, 0.9, col, QStringLiteral("sumGross"), b, Align::Right)};
    r.add(Band::Kind::Summary, 3.8, QStringLiteral("kerek")).items = {
        T(0, 0.2, 40, l.c("Kerek1"), n), F(40, 0.2, w - 40, QStringLiteral("kerek"), n, Align::Right)};
    r.add(Band::Kind::Summary, 7).items = {report::frame(QRectF(0, 0.8, w, 5.8), 0.3),
                                          F(1, 1.8, 36, QStringLiteral("osszegstr"), style(8.5, true)),
                                          F(36, 1.4, w - 37, QStringLiteral("payable"), style(10, true), Align::Right)};
    r.add(Band::Kind::Summary, 4.5, QStringLiteral("words")).items = {
        wrapped(F(0, 0.6, w, QStringLiteral("words"), style(7, false, true)))};
    r.add(Band::Kind::Summary, 14).items = {
        when(ruled(2, 10, 35), QStringLiteral("atvet")),
        when(F(2, 10.4, 33, QStringLiteral("atvet"), s, Align::Center), QStringLiteral("atvet")),
        ruled(39, 10, 72), T(39, 10.4, 33, l.c("Atvet1"), s, Align::Center)};
    // The roll has one page: the footer texts close the summary.
    const TextStyle f = style(6);
    r.add(Band::Kind::Summary, 14).items = {ruled(0, 0.5, w, 0.2),
                                           T(0, 1, 30, QStringLiteral("Orvix Szla"), f),
                                           F(30, 1, w - 30, QStringLiteral("printedAt"), f, Align::Right),
                                           F(0, 3.8, 30, QStringLiteral("pagesText"), f),
                                           F(30, 3.8, w - 30, QStringLiteral("jobTitle"), f, Align::Right),
                                           wrapped(T(0, 6.6, w, kRegulation, f, Align::Center)),
                                           T(0, 10.6, w, kWebAddress, f, Align::Center)};
}

} // namespace orvix
