#include "ui/window/SplashScreen.h"

#include "ui/tree/TreeImages.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace velmora {

TSplashScreen::TSplashScreen(QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(RenderPicture(QStringLiteral(":/velmora/splash.svg"), QSize(398, 300)))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(m_picture.size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Timer.setSingleShot(true);
    Timer.setInterval(3000);
    connect(&Timer, &QTimer::timeout, this, [this] {
        Timer.stop();
        close();
    });
}

void TSplashScreen::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    repaint();
    Timer.start();
}

void TSplashScreen::mousePressEvent(QMouseEvent *)
{
    close();
}

void TSplashScreen::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, m_picture);
}

void TSplashScreen::closeEvent(QCloseEvent *event)
{
    Timer.stop();
    QDialog::closeEvent(event);
}

} // namespace velmora
