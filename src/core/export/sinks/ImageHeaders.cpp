#include "core/export/sinks/ImageHeaders.h"

#include "core/error.h"
#include "core/render/Timecode.h"

#include "core/export/ExportError.h"

#include <QRegularExpression>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

quint32 Bcd(int value)
{
    return quint32((value / 10) << 4 | (value % 10));
}

// --- DPX ---------------------------------------------------------------------------------
// The generic headers (file, image, orientation) take 1664 bytes; the film and television
// headers the next 384. Offsets below are those of the DPX layout.
constexpr int DpxGenericSize = 1664;
constexpr int DpxIndustrySize = 384;
constexpr int DpxHeaderSize = DpxGenericSize + DpxIndustrySize;
constexpr quint8 DpxBt709 = 6;  // transfer and colorimetric code for ITU-R BT.709
constexpr quint8 DpxUserDefined = 0;

// --- PNG ---------------------------------------------------------------------------------
// The CRC of PNG chunks (ISO 3309, reflected, as zlib's).
quint32 Crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

class TDpxHeader
{
public:
    TDpxHeader(QByteArray &data, bool bigEndian) : m_data(data), m_big(bigEndian) {}

    quint32 U32(int at) const
    {
        return m_big ? qFromBigEndian<quint32>(m_data.constData() + at) : qFromLittleEndian<quint32>(m_data.constData() + at);
    }
    void SetU32(int at, quint32 value)
    {
        if (m_big)
            qToBigEndian(value, m_data.data() + at);
        else
            qToLittleEndian(value, m_data.data() + at);
    }
    void SetFloat(int at, float value)
    {
        quint32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        SetU32(at, bits);
    }

private:
    QByteArray &m_data;
    bool m_big;
};

// The film and television headers with every field undefined: all bits set for numbers, none
// for text, as readers expect of fields a writer leaves out.
QByteArray UndefinedIndustryHeaders()
{
    QByteArray block(DpxIndustrySize, '\0');
    auto undefined = [&block](int from, int to) { std::memset(block.data() + from - DpxGenericSize, 0xff, size_t(to - from)); };
    undefined(1712, 1732);  // frame position, sequence length, held count, frame rate, shutter angle
    undefined(1920, 1924);  // timecode
    undefined(1929, 1930);  // field number
    undefined(1932, 1972);  // sample rates, frame rate, time offset, gamma, levels, integration time
    return block;
}

// --- OpenEXR -----------------------------------------------------------------------------
constexpr quint32 ExrMagic = 20000630;
constexpr quint32 ExrSinglePartScanline = 0x00ff;  // version field bits that may be set: the version itself

struct TExrAttribute
{
    QByteArray Name;
    QByteArray Type;
    QByteArray Value;
};

QByteArray LittleEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

[[noreturn]] void NotOurExr()
{
    throw EExportError(QStringLiteral("The OpenEXR encoder wrote a header Velmora cannot add its timecode to."));
}

// Where the header's terminating null byte lies, after reading every attribute; fills names.
int ExrHeaderEnd(const QByteArray &exr, std::vector<QByteArray> &names)
{
    int at = 8;
    auto text = [&exr, &at]() {
        const int end = exr.indexOf('\0', at);
        if (end < 0 || end - at > 255)
            NotOurExr();
        const QByteArray value = exr.mid(at, end - at);
        at = end + 1;
        return value;
    };
    while (at < exr.size() && exr[at] != '\0') {
        names.push_back(text());
        text();  // the type
        if (at + 4 > exr.size())
            NotOurExr();
        const qint32 size = qFromLittleEndian<qint32>(exr.constData() + at);
        if (size < 0 || qint64(at) + 4 + size > exr.size())
            NotOurExr();
        at += 4 + size;
    }
    if (at >= exr.size())
        NotOurExr();
    return at;
}

} // namespace

quint32 TTimecodeFields::Packed() const
{
    return Bcd(Hours) << 24 | Bcd(Minutes) << 16 | Bcd(Seconds) << 8 | Bcd(Frames) | (DropFrame ? 0x40u : 0u);
}

std::optional<TTimecodeFields> TimecodeAfter(const QString &start, qint64 offset, const TFrameRate &rate)
{
    TTimecodeLabel label;
    try {
        label = ParseTimecode(start, rate);
    } catch (const EVelmoraError &) {
        return std::nullopt;
    }
    const TTimecodeDigits digits = TimecodeDigits(label.Frames + offset, rate, label.DropFrame);
    TTimecodeFields fields;
    fields.Hours = digits.Hours;
    fields.Minutes = digits.Minutes;
    fields.Seconds = digits.Seconds;
    fields.Frames = digits.Frames;
    fields.DropFrame = label.DropFrame;
    return fields;
}

