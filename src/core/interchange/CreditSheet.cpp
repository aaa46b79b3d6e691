#include "core/interchange/CreditSheet.h"

#include "core/credits/CreditRows.h"
#include "core/document/ElementTree.h"
#include "core/elements/Drawing.h"
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/elements/ElementText.h"
#include "core/elements/TextBlock.h"
#include "core/error.h"
#include "core/typedfiler/CodePage.h"

#include <QFileInfo>
#include <QImage>
#include <array>
#include <map>

namespace velmora {

namespace {

constexpr int MaxColumns = 12;
constexpr int MaxSize = 20000;

const QString CrLf = QStringLiteral("\r\n");

using TRow = TCreditRow;
using TColumnName = TCreditColumn;
using TRowKind = TCreditRowKind;

class TBuilder
{
public:
    TBuilder(const TSheet &sheet, const TCreditStyles &styles, const QDir &imageDir, int filmWidth)
        : m_sheet(sheet), m_styles(styles), m_imageDir(imageDir), m_filmWidth(filmWidth)
    {
    }

    TCreditBlock Build()
    {
        m_rows = ReadCreditRows(m_sheet);
        const std::vector<TRow> &rows = m_rows.Rows;
        TCreditBlock block;
        block.Rows = int(rows.size());
        for (std::size_t first = 0; first < rows.size();) {
            // Rows of one kind (and style) that follow each other form one block.
            std::size_t end = first + 1;
            while (end < rows.size() && rows[end].Kind == rows[first].Kind
                   && rows[end][colStyle].trimmed().compare(rows[first][colStyle].trimmed(), Qt::CaseInsensitive) == 0)
                ++end;
            AddBlock(rows, first, end, block.Nodes);
            first = end;
        }
        return block;
    }

private:
    [[noreturn]] void Fail(int row, const QString &what) const
    {
        throw EVelmoraError(QStringLiteral("%1:%2: %3").arg(m_sheet.Name).arg(row).arg(what));
    }

    const TCreditStyle &StyleOf(const TRow &row, const char *builtIn) const
    {
        const QString name = row[colStyle].trimmed();
        const TCreditStyle *style = m_styles.Find(name.isEmpty() ? QLatin1String(builtIn) : name);
        if (style == nullptr)
            Fail(row.Number, QStringLiteral("unknown Style \"%1\"").arg(name));
        m_names.emplace(style, name.isEmpty() ? QString::fromLatin1(builtIn) : name);
        return *style;
    }

    int Number(const TRow &row, TColumnName column, int fallback, int minimum, int maximum) const
    {
        return WholeNumberCell(m_rows, row, column, fallback, minimum, maximum);
    }

    const QString &Required(const TRow &row, TColumnName column) const { return RequiredCell(m_rows, row, column); }

    // The top offset of the next element: the space the one before asked for below it, and its own.
    int TakeSpace(int spaceBefore)
    {
        const int offset = m_pendingSpace + spaceBefore;
        m_pendingSpace = 0;
        return offset;
    }

