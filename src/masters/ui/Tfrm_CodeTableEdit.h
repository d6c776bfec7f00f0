// The edit window of one code-table row, built from the member's field
// descriptions: a text box per text or number field, a check box per flag,
// a choice list for a direction or a currency, and the cash desk's name with
// a button that opens the cash desk chooser. "OK" checks and stores the row
// and closes the window; a refused row keeps it open with what was typed.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "masters/CodeTables.h"

#include <QDialog>
#include <QHash>
#include <QVariant>
#include <memory>
#include <optional>

class QPushButton;
class QToolButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_CodeTableEdit : public QDialog {
    Q_OBJECT

public:
    // stored == nullptr: a new row with the values of `row`.
    Tfrm_CodeTableEdit(Database& db, const CodeTableDesc& desc, const CodeTableRow& row,
                       const CodeTableRow* stored, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_CodeTableEdit() override;

    // The widget editing a field ("e" + field name); null when the member has no such field.
    QWidget* fieldWidget(const QString& field) const { return m_widgets.value(field); }
    // The row as the fields hold it now.
    CodeTableRow values() const;
    // Key of the stored row after a successful "OK".
    const std::optional<QVariant>& savedKey() const { return m_savedKey; }
    QPushButton* okButton() const { return m_ok; }
    QToolButton* cashDeskButton() const { return m_cashDeskButton; }

private:
    void ok();
    void chooseDesk();
    void showDesk(qint64 desk);

    Database& m_db;
    const CodeTableDesc& m_desc;
    CodeTableRow m_row;
    std::optional<CodeTableRow> m_stored;
    WindowDialogs m_dialogs;
    QHash<QString, QWidget*> m_widgets;
    QPushButton* m_ok = nullptr;
    QToolButton* m_cashDeskButton = nullptr;
    qint64 m_cashDesk = 0;
    std::optional<QVariant> m_savedKey;
};

} // namespace orvix::ui

namespace orvix {
using ui::Tfrm_CodeTableEdit;
} // namespace orvix
