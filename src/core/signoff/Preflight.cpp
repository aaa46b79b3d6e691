#include "core/signoff/Preflight.h"

#include "core/render/Timeline.h"
#include "core/signoff/CardChecks.h"

#include "core/credits/ElementCreditBlock.h"
#include "core/document/ElementTree.h"
#include "core/elements/FontCoverage.h"
#include "core/elements/FontFaces.h"
#include "core/elements/Interfaces.h"
#include "core/elements/TextBlock.h"
#include "core/render/FontWarnings.h"
#include "core/render/Timecode.h"
#include "core/signoff/BlockLayouts.h"
#include "core/signoff/Credits.h"
#include "core/signoff/LetterHeight.h"
#include "core/signoff/RollMap.h"
#include "core/typedfiler/CodePage.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <QRect>
#include <QRegularExpression>
#include <QTextLayout>
#include <map>
#include <set>

namespace velmora {

namespace {

const QString TitleSafe = QStringLiteral("title-safe");
const QString ActionSafe = QStringLiteral("action-safe");
const QString SmallText = QStringLiteral("small-text");
const QString ReadingTime = QStringLiteral("reading-time");
const QString MissingGlyphs = QStringLiteral("missing-glyphs");
const QString MissingFont = QStringLiteral("missing-font");
const QString SimilarNames = QStringLiteral("similar-names");
const QString Spacing = QStringLiteral("spacing");
const QString DuplicateCredit = QStringLiteral("duplicate-credit");
const QString RunningTimeId = QStringLiteral("running-time");
const QString FilmSize = QStringLiteral("film-size");
const QString UnknownStyle = QStringLiteral("unknown-style");
const QString CreditDuration = QStringLiteral("credit-duration");
const QString HeadBlack = QStringLiteral("head-black");
const QString TailBlack = QStringLiteral("tail-black");
const QString CardChecks[] = {QStringLiteral("card-reading"), QStringLiteral("card-safe"), QStringLiteral("card-flash")};

// Sizes finishing houses and cinemas take.
struct TDeliverySize
{
    const char *Name;
    int Width;
    int Height;
};
constexpr TDeliverySize DeliverySizes[] = {
    {"HD", 1920, 1080},          {"UHD", 3840, 2160},          {"DCI 2K Flat", 1998, 1080},
    {"DCI 2K Scope", 2048, 858}, {"DCI 4K Flat", 3996, 2160}, {"DCI 4K Scope", 4096, 1716},
    {"DCI 2K Full", 2048, 1080}, {"DCI 4K Full", 4096, 2160},
};
constexpr TDeliverySize OrdinarySizes[] = {{"720p", 1280, 720}, {"PAL", 720, 576}, {"NTSC", 720, 480}};

template <typename Visit>
void ForEachText(const TElementNode &node, const Visit &visit)
{
    const auto *font = queryInterface<IGDIPFont>(node.Element());
    const auto *text = queryInterface<IElementText>(node.Element());
    if (font != nullptr && text != nullptr) {
        QString value;
        text->GetText(value);
        visit(node, *font, value);
    }
    for (const auto &child : node.Children())
        ForEachText(*child, visit);
}

bool IsBlock(const TElementNode &node)
{
    return queryInterface<TVmElementCreditBlock>(node.Element()) != nullptr;
}

// The sheet column a drawn line of a row comes from: a pair draws its role first.
TCreditColumn ColumnOfLine(const TCreditRow &row, std::size_t line)
{
    switch (row.Kind) {
    case TCreditRowKind::Pair: return line == 0 && !row.Continued ? colRole : colName;
    case TCreditRowKind::Names: return colName;
    case TCreditRowKind::Image:
    case TCreditRowKind::Logos: return colImage;
    default: return colText;
    }
}

QString LineText(const TCreditLayout::TLine &line)
{
    return line.Layout->text().replace(QChar::LineSeparator, QLatin1Char(' ')).trimmed();
}

// What a spacing check finds in one line: empty when nothing.
QString SpacingFault(const QString &line)
{
    const bool twice = line.trimmed().contains(QLatin1String("  "));
    const bool trailing = !line.trimmed().isEmpty() && line.endsWith(QLatin1Char(' '));
    if (!twice && !trailing)
        return {};
    return twice && trailing ? QStringLiteral("a double space and a trailing space")
        : twice              ? QStringLiteral("a double space")
                             : QStringLiteral("a trailing space");
}

class TChecker
{
public:
    TChecker(const TElementTree &tree, const TPreflightOptions &options)
        : m_tree(tree), m_project(*tree.ProjectNode()), m_options(options), m_map(MapRoll(tree)), m_blocks(PlaceCreditBlocks(m_map))
    {
    }

