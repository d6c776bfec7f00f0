#include "invoicing/ui/Tfrm_Szamla.h"
#include "invoicing/ui/PrintHooks.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/Locale.h"
#include "core/TextUtil.h"
#include "core/ui/ListWindow.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "invoicing/Posting.h"
#include "invoicing/ui/Tfrm_Ar.h"
#include "invoicing/ui/Tfrm_CikkValaszt.h"
#include "masters/ui/Tfrm_CodeTable.h"
#include "masters/ui/Tfrm_SzallitasiCimek.h"
#include "masters/ui/Tfrm_UgyfelValaszt.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextCursor>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Szamla");
const double kColumnShares[] = {0.05, 0.33, 0.1, 0.1, 0.14, 0.14, 0.14};
constexpr int kMinimumWidth = 733;

// Groups of the actions: available only on an unposted document (1), only
// on a posted one (2), always (0).
constexpr int kAlways = 0;
constexpr int kUnposted = 1;
constexpr int kPosted = 2;

// Actions whose capability arrives later: shown, but disabled.
const QStringList kNotYetBuilt = {QStringLiteral("aSzallevNyom")};

// An action whose capability the program has not installed stays disabled.
bool notYetBuilt(const QString& action) {
    if (action == QLatin1String("aNyomtat"))
        return !documentPrintHooks().print;
    if (action == QLatin1String("aNyomtatKep"))
        return !documentPrintHooks().preview;
    return kNotYetBuilt.contains(action);
}

QString shownNumber(const QVariant& v) {
    if (v.isNull() || !v.isValid() || v.toString().trimmed().isEmpty())
        return QString();
    const double d = varFloat(v);
    if (d == std::floor(d) && std::fabs(d) < 1e15)
        return QString::number(qint64(d));
    return varText(v);
}

} // namespace

// ---- Lines model ---------------------------------------------------------------

EditorLinesModel::EditorLinesModel(const InvoiceEditor& editor, QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor) {}

void EditorLinesModel::refresh() {
    beginResetModel();
    endResetModel();
}

int EditorLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_editor.lineCount();
}

int EditorLinesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EditorLinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_editor.lineCount())
        return {};
    const EditorLine& line = m_editor.lines().at(size_t(index.row()));
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == ColNev ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && !line.megjegyzes.isEmpty())
        return line.megjegyzes;
    if (role != Qt::DisplayRole)
        return {};
    const Settings& s = app().settings;
    switch (index.column()) {
    case ColSor:
        return zeroPad(line.sor, 2);
    case ColNev:
        return line.name;
    case ColAfakulcs:
        return varText(line.afakulcs);
    case ColDb:
        return formatQuantity(line.db, s.formatdb);
    case ColEgysar:
        return formatMoney(line.egysar, s.formatft);
    case ColNetto:
        return formatMoney(line.totalNet(), s.formatft);
    case ColBrutto:
        return formatMoney(line.totalGross(), s.formatft);
    default:
        return {};
    }
}

QVariant EditorLinesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList titles = {QStringLiteral("sor"),      QStringLiteral("megnevezés"),
                                       QStringLiteral("áfakulcs"), QStringLiteral("mennyiség"),
                                       QStringLiteral("egységár"), QStringLiteral("nettó"),
                                       QStringLiteral("bruttó")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < titles.size())
        return titles.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// ---- The windows of the line entry --------------------------------------------------

std::optional<ProductChoiceResult> QtLineEntryUi::chooseProduct(const ChoiceRequest& request) {
    if (request.mode == ProductChoiceMode::Advance)
        return chooseAdvanceItem(m_parent, m_db, request.startCode, request.customer);
    return chooseLineProduct(m_parent, m_db, request.startCode, request.customer);
}

std::optional<double> QtLineEntryUi::editPrice(const QString& caption, double net, double rate) {
    return priceDialog(m_parent, caption, net, rate);
}

// ---- The editor window ---------------------------------------------------------------

Tfrm_Szamla::Tfrm_Szamla(Database& db, qint64 key, QWidget* parent, Dialogs* dialogs, LineEntryUi* lineUi)
    : QDialog(parent), m_db(db), m_dialogs(this, dialogs) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Számla készítés"));
    setModal(true);
    if (!lineUi) {
        m_ownLineUi = std::make_unique<QtLineEntryUi>(this, db);
        lineUi = m_ownLineUi.get();
    }
    m_lineUi = lineUi;
    m_editor = std::make_unique<InvoiceEditor>(db, *m_dialogs, app().settings, app().user);
    m_editor->open(key);

    build();
    showHeader();
    applyState();
    refreshLines(0);
    resize(900, 600);
    setupWindow(this, kWindowName, true, true);
    setMinimumWidth(kMinimumWidth);
    fitColumns();
    if (m_editor->lineCount() > 0 || m_editor->posted())
        m_grid->setFocus();
    else
        m_fields.value(QStringLiteral("ugyfel_nev"))->setFocus();
}

