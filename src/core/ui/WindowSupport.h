// What every window of the program does alike: it remembers its place (and
// size when resizable) in the configuration file under its own name, takes
// the font size setting, moves on to the next field with Enter, and shows its
// focused field in the focus colour.
#pragma once

#include <QKeySequence>
#include <QColor>
#include <QObject>
#include <QRect>
#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

class QAction;
class QLabel;
class QLineEdit;
class QStatusBar;

namespace orvix::ui {

// Background of the field that has the focus.
inline const QColor kFocusColor(166, 202, 240);

// Fits a window rectangle into the work area: a left edge beyond the right
// edge R (a top beyond the bottom B) goes to the area's left (top); a window
// reaching beyond R moves to R - width when it is narrower than the area,
// otherwise it starts at the area's left and gets the area's width; the same
// for top and height against B. A window starting left of (above) the area is
// pulled into it.
// The folder proposed for files the user saves: the desktop's documents folder,
// or the home folder where there is no documents folder.
QString userFilesFolder();

QRect fitIntoWorkArea(const QRect& window, const QRect& workArea);

// Reads Left and Top (default 10) and, withSize, Width and Height (default
// the window's current size) from the ini section `name`, fits them into the
// work area of the screen and places the window there.
void restoreWindowGeometry(QWidget* window, const QString& name, bool withSize);
// Writes Left and Top (withSize: also Width and Height) into section `name`;
// the ini file is written at once when it has a path.
void saveWindowGeometry(QWidget* window, const QString& name, bool withSize);

// The window conventions in one call, made at the end of a window's
// constructor: font size, remembered geometry (restored now, saved whenever
// the window is closed or hidden), the focus colour, and, with
// enterMovesNext, Enter moving to the next field.
void setupWindow(QWidget* window, const QString& name, bool withSize, bool enterMovesNext = true);

// What the user is told when a written file could not be opened with the
// program the desktop associates with it.
QString openFailedText(const QString& path);

// Paints the focused QLineEdit, QComboBox, QPlainTextEdit, QTextEdit and spin
// or date field of the whole application with kFocusColor and restores its
// own colour when it loses the focus. Installing it again does nothing.
void installFocusPainter();
// Leaves a field out of the focus painting (a text area that marks its
// current line instead).
void keepOwnFocusColour(QWidget* field);

// Return/Enter in a one-line field of the window moves the focus to the next
// field in tab order. In the last field it presses the default button (or
// accepts the dialog). Multi-line edits, lists, grids and buttons keep their
// own meaning of Enter; Ctrl+Enter and Alt+Enter are left alone.
class EnterMovesNext : public QObject {
    Q_OBJECT

public:
    explicit EnterMovesNext(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};

// The font size of a window: point size clamped to 8..22.
void applyFontSize(QWidget* window, int pointSize);
// The same with the configured font size.
void applyFontSize(QWidget* window);

// Lets only digits, control keys and the given characters through into the
// field (typed characters only; moving and deleting keys are not affected).
void restrictTypedKeys(QWidget* field, const QString& allowedCharacters);

// Gives a text field the catalogue width of table.field (data/ catalogue) as
// its maximum length: a QLineEdit, the line of an editable QComboBox, or a
// QPlainTextEdit (whose longer text is cut back as it is typed or pasted).
// Fields without a width (numbers, dates, memos) are left alone. Returns the
// width, 0 when there is none.
int limitToField(QWidget* edit, const QString& table, const QString& field);

// A one-line field of an edit window, named after its field: maxLength
// characters at most, or the field's catalogue width when maxLength is 0.
QLineEdit* fieldEdit(QWidget* parent, const QString& table, const QString& field, int maxLength = 0);

// The "OK" (default) and "Mégsem" (cancel) buttons of a small window, named
// BitBtn1 and BitBtn2, right-aligned in the returned row.
struct OkCancelButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QHBoxLayout* row = nullptr;
};
OkCancelButtons makeOkCancelButtons(QDialog* dialog);

// The layout of a small input window: the prompt over its field and the
// "OK" (accepting) and "Mégsem" buttons under them, at its natural size.
void layOutPromptWindow(QDialog* dialog, QWidget* prompt, QWidget* field);

// An action of a window: object name, caption and key, its shortcut working
// anywhere in that window.
QAction* addWindowAction(QWidget* window, const QString& name, const QString& text, const QKeySequence& key = {});

// The status bar of a list window with its record-position label
// (lblPozicio, "120: 7"); the label is returned through position.
QStatusBar* makePositionStatusBar(QWidget* window, QLabel*& position);

} // namespace orvix::ui
