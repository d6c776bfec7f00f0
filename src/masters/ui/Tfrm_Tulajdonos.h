// The issuer's own data ("Tulajdonos adatai"): the single row of
// `tulajdonos` in one text box per field, the tax number and the bank
// account behind input masks. Only an administrator may open it
// (openIssuerWindow checks that).
#pragma once

#include "core/ui/WindowDialogs.h"
#include "masters/Issuer.h"

#include <QDialog>
#include <QHash>
#include <memory>

class QLineEdit;
class QPushButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Tulajdonos : public QDialog {
    Q_OBJECT

public:
    // Messages go to `dialogs`, or to the program's own boxes when it is null.
    explicit Tfrm_Tulajdonos(Database& db, QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_Tulajdonos() override;

    // The text box of a field ("e" + field name).
    QLineEdit* field(const QString& name) const { return m_edits.value(name); }
    QPushButton* okButton() const { return m_ok; }
    // What the boxes hold now.
    QMap<QString, QString> values() const;

private:
    void ok();

    Database& m_db;
    WindowDialogs m_dialogs;
    Issuer m_stored;
    QHash<QString, QLineEdit*> m_edits;
    QPushButton* m_ok = nullptr;
};

// The main window's issuer data action: refused with "Nincs jogosultság a
// művelethez." without the administrator right; otherwise the window, modally.
void openIssuerWindow(QWidget* parent, Database& db);

} // namespace orvix::ui

namespace orvix {
using ui::openIssuerWindow;
using ui::Tfrm_Tulajdonos;
} // namespace orvix