Tfrm_Szamla::~Tfrm_Szamla() = default;

void Tfrm_Szamla::setRefreshRegister(std::function<void(qint64)> refresh) {
    m_editor->onSaved = std::move(refresh);
}

QAction* Tfrm_Szamla::makeAction(const QString& name, const QString& text, const QKeySequence& key,
                                 int group) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QWidget::addAction(action);
    m_groups.insert(action, group);
    return action;
}

QAction* Tfrm_Szamla::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

QToolButton* Tfrm_Szamla::chooseButton(const QString& name) const {
    return m_buttons.value(name);
}

QLineEdit* Tfrm_Szamla::lineField(const QString& field, bool alwaysReadOnly) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(field);
    const FieldInfo info = m_db.fieldInfo(QStringLiteral("szla"), field);
    const QString type = info.type.toUpper();
    if ((type == QLatin1String("CHAR") || type == QLatin1String("VARCHAR")) && info.width > 0)
        edit->setMaxLength(info.width);
    if (type == QLatin1String("FLOAT") || type == QLatin1String("INT") || type == QLatin1String("SMALLINT"))
        edit->setAlignment(Qt::AlignRight);
    m_fields.insert(field, edit);
    if (alwaysReadOnly)
        m_alwaysReadOnly.insert(field);
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        if (!m_showing)
            m_editor->setValue(field, text);
    });
    return edit;
}

QPlainTextEdit* Tfrm_Szamla::memoField(const QString& field) {
    auto* memo = new QPlainTextEdit(this);
    memo->setObjectName(field);
    memo->setTabChangesFocus(true);
    memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 3 + 12);
    m_fields.insert(field, memo);
    // A memo has no maximum length of its own: a longer text, typed or
    // pasted, is cut back to the field's width.
    const int width = m_db.fieldInfo(QStringLiteral("szla"), field).width;
    connect(memo, &QPlainTextEdit::textChanged, this, [this, field, memo, width] {
        const QString text = memo->toPlainText();
        if (width > 0 && text.size() > width) {
            const QSignalBlocker block(memo);
            memo->setPlainText(text.left(width));
            memo->moveCursor(QTextCursor::End);
        }
        if (!m_showing)
            m_editor->setValue(field, memo->toPlainText());
    });
    return memo;
}

QCheckBox* Tfrm_Szamla::checkField(const QString& field, const QString& caption, bool alwaysReadOnly) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(field);
    m_fields.insert(field, box);
    if (alwaysReadOnly)
        m_alwaysReadOnly.insert(field);
    connect(box, &QCheckBox::clicked, this, [this, field](bool checked) {
        if (!m_showing)
            m_editor->setValue(field, yesNo(checked));
    });
    return box;
}

QToolButton* Tfrm_Szamla::makeChooseButton(const QString& name, const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    m_buttons.insert(name, button);
    return button;
}

