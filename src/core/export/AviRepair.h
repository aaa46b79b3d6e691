#pragma once

#include "core/export/AviLayout.h"

#include <QString>

namespace velmora {

// What RepairAvi found and kept.
struct TAviRepairResult
{
    int FramesKept = 0;
    qint64 BytesDropped = 0;  // the cut-off tail after the last whole frame
};

// Rebuilds the headers and indexes of a video file Velmora was writing when it was stopped
// (killed, power lost): every whole frame chunk is kept in order, the cut-off tail is
// dropped, and the file is replaced only once the rebuilt one is complete. Throws
// EExportError when the file is not such a video or cannot be read or written.
TAviRepairResult RepairAvi(const QString &fileName);

// The video stream of an AVI file as its headers describe it, for writing more of the same
// (frames in "00dc" chunks when compressed). Throws EExportError like RepairAvi.
avi::TStreamSetup ReadAviStreamSetup(const QString &fileName);

} // namespace velmora
