#pragma once

#include "core/elements/ElementKind.h"
#include "core/elements/Interfaces.h"

#include <QByteArray>
#include <memory>
#include <vector>

namespace velmora {

// The kinds in registration order: project, text, column, columns, image, credit block, card.
const std::vector<const TElementKind *> &RegisteredElementKinds();

// The kind registered under name, or null.
const TElementKind *FindElementKind(const QByteArray &name);

// Creates an element of the kind registered under name; throws EElementError when there is none.
std::unique_ptr<IElement> CreateElement(const QByteArray &name);

// The kinds an element of kind parent may hold, in the order the editor offers them.
std::vector<const TElementKind *> ChildKindsOf(const TElementKind &parent);

// Whether an element of kind dragged may be dropped on an element of kind target in mode.
bool CanDropKindOn(const TElementKind &dragged, const TElementKind &target, TDropMode mode);

} // namespace velmora
