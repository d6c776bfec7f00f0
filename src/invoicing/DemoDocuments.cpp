#include "invoicing/DemoDocuments.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/BatchDialogs.h"
#include "core/DemoRandom.h"
#include "core/Settings.h"
#include "core/TextUtil.h"
#include "invoicing/Documents.h"
#include "invoicing/LineEntry.h"
#include "invoicing/Payments.h"
#include "invoicing/Posting.h"
#include "masters/DemoMasters.h"

#include <QSqlQuery>
#include <cmath>
#include <deque>
#include <vector>

namespace orvix {

namespace {

constexpr quint32 kDocumentStream = 4;

struct DemoCustomer {
    qint64 key;
    QString currency;
    double discount;
};

struct DemoProduct {
    QString code;
    double net;
    double rate;
    bool exempt;
    bool whole; // sold in whole units
};

const char* const kNotes[] = {"", "", "", "", "", "", "sürgős szállítás", "a raktárból kiadva",
                              "garanciális csere", "kedvezményes ár", "előre egyeztetett ár"};

const char* const kEmployees[] = {"rendszergazda", "Kiss Éva", "Tóth Gábor", "Szűcs Ödön"};

std::vector<DemoCustomer> loadCustomers(Database& db) {
    std::vector<DemoCustomer> list;
    QSqlQuery q = db.select(QStringLiteral("SELECT ugyfel, vat, kedvezmeny FROM ugyfel WHERE torolve = 'N' "
                                           "ORDER BY ugyfel"));
    while (q.next()) {
        QString currency = q.value(1).toString().trimmed();
        if (currency.isEmpty())
            currency = kHomeCurrency;
        list.push_back({q.value(0).toLongLong(), currency, q.value(2).toDouble()});
    }
    return list;
}

std::vector<DemoProduct> loadProducts(Database& db) {
    std::vector<DemoProduct> list;
    QSqlQuery q = db.select(QStringLiteral("SELECT cikkszam, netto, afakulcs, tm, mert FROM cikkszam "
                                           "WHERE torolve = 'N' AND eloleg = 'N' ORDER BY cikkszam"));
    const QStringList fractional = {QStringLiteral("kg"), QStringLiteral("m"), QStringLiteral("l")};
    while (q.next())
        list.push_back({q.value(0).toString(), q.value(1).toDouble(), q.value(2).toDouble(),
                        q.value(3).toString() == QLatin1String("I"),
                        !fractional.contains(q.value(4).toString().trimmed())});
    return list;
}

// Exchange rates drift slowly over the years.
double rateOf(const QString& currency, const QDate& day, DemoRandom& rnd) {
    const double years = day.year() - 2015 + day.dayOfYear() / 366.0;
    const double base = currency == QLatin1String("USD") ? 290 + 6 * years : 310 + 7 * years;
    return round2(base + rnd.between(-300, 300) / 100.0);
}

class Generator {
public:
    Generator(Database& db, const DemoDocumentOptions& options)
        : m_db(db), m_options(options), m_rnd(options.seed, kDocumentStream),
          m_dialogs([](const QString& question) {
              throw DemoDataError(QStringLiteral("A mintaadat-készítő nem tud kérdésre válaszolni: %1").arg(question));
          }) {
        m_settings = loadSettings(db);
        m_customers = loadCustomers(db);
        m_products = loadProducts(db);
        if (m_customers.empty() || m_products.empty())
            throw DemoDataError(QStringLiteral("A mintabizonylatokhoz előbb vevők és termékek kellenek."));
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla"), 0) > 0)
            throw DemoDataError(QStringLiteral("Az adatmappában már vannak bizonylatok; mintabizonylatok nem "
                                               "tölthetők be."));
        m_first = options.first.isValid() ? options.first
                                          : options.last.addYears(options.documents >= 20000 ? -10 : -3);
        m_span = std::max<qint64>(1, m_first.daysTo(options.last));
    }

    void run() {
        int made = 0;
        while (made < m_options.documents) {
            Database::Transaction batch(m_db);
            const int until = std::min(m_options.documents, made + std::max(1, m_options.batch));
            while (made < until)
                made += makeOne(made, until - made);
            batch.commit();
            if (m_options.progress)
                m_options.progress(made);
        }
    }

private:
    QDate dayOf(int index) const {
        return m_first.addDays(qint64(double(index) / m_options.documents * m_span));
    }

    CurrentUser employee() {
        CurrentUser u;
        u.name = QString::fromUtf8(kEmployees[m_rnd.below(int(std::size(kEmployees)))]);
        return u;
    }

