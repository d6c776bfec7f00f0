#include "masters/ui/Tfrm_Ugyfel.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/Users.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "masters/CodeTables.h"
#include "masters/Validation.h"
#include "masters/ui/CodeTablePickers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Ugyfel");

const QString kTable = QStringLiteral("ugyfel");

QLabel* caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QPushButton* smallButton(const QString& text, const QString& name, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    if (text == QLatin1String("..."))
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(text) + 20);
    return b;
}

} // namespace

Tfrm_Ugyfel::Tfrm_Ugyfel(Database& db, std::optional<qint64> key, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_dialogs(this, dialogs) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Ügyfél adatok szerkesztése"));

    QStringList streetTypes;
    try {
        if (key) {
            m_stored = loadCustomer(db, *key);
            if (m_stored)
                m_customer = *m_stored;
        }
        if (!m_stored)
            m_customer = newCustomerDefaults(db);
        streetTypes = db.fillItems(QStringLiteral("SELECT DISTINCT szla_kozterulet FROM ugyfel ORDER BY 1;"));
        streetTypes.removeAll(QString());
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
    m_fiztip = m_customer.fiztip;

    // The fields are made in the order Enter and Tab visit them.
    m_nev = lineEdit(QStringLiteral("ugyfel_nev"));
    QLineEdit* telefon = lineEdit(QStringLiteral("telefon"));
    QLineEdit* fax = lineEdit(QStringLiteral("fax"));
    QLineEdit* mobil = lineEdit(QStringLiteral("mobil"));
    QLineEdit* emil = lineEdit(QStringLiteral("emil"));
    m_kapcsolat = lineEdit(QStringLiteral("kapcsolat"));
    auto* copyName = smallButton(QStringLiteral("◄ név"), QStringLiteral("btnNevMasol"),
                                 QStringLiteral("Az ügyfél nevét másolja a kapcsolattartóba"), this);
    copyName->setFocusPolicy(Qt::ClickFocus);
    QLineEdit* kozadoszam = lineEdit(QStringLiteral("kozadoszam"));
    // Typed with the hyphens of a Hungarian account or the spaces of an IBAN;
    // the stored form, without them, is held to the field's width on saving.
    QLineEdit* bankszamla = lineEdit(QStringLiteral("bankszamla"), 42);
    QLineEdit* adoszam = lineEdit(QStringLiteral("adoszam"), 13);
    m_fiztipNev = new QLineEdit(this);
    m_fiztipNev->setObjectName(QStringLiteral("fiztip_nev"));
    m_fiztipNev->setReadOnly(true);
    m_fiztipNev->setFocusPolicy(Qt::NoFocus);
    m_fields.insert(QStringLiteral("fiztip"), m_fiztipNev);
    m_fiztipButton = smallButton(QStringLiteral("..."), QStringLiteral("btnFiztip"),
                                 QStringLiteral("Fizetési mód választása"), this);
    m_fiztipInfo = new QLabel(this);
    m_fiztipInfo->setObjectName(QStringLiteral("lblFiztipInfo"));
    QLineEdit* kedvezmeny = lineEdit(QStringLiteral("kedvezmeny"), 10);
    restrictTypedKeys(kedvezmeny, QStringLiteral(",."));
    QLineEdit* engedelyszam = lineEdit(QStringLiteral("engedelyszam"));
    QLineEdit* ugyfelkod = lineEdit(QStringLiteral("ugyfelkod"), 9);
    restrictTypedKeys(ugyfelkod, QString());
    m_vat = new QLineEdit(this);
    m_vat->setObjectName(QStringLiteral("vat"));
    m_vat->setReadOnly(true);
    m_vat->setFocusPolicy(Qt::NoFocus);
    m_fields.insert(QStringLiteral("vat"), m_vat);
    m_vatButton = smallButton(QStringLiteral("..."), QStringLiteral("btnVat"),
                              QStringLiteral("Devizanem választása"), this);
    m_afas = new QCheckBox(QStringLiteral("ÁFÁ-s"), this);
    m_afas->setObjectName(QStringLiteral("afas"));
    auto* nyelvBox = new QGroupBox(QStringLiteral("Nyelv"), this);
    nyelvBox->setObjectName(QStringLiteral("rgNyelv"));
    auto* nyelvLayout = new QHBoxLayout(nyelvBox);
    auto* nyelvGroup = new QButtonGroup(this);
    const QStringList languages{QStringLiteral("Magyar"), QStringLiteral("Angol"),
                                QStringLiteral("Más nyelv")};
    for (int i = 0; i < 3; ++i) {
        m_nyelv[i] = new QRadioButton(languages.at(i), nyelvBox);
        m_nyelv[i]->setObjectName(QStringLiteral("nyelv%1").arg(i));
        nyelvGroup->addButton(m_nyelv[i], i);
        nyelvLayout->addWidget(m_nyelv[i]);
    }
    nyelvLayout->addStretch();
    m_edi = new QCheckBox(QStringLiteral("EDI (EDI rendszerbe továbbított elektronikus számla használata)"),
                          this);
    m_edi->setObjectName(QStringLiteral("edi"));

    auto* copyAddress =
        smallButton(QStringLiteral("Számlázási cím másolása ide"), QStringLiteral("btnCimMasol"),
                    QStringLiteral("A számlázási cím minden részét a posta címbe másolja"), this);
    QWidget* billing =
        addressBlock(QStringLiteral("Számlázási cím"), QStringLiteral("szla_"), m_szla, streetTypes, nullptr);
    QWidget* postal =
        addressBlock(QStringLiteral("Posta cím"), QStringLiteral("cim_"), m_cim, streetTypes, copyAddress);

    // Upper part: the customer's data in two columns, row by row in the
    // order of the fields.
    auto* top = new QGridLayout;
    top->setHorizontalSpacing(8);
    int row = 0;
    const auto pair = [&](const QString& leftCaption, QWidget* left, QLayout* leftLayout,
                          const QString& rightCaption, QWidget* right, QLayout* rightLayout) {
        if (!leftCaption.isEmpty())
            top->addWidget(caption(leftCaption, left), row, 0);
        if (leftLayout)
            top->addLayout(leftLayout, row, 1);
        else if (left)
            top->addWidget(left, row, 1);
        if (!rightCaption.isEmpty())
            top->addWidget(caption(rightCaption, right), row, 2);
        if (rightLayout)
            top->addLayout(rightLayout, row, 3);
        else if (right)
            top->addWidget(right, row, 3);
        ++row;
    };
    top->addWidget(caption(QStringLiteral("Ügyfél"), m_nev), row, 0);
    top->addWidget(m_nev, row, 1, 1, 3);
    ++row;
    pair(QStringLiteral("telefon"), telefon, nullptr, QStringLiteral("fax"), fax, nullptr);
    pair(QStringLiteral("mobil"), mobil, nullptr, QStringLiteral("emil"), emil, nullptr);
    auto* contactRow = new QHBoxLayout;
    contactRow->addWidget(m_kapcsolat, 1);
    contactRow->addWidget(copyName);
    pair(QStringLiteral("kapcsolattartó"), m_kapcsolat, contactRow, QStringLiteral("közösségi adószám"),
         kozadoszam, nullptr);
    pair(QStringLiteral("bankszámlaszám"), bankszamla, nullptr, QStringLiteral("adószám"), adoszam, nullptr);
    auto* payRow = new QHBoxLayout;
    payRow->addWidget(m_fiztipNev, 1);
    payRow->addWidget(m_fiztipButton);
    pair(QStringLiteral("alapért. fizetési mód"), m_fiztipNev, payRow, QStringLiteral("kedvezmény %"),
         kedvezmeny, nullptr);
    auto* engedelyCaption = caption(QStringLiteral("engedélyszám"), engedelyszam);
    top->addWidget(m_fiztipInfo, row, 1);
    top->addWidget(engedelyCaption, row, 2);
    top->addWidget(engedelyszam, row, 3);
    ++row;
    auto* vatRow = new QHBoxLayout;
    vatRow->addWidget(m_vat, 1);
    vatRow->addWidget(m_vatButton);
    pair(QStringLiteral("ügyfélkód"), ugyfelkod, nullptr, QStringLiteral("devizanem"), m_vat, vatRow);
    auto* flags = new QVBoxLayout;
    flags->addWidget(m_afas);
    flags->addWidget(m_edi);
    top->addLayout(flags, row, 0, 1, 2);
    top->addWidget(nyelvBox, row, 2, 1, 2);
    top->setColumnStretch(1, 1);
    top->setColumnStretch(3, 1);

    auto* addresses = new QHBoxLayout;
    addresses->addWidget(billing, 1);
    addresses->addWidget(postal, 1);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_Ugyfel::ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(addresses);
    layout->addStretch();
    layout->addLayout(buttons.row);

    const bool licence = app().settings.vantermdij;
    engedelyCaption->setVisible(licence);
    engedelyszam->setVisible(licence);

    connect(copyName, &QPushButton::clicked, this, &Tfrm_Ugyfel::copyNameToContact);
    connect(copyAddress, &QPushButton::clicked, this, &Tfrm_Ugyfel::copyBillingToPostal);
    connect(m_fiztipButton, &QPushButton::clicked, this, &Tfrm_Ugyfel::choosePaymentMethod);
    connect(m_vatButton, &QPushButton::clicked, this, &Tfrm_Ugyfel::chooseCurrency);
    connect(m_szla.irsz, &QLineEdit::editingFinished, this, [this] { fillTown(m_szla, true); });
    connect(m_cim.irsz, &QLineEdit::editingFinished, this, [this] { fillTown(m_cim, true); });

    showCustomer(m_customer);
    resize(760, 0);
    setupWindow(this, kWindowName, false, true);
    m_nev->setFocus();
}

Tfrm_Ugyfel::~Tfrm_Ugyfel() = default;

QLineEdit* Tfrm_Ugyfel::lineEdit(const QString& field, int maxLength) {
    QLineEdit* e = fieldEdit(this, kTable, field, maxLength);
    m_fields.insert(field, e);
    return e;
}

QLineEdit* Tfrm_Ugyfel::edit(const QString& name) const {
    return qobject_cast<QLineEdit*>(m_fields.value(name));
}

QWidget* Tfrm_Ugyfel::addressBlock(const QString& title, const QString& prefix, AddressFields& f,
                                   const QStringList& streetTypes, QPushButton* extraButton) {
    auto* box = new QGroupBox(title, this);
    box->setObjectName(QStringLiteral("gb_") + prefix + QStringLiteral("cim"));
    if (extraButton)
        extraButton->setParent(box);
    f.irsz = lineEdit(prefix + QStringLiteral("irsz"));
    f.irsz->setParent(box);
    restrictTypedKeys(f.irsz, QStringLiteral("-ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz "));
    f.varos = lineEdit(prefix + QStringLiteral("varos"));
    f.cim = lineEdit(prefix + QStringLiteral("cim"));
    f.kozterulet = new QComboBox(box);
    f.kozterulet->setObjectName(prefix + QStringLiteral("kozterulet"));
    f.kozterulet->setEditable(true);
    f.kozterulet->setInsertPolicy(QComboBox::NoInsert);
    f.kozterulet->addItems(streetTypes);
    limitToField(f.kozterulet, kTable, prefix + QStringLiteral("kozterulet"));
    m_fields.insert(f.kozterulet->objectName(), f.kozterulet);
    f.kerulet = lineEdit(prefix + QStringLiteral("kerulet"));
    f.hazszam = lineEdit(prefix + QStringLiteral("hazszam"));
    f.epulet = lineEdit(prefix + QStringLiteral("epulet"));
    f.lepcsohaz = lineEdit(prefix + QStringLiteral("lepcsohaz"));
    f.szint = lineEdit(prefix + QStringLiteral("szint"));
    f.ajto = lineEdit(prefix + QStringLiteral("ajto"));
    f.irsz->setMaximumWidth(f.irsz->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);

    auto* g = new QGridLayout(box);
    g->setHorizontalSpacing(6);
    int row = 0;
    if (extraButton) {
        g->addWidget(extraButton, row, 0, 1, 4, Qt::AlignLeft);
        ++row;
    }
    g->addWidget(caption(QStringLiteral("Irsz."), f.irsz), row, 0);
    g->addWidget(f.irsz, row, 1);
    g->addWidget(caption(QStringLiteral("Település"), f.varos), row, 2);
    g->addWidget(f.varos, row, 3);
    ++row;
    g->addWidget(caption(QStringLiteral("Közterület"), f.cim), row, 0);
    g->addWidget(f.cim, row, 1, 1, 3);
    ++row;
    g->addWidget(caption(QStringLiteral("Közterület jellege"), f.kozterulet), row, 0, 1, 2);
    g->addWidget(f.kozterulet, row, 2, 1, 2);
    ++row;
    g->addWidget(caption(QStringLiteral("Kerület"), f.kerulet), row, 0);
    g->addWidget(f.kerulet, row, 1);
    g->addWidget(caption(QStringLiteral("Házszám"), f.hazszam), row, 2);
    g->addWidget(f.hazszam, row, 3);
    ++row;
    g->addWidget(caption(QStringLiteral("Épület"), f.epulet), row, 0);
    g->addWidget(f.epulet, row, 1);
    g->addWidget(caption(QStringLiteral("Lépcsőház"), f.lepcsohaz), row, 2);
    g->addWidget(f.lepcsohaz, row, 3);
    ++row;
    g->addWidget(caption(QStringLiteral("Szint"), f.szint), row, 0);
    g->addWidget(f.szint, row, 1);
    g->addWidget(caption(QStringLiteral("Ajtó"), f.ajto), row, 2);
    g->addWidget(f.ajto, row, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 2);
    for (QWidget* w :
         {static_cast<QWidget*>(f.varos), static_cast<QWidget*>(f.cim), static_cast<QWidget*>(f.kerulet),
          static_cast<QWidget*>(f.hazszam), static_cast<QWidget*>(f.epulet),
          static_cast<QWidget*>(f.lepcsohaz), static_cast<QWidget*>(f.szint), static_cast<QWidget*>(f.ajto)})
        w->setParent(box);
    return box;
}

void Tfrm_Ugyfel::showAddress(const AddressFields& f, const Address& a) {
    f.irsz->setText(a.irsz);
    f.varos->setText(a.varos);
    f.cim->setText(a.cim);
    f.kozterulet->setCurrentText(a.kozterulet);
    f.kerulet->setText(a.kerulet);
    f.hazszam->setText(a.hazszam);
    f.epulet->setText(a.epulet);
    f.lepcsohaz->setText(a.lepcsohaz);
    f.szint->setText(a.szint);
    f.ajto->setText(a.ajto);
}

Address Tfrm_Ugyfel::readAddress(const AddressFields& f) const {
    return {f.irsz->text(),    f.varos->text(),   f.cim->text(),    f.kozterulet->currentText(),
            f.kerulet->text(), f.hazszam->text(), f.epulet->text(), f.lepcsohaz->text(),
            f.szint->text(),   f.ajto->text()};
}

void Tfrm_Ugyfel::showCustomer(const Customer& c) {
    m_nev->setText(c.ugyfel_nev);
    m_kapcsolat->setText(c.kapcsolat);
    edit(QStringLiteral("telefon"))->setText(c.telefon);
    edit(QStringLiteral("fax"))->setText(c.fax);
    edit(QStringLiteral("mobil"))->setText(c.mobil);
    edit(QStringLiteral("emil"))->setText(c.emil);
    edit(QStringLiteral("adoszam"))->setText(formatTaxNumber(c.adoszam));
    edit(QStringLiteral("kozadoszam"))->setText(c.kozadoszam);
    edit(QStringLiteral("bankszamla"))->setText(formatBankAccount(c.bankszamla));
    edit(QStringLiteral("kedvezmeny"))->setText(formatFloat(QString(), c.kedvezmeny));
    edit(QStringLiteral("engedelyszam"))->setText(c.engedelyszam);
    edit(QStringLiteral("ugyfelkod"))->setText(QString::number(c.ugyfelkod));
    m_vat->setText(c.vat);
    m_afas->setChecked(c.afas);
    m_nyelv[c.nyelv >= 0 && c.nyelv <= 2 ? c.nyelv : 0]->setChecked(true);
    m_edi->setChecked(c.edi);
    showAddress(m_szla, c.szla);
    showAddress(m_cim, c.cim);
    m_fiztip = c.fiztip;
    showPaymentMethod();
}

void Tfrm_Ugyfel::showPaymentMethod() {
    QString name;
    QString info;
    try {
        QSqlQuery q = m_db.select(
            QStringLiteral("SELECT fiztip_nev, fizhat, fizetve FROM fiztip WHERE fiztip=?;"), {m_fiztip});
        if (q.next()) {
            name = q.value(0).toString().trimmed();
            info = isYes(q.value(2).toString().trimmed())
                       ? QStringLiteral("azonnali fizetés")
                       : QStringLiteral("fizetési határidő: %1 nap").arg(varInt(q.value(1)));
        }
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
    m_fiztipNev->setText(name);
    m_fiztipInfo->setText(info);
}

Customer Tfrm_Ugyfel::enteredCustomer() const {
    Customer c = m_customer;
    c.ugyfel_nev = m_nev->text();
    c.kapcsolat = m_kapcsolat->text();
    c.telefon = edit(QStringLiteral("telefon"))->text();
    c.fax = edit(QStringLiteral("fax"))->text();
    c.mobil = edit(QStringLiteral("mobil"))->text();
    c.emil = edit(QStringLiteral("emil"))->text();
    c.adoszam = edit(QStringLiteral("adoszam"))->text();
    c.kozadoszam = edit(QStringLiteral("kozadoszam"))->text();
    c.bankszamla = edit(QStringLiteral("bankszamla"))->text();
    c.engedelyszam = edit(QStringLiteral("engedelyszam"))->text();
    c.vat = m_vat->text();
    c.afas = m_afas->isChecked();
    c.nyelv = m_nyelv[1]->isChecked() ? 1 : m_nyelv[2]->isChecked() ? 2 : 0;
    c.edi = m_edi->isChecked();
    c.szla = readAddress(m_szla);
    c.cim = readAddress(m_cim);
    c.fiztip = m_fiztip;
    return c;
}

void Tfrm_Ugyfel::ok() {
    Customer c = enteredCustomer();
    const QString discount = edit(QStringLiteral("kedvezmeny"))->text().trimmed();
    const std::optional<double> kedvezmeny = discount.isEmpty() ? 0.0 : tryParseNumber(discount);
    if (!kedvezmeny) {
        m_dialogs->error(kBadInputMessage + QStringLiteral("\nA kedvezmény % mezőbe számot írjon!"));
        field(QStringLiteral("kedvezmeny"))->setFocus();
        return;
    }
    c.kedvezmeny = *kedvezmeny;
    c.ugyfelkod = parseInt(edit(QStringLiteral("ugyfelkod"))->text());

    const SaveResult result = saveCustomer(m_db, *m_dialogs, c, m_stored);
    if (!result.saved) {
        if (QWidget* w = field(result.focusField))
            w->setFocus();
        return;
    }
    m_customer = c;
    accept();
}

void Tfrm_Ugyfel::fillTown(const AddressFields& f, bool withDistrict) {
    try {
        const std::optional<TownFill> fill = fillTownFromPostcode(m_db, f.irsz->text(), f.varos->text(),
                                                                  app().settings.alapvaros, withDistrict);
        if (!fill)
            return;
        f.varos->setText(fill->town);
        if (!fill->district.isEmpty())
            f.kerulet->setText(fill->district);
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
}

void Tfrm_Ugyfel::copyBillingToPostal() {
    showAddress(m_cim, readAddress(m_szla));
    m_cim.irsz->setFocus();
}

void Tfrm_Ugyfel::copyNameToContact() {
    m_kapcsolat->setText(m_nev->text().left(m_kapcsolat->maxLength()));
    m_kapcsolat->setFocus();
}

void Tfrm_Ugyfel::choosePaymentMethod() {
    if (const std::optional<qint64> chosen = pickPaymentMethod(this, m_db, m_fiztip)) {
        m_fiztip = *chosen;
        showPaymentMethod();
    }
    m_vatButton->setFocus();
}

void Tfrm_Ugyfel::chooseCurrency() {
    if (const std::optional<QString> chosen = pickCurrency(this, m_db, m_vat->text());
        chosen && !chosen->isEmpty())
        m_vat->setText(*chosen);
    m_afas->setFocus();
}

std::optional<qint64> editCustomer(QWidget* parent, Database& db, std::optional<qint64> key) {
    Tfrm_Ugyfel window(db, key, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.savedKey();
}

bool softDeleteCustomer(QWidget* parent, Database& db, qint64 key) {
    QtDialogs dialogs(parent);
    return orvix::softDeleteCustomer(db, dialogs, key, kDeleteRowQuestion);
}

} // namespace orvix::ui
