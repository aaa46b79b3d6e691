#pragma once

#include "core/export/avi/AVICompressor.h"
#include "core/export/sinks/MediaFrameSink.h"

#include <memory>

namespace velmora {

// The sink a format table choice writes through. For AVI, options (and the options choice)
// are those of TAVICompressor; choice.Codec, when set, picks its codec.
std::unique_ptr<IFrameSink> CreateFrameSink(const TFormatChoice &choice, TAVICompressorOptions options,
                                            TAVICompressor::OptionsDialog dialog = {});

} // namespace velmora
