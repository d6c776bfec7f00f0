#include "invoicing/PostingCommands.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/BatchDialogs.h"
#include "core/Settings.h"
#include "data/Indexes.h"
#include "invoicing/Documents.h"
#include "invoicing/Payments.h"
#include "invoicing/Posting.h"
#include "core/TextUtil.h"

#include <QSqlQuery>

namespace orvix {

namespace {

using namespace cli;

const QString kPost = QStringLiteral("post");
const QString kCancel = QStringLiteral("cancel");
const QString kCreditNote = QStringLiteral("credit-note");
const QString kUserOption = QStringLiteral("--user");
const QString kPay = QStringLiteral("pay");
const QString kPayCustomer = QStringLiteral("pay-customer");
const QString kDateOption = QStringLiteral("--date");
const QString kVoucherOption = QStringLiteral("--voucher");
const QString kDeskOption = QStringLiteral("--desk");

// Messages go to the error output; the confirmation of a cancel is given by
// running the command; anything else the logic would ask is a refusal.
class CommandDialogs : public BatchDialogs {
public:
    CommandDialogs()
        : BatchDialogs([](const QString& question) {
              throw DocumentError(QStringLiteral("A parancssor nem tud kérdésre válaszolni: %1").arg(question));
          }) {}
    bool question(const QString& caption, const QString& text) override {
        if (text == kCancelQuestion)
            return true;
        return BatchDialogs::question(caption, text);
    }
    void error(const QString& text) override {
        ++errors;
        BatchDialogs::error(text);
    }
    int errors = 0;
};

QString help(const QString& usage, const QString& text) {
    return QStringLiteral("Használat: Orvix_Szamla_Cli %1\n\n%2\n\n"
                          "Kapcsolók:\n"
                          "  --user NAME   a műveletet végző felhasználó, legfeljebb 15 karakter\n"
                          "                (alapértelmezés: rendszergazda)\n")
        .arg(usage, text);
}

// DIR KEY and the user; a bad command line gives its exit code.
std::optional<int> parse(const Arguments& parsed, const QString& command, QString& folder, qint64& key,
                         CurrentUser& user) {
    if (const auto error = positionalArguments(
            parsed, 2,
            QStringLiteral("a(z) %1 parancs egy adatmappát és egy bizonylat gépi kódját várja (DIR KEY).")
                .arg(command)))
        return badArguments(command, *error);
    folder = parsed.positional.at(0);
    const std::optional<qint64> k = positiveKey(parsed.positional.at(1));
    if (!k)
        return badArguments(command, QStringLiteral("a bizonylat gépi kódja pozitív egész szám, nem \"%1\".")
                                         .arg(parsed.positional.at(1)));
    key = *k;
    if (parsed.has(kUserOption)) {
        user.name = parsed.value(kUserOption).trimmed();
        if (user.name.isEmpty())
            return badArguments(command, QStringLiteral("a felhasználó neve üres."));
        if (const auto problem =
                TextWidthProblem(QStringLiteral("szla"), QStringLiteral("felhasznalo"), user.name, kUserOption))
            return badArguments(command, QStringLiteral("a felhasználó neve túl hosszú: %1").arg(*problem));
    }
    return std::nullopt;
}

void openFolder(Database& db, const QString& folder) {
    db.open(folder);
    for (const QString& warning : data::ensureIndexes(db).warnings)
        printWarning(warning);
}

QString documentLine(Database& db, qint64 key) {
    QSqlQuery q = db.select(
        QStringLiteral("SELECT szlaszam, prntip, szlabetu, dat_kiadva FROM szla WHERE szla=?;"), {key});
    if (!q.next())
        return QString::number(key);
    const QString kind = q.value(1).toString().trimmed();
    return QStringLiteral("%1 %2").arg(key).arg(
        DocNumberText(q.value(0).toLongLong(), kind.isEmpty() ? QChar() : kind.at(0), q.value(2).toString().trimmed(),
                      QDate::fromString(q.value(3).toString().left(10), Qt::ISODate)));
}

int runPost(const Arguments& parsed) {
    QString folder;
    qint64 key = 0;
    CurrentUser user;
    if (const auto code = parse(parsed, kPost, folder, key, user))
        return *code;
    Database db(QStringLiteral("cli-post"));
    try {
        openFolder(db, folder);
        const Settings settings = loadSettings(db);
        CommandDialogs dialogs;
        const PostResult result = PostAction(db, dialogs, settings, user, key);
        if (!result.posted)
            return Failed;
        QString line = documentLine(db, key);
        if (result.cashEntry > 0)
            line += QStringLiteral(" pénztár: %1").arg(result.cashEntry);
        print(line);
        // Posted, but the Zentra program was not fed.
        return dialogs.errors > 0 ? Stopped : Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

int runCancel(const Arguments& parsed) {
    QString folder;
    qint64 key = 0;
    CurrentUser user;
    if (const auto code = parse(parsed, kCancel, folder, key, user))
        return *code;
    Database db(QStringLiteral("cli-cancel"));
    try {
        openFolder(db, folder);
        const Settings settings = loadSettings(db);
        CommandDialogs dialogs;
        const std::optional<qint64> cancelling = CancelDocument(db, dialogs, settings, user, key);
        if (!cancelling)
            return Failed;
        print(*cancelling > 0 ? documentLine(db, *cancelling) : documentLine(db, key) + QStringLiteral(" sztornózva"));
        return Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

// The credit-note flow from an invoice: the copy is made without asking.
class FromInvoiceUi : public CreditNoteUi {
public:
    std::optional<qint64> chooseCustomer() override { return std::nullopt; }
    std::optional<bool> chooseReverseCharge() override { return false; }
};

class YesDialogs : public CommandDialogs {
public:
    bool question(const QString& caption, const QString& text) override {
        if (text == kCreditFromInvoiceQuestion)
            return true;
        return CommandDialogs::question(caption, text);
    }
};

int runCreditNote(const Arguments& parsed) {
    QString folder;
    qint64 key = 0;
    CurrentUser user;
    if (const auto code = parse(parsed, kCreditNote, folder, key, user))
        return *code;
    Database db(QStringLiteral("cli-credit-note"));
    try {
        openFolder(db, folder);
        const Settings settings = loadSettings(db);
        const QVariant kind = db.queryValue(QStringLiteral("SELECT prntip FROM szla WHERE szla=?;"), {key});
        if (!kind.isValid()) {
            printError(QStringLiteral("Nem létező bizonylat: %1").arg(key));
            return Failed;
        }
        if (kind.toString().trimmed() != QString(kKindInvoice)) {
            printError(QStringLiteral("Jóváíró számla csak számláról (S) készülhet, a(z) %1 bizonylat fajtája \"%2\".")
                           .arg(key)
                           .arg(kind.toString().trimmed()));
            return Failed;
        }
        YesDialogs dialogs;
        FromInvoiceUi ui;
        const auto start = StartCreditNote(db, dialogs, ui, settings, user, CreditNoteContext::Documents, key);
        if (!start || start->copy <= 0)
            return Failed;
        print(documentLine(db, start->copy));
        return Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

int runPay(const Arguments& parsed) {
    if (const auto error = positionalArguments(
            parsed, 2, QStringLiteral("a(z) pay parancs egy adatmappát és egy bizonylat gépi kódját várja (DIR KEY).")))
        return badArguments(kPay, *error);
    const QString folder = parsed.positional.at(0);
    const std::optional<qint64> key = positiveKey(parsed.positional.at(1));
    if (!key)
        return badArguments(kPay, QStringLiteral("a bizonylat gépi kódja pozitív egész szám, nem \"%1\".")
                                      .arg(parsed.positional.at(1)));
    QDate date = QDate::currentDate();
    if (parsed.has(kDateOption)) {
        date = parseDate(parsed.value(kDateOption));
        if (!date.isValid())
            return badArguments(kPay, QStringLiteral("érvénytelen dátum: \"%1\".").arg(parsed.value(kDateOption)));
    }
    const QString voucher = parsed.has(kVoucherOption) ? parsed.value(kVoucherOption) : QString();
    if (voucher.size() > 25)
        return badArguments(kPay, QStringLiteral("a bizonylat hivatkozása legfeljebb 25 karakter lehet."));
    Database db(QStringLiteral("cli-pay"));
    try {
        openFolder(db, folder);
        CommandDialogs dialogs;
        if (!PayDocument(db, dialogs, *key, date, voucher))
            return Failed;
        print(documentLine(db, *key) + QStringLiteral(" kifizetve"));
        return Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

int runPayCustomer(const Arguments& parsed) {
    if (const auto error = positionalArguments(
            parsed, 3,
            QStringLiteral("a(z) pay-customer parancs egy adatmappát, egy ügyfélkódot és egy összeget vár "
                           "(DIR CUSTOMER AMOUNT).")))
        return badArguments(kPayCustomer, *error);
    const QString folder = parsed.positional.at(0);
    const std::optional<qint64> customer = positiveKey(parsed.positional.at(1));
    if (!customer)
        return badArguments(kPayCustomer, QStringLiteral("az ügyfélkód pozitív egész szám, nem \"%1\".")
                                              .arg(parsed.positional.at(1)));
    const std::optional<double> amount = tryParseNumber(parsed.positional.at(2));
    if (!amount || !(*amount > 0))
        return badArguments(kPayCustomer, QStringLiteral("az összeg pozitív szám, nem \"%1\".")
                                              .arg(parsed.positional.at(2)));
    if (!parsed.has(kDeskOption))
        return badArguments(kPayCustomer, QStringLiteral("hiányzik a kassza száma (--desk N)."));
    // Desk 0 is every folder's first desk ("Alap kassza").
    qint64 desk = -1;
    if (const auto error = numberOption(parsed, kDeskOption, 0, 2147483647, desk))
        return badArguments(kPayCustomer, *error);
    Database db(QStringLiteral("cli-pay-customer"));
    try {
        openFolder(db, folder);
        if (!db.queryValue(QStringLiteral("SELECT cassak FROM cassak WHERE cassak=?;"), {desk}).isValid()) {
            printError(QStringLiteral("Nem létező kassza: %1").arg(desk));
            return Failed;
        }
        CommandDialogs dialogs;
        const CombinedPaymentResult result = PayCustomer(db, dialogs, *customer, *amount, desk);
        if (!result.done)
            return Failed;
        print(QStringLiteral("%1 kifizetve: %2 teljesen, részben: %3, pénztár: %4")
                  .arg(*customer)
                  .arg(result.paidInFull)
                  .arg(result.partlyPaid ? QString::number(*result.partlyPaid) : QStringLiteral("-"))
                  .arg(result.cashEntry));
        return Success;
    } catch (const DocumentError& e) {
        printError(e.text());
    } catch (const DbError& e) {
        printError(e.text());
    }
    return Failed;
}

} // namespace

const cli::CommandTable& postingCommands() {
    static const CommandTable table{
        {kPost,
         QStringLiteral("DIR KEY"),
         QStringLiteral("bizonylat könyvelése"),
         help(QStringLiteral("post DIR KEY [--user NAME]"),
              QStringLiteral(
                  "Könyveli a DIR adatmappa KEY gépi kódú bizonylatát, mint a \"Könyvel\" gomb:\n"
                  "ellenőrzi az árfolyamot, a devizanemet és (nem számlánál) az eredeti bizonylat\n"
                  "hivatkozását; a bizonylat véglegessé válik, a kiadáskor fizetett bizonylat\n"
                  "a pénztárkönyvbe is bekerül. Vagy minden megtörténik, vagy semmi.\n"
                  "Kiírja a bizonylat gépi kódját és sorszámát, és ha készült, a pénztári tétel\n"
                  "gépi kódját (\"pénztár: N\").\n"
                  "\n"
                  "Kilépési kódok: 0 siker, 1 a bizonylat nem lett könyvelve, 2 hibás parancssor,\n"
                  "3 a bizonylat könyvelve lett, de a Zentra program feltöltése nem sikerült.")),
         {{kUserOption}, {}, {}},
         runPost},
        {kCancel,
         QStringLiteral("DIR KEY"),
         QStringLiteral("könyvelt bizonylat sztornózása"),
         help(QStringLiteral("cancel DIR KEY [--user NAME]"),
              QStringLiteral(
                  "Sztornózza a DIR adatmappa KEY gépi kódú, könyvelt bizonylatát, mint a \"Törlés\"\n"
                  "a bizonylatok listáján: a bizonylat sztornó jelet kap, és (proforma kivételével)\n"
                  "elkészül a könyveletlen érvénytelenítő okirat (W) ellentétes előjelű összegekkel,\n"
                  "egy lépésben. Kiírja az érvénytelenítő okirat gépi kódját és sorszámát\n"
                  "(proformánál a proformáét és: sztornózva).\n"
                  "\n"
                  "Kilépési kódok: 0 siker, 1 nem sztornózható (semmi nem változott),\n"
                  "2 hibás parancssor.")),
         {{kUserOption}, {}, {}},
         runCancel},
        {kCreditNote,
         QStringLiteral("DIR KEY"),
         QStringLiteral("jóváíró számla egy számlából"),
         help(QStringLiteral("credit-note DIR KEY [--user NAME]"),
              QStringLiteral(
                  "A DIR adatmappa KEY gépi kódú számlájából (S) jóváíró számlát (J) készít: a\n"
                  "számla ellentétes előjelű, könyveletlen másolatát, a számlára hivatkozva.\n"
                  "Kiírja a jóváíró számla gépi kódját és sorszámát.\n"
                  "\n"
                  "Kilépési kódok: 0 siker, 1 nem készült jóváíró számla, 2 hibás parancssor.")),
         {{kUserOption}, {}, {}},
         runCreditNote},
        {kPay,
         QStringLiteral("DIR KEY"),
         QStringLiteral("bizonylat kifizetése"),
         QStringLiteral("Használat: Orvix_Szamla_Cli pay DIR KEY [--date DATE] [--voucher TEXT]\n\n"
                        "Kifizeti a DIR adatmappa KEY gépi kódú bizonylatát, mint a \"Kifizet\" gomb: a\n"
                        "hátralék a fizetési mód pénztárába kerül, a bizonylat fizetett lesz a DATE\n"
                        "napon (alapértelmezés: ma), TEXT a fizetés bizonylata (legfeljebb 25 karakter).\n"
                        "Vagy minden megtörténik, vagy semmi.\n\n"
                        "Kilépési kódok: 0 siker, 1 nem fizethető (semmi nem változott), 2 hibás parancssor.\n"),
         {{kDateOption, kVoucherOption}, {}, {}},
         runPay},
        {kPayCustomer,
         QStringLiteral("DIR CUSTOMER AMOUNT"),
         QStringLiteral("ügyfél részben vagy összevont kifizetése"),
         QStringLiteral("Használat: Orvix_Szamla_Cli pay-customer DIR CUSTOMER AMOUNT --desk N\n\n"
                        "Az ügyfél befizet AMOUNT összeget az N kasszába (0: az alap kassza), mint a \"Részben,\n"
                        "vagy összevont kifizetés\": az összeg kiegyenlíti az ügyfél fizetetlen számláit a\n"
                        "legrégebbivel kezdve, az utolsót részben (a sztornózottakat kihagyva). Legfeljebb az\n"
                        "ügyfél tartozása fizethető be.\n"
                        "Vagy minden megtörténik, vagy semmi.\n\n"
                        "Kilépési kódok: 0 siker, 1 nem történt befizetés, 2 hibás parancssor.\n"),
         {{kDeskOption}, {}, {}},
         runPayCustomer},
    };
    return table;
}

} // namespace orvix
