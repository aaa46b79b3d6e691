#include "core/export/run/FramePool.h"

#include "core/export/encode/FrameConverter.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace velmora {

namespace {

constexpr size_t Alignment = 64;
// Spare bytes at the end of every row, so that the scaler reads the frames in place.
constexpr int RowSlack = TFrameConverter::SpareRowBytes;

size_t RoundUp(size_t value, size_t step)
{
    return (value + step - 1) / step * step;
}

} // namespace

// Outlives the pool while frames are out: a frame may be released on the encoder's thread
// after the run has let the pool go.
struct TFramePool::TShared
{
    QSize Size;
    QImage::Format Format;
    qsizetype BytesPerLine = 0;
    std::mutex Mutex;
    std::vector<uchar *> Free;
    int Allocated = 0;

    ~TShared()
    {
        for (uchar *memory : Free)
            std::free(memory);
    }
};

namespace {

// What a handed-out frame's cleanup needs: its memory and the pool to give it back to.
struct TLoan
{
    std::shared_ptr<TFramePool::TShared> Pool;
    uchar *Memory;
};

} // namespace

TFramePool::TFramePool(QSize size, QImage::Format format) : m_shared(std::make_shared<TShared>())
{
    m_shared->Size = size;
    m_shared->Format = format;
    const int bitsPerPixel = QImage::toPixelFormat(format).bitsPerPixel();
    m_shared->BytesPerLine = qsizetype(RoundUp((size_t(size.width()) * bitsPerPixel + 7) / 8 + RowSlack, Alignment));
}

TFramePool::~TFramePool() = default;

QImage TFramePool::Take()
{
    TShared &shared = *m_shared;
    uchar *memory = nullptr;
    {
        std::lock_guard lock(shared.Mutex);
        if (!shared.Free.empty()) {
            memory = shared.Free.back();
            shared.Free.pop_back();
        }
    }
    if (memory == nullptr) {
        const size_t bytes = RoundUp(size_t(shared.BytesPerLine) * size_t(std::max(shared.Size.height(), 1)), Alignment);
        memory = static_cast<uchar *>(std::aligned_alloc(Alignment, bytes));
        if (memory == nullptr)
            throw std::bad_alloc();
        std::lock_guard lock(shared.Mutex);
        ++shared.Allocated;
    }
    auto *loan = new TLoan{m_shared, memory};
    return QImage(memory, shared.Size.width(), shared.Size.height(), shared.BytesPerLine, shared.Format,
                  [](void *info) {
                      std::unique_ptr<TLoan> back(static_cast<TLoan *>(info));
                      std::lock_guard lock(back->Pool->Mutex);
                      back->Pool->Free.push_back(back->Memory);
                  },
                  loan);
}

int TFramePool::Allocated() const
{
    std::lock_guard lock(m_shared->Mutex);
    return m_shared->Allocated;
}

QImage SharedView(const QImage &frame, QImage::Format format)
{
    auto *keep = new QImage(frame);
    return QImage(keep->constBits(), keep->width(), keep->height(), keep->bytesPerLine(), format,
                  [](void *info) { delete static_cast<QImage *>(info); }, keep);
}

} // namespace velmora
