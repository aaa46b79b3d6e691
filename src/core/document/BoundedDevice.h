#pragma once

#include <QIODevice>

namespace velmora {

// A read-only window [start, start + length) of a seekable device, seen as a device of its own.
// Reading it moves the parent's position; the parent must outlive it.
class TBoundedDevice final : public QIODevice
{
public:
    TBoundedDevice(QIODevice &parent, qint64 start, qint64 length);
    ~TBoundedDevice() override;

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_length; }
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    QIODevice &m_parent;
    qint64 m_start;
    qint64 m_length;
};

} // namespace velmora
