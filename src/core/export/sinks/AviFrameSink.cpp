#include "core/export/sinks/AviFrameSink.h"

#include "core/export/ExportError.h"
#include "core/export/formats/OutputFormats.h"

namespace velmora {

bool TAviFrameSink::Open(const TSinkSettings &settings)
{
    // The stream header holds whole frames per second (its scale is 1).
    if (!settings.Rate.Whole())
        throw EExportError(QStringLiteral("AVI files take whole frame rates only, not %1; choose QuickTime, MP4, "
                                          "Matroska or MXF for %1 frames per second.")
                               .arg(settings.Rate.Text()));
    if (settings.Alpha)
        throw EExportError(QStringLiteral("AVI files carry no alpha channel."));
    // Without a choice to make, refuse a size the codec cannot code before the file exists.
    if (!(m_options.ShowOptionsDialog && m_dialog)) {
        const TCodecInfo *codec = FindCodecByHandler(m_options.Handler.toLatin1());
        // Two encoders may share a handler code; the name picks one, as the compressor does.
        if (const TCodecInfo *named = FindCodecByName(m_options.CodecName); codec && named && named->Handler == codec->Handler)
            codec = named;
        if (codec) {
            const QString refusal = SizeRefusal(codec->Title, AviSizeRule(*codec), settings.Size);
            if (!refusal.isEmpty())
                throw EExportError(refusal);
        }
    }
    m_options.Width = settings.Size.width();
    m_options.Height = settings.Size.height();
    m_options.Rate = settings.Rate.Num;
    m_options.Compress = true;
    m_writer.SetThreadCount(settings.Threads);
    const int opened = m_writer.Open(settings.FileName, m_options, m_dialog);
    if (opened == AVIOpenCancelled)
        return false;
    if (opened != 0)
        throw EExportError(m_writer.LastError());
    return true;
}

} // namespace velmora
