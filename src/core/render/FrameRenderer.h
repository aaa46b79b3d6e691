#pragma once

#include "core/elements/ElementTypes.h"
#include "core/render/RollIndex.h"

#include <QImage>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace velmora {

class TElementTree;
class TTimeline;
struct TFilm;
struct TTimelineItem;

// Composes frames of the roll in a reusable film-size bitmap; shared by the preview, the
// command line and the video export.
class TFrameRenderer
{
public:
    // Renders the roll at position (pixels the roll has moved up) and returns the frame, film
    // size times the scale.
    // A film size below 1 x 1 renders as 1 x 1; a tree without a project gives a transparent frame.
    const QImage &RenderFrame(const TElementTree &tree, int position, bool showPlaceholders);

    // Renders frame number frame of timeline, which was built from tree: a card held, faded or
    // dissolving, a crawl, a card pushed away by the crawl after it. A timeline without cards
    // renders position frame x scroll rate through RenderFrame, so such a roll is unchanged.
    // Fades scale the frame's code values (the delivery's gamma), towards black, or towards
    // transparency for a frame without background.
    const QImage &RenderTimelineFrame(const TElementTree &tree, const TTimeline &timeline, qint64 frame,
                                      bool showPlaceholders);

    // Lays the roll out without drawing or allocating a frame: afterwards RollHeight() and
    // PositionRange() are those a render would give.
    void MeasureRoll(const TElementTree &tree);

    const QImage &Frame() const { return m_frame; }
    // The next render draws into frame when it has the size and format that render needs, so
    // a caller can hand out frames of its own (a reused buffer) without a copy. The renderer
    // lets go of frame at the render after that; while the caller keeps a copy, drawing
    // into it would copy it first, so the caller should not keep one across a render.
    void SetNextFrame(QImage frame) { m_nextFrame = std::move(frame); }
    // True when every pixel of the last frame is opaque: the project's background was drawn
    // in an opaque colour.
    bool FrameOpaque() const { return m_frameOpaque; }
    // Content height of the roll from the last render.
    int RollHeight() const { return m_rollHeight; }
    // Highest position of the last render's range 0 .. film height + roll height.
    int PositionRange() const { return ClampToInt32(qint64(m_filmHeight) + m_rollHeight); }
    // Why the roll last measured cannot be played: its positions pass 2^31 - 1 pixels, where
    // layout sums stop growing and the roll would be cut off silently; empty when it can.
    QString RollTooTallProblem() const;

    // Where the tree's focused node lay in the last frame (top, bottom in frame pixels); nothing
    // when no node other than the project is focused.
    const std::optional<std::pair<int, int>> &FocusedBand() const { return m_focusedBand; }

    // Skipping elements outside the frame is on by default; frames are the same either way.
    void SetSkipInvisible(bool on) { m_skipInvisible = on; }
    bool SkipInvisible() const { return m_skipInvisible; }
    // For a tree that does not change between frames (a generation run, a series of stills):
    // the first frame notes where every element lies, and later frames walk only the
    // elements near the frame. Off by default, as an editor changes its tree between frames.
    void SetUnchangingTree(bool on);
    bool UnchangingTree() const { return m_unchangingTree; }
    // Draws every frame k times as large: text at k times its size, images resampled from
    // their source, every position k times as far; positions and heights stay unscaled.
    void SetScale(int k) { m_scale = k < 1 ? 1 : k; }
    int Scale() const { return m_scale; }
    // Without the background, a frame holds the elements alone over transparency.
    void SetDrawBackground(bool on) { m_drawBackground = on; }
    bool DrawBackground() const { return m_drawBackground; }
    // Deep frames are drawn at 16 bits a channel (Format_RGBA64_Premultiplied) for outputs that
    // keep more than 8 bits; otherwise frames are Format_ARGB32_Premultiplied.
    void SetDeepFrames(bool on) { m_deepFrames = on; }
    bool DeepFrames() const { return m_deepFrames; }
    QImage::Format FrameFormat() const;

private:
    // Makes m_frame film size times the scale (a null frame beyond what one image may take).
    bool PrepareFrame(int width, int height);
    void PaintSegment(QImage &target, const TElementTree &tree, const TTimeline &timeline, int segment, qint64 local,
                      bool showPlaceholders, int pushed, qint32 pushedTop);
    void DrawItems(QPainter &painter, const TElementTree &tree, const TFilm &film, const std::vector<TTimelineItem> &items,
                   qint32 top, bool showPlaceholders);

    QImage m_frame;
    QImage m_under;  // the segment a dissolve leaves
    QImage m_nextFrame;
    bool m_frameOpaque = false;
    int m_rollHeight = 0;
    int m_filmHeight = 0;
    bool m_rollSaturated = false;  // the roll's bottom reached the largest 32-bit position
    std::optional<std::pair<int, int>> m_focusedBand;
    bool m_skipInvisible = true;
    bool m_drawBackground = true;
    bool m_deepFrames = false;
    int m_scale = 1;
    bool m_unchangingTree = false;
    // What the index was made from: another tree, film size or focus makes a new one.
    TRollIndex m_index;
    const TElementTree *m_indexedTree = nullptr;
    const void *m_indexedProject = nullptr;
    const void *m_indexedFocus = nullptr;
    int m_indexedWidth = 0;
    int m_indexedHeight = 0;
};

// Most bytes one image (a frame, a strip) may take: sizes beyond are refused before
// allocating rather than failing part way.
inline constexpr qint64 MaxImageBytes = qint64(1) << 30;

// Why an image of width x height cannot be made (too large), or empty when it can.
QString ImageSizeProblem(qint64 width, qint64 height, const QString &what, int bytesPerPixel = 4);

// Positions of the frames of a generated video: k * scrollRate while below positionRange.
// A scroll rate below 1 yields no frames.
std::vector<int> GenerationPositions(int positionRange, int scrollRate);

} // namespace velmora
