#pragma once

#include "core/export/formats/FrameSink.h"
#include "core/export/run/FrameSource.h"
#include "core/render/Timecode.h"

#include <QString>
#include <atomic>
#include <functional>

namespace velmora {

// Where a run stands after a frame was handed to the writer.
struct TGenerationProgress
{
    int FrameIndex = 0;
    int Position = 0;
    int Range = 0;
};

enum class TGenerationOutcome {
    Completed,         // every frame of the range (or slice) is in the file
    Cancelled,         // stopped by the cancel flag; the file holds the frames written
    OptionsCancelled,  // the options choice was cancelled; there is no file
    Failed,            // see Message; the file holds the frames written before the failure
};

struct TGenerationResult
{
    TGenerationOutcome Outcome = TGenerationOutcome::Completed;
    int FramesWritten = 0;
    QString Message;
};

// What a run writes and how it reports.
struct TGenerationSettings
{
    QString FileName;
    // Where the frames go (see CreateFrameSink); size and frame rate are taken from the source.
    IFrameSink *Sink = nullptr;
    TFrameRate Rate{0, 1};    // the file's rate; 0: the project's own
    bool Alpha = false;       // frames drawn on their own with straight alpha (the source leaves out the background)
    int FirstFrame = 0;       // slice of the run, both ends included
    int LastFrame = -1;       // -1: to the end of the roll
    int Threads = 0;          // encoding threads; 0: every core
    std::function<void(const TGenerationProgress &)> Progress;
    const std::atomic<bool> *Cancel = nullptr;  // checked between frames
};

// Why frames first..last (last -1: to the end) cannot be taken from a roll of frameCount
// frames, naming the frames it has; empty when the slice starts within the roll.
QString SliceRefusal(int frameCount, int first, int last);

// Renders the roll at positions 0, s, 2s, ... below the position range and writes every
// frame into the sink, which every run must be given. The sink is always closed. A slice that
// starts past the roll's end fails before the sink is opened.
TGenerationResult RunGeneration(IFrameSource &source, const TGenerationSettings &settings);

} // namespace velmora