void Tfrm_Szamla::build() {
    // Upper tool bar.
    QAction* aKonyvel =
        makeAction(QStringLiteral("aKonyvel"), QStringLiteral("Könyvel"), Qt::Key_F8, kUnposted);
    QAction* aNyomtat = makeAction(QStringLiteral("aNyomtat"), QStringLiteral("Nyomtat"),
                                   QKeySequence(Qt::CTRL | Qt::Key_P), kPosted);
    QAction* aNyomtatKep = makeAction(QStringLiteral("aNyomtatKep"), QStringLiteral("Nyom.kép"),
                                      QKeySequence(Qt::CTRL | Qt::Key_K), kAlways);
    aNyomtatKep->setToolTip(QStringLiteral("Nyomtatási kép"));
    QAction* aSzallev =
        makeAction(QStringLiteral("aSzallevNyom"), QStringLiteral("Szállítólevél"), Qt::Key_F6, kAlways);
    aSzallev->setToolTip(QStringLiteral("Szállítólevél nyomtatás"));
    QAction* aImport = makeAction(QStringLiteral("aImport"), QStringLiteral("Import"), Qt::Key_F3, kUnposted);
    aImport->setToolTip(QStringLiteral("Sorok hozzáadása import"));
    QAction* aBezar = makeAction(QStringLiteral("aBezar"), QStringLiteral("Bezár"), Qt::Key_Escape, kAlways);
    auto* topBar = new QToolBar(this);
    topBar->setObjectName(QStringLiteral("ToolBar1"));
    topBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    topBar->addActions({aKonyvel, aNyomtat, aNyomtatKep, aSzallev});
    topBar->addSeparator();
    topBar->addAction(aImport);
    topBar->addSeparator();
    topBar->addAction(aBezar);

    // Header panel.
    m_number = new QLabel(this);
    m_number->setObjectName(QStringLiteral("lSzlaszam"));
    QFont big = m_number->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    m_number->setFont(big);
    m_kindName = new QLabel(this);
    m_kindName->setObjectName(QStringLiteral("lPrntip"));
    m_stateIcon = new QLabel(this);
    m_stateIcon->setObjectName(QStringLiteral("iKonyvelve"));
    auto* numberColumn = new QVBoxLayout;
    numberColumn->addWidget(m_number);
    numberColumn->addWidget(m_kindName);
    numberColumn->addWidget(m_stateIcon);
    numberColumn->addStretch();

    QLineEdit* customerName = lineField(QStringLiteral("ugyfel_nev"));
    m_issued = new QLineEdit(this);
    m_issued->setObjectName(QStringLiteral("dat_kiadva"));
    m_issued->setReadOnly(true);
    m_issued->setFocusPolicy(Qt::NoFocus);
    m_dateSzallhat = new QDateEdit(this);
    m_dateSzallhat->setObjectName(QStringLiteral("dat_szallhat"));
    m_dateFizhat = new QDateEdit(this);
    m_dateFizhat->setObjectName(QStringLiteral("dat_fizhat"));
    for (QDateEdit* d : {m_dateSzallhat, m_dateFizhat}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(dateFormatPattern());
        const QString field = d->objectName();
        connect(d, &QDateEdit::dateChanged, this, [this, field](const QDate& date) {
            if (!m_showing)
                m_editor->setValue(field, date);
        });
    }
    QLineEdit* methodName = lineField(QStringLiteral("fiztip_nev"));
    QToolButton* bCustomer = makeChooseButton(QStringLiteral("bUgyfel"), QStringLiteral("Ügyfél választása"));
    QToolButton* bMethod = makeChooseButton(QStringLiteral("bFiztip"), QStringLiteral("Fizetés módja"));

    auto* headerGrid = new QGridLayout;
    headerGrid->addWidget(new QLabel(QStringLiteral("ügyfél"), this), 0, 0);
    auto* customerRow = new QHBoxLayout;
    customerRow->addWidget(customerName, 1);
    customerRow->addWidget(bCustomer);
    headerGrid->addLayout(customerRow, 0, 1, 1, 3);
    headerGrid->addWidget(new QLabel(QStringLiteral("kiadva"), this), 1, 0);
    headerGrid->addWidget(m_issued, 1, 1);
    headerGrid->addWidget(new QLabel(QStringLiteral("teljesülés"), this), 1, 2);
    headerGrid->addWidget(m_dateSzallhat, 1, 3);
    headerGrid->addWidget(new QLabel(QStringLiteral("fizetési határidő"), this), 2, 0);
    headerGrid->addWidget(m_dateFizhat, 2, 1);
    headerGrid->addWidget(new QLabel(QStringLiteral("fizetés módja"), this), 2, 2);
    auto* methodRow = new QHBoxLayout;
    methodRow->addWidget(methodName, 1);
    methodRow->addWidget(bMethod);
    headerGrid->addLayout(methodRow, 2, 3);
    headerGrid->setColumnStretch(1, 1);
    headerGrid->setColumnStretch(3, 1);

    auto* price = new QGroupBox(QStringLiteral("Ár"), this);
    price->setObjectName(QStringLiteral("gbAr"));
    m_netTotal = new QLabel(price);
    m_netTotal->setObjectName(QStringLiteral("lNetto"));
    m_grossTotal = new QLabel(price);
    m_grossTotal->setObjectName(QStringLiteral("lBrutto"));
    QFont boldFont = m_grossTotal->font();
    boldFont.setBold(true);
    m_grossTotal->setFont(boldFont);
    for (QLabel* l : {m_netTotal, m_grossTotal}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(110);
    }
    m_emptyIcon = new QLabel(price);
    m_emptyIcon->setObjectName(QStringLiteral("iUres"));
    QAction* aReszletek = makeAction(QStringLiteral("aReszletek"), QStringLiteral("..."), {}, kAlways);
    aReszletek->setToolTip(QStringLiteral("Részletek"));
    // Set explicitly: a tool button would drop the dots of the text.
    aReszletek->setIconText(QStringLiteral("..."));
    auto* detailsButton = new QToolButton(price);
    detailsButton->setObjectName(QStringLiteral("bReszletek"));
    detailsButton->setDefaultAction(aReszletek);
    detailsButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    detailsButton->setFocusPolicy(Qt::NoFocus);
    auto* priceGrid = new QGridLayout(price);
    priceGrid->addWidget(new QLabel(QStringLiteral("nettó"), price), 0, 0);
    priceGrid->addWidget(m_netTotal, 0, 1);
    priceGrid->addWidget(new QLabel(QStringLiteral("bruttó"), price), 1, 0);
    priceGrid->addWidget(m_grossTotal, 1, 1);
    priceGrid->addWidget(m_emptyIcon, 0, 2);
    priceGrid->addWidget(detailsButton, 1, 2);

    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("pnlFej"));
    header->setFrameShape(QFrame::StyledPanel);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->addLayout(numberColumn);
    headerLayout->addSpacing(8);
    headerLayout->addLayout(headerGrid, 1);
    headerLayout->addWidget(price);

    // Details panel.
    m_details = new QFrame(this);
    m_details->setObjectName(QStringLiteral("pnlReszletek"));
    m_details->setFrameShape(QFrame::StyledPanel);
    auto* d = new QGridLayout(m_details);
    int row = 0;
    const auto put = [&](int column, const QString& caption, QWidget* w, QWidget* extra = nullptr) {
        auto* label = new QLabel(caption, m_details);
        label->setBuddy(w);
        d->addWidget(label, row, column * 2);
        if (extra) {
            auto* pair = new QHBoxLayout;
            pair->addWidget(w, 1);
            pair->addWidget(extra);
            d->addLayout(pair, row, column * 2 + 1);
        } else {
            d->addWidget(w, row, column * 2 + 1);
        }
        return label;
    };
    // First column: people, references, notes.
    put(0, QStringLiteral("alkalmazott"), lineField(QStringLiteral("alkalmazott"), true));
    ++row;
    put(0, QStringLiteral("bizonylat"), lineField(QStringLiteral("bizonylat")));
    ++row;
    put(0, QStringLiteral("adószám"), lineField(QStringLiteral("adoszam")));
    ++row;
    put(0, QStringLiteral("bankszámla"), lineField(QStringLiteral("bankszamla")));
    ++row;
    put(0, QStringLiteral("fizetés dátuma"), lineField(QStringLiteral("dat_fizetve"), true));
    ++row;
    put(0, QStringLiteral("nyomtatva"), lineField(QStringLiteral("nyomtatva"), true));
    ++row;
    put(0, QStringLiteral("megjegyzés"), memoField(QStringLiteral("megjegyzes")));
    ++row;
    put(0, QStringLiteral("hivatkozás (max három sor)"), memoField(QStringLiteral("mozgaz")));
    const int firstRows = ++row;

    // Second column: discount, delivery, currency.
    row = 0;
    put(1, QStringLiteral("kedv.%"), lineField(QStringLiteral("kedvezmeny")));
    ++row;
    put(1, QStringLiteral("száll.lev."), lineField(QStringLiteral("szallev"), true),
        makeChooseButton(QStringLiteral("bSzallev"), QStringLiteral("Szállítólevél szám generálás")));
    ++row;
    m_honapLabel = put(1, QStringLiteral("hónap (fizetési időszak)"), lineField(QStringLiteral("honap")));
    ++row;
    put(1, QStringLiteral("devizanem"), lineField(QStringLiteral("vat")));
    ++row;
    put(1, QStringLiteral("árfolyam"), lineField(QStringLiteral("arfolyam")));
    ++row;
    m_address = new QLineEdit(m_details);
    m_address->setObjectName(QStringLiteral("ugyfel_cim_nev"));
    m_address->setReadOnly(true);
    m_address->setFocusPolicy(Qt::NoFocus);
    put(1, QStringLiteral("szállítás címe"), m_address,
        makeChooseButton(QStringLiteral("bSzallCim"), QStringLiteral("Szállítási cím választása")));
    ++row;
    QLineEdit* ownAccount = lineField(QStringLiteral("tbankszamla"));
    ownAccount->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9-]{0,26}")), ownAccount));
    put(1, QStringLiteral("saját bankszámla"), ownAccount);
    ++row;
    put(1, QStringLiteral("Eredeti bizonylat hivatkozás"), lineField(QStringLiteral("eredetistr")));
    ++row;
    m_vatMode = new QLineEdit(m_details);
    m_vatMode->setObjectName(QStringLiteral("fa"));
    m_vatMode->setReadOnly(true);
    m_vatMode->setFocusPolicy(Qt::NoFocus);
    put(1, QString(), m_vatMode);

    // Third column: the billing address.
    row = 0;
    const std::pair<const char*, const char*> address[] = {
        {"szla_irsz", "irsz"},       {"szla_varos", "város"},
        {"szla_cim", "közterület"},  {"szla_kozterulet", "közter.jellege"},
        {"szla_kerulet", "kerület"}, {"szla_hazszam", "házszám"},
        {"szla_epulet", "Épület"},   {"szla_lepcsohaz", "Lépcsőház"},
        {"szla_szint", "Szint"},     {"szla_ajto", "Ajtó"}};
    for (const auto& [field, caption] : address) {
        put(2, QString::fromUtf8(caption), lineField(QLatin1String(field)));
        ++row;
    }
    row = std::max(row, firstRows);

    auto* checks = new QHBoxLayout;
    checks->addWidget(checkField(QStringLiteral("konyvelve"), QStringLiteral("könyvelve"), true));
    checks->addWidget(checkField(QStringLiteral("storno"), QStringLiteral("sztornó"), true));
    checks->addWidget(checkField(QStringLiteral("fizetve"), QStringLiteral("fizetve")));
    checks->addWidget(checkField(QStringLiteral("afas"), QStringLiteral("ÁFÁ-s")));
    checks->addWidget(checkField(QStringLiteral("neta"), QStringLiteral("NETA")));
    checks->addWidget(checkField(QStringLiteral("penzforgelsz"), QStringLiteral("Pénzforgalmi elszámolás")));
    checks->addWidget(checkField(QStringLiteral("adoment_hiv"), QStringLiteral("Adóment.hivatkozás")));
    checks->addStretch();
    d->addLayout(checks, row, 0, 1, 6);
    d->setColumnStretch(1, 1);
    d->setColumnStretch(3, 1);
    d->setColumnStretch(5, 1);
    m_details->hide();

    // Line tool bar, the move bar and the grid.
    QAction* aUj = makeAction(QStringLiteral("aUj"), QStringLiteral("Új sor"), Qt::Key_Insert, kUnposted);
    QAction* aSzerkeszt =
        makeAction(QStringLiteral("aSzerkeszt"), QStringLiteral("Szerkeszt"), Qt::Key_F2, kUnposted);
    QAction* aTorol = makeAction(QStringLiteral("aTorol"), QStringLiteral("Töröl"),
                                 QKeySequence(Qt::CTRL | Qt::Key_Delete), kUnposted);
    QAction* aMegjegyzes =
        makeAction(QStringLiteral("aMegjegyzes"), QStringLiteral("Megjegyzés"), Qt::Key_F7, kUnposted);
    QAction* aFel = makeAction(QStringLiteral("aFel"), QStringLiteral("Fel"),
                               QKeySequence(Qt::ALT | Qt::Key_Up), kUnposted);
    QAction* aLe = makeAction(QStringLiteral("aLe"), QStringLiteral("Le"),
                              QKeySequence(Qt::ALT | Qt::Key_Down), kUnposted);
    auto* lineBar = new QToolBar(this);
    lineBar->setObjectName(QStringLiteral("ToolBar2"));
    lineBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    lineBar->addActions({aUj, aSzerkeszt, aTorol, aMegjegyzes});
    auto* moveBar = new QToolBar(this);
    moveBar->setObjectName(QStringLiteral("ToolBar3"));
    moveBar->setOrientation(Qt::Vertical);
    moveBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    moveBar->addActions({aFel, aLe});

    m_lines = new EditorLinesModel(*m_editor, this);
    m_grid = makeListGrid(this, m_lines);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_grid->addActions({aUj, aSzerkeszt, aTorol, aMegjegyzes, aFel, aLe});
    // The column widths follow the grid's own width.
    m_grid->viewport()->installEventFilter(this);
    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    gridRow->addWidget(moveBar);
    gridRow->addWidget(m_grid, 1);

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(true);
    m_position = new QLabel(statusBar);
    m_position->setObjectName(QStringLiteral("lblPozicio"));
    m_position->setMinimumWidth(80);
    m_comment = new QLabel(statusBar);
    m_comment->setObjectName(QStringLiteral("lblMegjegyzes"));
    statusBar->addWidget(m_position);
    statusBar->addWidget(m_comment, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(topBar);
    layout->addWidget(header);
    layout->addWidget(m_details);
    layout->addWidget(lineBar);
    layout->addLayout(gridRow, 1);
    layout->addWidget(statusBar);

    connect(aImport, &QAction::triggered, this, &Tfrm_Szamla::importLines);
    connect(aKonyvel, &QAction::triggered, this, &Tfrm_Szamla::postDocument);
    connect(aNyomtatKep, &QAction::triggered, this, [this] {
        if (!documentPrintHooks().preview)
            return;
        // What is typed into the header is printed too; a document without
        // a customer is refused as for printing.
        if (!m_editor->posted() && !m_editor->saveHeader())
            return;
        documentPrintHooks().preview(this, m_db, m_editor->key(), m_editor->reverseCharge());
    });
    connect(aNyomtat, &QAction::triggered, this, [this] {
        if (!documentPrintHooks().print)
            return;
        documentPrintHooks().print(this, m_db, m_editor->key(), [this](qint64 doc) {
            if (m_editor->onSaved)
                m_editor->onSaved(doc);
        });
        m_editor->open(m_editor->key());
        showHeader();
    });
    connect(aBezar, &QAction::triggered, this, [this] { reject(); });
    connect(aReszletek, &QAction::triggered, this,
            [this] { m_details->setVisible(!m_details->isVisible()); });
    connect(aUj, &QAction::triggered, this, &Tfrm_Szamla::newLines);
    connect(aSzerkeszt, &QAction::triggered, this, &Tfrm_Szamla::editLine);
    connect(aTorol, &QAction::triggered, this, &Tfrm_Szamla::deleteLine);
    connect(aMegjegyzes, &QAction::triggered, this, &Tfrm_Szamla::lineComment);
    connect(aFel, &QAction::triggered, this, [this] { moveLine(true); });
    connect(aLe, &QAction::triggered, this, [this] { moveLine(false); });
    connect(m_grid, &QTableView::doubleClicked, this, [this] {
        if (QAction* a = action(QStringLiteral("aSzerkeszt")); a && a->isEnabled())
            a->trigger();
    });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Tfrm_Szamla::updateStatus);
    connect(bCustomer, &QToolButton::clicked, this, &Tfrm_Szamla::chooseCustomer);
    connect(bMethod, &QToolButton::clicked, this, &Tfrm_Szamla::choosePaymentMethod);
    connect(m_buttons.value(QStringLiteral("bSzallCim")), &QToolButton::clicked, this,
            &Tfrm_Szamla::chooseDeliveryAddress);
    connect(m_buttons.value(QStringLiteral("bSzallev")), &QToolButton::clicked, this,
            &Tfrm_Szamla::generateDeliveryNote);
}

