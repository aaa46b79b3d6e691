// libFuzzer target: arbitrary bytes as a project file that, when it loads, is rendered at a
// few positions on a small film and encoded into memory, the way a video run would.
#include "FuzzSeeds.h"

#include "core/document/Document.h"
#include "core/elements/Interfaces.h"
#include "core/export/formats/OutputFormats.h"
#include "core/export/ExportError.h"
#include "core/export/encode/VideoEncoder.h"
#include "core/render/FrameRenderer.h"
#include "support/DocumentBytes.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace velmora;

namespace {

constexpr int MaxFilmWidth = 64;
constexpr int MaxFilmHeight = 48;

// Renders positions 0, the middle and the last of the roll and encodes them with codec.
void RenderAndEncode(TDocument &document, const QByteArray &handler)
{
    auto *project = queryInterface<IProject>(document.ProjectNode()->Element());
    project->SetWidth(std::clamp(project->GetWidth(), 1, MaxFilmWidth));
    project->SetHeight(std::clamp(project->GetHeight(), 1, MaxFilmHeight));
    const QSize film(project->GetWidth(), project->GetHeight());

    TFrameRenderer renderer;
    renderer.RenderFrame(document.Tree(), 0, false);
    const int range = renderer.PositionRange();
    const int positions[] = {0, range / 2, std::max(0, range - 1)};

    const TFormatCodec *codec = FindCodecByHandler(handler);
    if (codec == nullptr || !IsCodecAvailable(*codec))
        std::abort();
    TEncoderSettings settings;
    settings.Width = film.width();
    settings.Height = film.height();
    settings.KeyFrameEvery = 2;
    std::unique_ptr<IVideoEncoder> encoder;
    try {
        encoder = CreateEncoder(*codec, settings);
    } catch (const EExportError &) {
        return;  // a size the codec refuses (odd widths for 4:2:0), reported to the user the same way
    }
    TPacketList packets;
    QImage canvas(film, QImage::Format_BGR888);
    canvas.fill(Qt::black);
    for (int position : positions) {
        const QImage &frame = renderer.RenderFrame(document.Tree(), position, position & 1);
        {
            QPainter painter(&canvas);
            painter.drawImage(0, 0, frame);
        }
        encoder->Encode(canvas, packets);
    }
    encoder->Flush(packets);
    if (packets.size() != std::size(positions))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Fonts and painting need a GUI application; no display is needed for drawing into images.
    fuzz::StartFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TDocument document;
    try {
        test::LoadFromBytes(document, bytes);
    } catch (const EVelmoraError &) {
        return 0;
    }
    // A lossless and a lossy codec in turn, chosen by the input so both stay in the corpus.
    const QByteArray handler = (size & 1) ? QByteArrayLiteral("FFV1") : QByteArrayLiteral("MJPG");
    RenderAndEncode(document, handler);
    return 0;
}
