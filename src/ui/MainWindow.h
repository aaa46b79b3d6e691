#pragma once

#include <QMainWindow>

namespace velmora {

// The editor's main window.
class TMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMain(QWidget *parent = nullptr);
};

} // namespace velmora
