#include "core/export/run/GenerationRun.h"

#include "core/export/encode/BoundedQueue.h"
#include "core/export/ExportError.h"
#include "core/export/run/FramePool.h"
#include "core/render/FrameRenderer.h"

#include <QPainter>
#include <algorithm>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

namespace velmora {

namespace {

// Hands frames from the rendering thread to the writer on a thread of its own.
class TEncodingThread
{
public:
    // cancel, when given, is watched all the time: a stop reaches the writer even while the
    // renderer waits for room in the queue.
    TEncodingThread(IFrameSink &writer, const std::atomic<bool> *cancel)
        : m_writer(writer), m_cancel(cancel), m_thread([this] { Run(); }), m_watcher([this] { Watch(); })
    {
    }
    ~TEncodingThread() { Stop(); }

    // False once the writer has failed: the run should stop.
    bool Push(const QImage &frame) { return m_queue.Push(frame); }

    // Lets the queued frames through and waits for them.
    void Stop()
    {
        m_queue.Close();
        if (m_thread.joinable())
            m_thread.join();
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_wake.notify_all();
        if (m_watcher.joinable())
            m_watcher.join();
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
                m_writer.Write(*frame);
            } catch (const EVelmoraError &e) {
                Fail(e.message());
                return;
            } catch (const std::exception &e) {
                Fail(QString::fromUtf8(e.what()));
                return;
            }
        }
    }

    void Watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_finished) {
            if (m_cancel && m_cancel->load()) {
                m_writer.RequestStop();
                m_queue.Close();  // the renderer stops waiting for room
                return;
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(20));
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

    IFrameSink &m_writer;
    const std::atomic<bool> *m_cancel;
    // Small, so a stop waits for few frames and the renderer stays just ahead of the encoder.
    TBoundedQueue<QImage> m_queue{2};
    mutable std::mutex m_mutex;
    QString m_failure;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::thread m_thread;  // last: start once the rest is built
    std::thread m_watcher;
};

} // namespace

QString SliceRefusal(int frameCount, int first, int last)
{
    if (first < frameCount)
        return {};
    const QString asked = last < 0 ? QStringLiteral("Frame %1 and those after it are").arg(first)
                                   : QStringLiteral("Frames %1 to %2 are").arg(first).arg(last);
    return frameCount > 0 ? QStringLiteral("%1 past the end of the roll, which has frames 0 to %2.").arg(asked).arg(frameCount - 1)
                          : QStringLiteral("%1 past the end of the roll, which has no frames.").arg(asked);
}

