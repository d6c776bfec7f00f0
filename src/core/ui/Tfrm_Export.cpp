#include "core/ui/Tfrm_Export.h"

#include "common/Database.h"
#include "core/ui/QtDialogs.h"
#include "core/ui/WindowSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix::ui {

namespace {

const QString kWindowName = QStringLiteral("Tfrm_Export");
const QString kFilter = QStringLiteral("CSV állományok (*.csv);;Text állományok (*.txt);;Excel munkalap (*.xlsx);;"
                                       "Minden állomány (*)");

QString chooseSaveFile(QWidget* parent, const QString& current) {
    QString selected;
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Mentés másként"), current, kFilter, &selected);
    if (path.isEmpty())
        return path;
    if (QFileInfo(path).suffix().isEmpty())
        path += selected.contains(QLatin1String("xlsx")) ? QStringLiteral(".xlsx")
                : selected.contains(QLatin1String("txt")) ? QStringLiteral(".txt")
                                                           : QStringLiteral(".csv");
    return path;
}

} // namespace

QString Tfrm_Export::defaultFileName() {
    return QDir(userFilesFolder()).filePath(QStringLiteral("File001.csv"));
}

Tfrm_Export::Tfrm_Export(RowsFactory rows, const QString& fileName, Dialogs* dialogs, QWidget* parent)
    : QDialog(parent), m_rows(std::move(rows)) {
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Határolt szöveg export"));
    setModal(true);
    if (!dialogs) {
        m_ownDialogs = std::make_unique<QtDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_dialogs = dialogs;
    m_chooseFile = [this](const QString& current) { return chooseSaveFile(this, current); };
    m_openFile = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    auto* fileLabel = new QLabel(QStringLiteral("Filenév"), this);
    // A bare proposed name lands in the user's files folder, not wherever the program was started.
    m_fileName = new QLineEdit(fileName.isEmpty() ? defaultFileName()
                                                  : QDir::toNativeSeparators(QDir(userFilesFolder()).filePath(fileName)),
                               this);
    m_fileName->setObjectName(QStringLiteral("edFile"));
    m_fileName->setMinimumWidth(380);
    fileLabel->setBuddy(m_fileName);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("btnTallo"));
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString path = m_chooseFile(m_fileName->text());
        if (!path.isEmpty())
            m_fileName->setText(QDir::toNativeSeparators(path));
    });

    m_fields = new QListWidget(this);
    m_fields->setObjectName(QStringLiteral("clbMezok"));
    auto* all = new QPushButton(QStringLiteral("összes"), this);
    all->setObjectName(QStringLiteral("btnOsszes"));
    auto* none = new QPushButton(QStringLiteral("egyik sem"), this);
    none->setObjectName(QStringLiteral("btnEgyikSem"));
    const auto tickAll = [this](Qt::CheckState state) {
        for (int i = 0; i < m_fields->count(); ++i)
            m_fields->item(i)->setCheckState(state);
    };
    connect(all, &QPushButton::clicked, this, [tickAll] { tickAll(Qt::Checked); });
    connect(none, &QPushButton::clicked, this, [tickAll] { tickAll(Qt::Unchecked); });

    const auto radioGroup = [this](const QString& title, const QStringList& items, QButtonGroup*& group) {
        auto* box = new QGroupBox(title, this);
        auto* l = new QVBoxLayout(box);
        group = new QButtonGroup(box);
        for (int i = 0; i < items.size(); ++i) {
            auto* r = new QRadioButton(items.at(i), box);
            group->addButton(r, i);
            l->addWidget(r);
        }
        group->button(0)->setChecked(true);
        return box;
    };
    QGroupBox* delimiters = radioGroup(QStringLiteral("Határoló karakter"),
                                       {QStringLiteral("Pontosvessző (;)"), QStringLiteral("Tabulátor"),
                                        QStringLiteral("Vessző (,)"), QStringLiteral("Cső (|)")},
                                       m_delimiter);
    QGroupBox* qualifiers = radioGroup(QStringLiteral("Szövegjelölő"),
                                       {QStringLiteral("Idézőjel (\")"), QStringLiteral("Aposztróf (')"),
                                        QStringLiteral("Semmi")},
                                       m_qualifier);
    m_qualifier->button(2)->setChecked(true);

    m_multiLine = new QCheckBox(QStringLiteral("Többsoros mezőket is kiírja (egy sorba cső karakter választással)"), this);
    m_fieldNames = new QCheckBox(QStringLiteral("Eredeti mezőneveket használja (nem a megjelenített neveket)"), this);
    m_noHeader = new QCheckBox(QStringLiteral("Fejléc nem kell (az első sorban)"), this);
    m_openAfter = new QCheckBox(QStringLiteral("Export után megnyitás"), this);

    m_start = new QPushButton(QStringLiteral("Export indítás"), this);
    m_start->setObjectName(QStringLiteral("btnStart"));
    m_start->setDefault(true);
    m_stop = new QPushButton(QStringLiteral("Megállít"), this);
    m_stop->setObjectName(QStringLiteral("btnStop"));
    m_stop->setEnabled(false);
    m_close = new QPushButton(QStringLiteral("Bezár"), this);
    m_close->setObjectName(QStringLiteral("btnBezar"));
    connect(m_start, &QPushButton::clicked, this, &Tfrm_Export::startExport);
    connect(m_stop, &QPushButton::clicked, this, &Tfrm_Export::stopExport);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setValue(0);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(browse);
    auto* fieldButtons = new QHBoxLayout;
    fieldButtons->addWidget(all);
    fieldButtons->addWidget(none);
    auto* fieldColumn = new QVBoxLayout;
    fieldColumn->addWidget(m_fields, 1);
    fieldColumn->addLayout(fieldButtons);
    auto* settings = new QVBoxLayout;
    auto* groups = new QHBoxLayout;
    groups->addWidget(delimiters);
    groups->addWidget(qualifiers);
    settings->addLayout(groups);
    settings->addWidget(m_multiLine);
    settings->addWidget(m_fieldNames);
    settings->addWidget(m_noHeader);
    settings->addWidget(m_openAfter);
    settings->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(fieldColumn);
    middle->addLayout(settings, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    // The fields of the data set, all ticked.
    try {
        const std::unique_ptr<ExportRows> probe = m_rows();
        for (const ExportField& f : probe->fields()) {
            auto* item = new QListWidgetItem(f.name, m_fields);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
        m_loaded = true;
    } catch (const ExportError& e) {
        m_dialogs->error(e.text());
    } catch (const DbError& e) {
        m_dialogs->error(e.text());
    }
    setupWindow(this, kWindowName, true);
}

Tfrm_Export::~Tfrm_Export() = default;

ExportOptions Tfrm_Export::options() const {
    ExportOptions o;
    o.delimiter = Delimiter(m_delimiter->checkedId());
    o.qualifier = Qualifier(m_qualifier->checkedId());
    for (int i = 0; i < m_fields->count(); ++i)
        if (m_fields->item(i)->checkState() != Qt::Checked)
            o.unticked << m_fields->item(i)->text();
    o.multiLine = m_multiLine->isChecked();
    o.fieldNames = m_fieldNames->isChecked();
    o.noHeader = m_noHeader->isChecked();
    return o;
}

void Tfrm_Export::startExport() {
    if (m_running || !m_loaded)
        return;
    QString path = m_fileName->text().trimmed();
    if (path.isEmpty()) {
        path = m_chooseFile(defaultFileName());
        if (path.isEmpty())
            return;
        m_fileName->setText(QDir::toNativeSeparators(path));
    }
    path = QDir::fromNativeSeparators(path);
    const bool workbook = isWorkbookName(path);
    m_running = true;
    m_stopRequested = false;
    m_start->setEnabled(false);
    m_close->setEnabled(false);
    m_stop->setEnabled(!workbook);
    ExportResult result;
    QString error;
    try {
        const std::unique_ptr<ExportRows> rows = m_rows();
        m_progress->setRange(0, std::max(1, rows->rowCount()));
        m_progress->setValue(0);
        int lastShown = -1;
        const ExportProgress progress = [this, &lastShown](int done) {
            if (done - lastShown >= 50 || done == 0) {
                m_progress->setValue(std::min(done, m_progress->maximum()));
                lastShown = done;
            }
            // Pending window messages let "Megállít" act between rows.
            QCoreApplication::processEvents();
            return !m_stopRequested;
        };
        result = exportRows(*rows, path, options(), progress);
    } catch (const ExportError& e) {
        error = e.text();
    } catch (const DbError& e) {
        error = e.text();
    }
    m_running = false;
    m_progress->setValue(0);
    m_start->setEnabled(true);
    m_close->setEnabled(true);
    m_stop->setEnabled(false);
    if (!error.isEmpty()) {
        m_dialogs->error(QStringLiteral("Hiba: ") + error);
        return;
    }
    if (result.path != path)
        m_fileName->setText(QDir::toNativeSeparators(result.path));
    QString done = QDir::toNativeSeparators(result.path) + QStringLiteral(" file kész.");
    if (result.cutTexts > 0)
        done += QStringLiteral("\n%1 cella szövegét a program 32 767 karakterre rövidítette (egy munkafüzet-cellába "
                               "ennyi fér).")
                    .arg(result.cutTexts);
    m_dialogs->info(done);
    if (m_openAfter->isChecked()) {
        if (!m_openFile(QUrl::fromLocalFile(result.path)))
            m_dialogs->warning(openFailedText(result.path));
        accept();
    }
}

void exportQuery(QWidget* parent, Database& db, const QString& select, const QString& fileName,
                 const QHash<QString, QString>& labels) {
    Tfrm_Export window([&db, select, labels] { return queryRows(db, select, labels); }, fileName, nullptr, parent);
    if (window.loaded())
        window.exec();
}

void exportModel(QWidget* parent, Database&, const QAbstractItemModel& model, const QString& fileName) {
    Tfrm_Export window([&model] { return modelRows(model); }, fileName, nullptr, parent);
    if (window.loaded())
        window.exec();
}

} // namespace orvix::ui
