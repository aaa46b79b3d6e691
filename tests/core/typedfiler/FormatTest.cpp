// Byte layout of every value kind, read back with its matching reader.
#include "FilerTestSupport.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TFormatRow
{
    const char *Name;
    std::function<void(TTypedFiler &)> Write;
    const char *Bytes;
    // Reads the value back and checks it.
    std::function<void(TTypedFiler &)> ReadBack;
};

// Rows show their name in test listings.
void PrintTo(const TFormatRow &row, std::ostream *out) { *out << row.Name; }

class FormatTest : public ::testing::TestWithParam<TFormatRow>
{
};

TEST_P(FormatTest, WritesExactBytesAndReadsThemBack)
{
    const TFormatRow &row = GetParam();
    TBufferFiler stream;
    row.Write(stream.Filer);
    EXPECT_EQ(stream.Bytes().toHex(' '), Hex(row.Bytes).toHex(' '));

    stream.Filer.SeekToStart();
    row.ReadBack(stream.Filer);
    EXPECT_TRUE(stream.Buffer.atEnd()) << "the read must consume exactly the value";
}

const QUuid SampleGuid{0x5E1ACCF9, 0xB894, 0x4969, 0x8C, 0xAF, 0x7A, 0x8B, 0x4D, 0xD9, 0xDE, 0x77};

// Builds a row whose reader expects the written value back.
template <typename T>
TFormatRow Row(const char *name, void (TTypedFiler::*write)(T), T value, T (TTypedFiler::*read)(),
               const char *bytes)
{
    return {name, [=](TTypedFiler &f) { (f.*write)(value); }, bytes,
            [=](TTypedFiler &f) { EXPECT_EQ((f.*read)(), value); }};
}

const TFormatRow FormatRows[] = {
    Row<qint32>("IntegerMinusTwo", &TTypedFiler::WriteInteger, -2, &TTypedFiler::ReadInteger, "0E FE FF FF FF"),
    Row<quint16>("Word513", &TTypedFiler::WriteWord, 513, &TTypedFiler::ReadWord, "0D 01 02"),
    Row<bool>("BooleanTrue", &TTypedFiler::WriteBoolean, true, &TTypedFiler::ReadBoolean, "07 01"),
    Row<bool>("BooleanFalse", &TTypedFiler::WriteBoolean, false, &TTypedFiler::ReadBoolean, "07 00"),
    Row<quint8>("Byte", &TTypedFiler::WriteByte, 0xFE, &TTypedFiler::ReadByte, "17 FE"),
    Row<qint8>("ShortInt", &TTypedFiler::WriteShortInt, -128, &TTypedFiler::ReadShortInt, "16 80"),
    Row<qint16>("SmallInt", &TTypedFiler::WriteSmallInt, -32767, &TTypedFiler::ReadSmallInt, "02 01 80"),
    Row<quint32>("Cardinal", &TTypedFiler::WriteCardinal, 0xDEADBEEF, &TTypedFiler::ReadCardinal, "01 EF BE AD DE"),
    Row<quint32>("ColorUnswapped", &TTypedFiler::WriteColor, 0x80112233, &TTypedFiler::ReadColor, "04 33 22 11 80"),
    Row<quint32>("IPAddressAsGiven", &TTypedFiler::WriteIPAddress, 0x0100007F, &TTypedFiler::ReadIPAddress,
                 "12 7F 00 00 01"),
    Row<quint32>("Version", &TTypedFiler::WriteVersion, 3, &TTypedFiler::ReadVersion, "13 03 00 00 00"),
    Row<qint64>("Int64", &TTypedFiler::WriteInt64, -2, &TTypedFiler::ReadInt64, "11 FE FF FF FF FF FF FF FF"),
    Row<qint64>("CurrencyOnePointFive", &TTypedFiler::WriteCurrency, 15000, &TTypedFiler::ReadCurrency,
                "0A 98 3A 00 00 00 00 00 00"),
    Row<double>("DateTime2000", &TTypedFiler::WriteDateTime, 36526.0, &TTypedFiler::ReadDateTime,
                "0B 00 00 00 00 C0 D5 E1 40"),
    Row<float>("Single", &TTypedFiler::WriteSingle, -1.5f, &TTypedFiler::ReadSingle, "09 00 00 C0 BF"),
    Row<double>("FloatOne", &TTypedFiler::WriteFloat, 1.0, &TTypedFiler::ReadFloat, "08 00 00 00 00 00 00 00 80 FF 3F"),
    Row<double>("FloatPi", &TTypedFiler::WriteFloat, std::numbers::pi, &TTypedFiler::ReadFloat,
                "08 00 C0 68 21 A2 DA 0F C9 00 40"),
    Row<quint16>("VariantType", &TTypedFiler::WriteVariantType, 0x2003, &TTypedFiler::ReadVariantType, "15 03 20"),
    {"GUID", [](TTypedFiler &f) { f.WriteGUID(SampleGuid); }, "05 F9 CC 1A 5E 94 B8 69 49 8C AF 7A 8B 4D D9 DE 77",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadGUID(), SampleGuid); }},
    {"String", [](TTypedFiler &f) { f.WriteString("abc"); }, "03 01 03 00 00 00 61 62 63",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadString(), QByteArray("abc")); }},
    {"EmptyString", [](TTypedFiler &f) { f.WriteString({}); }, "03 01 00 00 00 00",
     [](TTypedFiler &f) { EXPECT_TRUE(f.ReadString().isEmpty()); }},
    {"WideString", [](TTypedFiler &f) { f.WriteWideString(QStringLiteral("ab\u20AC")); },
     "06 01 06 00 00 00 61 00 62 00 AC 20",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadWideString(), QStringLiteral("ab\u20AC")); }},
    {"EmptyWideString", [](TTypedFiler &f) { f.WriteWideString({}); }, "06 01 00 00 00 00",
     [](TTypedFiler &f) { EXPECT_TRUE(f.ReadWideString().isEmpty()); }},
    {"LoneSurrogateKept", [](TTypedFiler &f) { f.WriteWideString(QString(QChar(0xD800))); }, "06 01 02 00 00 00 00 D8",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadWideString(), QString(QChar(0xD800))); }},
    {"ExceptionMessage", [](TTypedFiler &f) { f.WriteExceptionMessage(QStringLiteral("No \u20AC")); },
     "0F 03 01 04 00 00 00 4E 6F 20 80",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadException().message(), QStringLiteral("No \u20AC")); }},
    {"Exception", [](TTypedFiler &f) { f.WriteException(EVelmoraError(QStringLiteral("No \u20AC"))); },
     "0F 03 01 04 00 00 00 4E 6F 20 80",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadException().message(), QStringLiteral("No \u20AC")); }},
    {"Font",
     [](TTypedFiler &f) { f.WriteFont({QStringLiteral("Arial"), 12, 0x00FF00, true, false, true, false}); },
     "18 03 01 05 00 00 00 41 72 69 61 6C 0E 0C 00 00 00 0E 00 FF 00 00 07 01 07 00 07 01 07 00",
     [](TTypedFiler &f) {
         TFontDescription font{QStringLiteral("old"), 1, 2, false, true, false, true};
         f.ReadFont(font);
         EXPECT_EQ(font, (TFontDescription{QStringLiteral("Arial"), 12, 0x00FF00, true, false, true, false}));
     }},
    {"NoPicture", [](TTypedFiler &f) { f.WritePicture(nullptr); }, "19 03 01 07 00 00 00 3C 45 4D 50 54 59 3E",
     [](TTypedFiler &f) { EXPECT_EQ(f.ReadPicture(), nullptr); }},
};

