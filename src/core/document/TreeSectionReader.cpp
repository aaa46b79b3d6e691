// Reading the tree section and clipboard node chunks. Every size field is checked against the
// bytes that are really there before anything is read or allocated on its account.
#include "core/document/BoundedDevice.h"
#include "core/document/TreeSection.h"
#include "core/document/TreeSectionFormat.h"
#include "core/document/ElementCatalogue.h"
#include "core/typedfiler/TypedFiler.h"

#include <QtEndian>

namespace velmora {

namespace {
using namespace TreeSectionFormat;

[[noreturn]] void Fail(const char *message)
{
    throw ETreeSectionError(QString::fromLatin1(message));
}

struct TChunkHeader
{
    qint32 Type = 0;
    qint32 Size = 0;
};

class TNodeReader
{
public:
    TNodeReader(QIODevice &stream, quint16 version) : m_stream(stream), m_version(version) {}

    // Reads one node chunk that must end by limit; overrunMessage names a chunk that does not.
    std::unique_ptr<TElementNode> ReadNode(qint64 limit, int depth, const char *overrunMessage);

private:
    qint64 Left(qint64 limit) const { return limit - m_stream.pos(); }
    void ReadRaw(void *data, qint64 size);
    template <typename T>
    T ReadLe();
    TChunkHeader ReadChunkHeader(qint64 limit, const char *overrunMessage);
    void ReadStructure(TElementNode &node, qint64 end, int depth);
    void ReadElement(TElementNode &node, qint64 size);
    void ReadCaption(TElementNode &node, qint64 size);

