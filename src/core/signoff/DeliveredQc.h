#pragma once

#include "core/signoff/DeliveredVideo.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace velmora {

class TElementTree;

// One thing found in a delivered file that differs from the roll it should hold.
struct TQcFinding
{
    QString Id;            // structure: frame-count, rate, size, timecode, colour, field-order, pixel-aspect;
                           // motion: speed, judder, uneven-motion, dropped-frame, repeated-frame;
                           // text: text, squeeze
    bool Error = true;     // false: a warning
    QString Message;
    qint64 Frame = -1;     // the delivered frame it is seen at, if one
    QString Timecode;      // that frame's label
    QString Place;         // a credit's sheet row ("feature.csv:569") or element path
    std::vector<qint64> Frames; // every frame of a finding that stands for several
};

// How the crawl moves from frame to frame in the delivered file.
struct TQcMotion
{
    double Expected = 0.0;   // lines a frame the roll should move by at the delivered height
    double Measured = 0.0;   // the median of the measured moves
    qint64 Measurements = 0; // pairs of frames with enough of the roll on both to measure
};

// One credit read back from the frame where it stands in the middle of the screen.
struct TQcReading
{
    QString Place;     // "feature.csv:569", or the element's path
    qint64 Frame = 0;
    QString Expected;  // the credit as the roll has it
    QString Read;      // what OCR found there
    double Distance = 0.0;
};

struct TQcOptions
{
    bool ReadText = true;        // read every credit back with OCR
    // How unlike the credit a reading may be before it is flagged: one letter in 25, so that a
    // changed letter in a name is found while a stray mark on a long line is not.
    double MaxDistance = 0.04;
    // The share of its height the picture will be shown at after a squeeze-back (0.5 for
    // 50 %): credits too small to read there are findings. Nothing: not checked.
    std::optional<double> Squeeze;
    double MinimumCapLinesAt1080 = 20.0;
};

struct TQcReport
{
    TDeliveredStream Stream;
    qint64 Frames = 0;          // decoded
    qint64 ExpectedFrames = 0;  // the roll's
    TQcMotion Motion;
    std::vector<TQcReading> Readings; // every credit read (with --json)
    int Unread = 0;                   // credits in scripts there is no OCR data for
    QStringList MissingOcrData;       // the packages that would read them
    std::vector<TQcFinding> Findings;

    bool HasErrors() const;
};

// The vertical move, in lines (sub-line by a parabola through the best three), that lays the
// previous frame's rows over the current's: cur(y) = prev(y + move). Nothing when either
// frame is too plain to tell (no text on it).
std::optional<double> MeasureVerticalMove(const TLumaFrame &previous, const TLumaFrame &current, int largest);

// Checks a delivered file against the roll of tree: its structure against the project, the
// crawl's motion frame by frame, and each credit's text read back where it stands mid-screen.
// progress gets frames decoded so far and the roll's count. Throws EVelmoraError when the file
// cannot be read.
TQcReport CheckDelivered(const QString &fileName, const TElementTree &tree, const TQcOptions &options = {},
                         const std::function<void(qint64, qint64)> &progress = {});

} // namespace velmora
