#include "core/signoff/ProofPdf.h"

#include "core/document/ElementTree.h"
#include "core/elements/Drawing.h"
#include "core/elements/Interfaces.h"
#include "core/elements/OutlineText.h"
#include "core/elements/TextBlock.h"
#include "core/error.h"
#include "core/render/LayoutPass.h"
#include "core/render/Timecode.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/RollMap.h"

#include <QPageSize>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Page geometry in points (the writer runs at 72 dots per inch).
constexpr double MarginLeft = 126.0;  // each credit's timecode and sheet row
constexpr double MarginRight = 30.0;
constexpr double MarginNotes = 130.0; // the right margin when changes are marked
constexpr double MarginTop = 44.0;    // the running head
constexpr double MarginBottom = 34.0; // page number
constexpr double FirstHead = 64.0;    // the first page's head below the running head
constexpr double SignOffHeight = 170.0;
constexpr double LabelPoints = 6.5;
constexpr double InkPad = 12.0;       // film pixels kept either side of the roll's ink

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

// On paper a light colour prints dark; a coloured style keeps its hue so styles stay apart.
QColor PaperColour(const QColor &colour)
{
    const QColor hsl = colour.toHsl();
    if (hsl.hslSaturationF() < 0.25f)
        return QColor(17, 17, 17);
    return QColor::fromHslF(hsl.hslHueF(), std::min(1.0f, hsl.hslSaturationF()), std::min(0.3f, hsl.lightnessF()));
}

// Scripts whose shaped glyphs do not map back to the characters one by one (conjuncts, vowel
// signs, joined letters): a PDF reader extracting the drawn glyphs gets them broken or in
// presentation forms, so such lines get a separate text layer.
bool IsJoiningScript(char16_t u)
{
    return (u >= 0x0600 && u <= 0x08FF) || (u >= 0xFB50 && u <= 0xFEFF);
}

bool IsClusterScript(char16_t u)
{
    return (u >= 0x0900 && u <= 0x0DFF) || (u >= 0x0F00 && u <= 0x109F) || (u >= 0x1780 && u <= 0x17FF);
}

// Each character's own glyph (no shaping) from the first font of the drawn runs that has it,
// invisible, left to right from origin: the PDF maps each glyph back to its character.
void DrawUnshaped(QPainter &painter, const QString &text, const std::vector<QRawFont> &fonts, QPointF origin)
{
    const auto fontFor = [&fonts](char32_t c) -> const QRawFont * {
        for (const QRawFont &font : fonts)
            if (font.supportsCharacter(c))
                return &font;
        return nullptr;
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const char32_t first = text.at(i).isHighSurrogate() && i + 1 < text.size() ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                                                                                   : text.at(i).unicode();
        const QRawFont *font = fontFor(first);
        qsizetype end = i + 1;
        while (end < text.size() && fontFor(text.at(end).unicode()) == font)
            ++end;
        if (font != nullptr) {
            const QList<quint32> glyphs = font->glyphIndexesForString(text.mid(i, end - i));
            const QList<QPointF> advances = font->advancesForGlyphIndexes(glyphs);
            QList<QPointF> positions;
            for (const QPointF &advance : advances) {
                positions.append(origin);
                origin += QPointF(advance.x(), 0);
            }
            QGlyphRun run;
            run.setRawFont(*font);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(), run);
        }
        i = end;
    }
}

