#include "invoicing/ui/Tfrm_Main.h"

#include "invoicing/ui/EditorEntry.h"
#include "invoicing/ui/ExportHooks.h"
#include "invoicing/ui/PrintHooks.h"
#include "masters/CodeTables.h"
#include "masters/Customers.h"
#include "masters/Products.h"
#include "masters/ui/Tfrm_Afakulcs.h"
#include "masters/ui/Tfrm_Cikktorzs.h"
#include "masters/ui/Tfrm_CodeTable.h"
#include "masters/ui/Tfrm_SzallitasiCimek.h"
#include "masters/ui/Tfrm_Tulajdonos.h"
#include "masters/ui/Tfrm_Ugyfel.h"
#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Archive.h"
#include "core/Dialogs.h"
#include "core/Rights.h"
#include "core/Startup.h"
#include "core/DelimitedExport.h"
#include "core/ui/Tfrm_Export.h"
#include "core/ui/Tfrm_HtmlExport.h"
#include "core/ui/Tfrm_AdatbazisokBDE.h"
#include "core/ui/ListWindow.h"
#include "core/ui/Tfrm_Felhasznalo.h"
#include "core/ui/Tfrm_Login.h"
#include "core/ui/Tfrm_Nyelv.h"
#include "core/ui/WindowSupport.h"
#include "invoicing/Payments.h"
#include "invoicing/Posting.h"
#include "invoicing/ui/Tfrm_Kifizetes.h"
#include "invoicing/Register.h"
#include "invoicing/ui/Tfrm_AfaTartalom.h"
#include "invoicing/RegisterCommands.h"
#include "invoicing/ui/Tfrm_BizonylatKeres.h"
#include "invoicing/ui/Tfrm_Splash.h"
#include "invoicing/ui/Tfrm_TermekKeres.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix {

namespace {

const QString kProgramVersion = QStringLiteral("1.0.0");
const QString kDocumentationFile = QStringLiteral("Orvix_Szamla.pdf");
const QString kNewsProgram = QStringLiteral("Ujdonsag.exe");
const QString kDocumentNotFoundMessage = QStringLiteral("A keresett bizonylat nem található.");
const QString kRowNotListedMessage = QStringLiteral("A keresett sor nem szerepel a listában.");
constexpr int kMarkColumnWidth = 30;

const char* const kListActions[3] = {"aCikktorzs", "aVevok", "aMozgas"};

// Paints the flag columns as marks and gives a selected row the font colour
// its colour rule asks for.
class ListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        if (opt.state & QStyle::State_Selected) {
            const QVariant selected = index.data(PagedTableModel::SelectedForegroundRole);
            if (selected.isValid())
                opt.palette.setColor(QPalette::HighlightedText, selected.value<QColor>());
        }
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QVariant mark = index.data(PagedTableModel::MarkRole);
        if (!mark.isValid()) {
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
            return;
        }
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        QStyleOptionButton box;
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget);
        box.rect = QRect(opt.rect.center().x() - w / 2, opt.rect.center().y() - h / 2, w, h);
        box.state = QStyle::State_Enabled | (mark.toBool() ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    }
};

// The list Alt+1, Alt+2 or Alt+3 switches to (the digit row or the keypad);
// -1 for any other key.
int listOfAltDigit(const QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::AltModifier || key->key() < Qt::Key_1 || key->key() > Qt::Key_3)
        return -1;
    return key->key() - Qt::Key_1;
}

QString defaultSaveFile(QWidget* parent, const QString& caption, const QString& suggestedName) {
    QString path = QFileDialog::getSaveFileName(parent, caption, QDir(ui::userFilesFolder()).filePath(suggestedName),
                                                QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    return path;
}

} // namespace

Tfrm_Main::Tfrm_Main(Dialogs& dialogs, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_programFolder(programFolder),
      m_db(std::make_unique<Database>()) {
    setObjectName(QStringLiteral("Tfrm_Main"));
    setWindowTitle(QStringLiteral("Orvix Számla"));
    m_chooseSaveFile = [this](const QString& caption, const QString& name) {
        return defaultSaveFile(this, caption, name);
    };
    m_chooseArchiveFile = [this](const QString& offered) {
        QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Adatbázis archiválás"), offered,
                                                    QStringLiteral("ZIP archívumok (*.zip)"));
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".zip");
        return path;
    };
    m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_exportList = [this](const QString& select, const QString& fileName, const QHash<QString, QString>& labels) {
        ui::exportQuery(this, *m_db, select, fileName, labels);
    };
    m_exportHtml = [this](const HtmlList& list) { ui::htmlExport(this, list); };
    buildActions();
    buildMenus();
    buildLists();
    buildStatusBar();
    installHandlers();
    updateActionStates();

    AppContext& ctx = app();
    bool opened = startUp(ctx, *m_db, m_dialogs, programFolder) == StartupResult::Opened;
    // Login when the settings ask for it; a cancelled login ends the start.
    if (opened && ctx.settings.belepjelszo && !loginAtStartup(nullptr, *m_db, ctx.user)) {
        m_db->close();
        ctx.db = nullptr;
        opened = false;
    }
    if (!opened) {
        m_startupEnded = true;
        QTimer::singleShot(100, this, [this] {
            close();
            QCoreApplication::quit();
        });
        return;
    }
    applySettingsToActions();
    setWindowTitle(mainCaption(*m_db));
    QFont f = QApplication::font();
    f.setPointSize(ctx.config.fontSize);
    QApplication::setFont(f);
    applyRowHeight();
    createModels();
    switchToList(Products);
}

Tfrm_Main::~Tfrm_Main() {
    for (QTableView* g : m_grids)
        if (g)
            g->setModel(nullptr);
}

QAction* Tfrm_Main::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}
QTableView* Tfrm_Main::grid(int list) const {
    return m_grids[list];
}
QLineEdit* Tfrm_Main::searchBox(int list) const {
    return m_search[list];
}
PagedTableModel* Tfrm_Main::model(int list) const {
    return m_models[list].get();
}
QMenu* Tfrm_Main::popupMenu(int list) const {
    return m_popup[list];
}

int Tfrm_Main::currentRow(int list) const {
    return m_grids[list]->currentIndex().isValid() ? m_grids[list]->currentIndex().row() : -1;
}

QVariant Tfrm_Main::currentKey(int list) const {
    const int row = currentRow(list);
    return m_models[list] && row >= 0 ? m_models[list]->keyAt(row) : QVariant();
}

// ---- Actions ---------------------------------------------------------------

