#include "core/InvoiceLabels.h"

namespace orvix {

const std::vector<InvoiceLabel>& design1Labels() {
    static const std::vector<InvoiceLabel> labels = {
        {"QRLabel2", QStringLiteral("számlakibocsátó")},
        {"QRLabel3", QStringLiteral("vevő")},
        {"QRLabel6", QStringLiteral("#")},
        {"QRLabel8", QStringLiteral("megnevezés")},
        {"QRLabel7", QStringLiteral("m.e.")},
        {"QRLabel9", QStringLiteral("menny.")},
        {"QRLabel10", QStringLiteral("egységár (ÁFA nélkül)")},
        {"QRLabel11", QStringLiteral("érték (ÁFA nélkül)")},
        {"QRLabel12", QStringLiteral("áfakulcs %")},
        {"QRLabel13", QStringLiteral("áthárított ÁFA")},
        {"QRLabel14", QStringLiteral("érték (ÁFÁ-val)")},
        {"Storno", QStringLiteral("Sztornó bizonylat")},
        {"QRLabel1", QStringLiteral("kiadva")},
        {"QRLabel20", QStringLiteral("teljesítés")},
        {"QRLabel21", QStringLiteral("fiz.hat.")},
        {"QRLabel22", QStringLiteral("fiz.mód.")},
        {"QRLabel25", QStringLiteral("adószám")},
        {"QRLabel28", QStringLiteral("adószám")},
        {"QRLabel30", QStringLiteral("bankszla")},
        {"QRLabel33", QStringLiteral("nyilv.szám")},
        {"QRLabel34", QStringLiteral("köz.adósz.")},
        {"QRLabel35", QStringLiteral("köz.adósz.")},
        {"QRLabel24", QStringLiteral("hivatkozás")},
        {"k1", QStringLiteral("kedv.%")},
        {"QRLabel19", QStringLiteral("eng.szám")},
        {"h1", QStringLiteral("számlázási időszak")},
        {"QRLabel99", QStringLiteral("devizanem")},
        {"QRLabel32", QStringLiteral("árfolyam")},
        {"Szall1", QStringLiteral("szállítási cím")},
        {"QRLabel5", QStringLiteral("SWIFT")},
        {"QRLabel31", QStringLiteral("IBAN")},
        {"QRLabel16", QStringLiteral("bes.szám")},
        {"QRLabel15", QStringLiteral("Összesen")},
        {"QRLabel23", QStringLiteral("nettó")},
        {"QRLabel26", QStringLiteral("áthárított ÁFA")},
        {"QRLabel27", QStringLiteral("bruttó")},
        {"Atvet1", QStringLiteral("kibocsátó (ph)")},
        {"Atvet2", QStringLiteral("átvétel igazolás")},
        {"Kerek1", QStringLiteral("Kerekítés")},
        {"Kisadozo", QStringLiteral("*** Kisadózó ***")},
        {"QRLabel29", QString(), kLabelFilledAtPrint},
        {"FaSzoveg", QString(), kLabelFilledAtPrint},
    };
    return labels;
}

QString design1Caption(const QString& key) {
    for (const InvoiceLabel& label : design1Labels())
        if (key.compare(QLatin1String(label.key), Qt::CaseInsensitive) == 0)
            return label.caption;
    return {};
}

} // namespace orvix
