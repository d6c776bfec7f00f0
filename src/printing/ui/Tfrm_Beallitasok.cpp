#include "printing/ui/Tfrm_Beallitasok.h"

#include "common/Database.h"
#include "core/AppContext.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"
#include "invoicing/ui/Tfrm_Main.h"
#include "masters/ui/Tfrm_CodeTable.h"
#include "printing/InvoicePrint.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Beallitasok");

enum class Kind {
    Flag,          // check box, "I" / "N"
    Text,          // one line
    Memo,          // several lines
    Number,        // a whole number or a rate, typed
    Layout,        // "Design 1." / "Design 2."
    PaymentMethod, // its name, chosen with the button
    ExemptMark,    // empty or "AM"
    Folder,        // a folder of the record, with a browse button
    PdfPrinter,    // the built-in writer and the installed printers
    IniFlag,       // a check box of the configuration file
    IniFolder,     // a folder of the configuration file, with a browse button
    Printer,       // port names and the installed printers
    Picture,       // a picture file with its preview
    Advice,        // a line of text only
};

// The fixed port names the printer lists start with.
const QStringList kPorts{QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3"),
                         QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"),
                         QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                         QStringLiteral("PRN")};

bool isRecordField(Kind k) {
    return k != Kind::IniFlag && k != Kind::IniFolder && k != Kind::Printer && k != Kind::Picture &&
           k != Kind::Advice;
}

QString shownNumber(const QString& stored) {
    return QString(stored).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

struct Tfrm_Beallitasok::Entry {
    const char* page;
    const char* group;
    const char* caption;
    Kind kind;
    const char* key;
};

namespace {

// Every field of the window, page by page and group by group, in the order
// shown.
const char* const kGeneral = "Általános";
const char* const kInvoices = "Számlák";
const char* const kRates = "ÁFA kulcsok";
const char* const kModules = "Modulok";
const char* const kPrinters = "Nyomtatók";
const char* const kPictures = "Kép a bizonylatokon";

} // namespace

static const Tfrm_Beallitasok::Entry* entries(int& count);

Tfrm_Beallitasok::Tfrm_Beallitasok(Database& db, const QStringList& installedPrinters, QWidget* parent,
                                   Dialogs* dialogs)
    : QDialog(parent), m_db(db), m_dialogs(this, dialogs), m_installed(installedPrinters) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Beállítások"));
    choosePaymentMethod = [this](qint64 current) -> std::optional<qint64> {
        const auto choice = orvix::ui::choosePaymentMethod(this, m_db, current);
        if (!choice)
            return std::nullopt;
        return choice->fiztip;
    };
    chooseFolder = [this](const QString& current) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Mappa választás"), current);
    };
    choosePicture = [this](const QString& current) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Kép választás"),
                                            current.isEmpty() ? app().folders.program : QFileInfo(current).path(),
                                            QStringLiteral("Támogatott képformátumok (*.bmp *.jpg *.BMP *.JPG)"));
    };
    try {
        m_stored = settingValues(db);
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }

    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(m_pages);

    QHash<QString, QVBoxLayout*> pageLayouts;
    QHash<QString, QGridLayout*> groups;
    int count = 0;
    const Entry* all = entries(count);
    QWidget* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        const Entry& e = all[i];
        const QString page = QString::fromUtf8(e.page);
        QVBoxLayout* pageLayout = pageLayouts.value(page);
        if (!pageLayout) {
            auto* w = new QWidget(m_pages);
            pageLayout = new QVBoxLayout(w);
            m_pages->addTab(w, page);
            pageLayouts.insert(page, pageLayout);
        }
        const QString groupKey = page + QLatin1Char('/') + QString::fromUtf8(e.group);
        QGridLayout* grid = groups.value(groupKey);
        if (!grid) {
            auto* box = new QGroupBox(QString::fromUtf8(e.group), pageLayout->parentWidget());
            grid = new QGridLayout(box);
            grid->setColumnStretch(1, 1);
            pageLayout->addWidget(box);
            groups.insert(groupKey, grid);
        }
        QWidget* parentWidget = grid->parentWidget();
        const int row = grid->rowCount();
        QWidget* f = makeField(e, parentWidget);
        const bool ownCaption = e.kind == Kind::Flag || e.kind == Kind::IniFlag || e.kind == Kind::Advice ||
                                e.kind == Kind::Layout;
        if (ownCaption) {
            grid->addWidget(f, row, 0, 1, 3);
        } else {
            auto* label = new QLabel(QString::fromUtf8(e.caption), parentWidget);
            label->setBuddy(f);
            label->setWordWrap(true);
            grid->addWidget(label, row, 0, Qt::AlignTop);
            grid->addWidget(f, row, 1);
            if (QPushButton* b = m_buttons.value(QLatin1String(e.key)))
                grid->addWidget(b, row, 2, Qt::AlignTop);
            if (QLabel* preview = m_previews.value(QLatin1String(e.key)))
                grid->addWidget(preview, row + 1, 1, 1, 2, Qt::AlignLeft);
        }
        if (e.kind != Kind::Advice) {
            QWidget* focusable = f->focusProxy() ? f->focusProxy() : f;
            if (previous)
                setTabOrder(previous, focusable);
            previous = focusable;
        }
    }
    for (QVBoxLayout* l : pageLayouts)
        l->addStretch();

    const OkCancelButtons buttons = makeOkCancelButtons(this);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;
    connect(m_ok, &QPushButton::clicked, this, &Tfrm_Beallitasok::ok);
    layout->addLayout(buttons.row);
    setupWindow(this, kWindowName, false, true);
}

