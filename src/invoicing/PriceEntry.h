// The price dialog's arithmetic: a net price offered at a VAT rate, changed
// on the net page ("NETTÓ áron") or on the gross page ("BRUTTÓ áron"), with
// the difference from the offered price shown as "kedvezmény" and the "- %"
// reduction. The window only shows these texts and passes on what is typed.
#pragma once

#include <QString>
#include <optional>

namespace orvix {

class PriceEntry {
public:
    // formatft: the amount format of the settings (empty: "### ### ##0").
    PriceEntry(double offeredNet, double rate, const QString& formatft);

    double offeredNet() const { return m_net0; }
    double offeredGross() const { return m_gross0; }
    double rate() const { return m_rate; }

    // The two price boxes.
    const QString& netText() const { return m_netText; }
    const QString& grossText() const { return m_grossText; }
    // The gross shown on the net page and the net shown on the gross page.
    QString grossInfo() const;         // "Bruttó áron: " + gross
    QString netInfo() const;           // "Nettó áron: " + net
    QString offeredNetInfo() const;    // "eredeti nettó: " + offered net
    QString offeredGrossInfo() const;  // "eredeti bruttó: " + offered gross
    QString netDiscountInfo() const;   // "kedvezmény: " + net difference
    QString grossDiscountInfo() const; // "kedvezmény: " + gross difference

    // The user typed into the net box (the gross box follows with five
    // decimals) or into the gross box (the net box follows).
    void typeNet(const QString& text);
    void typeGross(const QString& text);
    // "- %": both prices less the percent, written with the amount format,
    // then the gross follows the net box.
    void reduceByPercent(const QString& percentText);

    // "OK": the net price of the page the dialog stands on. A box that is not
    // a number counts as 0.
    double result(bool netPage) const;
    // Why "OK" cannot take that price (a price whose gross a document cannot
    // hold); nothing when it can.
    std::optional<QString> resultProblem(bool netPage) const;

    // What the boxes hold, as the dialog reads them.
    static double readNumber(const QString& text);

private:
    QString money(double value) const;

    double m_net0;
    double m_gross0;
    double m_rate;
    QString m_format;
    QString m_netText;
    QString m_grossText;
    double m_net;   // the net of the last recomputation
    double m_gross; // the gross of the last recomputation
};

} // namespace orvix
