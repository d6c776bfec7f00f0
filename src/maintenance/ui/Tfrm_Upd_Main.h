// The maintenance tool's window: choose a data folder, run the version
// change or the maintenance alone, bring over an old Paradox folder.
#pragma once

#include <QDialog>
#include <QMainWindow>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace orvix::maintenance::ui {

inline const QString kUpdVersion = QStringLiteral("16.3.0.680");

class Tfrm_Upd_Main : public QMainWindow {
    Q_OBJECT

public:
    explicit Tfrm_Upd_Main(const QString& programFolder, QWidget* parent = nullptr);

    QString path() const;
    void setPath(const QString& path);
    QString statusText() const;
    QProgressBar* progressBar() const { return m_progress; }

public Q_SLOTS:
    void choose();
    void upgrade();
    void maintain();
    void importParadox();

private:
    QString m_programFolder;
    QString m_iniPath;
    QLineEdit* m_path = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
};

// The list of registered data folders ("Orvix Számla program adatbázis
// választás"); returns the chosen entry's index or -1.
class Tfrm_AdatbazisValaszt : public QDialog {
    Q_OBJECT

public:
    Tfrm_AdatbazisValaszt(const QStringList& names, const QStringList& folders, QWidget* parent = nullptr);
    int chosen() const { return m_chosen; }

private:
    QStringList m_folders;
    int m_chosen = -1;
};

} // namespace orvix::maintenance::ui
