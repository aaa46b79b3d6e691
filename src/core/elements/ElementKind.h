#pragma once

#include <memory>

namespace velmora {

class IElement;

// One kind of element: its registered name and how to create it with its defaults.
// Kinds are compared by identity (address); the catalogue (document/ElementCatalogue.h) lists them.
struct TElementKind
{
    const char *Name;
    std::unique_ptr<IElement> (*Create)();
};

} // namespace velmora
