#pragma once

#include "core/export/encode/AviLayout.h"

#include <QString>

namespace velmora {

// What RepairAvi found and kept.
struct TAviRepairResult
{
    int FramesKept = 0;
    qint64 BytesDropped = 0;  // damaged or cut-off bytes that held no whole frame
    int DamagedSpans = 0;     // places where the chunks broke off and were found again further on
    int CutFrames = 0;        // frames kept with the data that was there, their size being damaged or cut off
    QString OutputName;       // the repaired file
};

// Rebuilds the headers and indexes of a video file Velmora was writing when it was stopped
// (killed, power lost) or that was damaged later: every whole frame chunk is kept in order,
// reading goes on at the next frame after damage, and the rebuilt file is written to
// outputName (never over fileName, which stays as it was). Throws EExportError when the
// file is not such a video or cannot be read or written.
TAviRepairResult RepairAvi(const QString &fileName, const QString &outputName);

// The name a repaired copy of fileName gets by default: NAME.repaired.avi beside it, or
// NAME.repaired-2.avi and so on when that is taken.
QString RepairedAviName(const QString &fileName);

// The video stream of an AVI file as its headers describe it, for writing more of the same
// (frames in "00dc" chunks when compressed). Throws EExportError like RepairAvi.
avi::TStreamSetup ReadAviStreamSetup(const QString &fileName);

} // namespace velmora
