#pragma once

#include "core/error.h"

namespace velmora {

// Failures of the element layer (unknown kind names).
class EElementError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

} // namespace velmora
