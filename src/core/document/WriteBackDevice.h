#pragma once

#include <QByteArray>
#include <QIODevice>

namespace velmora {

// Collects what is written to a seekable device and hands it on in large pieces. The tree
// writer goes back to fill in every chunk's size once the chunk is written; on a file each
// of those seeks flushed the file's buffer, so a 20,000-row roll cost hundreds of thousands of
// system calls. Here a chunk size is patched in memory while its bytes are still held, and
// only sizes of chunks that began before the last hand-over go back to the device itself.
// Positions start at the device's position when this is made; the device must outlive it.
class TWriteBackDevice final : public QIODevice
{
public:
    explicit TWriteBackDevice(QIODevice &target, qint64 holdBytes = qint64(1) << 20);
    ~TWriteBackDevice() override;

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_base + m_held.size(); }
    // Hands on whatever is held and leaves the device at the end of what was written;
    // false when the device refused it.
    bool Finish();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 length) override;

private:
    bool HandOn();
    bool WriteThrough(qint64 at, const char *data, qint64 length);

    QIODevice &m_target;
    qint64 m_origin;    // the device's position for position 0 here
    qint64 m_base = 0;  // where the held bytes begin (before them everything is handed on)
    QByteArray m_held;
    qint64 m_holdBytes;
};

} // namespace velmora
