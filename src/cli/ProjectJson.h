#pragma once

#include <QDir>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

namespace velmora {

class TElementNode;
class TDocument;

namespace cli {

// The node with its element's fields (under their field names), flags and children.
QJsonObject NodeToJson(const TElementNode &node);

// Fills document (which must hold a fresh project) from a description: {"nodes": [PROJECT]}
// or a single project node. Image files are read relative to baseDir. Throws EVelmoraError
// naming the offending node. Names that lose characters on the way into the project file
// are added to warnings.
void ProjectFromJson(const QJsonValue &description, TDocument &document, const QDir &baseDir,
                     QStringList *warnings = nullptr);

// "#AARRGGBB".
QString ColorText(quint32 argb);

} // namespace cli
} // namespace velmora
