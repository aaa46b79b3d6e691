#pragma once

// Whole files as bytes, for tests that check what stands on disk.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

namespace velmora::test {

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray FileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Replaces the file's content with bytes.
inline void PutFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace velmora::test
