// The settings window "Beállítások": the one row of `beallit` and the values
// of the configuration file that go with it (archive folder, pictures,
// printers, the goods-receipt block), on six pages. "OK" checks every value
// and saves the row in one transaction; a refused value is named in a
// message, the window stays open and nothing is saved. "Mégsem" changes
// nothing.
#pragma once

#include "core/SettingsEdit.h"
#include "core/ui/WindowDialogs.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTabWidget;

namespace orvix {
class Database;
class Dialogs;
class Tfrm_Main;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Beallitasok : public QDialog {
    Q_OBJECT

public:
    // One field of the window (page, group, caption, kind, setting).
    struct Entry;

    // installedPrinters fill the printer lists after the fixed port names
    // and the built-in PDF writer; messages go to dialogs, or to the
    // program's own boxes when it is null.
    Tfrm_Beallitasok(Database& db, const QStringList& installedPrinters, QWidget* parent = nullptr,
                     Dialogs* dialogs = nullptr);
    ~Tfrm_Beallitasok() override;

    // The field of a setting: a `beallit` field name, or one of the ini
    // values "archive", "pic1", "pic2", "prnSzla", "prnSzallLev",
    // "prnProforma", "prnEgyeb", "atvet". For "szlaforma" the first of the
    // two layout buttons.
    QWidget* field(const QString& key) const { return m_fields.value(key); }
    // The browse button beside a field, when it has one.
    QPushButton* browseButton(const QString& key) const { return m_buttons.value(key); }
    QLabel* picturePreview(const QString& key) const { return m_previews.value(key); }
    QTabWidget* pages() const { return m_pages; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // What the fields hold now: the record's values as text, and the ini
    // values.
    SettingValues recordValues() const;
    IniSettings iniValues() const;

    // The choices behind the browse buttons; tests put their own in. Each
    // returns the chosen value, or nothing when cancelled.
    std::function<std::optional<qint64>(qint64 current)> choosePaymentMethod;
    std::function<QString(const QString& current)> chooseFolder;
    std::function<QString(const QString& current)> choosePicture;

private:
    QWidget* makeField(const Entry& e, QWidget* page);
    void showPaymentMethod(qint64 key);
    void showPicture(const QString& key);
    void ok();

    Database& m_db;
    WindowDialogs m_dialogs;
    QStringList m_installed;
    SettingValues m_stored;
    QHash<QString, QWidget*> m_fields;
    QHash<QString, QPushButton*> m_buttons;
    QHash<QString, QLabel*> m_previews;
    qint64 m_paymentMethod = 0;
    QTabWidget* m_pages = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Installs "Beállítások" on the main window: the window, modally, and after
// "OK" the main window follows the new settings at once.
void installSettingsWindow(Tfrm_Main& window);

} // namespace orvix::ui
