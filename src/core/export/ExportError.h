#pragma once

#include "core/error.h"

namespace velmora {

// Raised by the video export layer: the AVI container, the encoders and the generation run.
class EExportError : public EVelmoraError
{
public:
    using EVelmoraError::EVelmoraError;
};

} // namespace velmora
