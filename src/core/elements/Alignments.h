#pragma once

#include <QtGlobal>

namespace velmora {

// Horizontal placement of text and images inside their band; stored as one byte.
enum TElementHAlignment : quint8 { eaLeft = 0, eaCenter = 1, eaRight = 2 };

// Vertical placement inside the element's height; stored as one byte.
enum TElementVAlignment : quint8 { eaTop = 0, eaMiddle = 1, eaBottom = 2 };

} // namespace velmora
