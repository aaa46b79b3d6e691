#include "core/credits/ElementCreditBlock.h"

#include "core/credits/CreditSource.h"
#include "core/elements/Drawing.h"
#include "core/elements/ElementKind.h"
#include "core/error.h"
#include "core/credits/CreditStyleBridge.h"
#include "core/sheets/SheetLimits.h"
#include "core/typedfiler/TypedFiler.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPainter>

namespace velmora {

namespace {

// Version 2 adds the stretch of each timed section, version 3 the holds a fit chose for the
// sheet's cards; a block is written at the lowest version that holds what it has, so that
// projects keep their bytes.
constexpr quint32 CreditBlockRecordVersion = 3;
constexpr qint32 MaxCardHolds = 100000;

} // namespace

constinit const TElementKind TVmElementCreditBlock::Kind{
    "TVmElementCreditBlock", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementCreditBlock>(); }};

TVmElementCreditBlock::TVmElementCreditBlock(TCreditSource source) : m_source(std::move(source))
{
    Parse();
    if (!m_problem.isEmpty())
        throw EVelmoraError(m_problem);
}

void TVmElementCreditBlock::Parse()
{
    m_problem.clear();
    m_warnings.clear();
    m_rows = TCreditRows{};
    m_segments.clear();
    m_styles = TCreditStyles(1080);
    m_laidWidth = -1;
    m_segmentsWidth = -1;
    try {
        if (!m_source.StylesJson.isEmpty()) {
            QJsonParseError error;
            const QJsonDocument json = QJsonDocument::fromJson(m_source.StylesJson.toUtf8(), &error);
            if (!json.isObject())
                throw EVelmoraError(QStringLiteral("%1: %2").arg(m_source.StylesPath,
                    json.isNull() ? error.errorString() : QStringLiteral("the styles must be a JSON object")));
            m_styles.Load(json.object(), m_source.StylesPath.isEmpty() ? QStringLiteral("styles") : m_source.StylesPath);
        }
        m_rows = ReadCreditRows(m_source.Sheet);
        m_segments = SplitCreditSegments(m_rows);
        // A layout now finds bad styles and numbers before the block is ever drawn.
        const TCreditLayout checked = TCreditLayout::Build(m_rows, m_styles, 1920, 1080, QString());
        // One line for each unknown style, not one for every row that names it.
        std::vector<std::pair<const TCreditLayout::TWarning *, int>> told;
        for (const TCreditLayout::TWarning &warning : checked.Warnings()) {
            const auto same = std::find_if(told.begin(), told.end(), [&](const auto &t) { return t.first->Message == warning.Message; });
            if (same != told.end())
                ++same->second;
            else
                told.emplace_back(&warning, 0);
        }
        for (const auto &[warning, more] : told)
            m_warnings.append(warning->Located(m_rows.SheetName)
                              + (more > 0 ? QStringLiteral(" (and %1 more rows)").arg(more) : QString()));
    } catch (const EVelmoraError &error) {
        m_problem = error.message();
        m_rows = TCreditRows{};
        m_segments.clear();
    }
}

void TVmElementCreditBlock::GetCaption(int column, QString &caption) const
{
    if (column != -1)
        return;
    caption = QFileInfo(Linked() ? m_source.SheetPath : m_source.Sheet.Name).fileName();
    if (caption.isEmpty())
        caption = QStringLiteral("Credits");
    if (!m_source.Worksheet.isEmpty())
        caption += QStringLiteral(" (%1)").arg(m_source.Worksheet);
}

int TVmElementCreditBlock::GetImageIndex(int column, TTreeImageKind) const
{
    // The text icon: a block is text to the person reading the tree.
    return column == -1 ? 1 : -1;
}

QString TVmElementCreditBlock::SheetFilePath() const
{
    if (QDir::isAbsolutePath(m_source.SheetPath) || m_source.BaseDir.isEmpty())
        return m_source.SheetPath;
    return QDir(m_source.BaseDir).filePath(m_source.SheetPath);
}

QString TVmElementCreditBlock::PictureDir() const
{
    return QFileInfo(SheetFilePath()).absolutePath();
}

QString TVmElementCreditBlock::StylesFilePath() const
{
    if (m_source.StylesPath.isEmpty() || QDir::isAbsolutePath(m_source.StylesPath) || m_source.BaseDir.isEmpty())
        return m_source.StylesPath;
    return QDir(m_source.BaseDir).filePath(m_source.StylesPath);
}

