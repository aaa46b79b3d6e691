#pragma once

#include "core/sheets/CreditRows.h"

#include <vector>

namespace velmora {

// A run of a sheet's rows that is either one card or one stretch of crawl.
struct TCreditSegment
{
    bool Card = false;
    TCreditRow Start;           // the card or crawl row that began it; Number 0 for the rows before any
    TCreditRows Rows;           // its content rows, with the sheet's name and columns
    TCardTransitions Transitions;
};

// The sheet cut at its card and crawl rows, in order. Empty when the sheet has no card rows:
// it is then one crawl, laid out as a whole. Throws "SHEET:ROW: ..." for a card that has no
// content, or that leaves by a push with no crawl after it.
std::vector<TCreditSegment> SplitCreditSegments(const TCreditRows &rows);

// Characters a reader has to read on a card: its text, roles and names.
int ReadingCharacters(const TCreditRows &rows);

} // namespace velmora
