#include "ui/window/AboutBox.h"

#include "ui/tree/TreeImages.h"

#include <QLabel>
#include <QPushButton>
#include <velmora/version.h>

namespace velmora {

QString AboutVersionText(int major, int minor, int release, int build)
{
    if (release != 0)
        return QStringLiteral("Version %1.%2.%3 Build %4").arg(major).arg(minor).arg(release).arg(build);
    return QStringLiteral("Version %1.%2 Build %3").arg(major).arg(minor).arg(build);
}

TAbout::TAbout(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Velmora"));
    setObjectName(QStringLiteral("About"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, Qt::white);
    setPalette(colors);
    setAutoFillBackground(true);

    const QSize pictureSize(400, 300);
    auto *picture = new QLabel(this);
    picture->setPixmap(RenderPicture(QStringLiteral(":/velmora/about.svg"), pictureSize));
    picture->setGeometry(QRect(QPoint(0, 0), pictureSize));

    VersionLabel = new QLabel(AboutVersionText(VersionMajor, VersionMinor, VersionRelease, VersionBuild), this);
    VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    VersionLabel->setFont(font);
    QPalette grey = VersionLabel->palette();
    grey.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    VersionLabel->setPalette(grey);
    VersionLabel->adjustSize();
    VersionLabel->move(12, pictureSize.height() - VersionLabel->height() - 12);

    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    close->adjustSize();
    close->move(pictureSize.width() - close->width() - 12, pictureSize.height() - close->height() - 8);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(pictureSize);
}

} // namespace velmora