    std::vector<DocumentLine> linesFor(const DemoCustomer& c, QChar kind) {
        const int count = 1 + m_rnd.weighted({10, 14, 16, 16, 14, 12, 8, 6, 4});
        std::vector<DocumentLine> lines;
        for (int i = 0; i < count; ++i) {
            const DemoProduct& p = m_products[size_t(m_rnd.below(int(m_products.size())))];
            // The list price less the discount, as a line without a price of
            // its own gets it in the editor (unconverted on a foreign-currency
            // document).
            const double net = listLinePrice(p.net, kind, c.discount);
            const UnitAmounts unit = UnitAmountsFromNet(net, p.rate);
            DocumentLine l;
            l.productCode = p.code;
            l.subjectExempt = p.exempt;
            l.note = QString::fromUtf8(kNotes[m_rnd.below(int(std::size(kNotes)))]);
            l.lineNumber = i + 1;
            l.unitNet = unit.net;
            l.unitVat = unit.vat;
            l.unitGross = unit.gross;
            l.vatRate = p.rate;
            l.quantity = p.whole ? m_rnd.weighted({30, 25, 15, 10, 8, 5, 3, 2, 1, 1}) + 1
                                 : m_rnd.between(1, 40) / 2.0;
            lines.push_back(l);
        }
        return lines;
    }

    // Posts a document through the posting itself, on its issue day: paid
    // amount, tax flags, and the cash entry of a paid-at-issue document.
    void post(qint64 key, const QDate& day, const CurrentUser& user) {
        if (!PostDocument(m_db, m_dialogs, m_settings, user, key, day).posted)
            throw DemoDataError(QStringLiteral("A(z) %1 mintabizonylat nem könyvelhető.").arg(key));
    }

    // Recent documents are partly still being edited; older transfers are
    // mostly paid later.
    // Returns whether it was posted.
    bool settle(qint64 key, const QDate& day, const CurrentUser& user) {
        const qint64 age = day.daysTo(m_options.last);
        if (age < 14 && m_rnd.chance(0.3))
            return false; // still being edited
        post(key, day, user);
        const bool paidAtIssue =
            m_db.queryText(QStringLiteral("SELECT fizetve FROM szla WHERE szla = ?"), QString(), {key}) ==
            QLatin1String("I");
        // A transfer paid later, through the payment of the document: its
        // cash entry and paid amount are what real use leaves.
        if (!paidAtIssue && age > 45 && m_rnd.chance(0.96) &&
            !PayDocument(m_db, m_dialogs, key, day.addDays(m_rnd.between(2, 40)), QString()))
            throw DemoDataError(QStringLiteral("A(z) %1 mintabizonylat nem fizethető ki.").arg(key));
        return true;
    }

    // Makes one document (and, for a cancellation, its cancelling document);
    // returns how many documents were made.
    int makeOne(int index, int room) {
        const QDate day = dayOf(index);
        const CurrentUser user = employee();
        const int what = m_rnd.weighted({82, 7, 6, 5}); // invoice, proforma, credit note, cancelled invoice
        if (what == 2 && !m_recentInvoices.empty()) {
            const qint64 source = m_recentInvoices[size_t(m_rnd.below(int(m_recentInvoices.size())))];
            const qint64 credit = CopyAsCounterDocument(m_db, m_settings, user, source, kKindCreditNote, day);
            post(credit, day, user);
            return 1;
        }
        const DemoCustomer& c = m_customers[size_t(m_rnd.below(int(m_customers.size())))];
        NewDocument doc;
        doc.kind = what == 1 ? kKindProforma : kKindInvoice;
        doc.customer = c.key;
        const double rate = c.currency == kHomeCurrency ? 1.0 : rateOf(c.currency, day, m_rnd);
        doc.exchangeRate = rate;
        const qint64 key = CreateDocumentWithLines(m_db, m_dialogs, m_settings, user, doc, linesFor(c, doc.kind), day);
        const bool posted = settle(key, day, user);
        if (doc.kind != kKindInvoice)
            return 1;
        // Credit notes are made of posted invoices.
        if (posted || what == 3)
            m_recentInvoices.push_back(key);
        if (m_recentInvoices.size() > 200)
            m_recentInvoices.pop_front();
        if (what == 3 && room >= 2) {
            // Only a posted document is cancelled.
            if (!posted)
                post(key, day, user);
            const qint64 cancelling = CopyAsCounterDocument(m_db, m_settings, user, key, kKindCancelling, day);
            post(cancelling, day, user);
            m_recentInvoices.pop_back(); // a cancelled invoice gets no credit note
            return 2;
        }
        return 1;
    }

    Database& m_db;
    const DemoDocumentOptions& m_options;
    DemoRandom m_rnd;
    BatchDialogs m_dialogs;
    Settings m_settings;
    std::vector<DemoCustomer> m_customers;
    std::vector<DemoProduct> m_products;
    std::deque<qint64> m_recentInvoices;
    QDate m_first;
    qint64 m_span = 1;
};

} // namespace

void fillDemoDocuments(Database& db, const DemoDocumentOptions& options) {
    if (options.documents <= 0)
        return;
    Generator generator(db, options);
    generator.run();
}

} // namespace orvix
