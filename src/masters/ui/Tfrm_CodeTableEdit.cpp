#include "masters/ui/Tfrm_CodeTableEdit.h"

#include "common/Database.h"
#include "core/TextUtil.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "masters/ui/Tfrm_CodeTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

QString widgetName(const QString& field) {
    return QStringLiteral("e") + field;
}

QString initialText(const EditFieldDesc& f, const QVariant& value) {
    if (f.kind == FieldKind::Integer || f.kind == FieldKind::Float)
        return columnText(f.kind, value);
    return varText(value).trimmed();
}

} // namespace

Tfrm_CodeTableEdit::Tfrm_CodeTableEdit(Database& db, const CodeTableDesc& desc, const CodeTableRow& row,
                                       const CodeTableRow* stored, QWidget* parent, Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_desc(desc), m_row(row) {
    if (stored)
        m_stored = *stored;
    setObjectName(desc.editWindowName);
    setWindowTitle(desc.editCaption);
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;

    auto* form = new QFormLayout;
    QWidget* first = nullptr;
    for (const EditFieldDesc& f : desc.fields) {
        const QVariant value = row.value(f.field);
        QWidget* widget = nullptr;
        switch (f.kind) {
        case FieldKind::Text:
        case FieldKind::Integer:
        case FieldKind::Float: {
            auto* edit = new QLineEdit(this);
            const QString text = initialText(f, value);
            if (f.kind == FieldKind::Text) {
                // Older data longer than the field are shown whole.
                const int width = limitToField(edit, desc.table, f.field);
                if (width > 0)
                    edit->setMaxLength(std::max(width, int(text.size())));
                edit->setMinimumWidth(std::clamp(width, 4, 40) * edit->fontMetrics().averageCharWidth() + 12);
                if (f.upperCase)
                    connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
                        const int caret = edit->cursorPosition();
                        edit->setText(text.toUpper());
                        edit->setCursorPosition(caret);
                    });
            } else {
                restrictTypedKeys(edit,
                                  f.kind == FieldKind::Float ? QStringLiteral(",.-") : QStringLiteral("-"));
                edit->setAlignment(Qt::AlignRight);
                edit->setMaximumWidth(edit->fontMetrics().averageCharWidth() * 12 + 12);
            }
            edit->setText(text);
            if (stored && f.readOnlyWhenEditing) {
                edit->setReadOnly(true);
                edit->setFocusPolicy(Qt::NoFocus);
            }
            form->addRow(f.label, edit);
            widget = edit;
            break;
        }
        case FieldKind::Flag: {
            auto* box = new QCheckBox(f.label, this);
            box->setChecked(isYes(varText(value).trimmed()));
            form->addRow(QString(), box);
            widget = box;
            break;
        }
        case FieldKind::CashDesk: {
            auto* name = new QLineEdit(this);
            name->setReadOnly(true);
            name->setFocusPolicy(Qt::NoFocus);
            m_cashDeskButton = new QToolButton(this);
            m_cashDeskButton->setObjectName(QStringLiteral("btnKassza"));
            m_cashDeskButton->setText(QStringLiteral("..."));
            m_cashDeskButton->setToolTip(QStringLiteral("Kassza választása"));
            connect(m_cashDeskButton, &QToolButton::clicked, this, &Tfrm_CodeTableEdit::chooseDesk);
            auto* line = new QHBoxLayout;
            line->addWidget(name, 1);
            line->addWidget(m_cashDeskButton);
            form->addRow(f.label, line);
            widget = name;
            m_widgets.insert(f.field, name);
            showDesk(varInt(value, 0));
            break;
        }
        case FieldKind::Direction: {
            auto* combo = new QComboBox(this);
            combo->addItem(QStringLiteral("Bevétel"), 1);
            combo->addItem(QStringLiteral("Kiadás"), -1);
            combo->setCurrentIndex(varInt(value, 1) < 0 ? 1 : 0);
            form->addRow(f.label, combo);
            widget = combo;
            break;
        }
        case FieldKind::Currency: {
            auto* combo = new QComboBox(this);
            QStringList codes;
            try {
                codes = currencyCodes(db);
            } catch (const DbError& e) {
                m_dialogs->error(e.text());
            }
            const QString current = varText(value).trimmed();
            if (!current.isEmpty() && !codes.contains(current))
                codes.prepend(current);
            combo->addItems(codes);
            combo->setCurrentIndex(std::max(0, int(codes.indexOf(current))));
            form->addRow(f.label, combo);
            widget = combo;
            break;
        }
        }
        widget->setObjectName(widgetName(f.field));
        m_widgets.insert(f.field, widget);
        if (!first && widget->focusPolicy() != Qt::NoFocus)
            first = widget;
    }

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_CodeTableEdit::ok);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (first)
        first->setFocus();
    setupWindow(this, desc.editWindowName, false, true);
}

Tfrm_CodeTableEdit::~Tfrm_CodeTableEdit() = default;

CodeTableRow Tfrm_CodeTableEdit::values() const {
    CodeTableRow row = m_row;
    for (const EditFieldDesc& f : m_desc.fields) {
        QWidget* w = m_widgets.value(f.field);
        switch (f.kind) {
        case FieldKind::Text:
        case FieldKind::Integer:
        case FieldKind::Float:
            row.insert(f.field, static_cast<QLineEdit*>(w)->text());
            break;
        case FieldKind::Flag:
            row.insert(f.field, yesNo(static_cast<QCheckBox*>(w)->isChecked()));
            break;
        case FieldKind::CashDesk:
            row.insert(f.field, m_cashDesk);
            break;
        case FieldKind::Direction:
            row.insert(f.field, static_cast<QComboBox*>(w)->currentData());
            break;
        case FieldKind::Currency:
            row.insert(f.field, static_cast<QComboBox*>(w)->currentText());
            break;
        }
    }
    return row;
}

void Tfrm_CodeTableEdit::ok() {
    const std::optional<QVariant> key =
        saveCodeTableRow(m_db, *m_dialogs, m_desc, values(), m_stored ? &*m_stored : nullptr);
    if (!key)
        return; // the window stays open for a correction
    m_savedKey = key;
    QDialog::accept();
}

void Tfrm_CodeTableEdit::showDesk(qint64 desk) {
    m_cashDesk = desk;
    QString name;
    try {
        name = cashDeskName(m_db, desk);
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
    for (const EditFieldDesc& f : m_desc.fields)
        if (f.kind == FieldKind::CashDesk)
            if (auto* edit = qobject_cast<QLineEdit*>(m_widgets.value(f.field)))
                edit->setText(name);
}

void Tfrm_CodeTableEdit::chooseDesk() {
    const std::optional<CashDeskChoice> desk = chooseCashDesk(this, m_db, m_cashDesk);
    if (!desk)
        return;
    showDesk(desk->cassak);
    m_ok->setFocus();
}

} // namespace orvix::ui
