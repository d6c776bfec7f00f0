#include "invoicing/ui/Tfrm_Main.h"

#include "common/Database.h"
#include "common/ui/Tfrm_AdatbazisokBDE.h"
#include "core/AppContext.h"
#include "core/Dialogs.h"
#include "core/Rights.h"
#include "core/Startup.h"
#include "core/ui/Tfrm_Felhasznalo.h"
#include "core/ui/Tfrm_Login.h"
#include "core/ui/Tfrm_Nyelv.h"
#include "invoicing/ui/Tfrm_Splash.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace orvix {

namespace {

struct ListDef {
    const char* title;
    const char* query;
    std::vector<const char*> captions;
};

// The three lists; the register issue replaces these plain views with paged ones.
const ListDef kLists[3] = {
    {"Termékek",
     "SELECT cikkszam, cikkszam_nev, kategoria, mert, netto, afa, brutto FROM cikkszam "
     "WHERE torolve='N' AND eloleg='N' ORDER BY cikkszam",
     {"cikkszám", "megnevezés", "kategória", "m.e.", "nettó", "áfa", "bruttó"}},
    {"Vevők",
     "SELECT ugyfel_nev, ugyfelkod, kapcsolat, telefon, mobil, emil, kedvezmeny, szla_irsz, szla_varos, szla_cim "
     "FROM ugyfel WHERE torolve='N' ORDER BY ugyfel_nev",
     {"vevő", "ügyfélkód", "kapcsolattartó", "telefon", "mobil", "e-mail", "kedv%", "szla.irsz", "szla.város",
      "szla.cím"}},
    {"Kiadott bizonylatok",
     "SELECT szla.szla, szla.szlaszam, szla.prntip, szla.ugyfel_nev, szla.dat_kiadva, fiztip.fiztip_nev, "
     "szla.netto, szla.brutto, szla.brutto-szla.penzfizetve AS hatralek, szla.fizetve, szla.afas FROM szla "
     "LEFT OUTER JOIN fiztip ON (szla.fiztip=fiztip.fiztip) ORDER BY szla.szla DESC",
     {"gépi kód", "számlaszám", "típus", "ügyfél", "kiadva", "fiz.tip.", "nettó", "bruttó", "hátralék", "fiz.",
      "áfás"}},
};

} // namespace

Tfrm_Main::Tfrm_Main(Dialogs& dialogs, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_db(std::make_unique<Database>()) {
    setObjectName(QStringLiteral("Tfrm_Main"));
    setWindowTitle(QStringLiteral("Orvix Számla"));
    buildActions();
    buildMenus();
    buildLists();
    buildStatusBar();

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
    switchToList(Products);
}

Tfrm_Main::~Tfrm_Main() = default;

QAction* Tfrm_Main::addAction(const QString& name, const QString& caption, const QKeySequence& key) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!key.isEmpty())
        a->setShortcut(key);
    a->setStatusTip(caption);
    QMainWindow::addAction(a);
    return a;
}

QAction* Tfrm_Main::action(const QString& objectName) const { return findChild<QAction*>(objectName); }

QTableView* Tfrm_Main::grid(int list) const { return m_grids[list]; }

