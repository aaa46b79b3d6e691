#pragma once

#include "core/elements/ProjectStyle.h"

namespace velmora {

class TCreditStyles;
struct TCreditSource;

// Lays each project style over the credit style of the same name: its font, size, colour,
// alignment, leading and tracking; the spaces, gutter and the rest of the credit style stay.
// Project sizes are divided by pixelsPerUnit (credit blocks size their styles for a 1080-line
// film). Project styles no credit style is named after are added, and harm nothing.
void OverlayProjectStyles(TCreditStyles &styles, const TProjectStyles &project, double pixelsPerUnit);

// A sheet's styles as project styles: the built-in ones and those its styles file names (in
// the file's spelling), sizes multiplied by pixelsPerUnit.
TProjectStyles SheetProjectStyles(const TCreditStyles &styles, const QString &stylesJson, double pixelsPerUnit);

// The styles a linked block of source lays out with, as project styles of a film filmHeight high.
TProjectStyles LinkedSheetStyles(const TCreditSource &source, int filmHeight);
// The styles of styles as a copying import reads them (styles file read again for its names;
// empty: the built-in ones alone).
TProjectStyles CopiedSheetStyles(const TCreditStyles &styles, const QString &stylesFile);

} // namespace velmora