// Draws a laid out text; in scripts that need it, the glyphs as outlines and the characters as
// typed, invisible over them, so that a search finds the name as written.
void DrawSearchable(QPainter &painter, const QTextLayout &layout, const QPointF &origin, const QColor &colour)
{
    painter.setPen(colour);
    const QString &text = layout.text();
    const bool joining = std::any_of(text.begin(), text.end(), [](QChar c) { return IsJoiningScript(c.unicode()); });
    const bool clusters = std::any_of(text.begin(), text.end(), [](QChar c) { return IsClusterScript(c.unicode()); });
    if (!joining && !clusters) {
        if (DrawsAsOutlines(layout.font().pixelSize(), painter.worldTransform()))
            DrawLayoutOutlines(painter, layout, origin, colour);
        else
            layout.draw(&painter, origin);
        return;
    }
    DrawLayoutOutlines(painter, layout, origin, colour);
    painter.save();
    painter.setPen(QColor(0, 0, 0, 0));
    std::vector<QRawFont> fonts;
    for (const QGlyphRun &run : layout.glyphRuns())
        fonts.push_back(run.rawFont());
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const QString part = text.mid(line.textStart(), line.textLength());
        const QRectF rect = line.naturalTextRect().translated(origin);
        if (clusters) {
            DrawUnshaped(painter, part, fonts, QPointF(rect.left(), origin.y() + line.y() + line.ascent()));
            continue;
        }
        // Joined scripts read right to left: drawn as text, unshaped, the reader puts the
        // letters back in their typed order.
        QFont plain = layout.font();
        plain.setStyleStrategy(QFont::PreferNoShaping);
        painter.setFont(plain);
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, part);
    }
    painter.restore();
}

void DrawPiece(QPainter &painter, const TPlacedBlock &block, const TCreditLayout::TPiece &piece, bool rollColours)
{
    for (const TCreditLayout::TLine &line : piece.Lines)
        DrawSearchable(painter, *line.Layout, QPointF(block.X + line.Origin.x(), block.Top + line.Origin.y()),
                       rollColours ? line.Color : PaperColour(line.Color));
    if (piece.Vector && !piece.ImageRect.isEmpty()) {
        piece.Vector->Draw(painter, piece.ImageRect.translated(block.X, block.Top));  // stays vectors on paper
    } else if (!piece.Image.isNull() && !piece.ImageRect.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(piece.ImageRect.translated(block.X, block.Top), piece.Image);
    }
}

// On paper, the texts of an element's subtree in dark colours where the renderer puts them.
void DrawTextsOnPaper(QPainter &painter, const TRollMap &map, const TElementNode &node)
{
    TTextBlock block;
    if (const TPlacedNode *placed = MeasureTextNode(map, node, block))
        block.Draw(painter, QRectF(placed->X, placed->ContentTop, placed->Width, placed->Bottom - placed->ContentTop),
                   PaperColour(ColorFromArgb(queryInterface<IGDIPFont>(node.Element())->GetColor())));
    for (const auto &child : node.Children())
        DrawTextsOnPaper(painter, map, *child);
}

bool HasText(const TElementNode &node)
{
    if (queryInterface<IElementText>(node.Element()) != nullptr)
        return true;
    return std::any_of(node.Children().begin(), node.Children().end(), [](const auto &child) { return HasText(*child); });
}

// Changes, each kind by colour, the shape of its frame and the label before its note: added
// (solid green), changed (dashed blue), moved (dotted violet, at both places); removals and
// moves away struck through in red where they stood.
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
        QColor colour(200, 0, 0);
        Qt::PenStyle style = Qt::SolidLine;
        QString label = QStringLiteral("REMOVED ");
        switch (mark.Kind) {
        case TProofMarkKind::Added: colour = QColor(0, 150, 60); label = QStringLiteral("+ ADDED "); break;
        case TProofMarkKind::Changed: colour = QColor(0, 90, 200); style = Qt::DashLine; label = QStringLiteral("~ CHANGED "); break;
        case TProofMarkKind::Moved: colour = QColor(130, 40, 170); style = Qt::DotLine; label = QStringLiteral("> MOVED "); break;
        case TProofMarkKind::MovedAway: label = QStringLiteral("< MOVED AWAY "); break;
        case TProofMarkKind::Removed: label = QStringLiteral("- REMOVED "); break;
        }
        double top = origin.y() + (y - band.Top) * scale;
        if (placed) {
            painter.setPen(QPen(colour, 0.9, style));
            painter.setBrush(Qt::NoBrush);
            const double bottom = origin.y() + (std::min(row ? mark.RollBottom : placed->Bottom, band.Bottom) - band.Top) * scale;
            // Within the roll as the page shows it: a block is as wide as the film.
            const double left = std::max(MarginLeft, origin.x() + placed->X * scale);
            const double right = std::min(notesLeft - 6.0, origin.x() + (placed->X + placed->Width) * scale);
            painter.drawRect(QRectF(left, top, std::max(1.0, right - left), std::max(1.0, bottom - top)));
        }
        // The label on the credit's line, the note wrapped below it, whole: a proof is read,
        // not skimmed. Notes close together stack downwards rather than overprint.
        top = std::max(top, lastNote);
        painter.setPen(colour);
        painter.setFont(font);
        const double width = MarginNotes - 10.0;
        painter.drawText(QRectF(notesLeft, top, width, LabelPoints * 1.5), Qt::AlignLeft | Qt::AlignTop, label.trimmed());
        painter.setFont(placed ? font : struck);
        const QRectF noteRect(notesLeft, top + LabelPoints * 1.4, width, LabelPoints * 1.4 * 6);
        const QRectF used = painter.boundingRect(noteRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, mark.Text);
        painter.drawText(noteRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, mark.Text);
        lastNote = std::min(used.bottom(), noteRect.bottom()) + LabelPoints * 0.6;
    }
    painter.restore();
}

} // namespace

