#include "masters/ui/Tfrm_Tulajdonos.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Rights.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace orvix::ui {

namespace {
const QString kWindowName = QStringLiteral("Tfrm_Tulajdonos");

// The shown form of a stored masked value, so that the mask places every digit.
QString maskedText(const QString& field, const QString& stored) {
    if (field == QLatin1String("adoszam"))
        return formatTaxNumber(stored);
    if (field == QLatin1String("bankszamlaszam")) {
        const QString digits = digitsOnly(stored);
        QStringList blocks;
        for (int i = 0; i < digits.size(); i += 8)
            blocks << digits.mid(i, 8);
        return blocks.join(QLatin1Char('-'));
    }
    return stored;
}
// How many characters a field shows: enough for what it usually holds, so
// that the longest line (the address parts) stays narrow.
int shownChars(const IssuerField& f) {
    static const QHash<QString, int> chars{
        {QStringLiteral("telefon"), 18},      {QStringLiteral("mobil"), 18},
        {QStringLiteral("fax"), 18},          {QStringLiteral("irsz"), 6},
        {QStringLiteral("varos"), 24},        {QStringLiteral("kerulet"), 8},
        {QStringLiteral("cim"), 24},          {QStringLiteral("kozterulet"), 12},
        {QStringLiteral("hazszam"), 7},       {QStringLiteral("epulet"), 7},
        {QStringLiteral("lepcsohaz"), 7},     {QStringLiteral("szint"), 7},
        {QStringLiteral("ajto"), 7},          {QStringLiteral("kozadoszam"), 16},
        {QStringLiteral("vallig"), 24},       {QStringLiteral("vallignev"), 30},
        {QStringLiteral("engedelyszam"), 20}, {QStringLiteral("iban"), 34},
        {QStringLiteral("swift"), 14}};
    if (!f.inputMask.isEmpty())
        return int(f.inputMask.indexOf(QLatin1Char(';'))) + 1;
    return chars.value(f.field, 40);
}

} // namespace

Tfrm_Tulajdonos::Tfrm_Tulajdonos(Database& db, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Tulajdonos adatai"));
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;
    try {
        m_stored = loadIssuer(db);
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }

    auto* layout = new QVBoxLayout(this);
    const int charWidth = fontMetrics().averageCharWidth();
    QHBoxLayout* line = nullptr;
    int lineNo = -1;
    QWidget* previous = nullptr;
    for (const IssuerField& f : issuerFields()) {
        if (f.line != lineNo) {
            if (line)
                line->addStretch();
            line = new QHBoxLayout;
            layout->addLayout(line);
            lineNo = f.line;
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("e") + f.field);
        const QString value = m_stored.value(f.field);
        if (!f.inputMask.isEmpty() && fitsIssuerMask(f, value)) {
            edit->setInputMask(f.inputMask);
            edit->setText(maskedText(f.field, value));
        } else {
            // Older data longer than the field are shown whole.
            if (limitToField(edit, QStringLiteral("tulajdonos"), f.field) > 0)
                edit->setMaxLength(std::max(edit->maxLength(), int(value.size())));
            edit->setText(value);
        }
        if (f.field == QLatin1String("tulajdonos"))
            edit->setMinimumWidth(shownChars(f) * charWidth + 16);
        else if (!f.inputMask.isEmpty()) // digits are wider than the average letter
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(f.inputMask.section(QLatin1Char(';'), 0, 0)) + 20);
        else
            edit->setFixedWidth(shownChars(f) * charWidth + 16);

        auto* column = new QVBoxLayout;
        column->setSpacing(1);
        auto* label = new QLabel(f.caption, this);
        label->setBuddy(edit);
        column->addWidget(label);
        column->addWidget(edit);
        line->addLayout(column, f.field == QLatin1String("tulajdonos") ? 1 : 0);
        m_edits.insert(f.field, edit);
        if (previous)
            setTabOrder(previous, edit);
        previous = edit;
    }
    if (line)
        line->addStretch();

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_Tulajdonos::ok);
    layout->addSpacing(6);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (previous)
        setTabOrder(previous, m_ok);

    m_edits.value(QStringLiteral("tulajdonos"))->setFocus();
    setupWindow(this, kWindowName, false, true);
}

Tfrm_Tulajdonos::~Tfrm_Tulajdonos() = default;

QMap<QString, QString> Tfrm_Tulajdonos::values() const {
    QMap<QString, QString> out;
    for (auto it = m_edits.cbegin(); it != m_edits.cend(); ++it)
        out.insert(it.key(), it.value()->text());
    return out;
}

void Tfrm_Tulajdonos::ok() {
    if (!saveIssuer(m_db, *m_dialogs, m_stored, values()))
        return; // the window stays open for a correction
    accept();
}

void openIssuerWindow(QWidget* parent, Database& db) {
    QtDialogs dialogs(parent);
    if (!checkRight(app().user, Right::Administrator, dialogs))
        return;
    Tfrm_Tulajdonos window(db, parent);
    window.exec();
}

} // namespace orvix::ui
