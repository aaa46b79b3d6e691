// Damaged streams: every reader either returns or fails with the filer's own error.
#include "FilerTestSupport.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace velmora;
using namespace velmora::test;

namespace {

// A valid record to damage: one value of each composite kind.
QByteArray SampleRecord()
{
    TBufferFiler stream;
    TVariantArray array(VariantKind::Variant, {{0, 2}});
    array.At({1}) = TVariant::FromWideString(QStringLiteral("cast"));
    array.At({2}) = TVariant::FromArray(TVariantArray(VariantKind::Integer, {{1, 2}, {0, 0}}));
    stream.Filer.WriteVariant(TVariant::FromArray(array));
    stream.Filer.WriteFont({QStringLiteral("Arial"), 10, 0, true, true, false, false});
    stream.Filer.WritePicture(MakeGraphic(QStringLiteral("PNG"), QImage()).get());
    stream.Filer.WriteString("tail");
    stream.Filer.WriteFloat(2.5);
    stream.Filer.WriteExceptionMessage(QStringLiteral("x"));
    return stream.Bytes();
}

// Reads values of mixed kinds until the stream ends or a read fails.
void ReadEverything(TTypedFiler &filer)
{
    TFontDescription font;
    TVariant variant;
    QBuffer sink;
    sink.open(QIODevice::ReadWrite);
    for (int step = 0; filer.PeekType() != 0 && step < 64; ++step) {
        switch (filer.PeekType()) {
        case 3: filer.ReadString(); break;
        case 6: filer.ReadWideString(); break;
        case 8: filer.ReadFloat(); break;
        case 12: filer.ReadVariant(variant); break;
        case 15: filer.ReadException(); break;
        case 16: filer.ReadStream(sink); break;
        case 24: filer.ReadFont(font); break;
        case 25: filer.ReadPicture(); break;
        default: filer.ReadInteger(); break;
        }
    }
}

TEST(RobustnessTest, RandomDamageOnlyRaisesFilerErrors)
{
    const QByteArray record = SampleRecord();
    QRandomGenerator random(20261207);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = record.left(random.bounded(record.size() + 1));
        const int flips = random.bounded(1, 4);
        for (int i = 0; i < flips && !damaged.isEmpty(); ++i)
            damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
        TBufferFiler stream(damaged);
        try {
            ReadEverything(stream.Filer);
        } catch (const ETypedFilerError &) {
        } catch (const std::exception &error) {
            FAIL() << "round " << round << ": " << error.what() << " on " << damaged.toHex(' ').constData();
        }
    }
}

} // namespace
