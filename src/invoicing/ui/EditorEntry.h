// How the register opens the invoice editor: a new invoice or proforma after
// the reverse-charge choice, an existing document, and the quick sale of a
// product ("Eladok...").
//
// refresh is RefreshRegister: it is called with the document's key whenever
// the document was saved and when the editor closes, so that the register
// reloads and stands on the document.
#pragma once

#include <QChar>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvix {
class Database;
}

namespace orvix::ui {

using RefreshRegister = std::function<void(qint64)>;

// The editor on a document: kind, key (-1: a new document of the kind for
// the customer, customer -1 for none), reverse charge. Returns the document's
// key, or nothing when a new document could not be made (after the message).
std::optional<qint64> openInvoiceEditor(QWidget* parent, Database& db, QChar kind, qint64 documentKey,
                                        qint64 customer, bool reverseCharge,
                                        const RefreshRegister& refresh = {});

// "Szerkeszt" of the register: the stored document with its own kind and
// reverse-charge flag. False when there is no such document (after the message).
bool openInvoiceEditor(QWidget* parent, Database& db, qint64 documentKey,
                       const RefreshRegister& refresh = {});

// "Új számla" (kind 'S') and "Új proforma" (kind 'P'): the reverse-charge
// choice ("ÁFA tartalom"), then chosen (the register switches to its
// documents list), then a new document of the customer in the editor.
// Nothing when the choice was cancelled.
std::optional<qint64> newDocumentFromRegister(QWidget* parent, Database& db, QChar kind, qint64 customer,
                                              const RefreshRegister& refresh = {},
                                              const std::function<void()>& chosen = {});

// "Eladok...": the customer chooser (starting on customer), the quantity,
// the reverse-charge choice and the price make an invoice of the product
// with one line, which then opens in the editor. Nothing when cancelled.
std::optional<qint64> quickSale(QWidget* parent, Database& db, const QString& productCode, qint64 customer,
                                const RefreshRegister& refresh = {});

} // namespace orvix::ui
