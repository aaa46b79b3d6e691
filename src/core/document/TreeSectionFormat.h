#pragma once

// Layout constants shared by the tree section reader and writer.
#include <QtGlobal>

namespace velmora::TreeSectionFormat {

// Six UTF-16 code units; the fourth is the section version, the fifth is not checked.
inline constexpr quint16 HeaderUnits[6] = {0x2045, 0x0056, 0x0054, 0x0002, 0x0020, 0x2046};
inline constexpr int HeaderSize = 12;
inline constexpr int VersionUnit = 3;
inline constexpr int UncheckedUnit = 4;

inline constexpr qint32 AnchorChunk = 1;
inline constexpr qint32 StructureChunk = 2;
inline constexpr qint32 CaptionChunk = 3;
inline constexpr qint32 ElementChunk = 4;

inline constexpr int ChunkHeaderSize = 8;
// Structure body: child count, height, flags (2), alignment, check state, check type, reserved (4).
inline constexpr int StructureBodySize = 17;
// Version 1 body: child count, height, one state byte, alignment, check state, check type.
inline constexpr int StructureBodySizeV1 = 12;

} // namespace velmora::TreeSectionFormat
