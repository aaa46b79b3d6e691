// Element records: exact bytes, older versions, embedded images and round trips.
#include "core/elements/ElementColumns.h"
#include "core/elements/ElementImage.h"
#include "core/document/ElementCatalogue.h"
#include "core/elements/ElementProject.h"
#include "core/elements/ElementText.h"
#include "core/elements/EmbeddedImage.h"
#include "core/typedfiler/TypeTags.h"
#include "core/typedfiler/TypedFiler.h"
#include "core/typedfiler/TypedFilerError.h"
#include "support/RecordBytes.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QColorSpace>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test::bytes;

namespace {

QByteArray Save(const IElement &element)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    element.SaveToStream(buffer);
    return data;
}

// Loads data into a fresh element of kind; returns how many bytes it consumed.
qint64 Load(IElement &element, const QByteArray &data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    element.LoadFromStream(buffer);
    return buffer.pos();
}

QString Caption(const IElement &element)
{
    QString caption;
    element.GetCaption(-1, caption);
    return caption;
}

TEST(Records, ColumnRecordIsItsCaption)
{
    TVmElementColumn column;
    EXPECT_EQ(Save(column), QByteArray::fromHex("06010C000000") + Utf16(QStringLiteral("Column")));
    column.SetCaption(-1, QString());
    EXPECT_EQ(Save(column), QByteArray::fromHex("060100000000"));
    TVmElementColumns columns;
    Load(columns, WideString(QStringLiteral("Cast")));
    EXPECT_EQ(Caption(columns), QStringLiteral("Cast"));
}

TEST(Records, DefaultRecordsAreExact)
{
    EXPECT_EQ(Save(TVmElementProject()), DefaultProjectRecord());
    EXPECT_TRUE(Save(TVmElementProject()).startsWith(QByteArray::fromHex("130500000006")));
    EXPECT_EQ(Save(TVmElementText()), Cat({Version(3), WideString(QStringLiteral("Text Element")), String("Arial"),
        Integer(14), Cardinal(0xFFFFFFFF), Integer(1), Integer(0), Integer(0), Boolean(false), Integer(0)}));
    EXPECT_EQ(Save(TVmElementImage()), Cat({Version(1), String(""), String("<none>"), Boolean(false), Integer(0),
        Integer(0), Integer(1), Integer(0), Integer(0), Boolean(false), Integer(0)}));
}

// Every element read from a record of a version it does not know keeps all its defaults,
// reads only the version value, and raises nothing.
TEST(Records, UnknownVersionsLoadNothing)
{
    const std::vector<std::pair<const char *, quint32>> rows{{"TVmElementProject", 0}, {"TVmElementProject", 2},
        {"TVmElementProject", 6}, {"TVmElementText", 0}, {"TVmElementText", 4}, {"TVmElementImage", 0},
        {"TVmElementImage", 3}};
    for (const auto &[kind, version] : rows) {
        SCOPED_TRACE(std::string(kind) + " v" + std::to_string(version));
        std::unique_ptr<IElement> fresh = CreateElement(kind);
        std::unique_ptr<IElement> loaded = CreateElement(kind);
        const QByteArray record = Version(version) + WideString(QStringLiteral("x")) + Integer(1);
        EXPECT_EQ(Load(*loaded, record), 5);
        EXPECT_EQ(Save(*loaded), Save(*fresh));
    }
}

