#include "core/credits/CreditLayout.h"

#include "core/credits/LogoGrid.h"
#include "core/elements/Drawing.h"
#include "core/elements/ElementError.h"
#include "core/elements/OutlineText.h"
#include "core/elements/PictureCache.h"
#include "core/elements/TextBlock.h"
#include "core/typedfiler/CodePage.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>

namespace velmora {

namespace {

constexpr int MaxColumns = 12;
constexpr int MaxSize = 20000;
// Time cells were checked for their form when read; their frames are counted when the roll is fitted.
constexpr int AnyFrameRate = std::numeric_limits<int>::max();

// Pairs take the space of the larger style; either style's MinSpace lets it shrink (the scaled
// styles have both bounds set).
int PairMinSpace(const TCreditStyle &role, const TCreditStyle &name)
{
    return std::min(role.MinSpace, name.MinSpace);
}

Qt::Alignment ToQt(TElementHAlignment alignment)
{
    return alignment == eaCenter ? Qt::AlignHCenter : alignment == eaRight ? Qt::AlignRight : Qt::AlignLeft;
}

// Sheet cells keep their line ends; the layout wants a line separator for each.
QString CellText(const QString &cell)
{
    QString text = cell.trimmed();
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return text;
}

QStringList SplitLines(const QString &cell)
{
    QString text = cell;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

// Text wrapped within width and aligned there, lines spaced by the style's leading.
struct TLaidText
{
    std::shared_ptr<QTextLayout> Layout;
    double Height = 0.0;
    double Ascent = 0.0;  // first line's baseline below the top, fallback fonts included
};

class TBuilder
{
public:
    TBuilder(const TCreditRows &rows, const TCreditStyles &styles, int width, int filmHeight, const QString &imageDir)
        : m_rows(rows), m_styles(styles), m_width(std::max(1, width)), m_scale(std::max(1, filmHeight) / 1080.0),
          m_imageDir(imageDir)
    {
    }

    // An elastic space: the part it belongs to and how far it may grow and shrink.
    struct TSpace
    {
        int Part = 0;
        qint64 Grow = 0;
        qint64 Shrink = 0;
    };
    // Growth (below zero: shrinking) of each elastic space, in the order ElasticTop() meets
    // them; empty: none.
    void SetGrowth(std::vector<qint64> growth) { m_growth = std::move(growth); }
    const std::vector<TSpace> &Spaces() const { return m_spaces; }
    // The heading that starts each part after the first: its row and its top.
    const std::vector<std::pair<int, qint32>> &PartHeadings() const { return m_partHeadings; }
    const std::vector<TCreditLayout::TWarning> &Warnings() const { return m_warnings; }

    std::vector<TCreditLayout::TPiece> Build(qint32 &height)
    {
        const std::vector<TCreditRow> &rows = m_rows.Rows;
        for (std::size_t first = 0; first < rows.size();) {
            std::size_t end = first + 1;
            // Card and crawl rows mark where the sequence changes; they take no room of their own.
            if (rows[first].Kind == TCreditRowKind::Card || rows[first].Kind == TCreditRowKind::Crawl) {
                first = end;
                continue;
            }
            // Names and text rows of one style run together into one list or one set of paragraphs.
            if (rows[first].Kind == TCreditRowKind::Names || rows[first].Kind == TCreditRowKind::Text)
                while (end < rows.size() && rows[end].Kind == rows[first].Kind
                       && rows[end][colStyle].trimmed().compare(rows[first][colStyle].trimmed(), Qt::CaseInsensitive) == 0)
                    ++end;
            AddRows(first, end);
            m_afterPair = rows[first].Kind == TCreditRowKind::Pair;
            first = end;
        }
        height = ClampToInt32(std::llround(m_y + m_pendingSpace));
        return std::move(m_pieces);
    }

private:
    const TCreditStyle &StyleOf(const TCreditRow &row, const char *builtIn)
    {
        const QString name = row[colStyle].trimmed();
        const TCreditStyle *style = m_styles.Find(name.isEmpty() ? QLatin1String(builtIn) : name);
        if (style == nullptr) {
            // A misspelt style must not stop a roll: the row keeps its place in its kind's look.
            style = m_styles.Find(QLatin1String(builtIn));
            const bool told = std::any_of(m_warnings.begin(), m_warnings.end(),
                                          [&](const TCreditLayout::TWarning &w) { return w.Row == row.Number; });
            if (!told)
                m_warnings.push_back({row.Number, QStringLiteral("unknown Style \"%1\"; the built-in %2 style is used instead")
                                                      .arg(name, QLatin1String(builtIn))});
        }
        auto found = m_scaled.find(style);
        if (found == m_scaled.end()) {
            found = m_scaled.emplace(style, ScaledCreditStyle(*style, m_scale)).first;
            m_names.emplace(&found->second, name.isEmpty() ? QString::fromLatin1(builtIn) : name);
        }
        return found->second;
    }

    int Number(const TCreditRow &row, TCreditColumn column, int fallback, int minimum, int maximum) const
    {
        return WholeNumberCell(m_rows, row, column, fallback, minimum, maximum);
    }

    // Finding a font is slow: each style's is found once per layout.
    const QFont &FontOf(const TCreditStyle &style)
    {
        auto found = m_fonts.find(&style);
        if (found != m_fonts.end())
            return found->second;
        QFont font = TextBlockFont(ToSystemCodePage(style.FontName), style.FontSize);
        if (style.Tracking != 0)
            font.setLetterSpacing(QFont::AbsoluteSpacing, style.Tracking);
        if (style.Caps == TCreditCaps::AllCaps)
            font.setCapitalization(QFont::AllUppercase);
        else if (style.Caps == TCreditCaps::SmallCaps)
            font.setCapitalization(QFont::SmallCaps);
        return m_fonts.emplace(&style, font).first->second;
    }

    TLaidText Lay(const QString &cell, const TCreditStyle &style, double width, Qt::Alignment align)
    {
        TLaidText laid;
        const QFont &font = FontOf(style);
        laid.Layout = std::make_shared<QTextLayout>(CellText(cell), font);
        QTextOption option(align);
        laid.Layout->setCacheEnabled(true);
        const double lineWidth = std::max(1.0, width);
        const TLongWordGuard guard(laid.Layout->text(), font, lineWidth, true);
        double y = 0.0;
        laid.Layout->beginLayout();
        for (QTextLine line = guard.CreateLine(*laid.Layout, option, 0); line.isValid();
             line = guard.CreateLine(*laid.Layout, option, line.textStart() + line.textLength())) {
            line.setLeadingIncluded(true);
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(0.0, y));
            if (line.lineNumber() == 0)
                laid.Ascent = line.ascent();
            // The last line keeps its own height so that leading adds space between lines only.
            y += line.height() * style.Leading;
            laid.Height = y - line.height() * (style.Leading - 1.0);
        }
        laid.Layout->endLayout();
        return laid;
    }

    double Top(int spaceBefore)
    {
        const double top = m_y + m_pendingSpace + spaceBefore;
        m_pendingSpace = 0;
        return top;
    }

    // The top of a block that starts after an elastic space of base pixels, which fitting may
    // take anywhere within its style's bounds.
    double ElasticTop(double base, int minSpace, int maxSpace, int minPercent = 100, int maxPercent = 200)
    {
        const std::size_t index = m_spaces.size();
        const auto [low, high] = ElasticBounds(base, minSpace, maxSpace, minPercent, maxPercent);
        m_spaces.push_back({m_part, std::max<qint64>(0, std::llround(high - base)), std::max<qint64>(0, std::llround(base - low))});
        const double growth = index < m_growth.size() ? double(m_growth[index]) : 0.0;
        return Top(0) + base + growth;
    }

    // The measure's edges for a style: the centred share of the width it allows.
    std::pair<double, double> MeasureOf(const TCreditStyle &style) const
    {
        const double measure = m_width * style.Measure / 100.0;
        const double left = (m_width - measure) / 2.0;
        return {left, left + measure};
    }

    void Push(TCreditLayout::TPiece piece, double top, double bottom)
    {
        piece.Top = ClampToInt32(std::llround(std::floor(top)));
        piece.Bottom = ClampToInt32(std::llround(std::ceil(bottom)));
        m_pieces.push_back(std::move(piece));
        m_y = bottom;
    }

    TCreditLayout::TLine Line(const TLaidText &laid, double x, double y, const TCreditStyle &style) const
    {
        const auto name = m_names.find(&style);
        return {laid.Layout, QPointF(x, y), ColorFromArgb(style.Color), y + laid.Ascent, style,
                name == m_names.end() ? QString() : name->second};
    }

    void AddRows(std::size_t first, std::size_t end)
    {
        const std::vector<TCreditRow> &rows = m_rows.Rows;
        const TCreditRow &head = rows[first];
        switch (head.Kind) {
        case TCreditRowKind::Heading:
        case TCreditRowKind::Text:
            Paragraphs(first, end, head.Kind == TCreditRowKind::Heading ? "Heading" : "Text");
            break;
        case TCreditRowKind::Pair:
            Pair(head);
            break;
        case TCreditRowKind::Names:
            Names(first, end);
            break;
        case TCreditRowKind::Image:
            Image(head);
            break;
        case TCreditRowKind::Logos:
            Logos(head);
            break;
        case TCreditRowKind::Card:
        case TCreditRowKind::Crawl:
            break;
        case TCreditRowKind::Gap: {
            const int size = Number(head, colSize, -1, 0, MaxSize);
            if (size < 0)
                FailCreditRow(m_rows.SheetName, head.Number, QStringLiteral("a gap row needs a Size"));
            // A gap moves within the Gap style's bounds, shares of its size unless given in pixels.
            const TCreditStyle &gap = *m_styles.Find(QStringLiteral("gap"));
            const auto scaled = [this](int pixels) { return pixels < 0 ? -1 : RoundHalfEven(pixels * m_scale); };
            const double top = ElasticTop(size * m_scale, scaled(gap.MinSpace), scaled(gap.MaxSpace), gap.MinSpacePercent,
                                          gap.MaxSpacePercent);
            TCreditLayout::TPiece piece;
            piece.Row = head.Number;
            Push(std::move(piece), Top(0), top);
            break;
        }
        }
    }

    void Paragraphs(std::size_t first, std::size_t end, const char *builtIn)
    {
        for (std::size_t r = first; r < end; ++r) {
            const TCreditRow &row = m_rows.Rows[r];
            const TCreditStyle &style = StyleOf(row, builtIn);
            const auto [left, right] = MeasureOf(style);
            const TLaidText laid = Lay(RequiredCell(m_rows, row, colText), style, right - left, ToQt(style.HAlign));
            const double top = r == first ? ElasticTop(style.SpaceBefore, style.MinSpace, style.MaxSpace) : Top(style.ParagraphSpace);
            // A heading with a Time starts a section of its own; the space above it ends the one before.
            if (row.Kind == TCreditRowKind::Heading && SectionTimeCell(m_rows, row, AnyFrameRate) > 0) {
                ++m_part;
                m_partHeadings.emplace_back(row.Number, ClampToInt32(std::llround(std::floor(top))));
            }
            TCreditLayout::TPiece piece;
            piece.Row = row.Number;
            piece.Lines.push_back(Line(laid, left, top, style));
            Push(std::move(piece), top, top + laid.Height);
            m_pendingSpace = style.SpaceAfter;
        }
    }

    // Role and name facing across the spine, their first lines on one baseline.
    void Pair(const TCreditRow &row)
    {
        const TCreditStyle &roleStyle = StyleOf(TCreditRow{}, "Role");
        const TCreditStyle &nameStyle = StyleOf(row, "Name");
        const auto [left, right] = MeasureOf(roleStyle);
        const double spine = m_width * roleStyle.Spine / 100.0;
        const double half = roleStyle.Gutter / 2.0;
        const TLaidText name = Lay(RequiredCell(m_rows, row, colName), nameStyle, right - spine - half, Qt::AlignLeft);
        // Further names of one role sit right below the one before, without the role again.
        const int space = std::max(roleStyle.SpaceBefore, nameStyle.SpaceBefore);
        // The first pair of a run starts a block; the pairs after it keep their spacing.
        const double top = row.Continued ? Top(0)
            : m_afterPair                ? Top(space)
                                         : ElasticTop(space, PairMinSpace(roleStyle, nameStyle),
                                                      std::max(roleStyle.MaxSpace, nameStyle.MaxSpace));
        TCreditLayout::TPiece piece;
        piece.Row = row.Number;
        double bottom = top;
        if (row.Continued) {
            piece.Lines.push_back(Line(name, spine + half, top, nameStyle));
            bottom = top + name.Height;
        } else {
            const TLaidText role = Lay(RequiredCell(m_rows, row, colRole), roleStyle, spine - half - left, Qt::AlignRight);
            const double baseline = top + std::max(role.Ascent, name.Ascent);
            piece.Lines.push_back(Line(role, left, baseline - role.Ascent, roleStyle));
            piece.Lines.push_back(Line(name, spine + half, baseline - name.Ascent, nameStyle));
            bottom = std::max(baseline - role.Ascent + role.Height, baseline - name.Ascent + name.Height);
        }
        Push(std::move(piece), top, bottom);
        m_pendingSpace = std::max(roleStyle.SpaceAfter, nameStyle.SpaceAfter);
    }

    // Every name of the rows flowing down Columns columns centred on the spine; one piece per
    // line across the columns, so that a long list costs a frame only what it shows.
    void Names(std::size_t first, std::size_t end)
    {
        const TCreditRow &head = m_rows.Rows[first];
        const TCreditStyle &style = StyleOf(head, "Names");
        const int columns = Number(head, colColumns, 1, 1, MaxColumns);
        QStringList names;
        std::vector<int> rowOf;
        for (std::size_t r = first; r < end; ++r) {
            Number(m_rows.Rows[r], colColumns, 1, 1, MaxColumns);
            for (const QString &line : SplitLines(RequiredCell(m_rows, m_rows.Rows[r], colName)))
                if (!line.trimmed().isEmpty()) {
                    names.append(line.trimmed());
                    rowOf.push_back(m_rows.Rows[r].Number);
                }
        }
        const auto [left, right] = MeasureOf(style);
        const double total = right - left;
        const double columnWidth = total / columns;
        const double spine = m_width * style.Spine / 100.0;
        const double start = std::clamp(spine - total / 2.0, left, right - total);
        const qsizetype perColumn = (names.size() + columns - 1) / columns;
        double top = ElasticTop(style.SpaceBefore, style.MinSpace, style.MaxSpace);
        for (qsizetype line = 0; line < perColumn; ++line) {
            TCreditLayout::TPiece piece;
            piece.Row = rowOf[std::size_t(line)];
            double height = 0.0;
            for (int c = 0; c < columns; ++c) {
                const qsizetype at = c * perColumn + line;
                if (at >= names.size())
                    break;
                const TLaidText laid = Lay(names[at], style, columnWidth, ToQt(style.HAlign));
                piece.Lines.push_back(Line(laid, start + c * columnWidth, top, style));
                height = std::max(height, laid.Height);
            }
            Push(std::move(piece), top, top + height);
            top = m_y + (line + 1 < perColumn ? height * (style.Leading - 1.0) : 0.0);
        }
        m_pendingSpace = style.SpaceAfter;
    }

    // One picture of a sheet row, its own size in natural; a picture that cannot be read is
    // left empty (it keeps no room) and a refused one is warned about.
    TCreditLayout::TPiece Picture(const TCreditRow &row, const QString &cell, QSizeF &natural)
    {
        // Without a folder (checking a block as it loads) a relative name is not looked up: it
        // would be taken from the current folder. A raster picture has only its header read
        // here, and its pixels only where it is drawn; a vector one (SVG, PDF) is small, and is
        // read and checked here.
        const QString path = !m_imageDir.isEmpty() ? QDir(m_imageDir).absoluteFilePath(cell)
                           : QDir::isAbsolutePath(cell) ? cell : QString();
        TCreditLayout::TPiece piece;
        piece.Row = row.Number;
        if (!path.isEmpty() && IsVectorPictureFile(path)) {
            try {
                piece.Vector = LoadVectorPictureFile(path);
                piece.Picture = path;
                natural = piece.Vector->NaturalSize();
            } catch (const EVelmoraError &e) {
                m_warnings.push_back({row.Number, e.message()});
            }
        } else if (!path.isEmpty()) {
            natural = PictureFileSize(path);
            if (!natural.isEmpty())
                piece.Picture = path;
        }
        return piece;
    }

    // A small copy of a picture to weigh its ink by: the vector's preview, or the file decoded
    // to fit 256 pixels (through the shared cache, not at its full size).
    static QImage InkSample(const TCreditLayout::TPiece &piece, QSizeF natural)
    {
        if (piece.Vector)
            return piece.Vector->Preview();
        if (piece.Picture.isEmpty() || natural.isEmpty())
            return {};
        return TPictureCache::Picture(piece.Picture, natural.scaled(256, 256, Qt::KeepAspectRatio).toSize().expandedTo(QSize(1, 1)));
    }

    // Several pictures in a grid of Columns cells a row (default: all in one), each given the
    // same ink area as a Size-sided square half covered, the grid centred on the spine.
    void Logos(const TCreditRow &row)
    {
        const TCreditStyle &style = StyleOf(row, "Text");
        const QStringList cells = PictureCells(row);
        if (cells.isEmpty())
            RequiredCell(m_rows, row, colImage);
        const int size = Number(row, colSize, 80, 1, MaxSize);
        const int columns = Number(row, colColumns, int(std::min<qsizetype>(cells.size(), MaxColumns)), 1, MaxColumns);
        std::vector<TCreditLayout::TPiece> pieces;
        std::vector<TLogoShape> shapes;
        for (const QString &cell : cells) {
            QSizeF natural;
            TCreditLayout::TPiece piece = Picture(row, cell, natural);
            shapes.push_back({natural.isValid() ? natural : QSizeF(1, 1), InkCoverage(InkSample(piece, natural))});
            pieces.push_back(std::move(piece));
        }
        const auto [left, right] = MeasureOf(style);
        double height = 0.0;
        const std::vector<QRectF> rects =
            LogoGrid(shapes, columns, size * m_scale, right - left, m_width * style.Spine / 100.0, height);
        const double top = ElasticTop(style.SpaceBefore, style.MinSpace, style.MaxSpace);
        // Pieces go in by their tops, which centring within a grid row can put out of order.
        std::vector<std::size_t> order(pieces.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(), [&rects](std::size_t a, std::size_t b) { return rects[a].top() < rects[b].top(); });
        for (const std::size_t i : order) {
            pieces[i].ImageRect = pieces[i].HasPicture() ? rects[i].translated(0, top) : QRectF();
            const double pieceTop = top + rects[i].top();
            Push(std::move(pieces[i]), pieceTop, pieceTop + rects[i].height());
        }
        m_y = top + height;
        m_pendingSpace = style.SpaceAfter;
    }

    void Image(const TCreditRow &row)
    {
        const TCreditStyle &style = StyleOf(row, "Text");
        const int size = Number(row, colSize, 0, 0, MaxSize);
        // A picture that is not there keeps its room, so the roll's timing does not change.
        QSizeF natural;
        TCreditLayout::TPiece piece = Picture(row, RequiredCell(m_rows, row, colImage).trimmed(), natural);
        double height = size * m_scale;
        double width = 0.0;
        if (natural.height() > 0) {
            if (size == 0)
                height = natural.height() * m_scale;
            width = std::min<double>(m_width, natural.width() * height / natural.height());
        }
        const double top = ElasticTop(style.SpaceBefore, style.MinSpace, style.MaxSpace);
        piece.ImageRect = QRectF((m_width - width) / 2.0, top, width, height);
        Push(std::move(piece), top, top + height);
        m_pendingSpace = style.SpaceAfter;
    }

    const TCreditRows &m_rows;
    const TCreditStyles &m_styles;
    std::map<const TCreditStyle *, TCreditStyle> m_scaled;
    std::map<const TCreditStyle *, QString> m_names;  // of each scaled style, as the sheet first names it
    std::map<const TCreditStyle *, QFont> m_fonts;
    double m_width;
    double m_scale;
    QString m_imageDir;
    double m_y = 0.0;
    double m_pendingSpace = 0.0;
    bool m_afterPair = false;
    std::vector<qint64> m_growth;
    std::vector<TSpace> m_spaces;
    int m_part = 0;
    std::vector<std::pair<int, qint32>> m_partHeadings;
    std::vector<TCreditLayout::TPiece> m_pieces;
    std::vector<TCreditLayout::TWarning> m_warnings;
};

} // namespace

TCreditLayout::TCreditLayout() = default;
TCreditLayout::~TCreditLayout() = default;
TCreditLayout::TCreditLayout(TCreditLayout &&) noexcept = default;
TCreditLayout &TCreditLayout::operator=(TCreditLayout &&) noexcept = default;

std::vector<qint64> SpreadStretch(qint64 stretch, const std::vector<qint64> &capacities)
{
    std::vector<qint64> growth(capacities.size(), 0);
    qint64 total = 0;
    for (const qint64 capacity : capacities)
        total += capacity;
    if (stretch <= 0 || total <= 0)
        return growth;
    stretch = std::min(stretch, total);
    qint64 given = 0;
    for (std::size_t i = 0; i < capacities.size(); ++i) {
        growth[i] = qint64((__int128(stretch) * capacities[i]) / total);
        given += growth[i];
    }
    // The pixels rounding left over go one each to the spaces with room, first to last.
    for (std::size_t i = 0; given < stretch; i = (i + 1) % capacities.size())
        if (growth[i] < capacities[i]) {
            ++growth[i];
            ++given;
        }
    return growth;
}

qint64 TCreditLayout::ElasticCapacity() const
{
    qint64 total = 0;
    for (const TPart &part : m_parts)
        total += part.Grow;
    return total;
}

int TCreditLayout::ElasticSpaces() const
{
    int total = 0;
    for (const TPart &part : m_parts)
        total += part.Spaces;
    return total;
}

TCreditLayout TCreditLayout::Build(const TCreditRows &rows, const TCreditStyles &styles, int width, int filmHeight,
                                   const QString &imageDir, const std::vector<qint32> &stretches)
{
    TCreditLayout layout;
    TBuilder builder(rows, styles, width, filmHeight, imageDir);
    layout.m_pieces = builder.Build(layout.m_height);
    layout.m_naturalHeight = layout.m_height;
    layout.m_warnings = builder.Warnings();
    layout.m_parts.resize(builder.PartHeadings().size() + 1);
    for (std::size_t i = 0; i < builder.PartHeadings().size(); ++i) {
        layout.m_parts[i + 1].Row = builder.PartHeadings()[i].first;
        layout.m_parts[i + 1].Top = builder.PartHeadings()[i].second;
    }
    const std::vector<TBuilder::TSpace> &spaces = builder.Spaces();
    for (const TBuilder::TSpace &space : spaces) {
        TPart &part = layout.m_parts[std::size_t(space.Part)];
        part.Grow += space.Grow;
        part.Shrink += space.Shrink;
        ++part.Spaces;
    }
    if (std::any_of(stretches.begin(), stretches.end(), [](qint32 s) { return s != 0; })) {
        // Each part's stretch goes to its own spaces, in proportion to how far each can move.
        std::vector<qint64> growth(spaces.size(), 0);
        for (std::size_t p = 0; p < layout.m_parts.size() && p < stretches.size(); ++p) {
            const qint64 stretch = stretches[p];
            if (stretch == 0)
                continue;
            std::vector<qint64> capacities;
            std::vector<std::size_t> indices;
            for (std::size_t i = 0; i < spaces.size(); ++i)
                if (spaces[i].Part == int(p)) {
                    capacities.push_back(stretch > 0 ? spaces[i].Grow : spaces[i].Shrink);
                    indices.push_back(i);
                }
            const std::vector<qint64> spread = SpreadStretch(stretch > 0 ? stretch : -stretch, capacities);
            for (std::size_t k = 0; k < indices.size(); ++k)
                growth[indices[k]] = stretch > 0 ? spread[k] : -spread[k];
        }
        // Laid out again with the growth known: every piece after a moved space moves too.
        TBuilder stretched(rows, styles, width, filmHeight, imageDir);
        stretched.SetGrowth(std::move(growth));
        layout.m_pieces = stretched.Build(layout.m_height);
    }
    for (const TPiece &piece : layout.m_pieces)
        layout.m_tallest = std::max(layout.m_tallest, piece.Bottom - piece.Top);
    return layout;
}

void TCreditLayout::Draw(QPainter &painter, double left, double top, const QRectF &visible) const
{
    auto begin = m_pieces.begin();
    auto end = m_pieces.end();
    if (!visible.isEmpty()) {
        // Pieces are ordered by their tops; none is taller than the tallest.
        const double from = visible.top() - top - m_tallest - 1.0;
        const double to = visible.bottom() - top + 1.0;
        begin = std::lower_bound(m_pieces.begin(), m_pieces.end(), from, [](const TPiece &p, double y) { return p.Top < y; });
        end = std::upper_bound(begin, m_pieces.end(), to, [](double y, const TPiece &p) { return y < p.Top; });
    }
    for (auto piece = begin; piece != end; ++piece)
        DrawPiece(painter, left, top, *piece);
}

void TCreditLayout::DrawBand(QPainter &painter, double left, double top, qint32 from, qint32 to) const
{
    const auto begin = std::lower_bound(m_pieces.begin(), m_pieces.end(), from, [](const TPiece &p, qint32 y) { return p.Top < y; });
    for (auto piece = begin; piece != m_pieces.end() && piece->Top < to; ++piece)
        DrawPiece(painter, left, top, *piece);
}

void TCreditLayout::DrawPiece(QPainter &painter, double left, double top, const TPiece &piece)
{
    for (const TLine &line : piece.Lines) {
        const QPointF origin(left + line.Origin.x(), top + line.Origin.y());
        painter.setPen(line.Color);
        if (DrawsAsOutlines(line.Layout->font().pixelSize(), painter.worldTransform()))
            DrawLayoutOutlines(painter, *line.Layout, origin, line.Color);
        else
            line.Layout->draw(&painter, origin);
    }
    DrawPicture(painter, piece, left, top);
}

void TCreditLayout::DrawPicture(QPainter &painter, const TPiece &piece, double left, double top)
{
    if (!piece.HasPicture() || piece.ImageRect.isEmpty())
        return;
    const QRectF target = piece.ImageRect.translated(left, top);
    if (piece.Vector) {
        piece.Vector->Draw(painter, target);
        return;
    }
    // Decoded at the size it covers on the device, so a large picture drawn small costs its
    // drawn size, once for every row naming it.
    const QSize drawn = painter.worldTransform().mapRect(target).size().toSize().expandedTo(QSize(1, 1));
    const QImage picture = TPictureCache::Picture(piece.Picture, drawn);
    if (picture.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, picture);
}

} // namespace velmora