    std::vector<TProblem> Run()
    {
        const std::vector<std::pair<QString, void (TChecker::*)()>> checks = {
            {TitleSafe, &TChecker::CheckSafeAreas},     {SmallText, &TChecker::CheckTextSize},
            {ReadingTime, &TChecker::CheckReadingTime}, {MissingGlyphs, &TChecker::CheckGlyphs},
            {MissingFont, &TChecker::CheckFonts},       {SimilarNames, &TChecker::CheckSimilarNames},
            {Spacing, &TChecker::CheckSpacing},         {DuplicateCredit, &TChecker::CheckDuplicates},
            {RunningTimeId, &TChecker::CheckRunningTime}, {FilmSize, &TChecker::CheckFilmSize},
            {UnknownStyle, &TChecker::CheckStyles},   {CreditDuration, &TChecker::CheckDelivery},
        };
        for (const auto &[id, check] : checks)
            (this->*check)();
        const std::vector<TProblem> cards =
            TTimeline::HasCards(m_tree) ? CheckCards(m_tree, TTimeline::Build(m_tree), m_options) : std::vector<TProblem>{};
        for (TProblem problem : cards) {
            if (problem.Node != nullptr) {
                problem.Path = NodePath(*problem.Node);
                problem.Element = ShownCaption(*problem.Node);
            }
            m_problems.push_back(std::move(problem));
        }
        std::vector<TProblem> kept;
        for (TProblem &problem : m_problems)
            if (!m_options.Ignore.contains(problem.Id))
                kept.push_back(std::move(problem));
        // Errors before warnings before notes; within each, check order and roll order stay.
        std::stable_sort(kept.begin(), kept.end(), [](const TProblem &a, const TProblem &b) { return a.Severity < b.Severity; });
        return kept;
    }

private:
    void Add(const QString &id, TSeverity severity, const QString &message, const TElementNode *node = nullptr)
    {
        TProblem problem{id, severity, message, node, {}, {}, -1};
        if (node != nullptr) {
            problem.Path = NodePath(*node);
            problem.Element = ShownCaption(*node);
            if (const TPlacedNode *placed = m_map.Find(node))
                problem.Frame = m_map.FrameEntering(placed->ContentTop);
        }
        if (problem.Frame >= 0)
            problem.Timecode = FormatTimecode(problem.Frame, m_map.FrameRate);
        m_problems.push_back(std::move(problem));
    }

    // A problem on one row of a credit block, placed where the row enters the screen.
    void AddRow(const QString &id, TSeverity severity, const QString &message, const TPlacedBlock &block, int row,
                TCreditColumn column)
    {
        Add(id, severity, message, block.Node);
        TProblem &problem = m_problems.back();
        const TCreditRows &rows = block.Block->Rows();
        const QString letter = CreditColumnLetter(rows, column);
        problem.Place = QStringLiteral("%1:%2").arg(rows.SheetName).arg(row) + (letter.isEmpty() ? QString() : QLatin1Char(':') + letter);
        problem.Row = row;
        problem.Frame = m_map.FrameEntering(block.RollY(row));
        problem.Timecode = FormatTimecode(problem.Frame, m_map.FrameRate);
    }

