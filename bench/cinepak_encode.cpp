// Encodes frames of a roll with one codec and times only the encoding: the frames are rendered
// into memory first. Writes the video and the rendered frames (raw rgb24) for a PSNR check.
//
//   velmora-bench-cinepak PROJECT.vmz FIRST COUNT CODEC QUALITY THREADS OUT.avi [FRAMES.rgb]
//
// CODEC is a velmora-cli codec name (cinepak, cinepak-libav, ...). Prints one line:
//   codec=NAME frames=N seconds=S fps=F bytes_per_frame=B
#include "core/document/Document.h"
#include "core/export/avi/AVICompressor.h"
#include "core/export/ExportError.h"
#include "core/export/run/ProjectFrameSource.h"
#include "core/render/FrameRenderer.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <chrono>
#include <cstdio>

using namespace velmora;

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 8) {
        std::fprintf(stderr, "usage: %s PROJECT.vmz FIRST COUNT CODEC QUALITY THREADS OUT.avi [FRAMES.rgb]\n", argv[0]);
        return 2;
    }
    const int first = args[2].toInt();
    const int count = args[3].toInt();
    const QString codecName = args[4];
    try {
        TDocument document;
        document.OpenProject(args[1]);
        TFrameRenderer renderer;
        TProjectFrameSource source(document.Tree(), renderer);
        std::vector<QImage> frames;
        for (int i = first; i < first + count; ++i)
            frames.push_back(source.RenderFrame(i * source.ScrollRate()).convertToFormat(QImage::Format_BGR888));
        if (args.size() > 8) {
            QFile raw(args[8]);
            if (!raw.open(QIODevice::WriteOnly))
                throw EExportError(QStringLiteral("cannot write %1").arg(args[8]));
            for (const QImage &frame : frames) {
                const QImage rgb = frame.convertToFormat(QImage::Format_RGB888);
                for (int y = 0; y < rgb.height(); ++y)
                    raw.write(reinterpret_cast<const char *>(rgb.constScanLine(y)), 3 * qint64(rgb.width()));
            }
        }

        TAVICompressorOptions options = DefaultCompressorOptions();
        options.Width = source.FilmSize().width();
        options.Height = source.FilmSize().height();
        options.Rate = source.FrameRate();
        options.Handler = QStringLiteral("CVID");
        options.CodecName = codecName;
        options.Quality = args[5].toInt();
        options.CompressFlags = AVICOMPRESSF_KEYFRAMES;  // no data-rate cap: libavcodec's encoder has none
        options.ShowOptionsDialog = false;
        TAVICompressor writer;
        writer.SetThreadCount(args[6].toInt());
        const auto start = std::chrono::steady_clock::now();
        if (writer.Open(args[7], options) != 0)
            throw EExportError(writer.LastError());
        for (const QImage &frame : frames)
            writer.AddFrame(frame);
        writer.Close();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double bytes = double(QFileInfo(args[7]).size());
        std::printf("codec=%s frames=%d seconds=%.3f fps=%.3f bytes_per_frame=%.0f\n", qPrintable(codecName), count,
                    seconds, count / seconds, bytes / count);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
