// Reads and writes that must fail: exact messages and where the stream is left.
#include "FilerTestSupport.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::test;

namespace {

struct TFailureRow
{
    const char *Name;
    const char *Stream;
    std::function<void(TTypedFiler &)> Action;
    const char *Message;
    qint64 PositionAfter;
};

// Rows show their name in test listings.
void PrintTo(const TFailureRow &row, std::ostream *out) { *out << row.Name; }

class FailureTest : public ::testing::TestWithParam<TFailureRow>
{
};

TEST_P(FailureTest, FailsWithMessageAndLeavesPosition)
{
    const TFailureRow &row = GetParam();
    TBufferFiler stream(Hex(row.Stream));
    EXPECT_EQ(MessageOf([&] { row.Action(stream.Filer); }), QString::fromUtf8(row.Message));
    EXPECT_EQ(stream.Buffer.pos(), row.PositionAfter);
    EXPECT_EQ(stream.Bytes(), Hex(row.Stream)) << "a failing call must not write";
}

const char *const HugeLengthString = "03 01 FF FF FF FF 61 62";

const TFailureRow FailureRows[] = {
    {"CardinalReadAsInteger", "01 05 00 00 00", [](TTypedFiler &f) { f.ReadInteger(); },
     "Type Cardinal found and Integer expected in stream.", 1},
    {"UnknownTagReadAsWord", "1B 00 00", [](TTypedFiler &f) { f.ReadWord(); },
     "Type Unknow Type : $1B found and Word expected in stream.", 1},
    {"EmptyStream", "", [](TTypedFiler &f) { f.ReadInteger(); }, "End of Stream, cannot read Type", 0},
    {"AtEnd", "07 01", [](TTypedFiler &f) { f.ReadBoolean(); f.ReadBoolean(); }, "End of Stream, cannot read Type", 2},
    {"ShortPayload", "0E 01 02", [](TTypedFiler &f) { f.ReadInteger(); }, "Stream read error", 3},
    {"ShortFloat", "08 00 00 00", [](TTypedFiler &f) { f.ReadFloat(); }, "Stream read error", 4},
    {"StringLengthAsInteger", "03 0E 03 00 00 00 61 62 63", [](TTypedFiler &f) { f.ReadString(); },
     "Type Integer found and Cardinal expected in stream.", 2},
    {"StringWithoutLength", "03", [](TTypedFiler &f) { f.ReadString(); }, "End of Stream, cannot read Type", 1},
    {"ExceptionOnEmptyStream", "", [](TTypedFiler &f) { f.ReadException(); }, "Stream read error", 0},
    {"ExceptionWrongTag", "03 01 00 00 00 00", [](TTypedFiler &f) { f.ReadException(); },
     "Type String found and Exception expected in stream.", 1},
    {"FontBadBoolean", "18 03 01 01 00 00 00 58 0E 01 00 00 00 0E 02 00 00 00 07 01 0E",
     [](TTypedFiler &f) {
         TFontDescription font{QStringLiteral("keep"), 0, 0, false, false, false, false};
         try {
             f.ReadFont(font);
         } catch (const ETypedFilerError &) {
             // Size, colour and the styles read so far stay applied; the name is set last.
             EXPECT_EQ(font, (TFontDescription{QStringLiteral("keep"), 1, 2, true, false, false, false}));
             throw;
         }
     },
     "Type Integer found and Boolean expected in stream.", 21},
    {"PictureUnknownFormat", "19 03 01 03 00 00 00 47 49 46", [](TTypedFiler &f) { f.ReadPicture(); },
     "Class not found in TypedStream.ReadPicture : GIF", 10},
    {"PictureFollowedByInteger", "19 03 01 03 00 00 00 50 4E 47 0E 00 00 00 00",
     [](TTypedFiler &f) { f.ReadPicture(); }, "Type E found in Picture Stream expecting string of stream.", 10},
    {"PictureAtEnd", "19 03 01 03 00 00 00 50 4E 47", [](TTypedFiler &f) { f.ReadPicture(); },
     "Type 0 found in Picture Stream expecting string of stream.", 10},
    {"PictureUndecodable", "19 03 01 03 00 00 00 50 4E 47 10 11 02 00 00 00 00 00 00 00 01 02",
     [](TTypedFiler &f) { f.ReadPicture(); }, "Picture stream holds no readable 'PNG' image", 22},
    {"ReadEncrypted", "10", [](TTypedFiler &f) { QBuffer b; f.ReadEncryptedStream(b); },
     "TTypedFiler has not been compiled with encryption support", 0},
    {"WriteEncrypted", "", [](TTypedFiler &f) { QBuffer b; f.WriteEncryptedStream(b); },
     "TTypedFiler has not been compiled with encryption support", 0},
    {"ReadCompressed", "10", [](TTypedFiler &f) { QBuffer b; f.ReadCompressedStream(b); },
     "TTypedFiler has not been compiled with compression support", 0},
    {"WriteCompressed", "", [](TTypedFiler &f) { QBuffer b; f.WriteCompressedStream(b); },
     "TTypedFiler has not been compiled with compression support", 0},
    // Lengths beyond the end of the stream: refused, and the rest of the stream is consumed.
    {"HugeString", HugeLengthString, [](TTypedFiler &f) { f.ReadString(); }, "Stream read error", 8},
    {"HugeWideString", "06 01 FF FF FF FF 61 00", [](TTypedFiler &f) { f.ReadWideString(); }, "Stream read error", 8},
    {"HugeStream", "10 11 FF FF FF FF FF FF FF 7F AA",
     [](TTypedFiler &f) { QBuffer b; b.open(QIODevice::ReadWrite); f.ReadStream(b); EXPECT_EQ(b.size(), 0); },
     "Stream read error", 11},
    {"HugePictureStream", "19 03 01 03 00 00 00 50 4E 47 10 11 00 00 00 00 00 00 00 40",
     [](TTypedFiler &f) { f.ReadPicture(); }, "Stream read error", 20},
};

INSTANTIATE_TEST_SUITE_P(Rows, FailureTest, ::testing::ValuesIn(FailureRows),
                         [](const auto &info) { return std::string(info.param.Name); });

// Caps the address space a little above what the process uses now, so any attempt to
// allocate gigabytes for a length field fails instead of quietly succeeding.
class TAddressSpaceCap
{
public:
    TAddressSpaceCap()
    {
        getrlimit(RLIMIT_AS, &m_saved);
        rlimit capped = m_saved;
        capped.rlim_cur = CurrentAddressSpace() + 512ull * 1024 * 1024;
        setrlimit(RLIMIT_AS, &capped);
    }
    ~TAddressSpaceCap() { setrlimit(RLIMIT_AS, &m_saved); }

private:
    static rlim_t CurrentAddressSpace()
    {
        QFile status(QStringLiteral("/proc/self/status"));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmSize:"))
                return line.mid(7).trimmed().split(' ').first().toULongLong() * 1024;
        }
        return RLIM_INFINITY / 2;
    }
    rlimit m_saved{};
};

