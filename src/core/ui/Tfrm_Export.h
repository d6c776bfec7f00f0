// "Határolt szöveg export": writes the rows of a list, a query or a grid's
// model as delimited text or as a spreadsheet, with the choice of fields,
// delimiter, qualifier, header and memo handling, a progress bar and
// "Megállít".
#pragma once

#include "core/DelimitedExport.h"

#include <QDialog>
#include <QHash>
#include <QUrl>
#include <functional>
#include <memory>

class QAbstractItemModel;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace orvix {
class Database;
class Dialogs;
} // namespace orvix

namespace orvix::ui {

class Tfrm_Export : public QDialog {
    Q_OBJECT

public:
    // rows makes a fresh reading of the data set for each export.
    using RowsFactory = std::function<std::unique_ptr<ExportRows>()>;
    Tfrm_Export(RowsFactory rows, const QString& fileName, Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~Tfrm_Export() override;

    // What the window uses to ask for a file and to open the written one;
    // tests put their own in.
    using SaveFileChooser = std::function<QString(const QString& current)>;
    using FileOpener = std::function<bool(const QUrl& url)>;
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseFile = std::move(chooser); }
    void setFileOpener(FileOpener opener) { m_openFile = std::move(opener); }

    QLineEdit* fileNameEdit() const { return m_fileName; }
    QListWidget* fieldList() const { return m_fields; }
    QButtonGroup* delimiterGroup() const { return m_delimiter; }
    QButtonGroup* qualifierGroup() const { return m_qualifier; }
    QCheckBox* multiLineBox() const { return m_multiLine; }
    QCheckBox* fieldNamesBox() const { return m_fieldNames; }
    QCheckBox* noHeaderBox() const { return m_noHeader; }
    QCheckBox* openAfterBox() const { return m_openAfter; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* stopButton() const { return m_stop; }
    QProgressBar* progressBar() const { return m_progress; }
    bool loaded() const { return m_loaded; }

    // The settings as chosen in the window.
    ExportOptions options() const;

    // "Export indítás"; "Megállít" while a text export runs.
    void startExport();
    void stopExport() { m_stopRequested = true; }

    // The default file name when the caller gives none.
    static QString defaultFileName();

private:
    RowsFactory m_rows;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs = nullptr;
    SaveFileChooser m_chooseFile;
    FileOpener m_openFile;
    QLineEdit* m_fileName = nullptr;
    QListWidget* m_fields = nullptr;
    QButtonGroup* m_delimiter = nullptr;
    QButtonGroup* m_qualifier = nullptr;
    QCheckBox* m_multiLine = nullptr;
    QCheckBox* m_fieldNames = nullptr;
    QCheckBox* m_noHeader = nullptr;
    QCheckBox* m_openAfter = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
    QProgressBar* m_progress = nullptr;
    bool m_loaded = false;
    bool m_running = false;
    bool m_stopRequested = false;
};

// Export(data set, file name): opens the window modally over a statement
// (labels: display labels of the fields by name), or over a table model.
void exportQuery(QWidget* parent, Database& db, const QString& select, const QString& fileName,
                 const QHash<QString, QString>& labels = {});
void exportModel(QWidget* parent, Database& db, const QAbstractItemModel& model, const QString& fileName);

} // namespace orvix::ui