void Tfrm_Main::buildActions() {
    for (const ActionDef& def : mainWindowActions()) {
        const QString name = QLatin1String(def.name);
        auto* a = new QAction(QString::fromUtf8(def.caption), this);
        a->setObjectName(name);
        if (*def.shortcut)
            a->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
        a->setStatusTip(a->text());
        QMainWindow::addAction(a);
        connect(a, &QAction::triggered, this, [this, name] { runAction(name); });
        m_actions.insert(name, ActionState{});
    }
    for (const char* n : kListActions)
        action(QLatin1String(n))->setCheckable(true);
    action(QStringLiteral("aLevelUgyfel"))->setIconText(QStringLiteral("Levél"));
}

void Tfrm_Main::handle(const char* name, int listMask, std::function<void(int)> handler) {
    setCapability(QLatin1String(name), std::move(handler), listMask);
}

void Tfrm_Main::setCapability(const QString& actionName, std::function<void(int)> handler, int listMask) {
    auto it = m_actions.find(actionName);
    if (it == m_actions.end())
        return;
    for (int list = 0; list < 3; ++list)
        if (listMask & (1 << list))
            it->handlers[size_t(list)] = handler;
    updateActionStates();
}

void Tfrm_Main::setCapabilityEnabled(const QString& actionName, bool enabled) {
    auto it = m_actions.find(actionName);
    if (it == m_actions.end())
        return;
    it->enabled = enabled;
    updateActionStates();
}

void Tfrm_Main::updateActionStates() {
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        if (QAction* a = action(it.key()))
            a->setEnabled(it->enabled && bool(it->handlers[size_t(m_current)]));
    // A drop-down works when one of its items does, and shows when one of
    // them is shown.
    for (const DropDown& d : m_dropDowns) {
        bool enabled = false, visible = false;
        for (const QAction* a : d.button->menu()->actions()) {
            enabled = enabled || (a->isEnabled() && a->isVisible());
            visible = visible || a->isVisible();
        }
        d.button->setEnabled(enabled);
        d.holder->setVisible(visible);
    }
}

void Tfrm_Main::runAction(const QString& name) {
    if (!m_db->isOpen())
        return; // the start was ended, or the window is closing
    const auto it = m_actions.constFind(name);
    if (it == m_actions.cend() || !it->enabled)
        return;
    const auto handler = it->handlers[size_t(m_current)];
    if (!handler)
        return;
    if (const auto right = requiredRight(name); right && !checkRight(app().user, *right, m_dialogs))
        return;
    try {
        handler(m_current);
    } catch (const DbError& e) {
        showError(e.text());
    }
}

void Tfrm_Main::installHandlers() {
    handle("aCikktorzs", OnAllLists, [this](int) { switchToList(Products); });
    handle("aVevok", OnAllLists, [this](int) { switchToList(Customers); });
    handle("aMozgas", OnAllLists, [this](int) { switchToList(Documents); });
    handle("aFrissit", OnAllLists, [this](int list) { openList(list); });
    handle("aKeres", OnAllLists, [this](int list) {
        m_search[list]->setFocus();
        m_search[list]->selectAll();
    });
    handle("aTermKeres", OnAllLists, [this](int list) {
        if (list == Documents)
            findDocument();
        else
            findProductOrCustomer(list);
    });
    handle("aTorol", OnProducts | OnCustomers, [this](int list) { deleteRow(list); });
    handle("aExcelbe", OnAllLists, [this](int list) { exportShownList(list); });
    handle("aHtml", OnAllLists, [this](int list) { m_exportHtml(htmlListOf(list)); });
    handle("aUgrik", OnDocuments, [this](int) { jumpToCustomer(); });
    handle("aLevelUgyfel", OnCustomers | OnDocuments, [this](int list) { mailCustomer(list); });
    handle("aTerkep1", OnCustomers, [this](int) { showMap(false); });
    handle("aTerkep2", OnCustomers, [this](int) { showMap(true); });
    handle("aMyEnvelope", OnAllLists, [this](int) { exportMyEnvelope(); });
    handle("aSugo", OnAllLists, [this](int) { openLink(QUrl(programLinks().help)); });
    handle("aFontos", OnAllLists, [this](int) { openProgramFile(kDocumentationFile); });
    handle("aUjdonsag", OnAllLists, [this](int) { openProgramFile(kNewsProgram); });
    handle("aLevel", OnAllLists,
           [this](int) { openLink(mailUrl(programLinks().makerEmail, kMakerMailSubject)); });
    handle("aHonlap", OnAllLists, [this](int) { openLink(QUrl(programLinks().homePage)); });
    handle("aPortal", OnAllLists, [this](int) { openLink(QUrl(programLinks().portal)); });
    handle("aNevjegy", OnAllLists, [this](int) { showAbout(); });
    handle("aFelhasznalo", OnAllLists, [this](int) { openUsersWindow(this, *m_db); });
    handle("aNyelv", OnAllLists, [this](int) { openTranslation(); });
    handle("aAdatbazis", OnAllLists, [this](int) { openDatabaseList(); });
    handle("aArchival", OnAllLists, [this](int) { archiveDatabase(); });
    handle("aBetuNovel", OnAllLists, [this](int) { changeFontSize(+1); });
    handle("aBetuCsokkent", OnAllLists, [this](int) { changeFontSize(-1); });
    handle("aBezar", OnAllLists, [this](int) { close(); });
    installMasterHandlers();
    installInvoicingHandlers();
}

// Products, customers, their addresses, the code tables and the issuer.
void Tfrm_Main::installMasterHandlers() {
    handle("aUj", OnProducts | OnCustomers, [this](int list) {
        if (list == Products) {
            if (const auto code = editProduct(this, *m_db, std::nullopt))
                reopenOn(list, *code);
        } else if (const auto key = editCustomer(this, *m_db, std::nullopt)) {
            reopenOn(list, *key);
        }
    });
    handle("aSzerkeszt", OnAllLists, [this](int list) {
        const QVariant key = currentKey(list);
        if (!key.isValid())
            return;
        if (list == Products) {
            if (const auto code = editProduct(this, *m_db, key.toString()))
                reopenOn(list, *code);
        } else if (list == Customers) {
            if (const auto saved = editCustomer(this, *m_db, key.toLongLong()))
                reopenOn(list, *saved);
        } else {
            ui::openInvoiceEditor(this, *m_db, key.toLongLong(), [this](qint64 doc) { RefreshRegister(doc); });
        }
    });
    handle("aSokCim", OnCustomers | OnDocuments, [this](int list) {
        if (const auto customer = currentCustomer(list))
            openDeliveryAddresses(this, *m_db, *customer);
    });
    handle("aAfakulcs", OnAllLists, [this](int) {
        ui::Tfrm_Afakulcs window(*m_db, m_dialogs, [this] { refreshList(Products); }, this);
        window.exec();
    });
    handle("aTulajdonos", OnAllLists, [this](int) {
        openIssuerWindow(this, *m_db);
        setWindowTitle(mainCaption(*m_db));
    });
    const std::pair<const char*, CodeTableId> tables[] = {
        {"aMe", CodeTableId::Units},           {"aTorzsVtsz", CodeTableId::TariffNumbers},
        {"aSzarmazas", CodeTableId::Origins},  {"aKategoria", CodeTableId::Categories},
        {"aFiztip", CodeTableId::PaymentMethods}, {"aVat", CodeTableId::Currencies},
        {"aPrnTip", CodeTableId::DocumentTypes}, {"aKasszak", CodeTableId::CashDesks},
        {"aKasszaTipus", CodeTableId::CashMovementTypes}};
    for (const auto& [name, id] : tables) {
        const CodeTableId table = id;
        handle(name, OnAllLists, [this, table](int list) {
            openCodeTable(this, *m_db, table, CodeTableMode::Maintain);
            if (list != Documents)
                refreshList(list);
        });
    }
}

