// The lists of the main window on real data folders: windowed reading in every
// order against the engine's own ORDER BY, positions of keys, prefix search
// against a plain scan, the search box rules, the sort rules, the register's
// row colours, the document search, exports and links, and the indexes.

#include "masters/Customers.h"
#include "masters/Products.h"
#include "ScriptedDialogs.h"
#include "common/Database.h"
#include "core/DelimitedExport.h"
#include "core/Settings.h"
#include "data/Indexes.h"
#include "data/Schema.h"
#include "invoicing/Register.h"

#include <QBrush>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QUrlQuery>
#include <QtTest>

using namespace orvix;
using orvix::test::ScriptedDialogs;

namespace {

const QStringList kNames = {QStringLiteral("Kovács Béla"),   QStringLiteral("kovacs józsef"),
                            QStringLiteral("Kővári Ottó"),   QStringLiteral("Köves Anna"),
                            QStringLiteral("KOVÁCS ÉVA"),    QStringLiteral("Asszonyi Kft."),
                            QStringLiteral("Assa Bt."),      QStringLiteral("Ást Kft."),
                            QStringLiteral("Ádám Péter"),    QStringLiteral("Ábel Kft."),
                            QStringLiteral("Csaba Bt."),     QStringLiteral("Cukor Kft."),
                            QStringLiteral("Accsa Zrt."),    QStringLiteral("Addzsa Bt."),
                            QStringLiteral("Acsa Kft."),     QStringLiteral("Dzsungel Kft."),
                            QStringLiteral("Dzeta Bt."),     QStringLiteral("Őri Ödön"),
                            QStringLiteral("Ürge Ülés"),     QStringLiteral("Uborka Bt."),
                            QStringLiteral("Öböl Kft."),     QStringLiteral("Zsák Zoltán"),
                            QStringLiteral("Zoltán Zsuzsa"), QStringLiteral("Nyúl Nándor"),
                            QStringLiteral("Nagy Ilona"),    QStringLiteral("100% Kft."),
                            QStringLiteral("Kovács Béla"),   QStringLiteral("")};

PagedSource documentsSource() {
    return registerList(DocumentsList).source;
}

// Keys in the engine's own order (the reference for the windowed reading).
QVariantList engineOrder(Database& db, const QString& field, bool desc) {
    const QString dir = desc ? QStringLiteral(" DESC") : QString();
    const QString order =
        field.isEmpty() ? QStringLiteral("szla") + dir : field + dir + QStringLiteral(", szla") + dir;
    QVariantList keys;
    QSqlQuery q = db.select(QStringLiteral("SELECT szla, brutto-penzfizetve AS hatralek FROM szla ORDER BY ") +
                            order);
    while (q.next())
        keys << q.value(0);
    return keys;
}

QVariantList readAll(PagedQuery& q, const QList<int>& positions) {
    QVariantList keys(q.rowCount());
    for (int p : positions) {
        const PagedRow* r = q.row(p);
        keys[p] = r ? r->key : QVariant();
    }
    return keys;
}

} // namespace

class RegisterTest : public QObject {
    Q_OBJECT

    // One folder with the documents is made once; each test works on a copy.
    QTemporaryDir m_template;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
    Database& db() { return *m_db; }

