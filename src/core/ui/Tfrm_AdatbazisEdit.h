// The edit window "Adatbázis" of one registered data folder: display name and
// folder, with a browse button for the folder.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace orvix::ui {

class Tfrm_AdatbazisEdit : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_AdatbazisEdit(QWidget* parent = nullptr);

    QString name() const;
    QString folder() const;
    void setName(const QString& name);
    void setFolder(const QString& folder);

    // "OK": accepts when both fields are filled in and hold no ";" (the
    // separator of the stored entry); otherwise shows the error and the window
    // stays open.
    bool tryAccept();

    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* folderEdit() const { return m_folder; }

private:
    void browse();

    QLineEdit* m_name = nullptr;
    QLineEdit* m_folder = nullptr;
    QPushButton* m_browse = nullptr;
};

} // namespace orvix::ui