// New documents, editing and the quick sale.
void Tfrm_Main::installInvoicingHandlers() {
    const auto refresh = [this](qint64 doc) { RefreshRegister(doc); };
    // The customer, the reverse-charge choice, then the documents list and
    // the editor: a cancelled choice leaves the list shown as it was.
    const auto newDocument = [this, refresh](int list, QChar kind) {
        const auto customer = currentCustomer(list);
        if (!customer)
            return;
        ui::newDocumentFromRegister(this, *m_db, kind, *customer, refresh, [this] { switchToList(Documents); });
    };
    handle("aSzallito", OnAllLists, [newDocument](int list) { newDocument(list, QLatin1Char('S')); });
    handle("aProforma", OnAllLists, [newDocument](int list) { newDocument(list, QLatin1Char('P')); });
    // The document print, when the program installed it.
    const ui::DocumentPrintHooks& printing = ui::documentPrintHooks();
    if (printing.preview)
        handle("aNyomtatKep", OnDocuments, [this](int list) {
            const QVariant key = currentKey(list);
            if (!key.isValid())
                return;
            const bool fa = m_db->queryText(QStringLiteral("SELECT fa FROM szla WHERE szla=?"), QString(), {key})
                                .trimmed() == QLatin1String("I");
            ui::documentPrintHooks().preview(this, *m_db, key.toLongLong(), fa);
        });
    if (printing.print)
        handle("aNyomtat", OnDocuments, [this](int list) {
            const QVariant key = currentKey(list);
            if (!key.isValid())
                return;
            ui::documentPrintHooks().print(this, *m_db, key.toLongLong(), [this](qint64 doc) { RefreshRegister(doc); });
        });
    installPostingHandlers();
    if (printing.sendCopy)
        handle("aKuldes", OnDocuments, [this](int list) {
            const QVariant key = currentKey(list);
            if (!key.isValid())
                return;
            ui::documentPrintHooks().sendCopy(this, *m_db, key.toLongLong(), [this](qint64 doc) { RefreshRegister(doc); });
        });
    // The tax authority's audit export, when the program installed it.
    const ui::AuditExportHooks& audit = ui::auditExportHooks();
    if (audit.byPeriod)
        handle("aNav1", OnAllLists, [this](int) { ui::auditExportHooks().byPeriod(this, *m_db, m_dialogs); });
    if (audit.byNumbers)
        handle("aNav2", OnAllLists, [this](int) { ui::auditExportHooks().byNumbers(this, *m_db, m_dialogs); });
    // The accounting hand-overs, when the program installed them.
    const ui::AccountingExportHooks& accounting = ui::accountingExportHooks();
    if (accounting.forintSoft)
        handle("aForint", OnAllLists, [this](int) { ui::accountingExportHooks().forintSoft(this, *m_db, m_dialogs); });
    if (accounting.kSzlaKet)
        handle("aKSzlaKet", OnAllLists, [this](int) { ui::accountingExportHooks().kSzlaKet(this, *m_db, m_dialogs); });
    handle("aEbbolEladok", OnProducts, [this, refresh](int list) {
        const QVariant code = currentKey(list);
        if (!code.isValid())
            return;
        if (ui::quickSale(this, *m_db, code.toString(), -1, refresh))
            switchToList(Documents);
    });
}

namespace {

// The credit note's customer chooser and reverse-charge choice.
class WindowCreditNoteUi : public CreditNoteUi {
public:
    WindowCreditNoteUi(QWidget* parent, Database& db) : m_parent(parent), m_db(db) {}
    std::optional<qint64> chooseCustomer() override {
        const auto choice = orvix::ui::chooseCustomer(m_parent, m_db, -1);
        if (!choice)
            return std::nullopt;
        return choice->ugyfel;
    }
    std::optional<bool> chooseReverseCharge() override {
        return ui::AfaTartalomChooser(m_parent).chooseReverseCharge();
    }

private:
    QWidget* m_parent;
    Database& m_db;
};

} // namespace

