#pragma once

#include "core/render/FrameRate.h"

#include <QString>

namespace velmora {

// The part of the roll Generate writes and the label of its first frame, as the command line's
// --frames and --timecode give them.
struct TGenerateRange
{
    int First = 0;
    int Last = -1;    // included; -1: to the end of the roll
    QString Timecode; // of the first frame written; empty: the place after RollStart
    QString RollStart; // the project's start timecode; empty: 00:00:00:00

    bool Whole() const { return First == 0 && Last < 0; }
    friend bool operator==(const TGenerateRange &, const TGenerateRange &) = default;
};

// An in or out point as typed: a frame number, or HH:MM:SS:FF counted at rate from the roll's
// first frame; empty text gives fallback. Throws EVelmoraError naming what.
int ParseRollPoint(const QString &text, const TFrameRate &rate, const QString &what, int fallback);

// Why range cannot be written from a roll of frameCount frames at rate, as the command line
// refuses it; empty when it can.
QString GenerateRangeRefusal(const TGenerateRange &range, int frameCount, const TFrameRate &rate);

// The timecode a run's first frame carries: the one asked for, else (for a format that takes
// one) its place after the roll's start; none for a whole roll that starts nowhere in particular.
// Throws EVelmoraError when the roll's start does not fit rate.
QString RunTimecode(const TGenerateRange &range, bool formatTakesTimecode, const TFrameRate &rate);

} // namespace velmora