    void addDocuments() {
        // Names with duplicates, accents, empty texts and nulls; amounts with
        // ties; some documents without an issue date, some paid in part or
        // with no paid amount at all.
        QRandomGenerator rng(7);
        const QVariantList methods = {QStringLiteral("Készpénz"), QStringLiteral("Átutalás"),
                                      QStringLiteral("Bankkártya"), QVariant(), QStringLiteral("")};
        for (int i = 0; i < 90; ++i) {
            const QVariant name = i % 13 == 5 ? QVariant() : QVariant(kNames.at(i % kNames.size()));
            const QVariant date =
                i % 11 == 3 ? QVariant()
                            : QVariant(QDate(2020, 1, 1).addDays(rng.bounded(60)).toString(Qt::ISODate));
            const QString kind = QStringLiteral("SJPEW").mid(i % 5, 1);
            const double gross = 1270.0 * (i % 7);
            const QVariant paid = i % 17 == 4 ? QVariant() : QVariant(i % 3 == 0 ? gross / 2 : 0.0);
            db().execSql(
                QStringLiteral("INSERT INTO szla (prntip, szlaszam, ugyfel, ugyfel_nev, dat_kiadva, netto, "
                               "brutto, penzfizetve, fizetve, konyvelve, storno, afas, fiztip_nev) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 'I', 'N', ?, ?)"),
                {kind, i + 1, 1 + i % 4, name, date, double(rng.bounded(5) * 1000), gross, paid,
                 i % 4 == 1 ? QStringLiteral("I") : QStringLiteral("N"),
                 i % 6 == 2 ? QStringLiteral("N") : QStringLiteral("I"), methods.at((i / 3) % 5)});
        }
    }

private Q_SLOTS:
    void initTestCase() {
        m_db = std::make_unique<Database>(QStringLiteral("register"));
        data::createDataFolder(db(), m_template.filePath(QStringLiteral("Data")));
        addDocuments();
        m_db->close();
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        const QString folder = m_dir->filePath(QStringLiteral("Data"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(Database::databaseFile(m_template.filePath(QStringLiteral("Data"))),
                            Database::databaseFile(folder)));
        m_db->open(folder);
    }
    void cleanup() {
        m_db->close();
        m_dir.reset();
    }

    void windowsReadTheEngineOrder_data();
    void windowsReadTheEngineOrder();
    void positionOfEveryKey_data();
    void positionOfEveryKey();
    void prefixSearchFindsTheFirstMatch();
    void searchBoxRules_data();
    void searchBoxRules();
    void sortRules_data();
    void sortRules();
    void rowColours_data();
    void rowColours();
    void columnsAsShown();
    void documentSearch_data();
    void documentSearch();
    void exportsAndLinks();
    void softDeleteHidesTheRow();
    void everyColumnSortsOnAnIndex();
    void rowColoursFollowTheData();
};

void RegisterTest::windowsReadTheEngineOrder_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("desc");
    QTest::addColumn<int>("window");
    QTest::newRow("key newest first") << QString() << true << 7;
    QTest::newRow("key oldest first") << QString() << false << 4;
    QTest::newRow("customer name, nulls and ties") << QStringLiteral("ugyfel_nev") << false << 5;
    QTest::newRow("customer name, window of one") << QStringLiteral("ugyfel_nev") << false << 1;
    QTest::newRow("issue date with nulls") << QStringLiteral("dat_kiadva") << false << 6;
    QTest::newRow("issue date descending") << QStringLiteral("dat_kiadva") << true << 9;
    QTest::newRow("net amount, many ties") << QStringLiteral("netto") << false << 8;
    QTest::newRow("kind") << QStringLiteral("prntip") << false << 200;
    QTest::newRow("outstanding amount, computed, with nulls") << QStringLiteral("hatralek") << false << 6;
    QTest::newRow("outstanding amount descending") << QStringLiteral("hatralek") << true << 11;
    QTest::newRow("payment method, empty and null") << QStringLiteral("fiztip_nev") << false << 7;
    QTest::newRow("paid mark, two values") << QStringLiteral("fizetve") << true << 13;
}

void RegisterTest::windowsReadTheEngineOrder() {
    QFETCH(QString, field);
    QFETCH(bool, desc);
    QFETCH(int, window);
    const QVariantList expected = engineOrder(db(), field, desc);
    const int n = int(expected.size());
    QList<int> forward, backward, scattered;
    for (int i = 0; i < n; ++i) {
        forward << i;
        backward << n - 1 - i;
        scattered << (i * 37) % n; // 37 is prime to 90: every row once
    }
    for (const QList<int>& order : {forward, backward, scattered}) {
        PagedQuery q(db(), documentsSource(), window);
        q.setOrder(field, desc);
        QCOMPARE(q.rowCount(), n);
        QCOMPARE(readAll(q, order), expected);
    }
}

void RegisterTest::positionOfEveryKey_data() {
    windowsReadTheEngineOrder_data();
}