void Tfrm_Main::buildActions() {
    addAction(QStringLiteral("aCikktorzs"), QStringLiteral("Cikktörzs"), QKeySequence(QStringLiteral("Alt+1")));
    addAction(QStringLiteral("aVevok"), QStringLiteral("Vevők"), QKeySequence(QStringLiteral("Alt+2")));
    addAction(QStringLiteral("aMozgas"), QStringLiteral("Számlák"), QKeySequence(QStringLiteral("Alt+3")));
    for (const char* n : {"aCikktorzs", "aVevok", "aMozgas"})
        action(QLatin1String(n))->setCheckable(true);
    connect(action(QStringLiteral("aCikktorzs")), &QAction::triggered, this, [this] { switchToList(Products); });
    connect(action(QStringLiteral("aVevok")), &QAction::triggered, this, [this] { switchToList(Customers); });
    connect(action(QStringLiteral("aMozgas")), &QAction::triggered, this, [this] { switchToList(Documents); });

    connect(addAction(QStringLiteral("aFrissit"), QStringLiteral("Frissít"), QKeySequence(Qt::Key_F5)),
            &QAction::triggered, this, [this] { openList(m_current); });
    connect(addAction(QStringLiteral("aAdatbazis"), QStringLiteral("Adatbázisok")), &QAction::triggered, this,
            &Tfrm_Main::openDatabaseList);
    connect(addAction(QStringLiteral("aFelhasznalo"), QStringLiteral("Felhasználók")), &QAction::triggered, this,
            [this] { openUsersWindow(this, *m_db); });
    connect(addAction(QStringLiteral("aNyelv"), QStringLiteral("Számla szövegezés fordítás")), &QAction::triggered,
            this, &Tfrm_Main::openTranslation);
    connect(addAction(QStringLiteral("aBetuNovel"), QStringLiteral("Betűméret növelése"),
                      QKeySequence(QStringLiteral("Ctrl+F10"))),
            &QAction::triggered, this, [this] { changeFontSize(+1); });
    connect(addAction(QStringLiteral("aBetuCsokkent"), QStringLiteral("Betűméret csökkentése"),
                      QKeySequence(QStringLiteral("Shift+F10"))),
            &QAction::triggered, this, [this] { changeFontSize(-1); });
    connect(addAction(QStringLiteral("aBezar"), QStringLiteral("Kilépés a programból")), &QAction::triggered, this,
            &QWidget::close);

    // Actions whose capability arrives later: present, visibly disabled.
    const std::pair<const char*, const char*> later[] = {
        {"aArchival", "Adatbázis archiválás"}, {"aGari", "Gar.jegy"}, {"aGariKeres", "Garanciajegy keresés"},
        {"aUjAdomentes", "Új adómentes számla"}, {"aSokCim", "Címek..."}, {"aBeallit", "Beállítások"}};
    for (const auto& [name, caption] : later)
        addAction(QLatin1String(name), QString::fromUtf8(caption))->setEnabled(false);
    action(QStringLiteral("aArchival"))->setShortcut(QKeySequence(Qt::Key_F9));
    action(QStringLiteral("aGari"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    action(QStringLiteral("aGariKeres"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+G")));
    action(QStringLiteral("aUjAdomentes"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F6")));
    action(QStringLiteral("aBeallit"))->setShortcut(QKeySequence(QStringLiteral("Alt+Return")));
}

void Tfrm_Main::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->addMenu(QStringLiteral("Rekordok"))->addAction(action(QStringLiteral("aFrissit")));
    bar->addMenu(QStringLiteral("Törzsadattárak"))->addAction(action(QStringLiteral("aSokCim")));
    bar->addMenu(QStringLiteral("Kassza"));
    QMenu* invoicing = bar->addMenu(QStringLiteral("Számlázás"));
    invoicing->addAction(action(QStringLiteral("aUjAdomentes")));
    invoicing->addAction(action(QStringLiteral("aGari")));
    invoicing->addAction(action(QStringLiteral("aGariKeres")));
    bar->addMenu(QStringLiteral("Nyomtatások"));
    bar->addMenu(QStringLiteral("NAV"));
    QMenu* system = bar->addMenu(QStringLiteral("Rendszer"));
    for (const char* n : {"aFelhasznalo", "aBeallit", "aNyelv", "aAdatbazis", "aArchival"})
        system->addAction(action(QLatin1String(n)));
    system->addSeparator();
    system->addAction(action(QStringLiteral("aBetuNovel")));
    system->addAction(action(QStringLiteral("aBetuCsokkent")));
    system->addSeparator();
    system->addAction(action(QStringLiteral("aBezar")));
    QMenu* window = bar->addMenu(QStringLiteral("Ablak"));
    for (const char* n : {"aCikktorzs", "aVevok", "aMozgas"})
        window->addAction(action(QLatin1String(n)));
    bar->addMenu(QStringLiteral("Súgó"));
}

void Tfrm_Main::buildLists() {
    m_stack = new QStackedWidget(this);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QWidget(m_stack);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(4, 4, 4, 0);
        auto* toolbar = new QToolBar(panel);
        m_search[i] = new QLineEdit(panel);
        m_search[i]->setObjectName(QStringLiteral("Edit%1").arg(i == 2 ? 3 : i + 1));
        m_search[i]->setPlaceholderText(QStringLiteral("Keresés"));
        m_search[i]->setMaximumWidth(260);
        toolbar->addWidget(new QLabel(QStringLiteral(" ") + QString::fromUtf8(kLists[i].title) + QStringLiteral("  "),
                                      toolbar));
        toolbar->addWidget(m_search[i]);
        layout->addWidget(toolbar);
        m_grids[i] = new QTableView(panel);
        m_grids[i]->setObjectName(QStringLiteral("DBGrid%1").arg(i == 2 ? 4 : i + 1));
        m_grids[i]->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_grids[i]->setSelectionMode(QAbstractItemView::SingleSelection);
        m_grids[i]->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_grids[i]->verticalHeader()->setDefaultSectionSize(22);
        m_grids[i]->verticalHeader()->hide();
        m_grids[i]->horizontalHeader()->setStretchLastSection(true);
        m_models[i] = new QSqlQueryModel(this);
        m_grids[i]->setModel(m_models[i]);
        layout->addWidget(m_grids[i]);
        m_stack->addWidget(panel);
    }
    setCentralWidget(m_stack);
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
    m_tabs->addTab(QStringLiteral("Termékek"));
    m_tabs->addTab(QStringLiteral("Vevők"));
    m_tabs->addTab(QStringLiteral("Számlák"));
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

void Tfrm_Main::applySettingsToActions() {
    const Settings& s = app().settings;
    for (const char* n : {"aGari", "aGariKeres"})
        action(QLatin1String(n))->setVisible(s.vangari);
    action(QStringLiteral("aUjAdomentes"))->setVisible(s.vanmentes);
    action(QStringLiteral("aSokCim"))->setVisible(s.vansokcim);
}

void Tfrm_Main::switchToList(int list) {
    if (list < Products || list > Documents)
        return;
    m_current = list;
    m_stack->setCurrentIndex(list);
    const char* names[3] = {"aCikktorzs", "aVevok", "aMozgas"};
    for (int i = 0; i < 3; ++i)
        action(QLatin1String(names[i]))->setChecked(i == list);
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(list);
    }
    openList(list);
    if (list == Documents)
        m_grids[list]->setFocus();
    else
        m_search[list]->setFocus();
}

void Tfrm_Main::openList(int list) {
    if (!m_db->isOpen())
        return;
    QSqlQueryModel* model = m_models[list];
    model->setQuery(QString::fromUtf8(kLists[list].query), m_db->sql());
    if (model->lastError().isValid())
        m_dialogs.error(model->lastError().text());
    const auto& captions = kLists[list].captions;
    for (int c = 0; c < int(captions.size()); ++c)
        model->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(captions[size_t(c)]));
    m_grids[list]->resizeColumnsToContents();
    if (model->rowCount() > 0)
        m_grids[list]->selectRow(0);
    connect(m_grids[list]->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &Tfrm_Main::updateStatus,
            Qt::UniqueConnection);
    updateStatus();
}

void Tfrm_Main::updateStatus() {
    QSqlQueryModel* model = m_models[m_current];
    while (model->canFetchMore())
        model->fetchMore();
    const int row = m_grids[m_current]->currentIndex().row();
    m_panel[0]->setText(QStringLiteral("%1: %2").arg(model->rowCount()).arg(row + 1));
}

void Tfrm_Main::changeFontSize(int delta) {
    AppConfig& c = app().config;
    c.fontSize = std::clamp(c.fontSize + delta, kMinFontSize, kMaxFontSize);
    QFont f = QApplication::font();
    f.setPointSize(c.fontSize);
    QApplication::setFont(f);
}

void Tfrm_Main::openDatabaseList() {
    Tfrm_AdatbazisokBDE window(this);
    window.exec();
}

void Tfrm_Main::openTranslation() {
    if (!checkRight(app().user, Right::Administrator, m_dialogs))
        return;
    Tfrm_Nyelv window(this);
    window.exec();
}

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

void Tfrm_Main::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

void Tfrm_Main::closeEvent(QCloseEvent* event) {
    if (!m_startupEnded) {
        AppConfig& c = app().config;
        const QRect g = geometry();
        c.left = g.left();
        c.top = g.top();
        c.width = g.width();
        c.height = g.height();
        for (QSqlQueryModel* m : m_models)
            m->clear();
        shutDown(app());
    }
    event->accept();
}

} // namespace orvix