INSTANTIATE_TEST_SUITE_P(Values, FormatTest, ::testing::ValuesIn(FormatRows),
                         [](const auto &info) { return std::string(info.param.Name); });

TEST(FormatTest, BooleanReadsAnyNonZeroByteAsTrue)
{
    TBufferFiler stream(Hex("07 02"));
    EXPECT_TRUE(stream.Filer.ReadBoolean());
}

TEST(FormatTest, OddWideStringByteCountDropsTheLastByte)
{
    TBufferFiler stream(Hex("06 01 05 00 00 00 61 00 62 00 63 07 01"));
    EXPECT_EQ(stream.Filer.ReadWideString(), QStringLiteral("ab"));
    EXPECT_TRUE(stream.Filer.ReadBoolean()) << "all five bytes are consumed";
}

TEST(FormatTest, NestedStreamCopiesFromSourceStartAndLeavesSourceAtEnd)
{
    QBuffer source;
    source.setData(Hex("AA BB"));
    source.open(QIODevice::ReadOnly);
    source.seek(1);
    TBufferFiler stream;
    stream.Filer.WriteStream(source, true);
    EXPECT_EQ(stream.Bytes(), Hex("10 11 02 00 00 00 00 00 00 00 AA BB"));
    EXPECT_TRUE(source.atEnd());

    // From the current position only when not asked to start over.
    source.seek(1);
    TBufferFiler partial;
    partial.Filer.WriteStream(source, false);
    EXPECT_EQ(partial.Bytes(), Hex("10 11 01 00 00 00 00 00 00 00 BB"));
}

TEST(FormatTest, ReadStreamAppendsAtDestinationPositionThenRewinds)
{
    TBufferFiler stream(Hex("10 11 02 00 00 00 00 00 00 00 AA BB 10 11 00 00 00 00 00 00 00 00"));
    QBuffer destination;
    destination.setData(Hex("01 02 03"));
    destination.open(QIODevice::ReadWrite);
    destination.seek(3);
    stream.Filer.ReadStream(destination);
    EXPECT_EQ(destination.data(), Hex("01 02 03 AA BB"));
    EXPECT_EQ(destination.pos(), 0);

    // An empty nested stream leaves the destination's position alone.
    destination.seek(2);
    stream.Filer.ReadStream(destination);
    EXPECT_EQ(destination.pos(), 2);
    EXPECT_EQ(destination.data().size(), 5);
}

TEST(FormatTest, TypeNamesIncludingUnknownTags)
{
    EXPECT_EQ(TypeName(quint8(0)), QStringLiteral("Empty"));
    EXPECT_EQ(TypeName(TTypeTag::Widestring), QStringLiteral("Widestring"));
    EXPECT_EQ(TypeName(TTypeTag::IPAddress), QStringLiteral("IP Address"));
    EXPECT_EQ(TypeName(TTypeTag::CompressedStream), QStringLiteral("Compressed Stream"));
    EXPECT_EQ(TypeName(quint8(27)), QStringLiteral("Unknow Type : $1B"));
    EXPECT_EQ(TypeName(quint8(0xFF)), QStringLiteral("Unknow Type : $FF"));
}

} // namespace