void RegisterTest::positionOfEveryKey() {
    QFETCH(QString, field);
    QFETCH(bool, desc);
    QFETCH(int, window);
    const QVariantList expected = engineOrder(db(), field, desc);
    PagedQuery q(db(), documentsSource(), window);
    q.setOrder(field, desc);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(q.positionOfKey(expected.at(i)), i);
        if (i % 3 != 0)
            continue;
        // A fresh reader, so the window is read around the key.
        PagedQuery fresh(db(), documentsSource(), window);
        fresh.setOrder(field, desc);
        QCOMPARE(fresh.positionOfKey(expected.at(i)), i);
        QCOMPARE(fresh.row(i)->key, expected.at(i));
        if (i > 0)
            QCOMPARE(fresh.row(i - 1)->key, expected.at(i - 1));
    }
    QCOMPARE(q.positionOfKey(99999), -1);
}

void RegisterTest::prefixSearchFindsTheFirstMatch() {
    // Case and the acute accents do not count; ö and ü are letters of their own.
    QVERIFY(searchFold(QStringLiteral("Kovács")).startsWith(searchFold(QStringLiteral("KOVAC"))));
    QVERIFY(searchFold(QStringLiteral("ÁRVÍZTŰRŐ")).startsWith(searchFold(QStringLiteral("árvíztürö"))));
    QVERIFY(!searchFold(QStringLiteral("Köves")).startsWith(searchFold(QStringLiteral("kov"))));
    QVERIFY(!searchFold(QStringLiteral("Kovács")).startsWith(searchFold(QStringLiteral("kö"))));

    // Customers list: every prefix of every name, and spellings that differ
    // from the stored ones in case and accents, against a plain scan of the
    // list in its order.
    for (const QString& name : kNames)
        db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve) VALUES (?, 'N')"), {name});
    db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve) VALUES ('Kovácsné Törölt', 'I')"));
    QList<QPair<QVariant, QString>> listed;
    QSqlQuery all = db().select(QStringLiteral(
        "SELECT ugyfel, ugyfel_nev FROM ugyfel WHERE torolve='N' ORDER BY ugyfel_nev, ugyfel"));
    while (all.next())
        listed << qMakePair(all.value(0), all.value(1).toString());

    QStringList texts{
        QStringLiteral("kov"),  QStringLiteral("KŐ"),   QStringLiteral("kö"),       QStringLiteral("ass"),
        QStringLiteral("assz"), QStringLiteral("acc"),  QStringLiteral("add"),      QStringLiteral("addz"),
        QStringLiteral("Ö"),    QStringLiteral("ü"),    QStringLiteral("ÁDÁM"),     QStringLiteral("x"),
        QStringLiteral("zzz"),  QStringLiteral("100%"), QStringLiteral("kovácsné"), QStringLiteral("ny")};
    for (const QString& name : kNames)
        for (int len = 1; len <= std::min<qsizetype>(name.size(), 5); ++len)
            texts << name.left(len) << name.left(len).toUpper();

    const RegisterListDef& def = registerList(CustomersList);
    for (const QString& text : texts) {
        QVariant expected;
        int expectedRow = -1;
        for (int i = 0; i < listed.size(); ++i)
            if (searchFold(listed.at(i).second).startsWith(searchFold(text))) {
                expected = listed.at(i).first;
                expectedRow = i;
                break;
            }
        PagedQuery q(db(), def.source, 3);
        q.setOrder(def.orderField, false);
        const int row = q.findPrefix(text);
        QVERIFY2(row == expectedRow,
                 qPrintable(QStringLiteral("%1: %2 instead of %3").arg(text).arg(row).arg(expectedRow)));
        if (row >= 0)
            QCOMPARE(q.row(row)->key, expected);
    }
}

