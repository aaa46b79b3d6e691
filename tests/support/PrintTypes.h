#pragma once

// Readable GoogleTest output for Velmora's small value types.
#include "core/elements/ElementTypes.h"

#include <ostream>

namespace velmora {

inline void PrintTo(const TLayoutRect &rect, std::ostream *out)
{
    *out << "(" << rect.X << ", " << rect.Y << ", " << rect.Width << ", " << rect.Height << ")";
}

} // namespace velmora
