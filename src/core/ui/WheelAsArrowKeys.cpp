#include "core/ui/WheelAsArrowKeys.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

namespace orvix::ui {

void WheelAsArrowKeys::install() {
    static WheelAsArrowKeys* filter = nullptr;
    if (!filter) {
        filter = new WheelAsArrowKeys(qApp);
        qApp->installEventFilter(filter);
    }
}

bool WheelAsArrowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return false;
    // Only grids: elsewhere the wheel keeps its usual meaning on this desktop.
    auto* view = qobject_cast<QAbstractItemView*>(watched->parent());
    if (!view || view->viewport() != watched)
        return false;
    const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (dy == 0)
        return false;
    const int key = dy < 0 ? Qt::Key_Down : Qt::Key_Up;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    return true;
}

} // namespace orvix::ui
