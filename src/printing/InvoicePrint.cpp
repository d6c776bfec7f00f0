#include "printing/InvoicePrint.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/LangFiles.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "invoicing/Documents.h"
#include "printing/InvoiceLayouts.h"
#include "core/InvoiceLabels.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryFile>

#include <cmath>

namespace orvix {

namespace {

const QString kHufAmount = QStringLiteral("### ### ##0");
const QString kForeignAmount = QStringLiteral("### ### ##0.00");

double roundHalfEvenTo(double x, bool whole) {
    if (whole)
        return std::nearbyint(x);
    return std::nearbyint(x * 100.0) / 100.0;
}

QString text(const QVariantMap& m, const char* name) {
    const QVariant v = m.value(QLatin1String(name));
    return v.isNull() ? QString() : v.toString().trimmed();
}

double number(const QVariantMap& m, const char* name) {
    return varFloat(m.value(QLatin1String(name)), 0);
}

QDate dateOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QVariantMap readRow(QSqlQuery& q) {
    QVariantMap row;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        row.insert(rec.fieldName(i), q.value(i));
    return row;
}

QStringList installedPrinters(const PrintSetup& setup) {
    if (setup.installedPrinters)
        return *setup.installedPrinters;
    return QPrinterInfo::availablePrinterNames();
}

bool isInstalled(const PrintSetup& setup, const QString& name) {
    return !name.isEmpty() && installedPrinters(setup).contains(name);
}

// The captions of the layout's labels after the mode marks and the language.
class Captions {
public:
    Captions(InvoiceLayout layout) {
        for (const InvoiceLabel& label : design1Labels())
            m_text.insert(QString::fromLatin1(label.key).toLower(), label.caption);
        if (layout == InvoiceLayout::Design2) {
            const std::pair<const char*, const char*> design2[] = {
                {"QRLabel5", "No:"},        {"QRLabel16", "SWIFT"},          {"QRLabel37", "bes.szám"},
                {"QRLabel38", "cikkszám"}, {"QRLabel10", "nettó egységár"}, {"h1", "időszak"},
                {"Szall1", "Szállítás"}};
            for (const auto& [key, caption] : design2)
                m_text.insert(QString::fromLatin1(key).toLower(), QString::fromUtf8(caption));
        }
    }
    void set(const QString& key, const QString& caption) { m_text.insert(key.toLower(), caption); }
    // Every label found in the language file takes the file's text; labels
    // the print fills in itself keep theirs.
    void translate(const LangRows& rows, const QStringList& untranslated) {
        for (const LangRow& row : rows) {
            const QString key = row.key.trimmed().toLower();
            if (m_text.contains(key) && !untranslated.contains(key))
                m_text.insert(key, row.text);
        }
    }
    QString operator()(const char* key) const { return m_text.value(QString::fromLatin1(key).toLower()); }

private:
    QHash<QString, QString> m_text;
};

QString langValue(const LangRows& rows, const QString& key, const QString& def) {
    for (const LangRow& row : rows)
        if (row.key.trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return row.text;
    return def;
}

} // namespace

bool PrintTarget::print(const report::Document& copy, const QString& printer, QString* error) {
    QPrinter device(QPrinter::HighResolution);
    if (!printer.isEmpty())
        device.setPrinterName(printer);
    return report::printOn(copy, device, error);
}

PrintSetup printSetupFromApp() {
    const AppContext& a = app();
    PrintSetup s;
    s.settings = a.settings;
    s.invoicePrinter = a.config.prnSzla;
    s.atvet = a.config.atvet;
    s.pic1 = a.config.pic1;
    s.pic2 = a.config.pic2;
    s.workFolder = a.folders.work;
    return s;
}

// ---- Amounts -------------------------------------------------------------------

RateTable makeRateTable(const std::vector<RateRow>& perRate, bool huf, bool outsideScope) {
    RateTable t;
    RateRow sums;
    for (const RateRow& r : perRate) {
        if (int(t.rows.size()) < kMaxRateRows)
            t.rows.push_back(r);
        sums.net += r.net;
        sums.vat += r.vat;
        sums.gross += r.gross;
    }
    const auto roundRow = [huf](RateRow& r) {
        r.net = roundHalfEvenTo(r.net, huf);
        r.gross = roundHalfEvenTo(r.gross, huf);
        r.vat = roundHalfEvenTo(r.gross - r.net, huf);
    };
    for (RateRow& r : t.rows)
        roundRow(r);
    roundRow(sums);
    if (outsideScope) {
        sums.gross = sums.net;
        sums.vat = 0;
    }
    t.sums = sums;
    return t;
}

double cashRounding(double gross) {
    const qint64 whole = qint64(std::llround(std::fabs(std::nearbyint(gross))));
    static const double correction[5] = {0, -1, -2, 2, 1};
    const double d = correction[whole % 5];
    return gross < 0 ? -d : d;
}

QString rateCaption(int row, double rate) {
    if (row == 0 && std::nearbyint(rate) == 0)
        return QStringLiteral("Mentes az adó alól");
    return formatFloat(QString(), rate) + QLatin1Char('%');
}

std::vector<RateRow> perRateSums(Database& db, qint64 document) {
    std::vector<RateRow> out;
    QSqlQuery q = db.select(QStringLiteral("SELECT afakulcs, SUM(netto*db)+0.00001 AS netto, "
                                           "SUM(afa*db)+0.00001 AS afa, SUM(brutto*db)+0.00001 AS brutto "
                                           "FROM szla_sor WHERE szla=? GROUP BY szla, afakulcs ORDER BY afakulcs"),
                            {document});
    while (q.next())
        out.push_back({varFloat(q.value(0)), varFloat(q.value(1)), varFloat(q.value(2)), varFloat(q.value(3))});
    return out;
}

InvoiceLayout chosenLayout(const PrintSetup& setup) {
    if (setup.layout)
        return *setup.layout;
    if (setup.settings.blokknyomtato)
        return InvoiceLayout::Receipt;
    if (setup.settings.szlaforma == 1)
        return InvoiceLayout::Design2;
    return InvoiceLayout::Design1;
}

QString electronicCopyName(const QString& kind, qint64 number) {
    return kind.trimmed() + zeroPad(number, 5) + QStringLiteral(".pdf");
}

QStringList pdfPrinterChoices(const PrintSetup& setup) {
    return QStringList{kBuiltInPdfPrinter} + installedPrinters(setup);
}

QString pdfPrinterProblem(const PrintSetup& setup) {
    const QString name = setup.settings.printernev;
    if (name == kBuiltInPdfPrinter) {
        const QString folder = setup.settings.printerutv;
        const QFileInfo info(folder);
        if (folder.isEmpty())
            return QStringLiteral("Nincs megadva a PDF mappa (printerutv).");
        if (!info.isDir())
            return QStringLiteral("A PDF mappa (printerutv) nem létezik: %1").arg(QDir::toNativeSeparators(folder));
        // A folder may look writable and still refuse files (network share,
        // read-only mount): a real file tells.
        QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("orvix-XXXXXX.tmp")));
        if (!info.isWritable() || !probe.open())
            return QStringLiteral("A PDF mappa (printerutv) nem írható: %1").arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    if (name.isEmpty())
        return QStringLiteral("Nincs megadva PDF nyomtató (printernev).");
    if (!isInstalled(setup, name))
        return QStringLiteral("A(z) \"%1\" nyomtató nincs telepítve.").arg(name);
    return QString();
}

// ---- The content of one copy -----------------------------------------------------

report::Document layOutInvoice(Database& db, const PrintSetup& setup, const PrintRequest& request,
                               InvoiceLayout layout) {
    const Settings& st = setup.settings;
    const bool receipt = layout == InvoiceLayout::Receipt;

    QVariantMap h;
    {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT szla.*, prntip.prntip_nev, prntip.prntip_nev1, prntip.prntip_nev2, "
                           "prntip.osszegszoveg, prntip.osszegszoveg1, prntip.osszegszoveg2, fiztip.kellkerek, "
                           "ugyfel.nyelv AS ugyfel_nyelv, ugyfel_cim.nev AS szallcimnev, "
                           "ugyfel_cim.irsz AS szall_irsz, ugyfel_cim.varos AS szall_varos, "
                           "ugyfel_cim.cim AS szall_cim "
                           "FROM szla LEFT JOIN prntip ON prntip.prntip = szla.prntip "
                           "LEFT JOIN fiztip ON fiztip.fiztip = szla.fiztip "
                           "LEFT JOIN ugyfel ON ugyfel.ugyfel = szla.ugyfel "
                           "LEFT JOIN ugyfel_cim ON ugyfel_cim.ugyfel_cim = szla.ugyfel_cim "
                           "WHERE szla.szla = ?"),
            {request.szla});
        if (!q.next())
            throw DocumentError(QStringLiteral("Nincs ilyen bizonylat: %1").arg(request.szla));
        h = readRow(q);
    }
    QVariantMap owner;
    {
        QSqlQuery q = db.select(QStringLiteral("SELECT engedelyszam, swift, iban FROM tulajdonos"));
        if (q.next())
            owner = readRow(q);
    }

    const QString kind = text(h, "prntip");
    const QString currency = text(h, "vat").isEmpty() ? kHomeCurrency : text(h, "vat");
    const bool huf = receipt || currency == kHomeCurrency;
    const bool afas = text(h, "afas").isEmpty() || text(h, "afas") == QLatin1String("I");
    const bool outsideScope = !receipt && text(h, "afas") == QLatin1String("N");
    const bool exemptMarks = st.adomentes || request.fa;
    const bool hideRates = receipt ? exemptMarks : (exemptMarks || !afas);
    const int language = receipt ? 0 : int(varInt(h.value(QStringLiteral("ugyfel_nyelv")), 0));
    const QString amountFormat = huf ? kHufAmount : kForeignAmount;
    const QString mark = request.fa ? QStringLiteral("FA") : st.amtm;

    report::Report r;
    QVariantMap& v = r.values;

    // Captions: the layout's own, then the mode and storno marks, then the
    // language file.
    Captions cap(layout);
    if (exemptMarks) {
        cap.set(QStringLiteral("QRLabel10"), QStringLiteral("egységár"));
        cap.set(QStringLiteral("QRLabel11"), QStringLiteral("érték"));
        cap.set(QStringLiteral("QRLabel15"), mark);
        cap.set(QStringLiteral("QRLabel29"), mark);
        v[QStringLiteral("bigMark")] = mark;
    }
    QString stornoMark;
    if (layout == InvoiceLayout::Design1 || layout == InvoiceLayout::Design2) {
        if (request.storno == QLatin1String("I"))
            stornoMark = cap("Storno");
        else if (layout == InvoiceLayout::Design1 && text(h, "konyvelve") == QLatin1String("N"))
            stornoMark = QStringLiteral("Nem könyvelt bizonylat");
    }
    LangRows lang;
    QString pagePrefix = QStringLiteral("oldal: ");
    if (language == 1 || language == 2) {
        lang = loadLangFile(langFilePath(setup.workFolder, language));
        // The marks the print sets itself are not the label's own caption:
        // a translation of the label would misstate them.
        QStringList untranslated;
        for (const InvoiceLabel& label : design1Labels())
            if (label.tag == kLabelFilledAtPrint)
                untranslated << QString::fromLatin1(label.key).toLower();
        if (exemptMarks)
            untranslated << QStringLiteral("qrlabel15");
        cap.translate(lang, untranslated);
        if (request.storno == QLatin1String("I"))
            stornoMark = cap("Storno");
        pagePrefix = langValue(lang, QStringLiteral("str7"), pagePrefix);
    }
    v[QStringLiteral("mark")] = stornoMark;

    // Title and number.
    QString title = text(h, "prntip_nev");
    if (language == 1 || language == 2) {
        // A kind without a name in the language keeps its Hungarian name:
        // an invoice never prints without its title.
        const QString translated = text(h, language == 1 ? "prntip_nev1" : "prntip_nev2");
        if (!translated.isEmpty())
            title = translated;
    }
    v[QStringLiteral("title")] = title;
    v[QStringLiteral("titleSize")] = kind == QLatin1String("S") ? 0 : (receipt ? 9 : 12);
    v[QStringLiteral("eredetistr")] = text(h, "eredetistr");
    const qint64 docNumber = varInt(h.value(QStringLiteral("szlaszam")), 0);
    v[QStringLiteral("szlastr")] = DocNumberText(docNumber, kind.isEmpty() ? QChar() : kind.at(0), text(h, "szlabetu"),
                                                dateOf(h.value(QStringLiteral("dat_kiadva"))));
    r.title = kind + zeroPad(docNumber, 7);

    // Issuer.
    v[QStringLiteral("tulajdonos")] = text(h, "tulajdonos");
    v[QStringLiteral("tcimstr")] =
        AddressLine(text(h, "tirsz"), text(h, "tvaros"), text(h, "tkerulet"), text(h, "tcim"), text(h, "tkozterulet"),
                    text(h, "thazszam"), text(h, "tepulet"), text(h, "tlepcsohaz"), text(h, "tszint"), text(h, "tajto"));
    v[QStringLiteral("tadoszam")] = text(h, "tadoszam");
    v[QStringLiteral("tbankszamla")] = text(h, "tbankszamla");
    v[QStringLiteral("tkozadoszam")] = text(h, "tkozadoszam");
    if (!receipt) {
        if (st.egyeni)
            v[QStringLiteral("tvallig")] = text(h, "tvallig");
        v[QStringLiteral("engszam")] = text(owner, "engedelyszam");
        v[QStringLiteral("swift")] = text(owner, "swift");
        v[QStringLiteral("iban")] = text(owner, "iban");
    }
    if (st.kata)
        v[QStringLiteral("kisadozo")] = cap("Kisadozo");

    // Customer.
    v[QStringLiteral("ugyfel_nev")] = text(h, "ugyfel_nev");
    v[QStringLiteral("cimstr")] = AddressLine(
        text(h, "szla_irsz"), text(h, "szla_varos"), text(h, "szla_kerulet"), text(h, "szla_cim"),
        text(h, "szla_kozterulet"), text(h, "szla_hazszam"), text(h, "szla_epulet"), text(h, "szla_lepcsohaz"),
        text(h, "szla_szint"), text(h, "szla_ajto"));
    v[QStringLiteral("adoszam")] = text(h, "adoszam");
    v[QStringLiteral("kozadoszam")] = text(h, "kozadoszam");
    if (!receipt) {
        const double discount = number(h, "kedvezmeny");
        if (std::nearbyint(discount) != 0)
            v[QStringLiteral("kedv")] = formatFloat(QString(), discount);
        if (st.vansokcim && (!text(h, "szallcimnev").isEmpty() || !text(h, "szall_cim").isEmpty())) {
            v[QStringLiteral("szallcimnev")] = text(h, "szallcimnev");
            v[QStringLiteral("szallcim")] = text(h, "szall_irsz") + QLatin1Char(' ') + text(h, "szall_varos") +
                                            QStringLiteral(", ") + text(h, "szall_cim");
        }
        if (st.vanhonap)
            v[QStringLiteral("honap")] = text(h, "honap");
        v[QStringLiteral("mozgaz")] = text(h, "mozgaz");
        v[QStringLiteral("vat")] = currency;
        v[QStringLiteral("arfolyam")] = formatFloat(QStringLiteral("##0.00"), number(h, "arfolyam"));
    }
    v[QStringLiteral("dat_fizhat")] = formatDate(dateOf(h.value(QStringLiteral("dat_fizhat"))));
    v[QStringLiteral("fiztip_nev")] = text(h, "fiztip_nev");
    v[QStringLiteral("dat_szallhat")] = formatDate(dateOf(h.value(QStringLiteral("dat_szallhat"))));
    v[QStringLiteral("dat_kiadva")] = formatDate(dateOf(h.value(QStringLiteral("dat_kiadva"))));
    v[QStringLiteral("megjegyzes")] = text(h, "megjegyzes");
    if (request.fa && !receipt)
        v[QStringLiteral("faszoveg")] = st.faszoveg;
    if (layout == InvoiceLayout::Design2 && text(h, "vantermdij") == QLatin1String("I"))
        v[QStringLiteral("termdij")] = text(h, "termdijszoveg");

    // Lines.
    const auto amount = [&](double x) {
        return st.formatszla ? formatMoney(x, st.formatft) : formatFloat(QString(), x);
    };
    {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT szla_sor.sor, szla_sor.cikkszam, szla_sor.cikkszam_nev, szla_sor.vtsz, "
                           "szla_sor.megjegyzes, szla_sor.mert, szla_sor.db, szla_sor.afakulcs, szla_sor.netto, "
                           "szla_sor.afa, szla_sor.brutto, cikkszam.ean "
                           "FROM szla_sor LEFT JOIN cikkszam ON cikkszam.cikkszam = szla_sor.cikkszam "
                           "WHERE szla_sor.szla = ? ORDER BY szla_sor.sor"),
            {request.szla});
        while (q.next()) {
            QVariantMap row;
            const double db_ = varFloat(q.value(6));
            const double rate = varFloat(q.value(7));
            const double unitNet = varFloat(q.value(8));
            const bool hasUnit = !q.value(5).toString().trimmed().isEmpty();
            row[QStringLiteral("sor")] = QString::number(varInt(q.value(0)));
            row[QStringLiteral("nev")] = q.value(2).toString().trimmed();
            if (hasUnit) {
                row[QStringLiteral("mert")] = q.value(5).toString().trimmed();
                row[QStringLiteral("db")] = st.formatszla ? formatQuantity(db_, st.formatdb) : formatFloat({}, db_);
                row[QStringLiteral("egysar")] = amount(unitNet);
            }
            row[QStringLiteral("sornetto")] = amount(unitNet * db_);
            row[QStringLiteral("sorafa")] = amount(varFloat(q.value(9)) * db_);
            row[QStringLiteral("sorbrutto")] = amount(varFloat(q.value(10)) * db_);
            QString rateText;
            if (rate != 0)
                rateText = QString::number(qint64(std::nearbyint(rate)));
            else if (st.adomentes)
                rateText = QStringLiteral("AM");
            row[QStringLiteral("afakulcsstr")] = rateText;
            const QString code = q.value(1).toString().trimmed();
            const QString ean = q.value(11).toString().trimmed();
            row[QStringLiteral("kod")] = (!st.szlacikkszam && !receipt) ? ean : code;
            const QString vtsz = q.value(3).toString().trimmed();
            const QString comment = q.value(4).toString().trimmed();
            row[QStringLiteral("vtsz")] = vtsz;
            row[QStringLiteral("sormegj")] = comment;
            if (!receipt || !vtsz.isEmpty() || !comment.isEmpty())
                row[QStringLiteral("besszam")] = cap("QRLabel16");
            r.rows.push_back(std::move(row));
        }
    }

    // Rate table.
    const RateTable table = makeRateTable(perRateSums(db, request.szla), huf, outsideScope);
    const int shownRates = receipt ? 2 : 3;
    if (!hideRates) {
        for (int i = 0; i < shownRates; ++i) {
            // The first row always shows (an empty document: zero sums as exempt).
            if (i > 0 && i >= int(table.rows.size()))
                break;
            const RateRow row = i < int(table.rows.size()) ? table.rows[size_t(i)] : RateRow{};
            const QString n = QString::number(i);
            v[QStringLiteral("rate") + n] = rateCaption(i, row.rate);
            v[QStringLiteral("net") + n] = formatFloat(amountFormat, row.net);
            v[QStringLiteral("vat") + n] = formatFloat(amountFormat, row.vat);
            v[QStringLiteral("gross") + n] = formatFloat(amountFormat, row.gross);
        }
        v[QStringLiteral("rates")] = QStringLiteral("I");
    }
    const bool receiptGrossOnly = receipt && exemptMarks;
    if (!receiptGrossOnly) {
        v[QStringLiteral("sumNet")] = formatFloat(amountFormat, table.sums.net);
        v[QStringLiteral("sumVat")] = formatFloat(amountFormat, table.sums.vat);
        v[QStringLiteral("grossShown")] = QStringLiteral("I");
    }
    v[QStringLiteral("sumGross")] = formatFloat(amountFormat, table.sums.gross);

    // Payable amount, cash rounding, words.
    const double gross = table.sums.gross;
    const bool rounding = text(h, "kellkerek") == QLatin1String("I") && (receipt || currency == kHomeCurrency);
    double payable = gross;
    if (rounding) {
        const double d = cashRounding(gross);
        payable = gross + d;
        v[QStringLiteral("kerek")] = formatFloat(kHufAmount, d) + QStringLiteral(".-");
    }
    v[QStringLiteral("payable")] =
        huf ? formatFloat(kHufAmount, payable) + QStringLiteral(".-") : formatFloat(kForeignAmount, payable);
    if (outsideScope)
        v[QStringLiteral("words")] =
            QStringLiteral("Áfa területi hatályán kívül, outside the territorial scope of the VAT Act.");
    else if (huf)
        v[QStringLiteral("words")] = QStringLiteral("azaz ") + amountInWords(payable) + QStringLiteral(" Ft");
    const QString payCaption =
        receipt ? text(h, "osszegszoveg")
                : text(h, language == 1 ? "osszegszoveg1" : language == 2 ? "osszegszoveg2" : "osszegszoveg");
    v[QStringLiteral("osszegstr")] = payCaption;
    if (!receipt && afas && currency != kHomeCurrency) {
        const double rateValue = number(h, "arfolyam");
        v[QStringLiteral("forintAfaCaption")] = QStringLiteral("Áthárított ÁFA Forintban (árf: ") +
                                                formatFloat(QStringLiteral("##0.00"), rateValue) + QLatin1Char(')');
        v[QStringLiteral("forintAfa")] = formatMoney(rateValue * table.sums.vat, st.formatft);
    }
    const bool paid = text(h, "fizetve") == QLatin1String("I");
    if (paid && (receipt || setup.atvet))
        v[QStringLiteral("atvet")] = cap("Atvet2");

    // Footer.
    const QDateTime printedAt = setup.printedAt.isValid() ? setup.printedAt : QDateTime::currentDateTime();
    v[QStringLiteral("pageText")] = pagePrefix + QStringLiteral("{page}");
    v[QStringLiteral("pagesText")] = QStringLiteral("összesen: {pages} oldal");
    v[QStringLiteral("printedAt")] = printedAt.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
    v[QStringLiteral("jobTitle")] = r.title;

    LayoutCaptions captions;
    for (const InvoiceLabel& label : design1Labels())
        captions.insert(QString::fromLatin1(label.key), cap(label.key));
    for (const char* key : {"QRLabel37", "QRLabel38"})
        captions.insert(QString::fromLatin1(key), cap(key));
    const QString picturePath = layout == InvoiceLayout::Design1 ? setup.pic1 : setup.pic2;
    QImage logo;
    if (!receipt && !picturePath.isEmpty() && QFileInfo(picturePath).isFile())
        logo.load(picturePath);

    switch (layout) {
    case InvoiceLayout::Design1:
        addDesign1(r, captions, logo);
        break;
    case InvoiceLayout::Design2:
        addDesign2(r, captions, logo);
        break;
    case InvoiceLayout::Receipt:
        addReceipt(r, captions);
        break;
    }
    return report::layOut(r);
}

