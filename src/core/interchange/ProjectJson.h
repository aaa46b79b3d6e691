#pragma once

#include <QDir>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <utility>
#include <vector>

namespace velmora {

class TElementNode;
class TDocument;

// The node with its element's fields (under their field names), flags and children. Without
// pictures, the pictures' data is left out, so stored pictures need not be decoded.
QJsonObject NodeToJson(const TElementNode &node, bool withPictures = true);

// The node's fields and flags without its children, as (name, value) pairs in the order a
// JSON object lists them: for describing a long roll one node at a time without building
// JSON objects.
using TNodeFields = std::vector<std::pair<QString, QJsonValue>>;
TNodeFields NodeFields(const TElementNode &node, bool withPictures = true);

// Fills document (which must hold a fresh project) from a description: {"nodes": [PROJECT]}
// or a single project node. Image files are read relative to baseDir. Throws EVelmoraError
// naming the offending node. Names that lose characters on the way into the project file
// are added to warnings.
void ProjectFromJson(const QJsonValue &description, TDocument &document, const QDir &baseDir,
                     QStringList *warnings = nullptr);

// "#AARRGGBB".
QString ColorText(quint32 argb);

} // namespace velmora
