#pragma once

#include "core/credits/CreditLayout.h"
#include "core/credits/CreditSegments.h"
#include "core/elements/ElementBase.h"
#include "core/elements/ProjectStyle.h"

#include <QString>
#include <algorithm>

namespace velmora {

// Where a credit block's content comes from, and that content as last read without errors.
struct TCreditSource
{
    QString SheetPath;   // relative to the project file when it can be
    QString Worksheet;   // empty: the first
    QString StylesJson;  // an embedded copy of the styles, empty for the built-in ones
    QString StylesPath;  // the styles file the copy came from, if any
    TSheet Sheet;        // the last good rows, header first
    QString BaseDir;     // what a relative SheetPath is relative to (the project's folder); not stored
};

// A credit sheet as one element: its rows are laid out when the roll is drawn, at the film's
// size, and are not elements of their own.
class TVmElementCreditBlock final : public TVmElement, public IElementRender, public IElementFilmScaled,
                                     public IElementProjectFolder
{
public:
    static const TElementKind Kind;

    TVmElementCreditBlock() = default;
    // Throws EVelmoraError when the rows or the styles do not read.
    explicit TVmElementCreditBlock(TCreditSource source);

    // IElement: captioned with the sheet's file name (for a copy, the one it was read from).
    const TElementKind &GetClass() const override { return Kind; }
    void GetCaption(int column, QString &caption) const override;
    int GetImageIndex(int column, TTreeImageKind kind) const override;
    bool CanEditCaption(int) const override { return false; }
    bool SetCaption(int, const QString &) override { return false; }
    void SaveToStream(QIODevice &stream) const override;
    void LoadFromStream(QIODevice &stream) override;

    // IElementRender: drawn by a layout walk through RenderForFilm; without a film, at 1920 x 1080.
    void Render(QPainter &graphics, TLayoutRect &rect, quint8 flags) override;
    // IElementFilmScaled: lays the rows out for the band's width and the film (kept while
    // those stay the same) and draws the ones on screen.
    void RenderForFilm(QPainter &graphics, TLayoutRect &rect, quint8 flags, const TFilm &film) const override;

    // The rows laid out for a band of width (the film's width when below 1) on film, the
    // project's styles standing in for the sheet's of the same name. Kept until asked for
    // another width or film, so a roll drawn frame after frame lays out once.
    // IElementProjectFolder: a relative sheet path is found from the project's folder.
    void ProjectFolderChanged(const QString &projectDir, bool rebase) override;

    const TCreditLayout &LayoutFor(const TFilm &film, qint32 width = -1) const;

    // The sheet's cards and crawls in order; empty when it has no card rows (a crawl only).
    const std::vector<TCreditSegment> &Segments() const { return m_segments; }
    // The rows of segment index laid out as LayoutFor lays out the whole block, by the same
    // code, so a card's lines look as they would in the crawl. Kept like LayoutFor's.
    const TCreditLayout &SegmentLayoutFor(const TFilm &film, std::size_t index, qint32 width = -1) const;

    // The folder a relative sheet path (and the pictures beside the sheet) are found from.
    void SetBaseDir(const QString &dir)
    {
        m_source.BaseDir = dir;
        m_laidWidth = -1;
        m_segmentsWidth = -1;
    }
    // The sheet's path as the project keeps it (its content stays).
    void SetSheetPath(const QString &path) { m_source.SheetPath = path; }
    // Whether the block follows a sheet file; a copied sheet keeps its rows and has no path.
    bool Linked() const { return !m_source.SheetPath.isEmpty(); }
    // The sheet's path as the file system knows it.
    QString SheetFilePath() const;
    // The folder the Image cells are found from: the sheet's (a copy's cells are absolute).
    QString PictureDir() const;
    // The styles file's path as the file system knows it; empty for none.
    QString StylesFilePath() const;

    // Pixels a fit to a running time spread over the elastic spaces of each part of the block
    // (see TCreditLayout::TPart); below zero where they were narrowed.
    const std::vector<qint32> &Stretches() const { return m_stretches; }
    void SetStretches(std::vector<qint32> pixels)
    {
        while (!pixels.empty() && pixels.back() == 0)
            pixels.pop_back();
        m_stretches = std::move(pixels);
        m_laidWidth = -1;
    }

    // Holds a fit to a running time chose for the sheet's cards, in frames, in card order; 0 (or
    // none) keeps what the sheet says.
    const std::vector<qint32> &CardHolds() const { return m_cardHolds; }
    void SetCardHolds(std::vector<qint32> holds)
    {
        while (!holds.empty() && holds.back() <= 0)
            holds.pop_back();
        m_cardHolds = std::move(holds);
    }

    const TCreditSource &Source() const { return m_source; }
    const TCreditRows &Rows() const { return m_rows; }
    // The block's own styles (the built-in ones with its styles file over them), before the
    // project's styles are laid over them.
    const TCreditStyles &Styles() const { return m_styles; }
    // What reading the rows had to make up for (unknown styles), each "SHEET:ROW: what".
    const QStringList &Warnings() const { return m_warnings; }
    // Why a stored block could not be read back (its rows are then empty).
    const QString &Problem() const { return m_problem; }

private:
    void Parse();

    TCreditSource m_source;
    TCreditRows m_rows;
    TCreditStyles m_styles{1080};
    QString m_problem;
    QStringList m_warnings;
    std::vector<qint32> m_stretches;
    std::vector<TCreditSegment> m_segments;
    std::vector<qint32> m_cardHolds;
    mutable std::vector<TCreditLayout> m_segmentLayouts;
    mutable qint32 m_segmentsWidth = -1;
    mutable qint32 m_segmentsFilmHeight = -1;
    mutable TProjectStyles m_segmentsProjectStyles;
    // The last layout and what it was made for; a cache, so drawing stays a const reading.
    mutable TCreditLayout m_layout;
    mutable qint32 m_laidWidth = -1;
    mutable qint32 m_laidFilmHeight = -1;
    mutable TProjectStyles m_laidProjectStyles;
};

} // namespace velmora