QByteArray WithDpxTags(const QByteArray &dpx, const TImageTags &tags)
{
    const QByteArray magic = dpx.left(4);
    if (dpx.size() < DpxGenericSize || (magic != "SDPX" && magic != "XPDS"))
        throw EExportError(QStringLiteral("The DPX encoder wrote a header Velmora cannot tag."));
    QByteArray out = dpx;
    TDpxHeader header(out, magic == "SDPX");
    const quint32 dataOffset = header.U32(4);
    if (dataOffset == DpxGenericSize) {
        out.insert(DpxGenericSize, UndefinedIndustryHeaders());
        header.SetU32(4, DpxHeaderSize);
        header.SetU32(16, quint32(out.size()));
        header.SetU32(28, DpxIndustrySize);
        header.SetU32(808, DpxHeaderSize);  // the image element's own data offset
    } else if (dataOffset < DpxHeaderSize || dataOffset > quint32(dpx.size())) {
        throw EExportError(QStringLiteral("The DPX encoder wrote a header Velmora cannot tag."));
    }
    // The pixels are display-referred BT.709 RGB over the whole code range, not linear light;
    // DPX has no code for PQ or HLG, whose files say "user defined".
    out[801] = char(tags.Hdr ? DpxUserDefined : DpxBt709);
    out[802] = char(tags.Hdr ? DpxUserDefined : DpxBt709);
    const int bits = quint8(out[803]);
    header.SetU32(784, 0);
    header.SetU32(792, bits > 0 && bits < 32 ? (1u << bits) - 1 : 0xffffffffu);
    header.SetFloat(1724, float(tags.Rate.Value()));
    header.SetFloat(1940, float(tags.Rate.Value()));
    header.SetU32(1920, tags.Timecode ? tags.Timecode->Packed() : 0xffffffffu);
    header.SetU32(1924, 0);  // user bits
    return out;
}

QByteArray WithPngColour(const QByteArray &png, bool pq)
{
    constexpr int HeaderEnd = 8 + 8 + 13 + 4;  // signature, then IHDR's length, type, data and CRC
    if (png.size() < HeaderEnd || png.mid(12, 4) != "IHDR")
        throw EExportError(QStringLiteral("The PNG writer wrote a file Velmora cannot tag as HDR."));
    // H.273's codes: BT.2020 primaries, PQ or HLG, identity matrix (RGB), full range.
    const QByteArray body = QByteArray("cICP") + char(9) + char(pq ? 16 : 18) + char(0) + char(1);
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(4, chunk.data());
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc32(body), crc.data());
    chunk += crc;
    QByteArray out = png;
    out.insert(HeaderEnd, chunk);
    return out;
}

QByteArray WithExrTags(const QByteArray &exr, const TImageTags &tags)
{
    if (exr.size() < 9 || qFromLittleEndian<quint32>(exr.constData()) != ExrMagic
        || (qFromLittleEndian<quint32>(exr.constData() + 4) & ~ExrSinglePartScanline) != 0)
        NotOurExr();
    std::vector<QByteArray> names;
    const int headerEnd = ExrHeaderEnd(exr, names);
    auto has = [&names](const char *name) { return std::find(names.begin(), names.end(), QByteArray(name)) != names.end(); };

    std::vector<TExrAttribute> added;
    if (tags.Timecode && !has("timeCode"))
        added.push_back({"timeCode", "timecode", LittleEndian32(tags.Timecode->Packed()) + LittleEndian32(0)});
    if (!has("framesPerSecond"))
        added.push_back({"framesPerSecond", "rational", LittleEndian32(quint32(tags.Rate.Num)) + LittleEndian32(quint32(tags.Rate.Den))});
    QByteArray inserted;
    for (const TExrAttribute &attribute : added)
        inserted += attribute.Name + '\0' + attribute.Type + '\0' + LittleEndian32(quint32(attribute.Value.size())) + attribute.Value;
    if (inserted.isEmpty())
        return exr;

    // The chunk table follows the header and runs up to the first chunk, which it points at;
    // its offsets count from the start of the file, so each moves by what the header gained.
    const int table = headerEnd + 1;
    if (table + 8 > exr.size())
        NotOurExr();
    const quint64 first = qFromLittleEndian<quint64>(exr.constData() + table);
    if (first <= quint64(table) || first > quint64(exr.size()) || (first - table) % 8 != 0)
        NotOurExr();
    QByteArray out = exr;
    for (qint64 at = table; at < qint64(first); at += 8) {
        const quint64 offset = qFromLittleEndian<quint64>(out.constData() + at);
        if (offset < first || offset >= quint64(exr.size()))
            NotOurExr();
        qToLittleEndian<quint64>(offset + quint64(inserted.size()), out.data() + at);
    }
    out.insert(headerEnd, inserted);
    return out;
}

} // namespace velmora