// Posting, cancelling, the credit note and posting everything unposted.
void Tfrm_Main::installPostingHandlers() {
    const auto refresh = [this](qint64 doc) { RefreshRegister(doc); };
    handle("aKonyvel", OnDocuments, [this](int list) {
        const QVariant key = currentKey(list);
        if (!key.isValid())
            return;
        PostAction(*m_db, m_dialogs, app().settings, app().user, key.toLongLong());
        RefreshRegister(key.toLongLong());
    });
    handle("aTorol", OnDocuments, [this, refresh](int list) {
        const QVariant key = currentKey(list);
        if (!key.isValid())
            return;
        const auto cancelling = CancelDocument(*m_db, m_dialogs, app().settings, app().user, key.toLongLong());
        if (!cancelling)
            return;
        RefreshRegister(key.toLongLong());
        if (*cancelling <= 0)
            return;
        RefreshRegister(*cancelling);
        const qint64 customer =
            m_db->queryInt(QStringLiteral("SELECT ugyfel FROM szla WHERE szla=?"), -1, {*cancelling});
        const bool fa = m_db->queryText(QStringLiteral("SELECT fa FROM szla WHERE szla=?"), QString(), {key})
                            .trimmed() == QLatin1String("I");
        ui::openInvoiceEditor(this, *m_db, kKindCancelling, *cancelling, customer, fa, refresh);
    });
    handle("aJovair", OnAllLists, [this, refresh](int list) {
        const QVariant key = currentKey(list);
        const CreditNoteContext context = list == Products    ? CreditNoteContext::Products
                                          : list == Customers ? CreditNoteContext::Customers
                                                              : CreditNoteContext::Documents;
        if (list == Customers && !key.isValid())
            return;
        WindowCreditNoteUi creditUi(this, *m_db);
        const auto start = StartCreditNote(*m_db, m_dialogs, creditUi, app().settings, app().user, context,
                                           key.isValid() && list != Products ? key.toLongLong() : -1);
        if (!start)
            return;
        switchToList(Documents);
        if (start->copy > 0)
            RefreshRegister(start->copy);
        ui::openInvoiceEditor(this, *m_db, kKindCreditNote, start->copy, start->customer, start->reverseCharge,
                              refresh);
    });
    // "Kifizet": the current document paid in full.
    handle("aKifizet", OnDocuments, [this](int list) {
        const QVariant key = currentKey(list);
        if (!key.isValid())
            return;
        ui::payDocument(this, *m_db, m_dialogs, key.toLongLong());
        RefreshRegister(key.toLongLong());
    });
    // "Részben, vagy összevont kifizetés": an amount of a customer over the
    // customer's unpaid invoices.
    handle("aKifizet2", OnDocuments, [this](int list) {
        const QVariant key = currentKey(list);
        const qint64 preset =
            key.isValid() ? m_db->queryInt(QStringLiteral("SELECT ugyfel FROM szla WHERE szla=?"), -1, {key}) : -1;
        const auto customer = chooseCustomer(this, *m_db, preset);
        if (!customer)
            return;
        try {
            const double debt = CustomerDebt(*m_db, customer->ugyfel);
            std::optional<double> amount;
            for (;;) {
                amount = m_dialogs.inputQuantity(kPaymentCaption, kPaymentPrompt, debt, false, debt);
                if (!amount)
                    return;
                const auto problem = CombinedAmountProblem(*amount, debt);
                if (!problem)
                    break;
                m_dialogs.error(*problem);
            }
            // Nothing to take in (a customer without debt): no desk is asked.
            if (*amount < kPaymentTolerance) {
                m_dialogs.error(kAmountNotPositive);
                return;
            }
            const auto desk = chooseCashDesk(this, *m_db);
            const CombinedPaymentResult result =
                PayCustomer(*m_db, m_dialogs, customer->ugyfel, *amount,
                            desk ? std::optional<qint64>(desk->cassak) : std::nullopt);
            if (key.isValid())
                RefreshRegister(key.toLongLong());
            if (result.done)
                m_dialogs.info(kPaymentDone);
        } catch (const DbError& e) {
            m_dialogs.error(e.text());
        }
    });
    if (ui::documentPrintHooks().print)
        handle("aKonyvelNyom", OnDocuments, [this](int) {
            qint64 last = -1;
            PostAllUnposted(*m_db, m_dialogs, app().settings, app().user, [this, &last](qint64 doc) {
                last = doc;
                RefreshRegister(doc);
                ui::documentPrintHooks().print(this, *m_db, doc, [this](qint64 d) { RefreshRegister(d); });
            });
            if (last > 0)
                RefreshRegister(last);
        });
}

// The current customer: the chooser on the products list, the current row on
// the customers list, the current document's customer on the documents list.
std::optional<qint64> Tfrm_Main::currentCustomer(int list) {
    if (list == Products) {
        const auto choice = chooseCustomer(this, *m_db, -1);
        if (!choice)
            return std::nullopt;
        return choice->ugyfel;
    }
    const QVariant key = currentKey(list);
    if (!key.isValid())
        return std::nullopt;
    if (list == Customers)
        return key.toLongLong();
    return m_db->queryInt(QStringLiteral("SELECT ugyfel FROM szla WHERE szla = ?"), -1, {key});
}

// Reopens a list with its cursor on the given key.
void Tfrm_Main::reopenOn(int list, const QVariant& key) {
    m_rememberedKey[list] = key;
    openList(list);
}

void Tfrm_Main::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (!*n)
                menu->addSeparator();
            else
                menu->addAction(action(QLatin1String(n)));
        }
    };
    add(bar->addMenu(QStringLiteral("Rekordok")),
        {"aUj", "aSzerkeszt", "aTorol", "", "aKeres", "aTermKeres", "aFrissit", "", "aNyomtatKep", "aNyomtat",
         "aExcelbe", "aHtml"});
    add(bar->addMenu(QStringLiteral("Törzsadattárak")),
        {"aTulajdonos", "", "aMe", "aTorzsVtsz", "aSzarmazas", "aKategoria", "aFiztip", "aVat", "aSzamlaMinta", "aPrnTip",
         "aAfakulcs", "", "aSokCim", "aTerkep1", "aTerkep2", "aLevelUgyfel", "", "aCikktorzsFrissit",
         "aUgyfFrissit", "aKlubor", "aMyEnvelope"});
    add(bar->addMenu(QStringLiteral("Kassza")), {"aKassza", "aKasszak", "aKasszaTipus"});
    add(bar->addMenu(QStringLiteral("Számlázás")),
        {"aSzallito",  "aProforma", "aJovair",      "aEloleg",  "aUjAdomentes", "aSzlaMinta", "aEbbolEladok",
         "",           "aKonyvel",  "aKonyvelNyom", "aKifizet", "aKifizet2",    "",           "aUgrik",
         "aVevoFolyo", "aKuldes",   "aGoogleDocs",  "",         "aGari",        "aGariKeres"});
    QMenu* printing = bar->addMenu(QStringLiteral("Nyomtatások"));
    QMenu* documents = printing->addMenu(QStringLiteral("Számlák"));
    add(documents->addMenu(QStringLiteral("Kiadott számlák")), {"aSzla1", "aJov", "aProform", "aFizElo"});
    add(documents, {"aAfa", "aFolyoszamla", "", "aSzallevNyom", "aBoritekNyom", "aAjanlott"});
    add(printing->addMenu(QStringLiteral("Cikktörzs, árlista")),
        {"aCikkNyom", "aNyomArlista", "aCimkeNyom", "aVevoLista"});
    add(printing->addMenu(QStringLiteral("Kimenet")),
        {"aForgElemez", "aTop50", "aErtBong", "aVevoVesz", "aCikkKarton", "aVevoTortenet", "", "aChMegoszlas",
         "aChArbev1", "aChArbev2"});
    add(bar->addMenu(QStringLiteral("NAV")), {"aNav1", "aNav2", "", "aForint", "aKSzlaKet"});
    add(bar->addMenu(QStringLiteral("Rendszer")),
        {"aFelhasznalo", "aBeallit", "aNyelv", "", "aAdatbazis", "aArchival", "aSQL", "", "aBetuNovel",
         "aBetuCsokkent", "", "aBezar"});
    add(bar->addMenu(QStringLiteral("Ablak")), {"aCikktorzs", "aVevok", "aMozgas"});
    add(bar->addMenu(QStringLiteral("Súgó")),
        {"aSugo", "aFontos", "aUjdonsag", "", "aLevel", "aHonlap", "aPortal", "", "aNevjegy"});
}

// ---- Lists -----------------------------------------------------------------

