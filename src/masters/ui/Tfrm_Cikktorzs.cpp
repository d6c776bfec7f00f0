#include "masters/ui/Tfrm_Cikktorzs.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/Users.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "masters/ui/CodeTablePickers.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Cikktorzs");

const QString kTable = QStringLiteral("cikkszam");

// A price or rate as the fields show it: decimal comma, at most four
// decimals shown (the value itself stays unrounded).
QString numberText(double value) {
    return formatFloat(QStringLiteral("0.####"), value);
}

QLabel* caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QPushButton* chooseButton(const QString& name, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::ClickFocus);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 20);
    return b;
}

} // namespace

Tfrm_Cikktorzs::Tfrm_Cikktorzs(Database& db, const std::optional<QString>& code, QWidget* parent,
                               Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_dialogs(this, dialogs) {
    try {
        if (code)
            m_stored = loadProduct(db, *code);
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
    m_product = m_stored ? *m_stored : newProductDefaults(app().settings);
    build();
}

Tfrm_Cikktorzs::Tfrm_Cikktorzs(Database& db, const Product& newProduct, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_dialogs(this, dialogs), m_product(newProduct) {
    build();
}

Tfrm_Cikktorzs::~Tfrm_Cikktorzs() = default;

QLineEdit* Tfrm_Cikktorzs::lineEdit(const QString& field, int maxLength) {
    QLineEdit* e = fieldEdit(this, kTable, field, maxLength);
    m_fields.insert(field, e);
    return e;
}

QComboBox* Tfrm_Cikktorzs::codeCombo(const QString& field) {
    auto* box = new QComboBox(this);
    box->setObjectName(field);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    limitToField(box, kTable, field);
    try {
        for (const QString& item :
             m_db.fillItems(QStringLiteral("SELECT %1 FROM %1 ORDER BY %1;").arg(field))) {
            if (!item.trimmed().isEmpty())
                box->addItem(item.trimmed());
        }
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
    box->installEventFilter(this);
    m_fields.insert(field, box);
    return box;
}

QLineEdit* Tfrm_Cikktorzs::edit(const QString& name) const {
    return qobject_cast<QLineEdit*>(m_fields.value(name));
}

QComboBox* Tfrm_Cikktorzs::combo(const QString& name) const {
    return qobject_cast<QComboBox*>(m_fields.value(name));
}

void Tfrm_Cikktorzs::build() {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Cikktörzs"));
    const Settings& settings = app().settings;
    m_grossBased = !settings.alapnetto;

    // The fields are made in the order Enter and Tab visit them.
    m_code = lineEdit(QStringLiteral("cikkszam"));
    m_code->setReadOnly(!isNew());
    connect(m_code, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int pos = m_code->cursorPosition();
        m_code->setText(text.toUpper());
        m_code->setCursorPosition(pos);
    });
    QLineEdit* nev = lineEdit(QStringLiteral("cikkszam_nev"));
    QLineEdit* nev2 = lineEdit(QStringLiteral("cikkszam_nev2"));
    QComboBox* szarmazas = codeCombo(QStringLiteral("szarmazas"));
    QPushButton* szarmazasButton =
        chooseButton(QStringLiteral("btnSzarmazas"), QStringLiteral("Származás választása"), this);
    QComboBox* kategoria = codeCombo(QStringLiteral("kategoria"));
    QPushButton* kategoriaButton =
        chooseButton(QStringLiteral("btnKategoria"), QStringLiteral("Termék kategória választása"), this);
    QComboBox* mert = codeCombo(QStringLiteral("mert"));
    QPushButton* mertButton =
        chooseButton(QStringLiteral("btnMert"), QStringLiteral("Mértékegység választása"), this);
    auto* note =
        new QLabel(QStringLiteral("Ha a mértékegységet üresen hagyja, akkor a számlán nem fog megjelenni a "
                                  "mennyiség, és egységár sem."),
                   this);
    note->setObjectName(QStringLiteral("lblMertMegjegyzes"));
    note->setWordWrap(true);
    m_megjegyzes = new QPlainTextEdit(this);
    m_megjegyzes->setObjectName(QStringLiteral("megjegyzes"));
    limitToField(m_megjegyzes, kTable, QStringLiteral("megjegyzes"));
    m_megjegyzes->setTabChangesFocus(true);
    m_megjegyzes->setFixedHeight(m_megjegyzes->fontMetrics().lineSpacing() * 3 + 12);
    m_fields.insert(QStringLiteral("megjegyzes"), m_megjegyzes);

    QLineEdit* netto = lineEdit(QStringLiteral("netto"), 20);
    m_rate = new QComboBox(this);
    m_rate->setObjectName(QStringLiteral("afakulcs"));
    m_rate->setEditable(true);
    m_rate->setInsertPolicy(QComboBox::NoInsert);
    m_rate->lineEdit()->setMaxLength(8);
    restrictTypedKeys(m_rate->lineEdit(), QStringLiteral(",."));
    m_fields.insert(QStringLiteral("afakulcs"), m_rate);
    QLineEdit* afa = lineEdit(QStringLiteral("afa"), 20);
    QLineEdit* brutto = lineEdit(QStringLiteral("brutto"), 20);
    for (QLineEdit* price : {netto, brutto})
        restrictTypedKeys(price, QStringLiteral(",.-"));
    QLineEdit* vtsz = lineEdit(QStringLiteral("vtsz"));
    QPushButton* vtszButton =
        chooseButton(QStringLiteral("btnVtsz"), QStringLiteral("VTSZ / SZJ választása"), this);
    QLineEdit* gariido = lineEdit(QStringLiteral("gariido"));
    QLineEdit* ean = lineEdit(QStringLiteral("ean"));
    auto* eanButton = new QPushButton(QStringLiteral("◄ cikkszám"), this);
    eanButton->setObjectName(QStringLiteral("btnEan"));
    eanButton->setToolTip(QStringLiteral("A cikkszámot másolja ide"));
    eanButton->setAutoDefault(false);
    eanButton->setFocusPolicy(Qt::ClickFocus);

    m_tm = new QCheckBox(QStringLiteral("Adómentes\n(AAM 85§, AAM 86§ Rendszer/beállítások)"), this);
    m_tm->setObjectName(QStringLiteral("tm"));
    m_kozv = new QCheckBox(QStringLiteral("Közvetített szolgáltatás"), this);
    m_kozv->setObjectName(QStringLiteral("kozv_szolgaltatas"));
    m_neta = new QCheckBox(QStringLiteral("NETA"), this);
    m_neta->setObjectName(QStringLiteral("neta"));
    auto* schemeBox = new QGroupBox(QStringLiteral("Különbözet szerinti szabályozás"), this);
    schemeBox->setObjectName(QStringLiteral("kulonb_szer_szab"));
    auto* schemeLayout = new QGridLayout(schemeBox);
    auto* schemeGroup = new QButtonGroup(this);
    const QStringList schemes = marginSchemeNames();
    for (int i = 0; i < 5; ++i) {
        m_scheme[i] = new QRadioButton(schemes.at(i), schemeBox);
        m_scheme[i]->setObjectName(QStringLiteral("kulonb_szer_szab%1").arg(i));
        schemeGroup->addButton(m_scheme[i], i);
        schemeLayout->addWidget(m_scheme[i], i % 3, i / 3);
    }
    m_fields.insert(QStringLiteral("kulonb_szer_szab"), m_scheme[0]);

    // The entered price is editable, the other two are shown only and
    // skipped by Tab and Enter.
    for (QLineEdit* shown : m_grossBased ? QList<QLineEdit*>{netto, afa} : QList<QLineEdit*>{afa, brutto}) {
        shown->setReadOnly(true);
        shown->setFocusPolicy(Qt::NoFocus);
        QPalette pal = shown->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        shown->setPalette(pal);
    }

    // Layout: two columns of captions and fields.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    int row = 0;
    const auto withButton = [](QWidget* w, QPushButton* b) {
        auto* h = new QHBoxLayout;
        h->setSpacing(2);
        h->addWidget(w, 1);
        h->addWidget(b);
        return h;
    };
    grid->addWidget(caption(QStringLiteral("cikkszám"), m_code), row, 0);
    grid->addWidget(m_code, row, 1);
    ++row;
    grid->addWidget(caption(QStringLiteral("megnevezés"), nev), row, 0);
    grid->addWidget(nev, row, 1, 1, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("megnevezés második sora"), nev2), row, 0);
    grid->addWidget(nev2, row, 1, 1, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("származás"), szarmazas), row, 0);
    grid->addLayout(withButton(szarmazas, szarmazasButton), row, 1);
    grid->addWidget(caption(QStringLiteral("kategória"), kategoria), row, 2);
    grid->addLayout(withButton(kategoria, kategoriaButton), row, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("mértékegység"), mert), row, 0);
    grid->addLayout(withButton(mert, mertButton), row, 1);
    grid->addWidget(note, row, 2, 1, 2);
    ++row;
    grid->addWidget(caption(QStringLiteral("megjegyzés"), m_megjegyzes), row, 0, Qt::AlignTop);
    grid->addWidget(m_megjegyzes, row, 1, 1, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("nettó"), netto), row, 0);
    grid->addWidget(netto, row, 1);
    grid->addWidget(caption(QStringLiteral("áfakulcs"), m_rate), row, 2);
    grid->addWidget(m_rate, row, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("áfa"), afa), row, 0);
    grid->addWidget(afa, row, 1);
    grid->addWidget(caption(QStringLiteral("bruttó"), brutto), row, 2);
    grid->addWidget(brutto, row, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("vtsz"), vtsz), row, 0);
    grid->addLayout(withButton(vtsz, vtszButton), row, 1);
    auto* gariCaption = caption(QStringLiteral("garanciaidő"), gariido);
    grid->addWidget(gariCaption, row, 2);
    grid->addWidget(gariido, row, 3);
    ++row;
    grid->addWidget(caption(QStringLiteral("EAN, vagy termékszám"), ean), row, 0);
    grid->addLayout(withButton(ean, eanButton), row, 1);
    ++row;
    auto* flags = new QVBoxLayout;
    flags->addWidget(m_tm);
    flags->addWidget(m_kozv);
    flags->addWidget(m_neta);
    flags->addStretch();
    grid->addLayout(flags, row, 0, 1, 2);
    grid->addWidget(schemeBox, row, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_cancel = buttons.cancel;
    connect(buttons.ok, &QPushButton::clicked, this, &Tfrm_Cikktorzs::ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons.row);

    const bool warranty = settings.vangari;
    gariCaption->setVisible(warranty);
    gariido->setVisible(warranty);

    // The VAT rates offered: the usable rates of the settings, the default
    // rate and the product's own.
    QList<double> rates;
    const auto offer = [&rates](double r) {
        if (!rates.contains(r))
            rates << r;
    };
    if (settings.vanafa0)
        offer(settings.afa0);
    if (settings.vanafa1)
        offer(settings.afa1);
    if (settings.vanafa2)
        offer(settings.afa2);
    offer(settings.alapafakulcs);
    offer(m_product.afakulcs);
    std::sort(rates.begin(), rates.end());
    for (double r : rates)
        m_rate->addItem(numberText(r));

    connect(m_grossBased ? brutto : netto, &QLineEdit::editingFinished, this, &Tfrm_Cikktorzs::recompute);
    if (!m_grossBased)
        connect(gariido, &QLineEdit::editingFinished, this, &Tfrm_Cikktorzs::recompute);
    connect(m_rate->lineEdit(), &QLineEdit::editingFinished, this, &Tfrm_Cikktorzs::recompute);
    connect(m_rate, &QComboBox::activated, this, &Tfrm_Cikktorzs::recompute);
    connect(szarmazasButton, &QPushButton::clicked, this,
            [this, szarmazas] { chooseCode(szarmazas, QStringLiteral("szarmazas")); });
    connect(kategoriaButton, &QPushButton::clicked, this,
            [this, kategoria] { chooseCode(kategoria, QStringLiteral("kategoria")); });
    connect(mertButton, &QPushButton::clicked, this,
            [this, mert] { chooseCode(mert, QStringLiteral("mert")); });
    connect(vtszButton, &QPushButton::clicked, this, &Tfrm_Cikktorzs::chooseVtsz);
    connect(eanButton, &QPushButton::clicked, this, [this, ean] {
        ean->setText(m_code->text().left(ean->maxLength()));
        ean->setFocus();
    });

    showProduct(m_product);
    resize(720, 0);
    setupWindow(this, kWindowName, false, true);
    (isNew() ? static_cast<QWidget*>(m_code) : nev)->setFocus();
}

