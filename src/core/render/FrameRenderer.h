#pragma once

#include "core/elements/ElementTypes.h"

#include <QImage>
#include <QString>
#include <vector>

namespace velmora {

class TElementTree;

// Composes frames of the roll in a reusable film-size bitmap; shared by the preview, the
// command line and the video export.
class TFrameRenderer
{
public:
    // Renders the roll at position (pixels the roll has moved up) and returns the frame.
    // A film size below 1 x 1 renders as 1 x 1; a tree without a project gives a transparent frame.
    const QImage &RenderFrame(const TElementTree &tree, int position, bool showPlaceholders);

    // Lays the roll out without drawing or allocating a frame: afterwards RollHeight() and
    // PositionRange() are those a render would give.
    void MeasureRoll(const TElementTree &tree);

    const QImage &Frame() const { return m_frame; }
    // Content height of the roll from the last render.
    int RollHeight() const { return m_rollHeight; }
    // Highest position of the last render's range 0 .. film height + roll height.
    int PositionRange() const { return ClampToInt32(qint64(m_filmHeight) + m_rollHeight); }

    // Skipping elements outside the frame is on by default; frames are the same either way.
    void SetSkipInvisible(bool on) { m_skipInvisible = on; }
    bool SkipInvisible() const { return m_skipInvisible; }

private:
    QImage m_frame;
    int m_rollHeight = 0;
    int m_filmHeight = 0;
    bool m_skipInvisible = true;
};

// Most bytes one image (a frame, a strip) may take: sizes beyond are refused before
// allocating rather than failing part way.
inline constexpr qint64 MaxImageBytes = qint64(1) << 30;

// Why an image of width x height cannot be made (too large), or empty when it can.
QString ImageSizeProblem(qint64 width, qint64 height, const QString &what);

// Positions of the frames of a generated video: k * scrollRate while below positionRange.
// A scroll rate below 1 yields no frames.
std::vector<int> GenerationPositions(int positionRange, int scrollRate);

} // namespace velmora
