#pragma once

// Where light ink lies on a dark frame: the golden measure for text of every size.
#include <QImage>
#include <QRect>

namespace velmora::test {

// The smallest rectangle holding every pixel whose green channel passes threshold (white
// text on black); an empty rectangle when nothing does.
inline QRect InkBounds(const QImage &image, int threshold = 96)
{
    const QImage rgb = image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    int left = rgb.width(), right = -1, top = rgb.height(), bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar *line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            if (line[3 * x + 1] <= threshold)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The mean of the green channel over every pixel: how bright a frame of grey text is as a whole.
inline double MeanGreen(const QImage &frame)
{
    double sum = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            sum += qGreen(frame.pixel(x, y));
    return sum / (double(frame.width()) * frame.height());
}

} // namespace velmora::test
