// "Cikktörzs": one product with every field. Prices are entered net or gross
// as the settings say (`alapnetto`); leaving the entered price fills the
// other two at the product's VAT rate. For a new product "OK" refuses a code
// already in use and asks about a product of the same name.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "masters/Products.h"

#include <QDialog>
#include <QHash>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Cikktorzs : public QDialog {
    Q_OBJECT

public:
    // An existing product (code given) or a new one with the defaults of the
    // settings (code empty). Messages go to `dialogs`, or to the program's own
    // boxes when it is null.
    Tfrm_Cikktorzs(Database& db, const std::optional<QString>& code, QWidget* parent = nullptr,
                   Dialogs* dialogs = nullptr);
    // A new product starting from the given values (advance items bring
    // their own).
    Tfrm_Cikktorzs(Database& db, const Product& newProduct, QWidget* parent = nullptr,
                   Dialogs* dialogs = nullptr);
    ~Tfrm_Cikktorzs() override;

    bool isNew() const { return !m_stored.has_value(); }
    bool grossBased() const { return m_grossBased; }
    // The widget of a database field name ("cikkszam", "netto" …).
    QWidget* field(const QString& name) const { return m_fields.value(name); }
    QLineEdit* edit(const QString& name) const;
    QComboBox* combo(const QString& name) const;
    // The prices as the window holds them (unrounded).
    Prices prices() const { return {m_netto, m_afa, m_brutto}; }
    // The code of the saved product; empty until "OK" succeeded.
    QString savedCode() const { return m_savedCode; }

    void ok();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void showProduct(const Product& p);
    Product enteredProduct();
    // Reads the entered price (when typed) and fills the other two.
    void recompute();
    void showPrices();
    void checkCodeCombo(QComboBox* box);
    void chooseCode(QComboBox* box, const QString& table);
    void chooseVtsz();
    QLineEdit* lineEdit(const QString& field, int maxLength = 0);
    QComboBox* codeCombo(const QString& field);

    Database& m_db;
    WindowDialogs m_dialogs;
    std::optional<Product> m_stored;
    Product m_product;
    bool m_grossBased = false;
    double m_netto = 0;
    double m_afa = 0;
    double m_brutto = 0;
    QString m_savedCode;
    bool m_checkingCombo = false;
    QHash<QString, QWidget*> m_fields;

    QLineEdit* m_code = nullptr;
    QComboBox* m_rate = nullptr;
    QPlainTextEdit* m_megjegyzes = nullptr;
    QCheckBox* m_tm = nullptr;
    QCheckBox* m_kozv = nullptr;
    QCheckBox* m_neta = nullptr;
    QRadioButton* m_scheme[5] = {};
    QPushButton* m_cancel = nullptr;
};

// "Új sor" (no code) and "Szerkeszt" of the product list: the product window;
// the code of the saved product, or nothing when it was closed without saving.
std::optional<QString> editProduct(QWidget* parent, Database& db, const std::optional<QString>& code);

// "Törlés" of the product list: after "Valóban töröljem a sort?" the product
// is marked deleted. True when marked.
bool softDeleteProduct(QWidget* parent, Database& db, const QString& code);

} // namespace orvix::ui

namespace orvix {
using ui::editProduct;
using ui::Tfrm_Cikktorzs;
} // namespace orvix
