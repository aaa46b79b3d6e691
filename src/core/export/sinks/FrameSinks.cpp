#include "core/export/sinks/FrameSinks.h"

#include "core/export/sinks/AviFrameSink.h"
#include "core/export/sinks/SequenceFrameSink.h"

namespace velmora {

std::unique_ptr<IFrameSink> CreateFrameSink(const TFormatChoice &choice, TAVICompressorOptions options,
                                            TAVICompressor::OptionsDialog dialog)
{
    switch (choice.Format->Kind) {
    case TSinkKind::Avi:
        if (choice.Codec) {
            options.Handler = QString::fromLatin1(HandlerForCodecName(choice.Codec->Name));
            options.CodecName = choice.Codec->Name;
        }
        return std::make_unique<TAviFrameSink>(options, std::move(dialog));
    case TSinkKind::Media:
        return std::make_unique<TMediaFrameSink>(choice);
    case TSinkKind::Sequence:
        break;
    }
    return std::make_unique<TSequenceFrameSink>(choice);
}

} // namespace velmora