void Tfrm_Main::buildLists() {
    m_stack = new QStackedWidget(this);
    for (int i = 0; i < 3; ++i) {
        const RegisterListDef& def = registerList(i);
        auto* panel = new QWidget(m_stack);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(2, 2, 2, 0);
        layout->setSpacing(2);

        auto* searchRow = new QHBoxLayout;
        auto* title = new QLabel(def.title, panel);
        title->setStyleSheet(QStringLiteral("font-weight: bold")); // keeps following the font size
        searchRow->addWidget(title);
        searchRow->addSpacing(12);
        m_searchTitle[i] = new QLabel(panel);
        searchRow->addWidget(m_searchTitle[i]);
        m_search[i] = new QLineEdit(panel);
        m_search[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        m_search[i]->setClearButtonEnabled(true);
        m_search[i]->setMaximumWidth(240);
        m_search[i]->installEventFilter(this);
        m_searchTitle[i]->setBuddy(m_search[i]);
        searchRow->addWidget(m_search[i], 1);
        searchRow->addStretch();
        connect(m_search[i], &QLineEdit::textChanged, this,
                [this, i](const QString& t) { searchTextChanged(i, t); });

        m_grids[i] = ui::makeListGrid(panel, nullptr, QStringLiteral("DBGrid%1").arg(i == 2 ? 4 : i + 1));
        QTableView* g = m_grids[i];
        g->setWordWrap(false);
        g->setAlternatingRowColors(false);
        g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        g->horizontalHeader()->setStretchLastSection(false);
        g->setItemDelegate(new ListDelegate(g));
        g->installEventFilter(this);
        g->viewport()->installEventFilter(this);
        g->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(g->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, i](int c) { sortByColumn(i, c); });
        connect(g, &QTableView::customContextMenuRequested, this,
                [this, i](const QPoint& p) { m_popup[i]->popup(m_grids[i]->viewport()->mapToGlobal(p)); });
        connect(g, &QTableView::doubleClicked, this, [this] {
            if (QAction* a = action(QStringLiteral("aSzerkeszt")); a && a->isEnabled())
                a->trigger();
        });

        auto* toolbar = new QToolBar(panel);
        toolbar->setObjectName(QStringLiteral("ToolBar%1").arg(i + 1));
        toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        toolbar->setIconSize(QSize(16, 16));
        layout->addWidget(toolbar);
        layout->addLayout(searchRow);
        layout->addWidget(g, 1);
        m_stack->addWidget(panel);
    }
    setCentralWidget(m_stack);
    buildToolBars();
    buildPopupMenus();
}

void Tfrm_Main::buildToolBars() {
    const auto drop = [this](QToolBar* bar, const QString& name, const QString& text,
                             std::initializer_list<const char*> names) {
        auto* menu = new QMenu(text, bar);
        for (const char* n : names)
            menu->addAction(action(QLatin1String(n)));
        auto* button = new QToolButton(bar);
        button->setObjectName(name);
        button->setText(text);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        QAction* holder = bar->addWidget(button);
        holder->setObjectName(name + QStringLiteral("Holder"));
        m_dropDowns << DropDown{button, holder};
    };
    const auto add = [this](QToolBar* bar, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (!*n)
                bar->addSeparator();
            else
                bar->addAction(action(QLatin1String(n)));
        }
    };
    const QStringList printNames{QStringLiteral("tbNyomtat1"), QStringLiteral("tbNyomtat2"),
                                 QStringLiteral("tbNyomtat3")};
    QToolBar* products = m_grids[Products]->parentWidget()->findChild<QToolBar*>();
    add(products, {"aUj", "aSzerkeszt", "aTorol", "aFrissit", ""});
    drop(products, printNames[0], QStringLiteral("Nyomtat"),
         {"aNyomtatKep", "aNyomtat", "aCikkNyom", "aNyomArlista", "aCimkeNyom"});
    add(products, {"aExcelbe", "aEbbolEladok", ""});
    drop(products, QStringLiteral("tbElemzesek1"), QStringLiteral("Elemzések"),
         {"aCikkKarton", "aErtBong", "aForgElemez", "aChMegoszlas", "aChArbev1", "aChArbev2"});

    QToolBar* customers = m_grids[Customers]->parentWidget()->findChild<QToolBar*>();
    add(customers, {"aUj", "aSzerkeszt", "aTorol", "aFrissit", ""});
    drop(customers, QStringLiteral("tbUjSzamla2"), QStringLiteral("Új számla"),
         {"aSzallito", "aProforma", "aJovair", "aEloleg", "aSzlaMinta"});
    drop(customers, printNames[1], QStringLiteral("Nyomtat"),
         {"aNyomtatKep", "aNyomtat", "aBoritekNyom", "aAjanlott", "aCimkeNyom", "aVevoLista"});
    drop(customers, QStringLiteral("tbTerkep"), QStringLiteral("Térkép"), {"aTerkep1", "aTerkep2"});
    add(customers, {"aLevelUgyfel", "aVevoFolyo", "aExcelbe"});
    drop(customers, QStringLiteral("tbElemzesek2"), QStringLiteral("Elemzések"),
         {"aVevoTortenet", "aVevoVesz", "aFolyoszamla", "aTop50"});

    QToolBar* documents = m_grids[Documents]->parentWidget()->findChild<QToolBar*>();
    add(documents, {"aSzerkeszt", "aFrissit", ""});
    drop(documents, QStringLiteral("tbUjSzamla3"), QStringLiteral("Új számla"),
         {"aSzallito", "aProforma", "aJovair", "aEloleg", "aUjAdomentes", "aSzlaMinta"});
    add(documents, {"aKonyvel"});
    drop(documents, QStringLiteral("tbKifizet"), QStringLiteral("Kifizet"), {"aKifizet", "aKifizet2"});
    drop(documents, printNames[2], QStringLiteral("Nyomtat"),
         {"aNyomtatKep", "aNyomtat", "aSzallevNyom", "aBoritekNyom", "aAjanlott", "aKonyvelNyom"});
    add(documents, {"aKuldes"});
    drop(documents, QStringLiteral("tbGari"), QStringLiteral("Gar.jegy"), {"aGari", "aGariKeres"});
    add(documents, {"", "aUgrik", "aTermKeres", "aExcelbe"});
}