void RegisterTest::searchBoxRules_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expectedKey"); // -1: no row; 0: the text is ignored
    QTest::newRow("number finds the key") << QStringLiteral("szla") << QStringLiteral("42") << 42;
    QTest::newRow("number with spaces") << QStringLiteral("szla") << QStringLiteral(" 4 2") << 42;
    QTest::newRow("letters in a number field are ignored")
        << QStringLiteral("szla") << QStringLiteral("4a") << 0;
    QTest::newRow("a fraction is ignored") << QStringLiteral("szla") << QStringLiteral("4,5") << 0;
    QTest::newRow("number not in the list") << QStringLiteral("szla") << QStringLiteral("500") << -1;
    QTest::newRow("document number") << QStringLiteral("szlaszam") << QStringLiteral("17") << 17;
    QTest::newRow("text longer than the field is ignored")
        << QStringLiteral("ugyfel_nev") << QString(51, QLatin1Char('a')) << 0;
    QTest::newRow("date prefix as shown") << QStringLiteral("dat_kiadva") << QStringLiteral("2020.01") << 1;
    QTest::newRow("outstanding amount as a whole number")
        << QStringLiteral("hatralek") << QStringLiteral("1905") << 4;
    QTest::newRow("letters in the outstanding amount are ignored")
        << QStringLiteral("hatralek") << QStringLiteral("19a") << 0;
    QTest::newRow("payment method, case and accents ignored")
        << QStringLiteral("fiztip_nev") << QStringLiteral("ATU") << 4;
    QTest::newRow("a date text with letters is ignored")
        << QStringLiteral("dat_kiadva") << QStringLiteral("jan") << 0;
}

void RegisterTest::searchBoxRules() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, expectedKey);
    PagedQuery q(db(), documentsSource(), 10);
    const SortChoice s = sortForColumn(DocumentsList, field);
    QVERIFY(s.ok);
    q.setOrder(s.field, s.descending);
    const std::optional<int> row = searchList(q, DocumentsList, s.searchField, text);
    if (expectedKey == 0) {
        QVERIFY(!row);
        return;
    }
    QVERIFY(row);
    if (expectedKey < 0) {
        QCOMPARE(*row, -1);
        return;
    }
    QVERIFY(*row >= 0);
    if (field == QLatin1String("dat_kiadva")) {
        // The first row of the order whose date starts with 2020-01.
        const QVariant first = db().queryValue(QStringLiteral(
            "SELECT szla FROM szla WHERE dat_kiadva >= '2020-01' ORDER BY dat_kiadva, szla LIMIT 1"));
        QCOMPARE(q.row(*row)->key, first);
    } else if (field == QLatin1String("szlaszam")) {
        QCOMPARE(q.row(*row)->order.toInt(), expectedKey);
    } else {
        QCOMPARE(q.row(*row)->key.toInt(), expectedKey);
    }
}

void RegisterTest::sortRules_data() {
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("desc");
    QTest::newRow("register by key: newest first") << int(DocumentsList) << "szla" << true << "" << true;
    QTest::newRow("register by customer")
        << int(DocumentsList) << "ugyfel_nev" << true << "ugyfel_nev" << false;
    QTest::newRow("register by number") << int(DocumentsList) << "szlaszam" << true << "szlaszam" << false;
    QTest::newRow("register by date") << int(DocumentsList) << "dat_kiadva" << true << "dat_kiadva" << false;
    QTest::newRow("register by payment method")
        << int(DocumentsList) << "fiztip_nev" << true << "fiztip_nev" << false;
    QTest::newRow("register by outstanding amount")
        << int(DocumentsList) << "hatralek" << true << "hatralek" << false;
    QTest::newRow("register by paid mark") << int(DocumentsList) << "fizetve" << true << "fizetve" << false;
    QTest::newRow("register by VAT mark") << int(DocumentsList) << "afas" << true << "afas" << false;
    QTest::newRow("register: not one of its columns")
        << int(DocumentsList) << "xfiztip_nev" << false << "" << false;
    QTest::newRow("register: a field it does not show")
        << int(DocumentsList) << "penzfizetve" << false << "" << false;
    QTest::newRow("customers: lookup column") << int(CustomersList) << "xfizhat" << false << "" << false;
    QTest::newRow("customers by code") << int(CustomersList) << "ugyfelkod" << true << "ugyfelkod" << false;
    QTest::newRow("customers: billing town has no index")
        << int(CustomersList) << "szla_varos" << false << "" << false;
    QTest::newRow("products by key") << int(ProductsList) << "cikkszam" << true << "" << false;
    QTest::newRow("products by gross") << int(ProductsList) << "brutto" << true << "brutto" << false;
}

