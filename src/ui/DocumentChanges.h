#pragma once

#include "core/document/Document.h"

namespace velmora {

// Calls react after every change to the document's elements or tree, for as long as context lives.
template <typename React>
void OnDocumentChanges(TDocument &document, QObject *context, React react)
{
    QObject::connect(&document, &TDocument::ElementChanged, context, react);
    QObject::connect(&document, &TDocument::ElementReplaced, context, react);
    QObject::connect(&document, &TDocument::NodeInserted, context, react);
    QObject::connect(&document, &TDocument::NodeRemoved, context, react);
    QObject::connect(&document, &TDocument::TreeReset, context, react);
}

} // namespace velmora