TGenerationResult RunGeneration(IFrameSource &source, const TGenerationSettings &settings)
{
    TGenerationResult result;
    const QSize size = source.FilmSize();
    // A roll with cards runs by frame number; the timeline knows its length before any frame.
    const qint64 timedFrames = source.TimedFrameCount();
    if (settings.FirstFrame > 0) {
        if (timedFrames < 0)
            source.RenderFrame(0);  // the range of the roll as it is now
        result.Message = SliceRefusal(timedFrames >= 0 ? int(std::min<qint64>(timedFrames, std::numeric_limits<int>::max()))
                                                       : FrameCountFor(source.PositionRange(), std::max(1, source.ScrollRate())),
                                      settings.FirstFrame, settings.LastFrame);
        if (!result.Message.isEmpty()) {
            result.Outcome = TGenerationOutcome::Failed;
            return result;
        }
    }

    IFrameSink *sink = settings.Sink;
    if (sink == nullptr) {
        result.Outcome = TGenerationOutcome::Failed;
        result.Message = QStringLiteral("No output was chosen for the frames.");
        return result;
    }
    const bool deep = sink->TakesDeepFrames();
    // Refused before the file is touched, rather than failing at the first frame.
    result.Message = ImageSizeProblem(size.width(), size.height(), QStringLiteral("A frame"), deep ? 8 : 4);
    if (!result.Message.isEmpty()) {
        result.Outcome = TGenerationOutcome::Failed;
        return result;
    }
    source.SetDeepFrames(deep);
    TSinkSettings sinkSettings;
    sinkSettings.FileName = settings.FileName;
    sinkSettings.Size = size;
    sinkSettings.Rate = settings.Rate.Num > 0 ? settings.Rate : source.VideoRate();
    sinkSettings.Alpha = settings.Alpha;
    sinkSettings.Threads = settings.Threads;
    try {
        if (!sink->Open(sinkSettings)) {
            result.Outcome = TGenerationOutcome::OptionsCancelled;
            return result;
        }
    } catch (const EVelmoraError &e) {
        result.Outcome = TGenerationOutcome::Failed;
        result.Message = e.message();
        return result;
    }
    IFrameSink &writer = *sink;

    auto cancelled = [&settings] { return settings.Cancel && settings.Cancel->load(); };
    bool stoppedByCancel = false;
    QString failure;
    {
        TEncodingThread encoding(writer, settings.Cancel);
        try {
            // Frames are composited over the previous one, so an opaque frame replaces every
            // pixel and a translucent one shows what was there; the first goes over black.
            // The canvas takes the depth of the first frame.
            QImage canvas;
            // Frames are drawn into buffers that go round between the renderer and the sink.
            TFramePool pool(size, deep ? QImage::Format_RGBA64_Premultiplied : QImage::Format_ARGB32_Premultiplied);
            const bool sinkTakesRgb32 = writer.TakesRgb32Frames();
            int position = 0;
            int frame = 0;
            // The range is at least the film height even before the source's first render.
            int range = std::max(source.PositionRange(), size.height() / std::max(1, source.Scale()));
            if (timedFrames >= 0) {
                frame = settings.FirstFrame;
                range = int(std::min<qint64>(timedFrames, std::numeric_limits<int>::max()));
                position = frame;
            } else if (settings.FirstFrame > 0) {
                range = source.PositionRange();
                for (; frame < settings.FirstFrame && position < range; ++frame)
                    position += std::max(1, source.ScrollRate());
            }
            // A timed roll counts its frames where a scrolling one counts pixels.
            while (position < range && (settings.LastFrame < 0 || frame <= settings.LastFrame)) {
                if (cancelled()) {
                    stoppedByCancel = true;
                    writer.RequestStop();
                    break;
                }
                source.SetNextFrame(pool.Take());
                const QImage &rendered = timedFrames >= 0 ? source.RenderFrameNumber(frame) : source.RenderFrame(position);
                if (timedFrames < 0)
                    range = source.PositionRange();
                bool pushed = false;
                const bool deepFrame = rendered.depth() == 64;
                // An opaque frame is its own composite over anything, so its pixels go to the sink
                // as drawn; premultiplied and opaque, they read the same as the opaque formats.
                const QImage::Format opaqueFormat = !source.FrameOpaque() ? QImage::Format_Invalid
                    : rendered.format() == QImage::Format_RGBA64_Premultiplied ? QImage::Format_RGBX64
                    : rendered.format() == QImage::Format_ARGB32_Premultiplied && sinkTakesRgb32 ? QImage::Format_RGB32
                                                                                                 : QImage::Format_Invalid;
                if (settings.Alpha) {
                    // Each frame on its own, its coverage as straight alpha.
                    pushed = encoding.Push(rendered.convertToFormat(deepFrame ? QImage::Format_RGBA64 : QImage::Format_ARGB32));
                } else if (opaqueFormat != QImage::Format_Invalid) {
                    pushed = encoding.Push(SharedView(rendered, opaqueFormat));
                } else {
                    if (canvas.isNull()) {
                        canvas = QImage(size, deepFrame ? QImage::Format_RGBX64 : QImage::Format_BGR888);
                        canvas.fill(Qt::black);
                    }
                    {
                        QPainter painter(&canvas);
                        painter.drawImage(0, 0, rendered);
                    }
                    pushed = encoding.Push(canvas);
                }
                if (!pushed) {
                    // The writer failed (its message follows) or a stop closed the queue.
                    stoppedByCancel = cancelled();
                    break;
                }
                if (settings.Progress)
                    settings.Progress({frame, position, range});
                position += timedFrames >= 0 ? 1 : std::max(1, source.ScrollRate());
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
        } catch (const EVelmoraError &e) {
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
