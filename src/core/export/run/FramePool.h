#pragma once

#include <QImage>
#include <QSize>
#include <memory>

namespace velmora {

// Film-size frames that a generation run draws into and hands to its sink without a copy.
// A frame's memory goes back to the pool when the last QImage sharing it is gone, so a run
// allocates as many frames as are in flight at once, not one a frame, and the kernel does
// not clear fresh pages for every frame. Every row ends in spare bytes, which lets the
// scaler read a frame in place (it reads whole vector registers past a row's end).
class TFramePool
{
public:
    TFramePool(QSize size, QImage::Format format);
    ~TFramePool();
    TFramePool(const TFramePool &) = delete;
    TFramePool &operator=(const TFramePool &) = delete;

    // A writable frame of the pool's size and format; its pixels are whatever it held last.
    QImage Take();
    // Frames allocated so far, in use or free.
    int Allocated() const;

    struct TShared;  // the free frames; outlives the pool while frames are out

private:
    std::shared_ptr<TShared> m_shared;
};

// The pixels of frame read as format, which must have the same depth, without a copy: the
// view keeps frame's memory alive and is read-only (writing to it copies).
QImage SharedView(const QImage &frame, QImage::Format format);

} // namespace velmora
