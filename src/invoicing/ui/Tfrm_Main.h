// The main window: the program's hub with the product, customer and document
// lists, the menus and tool bars, and the status bar with the tab strip.
#pragma once

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QSqlQueryModel;
class QStackedWidget;
class QTabBar;
class QTableView;

namespace orvix {

class Database;
class Dialogs;

class Tfrm_Main : public QMainWindow {
    Q_OBJECT

public:
    enum List { Products = 0, Customers = 1, Documents = 2 };

    // Runs the start: database choice, opening, patches, settings. When the
    // start is ended (cancelled or failed), the window closes itself 100 ms
    // later and writes nothing at exit.
    explicit Tfrm_Main(Dialogs& dialogs, const QString& programFolder, QWidget* parent = nullptr);
    ~Tfrm_Main() override;

    bool startupEnded() const { return m_startupEnded; }
    int currentList() const { return m_current; }
    void switchToList(int list);
    QAction* action(const QString& objectName) const;
    QTableView* grid(int list) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* addAction(const QString& name, const QString& caption, const QKeySequence& key = {});
    void buildActions();
    void buildMenus();
    void buildLists();
    void buildStatusBar();
    void applySettingsToActions();
    void openList(int list);
    void updateStatus();
    void changeFontSize(int delta);
    void openDatabaseList();
    void openTranslation();

    Dialogs& m_dialogs;
    std::unique_ptr<Database> m_db;
    bool m_startupEnded = false;
    bool m_shown = false;
    int m_current = Products;
    QStackedWidget* m_stack = nullptr;
    QTableView* m_grids[3] = {};
    QLineEdit* m_search[3] = {};
    QSqlQueryModel* m_models[3] = {};
    QTabBar* m_tabs = nullptr;
    QLabel* m_panel[3] = {};
};

} // namespace orvix