void Tfrm_Szamla::showHeader() {
    m_showing = true;
    const InvoiceEditor& e = *m_editor;
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        const QString& field = it.key();
        const QVariant v = e.value(field);
        if (auto* edit = qobject_cast<QLineEdit*>(it.value())) {
            QString text;
            const QString type = m_db.fieldInfo(QStringLiteral("szla"), field).type.toUpper();
            if (type == QLatin1String("DATE"))
                text = formatDate(e.date(field));
            else if (type == QLatin1String("FLOAT") || type == QLatin1String("INT") ||
                     type == QLatin1String("SMALLINT"))
                text = v.typeId() == QMetaType::QString ? v.toString() : shownNumber(v);
            else
                text = e.text(field);
            if (edit->text() != text)
                edit->setText(text);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(it.value())) {
            const QString text = v.isNull() ? QString() : v.toString();
            if (memo->toPlainText() != text)
                memo->setPlainText(text);
        } else if (auto* box = qobject_cast<QCheckBox*>(it.value())) {
            box->setChecked(e.text(field) == QLatin1String("I"));
        }
    }
    m_number->setText(zeroPad(varInt(e.value(QStringLiteral("szlaszam"))), 5));
    m_kindName->setText(e.kindName());
    m_issued->setText(formatDate(e.date(QStringLiteral("dat_kiadva"))));
    m_dateSzallhat->setDate(e.date(QStringLiteral("dat_szallhat")));
    m_dateFizhat->setDate(e.date(QStringLiteral("dat_fizhat")));
    m_address->setText(e.deliveryAddressName());
    m_vatMode->setText(e.reverseCharge() ? QStringLiteral("Fordított (FA)") : QStringLiteral("Normál ÁFÁ-s"));
    const Settings& s = app().settings;
    m_netTotal->setText(formatMoney(e.totalNet(), s.formatft));
    m_grossTotal->setText(formatMoney(e.totalGross(), s.formatft));
    const int iconSize = fontMetrics().height() + 4;
    m_stateIcon->setPixmap(
        style()
            ->standardIcon(e.posted() ? QStyle::SP_DialogApplyButton : QStyle::SP_FileDialogDetailedView)
            .pixmap(iconSize, iconSize));
    m_stateIcon->setToolTip(e.posted() ? QStringLiteral("könyvelt") : QStringLiteral("nincs könyvelve"));
    m_emptyIcon->setPixmap(
        style()
            ->standardIcon(e.totalNet() == 0 ? QStyle::SP_MessageBoxWarning : QStyle::SP_DialogYesButton)
            .pixmap(iconSize, iconSize));
    m_emptyIcon->setToolTip(e.totalNet() == 0 ? QStringLiteral("üres bizonylat") : QString());
    m_showing = false;
}

