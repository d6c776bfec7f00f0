// The accounting hand-over windows: "Export adatbázis útvonal" with a folder
// browser, "Adatok legyűjtése", "Bezár" and a progress bar. The folder
// starts from the stored export folder (ini Konyvelo / ForintUtvonal) and
// becomes the stored folder when the window closes. Tfrm_Forint writes the
// ForintSoft tables; Tfrm_KSzlaKet (its own header) the KSZLAKET table.
#pragma once

#include "exports/AccountingHandOver.h"

#include <QDialog>
#include <functional>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class HandOverWindow : public QDialog {
    Q_OBJECT

public:
    QLineEdit* folderField() const { return m_folder; }
    QPushButton* runButton() const { return m_run; }
    QProgressBar* progressBar() const { return m_progress; }
    // What "..." asks for a folder; tests put their own in.
    using FolderChooser = std::function<QString(const QString& start)>;
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // "Adatok legyűjtése".
    void collect();

protected:
    HandOverWindow(Database& db, Dialogs& dialogs, const QString& title, const QString& name, QWidget* parent);
    virtual HandOverResult run(const HandOverProgress& progress) = 0;
    virtual bool withCustomers() const = 0;
    void done(int result) override;

    Database& m_db;
    Dialogs& m_dialogs;

private:
    QLineEdit* m_folder = nullptr;
    QPushButton* m_run = nullptr;
    QProgressBar* m_progress = nullptr;
    FolderChooser m_chooseFolder;
};

// "ForintSoft könyvelő program interface".
class Tfrm_Forint : public HandOverWindow {
    Q_OBJECT

public:
    Tfrm_Forint(Database& db, Dialogs& dialogs, QWidget* parent = nullptr);

protected:
    HandOverResult run(const HandOverProgress& progress) override;
    bool withCustomers() const override { return true; }
};

} // namespace orvix::ui
