#pragma once

class QRect;
class QWidget;

namespace velmora {

// Moves dialog off area (global coordinates), to the side of it with room on the dialog's
// screen: right, left, below, above, in that order. A dialog clear of area stays where it is,
// so one the user put somewhere does not jump about.
void KeepClearOf(QWidget &dialog, const QRect &area);

class TEditorContext;

// Brings the roll to the focused element now and moves a shown dialog off it.
void KeepClearOfFocused(QWidget &dialog, TEditorContext &context);

} // namespace velmora