// "Könyvel": the header checks and save, then the posting; a posted
// document turns read-only at once.
void Tfrm_Szamla::postDocument() {
    if (m_editor->posted() || !m_editor->checkBeforePosting())
        return;
    const qint64 key = m_editor->key();
    const PostResult result = PostDocument(m_db, *m_dialogs, app().settings, app().user, key);
    m_editor->reload();
    showHeader();
    applyState();
    refreshLines(currentLine());
    if (result.posted && m_editor->onSaved)
        m_editor->onSaved(key);
}

void Tfrm_Szamla::applyState() {
    const bool posted = m_editor->posted();
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        const bool readOnly = posted || m_alwaysReadOnly.contains(it.key());
        if (auto* edit = qobject_cast<QLineEdit*>(it.value())) {
            edit->setReadOnly(readOnly);
            edit->setFocusPolicy(m_alwaysReadOnly.contains(it.key()) ? Qt::NoFocus : Qt::StrongFocus);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(it.value())) {
            memo->setReadOnly(readOnly);
        } else if (auto* box = qobject_cast<QCheckBox*>(it.value())) {
            box->setEnabled(!readOnly);
        }
    }
    for (QToolButton* button : std::as_const(m_buttons)) {
        button->setVisible(!posted);
        button->setEnabled(!posted);
    }
    // The dates stay readable on a posted document.
    m_dateSzallhat->setEnabled(!posted);
    m_dateFizhat->setEnabled(!posted);
    for (auto it = m_groups.cbegin(); it != m_groups.cend(); ++it) {
        QAction* a = it.key();
        bool on = true;
        if (it.value() == kUnposted)
            on = !posted;
        else if (it.value() == kPosted)
            on = posted;
        a->setVisible(on);
        a->setEnabled(on && !notYetBuilt(a->objectName()));
    }
    const bool monthShown = app().settings.vanhonap;
    m_honapLabel->setVisible(monthShown);
    m_fields.value(QStringLiteral("honap"))->setVisible(monthShown);
}

