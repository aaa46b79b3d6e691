#pragma once

#include <QIODevice>

// Exact reads, complete writes and copies over a byte device, failing with the stream's own
// read and write errors. Internal to the typed value stream.
namespace velmora::DeviceIo {

// Bytes between the position and the end.
qint64 Remaining(QIODevice &device);

// Reads exactly count bytes or fails with "Stream read error"; a short read leaves the
// device at its end.
void ReadExact(QIODevice &device, char *data, qint64 count);

// Fails with "Stream read error", leaving the device at its end as a short read would.
[[noreturn]] void FailShortRead(QIODevice &device);

// Fails like a short read, before anything is allocated for a length the stream cannot hold.
void RequireAvailable(QIODevice &device, qint64 count);

// Writes every byte or fails with "Stream write error".
void WriteAll(QIODevice &device, const char *data, qint64 count);

// Copies exactly count bytes in bounded chunks.
void Copy(QIODevice &from, QIODevice &to, qint64 count);

} // namespace velmora::DeviceIo