Tfrm_Beallitasok::~Tfrm_Beallitasok() = default;

static const Tfrm_Beallitasok::Entry* entries(int& count) {
    using K = Kind;
    static const Tfrm_Beallitasok::Entry list[] = {
        {kGeneral, "Formátumok", "Formátumok használata", K::Flag, "formatszla"},
        {kGeneral, "Formátumok", "mennyiség", K::Text, "formatdb"},
        {kGeneral, "Formátumok", "pénz", K::Text, "formatft"},
        {kGeneral, "Képernyő", "Megnyitáskor teljes képernyő", K::Flag, "teljeskep"},
        {kGeneral, "Adatbázis", "Belépésnél jelszót kér", K::Flag, "belepjelszo"},
        {kGeneral, "Adatbázis", "Adatbázis archiválás alapértelmezett útvonala", K::IniFolder, "archive"},
        {kGeneral, "Alapérték", "Alapértelmezett város", K::Text, "alapvaros"},
        {kGeneral, "Alapérték", "Alapértelmezett fizetési típus", K::PaymentMethod, "alapfiztip"},
        {kGeneral, "Alapérték", "Alapért. mértékegység", K::Text, "alapmert"},
        {kGeneral, "Egyebek", "Több szállítási cím kezelése", K::Flag, "vansokcim"},
        {kInvoices, "Általános számla beállítások", "Nyomtatási pld.", K::Number, "alappld"},
        {kInvoices, "Általános számla beállítások", "induló számlaszám", K::Number, "indulszla"},
        {kInvoices, "Általános számla beállítások", "betűjel", K::Text, "szlabetu"},
        {kInvoices, "Megjegyzés", "számlamegjegyzés", K::Memo, "alapmegjegyzes"},
        {kInvoices, "Opciók", "Egyéni vállalkozó?", K::Flag, "egyeni"},
        {kInvoices, "Opciók", "Nettó alapú számlázás", K::Flag, "alapnetto"},
        {kInvoices, "Opciók", "Ár módosítható számla kiadás közben", K::Flag, "alaparmodosit"},
        {kInvoices, "Opciók", "Áfamentes szlaformátum használható", K::Flag, "vanmentes"},
        {kInvoices, "Opciók", "Teljesítés dátum megegyezik a kiadással", K::Flag, "teljkiad"},
        {kInvoices, "Opciók", "Van időszak jelölés számlán", K::Flag, "vanhonap"},
        {kInvoices, "Opciók", "Cikkszám helyett inkább termékszám megjelenítése számlán", K::Flag, "szlacikkszam"},
        {kInvoices, "Opciók", "Átvétel igazolás a számlán", K::IniFlag, "atvet"},
        {kInvoices, "Számla külleme", "Számla külleme", K::Layout, "szlaforma"},
        {kRates, "ÁFA kulcsok", "Áfa 0.", K::Number, "afa0"},
        {kRates, "ÁFA kulcsok", "ÁFAkulcs használható", K::Flag, "vanafa0"},
        {kRates, "ÁFA kulcsok", "Áfa 1.", K::Number, "afa1"},
        {kRates, "ÁFA kulcsok", "ÁFAkulcs használható", K::Flag, "vanafa1"},
        {kRates, "ÁFA kulcsok", "Áfa 2.", K::Number, "afa2"},
        {kRates, "ÁFA kulcsok", "ÁFAkulcs használható", K::Flag, "vanafa2"},
        {kRates, "ÁFA kulcsok", "Alapért. áfa", K::Number, "alapafakulcs"},
        {kRates, "Adómentesség, egyéb alapértékek", "Alanyi mentesség", K::Flag, "adomentes"},
        {kRates, "Adómentesség, egyéb alapértékek",
         "Alanyi mentesség esetén állítsa az ÁFA kulcsokat nulla százalékra", K::Advice, "advice"},
        {kRates, "Adómentesség, egyéb alapértékek", "Alanyi mentes betűjele", K::ExemptMark, "amtm"},
        {kRates, "Adómentesség, egyéb alapértékek", "Fordított adózás (FA) lehetőség használható", K::Flag, "vanfa"},
        {kRates, "Adómentesség, egyéb alapértékek", "FA szöveg (hivatkozás a törvényre)", K::Text, "faszoveg"},
        {kRates, "Adómentesség, egyéb alapértékek", "KATA (Kisadózó)", K::Flag, "kata"},
        {kRates, "Adómentesség, egyéb alapértékek", "Pénzforgalmi elszámolás", K::Flag, "penzforgelsz"},
        {kModules, "Garanciajegy", "Van garanciajegy készítés", K::Flag, "vangari"},
        {kModules, "Garanciajegy", "Megjegyzés a garanciajegyen", K::Memo, "garimegjegyzes"},
        {kModules, "Zentra", "Zentra program feltöltése számla kibocsátásakor", K::Flag, "vanzentra"},
        {kModules, "Zentra", "Zentra program adatbázis elérési útvonala", K::Folder, "evautvonal"},
        {kPrinters, "Nyomtatványok hozzárendelése nyomtatóhoz", "Számla nyomtatója", K::Printer, "prnSzla"},
        {kPrinters, "Nyomtatványok hozzárendelése nyomtatóhoz", "Szállítólevél nyomtatója", K::Printer,
         "prnSzallLev"},
        {kPrinters, "Nyomtatványok hozzárendelése nyomtatóhoz", "Proforma nyomtatója", K::Printer, "prnProforma"},
        {kPrinters, "Nyomtatványok hozzárendelése nyomtatóhoz", "Egyéb nyomtatások nyomtatója", K::Printer,
         "prnEgyeb"},
        {kPrinters, "Nyomtatványok hozzárendelése nyomtatóhoz",
         "Számla nyomtatója blokknyomtató? (minimum 8cm széles, egyes adatok megjelenítése korlátozva van)",
         K::Flag, "blokknyomtato"},
        {kPrinters, "Elektronikus számlamásolat", "Elektronikus szlamásolat nyomtatója", K::PdfPrinter,
         "printernev"},
        {kPrinters, "Elektronikus számlamásolat", "Másolat útvonala (PDF nyomtatónál beállítva)", K::Folder,
         "printerutv"},
        {kPictures, "Kép a bizonylatokon", "Kép a design 1. számlán, és szállítólevélen (256x51px, bitmap, vagy jpg)",
         K::Picture, "pic1"},
        {kPictures, "Kép a bizonylatokon", "Kép a design 2. számlán (136x121px, bitmap, vagy jpg)", K::Picture,
         "pic2"},
    };
    count = int(std::size(list));
    return list;
}

