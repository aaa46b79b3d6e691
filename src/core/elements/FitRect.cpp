#include "core/elements/FitRect.h"

#include "core/elements/Drawing.h"

#include <algorithm>

namespace velmora {

void FitRect(const TLayoutRect &source, const TLayoutRect &target, double &scale, TLayoutRect &fitted, int flags)
{
    fitted = target;
    if (source.Width == 0 || source.Height == 0)
        return;
    qint32 width = target.Width;
    qint32 height = target.Height;
    if (flags & FitFlags::ShrinkOnly) {
        width = std::min(target.Width, source.Width);
        height = std::min(target.Height, source.Height);
    }
    scale = double(width) / source.Width;
    const qint32 scaledHeight = RoundHalfEven(source.Height * scale);
    if (height < scaledHeight) {
        scale = double(height) / source.Height;
        fitted.Width = RoundHalfEven(source.Width * scale);
        fitted.Height = height;
    } else {
        fitted.Height = scaledHeight;
        fitted.Width = width;
    }
    if ((flags & FitFlags::CenterVertically) && fitted.Height < target.Height)
        fitted.Y = SaturatingAdd(target.Y, (qint64(target.Height) - fitted.Height) / 2);
    if ((flags & FitFlags::CenterHorizontally) && fitted.Width < target.Width)
        fitted.X = SaturatingAdd(target.X, (qint64(target.Width) - fitted.Width) / 2);
}

} // namespace velmora