// ---- The print routine --------------------------------------------------------------

int SzlaNyomtat(Database& db, Dialogs& dialogs, const PrintSetup& setup, PrintTarget& target,
                const PrintRequest& request, const std::function<void(qint64)>& counted) {
    PrintRequest req = request;
    if (IsEdiCustomer(db, req.szla))
        req.pdf = true;
    const InvoiceLayout layout = chosenLayout(setup);
    const int copies = (!req.nyomtat || req.pdf || req.egypeldany) ? 1 : setup.settings.alappld;
    if (copies < 1)
        return 0;
    if (req.pdf) {
        const QString problem = pdfPrinterProblem(setup);
        if (!problem.isEmpty()) {
            dialogs.error(kNoPdfPrinter + QLatin1Char('\n') + problem);
            return 0;
        }
    }
    QString printer = req.pdf ? setup.settings.printernev : setup.invoicePrinter;
    const bool builtInPdf = req.pdf && printer == kBuiltInPdfPrinter;
    if (!builtInPdf && !isInstalled(setup, printer))
        printer.clear(); // the system default printer

    int produced = 0;
    for (int copy = 0; copy < copies; ++copy) {
        if (req.nyomtat && !req.pdf) {
            db.execSql(QStringLiteral("UPDATE szla SET nyomtatva=COALESCE(nyomtatva,0)+1 WHERE szla=?"), {req.szla});
            if (counted)
                counted(req.szla);
        }
        const report::Document doc = layOutInvoice(db, setup, req, layout);
        if (!req.nyomtat) {
            target.preview(doc);
        } else if (builtInPdf) {
            const QString kind = db.queryText(QStringLiteral("SELECT prntip FROM szla WHERE szla=?"), {}, {req.szla});
            const qint64 number = db.queryInt(QStringLiteral("SELECT szlaszam FROM szla WHERE szla=?"), 0, {req.szla});
            const QString path = QDir(setup.settings.printerutv).filePath(electronicCopyName(kind, number));
            QString error;
            if (!report::writePdf({doc}, path, &error)) {
                dialogs.error(error);
                return produced;
            }
        } else {
            QString error;
            if (!target.print(doc, printer, &error)) {
                dialogs.error(error.isEmpty() ? QStringLiteral("A nyomtatás nem sikerült.") : error);
                return produced;
            }
        }
        ++produced;
    }
    return produced;
}

