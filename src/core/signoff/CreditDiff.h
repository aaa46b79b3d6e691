#pragma once

#include "core/signoff/Credits.h"

#include <QString>
#include <optional>
#include <vector>

namespace velmora {

class TElementTree;

// Where a credit stands in one version of the roll.
struct TCreditPlace
{
    QString Section; // the heading above it, empty before the first
    int Number = 0;  // 1-based order among the roll's credits
    QString Path;    // element path
    qint64 Frame = 0; // where it enters the screen
    QString Timecode; // that frame's label
    const TElementNode *Node = nullptr; // valid while the tree read lives
    qint32 RollY = 0;                   // where its element's content (or its sheet row) begins in the roll
    QString Row;                        // a credit block's sheet row: "v1.csv:12"
    qint32 RollBottom = 0;              // where that row ends in the roll
    int SheetRow = 0;                   // that row's number; 0 for an element's credit
};

// One credit of a version, split so that each name stands alone.
struct TCreditEntry
{
    TCreditKind Kind = TCreditKind::Text;
    QString Role;
    QString Value; // the name, or the heading's or text's words
    TCreditPlace Place;
};

enum class TChangeKind { Added, Removed, NameChanged, RoleChanged, TextChanged, Moved };

struct TCreditChange
{
    TChangeKind Kind = TChangeKind::Added;
    std::optional<TCreditEntry> Old; // absent for additions
    std::optional<TCreditEntry> New; // absent for removals
};

// The credits of the tree's roll, one entry per name, heading or text, in roll order.
std::vector<TCreditEntry> CreditEntries(const TElementTree &tree);

// What changed from old to new: credits the same in both are left out; a name under the same
// role and section with another spelling is a changed name, the same name under another role
// in one section a changed role, a credit under another heading a move. Changes are in the new
// roll's order, removals where they stood in the old.
std::vector<TCreditChange> DiffCredits(const std::vector<TCreditEntry> &oldEntries, const std::vector<TCreditEntry> &newEntries);

// The marks a proof of the new version shows for changes: each changed credit's element with a
// note, and each removal near where it stood (before the credit now holding its old rank).
std::vector<struct TProofMark> ProofMarksFor(const std::vector<TCreditChange> &changes,
                                             const std::vector<TCreditEntry> &newEntries);

const char *ChangeKindName(TChangeKind kind);

// The change in a line for a reader: what changed and where it stands in each version.
QString DescribeChange(const TCreditChange &change);

} // namespace velmora
