#include "core/ui/WindowSupport.h"

#include <QAction>
#include <QLabel>

#include <QStatusBar>

#include "core/AppContext.h"
#include "core/FieldLimits.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace orvix::ui {

namespace {

const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
constexpr int kDefaultPosition = 10;

// The size a window has or will have when shown: before the first show and
// without an explicit resize it is what its layout asks for.
QSize currentSize(QWidget* window) {
    if (window->testAttribute(Qt::WA_Resized) || window->isVisible())
        return window->size();
    if (QLayout* layout = window->layout())
        layout->activate();
    const QSize hint = window->sizeHint();
    if (!hint.isValid())
        return window->size();
    return hint.expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
}

QRect workAreaAt(QWidget* window, const QPoint& position) {
    QScreen* screen = QGuiApplication::screenAt(position);
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// One axis of the fitting rule: start/length against the area's [low, high).
void fitAxis(int& start, int& length, int low, int high) {
    if (start > high || start < low)
        start = low;
    if (start + length > high) {
        if (length < high - low) {
            start = high - length;
        } else {
            start = low;
            length = high - low;
        }
    }
}

// Saves the window's geometry whenever it is closed or hidden by the program.
class GeometryKeeper : public QObject {
public:
    GeometryKeeper(QWidget* window, const QString& name, bool withSize)
        : QObject(window), m_window(window), m_name(name), m_withSize(withSize) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window &&
            (event->type() == QEvent::Close || (event->type() == QEvent::Hide && !event->spontaneous())))
            saveWindowGeometry(m_window, m_name, m_withSize);
        return false;
    }

private:
    QWidget* m_window;
    QString m_name;
    bool m_withSize;
};

const char* const kOwnFocusColour = "_orvix_own_focus_colour";

// The fields painted with the focus colour.
bool isPaintedField(QWidget* widget) {
    if (widget->property(kOwnFocusColour).toBool())
        return false;
    return qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
           qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget) ||
           qobject_cast<QAbstractSpinBox*>(widget);
}

const char* const kSavedPalette = "_orvix_focus_palette";
const char* const kOwnPalette = "_orvix_focus_own_palette";

class FocusPainter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !isPaintedField(widget))
            return false;
        if (event->type() == QEvent::FocusIn)
            paint(widget);
        else if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            restore(widget); // a popup of the field (list, calendar) keeps it focused
        return false;
    }

private:
    static void paint(QWidget* widget) {
        if (widget->property(kSavedPalette).isValid())
            return; // already painted
        widget->setProperty(kOwnPalette, widget->testAttribute(Qt::WA_SetPalette));
        widget->setProperty(kSavedPalette, QVariant::fromValue(widget->palette()));
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Base, kFocusColor);
        if (qobject_cast<QComboBox*>(widget))
            palette.setColor(QPalette::Button, kFocusColor);
        widget->setPalette(palette);
    }

    static void restore(QWidget* widget) {
        const QVariant saved = widget->property(kSavedPalette);
        if (!saved.isValid())
            return;
        // A field without a palette of its own goes back to inheriting one.
        widget->setPalette(widget->property(kOwnPalette).toBool() ? saved.value<QPalette>() : QPalette());
        widget->setProperty(kSavedPalette, QVariant());
        widget->setProperty(kOwnPalette, QVariant());
    }
};

class KeyRestriction : public QObject {
public:
    KeyRestriction(QObject* parent, const QString& allowed) : QObject(parent), m_allowed(allowed) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = key->text();
        for (const QChar ch : text) {
            const bool control = ch.unicode() < 0x20 || ch.unicode() == 0x7f;
            const bool digit = ch >= u'0' && ch <= u'9';
            if (!control && !digit && !m_allowed.contains(ch))
                return true; // swallowed
        }
        return false;
    }

private:
    QString m_allowed;
};

// The widget that stands for the field: the spin box or combo box around its
// inner line edit.
QWidget* fieldOf(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (qobject_cast<QLineEdit*>(widget) && parent &&
        (qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent)))
        return parent;
    return widget;
}

bool isButton(QWidget* widget) {
    return qobject_cast<QAbstractButton*>(widget) != nullptr;
}

bool keepsOwnEnter(QWidget* widget) {
    return isButton(widget) || qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget) ||
           qobject_cast<QAbstractItemView*>(widget);
}

bool takesTabFocus(QWidget* widget, QWidget* window) {
    return widget->window() == window && widget != window && !widget->focusProxy() && widget->isEnabled() &&
           widget->isVisibleTo(window) && (widget->focusPolicy() & Qt::TabFocus);
}

} // namespace

QString userFilesFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString openFailedText(const QString& path) {
    return QStringLiteral("A fájl elkészült, de nem nyitható meg:\n%1\nNincs hozzá rendelt program, vagy hiányzik az "
                          "xdg-open (xdg-utils csomag).")
        .arg(QDir::toNativeSeparators(path));
}

QRect fitIntoWorkArea(const QRect& window, const QRect& workArea) {
    if (!workArea.isValid())
        return window;
    int left = window.x();
    int top = window.y();
    int width = window.width();
    int height = window.height();
    fitAxis(left, width, workArea.x(), workArea.x() + workArea.width());
    fitAxis(top, height, workArea.y(), workArea.y() + workArea.height());
    return {left, top, width, height};
}

