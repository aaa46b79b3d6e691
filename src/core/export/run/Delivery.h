#pragma once

#include "core/export/avi/AVICompressor.h"
#include "core/export/sinks/MediaFrameSink.h"

namespace velmora {

// What to do with a codec or profile name the format does not have.
enum class TUnknownName {
    Refuse,    // typed by the user: say which names exist
    UseFirst,  // remembered from an earlier version: the format's first is the sound choice
};

// A delivery ready to run: the format table's choice and the AVI codec options, each
// carrying the same quality and key frame interval.
struct TResolvedDelivery
{
    TFormatChoice Choice;
    TAVICompressorOptions Options;
};

// Resolves codec and profile names for format; the command line and the editor both take
// their delivery from here, so the same choice writes the same file. For AVI, an empty codec
// keeps the handler in options (the codec dialog's choice). Quality and key frames come from
// options. Throws EExportError with the names that exist when one is refused.
TResolvedDelivery ResolveDelivery(const TOutputFormat &format, const QString &codec, const QString &profile,
                                  const TAVICompressorOptions &options, TUnknownName unknown);

} // namespace velmora