void Tfrm_Main::buildPopupMenus() {
    const auto menu = [this](int list, std::initializer_list<const char*> names) {
        auto* m = new QMenu(m_grids[list]);
        m->setObjectName(QStringLiteral("PopupMenu%1").arg(list + 1));
        for (const char* n : names) {
            if (!*n)
                m->addSeparator();
            else
                m->addAction(action(QLatin1String(n)));
        }
        m_popup[list] = m;
        return m;
    };
    menu(Products, {"aUj", "aSzerkeszt", "aTorol", "", "aEbbolEladok", "aCikkKarton", "", "aKeres",
                    "aFrissit", "", "aNyomtatKep", "aExcelbe", "aHtml"});
    QMenu* customers = menu(Customers, {"aUj", "aSzerkeszt", "aTorol", ""});
    // Items of the customer pop-up that start documents of their own kind
    // have no effect yet: they are shown disabled.
    for (const auto& [name, text] :
         {std::pair{"miUjSzamla", "Új számla"}, std::pair{"miUjJovairas", "Új jóváírás"},
          std::pair{"miUjEloleg", "Új előleg"}}) {
        QAction* a = customers->addAction(QString::fromUtf8(text));
        a->setObjectName(QLatin1String(name));
        a->setEnabled(false);
    }
    for (const char* n : {"", "aLevelUgyfel", "aTerkep1", "aTerkep2", "aVevoFolyo", "aSokCim", "", "aKeres",
                          "aFrissit", "", "aNyomtatKep", "aBoritekNyom", "aExcelbe", "aHtml"}) {
        if (!*n)
            customers->addSeparator();
        else
            customers->addAction(action(QLatin1String(n)));
    }
    menu(Documents, {"aSzerkeszt",  "aKonyvel",   "aKifizet",     "aKifizet2", "",
                     "aNyomtatKep", "aNyomtat",   "aSzallevNyom", "aKuldes",   "",
                     "aUgrik",      "aVevoFolyo", "aTermKeres",   "aFrissit",  "",
                     "aGari",       "aExcelbe",   "aHtml",        "",          "aTorol"});
}

void Tfrm_Main::buildStatusBar() {
    QStatusBar* bar = statusBar();
    for (int i = 0; i < 3; ++i) {
        m_panel[i] = new QLabel(bar);
        m_panel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    }
    m_panel[0]->setMinimumWidth(110);
    bar->addWidget(m_panel[0]);
    bar->addWidget(m_panel[1], 1);
    bar->addWidget(m_panel[2]);
    m_tabs = new QTabBar(bar);
    m_tabs->setObjectName(QStringLiteral("TabSet1"));
    for (int i = 0; i < 3; ++i)
        m_tabs->addTab(registerList(i).tabText);
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setDrawBase(false);
    bar->addPermanentWidget(m_tabs);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int i) {
        if (i != m_current)
            switchToList(i);
    });
    // The hint of the control under the mouse, after two spaces.
    connect(bar, &QStatusBar::messageChanged, this, [this](const QString& text) {
        m_panel[1]->setText(text.isEmpty() ? QString() : QStringLiteral("  ") + text);
    });
}

void Tfrm_Main::settingsChanged() {
    reloadSettings(app(), *m_db, m_dialogs);
    applySettingsToActions();
    setWindowTitle(mainCaption(*m_db));
}

// The open data folder into a ZIP file. The database goes in as a snapshot,
// so the lists stay open while it is made; afterwards (and when the dialog
// is cancelled) the products list is shown again.
void Tfrm_Main::archiveDatabase() {
    AppContext& ctx = app();
    const QString file = m_chooseArchiveFile(offeredArchiveFile(mainArchiveFolder(ctx), QDate::currentDate()));
    if (!file.isEmpty() && !archiveOpenDataFolder(ctx, file, m_dialogs))
        return;
    if (m_current == Products)
        openList(Products);
    else
        switchToList(Products);
}

void Tfrm_Main::applySettingsToActions() {
    const Settings& s = app().settings;
    for (const char* n : {"aGari", "aGariKeres"})
        action(QLatin1String(n))->setVisible(s.vangari);
    action(QStringLiteral("aUjAdomentes"))->setVisible(s.vanmentes);
    action(QStringLiteral("aSokCim"))->setVisible(s.vansokcim);
    updateActionStates();
}

void Tfrm_Main::createModels() {
    for (int i = 0; i < 3; ++i) {
        m_models[i] = makeListModel(*m_db, i, app().settings);
        PagedTableModel* m = m_models[i].get();
        // Shown after the paint that met the error, not in the middle of it.
        connect(m, &PagedTableModel::queryFailed, this, &Tfrm_Main::showError, Qt::QueuedConnection);
        m_grids[i]->setModel(m);
        connect(m_grids[i]->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, i] { rowChanged(i); });
        const RegisterListDef& def = registerList(i);
        m_searchField[i] = def.orderField.isEmpty() ? def.source.key : def.orderField;
        updateSearchTitle(i);
    }
    setProductListOrder(registerList(Products).orderField);
}

void Tfrm_Main::switchToList(int list) {
    if (list < Products || list > Documents)
        return;
    m_current = list;
    for (int i = 0; i < 3; ++i)
        if (i != list)
            closeList(i);
    m_stack->setCurrentIndex(list);
    for (int i = 0; i < 3; ++i)
        action(QLatin1String(kListActions[i]))->setChecked(i == list);
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(list);
    }
    updateActionStates();
    openList(list);
    if (list == Documents)
        m_grids[list]->setFocus();
    else
        m_search[list]->setFocus();
}

void Tfrm_Main::closeList(int list) {
    if (m_models[list])
        m_models[list]->close();
}

void Tfrm_Main::openList(int list) {
    PagedTableModel* m = m_models[list].get();
    if (!m || !m_db->isOpen())
        return;
    const int previousRow = currentRow(list);
    m_opening = true;
    m->reload();
    int row = m_rememberedKey[list].isValid() ? m->rowOfKey(m_rememberedKey[list]) : -1;
    // A row that is gone (deleted) leaves the cursor where it was.
    if (row < 0 && m->rowCount() > 0)
        row = std::clamp(previousRow, 0, m->rowCount() - 1);
    m_opening = false;
    setCurrentRow(list, row);
    applyColumnWidths(list);
    updateStatus();
}

