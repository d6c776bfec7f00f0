// The price dialog ("Ár", "Ár megadás"): the offered net price at a VAT rate,
// changed on the page "NETTÓ áron" or "BRUTTÓ áron"; the other price follows
// while the user types, and "- %" takes a percent off both.
#pragma once

#include "invoicing/PriceEntry.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace orvix::ui {

class Tfrm_Ar : public QDialog {
    Q_OBJECT

public:
    Tfrm_Ar(const QString& caption, double offeredNet, double rate, QWidget* parent = nullptr);

    bool netPage() const;
    void setNetPage(bool net);
    // The net price "OK" gives.
    double price() const { return m_entry.result(netPage()); }

    QTabWidget* pages() const { return m_pages; }
    QLineEdit* netEdit() const { return m_net; }
    QLineEdit* grossEdit() const { return m_gross; }
    QLineEdit* percentEdit(bool netPage) const { return netPage ? m_netPercent : m_grossPercent; }
    QLabel* grossInfo() const { return m_grossInfo; }
    QLabel* netInfo() const { return m_netInfo; }
    QLabel* netDiscount() const { return m_netDiscount; }
    QLabel* grossDiscount() const { return m_grossDiscount; }
    // "- %" of the shown page.
    void reduceByPercent();
    // "OK": refused with a message for a price a document cannot hold.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makePage(bool net);
    void showTexts(bool keepNet, bool keepGross);

    PriceEntry m_entry;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_net = nullptr;
    QLineEdit* m_gross = nullptr;
    QLineEdit* m_netPercent = nullptr;
    QLineEdit* m_grossPercent = nullptr;
    QLabel* m_grossInfo = nullptr;
    QLabel* m_netInfo = nullptr;
    QLabel* m_netOffered = nullptr;
    QLabel* m_grossOffered = nullptr;
    QLabel* m_netDiscount = nullptr;
    QLabel* m_grossDiscount = nullptr;
};

// The dialog; the accepted net price, or nothing when cancelled.
std::optional<double> priceDialog(QWidget* parent, const QString& caption, double offeredNet, double rate);

} // namespace orvix::ui