void Tfrm_Szamla::refreshLines(int current) {
    m_lines->refresh();
    fitColumns();
    if (m_editor->lineCount() > 0)
        setCurrentLine(std::clamp(current, 0, m_editor->lineCount() - 1));
    showHeader();
    updateStatus();
}

int Tfrm_Szamla::currentLine() const {
    const QModelIndex index = m_grid->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void Tfrm_Szamla::setCurrentLine(int index) {
    if (index < 0 || index >= m_lines->rowCount())
        return;
    m_grid->setCurrentIndex(m_lines->index(index, EditorLinesModel::ColNev));
    m_grid->scrollTo(m_grid->currentIndex());
    updateStatus();
}

QString Tfrm_Szamla::positionText() const {
    const int count = m_editor->lineCount();
    return QStringLiteral("%1: %2").arg(count).arg(count > 0 ? currentLine() + 1 : 0);
}

QString Tfrm_Szamla::commentText() const {
    const int index = currentLine();
    const QString comment = index >= 0 && index < m_editor->lineCount()
                                ? m_editor->lines().at(size_t(index)).megjegyzes
                                : QString();
    return QStringLiteral("Megjegyzés: ") + comment;
}

void Tfrm_Szamla::updateStatus() {
    m_position->setText(positionText());
    m_comment->setText(commentText());
}

void Tfrm_Szamla::fitColumns() {
    const int width = std::max(0, m_grid->viewport()->width() - 40);
    for (int c = 0; c < EditorLinesModel::ColumnCount; ++c)
        m_grid->setColumnWidth(c, int(kColumnShares[c] * width));
}

void Tfrm_Szamla::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitColumns();
}

