#include "core/export/GenerationRun.h"

#include "core/export/BoundedQueue.h"
#include "core/export/ExportError.h"

#include <QPainter>
#include <algorithm>
#include <mutex>
#include <thread>

namespace velmora {

namespace {

// Hands frames from the rendering thread to the writer on a thread of its own.
class TEncodingThread
{
public:
    explicit TEncodingThread(TAVICompressor &writer) : m_writer(writer), m_thread([this] { Run(); }) {}
    ~TEncodingThread() { Stop(); }

    // False once the writer has failed: the run should stop.
    bool Push(const QImage &frame) { return m_queue.Push(frame); }

    // Lets the queued frames through and waits for them.
    void Stop()
    {
        m_queue.Close();
        if (m_thread.joinable())
            m_thread.join();
    }

    QString Failure() const
    {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }

private:
    void Run()
    {
        while (std::optional<QImage> frame = m_queue.Pop()) {
            try {
                m_writer.AddFrame(*frame);
            } catch (const EVelmoraError &e) {
                Fail(e.message());
                return;
            } catch (const std::exception &e) {
                Fail(QString::fromUtf8(e.what()));
                return;
            }
        }
    }

    void Fail(const QString &message)
    {
        {
            std::lock_guard lock(m_mutex);
            m_failure = message;
        }
        m_queue.Close();
    }

    TAVICompressor &m_writer;
    TBoundedQueue<QImage> m_queue{3};
    mutable std::mutex m_mutex;
    QString m_failure;
    std::thread m_thread;  // last: starts once the rest is built
};

} // namespace

int FrameCountFor(int positionRange, int scrollRate)
{
    if (positionRange <= 0 || scrollRate <= 0)
        return 0;
    return int((qint64(positionRange) + scrollRate - 1) / scrollRate);
}

TGenerationResult RunGeneration(IFrameSource &source, const TGenerationSettings &settings)
{
    TGenerationResult result;
    const QSize size = source.FilmSize();
    TAVICompressorOptions options = settings.Options;
    options.Width = size.width();
    options.Height = size.height();
    options.Rate = source.FrameRate();
    options.Compress = true;

    TAVICompressor writer;
    writer.SetThreadCount(settings.Threads);
    const int opened = writer.Open(settings.FileName, options, settings.Dialog);
    if (opened == AVIOpenCancelled) {
        result.Outcome = TGenerationOutcome::OptionsCancelled;
        return result;
    }
    if (opened != 0) {
        result.Outcome = TGenerationOutcome::Failed;
        result.Message = writer.LastError();
        return result;
    }

    auto cancelled = [&settings] { return settings.Cancel && settings.Cancel->load(); };
    bool stoppedByCancel = false;
    QString failure;
    {
        TEncodingThread encoding(writer);
        try {
            // Frames are composited over the previous one, so an opaque frame replaces every
            // pixel and a translucent one shows what was there; the first goes over black.
            QImage canvas(size, QImage::Format_BGR888);
            canvas.fill(Qt::black);
            int position = 0;
            int frame = 0;
            // The range is at least the film height even before the source's first render.
            int range = std::max(source.PositionRange(), size.height());
            if (settings.FirstFrame > 0) {
                source.RenderFrame(0);  // a fresh range to skip through
                range = source.PositionRange();
                for (; frame < settings.FirstFrame && position < range; ++frame)
                    position += std::max(1, source.ScrollRate());
            }
            while (position < range && (settings.LastFrame < 0 || frame <= settings.LastFrame)) {
                if (cancelled()) {
                    stoppedByCancel = true;
                    break;
                }
                const QImage &rendered = source.RenderFrame(position);
                range = source.PositionRange();
                {
                    QPainter painter(&canvas);
                    painter.drawImage(0, 0, rendered);
                }
                if (!encoding.Push(canvas))
                    break;  // the writer failed; its message follows
                if (settings.Progress)
                    settings.Progress({frame, position, range});
                position += std::max(1, source.ScrollRate());
                ++frame;
            }
        } catch (const EVelmoraError &e) {
            failure = e.message();
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
        }
        encoding.Stop();
        if (failure.isEmpty())
            failure = encoding.Failure();
    }
    if (!failure.isEmpty()) {
        writer.CloseAfterFailure();
    } else {
        try {
            writer.Close();
        } catch (const EExportError &e) {
            failure = e.message();
        }
    }
    result.FramesWritten = writer.FramesWritten();
    result.Message = failure;
    result.Outcome = !failure.isEmpty() ? TGenerationOutcome::Failed
        : stoppedByCancel                ? TGenerationOutcome::Cancelled
                                         : TGenerationOutcome::Completed;
    return result;
}

} // namespace velmora
