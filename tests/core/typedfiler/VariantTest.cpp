// Variants: every built-in kind, arrays, custom kinds and crafted input.
#include "FilerTestSupport.h"

#include "core/typedfiler/CustomVariantKinds.h"

#include <gtest/gtest.h>

#include <QPoint>
#include <QtEndian>

#include <numbers>

using namespace velmora;
using namespace velmora::test;
namespace K = VariantKind;

namespace {

struct TVariantRow
{
    const char *Name;
    TVariant Written;
    const char *Bytes;
    TVariant ReadBack;
};

// Rows show their name in test listings.
void PrintTo(const TVariantRow &row, std::ostream *out) { *out << row.Name; }

class VariantFormatTest : public ::testing::TestWithParam<TVariantRow>
{
};

TEST_P(VariantFormatTest, WritesBodyOfItsKindAndReadsBack)
{
    const TVariantRow &row = GetParam();
    TBufferFiler stream;
    stream.Filer.WriteVariant(row.Written);
    EXPECT_EQ(stream.Bytes().toHex(' '), Hex(row.Bytes).toHex(' '));
    stream.Filer.SeekToStart();
    TVariant read = TVariant::FromInteger(K::Integer, 99);
    stream.Filer.ReadVariant(read);
    EXPECT_TRUE(read == row.ReadBack) << "kind " << read.Kind();
    EXPECT_TRUE(stream.Buffer.atEnd());
}

const TVariantRow VariantRows[] = {
    {"Empty", TVariant(), "0C 15 00 00", TVariant()},
    {"Null", TVariant::Null(), "0C 15 01 00", TVariant::Null()},
    {"SmallInt", TVariant::FromInteger(K::SmallInt, -2), "0C 15 02 00 02 FE FF", TVariant::FromInteger(K::SmallInt, -2)},
    {"Integer", TVariant::FromInteger(K::Integer, 7), "0C 15 03 00 0E 07 00 00 00", TVariant::FromInteger(K::Integer, 7)},
    {"SingleComesBackDouble", TVariant::FromReal(K::Single, 1.5), "0C 15 04 00 09 00 00 C0 3F",
     TVariant::FromReal(K::Double, 1.5)},
    {"Double", TVariant::FromReal(K::Double, std::numbers::pi), "0C 15 05 00 08 00 C0 68 21 A2 DA 0F C9 00 40",
     TVariant::FromReal(K::Double, std::numbers::pi)},
    {"Currency", TVariant::FromCurrency(15000), "0C 15 06 00 0A 98 3A 00 00 00 00 00 00", TVariant::FromCurrency(15000)},
    {"Date", TVariant::FromReal(K::Date, 36526.0), "0C 15 07 00 0B 00 00 00 00 C0 D5 E1 40",
     TVariant::FromReal(K::Date, 36526.0)},
    {"WideString", TVariant::FromWideString(QStringLiteral("ab")), "0C 15 08 00 06 01 04 00 00 00 61 00 62 00",
     TVariant::FromWideString(QStringLiteral("ab"))},
    {"Boolean", TVariant::FromBoolean(true), "0C 15 0B 00 07 01", TVariant::FromBoolean(true)},
    {"ShortInt", TVariant::FromInteger(K::ShortInt, -1), "0C 15 10 00 16 FF", TVariant::FromInteger(K::ShortInt, -1)},
    {"Byte", TVariant::FromInteger(K::Byte, 200), "0C 15 11 00 17 C8", TVariant::FromInteger(K::Byte, 200)},
    {"Word", TVariant::FromInteger(K::Word, 513), "0C 15 12 00 0D 01 02", TVariant::FromInteger(K::Word, 513)},
    {"LongWordComesBackInt64", TVariant::FromInteger(K::LongWord, 0xFFFFFFFF),
     "0C 15 13 00 11 FF FF FF FF 00 00 00 00", TVariant::FromInteger(K::Int64, 0xFFFFFFFF)},
    {"Int64", TVariant::FromInteger(K::Int64, -3), "0C 15 14 00 11 FD FF FF FF FF FF FF FF",
     TVariant::FromInteger(K::Int64, -3)},
    {"String", TVariant::FromString("abc"), "0C 15 00 01 03 01 03 00 00 00 61 62 63", TVariant::FromString("abc")},
};

INSTANTIATE_TEST_SUITE_P(Kinds, VariantFormatTest, ::testing::ValuesIn(VariantRows),
                         [](const auto &info) { return std::string(info.param.Name); });

TEST(VariantTest, TwoDimensionalArrayVisitsLastDimensionFastest)
{
    TVariantArray array(K::Integer, {{0, 1}, {0, 2}});
    for (qint32 i = 0; i <= 1; ++i) {
        for (qint32 j = 0; j <= 2; ++j)
            array.At({i, j}) = TVariant::FromInteger(K::Integer, 10 * i + j);
    }
    const TVariant written = TVariant::FromArray(array);
    TBufferFiler stream;
    stream.Filer.WriteVariant(written);

    QByteArray expected = Hex("0C 15 03 20 0E 02 00 00 00 0E 00 00 00 00 0E 01 00 00 00 0E 00 00 00 00 0E 02 00 00 00");
    for (qint32 value : {0, 1, 2, 10, 11, 12})
        expected += Hex("0C 15 03 00 0E") + QByteArray(1, char(value)) + QByteArray(3, '\0');
    EXPECT_EQ(stream.Bytes(), expected);

    stream.Filer.SeekToStart();
    TVariant read;
    stream.Filer.ReadVariant(read);
    EXPECT_TRUE(read == written);
}

// A variant array holding one variant array, depth levels deep.
TVariant Nested(int depth)
{
    TVariant inner = TVariant::FromWideString(QStringLiteral("core"));
    for (int level = 0; level < depth; ++level) {
        TVariantArray array(K::Variant, {{1, 1}});
        array.At({1}) = inner;
        inner = TVariant::FromArray(std::move(array));
    }
    return inner;
}

TEST(VariantTest, NestingIsBoundedAtSixteenLevels)
{
    TBufferFiler deepest;
    deepest.Filer.WriteVariant(Nested(TTypedFiler::MaxVariantArrayDepth));
    deepest.Filer.SeekToStart();
    TVariant read;
    deepest.Filer.ReadVariant(read);
    EXPECT_TRUE(read == Nested(TTypedFiler::MaxVariantArrayDepth));

    TBufferFiler tooDeep;
    tooDeep.Filer.WriteVariant(Nested(TTypedFiler::MaxVariantArrayDepth + 1));
    tooDeep.Filer.SeekToStart();
    EXPECT_EQ(MessageOf([&] { tooDeep.Filer.ReadVariant(read); }),
              QStringLiteral("Variant arrays nested deeper than 16 levels in stream"));
    EXPECT_TRUE(read == TVariant()) << "a failed read leaves the outer value empty";
}

TEST(VariantTest, CraftedArraysFailWithoutBuildingThem)
{
    const struct {
        const char *Bytes;
        const char *Message;
    } rows[] = {
        {"0C 15 0C 20 0E FF FF FF FF", "Variant array with -1 dimensions in stream"},
        {"0C 15 0C 20 0E 41 00 00 00", "Variant array with 65 dimensions in stream"},
        // 2^31 x 2^31 elements promised, one short element present.
        {"0C 15 0C 20 0E 02 00 00 00 0E 00 00 00 00 0E FF FF FF 7F 0E 00 00 00 00 0E FF FF FF 7F 0C 15 00 00",
         "Stream read error"},
        {"0C 15 03 20 0E 01 00 00 00 0E 00 00 00 00 0E 02 00 00 00 0C 15 00 00 0C 15 00 00", "Stream read error"},
    };
    for (const auto &row : rows) {
        TBufferFiler stream(Hex(row.Bytes));
        TVariant read;
        EXPECT_EQ(MessageOf([&] { stream.Filer.ReadVariant(read); }), QString::fromLatin1(row.Message)) << row.Bytes;
    }
}

TEST(VariantTest, ReferenceFlagAloneReadsTheValueItStandsFor)
{
    TBufferFiler stream(Hex("0C 15 03 40 0E 05 00 00 00 07 01"));
    TVariant read;
    stream.Filer.ReadVariant(read);
    EXPECT_TRUE(read == TVariant::FromInteger(K::Integer, 5));
    EXPECT_TRUE(stream.Filer.ReadBoolean());
}

// A point kind that streams as two little-endian integers.
class TPointKind : public ICustomVariantKind, public IVariantStreamable
{
public:
    quint16 Code() const override { return 0x10F; }
    QString Name() const override { return QStringLiteral("Point"); }
    QString ToText(const QVariant &) const override { return {}; }
    void SaveValue(const QVariant &value, QIODevice &device) const override
    {
        const QPoint point = value.toPoint();
        char bytes[8];
        qToLittleEndian<qint32>(point.x(), bytes);
        qToLittleEndian<qint32>(point.y(), bytes + 4);
        device.write(bytes, 8);
    }
    QVariant LoadValue(QIODevice &device) const override
    {
        const QByteArray bytes = device.read(8);
        return QPoint(qFromLittleEndian<qint32>(bytes.constData()), qFromLittleEndian<qint32>(bytes.constData() + 4));
    }
};

// A kind that has only a text form.
class TLabelKind : public ICustomVariantKind
{
public:
    quint16 Code() const override { return 0x110; }
    QString Name() const override { return QStringLiteral("Label"); }
    QString ToText(const QVariant &value) const override { return QStringLiteral("label ") + value.toString(); }
};

TEST(VariantTest, CustomKindsStreamOrFallBackToText)
{
    RegisterCustomVariantKind(std::make_shared<TPointKind>());
    RegisterCustomVariantKind(std::make_shared<TLabelKind>());
    TBufferFiler stream;
    const TVariant point = TVariant::FromCustom(0x10F, QPoint(3, -4));
    stream.Filer.WriteVariant(point);
    EXPECT_EQ(stream.Bytes(), Hex("0C 15 0F 01 03 01 05 00 00 00 50 6F 69 6E 74 "
                                  "10 11 08 00 00 00 00 00 00 00 03 00 00 00 FC FF FF FF"));
    stream.Filer.SeekToStart();
    TVariant read;
    stream.Filer.ReadVariant(read);
    EXPECT_TRUE(read == point);

    // A known kind that cannot stream: text on the way out, refused on the way in.
    TBufferFiler label;
    label.Filer.WriteVariant(TVariant::FromCustom(0x110, QStringLiteral("x")));
    EXPECT_EQ(label.Bytes(), Hex("0C 15 10 01 03 01 07 00 00 00 6C 61 62 65 6C 20 78"));
    TBufferFiler named(Hex("0C 15 10 01 03 01 05 00 00 00 4C 61 62 65 6C 10 11 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(MessageOf([&] { named.Filer.ReadVariant(read); }),
              QStringLiteral("Custom Variant of type \"Label\" not registered or Is not streamable in "
                             "TTypedStream.ReadVariant"));
    EXPECT_TRUE(UnregisterCustomVariantKind(0x10F));
    EXPECT_TRUE(UnregisterCustomVariantKind(0x110));
}

TEST(VariantTest, UnknownKindIsWrittenAsTextAndCannotBeReadBack)
{
    TBufferFiler stream;
    stream.Filer.WriteVariant(TVariant::FromCustom(K::Dispatch, QStringLiteral("obj")));
    EXPECT_EQ(stream.Bytes(), Hex("0C 15 09 00 03 01 03 00 00 00 6F 62 6A"));
    stream.Filer.WriteInteger(1);
    stream.Filer.SeekToStart();
    TVariant read;
    EXPECT_EQ(MessageOf([&] { stream.Filer.ReadVariant(read); }),
              QStringLiteral("Type Integer found and Stream expected in stream."));
}

} // namespace