bool Tfrm_Szamla::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

// ---- Line actions ----

void Tfrm_Szamla::newLines() {
    const std::optional<int> last = m_editor->addLines(*m_lineUi, currentLine());
    refreshLines(last.value_or(currentLine()));
}

void Tfrm_Szamla::editLine() {
    const int index = currentLine();
    if (index < 0)
        return;
    m_editor->editLine(*m_lineUi, index);
    refreshLines(index);
}

// Each line action ends with the grid showing the lines as they are now:
// also a refused action may have reloaded them (another workstation changed
// the document's lines meanwhile).
void Tfrm_Szamla::deleteLine() {
    const int index = currentLine();
    if (index < 0)
        return;
    m_editor->deleteLine(index);
    refreshLines(std::min(index, m_editor->lineCount() - 1));
}

void Tfrm_Szamla::moveLine(bool up) {
    const int index = currentLine();
    const std::optional<int> moved = m_editor->moveLine(index, up);
    refreshLines(moved.value_or(index));
}

void Tfrm_Szamla::lineComment() {
    const int index = currentLine();
    if (index < 0)
        return;
    m_editor->editLineComment(index);
    refreshLines(index);
}

void Tfrm_Szamla::importLines() {
    if (m_editor->posted() || !m_editor->saveHeader())
        return;
    const std::optional<ImportRequest> request = askImport();
    if (!request)
        return;
    const int before = m_editor->lineCount();
    m_editor->importLines(request->text, request->options);
    refreshLines(m_editor->lineCount() > before ? m_editor->lineCount() - 1 : currentLine());
}

