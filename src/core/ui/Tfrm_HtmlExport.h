// "HTML export": asks where to save the page of a list, writes it, and opens
// it or hands it to the mail.
#pragma once

#include "core/HtmlExport.h"
#include "core/Mail.h"

#include <QDialog>
#include <QUrl>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace orvix {
class Dialogs;
}

namespace orvix::ui {

class Tfrm_HtmlExport : public QDialog {
    Q_OBJECT

public:
    // folder: the remembered HTML folder (the proposal's folder).
    Tfrm_HtmlExport(const HtmlList& list, const QString& folder, Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~Tfrm_HtmlExport() override;

    using FileOpener = std::function<bool(const QUrl& url)>;
    // Hands the written page to the mail; empty on success, else the error.
    using MailHandOver = std::function<QString(const MailMessage& message)>;
    void setFileOpener(FileOpener opener) { m_openFile = std::move(opener); }
    void setMailHandOver(MailHandOver handOver) { m_mail = std::move(handOver); }

    QLineEdit* pathEdit() const { return m_path; }
    QCheckBox* openAfterBox() const { return m_openAfter; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* mailButton() const { return m_mailButton; }
    QProgressBar* progressBar() const { return m_progress; }
    // The folder of the last page written, to be remembered.
    QString writtenFolder() const { return m_writtenFolder; }

    // "OK": writes the page and closes; "E-Mail": writes it and hands it over.
    void ok();
    void mail();

private:
    bool writePage();

    HtmlList m_list;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs = nullptr;
    FileOpener m_openFile;
    MailHandOver m_mail;
    QLineEdit* m_path = nullptr;
    QCheckBox* m_openAfter = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_mailButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_writtenFolder;
};

// The columns of a grid as the page shows them: its visible columns in their
// order, fieldOfColumn naming each column's field (empty: left out), with
// the grid's widths, titles and the alignment of the first row.
QVector<HtmlColumn> gridColumns(const QTableView& grid, const std::function<QString(int column)>& fieldOfColumn);

// Export(grid, title, subtitle, group field, sum list) of the running
// program: the window over the list, the proposal in the remembered folder,
// which the export updates.
void htmlExport(QWidget* parent, const HtmlList& list);

} // namespace orvix::ui
