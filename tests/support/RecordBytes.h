#pragma once

// Builds typed values and tree section chunks byte by byte, independently of the writers,
// so tests can state exact layouts and craft damaged files.
#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <initializer_list>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace velmora::test::bytes {

template <typename T>
QByteArray Le(T value)
{
    const T le = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&le), sizeof le);
}

inline QByteArray Cat(std::initializer_list<QByteArray> parts)
{
    QByteArray all;
    for (const QByteArray &part : parts)
        all += part;
    return all;
}

inline QByteArray Tagged(quint8 tag, const QByteArray &body)
{
    return QByteArray(1, char(tag)) + body;
}

inline QByteArray Cardinal(quint32 v) { return Tagged(1, Le(v)); }
inline QByteArray Integer(qint32 v) { return Tagged(14, Le(v)); }
inline QByteArray Version(quint32 v) { return Tagged(19, Le(v)); }
inline QByteArray Boolean(bool v) { return Tagged(7, QByteArray(1, v ? 1 : 0)); }
inline QByteArray String(const QByteArray &v) { return Tagged(3, Cardinal(quint32(v.size())) + v); }

inline QByteArray Utf16(const QString &v)
{
    QByteArray units;
    for (const QChar c : v)
        units += Le(c.unicode());
    return units;
}

inline QByteArray WideString(const QString &v)
{
    const QByteArray units = Utf16(v);
    return Tagged(6, Cardinal(quint32(units.size())) + units);
}

inline QByteArray Stream(const QByteArray &v)
{
    return Tagged(16, Tagged(17, Le(qint64(v.size()))) + v);
}

// --- tree section ---------------------------------------------------------------

inline QByteArray Chunk(qint32 type, const QByteArray &payload)
{
    return Le(type) + Le(qint32(payload.size())) + payload;
}

inline QByteArray Header(quint16 version = 2, quint16 fifth = 0x20)
{
    return Cat({Le(quint16(0x2045)), Le(quint16('V')), Le(quint16('T')), Le(version), Le(fifth), Le(quint16(0x2046))});
}

struct Body
{
    quint32 Children = 0;
    quint32 Height = 28;
    quint16 Flags = 0x0081;
    quint8 Alignment = 50;
    quint8 CheckState = 0;
    quint8 CheckType = 0;
};

inline QByteArray Structure(const Body &b, const QByteArray &childChunks = {})
{
    const QByteArray body = Cat({Le(b.Children), Le(b.Height), Le(b.Flags), Le(b.Alignment), Le(b.CheckState),
        Le(b.CheckType), Le(quint32(0))});
    return Chunk(2, body + childChunks);
}

inline QByteArray ElementData(const QByteArray &kind, const QByteArray &record)
{
    return Chunk(4, String(kind) + record);
}

inline QByteArray Caption(const QString &caption)
{
    return Chunk(3, Utf16(caption));
}

inline QByteArray Node(const QByteArray &chunks)
{
    return Chunk(1, chunks);
}

// A childless node of a kind whose record is just its caption (columns, column).
inline QByteArray CaptionedNode(const QByteArray &kind, const QString &caption, const Body &body = {})
{
    return Node(Structure(body) + ElementData(kind, WideString(caption)) + Caption(caption));
}

inline QByteArray Section(quint32 count, const QByteArray &nodes, quint16 version = 2)
{
    return Header(version) + Le(count) + nodes;
}

inline QByteArray ProjectFile(const QByteArray &section)
{
    return QByteArray("VELMORA01") + section;
}

// The record of a project element with its defaults.
inline QByteArray DefaultProjectRecord()
{
    return Cat({Version(5), WideString(QStringLiteral("Velmora Project")), Integer(576), Integer(720), Integer(5),
        Cardinal(0xFF336699), String("<none>"), Integer(4), Integer(25), Integer(4)});
}

} // namespace velmora::test::bytes
