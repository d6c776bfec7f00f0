// The invoice editor's logic on a real data folder: the new document's
// header, saving the header with its checks, the header buttons, deleting,
// moving and commenting lines, the new-line loop, the checks before posting,
// closing, and the quick sale.
#include "EditorFixture.h"

#include "invoicing/Editor.h"

using namespace orvix;
using namespace orvix::test;

namespace {

class ScriptedQuickSale : public QuickSaleUi {
public:
    std::optional<CustomerPick> customer;
    std::optional<bool> reverse = false;
    std::deque<std::optional<double>> prices;
    QStringList asked;

    std::optional<CustomerPick> chooseCustomer() override {
        asked << QStringLiteral("customer");
        return customer;
    }
    std::optional<bool> chooseReverseCharge() override {
        asked << QStringLiteral("reverse");
        return reverse;
    }
    std::optional<double> editPrice(const QString& caption, double net, double rate) override {
        asked << QStringLiteral("%1 %2 %3").arg(caption).arg(net).arg(rate);
        if (prices.empty())
            return net;
        const std::optional<double> p = prices.front();
        prices.pop_front();
        return p;
    }
};

} // namespace

class EditorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFolder> m_f;
    Database& db() { return m_f->db(); }

    // A document of the customer with lines of the given products (imported:
    // list price, quantity 1 + position).
    qint64 documentWith(const QStringList& codes, QChar kind = kKindInvoice) {
        const qint64 doc = m_f->newDocument(kind, m_f->customer);
        ScriptedDialogs dialogs;
        QString text;
        for (int i = 0; i < codes.size(); ++i)
            text += QStringLiteral("%1;%2;%3\n")
                        .arg(codes.at(i))
                        .arg(i + 1)
                        .arg(LookupProduct(db(), codes.at(i))->netto);
        ImportLines(db(), dialogs, LineDocument::load(db(), doc), text, {true, true, true});
        return doc;
    }

