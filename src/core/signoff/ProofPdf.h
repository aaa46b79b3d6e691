#pragma once

#include "core/signoff/ProofPlan.h"

#include <QString>
#include <vector>

namespace velmora {

class TElementTree;

class TElementNode;

enum class TProofPage { A4, Letter, Film };

// What a mark on a proof says, told apart by its frame's shape and its note's label as well as
// by colour (a proof may be printed in grey).
enum class TProofMarkKind { Added, Changed, Moved, Removed, MovedAway };

// A change to show on a proof: an element of the roll framed with a note, or a credit that is
// gone (or moved away), struck through in the margin where it stood.
struct TProofMark
{
    const TElementNode *Node = nullptr; // marked element; null for a removal
    qint32 RollY = 0;                   // where a removal stood, in roll pixels
    QString Text;
    qint32 RollBottom = 0;              // above RollY: the marked element's row from RollY to here
    TProofMarkKind Kind = TProofMarkKind::Changed;
};

struct TProofOptions
{
    TProofPage Page = TProofPage::A4;
    bool SafeAreas = false; // title-safe and action-safe lines over the roll
    QString Title;          // the project's name in each page's head
    QString Date;           // printed beside it
    QString Version;        // the version signed off ("v3", or the sheet's time); none when empty
    bool RollColours = false; // the roll's own colours and background instead of dark on white
    bool SignOff = true;      // a block for names, roles, dates and signatures on the last page
    std::vector<TProofMark> Marks; // changes to show, with a margin on the right for their notes
};

// What a proof came out as.
struct TProofSummary
{
    std::vector<TProofPageBand> Pages;
    int Credits = 0;             // credit lines (sheet rows or text elements) it holds
    double SmallestPoints = 0.0; // the smallest text's size on paper
    bool Landscape = false;      // turned to give the smallest text room
};

// Below this size on paper a proof is hard to read and check.
inline constexpr double ProofMinimumPoints = 8.0;

// Writes the roll as a PDF for reading and signing: drawn by the frame renderer, so text stays
// text and pictures are embedded; the roll's ink fills the page's width; pages break between
// credits, never after a heading; each credit's timecode and sheet row stand in the margin.
// Throws EVelmoraError.
TProofSummary WriteProofPdf(const TElementTree &tree, const QString &fileName, const TProofOptions &options);

} // namespace velmora
