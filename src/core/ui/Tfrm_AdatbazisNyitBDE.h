// The database choice window shown at start: the registered data folders by
// display name; "OK" opens the selected one when its folder exists.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;

namespace orvix::ui {

class Tfrm_AdatbazisNyitBDE : public QDialog {
    Q_OBJECT

public:
    // names: the display names shown; entries: the whole "name;folder;" values, same order.
    Tfrm_AdatbazisNyitBDE(const QStringList& names, const QStringList& entries, QWidget* parent = nullptr);

    // The index accepted, -1 while nothing has been accepted.
    int chosenIndex() const { return m_chosen; }
    int currentIndex() const;
    void setCurrentIndex(int index);

    // "OK": accepts the selected entry when its folder exists (a relative
    // folder counts from the program folder); otherwise shows the error box
    // and the window stays open.
    bool tryAccept();
    // Double click: accepts the item without looking at its folder.
    void acceptItem(int index);

    QListWidget* list() const { return m_list; }

private:
    QStringList m_entries;
    QListWidget* m_list = nullptr;
    int m_chosen = -1;
};

// Shows the choice window with the given caption; the chosen index, or -1 when cancelled.
int chooseDatabaseWindow(QWidget* parent, const QString& caption, const QStringList& names,
                         const QStringList& entries);

} // namespace orvix::ui

namespace orvix {
using ui::chooseDatabaseWindow;
} // namespace orvix