void RegisterTest::sortRules() {
    QFETCH(int, list);
    QFETCH(QString, column);
    QFETCH(bool, ok);
    QFETCH(QString, field);
    QFETCH(bool, desc);
    const SortChoice s = sortForColumn(list, column);
    QCOMPARE(s.ok, ok);
    if (!ok)
        return;
    QCOMPARE(s.field, field);
    QCOMPARE(s.descending, desc);
    QCOMPARE(s.searchField, column);
    // Every order a click may ask for reads the same rows as the engine.
    if (list == DocumentsList) {
        PagedQuery q(db(), documentsSource(), 16);
        q.setOrder(s.field, s.descending);
        QCOMPARE(q.row(0)->key, engineOrder(db(), s.field, s.descending).first());
    }
}

void RegisterTest::rowColours_data() {
    QTest::addColumn<QString>("flags"); // fizetve konyvelve storno kind, "-" for an empty flag
    QTest::addColumn<int>("dueInDays");
    QTest::addColumn<QColor>("font");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("selectedFont");
    const QColor none;
    const QColor red(255, 0, 0), white(255, 255, 255);
    QTest::newRow("unpaid, posted, due yesterday") << "N I N S" << -1 << red << QColor(255, 236, 236) << none;
    QTest::newRow("unpaid, posted, due today") << "N I N S" << 0 << red << QColor(255, 236, 236) << none;
    QTest::newRow("unpaid, posted, due tomorrow") << "N I N S" << 1 << none << none << none;
    QTest::newRow("paid, posted, overdue date") << "I I N S" << -5 << none << none << none;
    QTest::newRow("empty paid flag is not unpaid") << "- I N S" << -5 << none << none << none;
    QTest::newRow("unposted wins over overdue")
        << "N N N S" << -1 << QColor(128, 128, 128) << QColor(233, 233, 233) << QColor(192, 192, 192);
    QTest::newRow("posted advance invoice")
        << "I I N E" << 3 << QColor(0, 128, 0) << QColor(230, 242, 255) << white;
    QTest::newRow("posted credit note")
        << "I I N J" << 3 << QColor(0, 0, 255) << QColor(217, 255, 236) << white;
    QTest::newRow("posted cancelling document")
        << "N I N W" << -3 << QColor(0, 0, 255) << QColor(217, 255, 236) << white;
    QTest::newRow("posted proforma") << "I I N P" << 3 << QColor(0, 0, 128) << QColor(255, 225, 255) << white;
    QTest::newRow("empty posted flag keeps the overdue colours")
        << "N - N S" << -1 << red << QColor(255, 236, 236) << none;
    QTest::newRow("cancelled") << "N I I S" << -1 << red << QColor(255, 238, 221) << none;
    QTest::newRow("cancelled proforma") << "I I I P" << 3 << red << QColor(255, 238, 221) << none;
}

void RegisterTest::rowColours() {
    QFETCH(QString, flags);
    QFETCH(int, dueInDays);
    QFETCH(QColor, font);
    QFETCH(QColor, background);
    QFETCH(QColor, selectedFont);
    const QDate today(2026, 3, 14);
    QStringList f = flags.split(QLatin1Char(' '));
    for (QString& s : f)
        if (s == QLatin1String("-"))
            s.clear();
    const RowColors c = documentRowColors({f[0], today.addDays(dueInDays), f[2], f[1], f[3]}, today);
    QCOMPARE(c.font, font);
    QCOMPARE(c.background, background);
    QCOMPARE(c.selectedFont, selectedFont);
}

