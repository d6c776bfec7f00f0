#include "invoicing/ui/Tfrm_Ar.h"

#include "core/AppContext.h"
#include "core/ui/MessageBoxes.h"
#include "core/ui/WindowSupport.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Ar");
constexpr int kPriceBoxLength = 24;
constexpr int kPercentBoxLength = 10;

} // namespace

Tfrm_Ar::Tfrm_Ar(const QString& caption, double offeredNet, double rate, QWidget* parent)
    : QDialog(parent), m_entry(offeredNet, rate, app().settings.formatft) {
    setObjectName(kWindowName);
    setWindowTitle(caption);
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->addTab(makePage(true), QStringLiteral("NETTÓ áron"));
    m_pages->addTab(makePage(false), QStringLiteral("BRUTTÓ áron"));

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    showTexts(false, false);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        QLineEdit* box = page == 0 ? m_net : m_gross;
        box->setFocus();
        box->selectAll();
    });
    setupWindow(this, kWindowName, false, false);
    setNetPage(app().settings.alapnetto);
    QLineEdit* box = netPage() ? m_net : m_gross;
    box->setFocus();
    box->selectAll();
}

QWidget* Tfrm_Ar::makePage(bool net) {
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    auto* prompt = new QLabel(
        net ? QStringLiteral("Add meg a nettó árat") : QStringLiteral("Add meg a bruttó árat"), page);
    auto* box = new QLineEdit(page);
    box->setObjectName(net ? QStringLiteral("eNetto") : QStringLiteral("eBrutto"));
    box->setAlignment(Qt::AlignRight);
    box->setMinimumWidth(180);
    auto* other = new QLabel(page);
    other->setObjectName(net ? QStringLiteral("lBruttoAron") : QStringLiteral("lNettoAron"));
    auto* offered = new QLabel(page);
    auto* discount = new QLabel(page);
    discount->setObjectName(net ? QStringLiteral("lKedvNetto") : QStringLiteral("lKedvBrutto"));
    auto* percent = new QLineEdit(page);
    percent->setObjectName(net ? QStringLiteral("eSzazalekNetto") : QStringLiteral("eSzazalekBrutto"));
    percent->setAlignment(Qt::AlignRight);
    percent->setMaximumWidth(70);
    auto* minus = new QPushButton(QStringLiteral("- %"), page);
    minus->setObjectName(net ? QStringLiteral("bSzazalekNetto") : QStringLiteral("bSzazalekBrutto"));
    minus->setAutoDefault(false);
    minus->setToolTip(QStringLiteral("Numerikus \"/\""));

    grid->addWidget(prompt, 0, 0, 1, 3);
    grid->addWidget(box, 1, 0, 1, 3);
    grid->addWidget(other, 2, 0, 1, 3);
    grid->addWidget(offered, 3, 0, 1, 3);
    grid->addWidget(discount, 4, 0);
    grid->addWidget(percent, 4, 1);
    grid->addWidget(minus, 4, 2);

    // Only digits, the sign and the decimal comma are typed into the boxes;
    // the numeric pad's "/" is "- %".
    for (QLineEdit* e : {box, percent}) {
        restrictTypedKeys(e, QStringLiteral("-,."));
        e->installEventFilter(this);
    }
    // Room for the largest price a document holds, with its decimals.
    box->setMaxLength(kPriceBoxLength);
    percent->setMaxLength(kPercentBoxLength);
    connect(minus, &QPushButton::clicked, this, &Tfrm_Ar::reduceByPercent);
    if (net) {
        m_net = box;
        m_grossInfo = other;
        m_netOffered = offered;
        m_netDiscount = discount;
        m_netPercent = percent;
        connect(box, &QLineEdit::textEdited, this, [this](const QString& text) {
            m_entry.typeNet(text);
            showTexts(true, false);
        });
    } else {
        m_gross = box;
        m_netInfo = other;
        m_grossOffered = offered;
        m_grossDiscount = discount;
        m_grossPercent = percent;
        connect(box, &QLineEdit::textEdited, this, [this](const QString& text) {
            m_entry.typeGross(text);
            showTexts(false, true);
        });
    }
    // The two percent boxes mirror each other.
    connect(percent, &QLineEdit::textEdited, this,
            [this, net](const QString& text) { (net ? m_grossPercent : m_netPercent)->setText(text); });
    return page;
}

void Tfrm_Ar::showTexts(bool keepNet, bool keepGross) {
    if (!keepNet)
        m_net->setText(m_entry.netText());
    if (!keepGross)
        m_gross->setText(m_entry.grossText());
    m_grossInfo->setText(m_entry.grossInfo());
    m_netInfo->setText(m_entry.netInfo());
    m_netOffered->setText(m_entry.offeredNetInfo());
    m_grossOffered->setText(m_entry.offeredGrossInfo());
    m_netDiscount->setText(m_entry.netDiscountInfo());
    m_grossDiscount->setText(m_entry.grossDiscountInfo());
}

bool Tfrm_Ar::netPage() const {
    return m_pages->currentIndex() == 0;
}

void Tfrm_Ar::setNetPage(bool net) {
    m_pages->setCurrentIndex(net ? 0 : 1);
}

void Tfrm_Ar::reduceByPercent() {
    m_entry.reduceByPercent(percentEdit(netPage())->text());
    showTexts(false, false);
}

void Tfrm_Ar::accept() {
    if (const std::optional<QString> problem = m_entry.resultProblem(netPage())) {
        errorBox(this, *problem);
        QLineEdit* box = netPage() ? m_net : m_gross;
        box->setFocus();
        box->selectAll();
        return;
    }
    QDialog::accept();
}

bool Tfrm_Ar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Slash && (key->modifiers() & Qt::KeypadModifier)) {
            reduceByPercent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<double> priceDialog(QWidget* parent, const QString& caption, double offeredNet, double rate) {
    Tfrm_Ar window(caption, offeredNet, rate, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.price();
}

} // namespace orvix::ui