    // A problem with a credit: on its row when it is one of a block's, else on its element.
    void AddCredit(const QString &id, TSeverity severity, const QString &message, const TCredit &credit)
    {
        const TPlacedBlock *block = credit.Row > 0 ? FindPlacedBlock(m_blocks, credit.Node) : nullptr;
        if (block == nullptr) {
            Add(id, severity, message, credit.Node);
            return;
        }
        const bool words = credit.Kind == TCreditKind::Heading || credit.Kind == TCreditKind::Text;
        AddRow(id, severity, message, *block, credit.Row, words ? colText : colName);
    }

    // Visits every drawn line of every block with the row it comes from and its column.
    template <typename Visit>
    void ForEachBlockLine(const Visit &visit) const
    {
        for (const TPlacedBlock &block : m_blocks)
            for (const TCreditLayout::TPiece &piece : block.Layout.Pieces()) {
                const TCreditRow *row = block.Row(piece.Row);
                if (row == nullptr)
                    continue;
                for (std::size_t i = 0; i < piece.Lines.size(); ++i)
                    visit(block, *row, ColumnOfLine(*row, i), piece.Lines[i]);
            }
    }

    bool Wanted(const QString &id) const { return !m_options.Ignore.contains(id); }

    // Text must stay inside title-safe; pictures inside action-safe. A scrolling roll passes every
    // line through the whole height of the frame, so only the sides can be crossed for good.
    void CheckSafeAreas()
    {
        if (!Wanted(TitleSafe) && !Wanted(ActionSafe))
            return;
        const QRect frame(0, 0, m_map.FilmWidth, m_map.FilmHeight);
        const QRect title = SafeArea(frame, m_options.TitleSafePercent);
        const QRect action = SafeArea(frame, m_options.ActionSafePercent);
        for (const TPlacedNode &placed : m_map.Placements) {
            const TNodeFacets &facets = placed.Node->Facets();
            if (facets.Render == nullptr || facets.Project || facets.Container || facets.ColumnSet || IsBlock(*placed.Node))
                continue;
            const bool text = queryInterface<IElementText>(placed.Node->Element()) != nullptr;
            const QRect &safe = text ? title : action;
            const auto ink = InkColumns(placed, m_map.FilmWidth, m_map.FilmHeight);
            if (!ink || (ink->first >= safe.left() && ink->second <= safe.right()))
                continue;
            const int over = std::max(safe.left() - ink->first, ink->second - safe.right());
            const bool pastAction = ink->first < action.left() || ink->second > action.right();
            const QString side = ink->first < safe.left() ? QStringLiteral("left") : QStringLiteral("right");
            Add(text ? TitleSafe : ActionSafe, text ? TSeverity::Error : TSeverity::Warning,
                QStringLiteral("\"%1\" reaches %2 pixels past the %3 edge of %4 (%5 %)%6")
                    .arg(ShownCaption(*placed.Node))
                    .arg(over)
                    .arg(side, text ? TitleSafe : ActionSafe)
                    .arg(text ? m_options.TitleSafePercent : m_options.ActionSafePercent)
                    .arg(text && pastAction ? QStringLiteral(", and past action-safe (%1 %) too").arg(m_options.ActionSafePercent) : QString()),
                placed.Node);
        }
        CheckBlockSafeAreas(title, action);
    }

    void ReportOutside(const TPlacedBlock &block, int row, TCreditColumn column, const QString &what, double left,
                       double right, bool text, const QRect &safe, const QRect &action)
    {
        if (left >= safe.left() && right <= safe.right() + 1)
            return;
        const int over = int(std::ceil(std::max(safe.left() - left, right - (safe.right() + 1))));
        const bool pastAction = left < action.left() || right > action.right() + 1;
        const QString side = left < safe.left() ? QStringLiteral("left") : QStringLiteral("right");
        AddRow(text ? TitleSafe : ActionSafe, text ? TSeverity::Error : TSeverity::Warning,
               QStringLiteral("\"%1\" reaches %2 pixels past the %3 edge of %4 (%5 %)%6")
                   .arg(what)
                   .arg(over)
                   .arg(side, text ? TitleSafe : ActionSafe)
                   .arg(text ? m_options.TitleSafePercent : m_options.ActionSafePercent)
                   .arg(text && pastAction ? QStringLiteral(", and past action-safe (%1 %) too").arg(m_options.ActionSafePercent) : QString()),
               block, row, column);
    }

