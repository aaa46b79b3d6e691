#pragma once

#include <QDialog>

class QLabel;

namespace velmora {

// The version line of the About box: the release is left out when it is 0.
QString AboutVersionText(int major, int minor, int release, int build);

// The About box: our picture, the program's version and a Close button.
class TAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(QWidget *parent = nullptr);

    QLabel *VersionLabel = nullptr;
};

} // namespace velmora
