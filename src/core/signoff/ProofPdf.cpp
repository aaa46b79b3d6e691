#include "core/signoff/ProofPdf.h"
#include "core/elements/ProjectStyle.h"

#include "core/document/ElementTree.h"
#include "core/elements/Interfaces.h"
#include "core/elements/TextBlock.h"
#include "core/error.h"
#include "core/render/Timecode.h"
#include "core/render/LayoutPass.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/RollMap.h"

#include <QPageSize>
#include <QPainterPath>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <optional>

namespace velmora {

namespace {

// Page geometry in points (the writer runs at 72 dots per inch).
constexpr double MarginLeft = 84.0;  // the timecode column
constexpr double MarginRight = 24.0;
constexpr double MarginNotes = 130.0; // the right margin when changes are marked
constexpr double MarginTop = 40.0;   // project name and date
constexpr double MarginBottom = 32.0; // page number
constexpr double LabelPoints = 6.5;

QPageSize PageSizeFor(const TProofOptions &options, const TRollMap &map, double marginRight)
{
    switch (options.Page) {
    case TProofPage::A4: return QPageSize(QPageSize::A4);
    case TProofPage::Letter: return QPageSize(QPageSize::Letter);
    case TProofPage::Film: break;
    }
    // One screen of the film, as wide as an A4 page is tall, with the margins around it.
    const double width = 842.0 - MarginLeft - marginRight;
    const double height = width * map.FilmHeight / map.FilmWidth;
    return QPageSize(QSizeF(width + MarginLeft + marginRight, height + MarginTop + MarginBottom), QPageSize::Point,
                     QStringLiteral("Film"), QPageSize::ExactMatch);
}

// Top-level elements of the roll, in order: where pages may break.
std::vector<const TPlacedNode *> TopLevel(const TRollMap &map, const TElementNode &projectNode)
{
    std::vector<const TPlacedNode *> elements;
    for (const auto &child : projectNode.Children())
        if (const TPlacedNode *placed = map.Find(child.get()))
            elements.push_back(placed);
    return elements;
}

// Where the lines of the texts in node's subtree lie in the roll, as the renderer lays them out.
void CollectTextLines(const TRollMap &map, const TElementNode &node, std::vector<std::pair<double, double>> &lines)
{
    const auto *text = queryInterface<IElementText>(node.Element());
    const auto *font = queryInterface<IGDIPFont>(node.Element());
    const TPlacedNode *placed = map.Find(&node);
    if (text != nullptr && font != nullptr && placed != nullptr) {
        QString value;
        text->GetText(value);
        QByteArray fontName;
        font->GetFontName(fontName);
        const auto *hAlign = queryInterface<IElementHorizontalAlign>(node.Element());
        const auto *vAlign = queryInterface<IElementVerticalAlign>(node.Element());
        const auto *styled = queryInterface<IElementStyled>(node.Element());
        TTextBlock block;
        block.Measure(value, fontName, font->GetFontSize(), placed->Width, hAlign ? hAlign->GetHorizontalAlign() : eaLeft,
                      vAlign ? vAlign->GetVerticalAlign() : eaTop, styled ? styled->GetLeading() : 1.0,
                      styled ? styled->GetTracking() : 0);
        for (const auto &[top, bottom] : block.LineBands(placed->Bottom - placed->ContentTop))
            lines.emplace_back(placed->ContentTop + top, placed->ContentTop + bottom);
    }
    for (const auto &child : node.Children())
        CollectTextLines(map, *child, lines);
}

// The lowest y in (top, limit] inside element that cuts none of its lines of text, if any.
std::optional<qint32> BreakBetweenLines(const TRollMap &map, const std::vector<TPlacedBlock> &blocks,
                                        const TPlacedNode &element, qint32 top, qint32 limit)
{
    std::vector<std::pair<double, double>> lines;
    CollectTextLines(map, *element.Node, lines);
    // A credit block is one element holding a whole sheet: it breaks between its rows' lines.
    if (const TPlacedBlock *block = FindPlacedBlock(blocks, element.Node))
        for (const TCreditLayout::TPiece &piece : block->Layout.Pieces())
            lines.emplace_back(block->Top + piece.Top, block->Top + piece.Bottom);
    std::vector<qint32> candidates;
    for (const auto &line : lines)
        candidates.push_back(qint32(std::floor(line.first)));
    std::sort(candidates.rbegin(), candidates.rend());
    for (const qint32 y : candidates) {
        if (y <= top || y > limit)
            continue;
        if (std::none_of(lines.begin(), lines.end(), [y](const auto &line) { return line.first < y - 1e-3 && line.second > y + 1e-3; }))
            return y;
    }
    return std::nullopt;
}

std::vector<TProofPageBand> PageBands(const TRollMap &map, const std::vector<TPlacedBlock> &blocks,
                                      const std::vector<const TPlacedNode *> &elements, qint32 rollHeight, qint32 capacity)
{
    std::vector<TProofPageBand> bands;
    qint32 top = 0;
    std::size_t next = 0;
    while (top < rollHeight) {
        const qint32 limit = top + capacity;
        if (limit >= rollHeight) {
            bands.push_back({top, rollHeight});
            break;
        }
        qint32 bottom = limit;
        // Break before the first element that would not fit whole, unless it alone fills the page.
        while (next < elements.size() && elements[next]->Bottom <= limit)
            ++next;
        if (next < elements.size()) {
            const TPlacedNode &element = *elements[next];
            // An element taller than a page breaks between its lines; others go whole to the next page.
            if (element.Bottom - element.Top > capacity || element.Top <= top)
                bottom = BreakBetweenLines(map, blocks, element, top, limit).value_or(element.Top > top ? element.Top : limit);
            else if (element.Top <= limit)
                bottom = element.Top;
        }
        bands.push_back({top, bottom});
        top = bottom;
    }
    if (bands.empty())
        bands.push_back({0, 0});
    return bands;
}

// Changes: a green frame around each marked element with its note beside the roll; removals
// struck through in red where they stood.
void DrawMarks(QPainter &painter, const std::vector<TProofMark> &marks, const TRollMap &map, const TProofPageBand &band,
               QPointF origin, double scale, double notesLeft, const QFont &font)
{
    painter.save();
    QFont struck = font;
    struck.setStrikeOut(true);
    double lastNote = -1e9;
    for (const TProofMark &mark : marks) {
        const TPlacedNode *placed = mark.Node ? map.Find(mark.Node) : nullptr;
        // A row of a credit block is marked alone, not the whole block.
        const bool row = placed && mark.RollBottom > mark.RollY;
        const qint32 y = placed && !row ? placed->ContentTop : mark.RollY;
        if (y < band.Top || y >= band.Bottom || (mark.Node != nullptr && placed == nullptr))
            continue;
        const QColor colour = placed ? QColor(0, 150, 60) : QColor(200, 0, 0);
        double top = origin.y() + (y - band.Top) * scale;
        if (placed) {
            painter.setPen(QPen(colour, 0.8));
            painter.setBrush(Qt::NoBrush);
            const double bottom = origin.y() + (std::min(row ? mark.RollBottom : placed->Bottom, band.Bottom) - band.Top) * scale;
            painter.drawRect(QRectF(origin.x() + placed->X * scale, top, placed->Width * scale, std::max(1.0, bottom - top)));
        }
        // Notes close together stack downwards rather than overprint.
        top = std::max(top, lastNote + LabelPoints * 1.5);
        lastNote = top;
        painter.setPen(colour);
        painter.setFont(placed ? font : struck);
        painter.drawText(QRectF(notesLeft, top, MarginNotes - 10.0, LabelPoints * 1.5), Qt::AlignLeft | Qt::AlignTop,
                         painter.fontMetrics().elidedText(mark.Text, Qt::ElideRight, int(MarginNotes - 10.0)));
    }
    painter.restore();
}

} // namespace

std::vector<TProofPageBand> WriteProofPdf(const TElementTree &tree, const QString &fileName, const TProofOptions &options)
{
    const TElementNode *projectNode = tree.ProjectNode();
    const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (project == nullptr)
        throw EVelmoraError(QStringLiteral("%1: there is no project to proof").arg(fileName));
    const TRollMap map = MapRoll(tree);
    const std::vector<const TPlacedNode *> elements = TopLevel(map, *projectNode);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EVelmoraError(QStringLiteral("cannot create %1: %2").arg(fileName, file.errorString()));
    QPdfWriter writer(&file);
    writer.setResolution(72);
    const double marginRight = options.Marks.empty() ? MarginRight : MarginNotes;
    writer.setPageSize(PageSizeFor(options, map, marginRight));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(options.Title);
    writer.setCreator(QStringLiteral("Velmora"));

    const QSizeF page = writer.pageLayout().fullRectPoints().size();
    const double rollWidth = page.width() - MarginLeft - marginRight;
    const double rollSpace = page.height() - MarginTop - MarginBottom;
    // The film fills the width unless one screen would then not fit the page's height.
    const double scale = std::min(rollWidth / map.FilmWidth, rollSpace / map.FilmHeight);
    const int screensPerPage = std::max(1, int(std::floor(rollSpace / (map.FilmHeight * scale) + 1e-9)));
    const std::vector<TPlacedBlock> blocks = PlaceCreditBlocks(map);
    // Where labels go: each element's start, and each row's of a credit block.
    std::vector<qint32> labelTops;
    for (const TPlacedNode *element : elements) {
        if (element->Bottom <= element->Top)
            continue;
        if (const TPlacedBlock *block = FindPlacedBlock(blocks, element->Node)) {
            for (const auto &[row, rowBand] : block->RowBands)
                labelTops.push_back(block->Top + rowBand.first);
        } else {
            labelTops.push_back(element->ContentTop);
        }
    }
    std::sort(labelTops.begin(), labelTops.end());
    const std::vector<TProofPageBand> bands = PageBands(map, blocks, elements, map.RollHeight, screensPerPage * map.FilmHeight);

    QPainter painter;
    if (!painter.begin(&writer))
        throw EVelmoraError(QStringLiteral("cannot create %1: the PDF cannot be drawn").arg(fileName));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont labelFont(QStringLiteral("DejaVu Sans"));
    labelFont.setPointSizeF(LabelPoints);
    QFont headFont(QStringLiteral("DejaVu Sans"));
    headFont.setPointSizeF(8.5);
    const QColor background = QColor::fromRgba(project->GetBackColor());
    const QRect frame(0, 0, map.FilmWidth, map.FilmHeight);

    for (std::size_t p = 0; p < bands.size(); ++p) {
        if (p > 0)
            writer.newPage();
        const TProofPageBand &band = bands[p];
        painter.setFont(headFont);
        painter.setPen(Qt::black);
        const QRectF head(MarginLeft, 12.0, rollWidth, MarginTop - 18.0);
        painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, options.Title);
        painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1 x %2, %3 fps, %4 px/frame    %5")
                             .arg(map.FilmWidth)
                             .arg(map.FilmHeight)
                             .arg(map.FrameRate)
                             .arg(map.ScrollRate)
                             .arg(options.Date));
        painter.drawText(QRectF(0, page.height() - MarginBottom + 6.0, page.width(), MarginBottom - 14.0), Qt::AlignCenter,
                         QStringLiteral("Page %1 of %2").arg(p + 1).arg(bands.size()));

