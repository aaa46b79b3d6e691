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
        if (const TFormatCodec *codec = AviCodecFor(m_options)) {
            const QString refusal = SizeRefusal(*codec, settings.Size);
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
