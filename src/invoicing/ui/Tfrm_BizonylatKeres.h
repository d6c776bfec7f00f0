// "Bizonylat keresés": the kind and the number of a document to move the
// register's cursor to.
#pragma once

#include "invoicing/Register.h"

#include <QDialog>
#include <QStringList>
#include <QVector>
#include <optional>

class QLineEdit;
class QRadioButton;

namespace orvix {
class Database;
}

namespace orvix::ui {

class Tfrm_BizonylatKeres : public QDialog {
    Q_OBJECT

public:
    // One radio item per document type ("S:Számla" …), the first one chosen.
    Tfrm_BizonylatKeres(const QStringList& kindItems, QWidget* parent = nullptr);

    // The search "OK" asks for; nothing for a number of 0 or one that does
    // not convert.
    std::optional<DocumentRef> result() const;

    QLineEdit* numberEdit() const { return m_number; }
    const QVector<QRadioButton*>& kindButtons() const { return m_kinds; }

protected:
    // Enter on a kind moves on to the number, as in every field.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QVector<QRadioButton*> m_kinds;
    QLineEdit* m_number = nullptr;
};

// Shows the window; the chosen document, or nothing when cancelled or no
// usable number was given.
std::optional<DocumentRef> searchDocumentWindow(QWidget* parent, Database& db);

} // namespace orvix::ui