void RegisterTest::columnsAsShown() {
    db().execSql(QStringLiteral("UPDATE szla SET szlaszam=4242, dat_kiadva='2024-03-05', brutto=12345.6, "
                                "penzfizetve=345.6, fizetve='I', afas='N', fiztip=1, fiztip_nev='Utánvét' "
                                "WHERE szla=1"));
    Settings settings;
    settings.formatft = QStringLiteral("### ### ##0");
    auto m = makeListModel(db(), DocumentsList, settings);
    m->reload();
    const int row = m->rowOfKey(1);
    QCOMPARE(row, m->rowCount() - 1); // oldest last
    const auto text = [&](const QString& field) {
        return m->data(m->index(row, m->columnOf(field))).toString();
    };
    QCOMPARE(text(QStringLiteral("szlaszam")), QStringLiteral("04242"));
    QCOMPARE(text(QStringLiteral("dat_kiadva")), QStringLiteral("2024.03.05"));
    QCOMPARE(text(QStringLiteral("brutto")), QStringLiteral("12 346"));
    QCOMPARE(text(QStringLiteral("hatralek")), QStringLiteral("12 000"));
    // The payment method as the document names it, not as the code table
    // names it today.
    QCOMPARE(text(QStringLiteral("fiztip_nev")), QStringLiteral("Utánvét"));
    QCOMPARE(m->data(m->index(row, m->columnOf(QStringLiteral("fizetve"))), PagedTableModel::MarkRole),
             QVariant(true));
    QCOMPARE(m->data(m->index(row, m->columnOf(QStringLiteral("afas"))), PagedTableModel::MarkRole),
             QVariant(false));
    // The sorted column is highlighted where no row colour covers it.
    db().execSql(
        QStringLiteral("UPDATE szla SET konyvelve='I', storno='N', fizetve='I', prntip='S' WHERE szla=1"));
    m->reload();
    QCOMPARE(m->data(m->index(row, 0), Qt::BackgroundRole).value<QBrush>().color(), kSortColumnColor);
    QVERIFY(!m->data(m->index(row, 1), Qt::BackgroundRole).isValid());
    QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QStringLiteral("ügyfél"));
    QCOMPARE(recPosText(m->rowCount(), row), QStringLiteral("90: 90"));
    QCOMPARE(recPosText(0, -1), QStringLiteral("0: 0"));
}

void RegisterTest::documentSearch_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("kind"); // empty: no search
    QTest::addColumn<qint64>("expected");
    QTest::newRow("invoice") << "S:Számla"
                             << "11"
                             << "S" << qint64(11);
    QTest::newRow("spaces around the number") << "P:Proforma számla"
                                              << " 8 "
                                              << "P" << qint64(8);
    QTest::newRow("zero") << "S:Számla"
                          << "0"
                          << "" << qint64(0);
    QTest::newRow("not a number") << "S:Számla"
                                  << "abc"
                                  << "" << qint64(0);
    QTest::newRow("empty") << "S:Számla"
                           << ""
                           << "" << qint64(0);
}

void RegisterTest::documentSearch() {
    QFETCH(QString, item);
    QFETCH(QString, number);
    QFETCH(QString, kind);
    QFETCH(qint64, expected);
    // The kinds in table order, as the folder holds them: the invoice first.
    const QStringList items = documentKindItems(db());
    QCOMPARE(items, (QStringList{"S:Számla", "P:Proforma számla", "E:Előlegszámla", "J:Helyesbítő számla",
                                 "W:Számlát érvénytelenítő okirat", "M:Számla", "V:Módosító számla"}));
    const auto ref = documentSearchResult(item, number);
    if (kind.isEmpty()) {
        QVERIFY(!ref);
        return;
    }
    QVERIFY(ref);
    QCOMPARE(ref->kind, kind);
    QCOMPARE(ref->number, expected);
    const qint64 key = findDocumentKey(db(), *ref);
    QCOMPARE(db().queryText(QStringLiteral("SELECT prntip FROM szla WHERE szla=?"), QString(), {key}), kind);
    QCOMPARE(db().queryInt(QStringLiteral("SELECT szlaszam FROM szla WHERE szla=?"), 0, {key}), expected);
    QCOMPARE(findDocumentKey(db(), {QStringLiteral("S"), 4242}), qint64(0));
}