    QIODevice &m_stream;
    quint16 m_version;
};

void TNodeReader::ReadRaw(void *data, qint64 size)
{
    // Callers have checked the bounds; a short read means the device itself failed.
    if (m_stream.read(static_cast<char *>(data), size) != size)
        Fail(TreeSectionMessages::PastEnd);
}

template <typename T>
T TNodeReader::ReadLe()
{
    T value{};
    ReadRaw(&value, sizeof value);
    return qFromLittleEndian(value);
}

TChunkHeader TNodeReader::ReadChunkHeader(qint64 limit, const char *overrunMessage)
{
    if (Left(limit) < ChunkHeaderSize)
        Fail(overrunMessage);
    TChunkHeader header;
    header.Type = ReadLe<qint32>();
    header.Size = ReadLe<qint32>();
    if (header.Size < 0)
        Fail(TreeSectionMessages::NegativeSize);
    if (header.Size > Left(limit))
        Fail(overrunMessage);
    return header;
}

std::unique_ptr<TElementNode> TNodeReader::ReadNode(qint64 limit, int depth, const char *overrunMessage)
{
    if (depth > MaxNodeDepth)
        Fail(TreeSectionMessages::TooDeep);
    if (Left(limit) < ChunkHeaderSize)
        Fail(overrunMessage);
    const qint32 type = ReadLe<qint32>();
    const qint32 size = ReadLe<qint32>();
    if (type != AnchorChunk)
        Fail(TreeSectionMessages::AnchorMissing);
    if (size < 0)
        Fail(TreeSectionMessages::NegativeSize);
    if (size > Left(limit))
        Fail(overrunMessage);

    auto node = std::make_unique<TElementNode>();
    const qint64 end = m_stream.pos() + size;
    while (m_stream.pos() < end) {
        const TChunkHeader chunk = ReadChunkHeader(end, TreeSectionMessages::DataAfterEnd);
        switch (chunk.Type) {
        case StructureChunk:
            // Its size is not needed: the body and the children say how long it is.
            ReadStructure(*node, end, depth);
            break;
        case ElementChunk:
            if (chunk.Size > 0)
                ReadElement(*node, chunk.Size);
            break;
        case CaptionChunk:
            ReadCaption(*node, chunk.Size);
            break;
        default:
            m_stream.seek(m_stream.pos() + chunk.Size);
        }
    }
    if (m_stream.pos() != end)
        Fail(TreeSectionMessages::DataAfterEnd);
    if (node->Element() == nullptr)
        Fail(TreeSectionMessages::NoElement);
    return node;
}

void TNodeReader::ReadStructure(TElementNode &node, qint64 end, int depth)
{
    const int bodySize = m_version == 1 ? StructureBodySizeV1 : StructureBodySize;
    if (Left(end) < bodySize)
        Fail(TreeSectionMessages::DataAfterEnd);
    const quint32 childCount = ReadLe<quint32>();
    node.SetHeight(static_cast<quint16>(ReadLe<quint32>()));
    if (m_version == 1) {
        const quint8 state = ReadLe<quint8>();
        node.SetFlags(state | ((state & 0x80) ? NodeFlags::Selected : NodeFlags::Visible));
    } else {
        node.SetFlags(ReadLe<quint16>());
    }
    node.SetAlignment(ReadLe<quint8>());
    node.SetCheckState(ReadLe<quint8>());
    node.SetCheckType(ReadLe<quint8>());
    if (m_version != 1)
        ReadLe<quint32>();
    // Every child takes at least its anchor header.
    if (childCount > static_cast<quint64>(Left(end)) / ChunkHeaderSize)
        Fail(TreeSectionMessages::TooManyChildren);
    for (quint32 i = 0; i < childCount; ++i)
        node.AppendChild(ReadNode(end, depth + 1, TreeSectionMessages::DataAfterEnd));
}

bool IsEndOfData(const ETypedFilerError &error)
{
    return error.message() == QLatin1String(TypedFilerMessages::EndOfStream)
        || error.message() == QLatin1String(TypedFilerMessages::ReadError);
}

void TNodeReader::ReadElement(TElementNode &node, qint64 size)
{
    const qint64 start = m_stream.pos();
    {
        // The element sees its chunk only; whatever it leaves unread is skipped below.
        TBoundedDevice chunk(m_stream, start, size);
        try {
            const QByteArray name = TTypedFiler(&chunk).ReadString();
            std::unique_ptr<IElement> element = CreateElement(name);
            element->LoadFromStream(chunk);
            node.SetElement(std::move(element));
        } catch (const ETypedFilerError &error) {
            // A record that wants more than its chunk holds makes the node longer than it says.
            if (IsEndOfData(error) && chunk.pos() >= chunk.size())
                Fail(TreeSectionMessages::DataAfterEnd);
            throw;
        }
    }
    // Seeking a file drops what it has read ahead: only when the element left bytes unread.
    if (m_stream.pos() != start + size && !m_stream.seek(start + size))
        Fail(TreeSectionMessages::PastEnd);
}

void TNodeReader::ReadCaption(TElementNode &node, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    ReadRaw(bytes.data(), size);
    QString caption(size / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < caption.size(); ++i)
        caption[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    // A caption without an element has nowhere to go.
    if (IElement *element = node.Element())
        element->SetCaption(-1, caption);
}

// Reads the header and returns the section version; leaves the stream after the header.
quint16 ReadSectionHeader(QIODevice &stream)
{
    char bytes[HeaderSize];
    if (stream.read(bytes, HeaderSize) != HeaderSize)
        Fail(TreeSectionMessages::NotEnoughData);
    for (int i = 0; i < 6; ++i) {
        if (i == VersionUnit || i == UncheckedUnit)
            continue;
        if (qFromLittleEndian<quint16>(bytes + 2 * i) != HeaderUnits[i])
            Fail(TreeSectionMessages::WrongFormat);
    }
    const quint16 version = qFromLittleEndian<quint16>(bytes + 2 * VersionUnit);
    if (version < 1 || version > TreeSectionVersion)
        Fail(TreeSectionMessages::UnknownVersion);
    return version;
}

std::vector<std::unique_ptr<TElementNode>> ReadSection(QIODevice &stream)
{
    const quint16 version = ReadSectionHeader(stream);
    // Version 1 has no count: nodes follow up to the end.
    quint64 count = std::numeric_limits<quint64>::max();
    if (version >= 2) {
        quint32 stored = 0;
        if (stream.read(reinterpret_cast<char *>(&stored), 4) != 4)
            Fail(TreeSectionMessages::NotEnoughData);
        count = qFromLittleEndian(stored);
    }
    TNodeReader reader(stream, version);
    std::vector<std::unique_ptr<TElementNode>> nodes;
    for (; count > 0 && stream.pos() < stream.size(); --count)
        nodes.push_back(reader.ReadNode(stream.size(), 0, TreeSectionMessages::PastEnd));
    return nodes;
}
} // namespace

void LoadTreeSection(QIODevice &stream, TElementTree &tree)
{
    std::vector<std::unique_ptr<TElementNode>> nodes = ReadSection(stream);
    tree.Clear();
    for (auto &node : nodes)
        tree.InsertChild(tree.Root(), tree.Root().ChildCount(), std::move(node));
}

std::unique_ptr<TElementNode> ReadNodeChunk(QIODevice &stream)
{
    return TNodeReader(stream, TreeSectionVersion).ReadNode(stream.size(), 0, TreeSectionMessages::PastEnd);
}

std::vector<TElementNode *> LoadNodeChunks(QIODevice &stream, TElementTree &tree, TElementNode &parent)
{
    std::vector<std::unique_ptr<TElementNode>> nodes;
    while (stream.pos() < stream.size())
        nodes.push_back(ReadNodeChunk(stream));
    std::vector<TElementNode *> added;
    for (auto &node : nodes)
        added.push_back(&tree.InsertChild(parent, parent.ChildCount(), std::move(node)));
    return added;
}

} // namespace velmora
