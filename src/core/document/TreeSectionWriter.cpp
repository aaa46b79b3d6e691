// Writing the tree section: chunk sizes are back-patched once a node's subtree is written.
#include "core/document/TreeSection.h"
#include "core/document/TreeSectionFormat.h"
#include "core/document/WriteBackDevice.h"
#include "core/document/ElementCatalogue.h"
#include "core/typedfiler/TypedFiler.h"

#include <QtEndian>
#include <limits>

namespace velmora {

namespace {
using namespace TreeSectionFormat;

[[noreturn]] void FailWrite()
{
    throw ETreeSectionError(QString::fromLatin1(TypedFilerMessages::WriteError));
}

void WriteRaw(QIODevice &stream, const void *data, qint64 size)
{
    if (stream.write(static_cast<const char *>(data), size) != size)
        FailWrite();
}

template <typename T>
void WriteLe(QIODevice &stream, T value)
{
    const T le = qToLittleEndian(value);
    WriteRaw(stream, &le, sizeof le);
}

void WriteChunkHeader(QIODevice &stream, qint32 type, qint32 size)
{
    WriteLe(stream, type);
    WriteLe(stream, size);
}

// Fills in the size of the chunk whose header starts at start, from the current end.
void PatchChunkSize(QIODevice &stream, qint64 start)
{
    const qint64 end = stream.pos();
    const qint64 size = end - start - ChunkHeaderSize;
    if (size > std::numeric_limits<qint32>::max())
        throw ETreeSectionError(QString::fromLatin1(TypedFilerMessages::TooLarge));
    if (!stream.seek(start + 4))
        FailWrite();
    WriteLe(stream, static_cast<qint32>(size));
    if (!stream.seek(end))
        FailWrite();
}

// The state word a writer stores: only the bits the format defines.
quint16 StoredState(const TElementNode &node)
{
    quint16 flags = NodeFlags::Initialized | NodeFlags::Visible;
    if (node.IsExpanded())
        flags |= NodeFlags::Expanded;
    if (node.ChildCount() > 0)
        flags |= NodeFlags::HasChildren;
    if (node.IsSelected())
        flags |= NodeFlags::Selected;
    return flags;
}

void WriteStructureBody(QIODevice &stream, const TElementNode &node)
{
    WriteLe(stream, static_cast<quint32>(node.ChildCount()));
    WriteLe(stream, static_cast<quint32>(node.Height()));
    WriteLe(stream, StoredState(node));
    const quint8 bytes[3] = {node.Alignment(), node.CheckState(), node.CheckType()};
    WriteRaw(stream, bytes, sizeof bytes);
    WriteLe(stream, quint32(0));
}

void WriteCaptionChunk(QIODevice &stream, const QString &caption)
{
    WriteChunkHeader(stream, CaptionChunk, static_cast<qint32>(2 * caption.size()));
    for (const QChar unit : caption)
        WriteLe(stream, unit.unicode());
}
} // namespace

void WriteNodeChunk(QIODevice &stream, const TElementNode &node)
{
    const qint64 anchor = stream.pos();
    WriteChunkHeader(stream, AnchorChunk, 0);

    const qint64 structure = stream.pos();
    WriteChunkHeader(stream, StructureChunk, 0);
    WriteStructureBody(stream, node);
    for (const auto &child : node.Children())
        WriteNodeChunk(stream, *child);
    PatchChunkSize(stream, structure);

    if (const IElement *element = node.Element()) {
        const qint64 data = stream.pos();
        WriteChunkHeader(stream, ElementChunk, 0);
        TTypedFiler(&stream).WriteString(QByteArray(element->GetClass().Name));
        element->SaveToStream(stream);
        PatchChunkSize(stream, data);

        QString caption;
        element->GetCaption(-1, caption);
        if (!caption.isEmpty())
            WriteCaptionChunk(stream, caption);
    }
    PatchChunkSize(stream, anchor);
}

void WriteNodeChunks(QIODevice &stream, const std::vector<const TElementNode *> &nodes)
{
    for (const TElementNode *node : nodes)
        WriteNodeChunk(stream, *node);
}

void SaveTreeSection(QIODevice &target, const TElementTree &tree, const TElementNode *node)
{
    TWriteBackDevice stream(target);
    for (const quint16 unit : HeaderUnits)
        WriteLe(stream, unit);
    if (node != nullptr) {
        WriteLe(stream, quint32(1));
        WriteNodeChunk(stream, *node);
    } else {
        const TElementNode &root = tree.Root();
        WriteLe(stream, static_cast<quint32>(root.ChildCount()));
        for (const auto &child : root.Children())
            WriteNodeChunk(stream, *child);
    }
    if (!stream.Finish())
        FailWrite();
}

} // namespace velmora
