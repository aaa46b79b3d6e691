#pragma once

#include <QDir>
#include <QJsonObject>
#include <QJsonValue>

namespace velmora {

class TElementNode;
class TDocument;

// The node with its element's fields (under their field names), flags and children.
QJsonObject NodeToJson(const TElementNode &node);

// Fills document (which must hold a fresh project) from a description: {"nodes": [PROJECT]}
// or a single project node. Image files are read relative to baseDir. Throws EVelmoraError
// naming the offending node.
void ProjectFromJson(const QJsonValue &description, TDocument &document, const QDir &baseDir);

// "#AARRGGBB".
QString ColorText(quint32 argb);

} // namespace velmora
