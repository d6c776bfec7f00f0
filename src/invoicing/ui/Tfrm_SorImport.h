// "Sorok hozzáadása import": the text of the lines to import, typed, pasted
// or loaded from a file, with its layout and what follows each product code.
// The choices are remembered in the configuration file.
#pragma once

#include "core/ui/WindowDialogs.h"
#include "invoicing/LineImport.h"

#include <QDialog>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace orvix {
class Dialogs;
}

namespace orvix::ui {

class Tfrm_SorImport : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_SorImport(QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~Tfrm_SorImport() override;

    QPlainTextEdit* textPane() const { return m_text; }
    QRadioButton* belowButton() const { return m_below; }
    QRadioButton* semicolonButton() const { return m_semicolon; }
    QCheckBox* quantityBox() const { return m_quantity; }
    QCheckBox* priceBox() const { return m_price; }
    QCheckBox* moveBox() const { return m_move; }
    QLineEdit* archiveEdit() const { return m_archive; }
    QAction* action(const QString& objectName) const;

    ImportOptions options() const;
    QString text() const;
    // "Megnyitás file-ból" with the file given: loads it into the pane and,
    // with "File áthelyezése", moves it into the archive folder.
    bool loadFile(const QString& path);
    // "Elfogad": remembers the choices and closes.
    void acceptChoices();

protected:
    // The open dialog "Import betöltés"; an empty text when cancelled.
    virtual QString askFileName();
    // The folder dialog "Archív útvonala"; an empty text when cancelled.
    virtual QString askArchiveFolder();

private:
    WindowDialogs m_dialogs;
    QPlainTextEdit* m_text = nullptr;
    QRadioButton* m_below = nullptr;
    QRadioButton* m_semicolon = nullptr;
    QCheckBox* m_quantity = nullptr;
    QCheckBox* m_price = nullptr;
    QCheckBox* m_move = nullptr;
    QLineEdit* m_archive = nullptr;
};

struct ImportRequest {
    QString text;
    ImportOptions options;
};
// The dialog; the accepted text and choices, or nothing when cancelled.
std::optional<ImportRequest> askImportLines(QWidget* parent);

} // namespace orvix::ui
