#include "invoicing/ui/Tfrm_Splash.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace orvix {

Tfrm_Splash::Tfrm_Splash(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen) {
    setObjectName(QStringLiteral("Tfrm_Splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(600, 200);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    m_fade = new QTimer(this);
    m_fade->setInterval(21);
    connect(m_fade, &QTimer::timeout, this, &Tfrm_Splash::fadeStep);
}

void Tfrm_Splash::showAndFade() {
    show();
    QTimer::singleShot(1000, m_fade, qOverload<>(&QTimer::start));
}

void Tfrm_Splash::fadeStep() {
    m_level -= 10;
    if (m_level <= 33) {
        m_fade->stop();
        close();
        return;
    }
    setWindowOpacity(m_level / 255.0);
}

void Tfrm_Splash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(38, 84, 140));
    g.setColorAt(1, QColor(16, 44, 86));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(rect().adjusted(2, 2, -2, -2), 18, 18);
    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"), 34, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(0, 40, width(), 70), Qt::AlignCenter, QStringLiteral("Orvix Számla"));
    QFont sub(QStringLiteral("DejaVu Sans"), 13);
    p.setFont(sub);
    p.setPen(QColor(210, 225, 245));
    p.drawText(QRect(0, 115, width(), 30), Qt::AlignCenter,
               QStringLiteral("Számlázás, pénztár és törzsadatok kisvállalkozásoknak"));
}

} // namespace orvix
