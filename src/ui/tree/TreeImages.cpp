#include "ui/tree/TreeImages.h"

#include <QPainter>
#include <QSvgRenderer>

// Outside any namespace, as the resource initialiser requires; the library is static.
static void InitVelmoraResources()
{
    Q_INIT_RESOURCE(velmora);
}

namespace velmora {

namespace {

constexpr std::array<const char *, TreeImageIndex::Count> IconNames{"project", "text", "column", "columns", "image",
    "save", "open", "placeholders", "delete", "cut", "copy", "paste", "elementmanager", "propertypanel", "saveas",
    "newproject", "loadbackground", "undo", "redo"};

} // namespace

TTreeImages::TTreeImages()
{
    for (std::size_t i = 0; i < m_icons.size(); ++i) {
        const QString resource = QStringLiteral(":/velmora/icons/%1.svg").arg(QLatin1String(IconNames[i]));
        m_icons[i].addPixmap(RenderPicture(resource, QSize(TreeImageSize, TreeImageSize)));
        m_icons[i].addPixmap(RenderPicture(resource, QSize(TreeImageSize * 2, TreeImageSize * 2)));
    }
}

QIcon TTreeImages::Icon(int index) const
{
    if (index < 0 || index >= TreeImageIndex::Count)
        return {};
    return m_icons[static_cast<std::size_t>(index)];
}
QPixmap RenderPicture(const QString &resource, const QSize &size)
{
    static const bool registered = (InitVelmoraResources(), true);
    Q_UNUSED(registered);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    return QPixmap::fromImage(image);
}

} // namespace velmora
