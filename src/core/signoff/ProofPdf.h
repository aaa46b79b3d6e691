#pragma once

#include <QString>
#include <vector>

namespace velmora {

class TElementTree;

class TElementNode;

enum class TProofPage { A4, Letter, Film };

// A change to show on a proof: an element of the roll marked in green with a note, or a credit
// that is gone, struck through in red in the margin where it stood.
struct TProofMark
{
    const TElementNode *Node = nullptr; // marked element; null for a removal
    qint32 RollY = 0;                   // where a removal stood, in roll pixels
    QString Text;
    qint32 RollBottom = 0;              // above RollY: the marked element's row from RollY to here
};

struct TProofOptions
{
    TProofPage Page = TProofPage::A4;
    bool SafeAreas = false; // title-safe and action-safe lines over the roll
    QString Title;          // the project's name in each page's head
    QString Date;           // printed beside it
    std::vector<TProofMark> Marks; // changes to show, with a margin on the right for their notes
};

// The stretch of the roll (roll pixels, top to bottom) that each page of a proof holds.
struct TProofPageBand
{
    qint32 Top = 0;
    qint32 Bottom = 0;
};

// Writes the roll as a PDF for reading and signing: drawn by the frame renderer, so text stays
// text and pictures are embedded; pages break between elements where they can; each element's
// first frame and timecode stand in the margin. Returns the pages' bands. Throws EVelmoraError.
std::vector<TProofPageBand> WriteProofPdf(const TElementTree &tree, const QString &fileName, const TProofOptions &options);

} // namespace velmora
