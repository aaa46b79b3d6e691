#include "ui/MainWindow.h"

namespace velmora {

TMain::TMain(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Velmora - []"));
    resize(1024, 700);
}

} // namespace velmora
