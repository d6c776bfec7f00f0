#include "core/ui/ScreenTexts.h"

#include "common/IniFile.h"
#include "core/AppContext.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <utility>

namespace orvix::ui {

namespace {

// Qt's own helper objects (the tab widget's page stack, a line edit's clear
// button …) carry names starting with "qt_" or none at all; they are not ours.
bool isNamed(const QObject* o) {
    const QString name = o->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// The tool tip Qt derives from the caption when none was set.
QString derivedToolTip(const QAction* a) {
    QString s = a->text();
    s.replace(QLatin1String("&&"), QLatin1String("\x01"));
    s.remove(QLatin1Char('&'));
    s.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    if (s.endsWith(QLatin1String("...")))
        s.chop(3);
    return s.trimmed();
}

QString actionHint(const QAction* a) {
    if (!a->statusTip().isEmpty())
        return a->statusTip();
    const QString tip = a->toolTip();
    return tip == derivedToolTip(a) ? QString() : tip;
}

// A group box holding radio buttons is a radio group: its buttons are its items.
QList<QRadioButton*> radioItems(const QGroupBox* box) {
    return box->findChildren<QRadioButton*>();
}

bool insideRadioGroup(const QRadioButton* button, const QWidget* window) {
    for (const QWidget* w = button->parentWidget(); w && w != window; w = w->parentWidget())
        if (qobject_cast<const QGroupBox*>(w))
            return true;
    return false;
}

class Writer {
public:
    Writer(IniFile& ini, QString section) : m_ini(ini), m_section(std::move(section)) {}

    // Only a key that has no value yet gets the current text; an empty
    // current text adds nothing.
    void put(const QString& key, const QString& text) {
        if (text.isEmpty() || !m_ini.value(m_section, key).isEmpty())
            return;
        m_ini.setValue(m_section, key, text);
    }

private:
    IniFile& m_ini;
    QString m_section;
};

void writeWindow(Writer& out, QWidget* window) {
    out.put(QStringLiteral("Caption"), window->windowTitle());

    QList<QAction*> actions = window->findChildren<QAction*>();
    for (QAction* a : window->actions())
        if (!actions.contains(a))
            actions.append(a);
    for (const QAction* a : actions) {
        if (!isNamed(a))
            continue;
        out.put(a->objectName() + QStringLiteral(".Caption"), a->text());
        out.put(a->objectName() + QStringLiteral(".Hint"), actionHint(a));
    }

    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (const auto* tabs = qobject_cast<const QTabWidget*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (const QWidget* page = tabs->widget(i); isNamed(page))
                    out.put(page->objectName() + QStringLiteral(".Caption"), tabs->tabText(i));
            continue;
        }
        if (!isNamed(w))
            continue;
        const QString name = w->objectName();
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            out.put(name + QStringLiteral(".Caption"), label->text());
        } else if (const auto* radio = qobject_cast<const QRadioButton*>(w)) {
            if (!insideRadioGroup(radio, window))
                out.put(name + QStringLiteral(".Caption"), radio->text());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            out.put(name + QStringLiteral(".Caption"), button->text());
        } else if (const auto* box = qobject_cast<const QGroupBox*>(w)) {
            out.put(name + QStringLiteral(".Caption"), box->title());
            const QList<QRadioButton*> items = radioItems(box);
            for (int i = 0; i < items.size(); ++i)
                out.put(name + QStringLiteral(".Item%1").arg(i), items[i]->text());
        } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                out.put(name + QStringLiteral(".Item%1").arg(i), combo->itemText(i));
        } else if (qobject_cast<const QTableView*>(w) || qobject_cast<const QTreeView*>(w)) {
            const QAbstractItemModel* model = static_cast<const QAbstractItemView*>(w)->model();
            if (!model)
                continue;
            for (int i = 0; i < model->columnCount(); ++i)
                out.put(name + QStringLiteral("[%1].Caption").arg(i),
                        model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString());
        }
    }
}

} // namespace

bool screenTextExportRequested() {
    return app().kiir;
}

void setScreenTextExportRequested(bool on) {
    app().kiir = on;
}

void maybeExportScreenTexts(QWidget* window) {
    if (!window || !screenTextExportRequested() || app().folders.work.isEmpty())
        return;
    exportScreenTexts(window, QDir(app().folders.work).filePath(QStringLiteral("lang.ini")));
}

void exportScreenTexts(QWidget* window, const QString& iniPath) {
    if (!window)
        return;
    IniFile ini(iniPath);
    QString section = window->objectName();
    if (section.isEmpty())
        section = QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
    Writer out(ini, section);
    writeWindow(out, window);
    if (!ini.save())
        qWarning("A képernyőszövegek nem írhatók: %s", qPrintable(QDir::toNativeSeparators(iniPath)));
}

} // namespace orvix::ui
