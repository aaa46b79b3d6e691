#pragma once

#include "core/export/encode/cinepak/CinepakVq.h"

namespace velmora::cinepak {

// One patch from its four pixels (B, G, R bytes each: top-left, top-right, bottom-left,
// bottom-right). Chroma comes from the patch's mean colour; luma per pixel is the least-squares
// fit to how the decoder turns y, u, v back into RGB.
TPatch ConvertPatch(const uint8_t *p0, const uint8_t *p1, const uint8_t *p2, const uint8_t *p3);

// The same for a run of patches across two rows of BGR pixels, two pixels a patch.
void ConvertPatchRow(const uint8_t *row0, const uint8_t *row1, int patches, TPatch *out);

} // namespace velmora::cinepak
