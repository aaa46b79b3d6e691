#pragma once

#include "core/export/encode/cinepak/CinepakVq.h"

#include <QByteArray>
#include <vector>

namespace velmora::cinepak {

// What the decoder holds for one strip between frames: its two codebooks and the patches it shows.
struct TStripState
{
    TCodebook V1;
    TCodebook V4;
    std::vector<TPatch> Shown;  // row by row, two patches per block across
};

// An error of about 24 luma steps a pixel of a block: a data rate below what the film size needs
// then costs detail, not a frozen picture.
constexpr int DefaultMaxKeptError = 16 * 24 * 24;

// How hard one strip is coded.
struct TStripPlan
{
    double Lambda = 16;   // squared error one bit is worth
    double EntryLambda = 16;  // the same when judging codebook updates
    int V1Size = 256;
    int V4Size = 256;
    int Iterations = 2;   // training rounds
    // A block this far from what the decoder shows is coded, however little bits are worth;
    // a frame held whole for the data rate lifts it.
    int MaxKeptError = DefaultMaxKeptError;
    bool Key = true;      // intra strip with whole codebooks; otherwise an inter strip against the state
};

// Work space of one thread, kept between strips so nothing is allocated per frame.
struct TStripScratch
{
    TDistinctSet V1Set;
    TDistinctSet V4Set;
    std::vector<TPatch> Average;
    std::vector<int> SkipError;  // error of keeping what the decoder shows
    std::vector<uint8_t> Mode;
    std::vector<uint8_t> Index;  // one V1 index or four V4 indexes a block
    std::vector<int> OldDistance;  // of each training vector to the entries the decoder holds
};

// The patches of one strip: blocksWide x blockRows blocks of 2 x 2 patches each, row by row.
struct TStripPicture
{
    const TPatch *Patches = nullptr;
    int BlocksWide = 0;
    int BlockRows = 0;
};

// Codes one strip (its 12-byte header included) and brings the state to what the decoder
// will show. An inter strip needs the state of the frame before.
QByteArray CodeStrip(const TStripPicture &picture, const TStripPlan &plan, TStripState &state, TStripScratch &scratch);

} // namespace velmora::cinepak