namespace {

// The page's scale (points per film pixel) and orientation: the roll's ink fills the width,
// and a page turns to landscape when its smallest text would otherwise print below the minimum.
struct TProofScale
{
    double Scale = 1.0;
    bool Landscape = false;
};

TProofScale ChooseScale(const TProofOptions &options, const TRollMap &map, const TRollInk &ink, double marginRight)
{
    const double inkWidth = std::max(1.0, ink.Right - ink.Left + 2 * InkPad);
    const auto fit = [&](bool landscape) {
        QPageLayout layout(PageSizeFor(options, map, marginRight), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                           QMarginsF());
        const double width = layout.fullRectPoints().width() - MarginLeft - marginRight;
        // Never larger than a point a pixel: a short roll of big titles need not fill the page.
        return std::min(1.0, width / inkWidth);
    };
    TProofScale chosen{fit(false), false};
    if (options.Page != TProofPage::Film && ink.SmallestText > 0 && ink.SmallestText * chosen.Scale < ProofMinimumPoints) {
        const double turned = fit(true);
        if (turned > chosen.Scale)
            chosen = {turned, true};
    }
    return chosen;
}

void DrawHead(QPainter &painter, const TProofOptions &options, const TRollMap &map, const QSizeF &page, int pageNumber,
              int pages, int credits)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8.0);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    const QRectF head(MarginLeft, 14.0, page.width() - MarginLeft - MarginRight, 16.0);
    const QString version = options.Version.isEmpty() ? QString() : QStringLiteral("  \u2014  %1").arg(options.Version);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, options.Title + version);
    painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter, options.Date);
    painter.drawText(QRectF(0, page.height() - MarginBottom + 8.0, page.width(), MarginBottom - 16.0), Qt::AlignCenter,
                     QStringLiteral("Page %1 of %2").arg(pageNumber).arg(pages));
    if (pageNumber != 1)
        return;
    QFont title = font;
    title.setPointSizeF(15.0);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(MarginLeft, MarginTop - 6.0, head.width(), 22.0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Credits proof: %1").arg(options.Title));
    painter.setFont(font);
    const QStringList facts = {
        QStringLiteral("Version: %1    Printed: %2").arg(options.Version.isEmpty() ? QStringLiteral("(none given)") : options.Version,
                                                       options.Date),
        QStringLiteral("Film: %1 x %2, %3 fps, %4 px a frame    Running time: %5    Credits: %6")
            .arg(map.FilmWidth)
            .arg(map.FilmHeight)
            .arg(map.FrameRate)
            .arg(map.ScrollRate)
            .arg(FormatTimecode(map.FrameCount(), map.FrameRate))
            .arg(credits),
    };
    for (int i = 0; i < facts.size(); ++i)
        painter.drawText(QRectF(MarginLeft, MarginTop + 18.0 + i * 12.0, head.width(), 12.0), Qt::AlignLeft | Qt::AlignVCenter,
                         facts[i]);
}

