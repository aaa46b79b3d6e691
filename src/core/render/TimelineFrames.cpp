// The frames of a timeline with cards: what TFrameRenderer draws for a held, fading or
// dissolving card, a crawl, and a card the crawl pushes away.
#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/render/FrameRenderer.h"
#include "core/render/LayoutPass.h"
#include "core/render/Timeline.h"

#include <QPainter>
#include <QRgba64>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Scales every pixel's colour by level in code values; with keepAlpha the coverage stays
// (a fade to black over an opaque background), otherwise it scales too (a fade to nothing).
void ApplyLevel(QImage &image, double level, bool keepAlpha)
{
    if (level >= 1.0)
        return;
    const int height = image.height();
    const int width = image.width();
    if (image.depth() == 64) {
        const auto scale = [level](quint16 value) { return quint16(std::lround(value * level)); };
        for (int y = 0; y < height; ++y) {
            auto *pixel = reinterpret_cast<QRgba64 *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                pixel[x] = QRgba64::fromRgba64(scale(pixel[x].red()), scale(pixel[x].green()), scale(pixel[x].blue()),
                                               keepAlpha ? pixel[x].alpha() : scale(pixel[x].alpha()));
        }
        return;
    }
    // A table of the 256 products keeps a 4K frame's fade cheap.
    std::array<quint8, 256> table;
    for (int v = 0; v < 256; ++v)
        table[std::size_t(v)] = quint8(std::lround(v * level));
    for (int y = 0; y < height; ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = pixel[x];
            pixel[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], keepAlpha ? qAlpha(p) : table[qAlpha(p)]);
        }
    }
}

// target = under x (1 - mix) + target x mix, channel by channel on premultiplied values.
void MixOver(QImage &target, const QImage &under, double mix)
{
    const int height = target.height();
    const int width = target.width();
    const auto blend = [mix](double a, double b) { return std::lround(b * (1.0 - mix) + a * mix); };
    if (target.depth() == 64) {
        for (int y = 0; y < height; ++y) {
            auto *pixel = reinterpret_cast<QRgba64 *>(target.scanLine(y));
            const auto *below = reinterpret_cast<const QRgba64 *>(under.constScanLine(y));
            for (int x = 0; x < width; ++x)
                pixel[x] = QRgba64::fromRgba64(quint16(blend(pixel[x].red(), below[x].red())), quint16(blend(pixel[x].green(), below[x].green())),
                                               quint16(blend(pixel[x].blue(), below[x].blue())), quint16(blend(pixel[x].alpha(), below[x].alpha())));
        }
        return;
    }
    for (int y = 0; y < height; ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(target.scanLine(y));
        const auto *below = reinterpret_cast<const QRgb *>(under.constScanLine(y));
        for (int x = 0; x < width; ++x)
            pixel[x] = qRgba(int(blend(qRed(pixel[x]), qRed(below[x]))), int(blend(qGreen(pixel[x]), qGreen(below[x]))),
                             int(blend(qBlue(pixel[x]), qBlue(below[x]))), int(blend(qAlpha(pixel[x]), qAlpha(below[x]))));
    }
}

} // namespace

void DrawTimelineItems(QPainter &painter, const TLayoutPass &pass, const std::vector<TTimelineItem> &items, qint32 top,
                       bool skipFar)
{
    const TFilm &film = pass.Film;
    for (const TTimelineItem &item : items) {
        const qint64 itemTop = qint64(top) + item.Top;
        // A frame's worth of slack each way covers glyphs that overhang their band.
        if (skipFar && (itemTop > 2 * qint64(film.Height) || itemTop + item.Height < -qint64(film.Height)))
            continue;
        if (item.Block != nullptr)
            item.Block->SegmentLayoutFor(film, item.Segment).Draw(painter, 0, double(itemTop), QRectF());
        else
            pass.RenderNode(*item.Node, painter, TLayoutRect{0, 0, film.Width, film.Height}, ClampToInt32(itemTop));
    }
}

void TFrameRenderer::DrawItems(QPainter &painter, const TElementTree &tree, const TFilm &film,
                               const std::vector<TTimelineItem> &items, qint32 top, bool showPlaceholders)
{
    TLayoutPass pass(film);
    pass.FocusedNode = tree.FocusedNode();
    pass.ShowPlaceholders = showPlaceholders;
    pass.SkipInvisible = m_skipInvisible;
    pass.DrawBackground = m_drawBackground;
    DrawTimelineItems(painter, pass, items, top, m_skipInvisible);
}

void TFrameRenderer::PaintSegment(QImage &target, const TElementTree &tree, const TTimeline &timeline, int index,
                                  qint64 local, bool showPlaceholders, int pushed, qint32 pushedTop)
{
    const TFilm &film = timeline.Film();
    const TTimelineSegment &segment = timeline.Segments()[std::size_t(index)];
    const TElementNode *projectNode = tree.ProjectNode();
    target.fill(Qt::transparent);
    {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        if (m_scale > 1)
            painter.scale(m_scale, m_scale);
        if (m_drawBackground && projectNode->Facets().Render != nullptr) {
            TLayoutRect rect{0, 0, film.Width, film.Height};
            projectNode->Facets().Render->Render(painter, rect, 0);
        }
        if (segment.Card) {
            DrawItems(painter, tree, film, segment.Items, segment.DrawTop, showPlaceholders);
        } else {
            const qint64 top = qint64(film.Height) - (local + 1) * timeline.ScrollRate();
            DrawItems(painter, tree, film, segment.Items, ClampToInt32(top), showPlaceholders);
            if (pushed >= 0)
                DrawItems(painter, tree, film, timeline.Segments()[std::size_t(pushed)].Items, pushedTop, showPlaceholders);
        }
    }
    if (segment.Card)
        ApplyLevel(target, TTimeline::CardLevel(segment, local), m_drawBackground);
}

const QImage &TFrameRenderer::RenderTimelineFrame(const TElementTree &tree, const TTimeline &timeline, qint64 frame,
                                                  bool showPlaceholders)
{
    if (!timeline.Timed())
        return RenderFrame(tree, ClampToInt32(frame * timeline.ScrollRate()), showPlaceholders);
    const TElementNode *projectNode = tree.ProjectNode();
    const IProject *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (project == nullptr || timeline.Segments().empty())
        return RenderFrame(tree, 0, showPlaceholders);
    if (!PrepareFrame(timeline.Film().Width, timeline.Film().Height))
        return m_frame;
    const TFrameParts parts = timeline.PartsAt(frame);
    PaintSegment(m_frame, tree, timeline, parts.Segment, parts.Local, showPlaceholders, parts.Pushed, parts.PushedTop);
    if (parts.Under >= 0) {
        if (m_under.size() != m_frame.size() || m_under.format() != m_frame.format())
            m_under = QImage(m_frame.size(), m_frame.format());
        PaintSegment(m_under, tree, timeline, parts.Under, parts.UnderLocal, showPlaceholders, -1, 0);
        MixOver(m_frame, m_under, parts.Mix);
    }
    m_frameOpaque = m_drawBackground && qAlpha(project->GetBackColor()) == 255;
    return m_frame;
}

} // namespace velmora
