#include "core/typedfiler/DeviceIo.h"

#include "core/typedfiler/TypedFilerError.h"

#include <algorithm>
#include <array>

namespace velmora::DeviceIo {

void FailShortRead(QIODevice &device)
{
    // What was there has been consumed, as a plain short read would have done.
    device.seek(device.size());
    throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::ReadError));
}

qint64 Remaining(QIODevice &device)
{
    return std::max<qint64>(0, device.size() - device.pos());
}

void ReadExact(QIODevice &device, char *data, qint64 count)
{
    qint64 done = 0;
    while (done < count) {
        const qint64 got = device.read(data + done, count - done);
        if (got <= 0)
            FailShortRead(device);
        done += got;
    }
}

void RequireAvailable(QIODevice &device, qint64 count)
{
    if (count > Remaining(device))
        FailShortRead(device);
}

void WriteAll(QIODevice &device, const char *data, qint64 count)
{
    qint64 done = 0;
    while (done < count) {
        const qint64 put = device.write(data + done, count - done);
        if (put <= 0)
            throw ETypedFilerError(QString::fromLatin1(TypedFilerMessages::WriteError));
        done += put;
    }
}

void Copy(QIODevice &from, QIODevice &to, qint64 count)
{
    std::array<char, 64 * 1024> chunk;
    while (count > 0) {
        const qint64 step = std::min<qint64>(count, qint64(chunk.size()));
        ReadExact(from, chunk.data(), step);
        WriteAll(to, chunk.data(), step);
        count -= step;
    }
}

} // namespace velmora::DeviceIo
