// The main window: the program's hub with the product, customer and document
// lists, the menus and tool bars, and the status bar with the tab strip.
//
// Every action of the program is here as a QAction named as the program
// names it. An action works when a handler is installed for the shown list;
// otherwise it is visibly disabled. Later capabilities install theirs with
// setCapability; the rights an action needs are checked before its handler
// runs.
#pragma once

#include "core/HtmlExport.h"

#include <QHash>
#include <QMainWindow>
#include <optional>
#include <QUrl>
#include <QVariant>
#include <QVector>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QTabBar;
class QTableView;
class QToolButton;

namespace orvix {

class Database;
class Dialogs;
class PagedTableModel;

class Tfrm_Main : public QMainWindow {
    Q_OBJECT

public:
    enum List { Products = 0, Customers = 1, Documents = 2 };
    // Lists an action handler serves (bit masks of List).
    enum ListMask { OnProducts = 1, OnCustomers = 2, OnDocuments = 4, OnAllLists = 7 };

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
    QLineEdit* searchBox(int list) const;
    PagedTableModel* model(int list) const;
    QMenu* popupMenu(int list) const;
    Database* database() const { return m_db.get(); }

    // The key of the current row of a list (product code, customer key,
    // document key); invalid when the list is empty.
    QVariant currentKey(int list) const;
    int currentRow(int list) const;
    // The field the list's search box looks in.
    QString searchField(int list) const { return m_searchField[list]; }

    // Reopens the documents list with its cursor on the document (which
    // becomes the list's remembered key).
    void RefreshRegister(qint64 documentKey);
    // Reopens a list after its rows changed, the cursor staying on its row
    // (a hidden list is read afresh when shown anyway).
    void refreshList(int list);

    // Installs the handler of a capability for the lists in listMask and
    // enables its action there; the handler gets the shown list. The action
    // stays disabled on the other lists.
    void setCapability(const QString& actionName, std::function<void(int list)> handler,
                       int listMask = OnAllLists);
    // Switches a capability off (or on again) without removing its handler.
    void setCapabilityEnabled(const QString& actionName, bool enabled);

    // What the actions use to ask for a file to write and to open a web
    // address, a mail or a file with the system's default handler; tests put
    // their own in.
    using SaveFileChooser = std::function<QString(const QString& caption, const QString& suggestedName)>;
    using UrlOpener = std::function<bool(const QUrl& url)>;
    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseSaveFile = std::move(chooser); }
    // The save dialog of "Adatbázis archiválás" (the offered file in the
    // archive folder; empty when cancelled); tests put their own in.
    using ArchiveFileChooser = std::function<QString(const QString& offeredFile)>;
    void setArchiveFileChooser(ArchiveFileChooser chooser) { m_chooseArchiveFile = std::move(chooser); }

    // After the settings window: the settings record is read anew and the
    // actions it shows or hides follow it at once.
    void settingsChanged();
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    // The export window of "Excelbe" (the shown list's statement, the
    // proposed file name, the display labels of its fields) and the window
    // of "Html export"; tests put their own in.
    using ListExporter =
        std::function<void(const QString& select, const QString& fileName, const QHash<QString, QString>& labels)>;
    using HtmlExporter = std::function<void(const HtmlList& list)>;
    void setListExporter(ListExporter exporter) { m_exportList = std::move(exporter); }
    void setHtmlExporter(HtmlExporter exporter) { m_exportHtml = std::move(exporter); }
    // The page of "Html export" for a list as its grid shows it now.
    HtmlList htmlListOf(int list) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct DropDown {
        QToolButton* button;
        QAction* holder;
    };
    struct ActionState {
        std::array<std::function<void(int)>, 3> handlers;
        bool enabled = true;
    };

    void buildActions();
    void buildMenus();
    void buildLists();
    void buildToolBars();
    void buildPopupMenus();
    void buildStatusBar();
    void installHandlers();
    void installMasterHandlers();
    void installInvoicingHandlers();
    void installPostingHandlers();
    std::optional<qint64> currentCustomer(int list);
    void reopenOn(int list, const QVariant& key);
    void applySettingsToActions();
    void archiveDatabase();
    void updateActionStates();
    void runAction(const QString& name);
    void handle(const char* name, int listMask, std::function<void(int)> handler);

    void createModels();
    void openList(int list);
    void closeList(int list);
    void setCurrentRow(int list, int row, bool atTop = false);
    void rowChanged(int list);
    void updateStatus();
    void applyColumnWidths(int list);
    void applyRowHeight();
    void searchTextChanged(int list, const QString& text);
    void sortByColumn(int list, int column);
    void updateSearchTitle(int list);
    void showError(const QString& text);

    void deleteRow(int list);
    void exportShownList(int list);
    void exportMyEnvelope();
    void jumpToCustomer();
    void findDocument();
    // "Keresés" on the products or customers list: the detailed search, then
    // the list stands on the row found.
    void findProductOrCustomer(int list);
    void mailCustomer(int list);
    void showMap(bool billingAddress);
    void openLink(const QUrl& url);
    void openProgramFile(const QString& fileName);
    void showAbout();
    void changeFontSize(int delta);
    void openDatabaseList();
    void openTranslation();

    Dialogs& m_dialogs;
    QString m_programFolder;
    std::unique_ptr<Database> m_db;
    bool m_startupEnded = false;
    bool m_shown = false;
    int m_current = Products;
    QStackedWidget* m_stack = nullptr;
    QTableView* m_grids[3] = {};
    QLineEdit* m_search[3] = {};
    QLabel* m_searchTitle[3] = {};
    QMenu* m_popup[3] = {};
    std::unique_ptr<PagedTableModel> m_models[3];
    QVariant m_rememberedKey[3];
    QString m_searchField[3];
    bool m_opening = false;
    QTabBar* m_tabs = nullptr;
    QLabel* m_panel[3] = {};
    QHash<QString, ActionState> m_actions;
    QVector<DropDown> m_dropDowns;
    SaveFileChooser m_chooseSaveFile;
    ArchiveFileChooser m_chooseArchiveFile;
    UrlOpener m_openUrl;
    ListExporter m_exportList;
    HtmlExporter m_exportHtml;
};

} // namespace orvix
