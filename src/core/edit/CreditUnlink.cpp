// A credit block's layout turned into ordinary elements that draw what the block drew.
#include "core/credits/CreditSource.h"
#include "core/edit/CreditSheet.h"

#include "core/document/ElementTree.h"
#include "core/elements/Drawing.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/PictureCache.h"
#include "core/elements/ElementText.h"
#include "core/error.h"
#include "core/credits/CreditStyleBridge.h"
#include "core/typedfiler/CodePage.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Pixels of room a line's band gets beyond its text on the side alignment does not hold, so
// that rounding the band to whole pixels never wraps what fitted in the block.
constexpr int Slack = 2;

qint32 Rounded(double value)
{
    return ClampToInt32(std::llround(std::floor(value + 0.5)));
}

TElementHAlignment FromQt(Qt::Alignment alignment)
{
    return alignment & Qt::AlignHCenter ? eaCenter : alignment & Qt::AlignRight ? eaRight : eaLeft;
}

// The lines of a laid-out cell as the block broke them, each without what ends it.
QString BrokenLines(const QTextLayout &layout)
{
    QStringList lines;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        QString text = layout.text().mid(line.textStart(), line.textLength());
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        lines.append(text);
    }
    return lines.join(QStringLiteral("\r\n"));
}

class TUnlinker
{
public:
    TUnlinker(const TCreditLayout &layout, const TCreditRows &rows, const QString &imageDir, int bandWidth)
        : m_layout(layout), m_rows(rows), m_imageDir(imageDir), m_width(bandWidth)
    {
    }

    std::vector<std::unique_ptr<TElementNode>> Build()
    {
        for (const TCreditLayout::TPiece &piece : m_layout.Pieces()) {
            if (piece.HasPicture() && !piece.ImageRect.isEmpty())
                Place(Picture(piece));
            else if (piece.Lines.size() == 1)
                Place(Text(piece.Lines.front(), 0, m_width));
            else if (!piece.Lines.empty())
                PlaceSideBySide(piece.Lines);
            // A gap draws nothing: the next element's offset keeps its room.
        }
        // What the block kept below its last line (a gap, a space after) stays with the roll.
        if (m_layout.Height() > m_cursor) {
            auto space = std::make_unique<TVmElementImage>();
            const qint32 height = m_layout.Height() - m_cursor;
            space->SetCaption(-1, QStringLiteral("Space %1 px").arg(height));
            space->SetUseFixedHeight(true);
            space->SetFixedHeight(height);
            m_nodes.push_back(std::make_unique<TElementNode>(std::move(space)));
        }
        return std::move(m_nodes);
    }

private:
    // An element ready to go, with where it reaches (relative to the block's top).
    struct TPlaced
    {
        std::unique_ptr<IElement> Element;
        qint32 Top = 0;
        qint32 Bottom = 0;
    };

    // One cell's lines as one text in a band from left to left + width (relative to the block):
    // the same breaks, the same line box, the same look.
    TPlaced Text(const TCreditLayout::TLine &line, qint32 left, qint32 width) const
    {
        const QTextLayout &layout = *line.Layout;
        const TCreditStyle &style = line.Style;
        auto text = std::make_unique<TVmElementText>();
        QString content = BrokenLines(layout);
        // Capitals as the block drew them: all capitals are what the text then says.
        if (style.Caps == TCreditCaps::AllCaps)
            content = content.toUpper();
        const bool smallCaps = style.Caps == TCreditCaps::SmallCaps;
        text->SetText(content);
        text->SetSmallCaps(smallCaps);
        text->SetStyleName(line.StyleName);
        text->SetFontName(ToSystemCodePage(style.FontName));
        text->SetFontSize(style.FontSize);
        text->SetColor(style.Color);
        text->SetLeading(style.Leading);
        text->SetTracking(style.Tracking);
        const TElementHAlignment align = FromQt(layout.textOption().alignment());
        text->SetHorizontalAlign(align);
        text->SetVerticalAlign(eaTop);

        // The box the block aligned the lines in, rounded, widened on its free side.
        const double boxLeft = line.Origin.x();
        const double boxRight = boxLeft + (layout.lineCount() > 0 ? layout.lineAt(0).width() : 0.0);
        qint32 from = Rounded(boxLeft);
        qint32 to = Rounded(boxRight);
        if (align != eaLeft)
            from -= Slack;
        if (align != eaRight)
            to += Slack;
        text->SetLeftIndent(from - left);
        text->SetRightIndent(left + width - to);

        TTextBlock measure;
        const qint32 height = measure.Measure(content, ToSystemCodePage(style.FontName), style.FontSize,
                                              std::max(1, to - from), align, eaTop, style.Leading, style.Tracking, smallCaps);
        const qint32 top = Rounded(line.Origin.y());
        return {std::move(text), top, top + height};
    }

