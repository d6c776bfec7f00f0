// "Kifizetés": the single payment of one document in full. A paid document
// is only shown.
#pragma once

#include "invoicing/Payments.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QCheckBox;
class QPushButton;

namespace orvix {
class Database;
class Dialogs;
}

namespace orvix::ui {

class Tfrm_Kifizetes : public QDialog {
    Q_OBJECT
public:
    Tfrm_Kifizetes(Database& db, Dialogs& dialogs, const PaymentView& view, QWidget* parent = nullptr);
    QDateEdit* datum() const { return m_datum; }
    QLineEdit* bizonylat() const { return m_bizonylat; }
    QPushButton* okButton() const { return m_ok; }

private:
    void accept() override;

    Database& m_db;
    Dialogs& m_dialogs;
    PaymentView m_view;
    QDateEdit* m_datum = nullptr;
    QLineEdit* m_bizonylat = nullptr;
    QPushButton* m_ok = nullptr;
};

// The whole "Kifizet" action on a document: refuses a storno document, fills
// a missing payment date, opens the window. Returns whether it was paid.
bool payDocument(QWidget* parent, Database& db, Dialogs& dialogs, qint64 document);

} // namespace orvix::ui