namespace {

QString storedValue(const SettingValues& values, const QString& key) {
    for (const auto& [k, v] : values)
        if (k == key)
            return v;
    return {};
}

QString iniValue(const IniSettings& v, const QString& key) {
    if (key == QLatin1String("archive"))
        return v.archive;
    if (key == QLatin1String("pic1"))
        return v.pic1;
    if (key == QLatin1String("pic2"))
        return v.pic2;
    if (key == QLatin1String("prnSzla"))
        return v.prnSzla;
    if (key == QLatin1String("prnSzallLev"))
        return v.prnSzallLev;
    if (key == QLatin1String("prnProforma"))
        return v.prnProforma;
    if (key == QLatin1String("prnEgyeb"))
        return v.prnEgyeb;
    return {};
}

// A list of names with the current one chosen; a current name the list
// lacks (a printer not installed here) is kept as the first item.
QComboBox* nameList(QWidget* parent, const QStringList& names, const QString& current) {
    auto* combo = new QComboBox(parent);
    QStringList items = names;
    if (!items.contains(current))
        items.prepend(current);
    combo->addItems(items);
    combo->setCurrentText(current);
    return combo;
}

} // namespace

QWidget* Tfrm_Beallitasok::makeField(const Entry& e, QWidget* page) {
    const QString key = QLatin1String(e.key);
    const QString caption = QString::fromUtf8(e.caption);
    const QString stored = storedValue(m_stored, key);
    const IniSettings ini = iniSettings(app().config);
    QWidget* field = nullptr;
    const auto withBrowse = [&](QLineEdit* edit, const std::function<void()>& browse) {
        auto* b = new QPushButton(QStringLiteral("..."), page);
        b->setObjectName(QStringLiteral("btn") + key);
        b->setAutoDefault(false);
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        connect(b, &QPushButton::clicked, this, browse);
        m_buttons.insert(key, b);
        return edit;
    };
    switch (e.kind) {
    case Kind::Flag:
    case Kind::IniFlag: {
        auto* box = new QCheckBox(caption, page);
        box->setChecked(e.kind == Kind::Flag ? stored == QLatin1String("I") : ini.atvet);
        field = box;
        break;
    }
    case Kind::Text:
    case Kind::Number: {
        auto* edit = new QLineEdit(e.kind == Kind::Number ? shownNumber(stored) : stored, page);
        if (e.kind == Kind::Text)
            limitToField(edit, QStringLiteral("beallit"), key);
        else
            edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
        field = edit;
        break;
    }
    case Kind::Memo: {
        auto* memo = new QPlainTextEdit(page);
        memo->setPlainText(stored);
        memo->setTabChangesFocus(true);
        memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 4 + 12);
        limitToField(memo, QStringLiteral("beallit"), key);
        field = memo;
        break;
    }
    case Kind::Layout: {
        auto* holder = new QWidget(page);
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        auto* group = new QButtonGroup(holder);
        auto* one = new QRadioButton(QStringLiteral("Design 1."), holder);
        auto* two = new QRadioButton(QStringLiteral("Design 2."), holder);
        one->setObjectName(QStringLiteral("rbDesign1"));
        two->setObjectName(QStringLiteral("rbDesign2"));
        group->addButton(one, 0);
        group->addButton(two, 1);
        (stored.trimmed() == QLatin1String("1") ? two : one)->setChecked(true);
        row->addWidget(one);
        row->addWidget(two);
        row->addStretch();
        holder->setFocusProxy(one);
        field = holder;
        break;
    }
    case Kind::PaymentMethod: {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("e") + key);
        edit->setReadOnly(true);
        field = withBrowse(edit, [this] {
            if (const auto chosen = choosePaymentMethod(m_paymentMethod))
                showPaymentMethod(*chosen);
        });
        m_fields.insert(key, field);
        showPaymentMethod(stored.toLongLong());
        return field;
    }
    case Kind::ExemptMark: {
        auto* combo = new QComboBox(page);
        combo->addItems({QString(), QStringLiteral("AM")});
        combo->setCurrentText(stored.trimmed() == QLatin1String("AM") ? QStringLiteral("AM") : QString());
        field = combo;
        break;
    }
    case Kind::Folder:
    case Kind::IniFolder: {
        auto* edit = new QLineEdit(e.kind == Kind::Folder ? stored : iniValue(ini, key), page);
        if (e.kind == Kind::Folder)
            limitToField(edit, QStringLiteral("beallit"), key);
        field = withBrowse(edit, [this, edit] {
            const QString chosen = chooseFolder(edit->text());
            if (!chosen.isEmpty())
                edit->setText(QDir::toNativeSeparators(chosen));
        });
        break;
    }
    case Kind::PdfPrinter:
        field = nameList(page, QStringList{kBuiltInPdfPrinter} + m_installed, stored);
        break;
    case Kind::Printer:
        field = nameList(page, QStringList{QString()} + kPorts + m_installed, iniValue(ini, key));
        break;
    case Kind::Picture: {
        auto* edit = new QLineEdit(iniValue(ini, key), page);
        edit->setObjectName(QStringLiteral("e") + key);
        auto* preview = new QLabel(page);
        preview->setObjectName(QStringLiteral("img") + key);
        preview->setFixedSize(key == QLatin1String("pic1") ? QSize(256, 51) : QSize(136, 121));
        preview->setFrameShape(QFrame::StyledPanel);
        preview->setAlignment(Qt::AlignCenter);
        m_previews.insert(key, preview);
        field = withBrowse(edit, [this, edit, key] {
            const QString chosen = choosePicture(edit->text());
            if (!chosen.isEmpty()) {
                edit->setText(QDir::toNativeSeparators(chosen));
                showPicture(key);
            }
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, key] { showPicture(key); });
        m_fields.insert(key, field);
        showPicture(key);
        return field;
    }
    case Kind::Advice: {
        auto* label = new QLabel(caption, page);
        label->setWordWrap(true);
        field = label;
        break;
    }
    }
    field->setObjectName(QStringLiteral("e") + key);
    m_fields.insert(key, field);
    return field;
}

