#pragma once

#include "core/signoff/DeliveredQc.h"

#include <QString>

namespace velmora {

// Who and what a qc report is about, for its head.
struct TQcReportHead
{
    QString Delivered;   // the file checked
    QString Against;     // the project or sheet it was checked against
    QString Date;
};

// Writes a PDF a QC operator hands on: a head with the file and the roll, the structure and
// motion in a few lines, every finding with its place and timecode, and a contact sheet of the
// frames findings stand at (as decoded from the delivered file), each labelled with its frame,
// timecode and finding. At most MaxContactFrames frames are shown; the list says how many were
// left out. Throws EVelmoraError when the file or a frame cannot be read or written; an earlier
// file of that name is kept.
void WriteQcReportPdf(const QString &fileName, const TQcReportHead &head, const TQcReport &report);

inline constexpr int MaxContactFrames = 48;

} // namespace velmora
