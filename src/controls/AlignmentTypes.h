#pragma once

#include <QtGlobal>

namespace velmora {

// Horizontal placement of an element's content.
enum TElementHAlignment : quint8 { eaLeft = 0, eaCenter = 1, eaRight = 2 };
// Vertical placement of an element's content.
enum TElementVAlignment : quint8 { eaTop = 0, eaMiddle = 1, eaBottom = 2 };

} // namespace velmora