void Tfrm_Beallitasok::showPaymentMethod(qint64 key) {
    m_paymentMethod = key;
    auto* edit = qobject_cast<QLineEdit*>(m_fields.value(QStringLiteral("alapfiztip")));
    if (!edit)
        return;
    try {
        edit->setText(m_db.queryText(QStringLiteral("SELECT fiztip_nev FROM fiztip WHERE fiztip = ?"), QString(),
                                     {key}));
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
}

void Tfrm_Beallitasok::showPicture(const QString& key) {
    auto* edit = qobject_cast<QLineEdit*>(m_fields.value(key));
    QLabel* preview = m_previews.value(key);
    if (!edit || !preview)
        return;
    const QPixmap picture(edit->text().trimmed());
    if (picture.isNull()) {
        preview->clear();
        return;
    }
    preview->setPixmap(picture.scaled(preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

SettingValues Tfrm_Beallitasok::recordValues() const {
    SettingValues values;
    int count = 0;
    const Entry* all = entries(count);
    for (int i = 0; i < count; ++i) {
        const Entry& e = all[i];
        if (!isRecordField(e.kind))
            continue;
        const QString key = QLatin1String(e.key);
        QWidget* f = m_fields.value(key);
        QString value;
        if (auto* box = qobject_cast<QCheckBox*>(f))
            value = box->isChecked() ? QStringLiteral("I") : QStringLiteral("N");
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(f))
            value = memo->toPlainText();
        else if (auto* combo = qobject_cast<QComboBox*>(f))
            value = combo->currentText();
        else if (e.kind == Kind::PaymentMethod)
            value = QString::number(m_paymentMethod);
        else if (e.kind == Kind::Layout)
            value = f->findChild<QRadioButton*>(QStringLiteral("rbDesign2"))->isChecked() ? QStringLiteral("1")
                                                                                           : QStringLiteral("0");
        else if (auto* edit = qobject_cast<QLineEdit*>(f))
            value = edit->text();
        values.append({key, value});
    }
    return values;
}

IniSettings Tfrm_Beallitasok::iniValues() const {
    const auto text = [this](const char* key) {
        QWidget* f = m_fields.value(QLatin1String(key));
        if (auto* combo = qobject_cast<QComboBox*>(f))
            return combo->currentText();
        if (auto* edit = qobject_cast<QLineEdit*>(f))
            return edit->text();
        return QString();
    };
    IniSettings v;
    v.archive = text("archive");
    v.pic1 = text("pic1");
    v.pic2 = text("pic2");
    v.prnSzla = text("prnSzla");
    v.prnSzallLev = text("prnSzallLev");
    v.prnProforma = text("prnProforma");
    v.prnEgyeb = text("prnEgyeb");
    v.atvet = qobject_cast<QCheckBox*>(m_fields.value(QStringLiteral("atvet")))->isChecked();
    return v;
}

void Tfrm_Beallitasok::ok() {
    const IniSettings ini = iniValues();
    if (const auto error = checkIniSettings(ini)) {
        m_dialogs->error(*error);
        return;
    }
    // Only what was changed is written: a stored value the window shows in
    // its own form (a rate as 27 or 27,0) stays as it was.
    SettingValues changes;
    for (const auto& [key, value] : recordValues()) {
        const QString before = storedValue(m_stored, key);
        const bool number = key.startsWith(QLatin1String("afa")) || key == QLatin1String("alapafakulcs") ||
                            key == QLatin1String("alappld") || key == QLatin1String("indulszla");
        if (value != before && !(number && value == shownNumber(before)))
            changes.append({key, number ? QString(value).replace(QLatin1Char(','), QLatin1Char('.')) : value});
    }
    try {
        if (const auto error = saveSettings(m_db, changes)) {
            m_dialogs->error(*error);
            return;
        }
    } catch (const DbError& e) {
        m_dialogs->error(QStringLiteral("Hiányos, vagy hibás adatmegadás\n") + e.text());
        return;
    }
    applyIniSettings(app(), ini);
    m_dialogs->warning(QStringLiteral("Indítsa újra a programot a beállítások érvénybe lépéséhez."));
    accept();
}

void installSettingsWindow(Tfrm_Main& window) {
    window.setCapability(QStringLiteral("aBeallit"), [&window](int) {
        Database* db = window.database();
        if (!db)
            return;
        Tfrm_Beallitasok settings(*db, QPrinterInfo::availablePrinterNames(), &window);
        if (settings.exec() == QDialog::Accepted)
            window.settingsChanged();
    });
}

} // namespace orvix::ui
