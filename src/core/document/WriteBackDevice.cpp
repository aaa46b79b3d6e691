#include "core/document/WriteBackDevice.h"

#include <algorithm>

namespace velmora {

TWriteBackDevice::TWriteBackDevice(QIODevice &target, qint64 holdBytes)
    : m_target(target), m_origin(target.pos()), m_holdBytes(std::max<qint64>(holdBytes, 1))
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

TWriteBackDevice::~TWriteBackDevice()
{
    close();
}

bool TWriteBackDevice::WriteThrough(qint64 at, const char *data, qint64 length)
{
    return m_target.seek(m_origin + at) && m_target.write(data, length) == length;
}

bool TWriteBackDevice::HandOn()
{
    if (m_held.isEmpty())
        return true;
    if (!WriteThrough(m_base, m_held.constData(), m_held.size()))
        return false;
    m_base += m_held.size();
    m_held.clear();
    return true;
}

bool TWriteBackDevice::Finish()
{
    return HandOn() && m_target.seek(m_origin + m_base);
}

qint64 TWriteBackDevice::readData(char *, qint64)
{
    return -1;
}

qint64 TWriteBackDevice::writeData(const char *data, qint64 length)
{
    qint64 at = pos();
    const char *from = data;
    qint64 left = length;
    // Bytes before the held ones were handed on already: they are patched on the device.
    if (at < m_base) {
        const qint64 before = std::min(left, m_base - at);
        if (!WriteThrough(at, from, before))
            return -1;
        at += before;
        from += before;
        left -= before;
    }
    if (left > 0) {
        // The tree writer only seeks back, so at lies within the held bytes or at their end.
        const qint64 offset = at - m_base;
        if (offset > m_held.size())
            return -1;
        const qint64 overlap = std::min(left, qint64(m_held.size()) - offset);
        if (overlap > 0)
            std::copy(from, from + overlap, m_held.data() + offset);
        if (left > overlap)
            m_held.append(from + overlap, left - overlap);
    }
    if (m_held.size() >= m_holdBytes && !HandOn())
        return -1;
    return length;
}

} // namespace velmora