void Tfrm_Cikktorzs::showProduct(const Product& p) {
    // A new advance item brings its category and unit, which its save adds
    // to their tables when missing: they are offered as valid choices.
    if (isNew() && p.eloleg) {
        for (const auto& [field, value] : {std::pair{QStringLiteral("kategoria"), p.kategoria},
                                           std::pair{QStringLiteral("mert"), p.mert}}) {
            QComboBox* box = combo(field);
            if (!value.isEmpty() && box->findText(value, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
                box->addItem(value);
        }
    }
    m_code->setText(p.cikkszam);
    edit(QStringLiteral("cikkszam_nev"))->setText(p.cikkszam_nev);
    edit(QStringLiteral("cikkszam_nev2"))->setText(p.cikkszam_nev2);
    combo(QStringLiteral("szarmazas"))->setCurrentText(p.szarmazas);
    combo(QStringLiteral("kategoria"))->setCurrentText(p.kategoria);
    combo(QStringLiteral("mert"))->setCurrentText(p.mert);
    m_megjegyzes->setPlainText(p.megjegyzes);
    m_rate->setCurrentText(numberText(p.afakulcs));
    edit(QStringLiteral("vtsz"))->setText(p.vtsz);
    edit(QStringLiteral("gariido"))->setText(p.gariido);
    edit(QStringLiteral("ean"))->setText(p.ean);
    m_tm->setChecked(p.tm);
    m_kozv->setChecked(p.kozv_szolgaltatas);
    m_neta->setChecked(p.neta);
    m_scheme[std::clamp(p.kulonb_szer_szab, 0, 4)]->setChecked(true);
    m_netto = p.netto;
    m_afa = p.afa;
    m_brutto = p.brutto;
    showPrices();
}

void Tfrm_Cikktorzs::showPrices() {
    edit(QStringLiteral("netto"))->setText(numberText(m_netto));
    edit(QStringLiteral("afa"))->setText(numberText(m_afa));
    edit(QStringLiteral("brutto"))->setText(numberText(m_brutto));
}

void Tfrm_Cikktorzs::recompute() {
    QLineEdit* entered = edit(m_grossBased ? QStringLiteral("brutto") : QStringLiteral("netto"));
    // A price shown rounded and not touched keeps its exact value.
    if (entered->isModified()) {
        const QString typed = entered->text().trimmed();
        const double value = typed.isEmpty() ? 0.0 : parseNumber(typed);
        (m_grossBased ? m_brutto : m_netto) = value;
    }
    const std::optional<double> rate = tryParseNumber(m_rate->currentText());
    if (rate) {
        const Prices p = m_grossBased ? pricesFromGross(m_brutto, *rate) : pricesFromNet(m_netto, *rate);
        m_netto = p.netto;
        m_afa = p.afa;
        m_brutto = p.brutto;
    }
    showPrices();
}

Product Tfrm_Cikktorzs::enteredProduct() {
    recompute();
    Product p = m_product;
    p.cikkszam = m_code->text();
    p.cikkszam_nev = edit(QStringLiteral("cikkszam_nev"))->text();
    p.cikkszam_nev2 = edit(QStringLiteral("cikkszam_nev2"))->text();
    p.szarmazas = combo(QStringLiteral("szarmazas"))->currentText().trimmed();
    p.kategoria = combo(QStringLiteral("kategoria"))->currentText().trimmed();
    p.mert = combo(QStringLiteral("mert"))->currentText().trimmed();
    p.megjegyzes = m_megjegyzes->toPlainText();
    p.afakulcs = tryParseNumber(m_rate->currentText()).value_or(-1);
    p.netto = m_netto;
    p.afa = m_afa;
    p.brutto = m_brutto;
    p.vtsz = edit(QStringLiteral("vtsz"))->text();
    p.gariido = edit(QStringLiteral("gariido"))->text();
    p.ean = edit(QStringLiteral("ean"))->text();
    p.tm = m_tm->isChecked();
    p.kozv_szolgaltatas = m_kozv->isChecked();
    p.neta = m_neta->isChecked();
    for (int i = 0; i < 5; ++i) {
        if (m_scheme[i]->isChecked())
            p.kulonb_szer_szab = i;
    }
    return p;
}

void Tfrm_Cikktorzs::ok() {
    Product p = enteredProduct();
    const SaveResult result = saveProduct(m_db, *m_dialogs, p, m_stored, m_grossBased);
    if (!result.saved) {
        if (QWidget* w = field(result.focusField))
            w->setFocus();
        return;
    }
    m_product = p;
    m_savedCode = p.cikkszam;
    accept();
}

bool Tfrm_Cikktorzs::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<QComboBox*>(watched);
        if (box && box->isEditable() && m_fields.value(box->objectName()) == box) {
            // Checked once the focus has arrived where it goes: not when the
            // window is being left with "Mégsem" or a list's choose button.
            QPointer<QComboBox> guard(box);
            QTimer::singleShot(0, this, [this, guard] {
                if (guard)
                    checkCodeCombo(guard);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_Cikktorzs::checkCodeCombo(QComboBox* box) {
    if (m_checkingCombo || !isVisible() || result() != 0)
        return;
    QWidget* focus = QApplication::focusWidget();
    if (focus == box || (focus && focus->parentWidget() == box) || focus == m_cancel)
        return;
    if (auto* button = qobject_cast<QPushButton*>(focus); button && button->text() == QLatin1String("..."))
        return;
    const QString text = box->currentText().trimmed();
    if (text.isEmpty() || box->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0)
        return;
    // A value that older data holds and that was left as it was passes.
    const QString field = box->objectName();
    if (m_stored && text == (field == QLatin1String("szarmazas")   ? m_stored->szarmazas
                             : field == QLatin1String("kategoria") ? m_stored->kategoria
                                                                   : m_stored->mert))
        return;
    m_checkingCombo = true;
    m_dialogs->error(kInvalidDataMessage);
    box->setFocus();
    m_checkingCombo = false;
}

void Tfrm_Cikktorzs::chooseCode(QComboBox* box, const QString& table) {
    if (const std::optional<QString> chosen = pickProductCode(this, m_db, table, box->currentText());
        chosen && !chosen->isEmpty()) {
        if (box->findText(*chosen) < 0)
            box->addItem(*chosen);
        box->setCurrentText(*chosen);
    }
    box->setFocus();
}

void Tfrm_Cikktorzs::chooseVtsz() {
    QLineEdit* vtsz = edit(QStringLiteral("vtsz"));
    if (const std::optional<QString> chosen =
            pickProductCode(this, m_db, QStringLiteral("vtsz"), vtsz->text());
        chosen && !chosen->isEmpty())
        vtsz->setText(chosen->left(vtsz->maxLength()));
    vtsz->setFocus();
}

std::optional<QString> editProduct(QWidget* parent, Database& db, const std::optional<QString>& code) {
    Tfrm_Cikktorzs window(db, code, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.savedCode();
}

bool softDeleteProduct(QWidget* parent, Database& db, const QString& code) {
    QtDialogs dialogs(parent);
    return orvix::softDeleteProduct(db, dialogs, code, kDeleteRowQuestion);
}

} // namespace orvix::ui
