// "Ügyfél adatok szerkesztése": one customer with every field: name, contact
// data, tax numbers, bank account, default payment method, discount, licence
// number, customer code, currency, VAT liability, language, EDI, and the
// billing and postal addresses. Leaving a postcode fills the town (and in
// Budapest the district) from the postcode table. "OK" checks and saves the
// row; "Mégsem" leaves the folder unchanged.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "masters/Customers.h"

#include <QDialog>
#include <QHash>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Ugyfel : public QDialog {
    Q_OBJECT

public:
    // A new customer (with the defaults) when key is empty. Messages go to
    // `dialogs`, or to the program's own boxes when it is null.
    Tfrm_Ugyfel(Database& db, std::optional<qint64> key, QWidget* parent = nullptr,
                Dialogs* dialogs = nullptr);
    ~Tfrm_Ugyfel() override;

    // The key of the saved customer; 0 until "OK" succeeded.
    qint64 savedKey() const { return m_customer.ugyfel; }
    // The field of a database field name ("ugyfel_nev", "szla_irsz" …).
    QWidget* field(const QString& name) const { return m_fields.value(name); }
    QLineEdit* edit(const QString& name) const;
    // The customer as the window's fields hold it now.
    Customer enteredCustomer() const;

    // "OK": checks and saves; the window stays open when refused.
    void ok();

private:
    struct AddressFields {
        QLineEdit* irsz = nullptr;
        QLineEdit* varos = nullptr;
        QLineEdit* cim = nullptr;
        QComboBox* kozterulet = nullptr;
        QLineEdit* kerulet = nullptr;
        QLineEdit* hazszam = nullptr;
        QLineEdit* epulet = nullptr;
        QLineEdit* lepcsohaz = nullptr;
        QLineEdit* szint = nullptr;
        QLineEdit* ajto = nullptr;
    };

    QLineEdit* lineEdit(const QString& field, int maxLength = 0);
    QWidget* addressBlock(const QString& title, const QString& prefix, AddressFields& f,
                          const QStringList& streetTypes, QPushButton* extraButton);
    void showCustomer(const Customer& c);
    void showAddress(const AddressFields& f, const Address& a);
    Address readAddress(const AddressFields& f) const;
    void showPaymentMethod();
    void fillTown(const AddressFields& f, bool withDistrict);
    void copyBillingToPostal();
    void copyNameToContact();
    void choosePaymentMethod();
    void chooseCurrency();

    Database& m_db;
    WindowDialogs m_dialogs;
    std::optional<Customer> m_stored;
    Customer m_customer;
    QHash<QString, QWidget*> m_fields;

    QLineEdit* m_nev = nullptr;
    QLineEdit* m_kapcsolat = nullptr;
    QLineEdit* m_fiztipNev = nullptr;
    QLabel* m_fiztipInfo = nullptr;
    QLineEdit* m_vat = nullptr;
    QPushButton* m_fiztipButton = nullptr;
    QPushButton* m_vatButton = nullptr;
    QCheckBox* m_afas = nullptr;
    QRadioButton* m_nyelv[3] = {};
    QCheckBox* m_edi = nullptr;
    AddressFields m_szla;
    AddressFields m_cim;
    QPushButton* m_ok = nullptr;
    qint64 m_fiztip = 0;
};

// Opens the customer window: a new customer when key is empty, else that
// customer. The key of the saved customer, or nothing when the window was
// closed without saving. ("Új sor" and "Szerkeszt" of the customer list.)
std::optional<qint64> editCustomer(QWidget* parent, Database& db, std::optional<qint64> key);

// "Törlés" of the customer list: after "Valóban töröljem a sort?" the
// customer is marked deleted. True when marked.
bool softDeleteCustomer(QWidget* parent, Database& db, qint64 key);

} // namespace orvix::ui

namespace orvix {
using ui::editCustomer;
using ui::Tfrm_Ugyfel;
} // namespace orvix
