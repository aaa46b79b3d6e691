#pragma once

// The parts of the project and text records that hold styles. Both come after every field an
// older reader knows and are written only when there is something in them, so a project
// without styles keeps its bytes and an older Velmora reads a styled one as it always did
// (the element chunk's unread rest is skipped). Bytes after a record that are not such a part
// are let be, as they always were.
#include "core/elements/ProjectStyle.h"

namespace velmora {

class ITypedFiler;

void WriteProjectStyles(ITypedFiler &filer, const TProjectStyles &styles);
// Throws the filer's error when a section that opens as one ends early.
TProjectStyles ReadProjectStyles(ITypedFiler &filer);

// Whether a text has a style part to write.
bool TextStyleWanted(const QString &styleName, double leading, qint32 tracking);
void WriteTextStyle(ITypedFiler &filer, const QString &styleName, double leading, qint32 tracking);
// Leaves the values as they are for a part of a later layout.
void ReadTextStyle(ITypedFiler &filer, QString &styleName, double &leading, qint32 &tracking);

} // namespace velmora
