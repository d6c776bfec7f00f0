#include "invoicing/Register.h"

#include "common/Database.h"
#include "core/Settings.h"
#include "core/TextUtil.h"
#include "data/Schema.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QSqlQuery>
#include <QUrlQuery>

namespace orvix {

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

std::vector<RegisterListDef> buildLists() {
    std::vector<RegisterListDef> lists(kRegisterListCount);

    RegisterListDef& p = lists[ProductsList];
    p.title = u8("Termékek");
    p.tabText = u8("Termékek");
    p.source = {QStringLiteral("cikkszam"), QStringLiteral("cikkszam.*"), QString(),
                QStringLiteral("cikkszam.torolve='N' AND cikkszam.eloleg='N'"), QStringLiteral("cikkszam")};
    p.columns = {{QStringLiteral("cikkszam"), u8("cikkszám"), ColumnFormat::Text},
                 {QStringLiteral("cikkszam_nev"), u8("megnevezés"), ColumnFormat::Text},
                 {QStringLiteral("kategoria"), u8("kategória"), ColumnFormat::Text},
                 {QStringLiteral("mert"), u8("m.e."), ColumnFormat::Text},
                 {QStringLiteral("netto"), u8("nettó"), ColumnFormat::Money},
                 {QStringLiteral("afa"), u8("áfa"), ColumnFormat::Money},
                 {QStringLiteral("brutto"), u8("bruttó"), ColumnFormat::Money}};
    // The code, the name and the category take 0.3, 0.1 and 0.09 of the grid.
    p.widths = {0.3, 0.1, 0.09, 0.08, 0.13, 0.13, 0.13};
    p.csvName = QStringLiteral("cikkszam.csv");

    RegisterListDef& c = lists[CustomersList];
    c.title = u8("Vevők");
    c.tabText = u8("Vevők");
    c.source = {
        QStringLiteral("ugyfel"),
        QStringLiteral("ugyfel.*, fiztip.fiztip_nev, fiztip.fizhat AS xfizhat, fiztip.fizetve AS xfizetve"),
        QStringLiteral("LEFT OUTER JOIN fiztip ON (ugyfel.fiztip=fiztip.fiztip)"),
        QStringLiteral("ugyfel.torolve='N'"), QStringLiteral("ugyfel")};
    c.columns = {{QStringLiteral("ugyfel_nev"), u8("vevő"), ColumnFormat::Text},
                 {QStringLiteral("ugyfelkod"), u8("ügyfélkód"), ColumnFormat::Zero5},
                 {QStringLiteral("kapcsolat"), u8("kapcsolattartó"), ColumnFormat::Text},
                 {QStringLiteral("telefon"), u8("telefon"), ColumnFormat::Text},
                 {QStringLiteral("mobil"), u8("mobil"), ColumnFormat::Text},
                 {QStringLiteral("emil"), u8("e-mail"), ColumnFormat::Text},
                 {QStringLiteral("kedvezmeny"), u8("kedv%"), ColumnFormat::Number},
                 {QStringLiteral("szla_irsz"), u8("szla.irsz"), ColumnFormat::Text},
                 {QStringLiteral("szla_varos"), u8("szla.város"), ColumnFormat::Text},
                 {QStringLiteral("szla_cim"), u8("szla.cím"), ColumnFormat::Text}};
    c.widths = {0.26, 0.07, 0.14, 0.14, 0.14, 0.18, 0.05, 0.06, 0.12, 0.2};
    c.orderField = QStringLiteral("ugyfel_nev");
    c.csvName = QStringLiteral("vevo.csv");

    RegisterListDef& d = lists[DocumentsList];
    d.title = u8("Kiadott bizonylatok");
    d.tabText = u8("Számlák");
    d.source = {
        QStringLiteral("szla"),
        QStringLiteral("szla.*, fiztip.fiztip_nev AS xfiztip_nev, szla.brutto-szla.penzfizetve AS hatralek"),
        QStringLiteral("LEFT OUTER JOIN fiztip ON (szla.fiztip=fiztip.fiztip)"), QString(),
        QStringLiteral("szla"),
        {{QStringLiteral("hatralek"), QStringLiteral("szla.brutto-szla.penzfizetve")}}};
    d.columns = {{QStringLiteral("szla"), u8("gépi kód"), ColumnFormat::Text},
                 {QStringLiteral("szlaszam"), u8("számlaszám"), ColumnFormat::Zero5},
                 {QStringLiteral("prntip"), u8("típus"), ColumnFormat::Text},
                 {QStringLiteral("ugyfel_nev"), u8("ügyfél"), ColumnFormat::Text},
                 {QStringLiteral("dat_kiadva"), u8("kiadva"), ColumnFormat::Date},
                 // The payment method as the document names it, like the
                 // customer's name: what its print shows, after a later
                 // rename of the method too.
                 {QStringLiteral("fiztip_nev"), u8("fiz.tip."), ColumnFormat::Text},
                 {QStringLiteral("netto"), u8("nettó"), ColumnFormat::Money},
                 {QStringLiteral("brutto"), u8("bruttó"), ColumnFormat::Money},
                 {QStringLiteral("hatralek"), u8("hátralék"), ColumnFormat::Money},
                 {QStringLiteral("fizetve"), u8("fiz."), ColumnFormat::Mark},
                 {QStringLiteral("afas"), u8("áfás"), ColumnFormat::Mark}};
    d.widths = {0.1, 0.1, 0.05, 0.24, 0.1, 0.1, 0.1, 0.1, 0.1, 0, 0};
    d.orderDescending = true;
    d.csvName = QStringLiteral("szla.csv");
    return lists;
}

const data::TableDef& tableOf(int list) {
    const data::TableDef* t = data::findTable(registerList(list).source.table);
    Q_ASSERT(t);
    return *t;
}

bool hasPlainIndex(const data::TableDef& t, const QString& field) {
    for (const data::IndexDef& i : t.indexes)
        if (!i.expression && field.compare(QLatin1String(i.field), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString orderColumns(const PagedSource& s, const QString& field, bool descending) {
    const QString dir = descending ? QStringLiteral(" DESC") : QString();
    const QString key = s.table + QLatin1Char('.') + s.key + dir;
    if (field.isEmpty() || field.compare(s.key, Qt::CaseInsensitive) == 0)
        return key;
    const QString computed = s.computedExpression(field);
    const QString order = computed.isEmpty() ? s.table + QLatin1Char('.') + field : computed;
    return order + dir + QStringLiteral(", ") + key;
}

bool isColumnOf(const RegisterListDef& def, const QString& field) {
    for (const ListColumn& c : def.columns)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

const RegisterListDef& registerList(int list) {
    static const std::vector<RegisterListDef> lists = buildLists();
    return lists.at(size_t(std::clamp(list, 0, kRegisterListCount - 1)));
}

SortChoice sortForColumn(int list, const QString& columnField) {
    const RegisterListDef& def = registerList(list);
    const data::TableDef& table = tableOf(list);
    SortChoice choice;
    if (columnField.compare(def.source.key, Qt::CaseInsensitive) == 0) {
        choice.ok = true;
        choice.descending = list == DocumentsList; // newest first
        choice.searchField = def.source.key;
        return choice;
    }
    if (list == DocumentsList) {
        // Every column of the register orders it: its fields and its
        // computed columns, each with an index of the catalogue behind it.
        if (!isColumnOf(def, columnField) ||
            (!table.field(columnField) && def.source.computedExpression(columnField).isEmpty()))
            return choice;
    } else if (!table.field(columnField) || !hasPlainIndex(table, columnField)) {
        // A lookup or calculated column is no field of the table.
        return choice;
    }
    choice.ok = true;
    choice.field = columnField;
    choice.searchField = columnField;
    return choice;
}

SearchKind searchKindOf(int list, const QString& field) {
    // The computed columns are amounts.
    if (!registerList(list).source.computedExpression(field).isEmpty())
        return SearchKind::Number;
    const data::FieldDef* f = tableOf(list).field(field);
    if (!f)
        return SearchKind::Text;
    switch (f->type) {
    case data::FieldType::AutoInc:
    case data::FieldType::Int:
    case data::FieldType::SmallInt:
    case data::FieldType::Float:
        return SearchKind::Number;
    case data::FieldType::Date:
        return SearchKind::Date;
    default:
        return SearchKind::Text;
    }
}

std::optional<int> searchList(PagedQuery& query, int list, const QString& field, const QString& text) {
    switch (searchKindOf(list, field)) {
    case SearchKind::Number: {
        static const QRegularExpression digits(QStringLiteral("^\\d{1,18}$"));
        const QString t = removeSpaces(text);
        if (!digits.match(t).hasMatch())
            return std::nullopt;
        return query.findEqual(parseInt(t));
    }
    case SearchKind::Date: {
        static const QRegularExpression datePart(QStringLiteral("^[0-9.\\-]{1,10}$"));
        if (!datePart.match(text).hasMatch())
            return std::nullopt;
        QString iso = text;
        iso.replace(QLatin1Char('.'), QLatin1Char('-'));
        return query.findPrefix(iso);
    }
    case SearchKind::Text: {
        const data::FieldDef* f = tableOf(list).field(field);
        if (list == DocumentsList && f && f->width > 0 && text.size() > f->width)
            return std::nullopt;
        return query.findPrefix(text);
    }
    }
    return std::nullopt;
}

RowColors documentRowColors(const DocumentFlags& f, const QDate& today) {
    RowColors c;
    // 1. Unpaid and due.
    if (f.fizetve == QLatin1String("N") && f.dueDate.isValid() && f.dueDate <= today) {
        c.font = QColor(255, 0, 0);
        c.background = QColor(255, 236, 236);
    }
    // 2. Not cancelled: unposted grey; posted advance, credit/cancelling and
    // proforma documents in their own colours.
    if (f.storno != QLatin1String("I")) {
        if (f.konyvelve == QLatin1String("N")) {
            c = {QColor(128, 128, 128), QColor(233, 233, 233), QColor(192, 192, 192)};
        } else if (f.konyvelve == QLatin1String("I")) {
            if (f.kind == QLatin1String("E"))
                c = {QColor(0, 128, 0), QColor(230, 242, 255), QColor(255, 255, 255)};
            else if (f.kind == QLatin1String("J") || f.kind == QLatin1String("W"))
                c = {QColor(0, 0, 255), QColor(217, 255, 236), QColor(255, 255, 255)};
            else if (f.kind == QLatin1String("P"))
                c = {QColor(0, 0, 128), QColor(255, 225, 255), QColor(255, 255, 255)};
        }
    }
    // 3. Cancelled.
    if (f.storno == QLatin1String("I"))
        c = {QColor(255, 0, 0), QColor(255, 238, 221), QColor()};
    return c;
}

std::unique_ptr<PagedTableModel> makeListModel(Database& db, int list, const Settings& settings) {
    const RegisterListDef& def = registerList(list);
    auto model = std::make_unique<PagedTableModel>(db, def.source, def.columns);
    model->setMoneyFormat(settings.formatft);
    model->query().setOrder(def.orderField, def.orderDescending);
    model->setHighlightedColumn(model->columnOf(def.orderField.isEmpty() ? def.source.key : def.orderField));
    if (list == DocumentsList) {
        // Field positions are looked up once per model.
        struct Fields {
            int fizetve = -1, due = -1, storno = -1, konyvelve = -1, kind = -1;
            bool resolved = false;
            // Today's date, read again after a second (reading the clock
            // in local time costs more than the rest of the colouring).
            QDate today;
            QElapsedTimer todayRead;
        };
        auto fields = std::make_shared<Fields>();
        model->setRowStyle([fields](const PagedRow& row, const PagedTableModel& m) {
            if (!fields->resolved) {
                fields->fizetve = m.fieldIndex(QStringLiteral("fizetve"));
                fields->due = m.fieldIndex(QStringLiteral("dat_fizhat"));
                fields->storno = m.fieldIndex(QStringLiteral("storno"));
                fields->konyvelve = m.fieldIndex(QStringLiteral("konyvelve"));
                fields->kind = m.fieldIndex(QStringLiteral("prntip"));
                fields->resolved = true;
            }
            const auto text = [&row](int i) {
                return i >= 0 && i < row.values.size() ? row.values.at(i).toString() : QString();
            };
            DocumentFlags f;
            f.fizetve = text(fields->fizetve);
            f.dueDate = QDate::fromString(text(fields->due).left(10), Qt::ISODate);
            f.storno = text(fields->storno);
            f.konyvelve = text(fields->konyvelve);
            f.kind = text(fields->kind);
            if (!fields->todayRead.isValid() || fields->todayRead.elapsed() > 1000) {
                fields->today = QDate::currentDate();
                fields->todayRead.start();
            }
            return documentRowColors(f, fields->today);
        });
    }
    return model;
}

QString recPosText(int count, int currentRow) {
    return QStringLiteral("%1: %2").arg(count).arg(count > 0 ? currentRow + 1 : 0);
}

QStringList documentKindItems(Database& db) {
    QStringList items;
    // In table order: the rows as they are stored (Számla, Proforma … as the
    // folder was made), read whole so that no index orders them.
    QSqlQuery q = db.select(QStringLiteral("SELECT * FROM prntip"));
    const int kind = q.record().indexOf(QStringLiteral("prntip"));
    const int name = q.record().indexOf(QStringLiteral("prntip_nev"));
    while (q.next())
        items << q.value(kind).toString().trimmed() + QLatin1Char(':') + q.value(name).toString().trimmed();
    return items;
}

std::optional<DocumentRef> documentSearchResult(const QString& kindItem, const QString& numberText) {
    const qsizetype colon = kindItem.indexOf(QLatin1Char(':'));
    const QString kind = colon < 0 ? kindItem : kindItem.left(colon);
    const qint64 number = parseInt(numberText);
    if (kind.isEmpty() || number <= 0)
        return std::nullopt;
    return DocumentRef{kind, number};
}

qint64 findDocumentKey(Database& db, const DocumentRef& ref) {
    return db.queryInt(QStringLiteral("SELECT MAX(szla) FROM szla WHERE prntip = ? AND szlaszam = ?"), 0,
                       {ref.kind, ref.number});
}

QStringList documentQueryLines() {
    return {QStringLiteral("SELECT"),
            QStringLiteral(" szla.*,"),
            QStringLiteral(" fiztip.fiztip_nev,"),
            QStringLiteral(" szla.brutto-szla.penzfizetve AS hatralek"),
            QStringLiteral("FROM szla"),
            QStringLiteral(" LEFT OUTER JOIN fiztip ON (szla.fiztip=fiztip.fiztip)"),
            QStringLiteral("ORDER BY szla.szla DESC;")};
}

QString listCsvQuery(int list, const QString& orderField, bool descending) {
    const PagedSource& s = registerList(list).source;
    const QString order = orderColumns(s, orderField, descending);
    if (list == DocumentsList)
        return setOrderBy(documentQueryLines(), order).join(QLatin1Char('\n'));
    QString sql = QStringLiteral("SELECT ") + s.columns + QStringLiteral(" FROM ") + s.table;
    if (!s.joins.isEmpty())
        sql += QLatin1Char(' ') + s.joins;
    if (!s.filter.isEmpty())
        sql += QStringLiteral(" WHERE ") + s.filter;
    return sql + QStringLiteral(" ORDER BY ") + order;
}

QStringList myEnvelopeQueryLines() {
    return {QStringLiteral("SELECT"),
            QStringLiteral(" ugyfel_nev,"),
            QStringLiteral(" kapcsolat,"),
            QStringLiteral(" cim_irsz,"),
            QStringLiteral(" cim_varos,"),
            QStringLiteral(" cim_cim,"),
            u8(" 'Számlázó program' AS csoport"),
            QStringLiteral("FROM ugyfel"),
            QStringLiteral("WHERE torolve='N'"),
            QStringLiteral("ORDER BY 1;")};
}

QUrl mapSearchUrl(const QString& postcode, const QString& town, const QString& street) {
    const QByteArray query = QUrl::toPercentEncoding(postcode.trimmed()) + '+' +
                             QUrl::toPercentEncoding(town.trimmed()) + '+' +
                             QUrl::toPercentEncoding(street.trimmed());
    return QUrl::fromEncoded("https://www.openstreetmap.org/search?query=" + query, QUrl::StrictMode);
}

QUrl mailUrl(const QString& address, const QString& subject) {
    const QString a = address.trimmed();
    if (a.isEmpty())
        return {};
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(a);
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("subject"), subject);
    url.setQuery(q);
    return url;
}

const ProgramLinks& programLinks() {
    static const ProgramLinks links{QStringLiteral("https://orvix-szamla.example/sugo"),
                                    QStringLiteral("https://orvix-szamla.example/"),
                                    QStringLiteral("https://orvix-szamla.example/programok"),
                                    QStringLiteral("info@orvix-szamla.example")};
    return links;
}

const std::vector<ActionDef>& mainWindowActions() {
    static const std::vector<ActionDef> actions = {
        // Records
        {"aUj", "Új sor", "Ins"},
        {"aSzerkeszt", "Szerkeszt", "F2"},
        {"aTorol", "Törlés", "Ctrl+Del"},
        {"aKeres", "Ugrás a keresőmezőbe", "Ctrl+F"},
        {"aTermKeres", "Keresés", "Ctrl+T"},
        {"aFrissit", "Frissít", "F5"},
        {"aNyomtatKep", "Nyomtatási kép", "Ctrl+K"},
        {"aNyomtat", "Nyomtat", "Ctrl+P"},
        {"aExcelbe", "Excelbe", "Ctrl+E"},
        {"aHtml", "Html export", "Ctrl+H"},
        // Invoicing
        {"aSzallito", "Új számla", "F6"},
        {"aProforma", "Új proforma", "Shift+F6"},
        {"aJovair", "Jóváíró számla", "Ctrl+F6"},
        {"aEloleg", "Új előleg", "Alt+F6"},
        {"aUjAdomentes", "Új adómentes számla", "Ctrl+Shift+F6"},
        {"aSzlaMinta", "Új számla minta alapján", "F7"},
        {"aEbbolEladok", "Eladok...", "F3"},
        {"aKonyvel", "Könyvel", "F8"},
        {"aKonyvelNyom", "Összes könyveletlen könyvel, és nyomtat", ""},
        {"aKifizet", "Kifizet", "F11"},
        {"aKifizet2", "Részben, vagy összevont kifizetés", "Shift+F11"},
        {"aUgrik", "Vevőre...", "F12"},
        {"aVevoFolyo", "Folyószámla", "Ctrl+F8"},
        {"aKuldes", "Küldés", ""},
        {"aLevelUgyfel", "Levél küldése ügyfélnek", "Ctrl+L"},
        {"aGari", "Gar.jegy", "Ctrl+G"},
        {"aGariKeres", "Garanciajegy keresés", "Ctrl+Shift+G"},
        // Printing
        {"aSzallevNyom", "Szállítólevél nyomtatás", ""},
        {"aBoritekNyom", "Boríték", "Ctrl+I"},
        {"aAjanlott", "Ajánlott szelvény nyomtatás", "Ctrl+Shift+I"},
        {"aCimkeNyom", "Címke nyomtatás", ""},
        {"aSzla1", "Számlák", ""},
        {"aJov", "Jóváírások", ""},
        {"aProform", "Proformák", ""},
        {"aFizElo", "Fizetési előlegek", ""},
        {"aAfa", "ÁFA összesítés", ""},
        {"aFolyoszamla", "Vevő folyószámla", ""},
        {"aCikkNyom", "Cikktörzs nyomtatás", ""},
        {"aVevoLista", "Vevők törzse", ""},
        {"aNyomArlista", "Árlista nyomtatás", ""},
        // Analyses
        {"aCikkKarton", "Termék történet", ""},
        {"aVevoTortenet", "Vevőtörténet", ""},
        {"aErtBong", "Értékesítések böngésző", ""},
        {"aForgElemez", "Forgalom elemzés", ""},
        {"aTop50", "Ügyfél TOP50", ""},
        {"aVevoVesz", "Egy vevő vásárlásai", ""},
        {"aChMegoszlas", "Értékesítés megoszlása kategóriánként", ""},
        {"aChArbev1", "Nettó árbevétel grafikon", ""},
        {"aChArbev2", "Bruttó árbevétel grafikon", ""},
        // Masters and code tables
        {"aSokCim", "Címek...", ""},
        {"aTulajdonos", "Tulajdonos adatai", ""},
        {"aMe", "Mértékegységek", ""},
        {"aTorzsVtsz", "VTSZ, SZJ", ""},
        {"aSzarmazas", "Származás", ""},
        {"aKategoria", "Termék kategóriák", ""},
        {"aFiztip", "Fizetési típusok", ""},
        {"aVat", "Devizanemek", ""},
        {"aSzamlaMinta", "Számlaminták", ""},
        {"aPrnTip", "Számla típusok megnevezései", ""},
        {"aAfakulcs", "Áfa kulcsok kezelése", ""},
        {"aCikktorzsFrissit", "Cikktörzs frissítés", ""},
        {"aUgyfFrissit", "Ügyféltörzs frissítés", ""},
        {"aKlubor", "Ügyféltörzs import Klubor programból", ""},
        {"aGoogleDocs", "Google Docs űrlap betöltés", ""},
        {"aMyEnvelope", "Ügyféltörzs adatexport My.Envelope programhoz", ""},
        {"aTerkep1", "Térkép: levelezési cím", ""},
        {"aTerkep2", "Térkép: számlázási cím", ""},
        // Cash desk
        {"aKassza", "Kassza", ""},
        {"aKasszak", "Kasszák", ""},
        {"aKasszaTipus", "Kassza típusok", ""},
        // Tax authority and accounting
        {"aNav1", "NAV ellenőrzés adatszolgáltatás dátum szerint", ""},
        {"aNav2", "NAV ellenőrzés adatszolgáltatás számlaszám tartományra", ""},
        {"aForint", "ForintSoft könyvelő program interface", ""},
        {"aKSzlaKet", "KSzlaKet interface", ""},
        // System
        {"aFelhasznalo", "Felhasználók", ""},
        {"aBeallit", "Beállítások", "Alt+Return"},
        {"aNyelv", "Számla szövegezés fordítás", ""},
        {"aAdatbazis", "Adatbázisok", ""},
        {"aArchival", "Adatbázis archiválás", "F9"},
        {"aSQL", "Szabad lekérdezés", ""},
        {"aBetuNovel", "Betűméret növelése", "Ctrl+F10"},
        {"aBetuCsokkent", "Betűméret csökkentése", "Shift+F10"},
        {"aBezar", "Kilépés a programból", ""},
        // Window
        {"aCikktorzs", "Cikktörzs", "Alt+1"},
        {"aVevok", "Vevők", "Alt+2"},
        {"aMozgas", "Számlák", "Alt+3"},
        // Help
        {"aSugo", "Súgó", "F1"},
        {"aFontos", "Szoftver dokumentáció", ""},
        {"aUjdonsag", "Újdonságok az Interneten", ""},
        {"aLevel", "Levélküldés Kalimpanak", ""},
        {"aHonlap", "Kalimpa honlapja", ""},
        {"aPortal", "Programportál", ""},
        {"aNevjegy", "Névjegy", "Alt+F1"},
    };
    return actions;
}

std::optional<Right> requiredRight(const QString& name) {
    static const QStringList admin{QStringLiteral("aFelhasznalo"), QStringLiteral("aBeallit"),
                                   QStringLiteral("aNyelv")};
    static const QStringList write{QStringLiteral("aKategoria"), QStringLiteral("aMe"),
                                   QStringLiteral("aSzarmazas")};
    if (admin.contains(name))
        return Right::Administrator;
    if (write.contains(name))
        return Right::Write;
    return std::nullopt;
}

} // namespace orvix