    // A block's lines are measured where its layout sets them, one problem per cell.
    void CheckBlockSafeAreas(const QRect &title, const QRect &action)
    {
        std::set<std::tuple<const TPlacedBlock *, int, int>> told;
        ForEachBlockLine([&](const TPlacedBlock &block, const TCreditRow &row, TCreditColumn column,
                             const TCreditLayout::TLine &line) {
            double left = std::numeric_limits<double>::max();
            double right = std::numeric_limits<double>::lowest();
            for (int i = 0; i < line.Layout->lineCount(); ++i) {
                const QRectF ink = line.Layout->lineAt(i).naturalTextRect();
                if (ink.width() <= 0)
                    continue;
                left = std::min(left, block.X + line.Origin.x() + ink.left());
                right = std::max(right, block.X + line.Origin.x() + ink.right());
            }
            if (left > right || !told.emplace(&block, row.Number, column).second)
                return;
            ReportOutside(block, row.Number, column, LineText(line), left, right, true, title, action);
        });
        for (const TPlacedBlock &block : m_blocks)
            for (const TCreditLayout::TPiece &piece : block.Layout.Pieces())
                if (piece.HasPicture() && !piece.ImageRect.isEmpty())
                    ReportOutside(block, piece.Row, colImage, QStringLiteral("picture"), block.X + piece.ImageRect.left(),
                                  block.X + piece.ImageRect.right(), false, action, action);
    }

