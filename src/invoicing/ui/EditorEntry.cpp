#include "invoicing/ui/EditorEntry.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/TextUtil.h"
#include "core/ui/QtDialogs.h"
#include "invoicing/Editor.h"
#include "invoicing/ui/Tfrm_AfaTartalom.h"
#include "invoicing/ui/Tfrm_Ar.h"
#include "invoicing/ui/Tfrm_Szamla.h"
#include "masters/ui/Tfrm_UgyfelValaszt.h"

namespace orvix::ui {

namespace {

class QtQuickSaleUi : public QuickSaleUi {
public:
    QtQuickSaleUi(QWidget* parent, Database& db, qint64 preset)
        : m_parent(parent), m_db(db), m_preset(preset) {}

    std::optional<CustomerPick> chooseCustomer() override {
        const std::optional<CustomerChoice> choice = orvix::ui::chooseCustomer(m_parent, m_db, m_preset);
        if (!choice)
            return std::nullopt;
        return CustomerPick{choice->ugyfel, choice->kedvezmeny};
    }
    std::optional<bool> chooseReverseCharge() override {
        return AfaTartalomChooser(m_parent).chooseReverseCharge();
    }
    std::optional<double> editPrice(const QString& caption, double net, double rate) override {
        return priceDialog(m_parent, caption, net, rate);
    }

private:
    QWidget* m_parent;
    Database& m_db;
    qint64 m_preset;
};

void runEditor(QWidget* parent, Database& db, qint64 key, const RefreshRegister& refresh) {
    Tfrm_Szamla window(db, key, parent);
    window.setRefreshRegister(refresh);
    window.exec();
}

} // namespace

std::optional<qint64> openInvoiceEditor(QWidget* parent, Database& db, QChar kind, qint64 documentKey,
                                        qint64 customer, bool reverseCharge, const RefreshRegister& refresh) {
    QtDialogs dialogs(parent);
    qint64 key = documentKey;
    try {
        if (key < 0) {
            key =
                CreateEditorDocument(db, dialogs, app().settings, app().user, kind, customer, reverseCharge);
            // The new document is in the register from now on.
            if (refresh)
                refresh(key);
        }
        runEditor(parent, db, key, refresh);
    } catch (const DocumentError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    } catch (const DbError& e) {
        dialogs.error(e.text());
        return std::nullopt;
    }
    return key;
}

bool openInvoiceEditor(QWidget* parent, Database& db, qint64 documentKey, const RefreshRegister& refresh) {
    QtDialogs dialogs(parent);
    try {
        if (db.queryInt(QStringLiteral("SELECT COUNT(*) FROM szla WHERE szla=?;"), 0, {documentKey}) == 0) {
            dialogs.error(QStringLiteral("Nem létező bizonylat: %1").arg(documentKey));
            return false;
        }
        runEditor(parent, db, documentKey, refresh);
        return true;
    } catch (const DocumentError& e) {
        dialogs.error(e.text());
    } catch (const DbError& e) {
        dialogs.error(e.text());
    }
    return false;
}

std::optional<qint64> newDocumentFromRegister(QWidget* parent, Database& db, QChar kind, qint64 customer,
                                              const RefreshRegister& refresh,
                                              const std::function<void()>& chosen) {
    AfaTartalomChooser chooser(parent);
    const std::optional<bool> reverse = ChooseReverseCharge(app().settings, chooser);
    if (!reverse)
        return std::nullopt;
    if (chosen)
        chosen();
    return openInvoiceEditor(parent, db, kind, -1, customer, *reverse, refresh);
}

std::optional<qint64> quickSale(QWidget* parent, Database& db, const QString& productCode, qint64 customer,
                                const RefreshRegister& refresh) {
    QtDialogs dialogs(parent);
    QtQuickSaleUi ui(parent, db, customer);
    const std::optional<QuickSaleResult> sale =
        QuickSale(db, dialogs, ui, app().settings, app().user, productCode);
    if (!sale)
        return std::nullopt;
    if (refresh)
        refresh(sale->document);
    return openInvoiceEditor(parent, db, kKindInvoice, sale->document, sale->customer, sale->reverseCharge,
                             refresh);
}

} // namespace orvix::ui