void Tfrm_Main::setCurrentRow(int list, int row, bool atTop) {
    QTableView* g = m_grids[list];
    PagedTableModel* m = m_models[list].get();
    if (!m || row < 0 || row >= m->rowCount()) {
        rowChanged(list);
        return;
    }
    const int column = std::max(g->currentIndex().column(), 0);
    const QModelIndex index = m->index(row, column);
    // A search hit goes to the top, so that the rows after it show; any other
    // move brings a row out of sight to the middle.
    const bool visible = g->viewport()->rect().contains(g->visualRect(index));
    g->selectionModel()->setCurrentIndex(index,
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (atTop)
        g->scrollTo(index, QAbstractItemView::PositionAtTop);
    else if (!visible)
        g->scrollTo(index, QAbstractItemView::PositionAtCenter);
    rowChanged(list);
}

void Tfrm_Main::rowChanged(int list) {
    if (m_opening)
        return;
    const QVariant key = currentKey(list);
    if (key.isValid())
        m_rememberedKey[list] = key;
    if (list == m_current)
        updateStatus();
}

void Tfrm_Main::updateStatus() {
    PagedTableModel* m = m_models[m_current].get();
    if (!m)
        return;
    const int row = currentRow(m_current);
    m_panel[0]->setText(recPosText(m->rowCount(), row));
    // The documents list shows who recorded the current document.
    m_panel[2]->setText(m_current == Documents && row >= 0
                            ? m->value(row, QStringLiteral("felhasznalo")).toString()
                            : QString());
}

void Tfrm_Main::applyColumnWidths(int list) {
    QTableView* g = m_grids[list];
    const RegisterListDef& def = registerList(list);
    const QVector<double>& fractions = def.widths;
    const int viewport = g->viewport()->width();
    int marks = 0;
    for (double f : fractions)
        if (f <= 0)
            ++marks;
    const int avail = std::max(viewport - marks * kMarkColumnWidth, 200);
    // Each column takes its share of the grid, but never less than its title
    // and a typical value need; what that adds is taken from the widest
    // column when it can spare it.
    const QFontMetrics text(g->font());
    const QFontMetrics title(g->horizontalHeader()->font());
    QVector<int> widths, minimums;
    int widest = 0;
    for (int c = 0; c < fractions.size() && c < def.columns.size(); ++c) {
        const ListColumn& col = def.columns.at(c);
        QString sample;
        switch (col.format) {
        case ColumnFormat::Date:
            sample = QStringLiteral("0000.00.00");
            break;
        case ColumnFormat::Zero5:
            sample = QStringLiteral("00000");
            break;
        case ColumnFormat::Money:
            sample = QStringLiteral("0 000 000");
            break;
        case ColumnFormat::Number:
            sample = QStringLiteral("00,0");
            break;
        default:
            break;
        }
        int minimum =
            std::max(title.horizontalAdvance(col.caption) + 12, text.horizontalAdvance(sample) + 10);
        if (fractions.at(c) <= 0)
            minimum = std::max(minimum, kMarkColumnWidth);
        minimums << minimum;
        widths << std::max(int(fractions.at(c) * avail), minimum);
        if (fractions.at(c) > fractions.at(widest))
            widest = c;
    }
    int total = 0;
    for (int w : widths)
        total += w;
    const int spare =
        widths.value(widest) - std::max(minimums.value(widest), int(0.75 * fractions.value(widest) * avail));
    // A list too wide anyway scrolls sideways and keeps its widest column.
    if (total > viewport && spare >= total - viewport)
        widths[widest] -= total - viewport;
    for (int c = 0; c < widths.size(); ++c)
        g->setColumnWidth(c, widths.at(c));
}

void Tfrm_Main::applyRowHeight() {
    const int height = QFontMetrics(QApplication::font()).height() + 6;
    for (QTableView* g : m_grids)
        g->verticalHeader()->setDefaultSectionSize(height);
}

void Tfrm_Main::updateSearchTitle(int list) {
    PagedTableModel* m = m_models[list].get();
    const int column = m ? m->columnOf(m_searchField[list]) : -1;
    const QString caption = column >= 0 ? m->columns().at(column).caption : m_searchField[list];
    m_searchTitle[list]->setText(QStringLiteral("Keresés (%1):").arg(caption));
}

void Tfrm_Main::searchTextChanged(int list, const QString& text) {
    PagedTableModel* m = m_models[list].get();
    if (list != m_current || !m)
        return;
    try {
        const std::optional<int> row = searchList(m->query(), list, m_searchField[list], text);
        if (row && *row >= 0)
            setCurrentRow(list, *row, true);
    } catch (const DbError& e) {
        showError(e.text());
    }
}

void Tfrm_Main::sortByColumn(int list, int column) {
    PagedTableModel* m = m_models[list].get();
    if (!m || column < 0 || column >= m->columns().size())
        return;
    const SortChoice choice = sortForColumn(list, m->columns().at(column).field);
    if (!choice.ok) {
        m_dialogs.error(kCannotSortMessage);
        return;
    }
    const QVariant key = currentKey(list);
    m_opening = true;
    m->setOrder(choice.field, choice.descending);
    m->setHighlightedColumn(column);
    // The product chooser opens in the order of this list.
    if (list == Products)
        setProductListOrder(choice.field);
    const int row = key.isValid() ? m->rowOfKey(key) : -1;
    m_opening = false;
    setCurrentRow(list, row >= 0 ? row : 0);
    m_searchField[list] = choice.searchField;
    updateSearchTitle(list);
    if (list == Documents)
        m_search[list]->setFocus();
}

bool Tfrm_Main::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < 3; ++i) {
        if (!m_grids[i] || !m_search[i])
            continue;
        if (watched == m_grids[i]->viewport() && event->type() == QEvent::Resize) {
            applyColumnWidths(i);
        } else if ((watched == m_grids[i] || watched == m_search[i]) && event->type() == QEvent::KeyPress &&
                   listOfAltDigit(static_cast<QKeyEvent*>(event)) >= 0) {
            // Alt+1/2/3 that reaches a list as a key press (the window's
            // shortcuts did not take it: under X a window can get the
            // keyboard without being the active window) still switches the
            // lists, and no digit is typed into a search box.
            runAction(QLatin1String(kListActions[listOfAltDigit(static_cast<QKeyEvent*>(event))]));
            return true;
        } else if (watched == m_grids[i] && event->type() == QEvent::KeyPress) {
            // Typing in a grid starts a search with that character.
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && ui::startsSearch(key->text())) {
                m_search[i]->setFocus();
                m_search[i]->setText(key->text().toLower());
                m_search[i]->setCursorPosition(1);
                return true;
            }
        } else if (watched == m_search[i] && event->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent*>(event)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Down) {
                m_grids[i]->setFocus();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tfrm_Main::showError(const QString& text) {
    m_dialogs.error(text);
}

// ---- What the actions do ----------------------------------------------------

void Tfrm_Main::refreshList(int list) {
    if (list == m_current)
        openList(list);
}

void Tfrm_Main::RefreshRegister(qint64 documentKey) {
    m_rememberedKey[Documents] = documentKey;
    if (m_current == Documents)
        openList(Documents);
    else
        switchToList(Documents);
}

void Tfrm_Main::deleteRow(int list) {
    if (!checkRight(app().user, Right::Write, m_dialogs))
        return;
    const QVariant key = currentKey(list);
    if (!key.isValid())
        return;
    const bool deleted = list == Products
                             ? softDeleteProduct(*m_db, m_dialogs, key.toString(), kDeleteRowQuestion)
                             : softDeleteCustomer(*m_db, m_dialogs, key.toLongLong(), kDeleteRowQuestion);
    if (!deleted)
        return;
    m_rememberedKey[list] = QVariant();
    openList(list);
}

void Tfrm_Main::exportShownList(int list) {
    const RegisterListDef& def = registerList(list);
    QHash<QString, QString> labels;
    for (const ListColumn& c : def.columns)
        labels.insert(c.field, c.caption);
    const PagedQuery& q = m_models[list]->query();
    m_exportList(listCsvQuery(list, q.orderField(), q.descending()), QDir(ui::userFilesFolder()).filePath(def.csvName), labels);
}

HtmlList Tfrm_Main::htmlListOf(int list) const {
    PagedTableModel* model = m_models[list].get();
    HtmlList page = registerHtmlList(list, *model, app().settings, false);
    // The columns as the grid shows them: its order, its widths.
    const QVector<HtmlColumn> listed = page.columns;
    const QVector<ListColumn> columns = model->columns();
    page.columns = ui::gridColumns(*m_grids[list], [&columns](int c) {
        return c >= 0 && c < columns.size() ? columns.at(c).field : QString();
    });
    for (HtmlColumn& c : page.columns)
        for (const HtmlColumn& l : listed)
            if (l.field == c.field) {
                c.numeric = l.numeric;
                c.sumFormat = l.sumFormat;
                c.align = l.align;
            }
    page.gridWidth = m_grids[list]->viewport()->width();
    return page;
}

void Tfrm_Main::exportMyEnvelope() {
    QString path = m_chooseSaveFile(QStringLiteral("Ügyféltörzs export My.Envelope programhoz"),
                                    QStringLiteral("myenvelope.csv"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    try {
        queryToCsv(*m_db, myEnvelopeQueryLines().join(QLatin1Char('\n')), path);
    } catch (const ExportError& e) {
        showError(e.text());
    }
}

void Tfrm_Main::jumpToCustomer() {
    const int row = currentRow(Documents);
    if (row < 0)
        return;
    const QVariant customer = m_models[Documents]->value(row, QStringLiteral("ugyfel"));
    if (customer.isNull())
        return;
    m_rememberedKey[Customers] = customer;
    switchToList(Customers);
}

void Tfrm_Main::findDocument() {
    const std::optional<DocumentRef> ref = ui::searchDocumentWindow(this, *m_db);
    if (!ref)
        return;
    const qint64 key = findDocumentKey(*m_db, *ref);
    const int row = key > 0 ? m_models[Documents]->rowOfKey(key) : -1;
    if (row < 0) {
        m_dialogs.info(kDocumentNotFoundMessage);
        return;
    }
    setCurrentRow(Documents, row);
    m_grids[Documents]->setFocus();
}

void Tfrm_Main::findProductOrCustomer(int list) {
    const std::optional<QVariant> key = ui::searchProductOrCustomer(
        this, *m_db, list == Products ? SearchTarget::Products : SearchTarget::Customers);
    if (!key)
        return;
    const int row = m_models[list]->rowOfKey(*key);
    if (row < 0) {
        // An advance item, for example, is found but not listed here.
        m_dialogs.info(kRowNotListedMessage);
        return;
    }
    setCurrentRow(list, row);
    m_grids[list]->setFocus();
}

void Tfrm_Main::mailCustomer(int list) {
    const int row = currentRow(list);
    if (row < 0)
        return;
    QString address;
    if (list == Customers) {
        address = m_models[Customers]->value(row, QStringLiteral("emil")).toString();
    } else {
        const QVariant customer = m_models[Documents]->value(row, QStringLiteral("ugyfel"));
        address = m_db->queryText(QStringLiteral("SELECT emil FROM ugyfel WHERE ugyfel = ?"), QString(),
                                  {customer});
    }
    const QUrl url = mailUrl(address, kCustomerMailSubject);
    if (url.isEmpty()) {
        m_dialogs.error(kNoEmailMessage);
        return;
    }
    openLink(url);
}

void Tfrm_Main::showMap(bool billingAddress) {
    const int row = currentRow(Customers);
    if (row < 0)
        return;
    PagedTableModel* m = m_models[Customers].get();
    const QString prefix = billingAddress ? QStringLiteral("szla_") : QStringLiteral("cim_");
    openLink(mapSearchUrl(m->value(row, prefix + QStringLiteral("irsz")).toString(),
                          m->value(row, prefix + QStringLiteral("varos")).toString(),
                          m->value(row, prefix + QStringLiteral("cim")).toString()));
}

void Tfrm_Main::openLink(const QUrl& url) {
    if (!m_openUrl(url))
        m_dialogs.error(QStringLiteral("A hivatkozás nem nyitható meg:\n%1").arg(url.toString()));
}

void Tfrm_Main::openProgramFile(const QString& fileName) {
    const QString path = QDir(m_programFolder).filePath(fileName);
    if (!QFileInfo::exists(path)) {
        m_dialogs.error(QStringLiteral("A fájl nem található:\n%1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    openLink(QUrl::fromLocalFile(path));
}

void Tfrm_Main::showAbout() {
    QMessageBox box(this);
    box.setObjectName(QStringLiteral("Tfrm_Nevjegy"));
    box.setWindowTitle(QStringLiteral("Névjegy"));
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.setText(QStringLiteral("<b>Orvix Számla</b> %1").arg(kProgramVersion));
    box.setInformativeText(QStringLiteral("Számlázó program kisvállalkozásoknak.<br>%1")
                               .arg(QDir::toNativeSeparators(m_db->folder())));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void Tfrm_Main::changeFontSize(int delta) {
    AppConfig& c = app().config;
    c.fontSize = std::clamp(c.fontSize + delta, kMinFontSize, kMaxFontSize);
    QFont f = QApplication::font();
    f.setPointSize(c.fontSize);
    QApplication::setFont(f);
    applyRowHeight();
    applyColumnWidths(m_current);
}

void Tfrm_Main::openDatabaseList() {
    Tfrm_AdatbazisokBDE window(this);
    window.exec();
}

void Tfrm_Main::openTranslation() {
    Tfrm_Nyelv window(this);
    window.exec();
}

// ---- Window ----------------------------------------------------------------

void Tfrm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_startupEnded || m_shown)
        return;
    m_shown = true;
    const AppConfig& c = app().config;
    if (app().settings.teljeskep) {
        if (QScreen* s = screen())
            setGeometry(s->availableGeometry());
    } else {
        // The stored position is used as stored.
        move(c.left, c.top);
        resize(c.width, c.height);
    }
    if (!qEnvironmentVariableIsSet("ORVIX_NO_SPLASH"))
        (new Tfrm_Splash())->showAndFade();
}

void Tfrm_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyColumnWidths(m_current);
}

void Tfrm_Main::closeEvent(QCloseEvent* event) {
    if (!m_startupEnded) {
        AppConfig& c = app().config;
        const QRect g = geometry();
        c.left = g.left();
        c.top = g.top();
        c.width = g.width();
        c.height = g.height();
        // The lists let go of the connection before it closes.
        for (int i = 0; i < 3; ++i) {
            m_grids[i]->setModel(nullptr);
            m_models[i].reset();
        }
        shutDown(app());
    }
    event->accept();
}

} // namespace orvix