TEST(Records, ProjectVersionsReadTheirValues)
{
    const QByteArray v3 = Cat({Version(3), WideString(QStringLiteral("Caf\u00e9")), Integer(480), Integer(640),
        Integer(2), Cardinal(0x80102030)});
    TVmElementProject p3;
    Load(p3, v3);
    EXPECT_EQ(Caption(p3), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(p3.GetHeight(), 480);
    EXPECT_EQ(p3.GetWidth(), 640);
    EXPECT_EQ(p3.GetContentSize(), 2);
    EXPECT_EQ(p3.GetBackColor(), 0x80102030u);
    EXPECT_EQ(p3.GetBackground(), nullptr);
    EXPECT_EQ(p3.GetWrapMode(), 4);
    EXPECT_EQ(p3.GetFrameRate(), 25);
    EXPECT_EQ(p3.GetScrollRate(), 4);

    TVmElementProject p4;
    QByteArray v4 = Cat({v3, String("<none>"), Integer(2)});
    v4[1] = 4;
    Load(p4, v4);
    EXPECT_EQ(p4.GetWrapMode(), 2);
    EXPECT_EQ(p4.GetFrameRate(), 25);

    TVmElementProject p5;
    QByteArray v5 = Cat({v3, String("<none>"), Integer(1), Integer(30), Integer(7)});
    v5[1] = 5;
    Load(p5, v5);
    EXPECT_EQ(p5.GetWrapMode(), 1);
    EXPECT_EQ(p5.GetFrameRate(), 30);
    EXPECT_EQ(p5.GetScrollRate(), 7);
    // Names outside the code page are narrowed on reading.
    TVmElementProject wide;
    QByteArray named = v5;
    named.replace(WideString(QStringLiteral("Caf\u00e9")), WideString(QStringLiteral("\u4e2d")));
    Load(wide, named);
    EXPECT_EQ(Caption(wide), QStringLiteral("?"));
}

// The start timecode follows the styles (an empty list when there are none) and is written
// only when set, so every other project keeps the bytes it had.
TEST(Records, StartTimecodeIsWrittenOnlyWhenSetAndReadBack)
{
    const QByteArray emptyStyles = Cat({String("VmProjectStyles"), Version(1), Integer(0)});
    const QByteArray startSection = Cat({String("VmStartTimecode"), Version(1), String("01:00:00;00")});
    TVmElementProject project;
    project.SetStartTimecode(QStringLiteral("01:00:00;00"));
    const QByteArray record = Save(project);
    EXPECT_EQ(record, DefaultProjectRecord() + emptyStyles + startSection);
    TVmElementProject loaded;
    EXPECT_EQ(Load(loaded, record), record.size());
    EXPECT_EQ(loaded.GetStartTimecode(), QStringLiteral("01:00:00;00"));
    EXPECT_TRUE(loaded.GetStyles().empty());
    project.SetStartTimecode(QString());
    EXPECT_EQ(Save(project), DefaultProjectRecord());
    // With styles the list is the one the project has, and reading it back leaves both.
    project.SetStyles({TProjectStyle{QStringLiteral("Name")}});
    const QByteArray styled = Save(project);
    project.SetStartTimecode(QStringLiteral("10:00:00:00"));
    const QByteArray styledWithStart = Save(project);
    EXPECT_EQ(styledWithStart.left(styled.size()), styled);
    TVmElementProject both;
    Load(both, styledWithStart);
    EXPECT_EQ(both.GetStyles().size(), 1u);
    EXPECT_EQ(both.GetStartTimecode(), QStringLiteral("10:00:00:00"));
}

// The NTSC form of the rate follows the start timecode (or the empty styles) and is written only
// when set: a project at a whole rate keeps its bytes, and a build that does not know the mark
// stops reading there.
TEST(Records, NtscRateIsAnExtensionWrittenOnlyWhenSet)
{
    const QByteArray emptyStyles = Cat({String("VmProjectStyles"), Version(1), Integer(0)});
    const QByteArray ntsc = Cat({String("VmNtscRate"), Version(1), Integer(1)});
    const QByteArray start = Cat({String("VmStartTimecode"), Version(1), String("01:00:00;00")});
    TVmElementProject project;
    project.SetFrameRate(30);
    const QByteArray whole = Save(project);
    project.SetNtscRate(true);
    EXPECT_EQ(Save(project), whole + emptyStyles + ntsc);
    project.SetStartTimecode(QStringLiteral("01:00:00;00"));
    const QByteArray both = Save(project);
    EXPECT_EQ(both, whole + emptyStyles + start + ntsc);
    TVmElementProject loaded;
    EXPECT_EQ(Load(loaded, both), both.size());
    EXPECT_TRUE(loaded.GetNtscRate());
    EXPECT_EQ(loaded.GetFrameRate(), 30);
    EXPECT_EQ(loaded.GetStartTimecode(), QStringLiteral("01:00:00;00"));
    project.SetNtscRate(false);
    project.SetStartTimecode(QString());
    EXPECT_EQ(Save(project), whole);
    TVmElementProject again;
    Load(again, whole);
    EXPECT_FALSE(again.GetNtscRate());
}

// What follows the styles may be anything an editor or a damaged file left: a start that is no
// timecode is dropped, a section of a later layout is let be, a cut one fails as a record does.
TEST(Records, CraftedStartTimecodesNeverLoadGarbage)
{
    const QByteArray head = DefaultProjectRecord() + Cat({String("VmProjectStyles"), Version(1), Integer(0)});
    const struct { const char *Name; QByteArray Tail; const char *Start; bool Throws; } rows[] = {
        {"timecode", Cat({String("VmStartTimecode"), Version(1), String("23:59:59:24")}), "23:59:59:24", false},
        {"not a timecode", Cat({String("VmStartTimecode"), Version(1), String("1:00:00:00")}), "", false},
        {"text around it", Cat({String("VmStartTimecode"), Version(1), String("01:00:00:00\n; rm")}), "", false},
        {"later layout", Cat({String("VmStartTimecode"), Version(2), Integer(7)}), "", false},
        {"another section", Cat({String("VmSomethingElse"), Version(1)}), "", false},
        {"not a string", Integer(5), "", false},
        {"cut after the mark", String("VmStartTimecode"), "", true},
        {"cut in the text", Cat({String("VmStartTimecode"), Version(1), String("01:00:00:00")}).chopped(4), "", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Name);
        TVmElementProject project;
        if (row.Throws) {
            EXPECT_THROW(Load(project, head + row.Tail), ETypedFilerError);
            continue;
        }
        Load(project, head + row.Tail);
        EXPECT_EQ(project.GetStartTimecode(), QString::fromLatin1(row.Start));
    }
}

TEST(Records, TextVersionsReadTheirValues)
{
    const QByteArray head = Cat({WideString(QStringLiteral("A\r\nB")), String("Liberation Serif"), Integer(20),
        Cardinal(0xFF00FF00)});
    const QByteArray v2 = Integer(2);
    const QByteArray v3 = Cat({Integer(0x102), Integer(-5), Boolean(true), Integer(40)});
    for (quint32 version : {1u, 2u, 3u}) {
        SCOPED_TRACE(version);
        QByteArray record = Version(version) + head;
        if (version >= 2)
            record += v2;
        if (version >= 3)
            record += v3;
        TVmElementText text;
        EXPECT_EQ(Load(text, record), record.size());
        QString value;
        text.GetText(value);
        QByteArray font;
        text.GetFontName(font);
        EXPECT_EQ(value, QStringLiteral("A\r\nB"));
        EXPECT_EQ(font, QByteArray("Liberation Serif"));
        EXPECT_EQ(text.GetFontSize(), 20);
        EXPECT_EQ(text.GetColor(), 0xFF00FF00u);
        EXPECT_EQ(text.GetHorizontalAlign(), version >= 2 ? eaRight : eaCenter);
        // Only the low byte of an alignment is kept.
        EXPECT_EQ(text.GetVerticalAlign(), version >= 3 ? eaBottom : eaTop);
        EXPECT_EQ(text.GetTopOffset(), version >= 3 ? -5 : 0);
        EXPECT_EQ(text.GetUseFixedHeight(), version >= 3);
        EXPECT_EQ(text.GetFixedHeight(), version >= 3 ? 40 : 0);
    }
}

struct TImageRecordRow
{
    const char *Name;
    quint32 Version;
    QByteArray Tail;
    TElementVAlignment VAlign;
    qint32 TopOffset;
    bool UseFixedHeight;
    qint32 FixedHeight;
};

void PrintTo(const TImageRecordRow &row, std::ostream *out) { *out << row.Name; }

class ImageRecord : public testing::TestWithParam<TImageRecordRow>
{
};

// Image records carry their placement after the vertical alignment: version 1 as written
// (eleven values) or cut after eight, and version 2 with the alignment repeated.
TEST_P(ImageRecord, ReadsPlacementWhenPresent)
{
    const TImageRecordRow &row = GetParam();
    const QByteArray record = Cat({Version(row.Version), String("C:\\logo.png"), String("<none>"), Boolean(true),
        Integer(120), Integer(60), Integer(2), Integer(1), row.Tail});
    TVmElementImage image;
    EXPECT_EQ(Load(image, record), record.size());
    QByteArray fileName;
    image.GetFileName(fileName);
    EXPECT_EQ(fileName, QByteArray("C:\\logo.png"));
    EXPECT_EQ(image.GetImage(), nullptr);
    EXPECT_TRUE(image.GetSpecificDims());
    EXPECT_EQ(image.GetWidth(), 120);
    EXPECT_EQ(image.GetHeight(), 60);
    EXPECT_EQ(image.GetHorizontalAlign(), eaRight);
    EXPECT_EQ(image.GetVerticalAlign(), row.VAlign);
    EXPECT_EQ(image.GetTopOffset(), row.TopOffset);
    EXPECT_EQ(image.GetUseFixedHeight(), row.UseFixedHeight);
    EXPECT_EQ(image.GetFixedHeight(), row.FixedHeight);
}

INSTANTIATE_TEST_SUITE_P(Versions, ImageRecord,
    testing::Values(TImageRecordRow{"v1_eight_values", 1, {}, eaMiddle, 0, false, 0},
        TImageRecordRow{"v1_eleven_values", 1, Cat({Integer(9), Boolean(true), Integer(77)}), eaMiddle, 9, true, 77},
        TImageRecordRow{"v2", 2, Cat({Integer(2), Integer(9), Boolean(true), Integer(77)}), eaBottom, 9, true, 77}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST(Records, ImageElementSurvivesSaveAndLoad)
{
    TVmElementImage image;
    image.SetSpecificDims(true);
    image.SetWidth(33);
    image.SetHeight(44);
    image.SetVerticalAlign(eaBottom);
    image.SetTopOffset(12);
    image.SetUseFixedHeight(true);
    image.SetFixedHeight(99);
    image.SetCaption(-1, QStringLiteral("Logo"));
    TVmElementImage loaded;
    Load(loaded, Save(image));
    EXPECT_EQ(Save(loaded), Save(image));
    EXPECT_EQ(loaded.GetTopOffset(), 12);
    EXPECT_TRUE(loaded.GetUseFixedHeight());
    EXPECT_EQ(loaded.GetFixedHeight(), 99);
    // The caption is not part of the record; the tree restores it.
    EXPECT_EQ(Caption(loaded), QStringLiteral("New Image"));
}

TEST(Records, TextSurvivesSaveAndLoad)
{
    TVmElementText text;
    text.SetText(QStringLiteral("Directed by\r\nSomeone \u00c5\r\n\r\nEnd"));
    text.SetFontName("DejaVu Sans");
    text.SetFontSize(31);
    text.SetColor(0x7F123456);
    text.SetHorizontalAlign(eaLeft);
    text.SetVerticalAlign(eaMiddle);
    text.SetTopOffset(-3);
    text.SetUseFixedHeight(true);
    text.SetFixedHeight(250);
    TVmElementText loaded;
    Load(loaded, Save(text));
    EXPECT_EQ(Save(loaded), Save(text));
    QString value;
    loaded.GetText(value);
    EXPECT_EQ(value, QStringLiteral("Directed by\r\nSomeone \u00c5\r\n\r\nEnd"));
}

// Indents and small capitals follow the style part, which is then written even when empty; without indents the
// record keeps the bytes it always had.
TEST(Records, TextPlacementSurvivesAndIsLeftOutWhenUnset)
{
    struct TCase
    {
        const char *Name;
        QString Style;
        qint32 Left, Right;
        bool SmallCaps = false;
    };
    const TCase cases[] = {{"plain", {}, 0, 0},
                           {"left only", {}, 37, 0},
                           {"styled, below zero", "Role", -12, 610},
                           {"small caps alone", {}, 0, 0, true}};
    for (const TCase &c : cases) {
        TVmElementText text;
        text.SetText(QStringLiteral("Gaffer"));
        text.SetStyleName(c.Style);
        text.SetLeftIndent(c.Left);
        text.SetRightIndent(c.Right);
        text.SetSmallCaps(c.SmallCaps);
        const QByteArray bytes = Save(text);
        TVmElementText loaded;
        EXPECT_EQ(Load(loaded, bytes), bytes.size()) << c.Name;
        EXPECT_EQ(loaded.GetLeftIndent(), c.Left) << c.Name;
        EXPECT_EQ(loaded.GetRightIndent(), c.Right) << c.Name;
        EXPECT_EQ(loaded.GetStyleName(), c.Style) << c.Name;
        EXPECT_EQ(loaded.GetSmallCaps(), c.SmallCaps) << c.Name;
        const bool placed = c.Left != 0 || c.Right != 0 || c.SmallCaps;
        EXPECT_EQ(bytes.contains("VmTextPlacement"), placed) << c.Name;
        EXPECT_EQ(bytes.contains("VmTextStyle"), placed || !c.Style.isEmpty()) << c.Name;
    }
}

TEST(Records, ProjectBackgroundKeepsItsPixels)
{
    TVmElementProject project;
    project.SetWidth(1920);
    project.SetHeight(1080);
    project.SetContentSize(9);
    project.SetBackColor(0x01020304);
    project.SetWrapMode(3);
    project.SetFrameRate(24);
    project.SetScrollRate(2);
    project.SetCaption(-1, QStringLiteral("Roll"));
    // A translucent pattern, so neither colour nor alpha may drift.
    QImage pattern = test::PatternImage(5, 3);
    pattern.setPixel(1, 1, qRgba(10, 20, 30, 40));
    const QByteArray png = EncodePng(pattern);
    QByteArray record = Save(project);
    record.replace(String("<none>"), Stream(png));
    TVmElementProject loaded;
    Load(loaded, record);
    ASSERT_NE(loaded.GetBackground(), nullptr);
    const QImage &background = *loaded.GetBackground();
    ASSERT_EQ(background.size(), QSize(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(background.pixel(x, y), pattern.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(Save(loaded), record);
    EXPECT_EQ(loaded.GetWrapMode(), 3);
    EXPECT_EQ(loaded.GetFrameRate(), 24);
    EXPECT_EQ(loaded.GetScrollRate(), 2);
}

// The element's picture is shown in sRGB; the background takes its pixels as stored.
TEST(Records, ColourProfilesAreConvertedOrDropped)
{
    QImage tagged = test::PatternImage(4, 4);
    tagged.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    const QByteArray png = EncodePng(tagged);

    const QImage managed = DecodePng(png, TColorHandling::Managed);
    const QImage expected = tagged.convertedToColorSpace(QColorSpace::SRgb);
    EXPECT_EQ(managed.colorSpace(), QColorSpace(QColorSpace::SRgb));
    EXPECT_NE(managed.pixel(3, 3), tagged.pixel(3, 3));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(managed.pixel(x, y), expected.pixel(x, y));

    const QImage ignored = DecodePng(png, TColorHandling::Ignored);
    EXPECT_FALSE(ignored.colorSpace().isValid());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(ignored.pixel(x, y), tagged.pixel(x, y));

    TVmElementImage image;
    QByteArray record = Save(image);
    record.replace(String("<none>"), Stream(png));
    Load(image, record);
    ASSERT_NE(image.GetImage(), nullptr);
    EXPECT_EQ(image.GetImage()->pixel(3, 3), expected.pixel(3, 3));
}

// A PNG whose header claims width x height pixels, with one row of pixel data behind it.
QByteArray PngHeaderOnly(quint32 width, quint32 height, char colorType = 6)
{
    const auto crc = [](const QByteArray &bytes) {
        quint32 c = 0xFFFFFFFFu;
        for (const char byte : bytes) {
            c ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return ~c;
    };
    const auto be = [](quint32 v) {
        const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    const QByteArray ihdr = QByteArray("IHDR") + be(width) + be(height) + QByteArray("\x08", 1) + QByteArray(1, colorType)
        + QByteArray("\x00\x00\x00", 3);
    // A first row of pixel data, so that readers get past the header.
    const QByteArray idat = QByteArray("IDAT") + qCompress(QByteArray(1 + (colorType == 6 ? 4 : 1) * qsizetype(width), '\0')).mid(4);
    const QByteArray iend("IEND");
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be(13) + ihdr + be(crc(ihdr)) + be(quint32(idat.size() - 4)) + idat
        + be(crc(idat)) + be(0) + iend + be(crc(iend));
}

// Picture bytes that do not decode (damaged, or too large to decode here) show as a 0 x 0
// picture that says why, and are written back unchanged; a picture taken from a file replaces them.
TEST(Records, UndecodablePicturesKeepTheirBytes)
{
    const struct { QByteArray Bytes; const char *Problem; } rows[] = {
        {QByteArray("not a png at all"), "cannot be decoded"},
        {EncodePng(test::PatternImage(2, 2)).left(30), "cannot be decoded"},
        {PngHeaderOnly(20000, 20000), "too large to display (20000 x 20000 pixels)"},
        // Grey takes a quarter of the memory, but drawing needs its 32-bit copy as well.
        {PngHeaderOnly(16000, 16000, 0), "too large to display (16000 x 16000 pixels)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.Problem);
        TVmElementImage image;
        QByteArray record = Save(image);
        record.replace(String("<none>"), Stream(row.Bytes));
        EXPECT_EQ(Load(image, record), record.size());
        ASSERT_NE(image.GetImage(), nullptr);
        EXPECT_EQ(image.GetImage()->size(), QSize(0, 0));
        EXPECT_EQ(image.PictureProblem(), QLatin1String(row.Problem));
        EXPECT_EQ(Save(image), record);

        TVmElementProject project;
        QByteArray projectRecord = Save(project);
        projectRecord.replace(String("<none>"), Stream(row.Bytes));
        EXPECT_EQ(Load(project, projectRecord), projectRecord.size());
        EXPECT_EQ(project.BackgroundProblem(), QLatin1String(row.Problem));
        EXPECT_EQ(Save(project), projectRecord);
        project.ClearBackground();
        EXPECT_TRUE(Save(project).contains(String("<none>")));

        image.LoadFromFile(QStringLiteral(VELMORA_TEST_DATA_DIR "/elements/logo.gif"));
        EXPECT_TRUE(image.PictureProblem().isEmpty());
        EXPECT_FALSE(Save(image).contains(row.Bytes));
    }
    // Empty bytes are no picture to keep.
    TVmElementImage empty;
    QByteArray record = Save(empty);
    record.replace(String("<none>"), Stream({}));
    Load(empty, record);
    EXPECT_TRUE(empty.PictureProblem().isEmpty());
    EXPECT_TRUE(Save(empty).contains(Stream({})));
}

// Pictures that decode are written back as they were stored, not encoded anew.
TEST(Records, StoredPicturesAreWrittenBackByteForByte)
{
    QImage picture = test::PatternImage(5, 3);
    QByteArray stored;
    {
        QBuffer buffer(&stored);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG", 0);  // another compression level than Velmora's own
    }
    ASSERT_NE(stored, EncodePng(picture));
    TVmElementImage image;
    QByteArray record = Save(image);
    record.replace(String("<none>"), Stream(stored));
    Load(image, record);
    EXPECT_EQ(image.GetImage()->size(), QSize(5, 3));
    EXPECT_EQ(Save(image), record);
}

TEST(Records, EmbeddedImageFailures)
{
    const auto readError = [](const QByteArray &value) {
        QByteArray data = value;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        TTypedFiler filer(&buffer);
        try {
            ReadEmbeddedImage(filer, TColorHandling::Managed);
        } catch (const EVelmoraError &error) {
            return error.message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(readError(String("<None>")), QStringLiteral("Unexpected blank image content"));
    EXPECT_EQ(readError(String("")), QStringLiteral("Unexpected blank image content"));
    EXPECT_EQ(readError(Integer(3)), QStringLiteral("Type %1 found and %2 expected in stream.")
                                         .arg(TypeName(14), TypeName(3)));
    EXPECT_EQ(readError({}), QStringLiteral("End of Stream, cannot read Type"));

    // A failed read leaves the element without a picture.
    TVmElementProject project;
    project.LoadBackground(QStringLiteral(VELMORA_TEST_DATA_DIR "/elements/logo.gif"));
    ASSERT_NE(project.GetBackground(), nullptr);
    const QByteArray record = Cat({Version(4), WideString(QStringLiteral("P")), Integer(1), Integer(1), Integer(1),
        Cardinal(0), String("blank"), Integer(4)});
    EXPECT_ANY_THROW(Load(project, record));
    EXPECT_EQ(project.GetBackground(), nullptr);
}

} // namespace