std::vector<report::Document> invoiceCopies(Database& db, const PrintSetup& setup, qint64 document,
                                            bool asPrinted) {
    PrintRequest req = documentPrintRequest(db, document, asPrinted);
    int copies = 1;
    if (asPrinted && !req.egypeldany && !IsEdiCustomer(db, document))
        copies = setup.settings.alappld;
    std::vector<report::Document> out;
    const InvoiceLayout layout = chosenLayout(setup);
    for (int i = 0; i < copies; ++i)
        out.push_back(layOutInvoice(db, setup, req, layout));
    return out;
}

PrintRequest documentPrintRequest(Database& db, qint64 document, bool print) {
    QSqlQuery q = db.select(QStringLiteral("SELECT storno, fa, nyomtatva FROM szla WHERE szla=?"), {document});
    if (!q.next())
        throw DocumentError(QStringLiteral("Nincs ilyen bizonylat: %1").arg(document));
    PrintRequest r;
    r.szla = document;
    r.storno = q.value(0).toString().trimmed();
    r.fa = q.value(1).toString().trimmed() == QLatin1String("I");
    r.nyomtat = print;
    r.egypeldany = print && varInt(q.value(2), 0) != 0;
    return r;
}

int printDocument(Database& db, Dialogs& dialogs, const PrintSetup& setup, PrintTarget& target, qint64 document,
                  const std::function<void(qint64)>& counted) {
    const QString posted =
        db.queryText(QStringLiteral("SELECT konyvelve FROM szla WHERE szla=?"), QString(), {document}).trimmed();
    if (posted != QLatin1String("I")) {
        dialogs.error(kNotPosted);
        return 0;
    }
    return SzlaNyomtat(db, dialogs, setup, target, documentPrintRequest(db, document, true), counted);
}

} // namespace orvix
