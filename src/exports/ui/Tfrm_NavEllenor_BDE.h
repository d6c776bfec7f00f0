// "Nav ellenőrzés": the documents of a period or a number range in four
// read-only grids (headers, lines, per-rate sums, document totals), each
// exportable as delimited text, and the tax authority's audit XML file.
#pragma once

#include "core/Dialogs.h"
#include "exports/AuditXml.h"

#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QProgressBar;
class QTabWidget;
class QTableView;

namespace orvix {
class Database;
}

namespace orvix::ui {

class QueryGridModel;

class Tfrm_NavEllenor_BDE : public QDialog {
    Q_OBJECT

public:
    enum Grid { Headers = 0, Lines = 1, Rates = 2, Totals = 3 };

    Tfrm_NavEllenor_BDE(Database& db, Dialogs& dialogs, const AuditSelection& selection, QWidget* parent = nullptr);

    const AuditSelection& selection() const { return m_selection; }
    // Closes the four queries, sets the selection and reopens them.
    void reselect(const AuditSelection& selection);
    QTableView* grid(int which) const { return m_grids[size_t(which)]; }
    QueryGridModel* model(int which) const { return m_models[size_t(which)]; }
    QTabWidget* tabs() const { return m_tabs; }
    QLabel* headPanel() const { return m_head; }

    // What the window asks for a file to write; tests put their own in.
    using SaveFileChooser = std::function<QString(const QString& caption, const QString& suggestedName,
                                                  const QString& filter)>;
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseSaveFile = std::move(chooser); }
    // "Excelbe...": hands the visible tab's query and proposed file name to the
    // delimited-text export window; tests put their own in its place.
    using QueryExporter = std::function<void(const QString& select, const QString& fileName)>;
    void setQueryExporter(QueryExporter exporter) { m_exportQuery = std::move(exporter); }
    // The export date written into the file (today unless a test sets it).
    void setToday(const QDate& today) { m_today = today; }

    // The actions.
    void refresh();
    void askPeriod();
    void askNumbers();
    void exportVisibleGrid();
    void exportXml();

private:
    void updatePosition();
    void setBusy(bool busy);

    Database& m_db;
    Dialogs& m_dialogs;
    AuditSelection m_selection;
    QLabel* m_head = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::array<QTableView*, 4> m_grids{};
    std::array<QueryGridModel*, 4> m_models{};
    QProgressBar* m_progress = nullptr;
    QLabel* m_position = nullptr;
    SaveFileChooser m_chooseSaveFile;
    QueryExporter m_exportQuery;
    QDate m_today;
};

} // namespace orvix::ui