void restoreWindowGeometry(QWidget* window, const QString& name, bool withSize) {
    const IniFile& ini = app().ini;
    const QSize size = currentSize(window);
    const int left = ini.intValue(name, kLeft, kDefaultPosition);
    const int top = ini.intValue(name, kTop, kDefaultPosition);
    int width = size.width();
    int height = size.height();
    if (withSize) {
        // A stored size that cannot be a window's keeps the current one.
        width = ini.intValue(name, kWidth, width);
        height = ini.intValue(name, kHeight, height);
        if (width <= 0)
            width = size.width();
        if (height <= 0)
            height = size.height();
    }
    const QRect fitted = fitIntoWorkArea(QRect(left, top, width, height), workAreaAt(window, {left, top}));
    window->move(fitted.topLeft());
    if (withSize)
        window->resize(fitted.size());
}

void saveWindowGeometry(QWidget* window, const QString& name, bool withSize) {
    IniFile& ini = app().ini;
    const QRect normal = window->isMaximized() || window->isFullScreen()
                             ? window->normalGeometry()
                             : QRect(window->pos(), window->size());
    ini.setInt(name, kLeft, normal.x());
    ini.setInt(name, kTop, normal.y());
    if (withSize) {
        ini.setInt(name, kWidth, normal.width());
        ini.setInt(name, kHeight, normal.height());
    }
    if (!ini.path().isEmpty())
        ini.save();
}

void setupWindow(QWidget* window, const QString& name, bool withSize, bool enterMovesNext) {
    applyFontSize(window);
    restoreWindowGeometry(window, name, withSize);
    window->installEventFilter(new GeometryKeeper(window, name, withSize));
    installFocusPainter();
    if (enterMovesNext)
        new EnterMovesNext(window);
}

void installFocusPainter() {
    static QPointer<FocusPainter> painter;
    if (painter || !qApp)
        return;
    painter = new FocusPainter(qApp);
    qApp->installEventFilter(painter);
}

void keepOwnFocusColour(QWidget* field) {
    field->setProperty(kOwnFocusColour, true);
}

EnterMovesNext::EnterMovesNext(QWidget* window) : QObject(window), m_window(window) {
    if (qApp)
        qApp->installEventFilter(this);
}

bool EnterMovesNext::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    auto* receiver = qobject_cast<QWidget*>(watched);
    if (!receiver || receiver->window() != m_window || receiver == m_window)
        return false;
    QWidget* field = fieldOf(receiver);
    if (keepsOwnEnter(field) || !(field->focusPolicy() & Qt::TabFocus))
        return false;

    // The next field after this one in tab order, before the chain wraps
    // round to the window.
    for (QWidget* next = field->nextInFocusChain(); next && next != m_window && next != field;
         next = next->nextInFocusChain()) {
        if (takesTabFocus(next, m_window) && !isButton(next)) {
            next->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    // The last field: confirm as the default button would.
    const auto buttons = m_window->findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->isDefault() && button->isEnabled() && button->isVisibleTo(m_window)) {
            button->click();
            return true;
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(m_window)) {
        dialog->accept();
        return true;
    }
    return false;
}

void applyFontSize(QWidget* window, int pointSize) {
    QFont font = window->font();
    font.setPointSize(std::clamp(pointSize, kMinFontSize, kMaxFontSize));
    window->setFont(font);
}

void applyFontSize(QWidget* window) {
    applyFontSize(window, app().config.fontSize);
}

void restrictTypedKeys(QWidget* field, const QString& allowedCharacters) {
    field->installEventFilter(new KeyRestriction(field, allowedCharacters));
}

int limitToField(QWidget* edit, const QString& table, const QString& field) {
    const int width = fieldWidth(table, field);
    if (width <= 0 || !edit)
        return 0;
    if (auto* line = qobject_cast<QLineEdit*>(edit)) {
        line->setMaxLength(width);
    } else if (auto* box = qobject_cast<QComboBox*>(edit)) {
        if (box->lineEdit())
            box->lineEdit()->setMaxLength(width);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(edit)) {
        QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, width] {
            const QString text = memo->toPlainText();
            if (text.size() <= width)
                return;
            QTextCursor cursor = memo->textCursor();
            const int position = std::min<int>(cursor.position(), width);
            memo->setPlainText(text.left(width));
            cursor = memo->textCursor();
            cursor.setPosition(position);
            memo->setTextCursor(cursor);
        });
    } else {
        return 0;
    }
    return width;
}

QLineEdit* fieldEdit(QWidget* parent, const QString& table, const QString& field, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(field);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    else
        limitToField(e, table, field);
    return e;
}

QAction* addWindowAction(QWidget* window, const QString& name, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, window);
    action->setObjectName(name);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    return action;
}

QStatusBar* makePositionStatusBar(QWidget* window, QLabel*& position) {
    auto* statusBar = new QStatusBar(window);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    position = new QLabel(statusBar);
    position->setObjectName(QStringLiteral("lblPozicio"));
    statusBar->addWidget(position);
    return statusBar;
}

OkCancelButtons makeOkCancelButtons(QDialog* dialog) {
    OkCancelButtons result;
    result.ok = new QPushButton(QStringLiteral("OK"), dialog);
    result.ok->setObjectName(QStringLiteral("BitBtn1"));
    result.ok->setDefault(true);
    result.cancel = new QPushButton(QStringLiteral("Mégsem"), dialog);
    result.cancel->setObjectName(QStringLiteral("BitBtn2"));
    QObject::connect(result.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    result.row = new QHBoxLayout;
    result.row->addStretch();
    result.row->addWidget(result.ok);
    result.row->addWidget(result.cancel);
    return result;
}

void layOutPromptWindow(QDialog* dialog, QWidget* prompt, QWidget* field) {
    const OkCancelButtons buttons = makeOkCancelButtons(dialog);
    QObject::connect(buttons.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(prompt);
    layout->addWidget(field);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orvix::ui