// Names, roles, dates and signatures of those who approve the roll, below top.
void DrawSignOff(QPainter &painter, const QSizeF &page, double top)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.0);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double left = MarginLeft;
    const double width = page.width() - MarginLeft - MarginRight;
    painter.drawText(QRectF(left, top, width, 16.0), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Approved for delivery"));
    font.setBold(false);
    font.setPointSizeF(7.5);
    painter.setFont(font);
    const QStringList fields = {QStringLiteral("Name"), QStringLiteral("Role"), QStringLiteral("Date"), QStringLiteral("Signature")};
    const double column = width / fields.size();
    painter.setPen(QPen(Qt::black, 0.6));
    for (int signer = 0; signer < 2; ++signer) {
        const double y = top + 52.0 + signer * 52.0;
        for (int f = 0; f < fields.size(); ++f) {
            const double x = left + f * column;
            painter.drawLine(QPointF(x, y), QPointF(x + column - 12.0, y));
            painter.drawText(QRectF(x, y + 2.0, column - 12.0, 10.0), Qt::AlignLeft | Qt::AlignTop, fields[f]);
        }
    }
}

} // namespace

TProofSummary WriteProofPdf(const TElementTree &tree, const QString &fileName, const TProofOptions &options)
{
    const TElementNode *projectNode = tree.ProjectNode();
    const auto *project = projectNode ? queryInterface<IProject>(projectNode->Element()) : nullptr;
    if (project == nullptr)
        throw EVelmoraError(QStringLiteral("%1: there is no project to proof").arg(fileName));
    const TRollMap map = MapRoll(tree);
    const std::vector<const TPlacedNode *> elements = TopLevel(map, *projectNode);
    const std::vector<TPlacedBlock> blocks = PlaceCreditBlocks(map);
    const TRollInk ink = MeasureRollInk(map, blocks, elements);
    const double marginRight = options.Marks.empty() ? MarginRight : MarginNotes;
    const TProofScale scale = ChooseScale(options, map, ink, marginRight);
    const double s = scale.Scale;
    const double inkLeft = ink.Left - InkPad;

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EVelmoraError(QStringLiteral("cannot create %1: %2").arg(fileName, file.errorString()));
    QPdfWriter writer(&file);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(PageSizeFor(options, map, marginRight),
                                     scale.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(options.Title);
    writer.setCreator(QStringLiteral("Velmora"));

    const QSizeF page = writer.pageLayout().fullRectPoints().size();
    const double rollWidth = std::min(page.width() - MarginLeft - marginRight, (ink.Right - ink.Left + 2 * InkPad) * s);
    const double rollSpace = page.height() - MarginTop - MarginBottom;
    // Each page's roll starts a pad above its first credit, so that nothing touches the head.
    const auto capacity = [s](double points) { return std::max<qint32>(1, qint32(std::floor(points / s - InkPad))); };
    const std::vector<TProofEntry> entries = ProofEntries(map, blocks, elements, capacity(rollSpace - FirstHead));
    const std::vector<TProofPageBand> bands = BreakIntoPages(entries, {capacity(rollSpace - FirstHead), capacity(rollSpace)});
    const int credits = int(std::count_if(entries.begin(), entries.end(), [](const TProofEntry &e) { return e.Credit; }));
    // The sign-off block goes below the last page's roll, or on a page of its own.
    const double lastUsed = (bands.size() == 1 ? FirstHead : 0.0) + (bands.back().Bottom - bands.back().Top + InkPad) * s;
    const bool signOffPage = options.SignOff && lastUsed + SignOffHeight > rollSpace;
    const int pageCount = int(bands.size()) + (signOffPage ? 1 : 0);

    QPainter painter;
    if (!painter.begin(&writer))
        throw EVelmoraError(QStringLiteral("cannot create %1: the PDF cannot be drawn").arg(fileName));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont labelFont(QStringLiteral("DejaVu Sans"));
    labelFont.setPointSizeF(LabelPoints);
    const QRect frame(0, 0, map.FilmWidth, map.FilmHeight);
    TLayoutPass pass(FilmOf(*projectNode));
    pass.SkipInvisible = false;

    for (std::size_t p = 0; p < bands.size(); ++p) {
        if (p > 0)
            writer.newPage();
        const TProofPageBand &band = bands[p];
        DrawHead(painter, options, map, page, int(p) + 1, pageCount, credits);
        const double head = MarginTop + (p == 0 ? FirstHead : 0.0);
        const double top = head + InkPad * s; // where band.Top stands on the page
        const double bandHeight = (band.Bottom - band.Top) * s;
        if (options.RollColours)
            painter.fillRect(QRectF(MarginLeft, head, rollWidth, bandHeight + InkPad * s), ColorFromArgb(project->GetBackColor()));

        painter.save();
        painter.translate(MarginLeft, top);
        painter.scale(s, s);
        painter.translate(-inkLeft, -band.Top);
        painter.setClipRect(QRectF(inkLeft, band.Top - InkPad, rollWidth / s, band.Bottom - band.Top + InkPad));
        const TPlacedNode *drawn = nullptr;
        for (std::size_t i = band.First; i < band.Last; ++i) {
            const TProofEntry &entry = entries[i];
            if (entry.Block != nullptr) {
                DrawPiece(painter, *entry.Block, entry.Block->Layout.Pieces()[std::size_t(entry.Piece)], options.RollColours);
                continue;
            }
            // An element split over pages is drawn on each, cut at the page's edges.
            if (entry.Element == drawn)
                continue;
            drawn = entry.Element;
            if (!options.RollColours && HasText(*entry.Element->Node))
                DrawTextsOnPaper(painter, map, *entry.Element->Node);
            else
                pass.RenderNode(*entry.Element->Node, painter, TLayoutRect{0, entry.Element->Top, map.FilmWidth, map.FilmHeight},
                                entry.Element->Top);
        }
        painter.restore();

        if (options.SafeAreas) {
            painter.save();
            for (const auto &[percent, colour] : {std::pair(90, QColor(0, 160, 255)), std::pair(93, QColor(255, 120, 0))}) {
                const QRect safe = SafeArea(frame, percent);
                painter.setPen(QPen(colour, 0.5, Qt::DashLine));
                for (const double x : {double(safe.left()), double(safe.right() + 1)})
                    if (x >= inkLeft && (x - inkLeft) * s <= rollWidth)
                        painter.drawLine(QPointF(MarginLeft + (x - inkLeft) * s, top),
                                         QPointF(MarginLeft + (x - inkLeft) * s, top + bandHeight));
            }
            painter.restore();
        }

        DrawMarks(painter, options.Marks, map, band, QPointF(MarginLeft - inkLeft * s, top), s, MarginLeft + rollWidth + 6.0,
                  labelFont);

        // Where each credit enters the screen, as the editor and the video count frames, and the
        // sheet row it comes from: text on the credit's baseline, so a search finds it beside it.
        painter.setFont(labelFont);
        painter.setPen(QColor(70, 70, 70));
        const QFontMetricsF metrics(labelFont, &writer);
        for (std::size_t i = band.First; i < band.Last; ++i) {
            const TProofEntry &entry = entries[i];
            if (!entry.Credit)
                continue;
            const qint32 labelY = std::clamp(entry.LabelY, band.Top, band.Bottom);
            const double baseline = top + (labelY - band.Top) * s + (entry.Block ? 0.0 : metrics.ascent());
            QString label = FormatTimecode(map.FrameEntering(entry.Top), map.FrameRate);
            if (!entry.Source.isEmpty())
                label += QStringLiteral("  ") + entry.Source;
            painter.drawText(QPointF(MarginLeft - 8.0 - metrics.horizontalAdvance(label), baseline), label);
        }
        if (p + 1 == bands.size() && options.SignOff && !signOffPage)
            DrawSignOff(painter, page, top + bandHeight + 24.0);
    }
    if (signOffPage) {
        writer.newPage();
        DrawHead(painter, options, map, page, pageCount, pageCount, credits);
        DrawSignOff(painter, page, MarginTop + 12.0);
    }
    if (!painter.end())
        throw EVelmoraError(QStringLiteral("cannot create %1: the PDF cannot be drawn").arg(fileName));
    if (!file.commit())
        throw EVelmoraError(QStringLiteral("cannot create %1: %2").arg(fileName, file.errorString()));
    return {bands, credits, ink.SmallestText * s, scale.Landscape};
}

} // namespace velmora
