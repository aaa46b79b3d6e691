#include "core/elements/OutlineText.h"

#include <QColor>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace velmora {

namespace {

// Tables a face needs to give its glyph outlines as Qt's own outline drawing gives them:
// TrueType or CFF outlines, their metrics and the hinting programs FreeType runs on load.
constexpr const char *OutlineTables[] = {
    "OS/2", "CFF ", "CFF2", "VORG", "avar", "cmap", "cvar", "cvt ", "fpgm", "fvar", "gasp", "glyf",
    "gvar", "head", "hhea", "hmtx", "loca", "maxp", "name", "post", "prep", "vhea", "vmtx",
};

quint32 TableTag(const char *name)
{
    return quint32(uchar(name[0])) << 24 | quint32(uchar(name[1])) << 16 | quint32(uchar(name[2])) << 8
        | quint32(uchar(name[3]));
}

quint32 TableChecksum(const QByteArray &table)
{
    quint32 sum = 0;
    for (qsizetype at = 0; at < table.size(); at += 4) {
        uchar word[4] = {0, 0, 0, 0};
        std::copy_n(table.constData() + at, std::min<qsizetype>(4, table.size() - at), word);
        sum += qFromBigEndian<quint32>(word);
    }
    return sum;
}

// A font file holding the outline tables of the face behind font, or nothing when the face
// has no outlines (bitmap or colour-only faces).
QByteArray OutlineFontFile(const QRawFont &font)
{
    std::vector<std::pair<quint32, QByteArray>> tables;
    for (const char *name : OutlineTables) {
        QByteArray table = font.fontTable(name);
        if (!table.isEmpty())
            tables.emplace_back(TableTag(name), std::move(table));
    }
    const auto has = [&tables](const char *name) {
        return std::any_of(tables.begin(), tables.end(), [&](const auto &t) { return t.first == TableTag(name); });
    };
    const bool trueType = has("glyf") && has("loca");
    if (!(trueType || has("CFF ") || has("CFF2")) || !has("head") || !has("maxp") || !has("hhea"))
        return QByteArray();

    const quint16 count = quint16(tables.size());
    quint16 power = 1;
    quint16 selector = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++selector;
    }
    QByteArray file(12 + 16 * count, '\0');
    uchar *header = reinterpret_cast<uchar *>(file.data());
    qToBigEndian<quint32>(trueType ? 0x00010000u : TableTag("OTTO"), header);
    qToBigEndian<quint16>(count, header + 4);
    qToBigEndian<quint16>(quint16(power * 16), header + 6);
    qToBigEndian<quint16>(selector, header + 8);
    qToBigEndian<quint16>(quint16(count * 16 - power * 16), header + 10);
    for (quint16 i = 0; i < count; ++i) {
        const quint32 offset = quint32(file.size());
        const QByteArray &table = tables[i].second;
        uchar *record = reinterpret_cast<uchar *>(file.data()) + 12 + 16 * i;
        qToBigEndian<quint32>(tables[i].first, record);
        qToBigEndian<quint32>(TableChecksum(table), record + 4);
        qToBigEndian<quint32>(offset, record + 8);
        qToBigEndian<quint32>(quint32(table.size()), record + 12);
        file.append(table);
        file.append(QByteArray((4 - table.size() % 4) % 4, '\0'));
    }
    return file;
}

// Whether the face itself is italic or oblique (OS/2 fsSelection, else head macStyle).
bool FaceIsItalic(const QRawFont &font)
{
    const QByteArray os2 = font.fontTable("OS/2");
    if (os2.size() >= 64)
        return (qFromBigEndian<quint16>(os2.constData() + 62) & 0x0201) != 0;
    const QByteArray head = font.fontTable("head");
    return head.size() >= 46 && (qFromBigEndian<quint16>(head.constData() + 44) & 0x0002) != 0;
}

// One face's private copy, at its em size so that a path is in font units.
struct TOutlineFace
{
    QRawFont Font;
    double UnitsPerEm = 0.0;
    bool Oblique = false;  // italic asked of a face without one: slanted as Qt slants it
    QHash<quint32, QPainterPath> Glyphs;
};

// Faces are keyed by their names, weight, style and head table, which differs between files.
QByteArray FaceKey(const QRawFont &font)
{
    QByteArray key = font.familyName().toUtf8();
    key += '\0';
    key += font.styleName().toUtf8();
    key += '\0';
    key += QByteArray::number(font.weight());
    key += QByteArray::number(int(font.style()));
    key += font.fontTable("head");
    return key;
}

// Qt's QRawFont objects belong to the thread that made them, so each thread keeps its own.
TOutlineFace *OutlineFaceFor(const QRawFont &font)
{
    thread_local std::map<QByteArray, std::unique_ptr<TOutlineFace>> faces;
    // The empty boxes Qt draws where no font has a character come from a face without a
    // file (and without a family name: asking a raw font of it for one crashes).
    if (font.fontTable("head").isEmpty())
        return nullptr;
    const QByteArray key = FaceKey(font);
    auto found = faces.find(key);
    if (found != faces.end())
        return found->second.get();
    auto face = std::make_unique<TOutlineFace>();
    const QByteArray file = OutlineFontFile(font);
    if (!file.isEmpty()) {
        face->UnitsPerEm = font.unitsPerEm();
        face->Font.loadFromData(file, face->UnitsPerEm, QFont::PreferNoHinting);
        face->Oblique = font.style() != QFont::StyleNormal && !FaceIsItalic(font);
    }
    if (!face->Font.isValid() || face->UnitsPerEm <= 0.0)
        face.reset();
    return faces.emplace(key, std::move(face)).first->second.get();
}

const QPainterPath &GlyphPath(TOutlineFace &face, quint32 glyph)
{
    auto found = face.Glyphs.find(glyph);
    if (found == face.Glyphs.end()) {
        QPainterPath path = face.Font.pathForGlyph(glyph);
        // The slant FreeType gives a synthesized italic (FT_GlyphSlot_Oblique).
        if (face.Oblique)
            path = QTransform(1.0, 0.0, -0x0366A / 65536.0, 1.0, 0.0, 0.0).map(path);
        found = face.Glyphs.insert(glyph, path);
    }
    return found.value();
}

} // namespace

bool DrawsAsOutlines(double pixelSize, const QTransform &transform)
{
    return pixelSize * pixelSize * std::abs(transform.determinant()) > double(CachedGlyphPixels) * CachedGlyphPixels;
}

void DrawLayoutOutlines(QPainter &painter, const QTextLayout &layout, const QPointF &position, const QColor &color)
{
    QPainterPath outlines;
    outlines.setFillRule(Qt::WindingFill);
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QRawFont font = run.rawFont();
        TOutlineFace *face = OutlineFaceFor(font);
        if (face == nullptr) {
            // No outlines to take (a bitmap face): Qt draws it as it can.
            painter.save();
            painter.setPen(color);
            painter.drawGlyphRun(position, run);
            painter.restore();
            continue;
        }
        const double scale = font.pixelSize() / face->UnitsPerEm;
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            const QPainterPath &glyph = GlyphPath(*face, glyphs[i]);
            if (glyph.isEmpty())
                continue;
            const QPointF at = position + positions[i];
            outlines.addPath(QTransform(scale, 0.0, 0.0, scale, at.x(), at.y()).map(glyph));
        }
    }
    if (outlines.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(outlines, color);
    painter.restore();
}

} // namespace velmora
