#include "core/document/BoundedDevice.h"

#include <algorithm>

namespace velmora {

TBoundedDevice::TBoundedDevice(QIODevice &parent, qint64 start, qint64 length)
    : m_parent(parent), m_start(start), m_length(std::max<qint64>(length, 0))
{
    // Unbuffered, so nothing is read ahead of what the reader asked for.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

TBoundedDevice::~TBoundedDevice()
{
    close();
}

bool TBoundedDevice::seek(qint64 pos)
{
    if (pos < 0 || pos > m_length)
        return false;
    return QIODevice::seek(pos);
}

qint64 TBoundedDevice::readData(char *data, qint64 maxSize)
{
    const qint64 wanted = std::min(maxSize, m_length - pos());
    if (wanted <= 0)
        return 0;
    // Readers go forward through their window, so the parent is nearly always in place already;
    // a seek on a file is a system call.
    if (m_parent.pos() != m_start + pos() && !m_parent.seek(m_start + pos()))
        return -1;
    return m_parent.read(data, wanted);
}

qint64 TBoundedDevice::writeData(const char *, qint64)
{
    return -1;
}

} // namespace velmora