void TVmElementCreditBlock::Render(QPainter &graphics, TLayoutRect &rect, quint8 flags)
{
    RenderForFilm(graphics, rect, flags, TFilm{});
}

const TCreditLayout &TVmElementCreditBlock::LayoutFor(const TFilm &film, qint32 width) const
{
    if (width < 1)
        width = std::max(1, film.Width);
    const qint32 filmHeight = std::max(1, film.Height);
    static const TProjectStyles none;
    const TProjectStyles &projectStyles = film.Styles != nullptr ? *film.Styles : none;
    if (m_laidWidth != width || m_laidFilmHeight != filmHeight || m_laidProjectStyles != projectStyles) {
        const QString imageDir = PictureDir();
        try {
            TCreditStyles styles = m_styles;
            OverlayProjectStyles(styles, projectStyles, filmHeight / 1080.0);
            m_layout = TCreditLayout::Build(m_rows, styles, width, filmHeight, imageDir, m_stretches);
        } catch (const EVelmoraError &) {
            // Rows that laid out at one size lay out at every size; this is for safety only.
            m_layout = TCreditLayout();
        }
        m_laidWidth = width;
        m_laidFilmHeight = filmHeight;
        m_laidProjectStyles = projectStyles;
    }
    return m_layout;
}

const TCreditLayout &TVmElementCreditBlock::SegmentLayoutFor(const TFilm &film, std::size_t index, qint32 width) const
{
    static const TCreditLayout none;
    if (index >= m_segments.size())
        return none;
    if (width < 1)
        width = std::max(1, film.Width);
    const qint32 filmHeight = std::max(1, film.Height);
    static const TProjectStyles noStyles;
    const TProjectStyles &projectStyles = film.Styles != nullptr ? *film.Styles : noStyles;
    if (m_segmentsWidth != width || m_segmentsFilmHeight != filmHeight || m_segmentsProjectStyles != projectStyles) {
        TCreditStyles styles = m_styles;
        OverlayProjectStyles(styles, projectStyles, filmHeight / 1080.0);
        m_segmentLayouts.clear();
        for (const TCreditSegment &segment : m_segments) {
            try {
                m_segmentLayouts.push_back(TCreditLayout::Build(segment.Rows, styles, width, filmHeight, PictureDir()));
            } catch (const EVelmoraError &) {
                // The whole block laid out when it was read, and so does every part of it.
                m_segmentLayouts.emplace_back();
            }
        }
        m_segmentsWidth = width;
        m_segmentsFilmHeight = filmHeight;
        m_segmentsProjectStyles = projectStyles;
    }
    return m_segmentLayouts[index];
}

void TVmElementCreditBlock::RenderForFilm(QPainter &graphics, TLayoutRect &rect, quint8 flags, const TFilm &film) const
{
    const TCreditLayout &layout = LayoutFor(film, rect.Width);
    rect.Height = layout.Height();
    if (!(flags & DrawFlags::MeasureOnly)) {
        QRectF visible;
        if ((flags & DrawFlags::SkipInvisible) && graphics.device() != nullptr)
            visible = graphics.worldTransform().inverted().mapRect(
                QRectF(0, 0, graphics.device()->width(), graphics.device()->height()));
        layout.Draw(graphics, rect.X, rect.Y, visible);
        DrawPlaceholder(graphics, rect, flags);
    }
    rect.Y = SaturatingAdd(rect.Y, rect.Height);
}

void TVmElementCreditBlock::SaveToStream(QIODevice &stream) const
{
    TTypedFiler filer(&stream);
    const bool sections = m_stretches.size() > 1;
    const bool holds = !m_cardHolds.empty();
    filer.WriteVersion(holds ? 3 : sections ? 2 : 1);
    filer.WriteWideString(m_source.SheetPath);
    filer.WriteWideString(m_source.Worksheet);
    filer.WriteWideString(m_source.StylesJson);
    filer.WriteWideString(m_source.StylesPath);
    filer.WriteInteger(m_stretches.empty() ? 0 : m_stretches.front());
    filer.WriteWideString(m_source.Sheet.Name);
    filer.WriteInteger(qint32(m_source.Sheet.Rows.size()));
    for (const TSheetRow &row : m_source.Sheet.Rows) {
        filer.WriteInteger(row.Number);
        filer.WriteInteger(qint32(row.Cells.size()));
        for (const QString &cell : row.Cells)
            filer.WriteWideString(cell);
    }
    if (sections || holds) {
        filer.WriteInteger(qint32(std::max<std::size_t>(m_stretches.size(), 1) - 1));
        for (std::size_t i = 1; i < m_stretches.size(); ++i)
            filer.WriteInteger(m_stretches[i]);
    }
    if (holds) {
        filer.WriteInteger(qint32(m_cardHolds.size()));
        for (const qint32 hold : m_cardHolds)
            filer.WriteInteger(hold);
    }
}