TEST(HostileInputTest, HugeLengthsFailBeforeAllocating)
{
    for (const char *bytes : {HugeLengthString, "06 01 FE FF FF FF 61 00"}) {
        TBufferFiler stream(Hex(bytes));
        TAddressSpaceCap cap;
        try {
            if (stream.Bytes().at(0) == 3)
                stream.Filer.ReadString();
            else
                stream.Filer.ReadWideString();
            ADD_FAILURE() << "no error for " << bytes;
        } catch (const ETypedFilerError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Stream read error"));
        } catch (const std::bad_alloc &) {
            ADD_FAILURE() << "allocated for the length field of " << bytes;
        }
    }
}

TEST(DeviceTest, NullDeviceIsRefused)
{
    EXPECT_EQ(MessageOf([] { TTypedFiler filer(nullptr); }),
              QStringLiteral("TTypedFiler cannot be assigned to a null stream"));
}

TEST(DeviceTest, WriteToReadOnlyDeviceFails)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadOnly);
    TTypedFiler filer(&buffer);
    EXPECT_EQ(MessageOf([&] { filer.WriteInteger(1); }), QStringLiteral("Stream write error"));
}

TEST(DeviceTest, PeekTypeDoesNotConsume)
{
    TBufferFiler stream(Hex("1B 07 01"));
    EXPECT_EQ(stream.Filer.PeekType(), 0x1B) << "unknown tags are reported as they are";
    stream.Buffer.seek(1);
    EXPECT_EQ(stream.Filer.PeekType(), 7);
    EXPECT_TRUE(stream.Filer.ReadBoolean());
    EXPECT_EQ(stream.Filer.PeekType(), 0);
}

TEST(DeviceTest, ReadBytesToleratesShortStreams)
{
    TBufferFiler stream(Hex("01 02 03 04"));
    QByteArray fresh;
    stream.Filer.ReadBytes(9, fresh);
    EXPECT_EQ(fresh, Hex("01 02 03 04 00 00 00 00 00"));

    // Bytes the stream did not supply keep what the array held.
    stream.Filer.SeekToStart();
    QByteArray held = Hex("AA BB CC DD EE FF");
    stream.Filer.ReadBytes(5, held);
    EXPECT_EQ(held, Hex("01 02 03 04 EE"));

    QByteArray none = Hex("AA");
    stream.Filer.ReadBytes(-3, none);
    EXPECT_TRUE(none.isEmpty());
}

// A file in a temporary folder: clearing truncates it, and several filers share it.
TEST(DeviceTest, FileDeviceClearSeekAndSharedFilers)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath(QStringLiteral("values.bin")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    TTypedFiler writer(&file);
    TTypedFiler reader(&file);
    writer.WriteBytes("VELMORA01");
    writer.WriteString("TVmElementText");
    writer.WriteWideString(QStringLiteral("Directed by"));
    EXPECT_EQ(writer.SeekToEnd(), file.size());
    EXPECT_EQ(writer.SeekToStart(), 0);

    QByteArray signature;
    reader.ReadBytes(9, signature);
    EXPECT_EQ(signature, QByteArray("VELMORA01"));
    EXPECT_EQ(writer.ReadString(), QByteArray("TVmElementText"));
    EXPECT_EQ(reader.ReadWideString(), QStringLiteral("Directed by"));

    writer.Clear();
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(file.pos(), 0);
    EXPECT_EQ(MessageOf([&] { reader.ReadInteger(); }), QStringLiteral("End of Stream, cannot read Type"));

    TBufferFiler memory(Hex("07 01"));
    memory.Filer.Clear();
    EXPECT_TRUE(memory.Bytes().isEmpty());
    EXPECT_EQ(memory.Buffer.pos(), 0);
}

} // namespace
