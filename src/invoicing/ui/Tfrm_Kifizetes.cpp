#include "invoicing/ui/Tfrm_Kifizetes.h"

#include "common/Database.h"
#include "core/Dialogs.h"
#include "core/ui/WindowSupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Kifizetes");

// A shown amount: Enter and Tab pass it by (a click still selects it).
QLineEdit* readOnlyAmount(QWidget* parent, double value) {
    auto* e = new QLineEdit(QLocale().toString(value, 'f', 2), parent);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignRight);
    e->setFocusPolicy(Qt::ClickFocus);
    return e;
}

} // namespace

Tfrm_Kifizetes::Tfrm_Kifizetes(Database& db, Dialogs& dialogs, const PaymentView& view, QWidget* parent)
    : QDialog(parent), m_db(db), m_dialogs(dialogs), m_view(view) {
    setObjectName(QStringLiteral("frm_Kifizetes"));
    setWindowTitle(kPaymentCaption);
    auto* form = new QFormLayout;
    m_datum = new QDateEdit(this);
    m_datum->setObjectName(QStringLiteral("datum"));
    m_datum->setDisplayFormat(QStringLiteral("yyyy.MM.dd"));
    m_datum->setDate(view.paidOn.isValid() ? view.paidOn : QDate::currentDate());
    form->addRow(QStringLiteral("dátum"), m_datum);
    m_bizonylat = new QLineEdit(view.voucher.trimmed(), this);
    m_bizonylat->setObjectName(QStringLiteral("bizonylat"));
    m_bizonylat->setMaxLength(25);
    form->addRow(QStringLiteral("bizonylat"), m_bizonylat);
    form->addRow(QStringLiteral("teljes összeg"), readOnlyAmount(this, view.gross));
    form->addRow(QStringLiteral("eddig fizetve"), readOnlyAmount(this, view.paidAmount));
    form->addRow(QStringLiteral("hátralék"), readOnlyAmount(this, view.outstanding()));
    auto* fizetve = new QCheckBox(QStringLiteral("Fizetve"), this);
    fizetve->setObjectName(QStringLiteral("Fizetve"));
    fizetve->setChecked(true);
    fizetve->setEnabled(false);
    form->addRow(QString(), fizetve);
    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    // A paid document is only shown.
    if (view.paid) {
        m_ok->hide();
        m_datum->setEnabled(false);
        m_bizonylat->setReadOnly(true);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
    // Enter moves from the date to the voucher; in the voucher it pays.
    setupWindow(this, kWindowName, false);
    m_datum->setFocus();
}

void Tfrm_Kifizetes::accept() {
    if (m_view.paid) {
        reject();
        return;
    }
    if (PayDocument(m_db, m_dialogs, m_view.document, m_datum->date(), m_bizonylat->text()))
        QDialog::accept();
}

bool payDocument(QWidget* parent, Database& db, Dialogs& dialogs, qint64 document) {
    try {
        std::optional<PaymentView> view = ReadPayment(db, document);
        if (!view)
            return false;
        if (view->storno) {
            dialogs.error(kStornoNotPayable);
            return false;
        }
        if (view->paid && !view->paidOn.isValid()) {
            FillMissingPaymentDate(db, document);
            view = ReadPayment(db, document);
        }
        if (!view->paid)
            view->paidOn = QDate::currentDate();
        Tfrm_Kifizetes window(db, dialogs, *view, parent);
        return window.exec() == QDialog::Accepted && !view->paid;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return false;
    }
}

} // namespace orvix::ui