        const double bandHeight = (band.Bottom - band.Top) * scale;
        painter.fillRect(QRectF(MarginLeft, MarginTop, map.FilmWidth * scale, bandHeight), background);
        painter.save();
        painter.translate(MarginLeft, MarginTop);
        painter.scale(scale, scale);
        painter.setClipRect(QRectF(0, 0, map.FilmWidth, band.Bottom - band.Top));
        painter.translate(0, -band.Top);
        TLayoutPass pass(FilmOf(*projectNode));
        pass.SkipInvisible = false;
        for (const TPlacedNode *element : elements) {
            if (element->Bottom <= band.Top || element->Top >= band.Bottom)
                continue;
            // A block's rows are drawn page by page from its layout; the text of rows off the
            // page would still be in the PDF, clipped but found by a search.
            if (const TPlacedBlock *block = FindPlacedBlock(blocks, element->Node))
                block->Layout.DrawBand(painter, block->X, block->Top, band.Top - block->Top, band.Bottom - block->Top);
            else
                pass.RenderNode(*element->Node, painter, TLayoutRect{0, element->Top, map.FilmWidth, map.FilmHeight},
                                element->Top);
        }
        painter.restore();

        if (options.SafeAreas) {
            painter.save();
            for (const auto &[percent, colour] : {std::pair(90, QColor(0, 160, 255)), std::pair(93, QColor(255, 120, 0))}) {
                const QRect safe = SafeArea(frame, percent);
                painter.setPen(QPen(colour, 0.5, Qt::DashLine));
                for (const double x : {double(safe.left()), double(safe.right() + 1)})
                    painter.drawLine(QPointF(MarginLeft + x * scale, MarginTop),
                                     QPointF(MarginLeft + x * scale, MarginTop + bandHeight));
            }
            painter.restore();
        }

