// libFuzzer target: repair on damaged AVI files. Seeds are whole and cut-off videos written
// by Velmora's own AVI writer; whatever repair makes of the bytes must be an AVI it can
// repair again, and the damaged file must stay as it was.
#include "FuzzFiles.h"

#include "core/error.h"
#include "core/export/avi/AviFileWriter.h"
#include "core/export/avi/AviRepair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace velmora;
using fuzz::Contents;
using fuzz::Folder;

namespace {

void WriteSeeds(const QString &dir)
{
    QDir().mkpath(dir);
    const QString video = Folder().filePath("seed.avi");
    TAviFileWriter writer;
    writer.Create(video);
    avi::TStreamSetup setup;
    setup.Handler = avi::FourCC("DIB ");
    setup.Width = 4;
    setup.Height = 2;
    setup.Rate = 25;
    setup.BitCount = 24;
    setup.Compressed = false;
    writer.WriteHeaders(setup);
    for (int i = 0; i < 6; ++i) {
        const QByteArray frame(24, char('A' + i));
        writer.WriteFrame(frame.constData(), frame.size(), true);
    }
    writer.Finish();
    const QByteArray whole = Contents(video);
    const QList<std::pair<QString, QByteArray>> seeds = {
        {"whole", whole},
        {"cut", whole.left(whole.indexOf("00db", whole.indexOf("00db") + 8) + 20)},
        {"no-index", whole.left(whole.lastIndexOf("idx1"))},
    };
    for (const auto &[name, bytes] : seeds) {
        QFile file(dir + QLatin1Char('/') + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::WriteSeedsIfAsked(WriteSeeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString damaged = Folder().filePath("damaged.avi");
    const QString repaired = Folder().filePath("repaired.avi");
    {
        QFile file(damaged);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(bytes);
    }
    int kept = 0;
    try {
        kept = RepairAvi(damaged, repaired).FramesKept;
    } catch (const EVelmoraError &) {
        return 0;
    }
    if (Contents(damaged) != bytes) {
        std::fprintf(stderr, "repair changed the damaged file\n");
        std::abort();
    }
    // What repair writes is whole: repairing it again keeps every frame.
    const QString again = Folder().filePath("again.avi");
    if (RepairAvi(repaired, again).FramesKept != kept) {
        std::fprintf(stderr, "a repaired file does not repair to the same frames\n");
        std::abort();
    }
    return 0;
}