    TPlaced Picture(const TCreditLayout::TPiece &piece) const
    {
        auto image = std::make_unique<TVmElementImage>();
        if (piece.Vector)
            image->AssignVector(piece.Vector, PicturePath(piece.Row));
        else
            image->AssignImage(TPictureCache::Picture(piece.Picture), PicturePath(piece.Row));
        image->SetSpecificDims(true);
        image->SetWidth(Rounded(piece.ImageRect.width()));
        image->SetHeight(Rounded(piece.ImageRect.height()));
        image->SetHorizontalAlign(eaCenter);
        const qint32 top = Rounded(piece.ImageRect.top());
        const qint32 bottom = top + image->GetHeight();
        return {std::move(image), top, bottom};
    }

    QString PicturePath(int rowNumber) const
    {
        for (const TCreditRow &row : m_rows.Rows)
            if (row.Number == rowNumber)
                return QDir(m_imageDir).absoluteFilePath(row[colImage].trimmed());
        return QString();
    }

    // Stacks placed below the elements before it at its own top.
    void Place(TPlaced placed)
    {
        if (auto *margins = queryInterface<IElementMargins>(placed.Element.get()))
            margins->SetTopOffset(placed.Top - m_cursor);
        m_cursor = std::max(m_cursor, placed.Bottom);
        m_nodes.push_back(std::make_unique<TElementNode>(std::move(placed.Element)));
    }

    // Lines that share a height (a role and its name, a row of names) go into columns of their
    // own, each placed within its column's band as it was within the block's.
    void PlaceSideBySide(const std::vector<TCreditLayout::TLine> &lines)
    {
        auto set = std::make_unique<TVmElementColumns>();
        QStringList captions;
        for (const TCreditLayout::TLine &line : lines)
            captions.append(line.Layout->text().section(QChar::LineSeparator, 0, 0).trimmed());
        set->SetCaption(-1, captions.join(QStringLiteral(" / ")));
        auto node = std::make_unique<TElementNode>(std::move(set));
        // The layout pass splits the band evenly and leaves the remainder to no column.
        const qint32 columnWidth = m_width / qint32(lines.size());
        qint32 bottom = m_cursor;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            TPlaced placed = Text(lines[i], qint32(i) * columnWidth, columnWidth);
            queryInterface<IElementMargins>(placed.Element.get())->SetTopOffset(placed.Top - m_cursor);
            bottom = std::max(bottom, placed.Bottom);
            auto column = std::make_unique<TElementNode>(std::make_unique<TVmElementColumn>());
            column->AppendChild(std::make_unique<TElementNode>(std::move(placed.Element)));
            node->AppendChild(std::move(column));
        }
        m_cursor = bottom;
        m_nodes.push_back(std::move(node));
    }

    const TCreditLayout &m_layout;
    const TCreditRows &m_rows;
    QString m_imageDir;
    qint32 m_width;
    qint32 m_cursor = 0;  // where the next element starts, below the block's top
    std::vector<std::unique_ptr<TElementNode>> m_nodes;
};

} // namespace

TCreditBlock UnlinkedCreditElements(const TVmElementCreditBlock &block, int bandWidth, int filmHeight,
                                    const QString &projectDir, const TProjectStyles &projectStyles)
{
    if (!block.Problem().isEmpty())
        throw EVelmoraError(QStringLiteral("the credits cannot be unlinked: %1").arg(block.Problem()));
    // Unlinked elements would scroll what the sheet holds still: its cards would be lost.
    if (!block.Segments().empty())
        throw EVelmoraError(QStringLiteral("the credits cannot be unlinked: the sheet has card rows, which hold pages still; "
                                           "unlinked, they would scroll with the rest"));
    // A grid of logos has no element form that draws it the same: refused rather than changed.
    for (const TCreditRow &row : block.Rows().Rows)
        if (row.Kind == TCreditRowKind::Logos)
            throw EVelmoraError(QStringLiteral("the credits cannot be unlinked: %1:%2 is a logos row, which no element lays out "
                                               "as a grid; keep the credits as a block")
                                    .arg(block.Rows().SheetName)
                                    .arg(row.Number));
    // The styles as the block draws them: sized for a 1080-line film, the project's laid over.
    TCreditStyles styles(1080);
    if (!block.Source().StylesJson.isEmpty())
        styles.Load(QJsonDocument::fromJson(block.Source().StylesJson.toUtf8()).object(), block.Source().StylesPath);
    OverlayProjectStyles(styles, projectStyles, std::max(1, filmHeight) / 1080.0);
    const QString sheet = block.Linked() && !projectDir.isEmpty() && QDir::isRelativePath(block.Source().SheetPath)
        ? QDir(projectDir).filePath(block.Source().SheetPath)
        : block.SheetFilePath();
    const QString imageDir = QFileInfo(sheet).absolutePath();
    const TCreditLayout layout = TCreditLayout::Build(block.Rows(), styles, bandWidth, filmHeight, imageDir, block.Stretches());
    TCreditBlock elements;
    elements.Nodes = TUnlinker(layout, block.Rows(), imageDir, std::max(1, bandWidth)).Build();
    return elements;
}

} // namespace velmora
