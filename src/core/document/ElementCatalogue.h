#pragma once

#include "core/elements/Interfaces.h"

#include <QByteArray>
#include <memory>
#include <vector>

namespace velmora {

// One kind of element: its registered name and how to create it with its defaults.
// Kinds are compared by identity (address).
struct TElementKind
{
    const char *Name;
    std::unique_ptr<IElement> (*Create)();
};

// The kinds in registration order: project, text, column, columns, image, credit block.
const std::vector<const TElementKind *> &RegisteredElementKinds();

// The kind registered under name, or null.
const TElementKind *FindElementKind(const QByteArray &name);

// Creates an element of the kind registered under name; throws EElementError when there is none.
std::unique_ptr<IElement> CreateElement(const QByteArray &name);

// Whether an element of kind dragged may be dropped on an element of kind target in mode.
bool CanDropKindOn(const TElementKind &dragged, const TElementKind &target, TDropMode mode);

} // namespace velmora