        DrawMarks(painter, options.Marks, map, band, QPointF(MarginLeft, MarginTop), scale,
                  MarginLeft + map.FilmWidth * scale + 6.0, labelFont);

        // Where each element enters the screen, as the editor and the video count frames. The
        // labels are drawn as outlines: as text, a column of them beside the roll leads PDF
        // readers to take the roll's lines out of order when they extract its text.
        QFont outlineFont(QStringLiteral("DejaVu Sans"));
        outlineFont.setPixelSize(7); // page units are points
        double lastLabel = -1e9;
        for (const qint32 start : labelTops) {
            if (start < band.Top || start >= band.Bottom)
                continue;
            const double y = MarginTop + (start - band.Top) * scale;
            if (y - lastLabel < LabelPoints * 2.6)
                continue;
            lastLabel = y;
            const qint64 frameNumber = map.FrameEntering(start);
            const QStringList lines = {FormatTimecode(frameNumber, map.FrameRate), QStringLiteral("frame %1").arg(frameNumber)};
            for (int line = 0; line < 2; ++line) {
                QPainterPath outline;
                outline.addText(QPointF(0.0, 0.0), outlineFont, lines[line]);
                // Right-aligned against the roll, the first line's top level with the element's start.
                outline.translate(MarginLeft - 6.0 - outline.boundingRect().right(), y + line * LabelPoints * 1.3 - outline.boundingRect().top());
                painter.fillPath(outline, QColor(60, 60, 60));
            }
        }
    }
    if (!painter.end())
        throw EVelmoraError(QStringLiteral("cannot create %1: the PDF cannot be drawn").arg(fileName));
    if (!file.commit())
        throw EVelmoraError(QStringLiteral("cannot create %1: %2").arg(fileName, file.errorString()));
    return bands;
}

} // namespace velmora
