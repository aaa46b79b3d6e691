#pragma once

#include "core/document/ElementTree.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QMimeData;

namespace velmora {

// The format that carries node chunks; the only one read back.
inline const QString VirtualTreeDataFormat = QStringLiteral("Virtual Tree Data");

// Formats the element tree offers, in order: "CSV", "HTML Format", "Plain text", "Unicode text", "Virtual Tree Data".
QStringList TreeClipboardFormats();

// The tree caption of node's element (column -1).
QString NodeCaption(const TElementNode &node);

// The "Virtual Tree Data" payload: a 32-bit byte count, then one node chunk per node with its subtree.
QByteArray EncodeNodeChunks(const std::vector<TElementNode *> &nodes);
// Reads the nodes back from the payload; throws on damaged chunks.
std::vector<std::unique_ptr<TElementNode>> DecodeNodeChunks(const QByteArray &payload);

// The local picture files in data (files of a kind the image readers know), as the file manager
// drags them; empty when there are none.
QStringList DroppedImageFiles(const QMimeData *data);

// All formats for nodes and their subtrees, ready for the clipboard or a drag.
std::unique_ptr<QMimeData> CreateTreeMimeData(const std::vector<TElementNode *> &nodes);

} // namespace velmora