    void CheckTextSize()
    {
        // Measured unsqueezed, against a minimum raised by the squeeze: the same comparison,
        // with the heights the user set in the message.
        const double squeeze = std::clamp(m_options.Squeeze, 0.01, 1.0);
        const double minimum = m_options.MinimumCapLinesAt1080 * m_map.FilmHeight / 1080.0 / squeeze;
        const auto below = [&](const TLetterHeight &height, int size) {
            if (squeeze < 1.0)
                return QStringLiteral("%1 %2 pixels high at %3 px, %4 after a %5 % squeeze; at least %6 are readable on a %7-line film")
                    .arg(height.What, QString::number(height.Pixels, 'f', 1))
                    .arg(size)
                    .arg(QString::number(height.Pixels * squeeze, 'f', 1), QString::number(squeeze * 100.0, 'g', 3),
                         QString::number(minimum * squeeze, 'f', 1))
                    .arg(m_map.FilmHeight);
            return QStringLiteral("%1 %2 pixels high at %3 px; at least %4 are readable on a %5-line film")
                .arg(height.What, QString::number(height.Pixels, 'f', 1))
                .arg(size)
                .arg(QString::number(minimum, 'f', 1))
                .arg(m_map.FilmHeight);
        };
        ForEachText(m_project, [&](const TElementNode &node, const IGDIPFont &font, const QString &text) {
            if (VisibleLines(text).isEmpty())
                return;
            QByteArray name;
            font.GetFontName(name);
            const TLetterHeight height = MeasureLetterHeight(TextBlockFont(name, font.GetFontSize()), text);
            if (height.Pixels >= minimum)
                return;
            Add(SmallText, TSeverity::Error, QStringLiteral("\"%1\" has %2").arg(ShownCaption(node), below(height, font.GetFontSize())),
                &node);
        });
        // A style too small for its film is one problem, at its first row, however many rows
        // it draws; each row is listed in the problem's Rows.
        struct TSmall
        {
            const TPlacedBlock *Block;
            int Row;
            TCreditColumn Column;
            QString Style;
            int Size;
            TLetterHeight Height;
            std::set<int> Rows;
        };
        std::vector<TSmall> smalls;
        std::map<std::tuple<const TPlacedBlock *, QString, QString>, std::size_t> byFont;
        ForEachBlockLine([&](const TPlacedBlock &block, const TCreditRow &row, TCreditColumn column,
                             const TCreditLayout::TLine &line) {
            const QFont &font = line.Layout->font();
            const TLetterHeight height = MeasureLetterHeight(font, LineText(line));
            const auto key = std::tuple(&block, font.key() + line.StyleName, height.What);
            auto found = byFont.find(key);
            if (found == byFont.end()) {
                found = byFont.emplace(key, height.Pixels < minimum ? smalls.size() : std::size_t(-1)).first;
                if (height.Pixels < minimum)
                    smalls.push_back({&block, row.Number, column, line.StyleName.isEmpty() ? LineText(line) : line.StyleName,
                                      font.pixelSize(), height, {}});
            }
            // A line with no letters of its own script is measured by the text itself: the
            // lowest stands for the style.
            if (found->second == std::size_t(-1) && height.Pixels < minimum) {
                found->second = smalls.size();
                smalls.push_back({&block, row.Number, column, line.StyleName.isEmpty() ? LineText(line) : line.StyleName,
                                  font.pixelSize(), height, {}});
            }
            if (found->second != std::size_t(-1)) {
                TSmall &small = smalls[found->second];
                small.Height.Pixels = std::min(small.Height.Pixels, height.Pixels);
                if (height.Pixels < minimum)
                    small.Rows.insert(row.Number);
            }
        });
        for (const TSmall &small : smalls) {
            AddRow(SmallText, TSeverity::Error,
                   QStringLiteral("%1: %2 %3, %4").arg(small.Style).arg(small.Rows.size())
                       .arg(small.Rows.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows"), below(small.Height, small.Size)),
                   *small.Block, small.Row, small.Column);
            m_problems.back().Rows.assign(small.Rows.begin(), small.Rows.end());
        }
    }

    void CheckReadingTime()
    {
        const double seconds = double(m_map.FilmHeight) / (double(m_map.ScrollRate) * m_map.FrameRate);
        if (seconds >= m_options.MinimumSecondsOnScreen || m_map.RollHeight <= 0)
            return;
        const int comfortable = std::max(1, int(m_map.FilmHeight / (m_options.MinimumSecondsOnScreen * m_map.FrameRate)));
        Add(ReadingTime, TSeverity::Error,
            QStringLiteral("each line is on screen for %1 s at %2 pixels per frame and %3 frames per second; "
                           "reading needs %4 s (%5 pixels per frame or less)")
                .arg(QString::number(seconds, 'f', 2))
                .arg(m_map.ScrollRate)
                .arg(m_map.FrameRate)
                .arg(m_options.MinimumSecondsOnScreen)
                .arg(comfortable));
    }

    void CheckGlyphs()
    {
        for (const TMissingGlyphs &missing : FindMissingGlyphs(m_project))
            Add(MissingGlyphs, TSeverity::Error, MissingGlyphsWarning(missing), missing.Node);
        // Each character is tried once per font: a long roll repeats a few fonts and letters.
        std::map<std::pair<QString, char32_t>, bool> known;
        std::set<std::tuple<const TPlacedBlock *, int, int>> told;
        ForEachBlockLine([&](const TPlacedBlock &block, const TCreditRow &row, TCreditColumn column,
                             const TCreditLayout::TLine &line) {
            const QFont &font = line.Layout->font();
            const QString text = LineText(line);
            QList<char32_t> missing;
            for (const char32_t character : text.toUcs4()) {
                auto [found, added] = known.try_emplace({font.key(), character}, false);
                if (added)
                    found->second = !MissingCharacters(QString::fromUcs4(&character, 1), font).isEmpty();
                if (found->second && !missing.contains(character))
                    missing.append(character);
            }
            if (missing.isEmpty() || !told.emplace(&block, row.Number, column).second)
                return;
            AddRow(MissingGlyphs, TSeverity::Error,
                   MissingGlyphsWarning(TMissingGlyphs{block.Node, text, font.family(), missing}), block, row.Number, column);
        });
    }

    void CheckFonts()
    {
        std::map<QString, std::pair<const TElementNode *, int>> uses;
        QStringList order;
        ForEachText(m_project, [&](const TElementNode &node, const IGDIPFont &font, const QString &) {
            QByteArray name;
            font.GetFontName(name);
            const QString family = FromSystemCodePage(name);
            auto [found, added] = uses.try_emplace(family, &node, 0);
            ++found->second.second;
            if (added)
                order.append(family);
        });
        for (const QString &family : order)
            if (const QString drawn = Substitute(family); !drawn.isEmpty()) {
                const auto &[first, count] = uses[family];
                Add(MissingFont, TSeverity::Warning,
                    QStringLiteral("the font \"%1\" is not installed; %2 drawn in \"%3\" instead")
                        .arg(family, count == 1 ? QStringLiteral("1 text is") : QStringLiteral("%1 texts are").arg(count), drawn),
                    first);
            }
        // A block's fonts come from its styles: each one is named once, at the first row using it.
        std::map<QString, int> cellsUsing;
        std::vector<std::tuple<QString, const TPlacedBlock *, int, TCreditColumn>> firsts;
        for (const TPlacedBlock &block : m_blocks)
            for (const TCreditRow &row : block.Block->Rows().Rows)
                for (const TCreditColumn column : {colRole, colName, colText}) {
                    if (row[column].trimmed().isEmpty() || (column == colRole && row.Continued))
                        continue;
                    const QString family = block.StyleOf(row, column).FontName;
                    if (cellsUsing[family]++ == 0)
                        firsts.emplace_back(family, &block, row.Number, column);
                }
        for (const auto &[family, block, row, column] : firsts)
            if (const QString drawn = Substitute(family); !drawn.isEmpty())
                AddRow(MissingFont, TSeverity::Warning,
                       QStringLiteral("the font \"%1\" is not installed; %2 drawn in \"%3\" instead")
                           .arg(family,
                                cellsUsing[family] == 1 ? QStringLiteral("1 cell is") : QStringLiteral("%1 cells are").arg(cellsUsing[family]),
                                drawn),
                       *block, row, column);
    }

    // The family a font name is drawn in when it is not its own; empty when it is. An alias
    // the font system resolves (Arial to Liberation Sans) draws in another family too.
    static QString Substitute(const QString &fontName)
    {
        const TFontFace face = ResolveFontFace(fontName);
        const QString drawn = DrawnFamily(fontName);
        if (face.Known && drawn.compare(face.Family, Qt::CaseInsensitive) == 0)
            return {};
        return drawn.isEmpty() ? QStringLiteral("a substitute") : drawn;
    }

    struct TNamed
    {
        QString Name;
        const TCredit *Credit;
    };

    std::vector<TNamed> Names()
    {
        std::vector<TNamed> names;
        for (const TCredit &credit : Credits())
            for (const QString &name : credit.Names)
                names.push_back({name, &credit});
        return names;
    }

    void CheckSimilarNames()
    {
        // Spellings grouped by the form they share, each spelling with its first place.
        std::map<QString, std::vector<TNamed>> spellings;
        QStringList order;
        for (const TNamed &named : Names()) {
            const QString key = NameKey(named.Name);
            if (key.isEmpty())
                continue;
            auto &list = spellings[key];
            if (list.empty())
                order.append(key);
            if (std::none_of(list.begin(), list.end(), [&](const TNamed &seen) { return seen.Name == named.Name; }))
                list.push_back(named);
        }
        for (const QString &key : order) {
            const auto &list = spellings[key];
            for (std::size_t i = 1; i < list.size(); ++i)
                AddCredit(SimilarNames, TSeverity::Warning,
                    QStringLiteral("\"%1\" differs from \"%2\" only in accents, case, spacing or punctuation")
                        .arg(list[i].Name, list[0].Name),
                    *list[i].Credit);
        }
    }

    void CheckSpacing()
    {
        static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
        ForEachText(m_project, [&](const TElementNode &node, const IGDIPFont &, const QString &text) {
            for (const QString &raw : text.split(breaks)) {
                const QString line = VisibleLine(raw);
                if (const QString fault = SpacingFault(line); !fault.isEmpty())
                    Add(Spacing, TSeverity::Warning, QStringLiteral("\"%1\" has %2").arg(line.trimmed(), fault), &node);
            }
        });
        // A cell's own ends are trimmed when laid out; the spaces between its lines and words show.
        for (const TPlacedBlock &block : m_blocks)
            for (const TCreditRow &row : block.Block->Rows().Rows)
                for (const TCreditColumn column : {colRole, colName, colText}) {
                    if (column == colRole && row.Continued)
                        continue;
                    for (const QString &raw : row[column].trimmed().split(breaks)) {
                        const QString line = VisibleLine(raw);
                        if (const QString fault = SpacingFault(line); !fault.isEmpty()) {
                            AddRow(Spacing, TSeverity::Warning, QStringLiteral("\"%1\" has %2").arg(line.trimmed(), fault),
                                   block, row.Number, column);
                            break;
                        }
                    }
                }
    }

    // A row naming a style the styles lack is drawn in its kind's built-in style.
    void CheckStyles()
    {
        for (const TPlacedBlock &block : m_blocks)
            for (const TCreditLayout::TWarning &warning : block.Layout.Warnings())
                AddRow(UnknownStyle, TSeverity::Warning, warning.Message, block, warning.Row, colStyle);
    }

    void CheckDuplicates()
    {
        // A role with the same name twice in one section, or one name listed twice there.
        std::map<std::tuple<int, QString, QString>, const TCredit *> seen;
        for (const TNamed &named : Names()) {
            const TCredit &credit = *named.Credit;
            const auto key = std::tuple(credit.Section, credit.Role, named.Name);
            const auto [found, added] = seen.emplace(key, &credit);
            if (added)
                continue;
            const QString where = credit.SectionTitle.isEmpty() ? QStringLiteral("before the first heading")
                                                                : QStringLiteral("under \"%1\"").arg(credit.SectionTitle);
            AddCredit(DuplicateCredit, TSeverity::Error,
                      credit.Role.isEmpty() ? QStringLiteral("\"%1\" is listed twice %2").arg(named.Name, where)
                                            : QStringLiteral("\"%1\" is credited as %2 twice %3").arg(named.Name, credit.Role, where),
                      credit);
        }
    }

    void CheckRunningTime()
    {
        if (!m_options.TargetFrames)
            return;
        // Cards and crawls run one after another; a roll that only scrolls counts its positions.
        const qint64 frames = TTimeline::HasCards(m_tree) ? TTimeline::Build(m_tree).FrameCount() : m_map.FrameCount();
        const qint64 target = *m_options.TargetFrames;
        if (frames == target)
            return;
        Add(RunningTimeId, TSeverity::Error,
            QStringLiteral("the roll runs %1 (%2 frames), %3 frames %4 than the target %5")
                .arg(FormatTimecode(frames, m_map.FrameRate))
                .arg(frames)
                .arg(std::abs(frames - target))
                .arg(frames > target ? QStringLiteral("longer") : QStringLiteral("shorter"))
                .arg(FormatTimecode(target, m_map.FrameRate)));
    }

    void CheckFilmSize()
    {
        for (const TDeliverySize &size : DeliverySizes)
            if (size.Width == m_map.FilmWidth && size.Height == m_map.FilmHeight)
                return;
        // 720p and standard definition are ordinary sizes to make, not delivery masters to flag.
        for (const TDeliverySize &size : OrdinarySizes)
            if (size.Width == m_map.FilmWidth && size.Height == m_map.FilmHeight)
                return;
        QStringList known;
        for (const TDeliverySize &size : DeliverySizes)
            known.append(QStringLiteral("%1 %2 x %3").arg(QLatin1String(size.Name)).arg(size.Width).arg(size.Height));
        Add(FilmSize, TSeverity::Note,
            QStringLiteral("the film is %1 x %2, which is none of the common delivery sizes (%3)")
                .arg(m_map.FilmWidth)
                .arg(m_map.FilmHeight)
                .arg(known.join(QStringLiteral(", "))));
    }

    // What a delivery profile asks of the roll as a whole: how long it runs for the programme,
    // and the black it opens and ends with (before the first ink enters, after the last leaves).
    void CheckDelivery()
    {
        const qint64 frames = m_map.FrameCount();
        if (m_options.MaxCreditSeconds && frames > qint64(*m_options.MaxCreditSeconds) * m_map.FrameRate)
            Add(CreditDuration, TSeverity::Error,
                QStringLiteral("the credits run %1; the profile allows %2 for this programme")
                    .arg(FormatTimecode(frames, m_map.FrameRate), FormatTimecode(qint64(*m_options.MaxCreditSeconds) * m_map.FrameRate, m_map.FrameRate)));
        if (m_options.HeadBlackSeconds <= 0 && m_options.TailBlackSeconds <= 0)
            return;
        qint32 firstInk = m_map.RollHeight;
        qint32 lastInk = 0;
        for (const TPlacedNode &placed : m_map.Placements) {
            const TNodeFacets &facets = placed.Node->Facets();
            if (facets.Render == nullptr || facets.Project || facets.Container || facets.ColumnSet || placed.Bottom <= placed.ContentTop)
                continue;
            qint32 top = placed.ContentTop;
            qint32 bottom = placed.Bottom;
            if (const TPlacedBlock *block = FindPlacedBlock(m_blocks, placed.Node)) {
                const auto &pieces = block->Layout.Pieces();
                const auto drawn = [](const TCreditLayout::TPiece &piece) { return !piece.Lines.empty() || piece.HasPicture(); };
                const auto first = std::find_if(pieces.begin(), pieces.end(), drawn);
                const auto last = std::find_if(pieces.rbegin(), pieces.rend(), drawn);
                if (first == pieces.end())
                    continue;
                top = block->Top + first->Top;
                bottom = block->Top + last->Bottom;
            }
            firstInk = std::min(firstInk, top);
            lastInk = std::max(lastInk, bottom);
        }
        const qint64 head = m_map.FrameEntering(firstInk);
        const qint64 tail = frames - (qint64(m_map.FilmHeight) + lastInk + m_map.ScrollRate - 1) / m_map.ScrollRate;
        const auto checkBlack = [&](const QString &id, qint64 black, double seconds, const char *where) {
            const qint64 wanted = qint64(std::ceil(seconds * m_map.FrameRate));
            if (seconds > 0 && black < wanted)
                Add(id, TSeverity::Error,
                    QStringLiteral("the roll %1 %2 frames of black; the profile asks for %3 (%4 s)")
                        .arg(QLatin1String(where)).arg(std::max<qint64>(0, black)).arg(wanted).arg(seconds));
        };
        checkBlack(HeadBlack, head, m_options.HeadBlackSeconds, "opens with");
        checkBlack(TailBlack, tail, m_options.TailBlackSeconds, "ends with");
    }

    const std::vector<TCredit> &Credits()
    {
        if (!m_credits)
            m_credits = ExtractCredits(m_project);
        return *m_credits;
    }

    const TElementTree &m_tree;
    const TElementNode &m_project;
    const TPreflightOptions &m_options;
    TRollMap m_map;
    std::vector<TPlacedBlock> m_blocks;
    std::optional<std::vector<TCredit>> m_credits;
    std::vector<TProblem> m_problems;
};

} // namespace

const QStringList &PreflightCheckIds()
{
    static const QStringList ids = {TitleSafe,    ActionSafe, SmallText,       ReadingTime,   MissingGlyphs, MissingFont,
                                    SimilarNames, Spacing,    DuplicateCredit, RunningTimeId, FilmSize,  UnknownStyle,
                                    CreditDuration, HeadBlack, TailBlack, CardChecks[0], CardChecks[1], CardChecks[2]};
    return ids;
}

std::vector<TProblem> RunPreflight(const TElementTree &tree, const TPreflightOptions &options)
{
    if (tree.ProjectNode() == nullptr)
        return {};
    return TChecker(tree, options).Run();
}

const char *SeverityName(TSeverity severity)
{
    switch (severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Note: return "note";
    }
    return "error";
}

} // namespace velmora