private Q_SLOTS:
    void init() {
        m_f = std::make_unique<EditorFolder>();
        m_f->settings.alaparmodosit = false;
    }
    void cleanup() { m_f.reset(); }

    void newDocumentHeader_data() {
        QTest::addColumn<bool>("withCustomer");
        QTest::newRow("for a customer") << true;
        QTest::newRow("without a customer") << false;
    }
    void newDocumentHeader() {
        QFETCH(bool, withCustomer);
        db().execSql(
            QStringLiteral("UPDATE tulajdonos SET tulajdonos='Kiállító Kft.', bankszamlaszam='11111111'"));
        db().execSql(QStringLiteral("UPDATE vat SET bankszamla='22222222' WHERE vat='HUF'"));
        Settings& s = m_f->settings;
        s.vantermdij = true;
        s.termdijszoveg = QStringLiteral("Termékdíj átvállalva");
        s.alapvaros = QStringLiteral("Szeged");
        s.alapmegjegyzes = QStringLiteral("Köszönjük!");
        s.alapfiztip = 2;
        const QDate today = QDate::currentDate();
        ScriptedDialogs dialogs;
        const qint64 doc = CreateEditorDocument(db(), dialogs, s, m_f->user, kKindProforma,
                                                withCustomer ? m_f->customer : -1, true, today);
        const QVariantMap h = rowOf(db(), QStringLiteral("SELECT * FROM szla WHERE szla=?"), {doc});
        QCOMPARE(h.value("prntip").toString(), QStringLiteral("P"));
        QCOMPARE(h.value("szlaszam").toInt(), 1);
        QCOMPARE(h.value("fa").toString(), QStringLiteral("I"));
        QCOMPARE(h.value("vantermdij").toString(), QStringLiteral("I"));
        QCOMPARE(h.value("termdijszoveg").toString(), QStringLiteral("Termékdíj átvállalva"));
        QCOMPARE(h.value("dat_kiadva").toString(), today.toString(Qt::ISODate));
        QCOMPARE(h.value("fiztip").toInt(), 2);
        QCOMPARE(h.value("fizetve").toString(), QStringLiteral("N"));
        QCOMPARE(h.value("penzfizetve").toDouble(), 0.0);
        QCOMPARE(h.value("megjegyzes").toString(), QStringLiteral("Köszönjük!"));
        QCOMPARE(h.value("alkalmazott").toString(), QStringLiteral("tesztelő"));
        QCOMPARE(h.value("konyvelve").toString(), QStringLiteral("N"));
        QCOMPARE(h.value("tulajdonos").toString(), QStringLiteral("Kiállító Kft."));
        QCOMPARE(h.value("eredeti").toInt(), -1);
        QCOMPARE(h.value("netto").toDouble(), 0.0);
        QCOMPARE(h.value("tbankszamla").toString(), QStringLiteral("22222222"));
        QCOMPARE(h.value("arfolyam").toDouble(), 1.0);
        if (withCustomer) {
            QCOMPARE(h.value("ugyfel").toLongLong(), m_f->customer);
            QCOMPARE(h.value("ugyfel_nev").toString(), QStringLiteral("Vevő Kft."));
            QCOMPARE(h.value("kedvezmeny").toDouble(), 10.0);
            QCOMPARE(h.value("fiztip_nev").toString(), QStringLiteral("Átutalás"));
        } else {
            QCOMPARE(h.value("ugyfel_nev").toString(), QString());
            QCOMPARE(h.value("szla_varos").toString(), QStringLiteral("Szeged"));
        }
    }

    // Header saves: the customer is required, nothing pending writes
    // nothing, a value the field cannot hold is refused.
    void saveHeader() {
        const qint64 doc = m_f->newDocument(kKindInvoice, -1);
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        QList<qint64> saved;
        e.onSaved = [&](qint64 key) { saved << key; };
        e.open(doc);
        e.setValue(QStringLiteral("megjegyzes"), QStringLiteral("Új megjegyzés"));
        QVERIFY(!e.saveHeader());
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{kCustomerRequiredMessage});
        QCOMPARE(db().queryText(QStringLiteral("SELECT megjegyzes FROM szla WHERE szla=?"), {}, {doc}),
                 QString());

        e.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Kézzel írt Bt."));
        e.setValue(QStringLiteral("kedvezmeny"), QStringLiteral("12,5"));
        QVERIFY(e.saveHeader());
        QCOMPARE(saved, QList<qint64>{doc});
        const QVariantMap h = rowOf(db(), QStringLiteral("SELECT * FROM szla WHERE szla=?"), {doc});
        QCOMPARE(h.value("megjegyzes").toString(), QStringLiteral("Új megjegyzés"));
        QCOMPARE(h.value("kedvezmeny").toDouble(), 12.5);
        QVERIFY(e.saveHeader()); // nothing pending
        QCOMPARE(saved.size(), 1);

        dialogs.asked.clear();
        e.setValue(QStringLiteral("adoszam"), QStringLiteral("123456789012345"));
        QVERIFY(!e.saveHeader());
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).value(0).section(QLatin1Char('\n'), 0, 0),
                 kHeaderSaveRefused);
        e.setValue(QStringLiteral("adoszam"), QStringLiteral("12345678-1-42"));
        QVERIFY(!e.saveHeader()); // 13 characters in an 11-wide field
        e.setValue(QStringLiteral("adoszam"), QStringLiteral("12345678142"));
        e.setValue(QStringLiteral("arfolyam"), QStringLiteral("sok"));
        QVERIFY(!e.saveHeader());
        e.setValue(QStringLiteral("arfolyam"), QStringLiteral("1"));
        e.setValue(QStringLiteral("mozgaz"), QStringLiteral("1\n2\n3\n4"));
        QVERIFY(!e.saveHeader());
        e.setValue(QStringLiteral("mozgaz"), QStringLiteral("1\n2\n3"));
        QVERIFY(e.saveHeader());
        QCOMPARE(db().queryText(QStringLiteral("SELECT adoszam FROM szla WHERE szla=?"), {}, {doc}),
                 QStringLiteral("12345678142"));
    }

    // The customer, payment method and delivery-note buttons.
    void headerButtons() {
        db().execSql(QStringLiteral("UPDATE fiztip SET fizhat=8 WHERE fiztip=2"));
        db().execSql(QStringLiteral("INSERT INTO ugyfel_cim (ugyfel, nev) VALUES (?, 'Raktár')"),
                     {m_f->customer});
        const qint64 address = db().queryInt(QStringLiteral("SELECT MAX(ugyfel_cim) FROM ugyfel_cim"), 0);
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        db().execSql(QStringLiteral("UPDATE szla SET tbankszamla='SAJAT' WHERE szla=?"), {doc});
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        e.setDeliveryAddress(address);
        QCOMPARE(e.deliveryAddressName(), QStringLiteral("Raktár"));

        QVERIFY(e.setCustomer(m_f->otherCustomer));
        QCOMPARE(e.text(QStringLiteral("ugyfel_nev")), QStringLiteral("Másik Zrt."));
        QCOMPARE(e.number(QStringLiteral("kedvezmeny")), 0.0);
        QCOMPARE(e.text(QStringLiteral("tbankszamla")), QStringLiteral("SAJAT"));
        QCOMPARE(e.deliveryAddressName(), QString()); // the other customer's address is gone

        const QDate today = QDate::currentDate();
        m_f->settings.teljkiad = false;
        e.setPaymentMethod(2, today);
        QCOMPARE(e.text(QStringLiteral("fiztip_nev")), QStringLiteral("Átutalás"));
        QCOMPARE(e.text(QStringLiteral("fizetve")), QStringLiteral("N"));
        QCOMPARE(e.date(QStringLiteral("dat_fizhat")), today.addDays(8));
        QCOMPARE(e.date(QStringLiteral("dat_szallhat")), today.addDays(8));
        QVERIFY(e.value(QStringLiteral("dat_fizetve")).isNull());
        m_f->settings.teljkiad = true;
        e.setPaymentMethod(1, today);
        QCOMPARE(e.text(QStringLiteral("fizetve")), QStringLiteral("I"));
        QCOMPARE(e.date(QStringLiteral("dat_fizetve")), today);
        QCOMPARE(e.date(QStringLiteral("dat_szallhat")), today);
        QVERIFY(e.saveHeader());
        QCOMPARE(db().queryInt(QStringLiteral("SELECT fiztip FROM szla WHERE szla=?"), 0, {doc}), qint64(1));

        // Delivery-note numbers: 1 first, then the highest + 1, written at once.
        QVERIFY(e.generateDeliveryNoteNumber());
        QCOMPARE(db().queryInt(QStringLiteral("SELECT szallev FROM szla WHERE szla=?"), 0, {doc}), qint64(1));
        db().execSql(QStringLiteral("UPDATE szla SET szallev=41 WHERE szla<>?"), {doc});
        const qint64 other = documentWith({QStringLiteral("ALMA")});
        db().execSql(QStringLiteral("UPDATE szla SET szallev=41 WHERE szla=?"), {other});
        QVERIFY(e.generateDeliveryNoteNumber());
        QCOMPARE(e.number(QStringLiteral("szallev")), 42.0);
    }

    // Deleting the second of three lines: renumbered, totals follow; a
    // declined question deletes nothing.
    void deleteLine() {
        const qint64 doc =
            documentWith({QStringLiteral("ALMA"), QStringLiteral("K5"), QStringLiteral("K18")});
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        QCOMPARE(e.totalNet(), 1000.0 + 400 + 900);
        dialogs.answers = {false};
        QVERIFY(!e.deleteLine(1));
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:ALMA 2:K5 3:K18"));
        QVERIFY(e.deleteLine(1));
        QCOMPARE(dialogs.askedOf(QStringLiteral("question")).value(0),
                 QStringLiteral("Megerősítés | Valóban töröljem a sort?"));
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:ALMA 2:K18"));
        QCOMPARE(e.lineCount(), 2);
        QCOMPARE(e.totalNet(), 1900.0);
        QCOMPARE(e.totalGross(), 1270.0 + 900 * 1.18);
        QCOMPARE(consistencyProblem(db(), doc), QString());
        QVERIFY(e.deleteLine(0));
        QVERIFY(e.deleteLine(0));
        QVERIFY(!e.deleteLine(0)); // no lines: nothing asked
        QCOMPARE(e.totalNet(), 0.0);
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    void moveLine_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("newIndex"); // -1: does not move
        QTest::addColumn<QString>("lines");
        QTest::newRow("up on the first") << 0 << true << -1 << "1:ALMA 2:K5 3:K18";
        QTest::newRow("down on the last") << 2 << false << -1 << "1:ALMA 2:K5 3:K18";
        QTest::newRow("down on the second") << 1 << false << 2 << "1:ALMA 2:K18 3:K5";
        QTest::newRow("up on the third") << 2 << true << 1 << "1:ALMA 2:K18 3:K5";
        QTest::newRow("up on the second") << 1 << true << 0 << "1:K5 2:ALMA 3:K18";
    }
    void moveLine() {
        QFETCH(int, index);
        QFETCH(bool, up);
        QFETCH(int, newIndex);
        QFETCH(QString, lines);
        const qint64 doc =
            documentWith({QStringLiteral("ALMA"), QStringLiteral("K5"), QStringLiteral("K18")});
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        const QString moved = e.lines().at(size_t(index)).cikkszam;
        const std::optional<int> result = e.moveLine(index, up);
        QCOMPARE(result.value_or(-1), newIndex);
        QCOMPARE(lineCodes(db(), doc), lines);
        if (result)
            QCOMPARE(e.lines().at(size_t(*result)).cikkszam, moved);
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // A posted document: every line action does nothing, header changes are
    // ignored.
    void postedDocument() {
        const qint64 doc = documentWith({QStringLiteral("ALMA"), QStringLiteral("K5")});
        db().execSql(QStringLiteral("UPDATE szla SET konyvelve='I' WHERE szla=?"), {doc});
        ScriptedDialogs dialogs;
        ScriptedLineUi ui(db());
        ui.products = {QStringLiteral("K18")};
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        QVERIFY(e.posted());
        QVERIFY(!e.moveLine(1, true));
        QVERIFY(!e.deleteLine(0));
        QVERIFY(!e.addLines(ui, 0));
        QVERIFY(!e.editLine(ui, 0));
        QVERIFY(!e.editLineComment(0));
        QVERIFY(!e.importLines(QStringLiteral("K18"), {}));
        e.setValue(QStringLiteral("megjegyzes"), QStringLiteral("x"));
        QVERIFY(!e.hasPendingChange());
        QVERIFY(e.close());
        QCOMPARE(dialogs.asked, QStringList());
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:ALMA 2:K5"));
    }

    // "Új sor" runs until a cancel: each pass appends a line after the last.
    void newLineLoop() {
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        ScriptedDialogs dialogs;
        ScriptedLineUi ui(db());
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        ui.products = {QStringLiteral("ALMA"), QStringLiteral("K5"), QString()};
        dialogs.answers = {QVariantList{1.0, QStringLiteral("Alma"), QString()},
                           QVariantList{2.0, QStringLiteral("Könyv"), QStringLiteral("dedikált")}};
        QCOMPARE(e.addLines(ui, -1).value_or(-1), 1);
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:ALMA 2:K5"));
        QCOMPARE(ui.requests.size(), 3);
        QCOMPARE(ui.requests.at(1).startCode, QStringLiteral("ALMA")); // starts at the current line
        const EditorLine& first = e.lines().at(0);
        QCOMPARE(first.egysar, 900.0);
        QCOMPARE(first.totalVat(), 243.0);
        QCOMPARE(first.totalGross(), 1143.0);
        QCOMPARE(e.totalNet(), 900.0 + 360);
        QCOMPARE(e.lines().at(1).megjegyzes, QStringLiteral("dedikált"));
        QCOMPARE(consistencyProblem(db(), doc), QString());

        // A header change waits for the next line action; an empty customer
        // stops it.
        e.setValue(QStringLiteral("ugyfel_nev"), QString());
        QVERIFY(!e.addLines(ui, 0));
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{kCustomerRequiredMessage});
    }

    // Another workstation deleted the first of three lines and renumbered the
    // rest while this editor showed all three: an action on a shown line that
    // is no longer at its number changes nothing, says so and shows the lines
    // as they are.
    void linesChangedElsewhere_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("index");
        QTest::newRow("edit a renumbered line") << "edit" << 1;
        QTest::newRow("edit a line that is gone") << "edit" << 2;
        QTest::newRow("delete a renumbered line") << "delete" << 1;
        QTest::newRow("delete a line that is gone") << "delete" << 2;
        QTest::newRow("move up a renumbered line") << "up" << 1;
        QTest::newRow("move up a line that is gone") << "up" << 2;
        QTest::newRow("comment on a renumbered line") << "comment" << 1;
    }
    void linesChangedElsewhere() {
        QFETCH(QString, action);
        QFETCH(int, index);
        const qint64 doc =
            documentWith({QStringLiteral("ALMA"), QStringLiteral("K5"), QStringLiteral("K18")});
        ScriptedDialogs dialogs;
        ScriptedLineUi ui(db());
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        QCOMPARE(e.lineCount(), 3);
        {
            Database other(QStringLiteral("masik_munkahely"));
            other.open(db().folder());
            Database::Transaction tr(other);
            other.execSql(QStringLiteral("DELETE FROM szla_sor WHERE szla=? AND sor=1"), {doc});
            other.execSql(QStringLiteral("UPDATE szla_sor SET sor=1 WHERE szla=? AND sor=2"), {doc});
            other.execSql(QStringLiteral("UPDATE szla_sor SET sor=2 WHERE szla=? AND sor=3"), {doc});
            RecomputeTotals(other, doc);
            tr.commit();
        }
        ui.products = {QStringLiteral("NETA")};
        if (action == QLatin1String("delete"))
            dialogs.answers = {true};
        else if (action == QLatin1String("comment"))
            dialogs.answers = {QStringLiteral("megjegyzés")};
        else
            dialogs.answers = {QVariantList{5.0, QStringLiteral("Chips")}};
        if (action == QLatin1String("edit"))
            QVERIFY(!e.editLine(ui, index));
        else if (action == QLatin1String("delete"))
            QVERIFY(!e.deleteLine(index));
        else if (action == QLatin1String("up"))
            QVERIFY(!e.moveLine(index, true));
        else
            QVERIFY(!e.editLineComment(index));
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")), QStringList{kLineGoneMessage});
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:K5 2:K18"));
        QCOMPARE(lineOf(db(), doc, 1).value("megjegyzes").toString(), QString());
        QVERIFY(ui.requests.isEmpty()); // no product was asked for a line that is not there
        QCOMPARE(e.lineCount(), 2);
        QCOMPARE(e.lines().at(0).cikkszam, QStringLiteral("K5"));
        QCOMPARE(consistencyProblem(db(), doc), QString());
    }

    // A line that is gone right after it was written (another workstation
    // deleted it): the loop goes on without it.
    void newLineGoneAtOnce() {
        const qint64 doc = documentWith({QStringLiteral("K5")});
        ScriptedDialogs dialogs;
        ScriptedLineUi ui(db());
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        db().execSql(QStringLiteral("CREATE TEMP TRIGGER elvitte AFTER INSERT ON szla_sor "
                                    "WHEN NEW.cikkszam = 'ALMA' "
                                    "BEGIN DELETE FROM szla_sor WHERE szla = NEW.szla AND sor = NEW.sor; END"));
        ui.products = {QStringLiteral("ALMA"), QStringLiteral("K18"), QString()};
        dialogs.answers = {QVariantList{1.0, QStringLiteral("Alma"), QString()},
                           QVariantList{2.0, QStringLiteral("Kenyér"), QString()}};
        const std::optional<int> last = e.addLines(ui, 0);
        db().execSql(QStringLiteral("DROP TRIGGER elvitte"));
        QCOMPARE(last.value_or(-1), 1);
        QCOMPARE(lineCodes(db(), doc), QStringLiteral("1:K5 2:K18"));
        QCOMPARE(ui.requests.size(), 3);
        QCOMPARE(ui.requests.at(1).startCode, QStringLiteral("K5")); // where it was
        QCOMPARE(ui.requests.at(2).startCode, QStringLiteral("K18"));
        QCOMPARE(e.lineCount(), 2);
    }

    // Numbers typed into the header: a discount is a percentage, a rate at
    // most a million; what does not fit is refused and nothing is written.
    void headerNumbersWithinBounds_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("discount 100") << "kedvezmeny"
                                      << "100" << true;
        QTest::newRow("discount 150") << "kedvezmeny"
                                      << "150" << false;
        QTest::newRow("negative discount") << "kedvezmeny"
                                           << "-5" << false;
        QTest::newRow("rate 400,5") << "arfolyam"
                                    << "400,5" << true;
        QTest::newRow("rate beyond a million") << "arfolyam"
                                               << "2000000" << false;
        QTest::newRow("rate of 1e300 digits") << "arfolyam" << QString(300, QLatin1Char('9')) << false;
    }
    void headerNumbersWithinBounds() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, saved);
        const qint64 doc = m_f->newDocument(kKindInvoice, m_f->customer);
        const double before = db().queryFloat(QStringLiteral("SELECT %1 FROM szla WHERE szla=?").arg(field), -1, {doc});
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        e.setValue(field, typed);
        QCOMPARE(e.saveHeader(), saved);
        const double stored = db().queryFloat(QStringLiteral("SELECT %1 FROM szla WHERE szla=?").arg(field), -1, {doc});
        if (saved) {
            QCOMPARE(stored, typed.replace(QLatin1Char(','), QLatin1Char('.')).toDouble());
            return;
        }
        QCOMPARE(stored, before);
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).value(0).section(QLatin1Char('\n'), 0, 0),
                 kHeaderSaveRefused);
    }

    void lineComment() {
        const qint64 doc = documentWith({QStringLiteral("ALMA")});
        RecordingDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        dialogs.answers = {QStringLiteral("Szállítás után fizetendő")};
        QVERIFY(e.editLineComment(0));
        QCOMPARE(dialogs.askedOf(QStringLiteral("inputText")),
                 QStringList{QStringLiteral("Megjegyzés | Add meg a megjegyzést")});
        QCOMPARE(lineOf(db(), doc, 1).value("megjegyzes").toString(),
                 QStringLiteral("Szállítás után fizetendő"));
        dialogs.answers = {QVariant()};
        QVERIFY(!e.editLineComment(0));
        QCOMPARE(dialogs.textInitials.value(1), QStringLiteral("Szállítás után fizetendő"));
    }

    void postingChecks_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("original");
        QTest::addColumn<bool>("lines");
        QTest::addColumn<QString>("message");
        QTest::newRow("passes") << 1.0 << "HUF"
                                << "S"
                                << "" << true << "";
        QTest::newRow("rate below 1") << 0.5 << "HUF"
                                      << "S"
                                      << "" << true << "Érvénytelen árfolyam";
        QTest::newRow("rate 1 with EUR") << 1.0 << "EUR"
                                         << "S"
                                         << "" << true << "Érvénytelen árfolyam, vagy hibás devizanem";
        QTest::newRow("rate 300 with HUF") << 300.0 << "HUF"
                                           << "S"
                                           << "" << true << "";
        QTest::newRow("proforma without original") << 1.0 << "HUF"
                                                   << "P"
                                                   << "" << true << "Eredeti bizonylat megadás kötelező.";
        QTest::newRow("credit note with original") << 1.0 << "HUF"
                                                   << "J"
                                                   << "SA0000001-S/2026" << true << "";
        QTest::newRow("no lines") << 1.0 << "HUF"
                                  << "S"
                                  << "" << false << "A bizonylatnak nincsenek tételei.";
    }
    void postingChecks() {
        QFETCH(double, rate);
        QFETCH(QString, currency);
        QFETCH(QString, kind);
        QFETCH(QString, original);
        QFETCH(bool, lines);
        QFETCH(QString, message);
        const qint64 doc = lines ? documentWith({QStringLiteral("ALMA")}, kind.at(0))
                                 : m_f->newDocument(kind.at(0), m_f->customer);
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        e.setValue(QStringLiteral("arfolyam"), rate);
        e.setValue(QStringLiteral("vat"), currency);
        e.setValue(QStringLiteral("eredetistr"), original);
        QCOMPARE(e.checkBeforePosting(), message.isEmpty());
        QCOMPARE(dialogs.askedOf(QStringLiteral("error")).join(QLatin1Char('|')), message);
    }

    // Closing saves what was typed; a fresh document closed at once stays
    // in the register with totals 0.
    void closing() {
        const qint64 doc = m_f->newDocument(kKindInvoice, -1);
        ScriptedDialogs dialogs;
        InvoiceEditor e(db(), dialogs, m_f->settings, m_f->user);
        e.open(doc);
        QVERIFY(e.close());
        QCOMPARE(rowOf(db(), QStringLiteral("SELECT brutto, konyvelve FROM szla WHERE szla=?"), {doc})
                     .value("brutto")
                     .toDouble(),
                 0.0);
        e.setValue(QStringLiteral("bizonylat"), QStringLiteral("MEGR-12"));
        e.setValue(QStringLiteral("dat_szallhat"), QDate(2026, 1, 31));
        QVERIFY(e.close());
        const QVariantMap h =
            rowOf(db(), QStringLiteral("SELECT bizonylat, dat_szallhat FROM szla WHERE szla=?"), {doc});
        QCOMPARE(h.value("bizonylat").toString(), QStringLiteral("MEGR-12"));
        QCOMPARE(h.value("dat_szallhat").toString(), QStringLiteral("2026-01-31"));
    }

    void quickSale_data() {
        QTest::addColumn<int>("cancelAt"); // 0 none, 1 customer, 2 quantity, 3 reverse, 4 price
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<bool>("priceDialog");
        QTest::addColumn<QString>("asked");
        QTest::newRow("sold") << 0 << false << false << "customer reverse";
        QTest::newRow("reverse charge, price changed") << 0 << true << true << "customer reverse Ár 900 0";
        QTest::newRow("customer cancelled") << 1 << false << false << "customer";
        QTest::newRow("quantity cancelled") << 2 << false << false << "customer";
        QTest::newRow("reverse choice cancelled") << 3 << false << false << "customer reverse";
        QTest::newRow("price cancelled") << 4 << false << true << "customer reverse Ár 900 27";
    }
    void quickSale() {
        QFETCH(int, cancelAt);
        QFETCH(bool, reverse);
        QFETCH(bool, priceDialog);
        QFETCH(QString, asked);
        m_f->settings.vanfa = true;
        m_f->settings.alaparmodosit = priceDialog;
        ScriptedDialogs dialogs;
        ScriptedQuickSale ui;
        if (cancelAt != 1)
            ui.customer = QuickSaleUi::CustomerPick{m_f->customer, 10};
        dialogs.answers = {cancelAt == 2 ? QVariant() : QVariant(3.0)};
        ui.reverse = cancelAt == 3 ? std::nullopt : std::optional<bool>(reverse);
        if (cancelAt == 4)
            ui.prices = {std::nullopt};
        else if (priceDialog)
            ui.prices = {800.0};
        const std::optional<QuickSaleResult> r =
            QuickSale(db(), dialogs, ui, m_f->settings, m_f->user, QStringLiteral("ALMA"));
        QCOMPARE(ui.asked.join(QLatin1Char(' ')), asked);
        QCOMPARE(r.has_value(), cancelAt == 0);
        QCOMPARE(db().queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), -1),
                 qint64(cancelAt == 0 ? 1 : 0));
        if (!r)
            return;
        const double price = priceDialog ? 800 : 900;
        const double rate = reverse ? 0 : 27;
        const QVariantMap h = rowOf(db(), QStringLiteral("SELECT * FROM szla WHERE szla=?"), {r->document});
        QCOMPARE(h.value("prntip").toString(), QStringLiteral("S"));
        QCOMPARE(h.value("fa").toString(), reverse ? QStringLiteral("I") : QStringLiteral("N"));
        QCOMPARE(h.value("netto").toDouble(), 3 * price);
        QCOMPARE(h.value("brutto").toDouble(), 3 * price * (1 + rate / 100));
        QCOMPARE(lineCodes(db(), r->document), QStringLiteral("1:ALMA"));
        const QVariantMap line = lineOf(db(), r->document, 1);
        QCOMPARE(line.value("db").toDouble(), 3.0);
        QCOMPARE(line.value("afakulcs").toDouble(), rate);
        QCOMPARE(consistencyProblem(db(), r->document), QString());
    }
};

QTEST_GUILESS_MAIN(EditorTest)
#include "editor_test.moc"
