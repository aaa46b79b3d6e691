#pragma once

#include <QDialog>
#include <QTimer>

namespace velmora {

// The start-up picture: borderless, topmost, only the picture's own pixels show. It closes
// itself after three seconds or when clicked.
class TSplashScreen : public QDialog
{
    Q_OBJECT
public:
    explicit TSplashScreen(QWidget *parent = nullptr);

    QTimer Timer;

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QPixmap m_picture;
};

} // namespace velmora