    static QString Lines(const QString &cell)
    {
        QString text = cell;
        text.replace(CrLf, QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return text.trimmed().replace(QLatin1Char('\n'), CrLf);
    }

    // The text follows the project style of its style's name, which the import brings along.
    std::unique_ptr<TElementNode> Text(const QString &text, const TCreditStyle &style, int topOffset) const
    {
        auto element = std::make_unique<TVmElementText>();
        element->SetText(text);
        if (const auto name = m_names.find(&style); name != m_names.end())
            element->SetStyleName(name->second);
        element->SetFontName(ToSystemCodePage(style.FontName));
        element->SetFontSize(style.FontSize);
        element->SetColor(style.Color);
        element->SetHorizontalAlign(style.HAlign);
        element->SetTopOffset(topOffset);
        return std::make_unique<TElementNode>(std::move(element));
    }

    static std::unique_ptr<TElementNode> Columns(const QString &caption, std::vector<std::unique_ptr<TElementNode>> cells)
    {
        auto set = std::make_unique<TVmElementColumns>();
        set->SetCaption(-1, caption);
        auto node = std::make_unique<TElementNode>(std::move(set));
        for (auto &cell : cells) {
            auto column = std::make_unique<TElementNode>(std::make_unique<TVmElementColumn>());
            column->AppendChild(std::move(cell));
            node->AppendChild(std::move(column));
        }
        return node;
    }

    void AddBlock(const std::vector<TRow> &rows, std::size_t first, std::size_t end,
                  std::vector<std::unique_ptr<TElementNode>> &out)
    {
        const TRow &head = rows[first];
        switch (head.Kind) {
        case TRowKind::Heading:
            for (std::size_t r = first; r < end; ++r) {
                const TCreditStyle &style = StyleOf(rows[r], "Heading");
                out.push_back(Text(Lines(Required(rows[r], colText)), style, TakeSpace(style.SpaceBefore)));
                m_pendingSpace = style.SpaceAfter;
            }
            break;
        case TRowKind::Pair:
            for (std::size_t r = first; r < end; ++r)
                out.push_back(Pair(rows[r]));
            break;
        case TRowKind::Names:
            out.push_back(Names(rows, first, end));
            break;
        case TRowKind::Text: {
            const TCreditStyle &style = StyleOf(head, "Text");
            QStringList paragraphs;
            for (std::size_t r = first; r < end; ++r)
                paragraphs.append(Lines(Required(rows[r], colText)));
            out.push_back(Text(paragraphs.join(CrLf), style, TakeSpace(style.SpaceBefore)));
            m_pendingSpace = style.SpaceAfter;
            break;
        }
        case TRowKind::Image:
            for (std::size_t r = first; r < end; ++r)
                out.push_back(Image(rows[r]));
            break;
        case TRowKind::Gap:
            for (std::size_t r = first; r < end; ++r)
                out.push_back(Gap(rows[r]));
            break;
        }
    }

    // A role and a name side by side, their first lines on one baseline whatever their sizes.
    std::unique_ptr<TElementNode> Pair(const TRow &row)
    {
        // The row's Style picks the name's look; roles always take Role.
        const TCreditStyle &roleStyle = *m_styles.Find(QStringLiteral("Role"));
        m_names.emplace(&roleStyle, QStringLiteral("Role"));
        const TCreditStyle &nameStyle = StyleOf(row, "Name");
        // A continued role is not repeated beside its further names.
        const QString role = row.Continued ? QString() : Lines(Required(row, colRole));
        const QString name = Lines(Required(row, colName));
        const int space = TakeSpace(std::max(roleStyle.SpaceBefore, nameStyle.SpaceBefore));
        m_pendingSpace = std::max(roleStyle.SpaceAfter, nameStyle.SpaceAfter);
        // The columns split the width in halves; the gutter is thin spaces on each side of the middle.
        const QString roleText = Pad(role, roleStyle, roleStyle.Gutter - roleStyle.Gutter / 2, false);
        const QString nameText = Pad(name, nameStyle, roleStyle.Gutter / 2, true);
        // Measured on the first lines as drawn: a face without thin spaces takes them from a
        // fallback font, whose ascent can raise the line's baseline.
        const int shift = RoundHalfEven(FirstLineBaseline(Metrics(nameStyle).Font, nameText.section(CrLf, 0, 0))
                                        - FirstLineBaseline(Metrics(roleStyle).Font, roleText.section(CrLf, 0, 0)));
        std::vector<std::unique_ptr<TElementNode>> cells;
        cells.push_back(Text(roleText, roleStyle, space + std::max(0, shift)));
        cells.push_back(Text(nameText, nameStyle, space + std::max(0, -shift)));
        return Columns(QStringLiteral("%1 / %2").arg(role.section(CrLf, 0, 0), name.section(CrLf, 0, 0)), std::move(cells));
    }

    // Thin spaces worth about pixels at the inner end of every line (the role's right, the name's
    // left). Lines are broken here, at the column width less the gutter, so that wrapped lines
    // keep the gutter too.
    QString Pad(const QString &text, const TCreditStyle &style, int pixels, bool before)
    {
        if (pixels <= 0)
            return text;
        const TStyleMetrics &metrics = Metrics(style);
        if (metrics.ThinSpace <= 0.0)
            return text;
        const QString pad = QString(QChar(0x2009)).repeated(std::clamp(RoundHalfEven(pixels / metrics.ThinSpace), 0, 200));
        QStringList lines;
        for (const QString &paragraph : text.split(CrLf))
            for (const QString &line : WrapParagraph(metrics.Font, paragraph, m_filmWidth / 2 - pixels - 1))
                // A word joiner keeps the spaces from being dropped at a line break.
                lines.append(before ? pad + line : line + pad + QChar(0x2060));
        return lines.join(CrLf);
    }

    // Every name of the block (one per line of each cell) flowing down Columns columns.
    std::unique_ptr<TElementNode> Names(const std::vector<TRow> &rows, std::size_t first, std::size_t end)
    {
        const TRow &head = rows[first];
        const TCreditStyle &style = StyleOf(head, "Names");
        const int columns = Number(head, colColumns, 1, 1, MaxColumns);
        QStringList names;
        for (std::size_t r = first; r < end; ++r) {
            Number(rows[r], colColumns, 1, 1, MaxColumns);
            for (const QString &line : Lines(Required(rows[r], colName)).split(CrLf))
                if (!line.trimmed().isEmpty())
                    names.append(line.trimmed());
        }
        const int offset = TakeSpace(style.SpaceBefore);
        m_pendingSpace = style.SpaceAfter;
        if (columns == 1)
            return Text(names.join(CrLf), style, offset);
        const qsizetype perColumn = (names.size() + columns - 1) / columns;
        std::vector<std::unique_ptr<TElementNode>> cells;
        for (int c = 0; c < columns; ++c)
            cells.push_back(Text(names.mid(c * perColumn, perColumn).join(CrLf), style, offset));
        return Columns(QStringLiteral("%1 names").arg(names.size()), std::move(cells));
    }

    std::unique_ptr<TElementNode> Image(const TRow &row)
    {
        const TCreditStyle &style = StyleOf(row, "Text");
        const QString path = m_imageDir.absoluteFilePath(Required(row, colImage).trimmed());
        if (!QFileInfo::exists(path))
            Fail(row.Number, QStringLiteral("column Image: the file \"%1\" does not exist").arg(path));
        if (!QFileInfo(path).isFile())
            Fail(row.Number, QStringLiteral("column Image: \"%1\" is not a regular file (a folder or a device)").arg(path));
        auto element = std::make_unique<TVmElementImage>();
        element->LoadFromFile(path);
        const QImage *image = element->GetImage();
        if (image == nullptr || image->isNull())
            Fail(row.Number, QStringLiteral("column Image: \"%1\" is not a readable picture").arg(path));
        // Size is the drawn height; the width follows the picture's proportions.
        const int height = Number(row, colSize, 0, 0, MaxSize);
        if (height > 0) {
            element->SetSpecificDims(true);
            element->SetHeight(height);
            element->SetWidth(std::min(m_filmWidth, RoundHalfEven(double(image->width()) * height / image->height())));
        }
        element->SetTopOffset(TakeSpace(style.SpaceBefore));
        m_pendingSpace = style.SpaceAfter;
        return std::make_unique<TElementNode>(std::move(element));
    }

    // Empty space: an image element without a picture, as tall as Size.
    std::unique_ptr<TElementNode> Gap(const TRow &row)
    {
        const int size = Number(row, colSize, -1, 0, MaxSize);
        if (size < 0)
            Fail(row.Number, QStringLiteral("a gap row needs a Size"));
        auto element = std::make_unique<TVmElementImage>();
        element->SetCaption(-1, QStringLiteral("Gap %1 px").arg(size));
        element->SetTopOffset(TakeSpace(0));
        element->SetUseFixedHeight(true);
        element->SetFixedHeight(size);
        return std::make_unique<TElementNode>(std::move(element));
    }

    // Font lookups are slow: each style's font is resolved and measured once per import.
    struct TStyleMetrics
    {
        QFont Font;
        double ThinSpace = 0.0; // width of one U+2009
    };
    const TStyleMetrics &Metrics(const TCreditStyle &style)
    {
        auto found = m_metrics.find(&style);
        if (found == m_metrics.end()) {
            const QFont font = TextBlockFont(ToSystemCodePage(style.FontName), style.FontSize);
            const double thin = LineAdvance(font, QString(QChar(0x2009)).repeated(10)) / 10.0;
            found = m_metrics.emplace(&style, TStyleMetrics{font, thin}).first;
        }
        return found->second;
    }

    const TSheet &m_sheet;
    TCreditRows m_rows;
    const TCreditStyles &m_styles;
    std::map<const TCreditStyle *, TStyleMetrics> m_metrics;
    mutable std::map<const TCreditStyle *, QString> m_names;  // as the sheet first names each
    QDir m_imageDir;
    int m_filmWidth;
    int m_pendingSpace = 0;
};

} // namespace

TCreditBlock CreditsFromSheet(const TSheet &sheet, const TCreditStyles &styles, const QDir &imageDir, int filmWidth)
{
    return TBuilder(sheet, styles, imageDir, filmWidth).Build();
}

TInsertionPoint InsertionPointFor(const TElementTree &tree)
{
    TElementNode *project = tree.ProjectNode();
    TElementNode *focused = tree.FocusedNode();
    if (focused == nullptr || focused == project || focused->Parent() == nullptr)
        return {project, project ? project->ChildCount() : 0};
    if (focused->Facets().Container)
        return {focused, focused->ChildCount()};
    TElementNode *parent = focused->Parent();
    // Below a column set only columns may go: the block goes after the set instead.
    if (!parent->Facets().Container)
        return {parent->Parent(), std::size_t(parent->Index() + 1)};
    return {parent, std::size_t(focused->Index() + 1)};
}

TElementNode *InsertCredits(TElementTree &tree, const TInsertionPoint &point, TCreditBlock block)
{
    if (point.Parent == nullptr)
        throw EVelmoraError(QStringLiteral("there is no project to import the credits into"));
    TElementNode *first = nullptr;
    std::size_t index = point.Index;
    for (auto &node : block.Nodes) {
        TElementNode &inserted = tree.InsertChild(*point.Parent, index++, std::move(node));
        if (first == nullptr)
            first = &inserted;
    }
    return first;
}

} // namespace velmora