void RegisterTest::exportsAndLinks() {
    db().execSql(
        QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, torolve) "
                       "VALUES ('Árvíz; Kft.', 'Kiss Éva', '1011', 'Budapest', 'Fő utca 1.', 'N')"));
    db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve) VALUES ('Törölt Bt.', 'I')"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("my.csv"));
    queryToCsv(db(), myEnvelopeQueryLines().join(QLatin1Char('\n')), path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(f.readAll());
    QVERIFY(csv.startsWith(QStringLiteral("ugyfel_nev;kapcsolat;cim_irsz;cim_varos;cim_cim;csoport;\r\n")));
    QVERIFY(
        csv.contains(QStringLiteral("\"Árvíz; Kft.\";Kiss Éva;1011;Budapest;Fő utca 1.;Számlázó program;\r\n")));
    QVERIFY(!csv.contains(QStringLiteral("Törölt")));

    // The shown list in its order.
    const QString register_ = dir.filePath(QStringLiteral("szla.csv"));
    queryToCsv(db(), listCsvQuery(DocumentsList, QStringLiteral("ugyfel_nev"), false), register_);
    QFile r(register_);
    QVERIFY(r.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = r.readAll().split('\n');
    QVERIFY(lines.first().startsWith("szla;prntip;"));
    QVERIFY(lines.first().contains("hatralek;"));
    QCOMPARE(lines.size(), 90 + 2); // header, rows, and the empty rest after the last CR LF
    QVERIFY(
        listCsvQuery(DocumentsList, QString(), true).endsWith(QStringLiteral("ORDER BY szla.szla DESC;")));
    // Whichever column the register is sorted by, the file lists it in that order.
    for (const ListColumn& c : registerList(DocumentsList).columns) {
        const SortChoice s = sortForColumn(DocumentsList, c.field);
        QSqlQuery q = db().select(listCsvQuery(DocumentsList, s.field, s.descending));
        QVariantList keys;
        while (q.next())
            keys << q.value(0);
        QVERIFY2(keys == engineOrder(db(), s.field, s.descending), qPrintable(c.field));
    }
    QVERIFY(listCsvQuery(CustomersList, QStringLiteral("ugyfel_nev"), false)
                .contains(QStringLiteral("torolve='N'")));

    QCOMPARE(mapSearchUrl(QStringLiteral("1011"), QStringLiteral("Budapest"), QStringLiteral("Fő utca 1."))
                 .toString(QUrl::FullyEncoded),
             QStringLiteral("https://www.openstreetmap.org/search?query=1011+Budapest+F%C5%91%20utca%201."));
    const QUrl mail = mailUrl(QStringLiteral(" kiss.eva@example.hu "), kCustomerMailSubject);
    QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
    QCOMPARE(mail.path(), QStringLiteral("kiss.eva@example.hu"));
    QCOMPARE(QUrlQuery(mail).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Orvix Számla üzenet"));
    QVERIFY(mailUrl(QStringLiteral("  "), kCustomerMailSubject).isEmpty());
}

void RegisterTest::softDeleteHidesTheRow() {
    db().execSql(QStringLiteral("INSERT INTO cikkszam (cikkszam, cikkszam_nev, torolve, eloleg) VALUES "
                                "('A1', 'Alma', 'N', 'N'), ('B2', 'Barack', 'N', 'N')"));
    db().execSql(QStringLiteral(
        "INSERT INTO szla_sor (szla, sor, cikkszam, cikkszam_nev, db) VALUES (1, 1, 'A1', 'Alma', 2)"));
    auto m = makeListModel(db(), ProductsList, Settings{});
    m->reload();
    QCOMPARE(m->rowCount(), 2);
    ScriptedDialogs dialogs;
    QVERIFY(softDeleteProduct(db(), dialogs, QStringLiteral("A1"), kDeleteRowQuestion));
    m->reload();
    QCOMPARE(m->rowCount(), 1);
    QCOMPARE(m->keyAt(0).toString(), QStringLiteral("B2"));
    QCOMPARE(m->rowOfKey(QStringLiteral("A1")), -1);
    QCOMPARE(db().queryText(QStringLiteral("SELECT torolve FROM cikkszam WHERE cikkszam='A1'"), QString()),
             QStringLiteral("I"));
    QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla_sor WHERE cikkszam='A1'"), 0), 1);

    db().execSql(QStringLiteral("INSERT INTO ugyfel (ugyfel_nev, torolve) VALUES ('Vevő Kft.', 'N')"));
    const qint64 customer = db().queryInt(QStringLiteral("SELECT MAX(ugyfel) FROM ugyfel"), 0);
    auto c = makeListModel(db(), CustomersList, Settings{});
    c->reload();
    const int before = c->rowCount();
    QVERIFY(softDeleteCustomer(db(), dialogs, customer, kDeleteRowQuestion));
    c->reload();
    QCOMPARE(c->rowCount(), before - 1);
}

void RegisterTest::everyColumnSortsOnAnIndex() {
    // The read of a window in each column's order walks an index: the engine
    // sorts nothing, so a re-sort stays quick on any number of documents. On
    // a new folder, and on an old one once the missing indexes are made.
    const RegisterListDef& def = registerList(DocumentsList);
    const auto sortsOnIndexes = [&]() {
        for (const ListColumn& c : def.columns) {
            const SortChoice s = sortForColumn(DocumentsList, c.field);
            if (!s.ok)
                return QStringLiteral("%1 does not sort").arg(c.field);
            const QString computed = def.source.computedExpression(s.field);
            const QString order = s.field.isEmpty() ? QStringLiteral("szla.szla")
                                  : computed.isEmpty() ? QStringLiteral("szla.") + s.field
                                                       : QLatin1Char('(') + computed + QLatin1Char(')');
            for (const QString& dir : {QStringLiteral(" ASC"), QStringLiteral(" DESC")}) {
                QSqlQuery q = db().select(
                    QStringLiteral("EXPLAIN QUERY PLAN SELECT szla.szla FROM szla WHERE %1 >= ? ORDER BY %1%2, "
                                   "szla.szla%2 LIMIT 25")
                        .arg(order, dir),
                    {0});
                QStringList plan;
                while (q.next())
                    plan << q.value(3).toString();
                if (plan.join(QLatin1Char(' ')).contains(QLatin1String("TEMP B-TREE")))
                    return QStringLiteral("%1%2: %3").arg(c.field, dir, plan.join(QStringLiteral("; ")));
            }
        }
        return QString();
    };
    QString fault = sortsOnIndexes();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    QSqlQuery indexes = db().select(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='szla' AND sql IS NOT NULL "
        "AND sql NOT LIKE 'CREATE UNIQUE%'"));
    QStringList names;
    while (indexes.next())
        names << indexes.value(0).toString();
    QVERIFY(names.contains(QStringLiteral("idx_szla_hatralek")));
    for (const QString& name : names)
        db().execSql(QStringLiteral("DROP INDEX ") + name);
    QVERIFY(!sortsOnIndexes().isEmpty());
    data::ensureIndexes(db());
    fault = sortsOnIndexes();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void RegisterTest::rowColoursFollowTheData() {
    // The grid asks a row's colours once per cell; after a reload or a new
    // order each row shows its own document's colours again. Documents 38,
    // 39 and 40 are a posted proforma, advance invoice and cancelling
    // document.
    auto m = makeListModel(db(), DocumentsList, Settings{});
    m->reload();
    const auto background = [&](int row) {
        return m->data(m->index(row, 1), Qt::BackgroundRole).value<QBrush>().color();
    };
    const QColor unposted(233, 233, 233), cancelled(255, 238, 221), postedW(217, 255, 236),
        postedP(255, 225, 255);
    const int row = m->rowOfKey(40);
    QCOMPARE(background(row), postedW);
    db().execSql(QStringLiteral("UPDATE szla SET storno='I' WHERE szla=40"));
    db().execSql(QStringLiteral("UPDATE szla SET konyvelve='N' WHERE szla=39"));
    m->reload();
    QCOMPARE(background(row), cancelled);
    QCOMPARE(background(m->rowOfKey(39)), unposted);
    m->setOrder(QStringLiteral("szla"), false);
    QCOMPARE(background(39), cancelled); // oldest first: the 40th document
    QCOMPARE(background(38), unposted);
    QCOMPARE(background(37), postedP);
}

QTEST_GUILESS_MAIN(RegisterTest)
#include "register_test.moc"