void TVmElementCreditBlock::LoadFromStream(QIODevice &stream)
{
    TTypedFiler filer(&stream);
    const quint32 version = filer.ReadVersion();
    // A newer record keeps the defaults: an empty block, said so.
    if (version < 1 || version > CreditBlockRecordVersion) {
        m_problem = QStringLiteral("a credit block written by a newer Velmora");
        return;
    }
    TCreditSource source;
    source.SheetPath = filer.ReadWideString();
    source.Worksheet = filer.ReadWideString();
    source.StylesJson = filer.ReadWideString();
    source.StylesPath = filer.ReadWideString();
    const qint32 stretch = filer.ReadInteger();
    source.Sheet.Name = filer.ReadWideString();
    // Counts are not trusted for allocation: each row and cell is read as it comes, and a
    // record that ends early fails in the filer.
    // The limits a sheet is read within hold for the rows a project stored, so that a crafted
    // project is refused as the sheet would have been rather than laid out for minutes.
    const qint32 rows = filer.ReadInteger();
    if (rows < 0)
        throw EVelmoraError(QStringLiteral("a credit block's row count is negative"));
    if (rows > SheetLimits::MaxRows + 1)  // the header, and the rows with content
        throw EVelmoraError(QStringLiteral("a credit block holds %1 rows, more than the %2 a sheet may have")
                                .arg(rows).arg(SheetLimits::MaxRows));
    qint64 text = 0;
    for (qint32 r = 0; r < rows; ++r) {
        TSheetRow row;
        row.Number = filer.ReadInteger();
        const qint32 cells = filer.ReadInteger();
        if (cells < 0)
            throw EVelmoraError(QStringLiteral("a credit block's cell count is negative"));
        if (cells > SheetLimits::MaxColumns)
            throw EVelmoraError(QStringLiteral("a credit block's row %1 has %2 cells, more than the %3 columns a sheet may have")
                                    .arg(row.Number).arg(cells).arg(SheetLimits::MaxColumns));
        for (qint32 c = 0; c < cells; ++c) {
            row.Cells.append(filer.ReadWideString());
            if (row.Cells.back().size() > SheetLimits::MaxCellCharacters)
                throw EVelmoraError(QStringLiteral("a credit block's row %1 has a cell of more than %2 characters")
                                        .arg(row.Number).arg(SheetLimits::MaxCellCharacters));
            text += row.Cells.back().size();
        }
        if (text > SheetLimits::MaxStoredTextCharacters)
            throw EVelmoraError(QStringLiteral("a credit block's cells hold more than %1 million characters in all")
                                    .arg(SheetLimits::MaxStoredTextCharacters >> 20));
        source.Sheet.Rows.push_back(std::move(row));
    }
    std::vector<qint32> stretches{stretch};
    if (version >= 2) {
        const qint32 sections = filer.ReadInteger();
        if (sections < 0)
            throw EVelmoraError(QStringLiteral("a credit block's section count is negative"));
        for (qint32 i = 0; i < sections; ++i)
            stretches.push_back(filer.ReadInteger());
    }
    std::vector<qint32> holds;
    if (version >= 3) {
        const qint32 count = filer.ReadInteger();
        if (count < 0 || count > MaxCardHolds)
            throw EVelmoraError(QStringLiteral("a credit block's card count %1 is not from 0 to %2").arg(count).arg(MaxCardHolds));
        for (qint32 i = 0; i < count; ++i)
            holds.push_back(std::max<qint32>(0, filer.ReadInteger()));
    }
    m_source = std::move(source);
    SetStretches(std::move(stretches));
    SetCardHolds(std::move(holds));
    Parse();
}

void TVmElementCreditBlock::ProjectFolderChanged(const QString &projectDir, bool rebase)
{
    AnchorCreditBlock(*this, projectDir, rebase);
}

} // namespace velmora
