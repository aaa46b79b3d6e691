#include "core/elements/ElementColumns.h"

#include "core/elements/ElementKind.h"

namespace velmora {

constinit const TElementKind TVmElementColumns::Kind{
    "TVmElementColumns", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementColumns>(); }};

constinit const TElementKind TVmElementColumn::Kind{
    "TVmElementColumn", []() -> std::unique_ptr<IElement> { return std::make_unique<TVmElementColumn>(); }};

} // namespace velmora
