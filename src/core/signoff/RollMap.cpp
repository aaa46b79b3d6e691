#include "core/signoff/RollMap.h"

#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/render/FrameRenderer.h"
#include "core/signoff/Credits.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

namespace velmora {

qint64 TRollMap::FrameEntering(qint32 y) const
{
    // At position p roll y lies at film y (height - p + y): it reaches the bottom row once p > y.
    return std::max<qint64>(0, (qint64(y) + ScrollRate) / ScrollRate);
}

qint64 TRollMap::FrameCount() const
{
    const qint64 range = qint64(FilmHeight) + RollHeight;
    return (range + ScrollRate - 1) / ScrollRate;
}

const TPlacedNode *TRollMap::Find(const TElementNode *node) const
{
    const auto found = IndexOf.find(node);
    return found == IndexOf.end() ? nullptr : &Placements[found->second];
}

TRollMap MapRoll(const TElementTree &tree)
{
    TRollMap map;
    const TElementNode *projectNode = tree.ProjectNode();
    const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (project == nullptr)
        return map;
    map.FilmWidth = std::max(1, project->GetWidth());
    map.FilmHeight = std::max(1, project->GetHeight());
    map.FrameRate = std::max(1, project->GetFrameRate());
    map.ScrollRate = std::max(1, project->GetScrollRate());
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&pixel);
    TLayoutPass pass(FilmOf(*projectNode));
    pass.MeasureOnly = true;
    pass.Placements = &map.Placements;
    const qint32 bottom = pass.RenderNode(*projectNode, painter, TLayoutRect{0, 0, map.FilmWidth, map.FilmHeight}, 0);
    map.RollHeight = std::max(0, bottom);
    for (std::size_t i = 0; i < map.Placements.size(); ++i)
        map.IndexOf.emplace(map.Placements[i].Node, i);
    // A column set or column begins where the first of its children's contents does.
    for (auto placed = map.Placements.rbegin(); placed != map.Placements.rend(); ++placed)
        if (placed->Node->ChildCount() > 0 && placed->Node->Facets().Render == nullptr) {
            qint32 first = placed->Bottom;
            for (const auto &child : placed->Node->Children())
                if (const TPlacedNode *inner = map.Find(child.get()))
                    first = std::min(first, inner->ContentTop);
            placed->ContentTop = first;
        }
    return map;
}

QString NodePath(const TElementNode &node)
{
    QString path;
    for (const TElementNode *at = &node; at->Parent() != nullptr && !at->Facets().Project; at = at->Parent())
        path.prepend(QStringLiteral("/%1").arg(at->Index()));
    return path.isEmpty() ? QStringLiteral("/") : path;
}

QString ShownCaption(const TElementNode &node)
{
    QString caption;
    if (node.Element() != nullptr)
        node.Element()->GetCaption(-1, caption);
    return VisibleLine(caption).trimmed();
}

std::optional<std::pair<int, int>> InkColumns(const TPlacedNode &placed, int filmWidth, int filmHeight)
{
    const int height = placed.Bottom - placed.Top;
    // Drawn a band at a time: a tall element (a long roll on a wide film) would otherwise need
    // an image of the film's width and its whole height.
    constexpr int Band = 1024;
    if (height <= 0 || !ImageSizeProblem(filmWidth, std::min(height, Band), QString()).isEmpty())
        return std::nullopt;
    // A faint anti-aliased fringe is not ink a viewer sees.
    constexpr int Faint = 24;
    int left = filmWidth;
    int right = -1;
    for (int bandTop = 0; bandTop < height; bandTop += Band) {
        QImage image(filmWidth, std::min(Band, height - bandTop), QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return std::nullopt;
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            painter.translate(0, -(qint64(placed.Top) + bandTop));
            TLayoutPass pass(FilmOf(*placed.Node));
            pass.SkipInvisible = false;
            pass.RenderNode(*placed.Node, painter, TLayoutRect{placed.X, placed.Top, placed.Width, filmHeight}, placed.Top);
        }
        for (int y = 0; y < image.height(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < left; ++x)
                if (qAlpha(row[x]) > Faint) {
                    left = x;
                    break;
                }
            for (int x = filmWidth - 1; x > right; --x)
                if (qAlpha(row[x]) > Faint) {
                    right = x;
                    break;
                }
        }
    }
    if (right < 0)
        return std::nullopt;
    return std::pair(left, right);
}

} // namespace velmora