// ---- Header buttons ----

std::optional<qint64> Tfrm_Szamla::chooseCustomerKey(qint64 current) {
    const std::optional<CustomerChoice> choice = orvix::ui::chooseCustomer(this, m_db, current);
    if (!choice)
        return std::nullopt;
    return choice->ugyfel;
}

std::optional<qint64> Tfrm_Szamla::choosePaymentMethodKey(qint64 current) {
    const std::optional<PaymentMethodChoice> choice = orvix::ui::choosePaymentMethod(this, m_db, current);
    if (!choice)
        return std::nullopt;
    return choice->fiztip;
}

std::optional<qint64> Tfrm_Szamla::chooseDeliveryAddressKey(qint64 customer, qint64 current) {
    return orvix::ui::chooseDeliveryAddress(this, m_db, customer, current);
}

std::optional<ImportRequest> Tfrm_Szamla::askImport() {
    return askImportLines(this);
}

void Tfrm_Szamla::chooseCustomer() {
    const std::optional<qint64> key =
        chooseCustomerKey(varInt(m_editor->value(QStringLiteral("ugyfel")), -1));
    if (key && m_editor->setCustomer(*key))
        showHeader();
}

void Tfrm_Szamla::choosePaymentMethod() {
    const std::optional<qint64> key =
        choosePaymentMethodKey(varInt(m_editor->value(QStringLiteral("fiztip")), -1));
    if (!key)
        return;
    m_editor->setPaymentMethod(*key);
    showHeader();
}

void Tfrm_Szamla::chooseDeliveryAddress() {
    const qint64 customer = varInt(m_editor->value(QStringLiteral("ugyfel")), 0);
    if (customer <= 0) {
        m_dialogs->error(kCustomerRequiredMessage);
        return;
    }
    const std::optional<qint64> key =
        chooseDeliveryAddressKey(customer, varInt(m_editor->value(QStringLiteral("ugyfel_cim")), -1));
    if (!key)
        return;
    m_editor->setDeliveryAddress(*key);
    showHeader();
}

void Tfrm_Szamla::generateDeliveryNote() {
    if (m_editor->generateDeliveryNoteNumber())
        showHeader();
}

// ---- Closing ----

bool Tfrm_Szamla::closeEditor() {
    if (m_closed)
        return true;
    if (!m_editor->close())
        return false;
    m_closed = true;
    if (m_editor->onSaved)
        m_editor->onSaved(m_editor->key());
    return true;
}

void Tfrm_Szamla::reject() {
    if (closeEditor())
        QDialog::reject();
}

void Tfrm_Szamla::closeEvent(QCloseEvent* event) {
    if (closeEditor())
        QDialog::closeEvent(event);
    else
        event->ignore();
}

} // namespace orvix::ui
