#pragma once

// What the file-reading fuzz targets share: a scratch folder, writing bytes to a file, and
// the seed-writing run.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>

namespace velmora::fuzz {

// One scratch folder for the whole run: each input is written there and read back.
inline QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

inline void Put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// With VELMORA_FUZZ_WRITE_SEEDS set, the binary only writes its seed corpus there.
inline void WriteSeedsIfAsked(void (*write)(const QString &dir))
{
    const QByteArray seeds = qgetenv("VELMORA_FUZZ_WRITE_SEEDS");
    if (!seeds.isEmpty()) {
        write(QString::fromLocal8Bit(seeds));
        std::exit(0);
    }
}

} // namespace velmora::fuzz
