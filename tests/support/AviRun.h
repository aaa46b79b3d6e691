#pragma once
// A run into an AVI file, for tests that choose the codec by its options as the codec dialog does.
// The sink is made when the run starts, so options set after the settings are made still count.
#include "core/export/run/GenerationRun.h"
#include "core/export/sinks/AviFrameSink.h"

namespace velmora {

struct TAviRunSettings : TGenerationSettings
{
    TAVICompressorOptions Options = DefaultCompressorOptions();
    TAVICompressor::OptionsDialog Dialog;
};

inline TGenerationResult RunToAvi(IFrameSource &source, const TAviRunSettings &settings)
{
    TAviFrameSink sink(settings.Options, settings.Dialog);
    TGenerationSettings run = settings;
    run.Sink = &sink;
    return RunGeneration(source, run);
}

} // namespace velmora
