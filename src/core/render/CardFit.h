#pragma once

#include "core/render/CreditFit.h"

namespace velmora {

class TElementTree;

// Fits a roll with cards to targetFrames: each card keeps a hold between its reading time and
// twice that (as near its own as it can), and the crawls take the rest at a whole-pixel
// rate. Sets the scroll rate and the cards' holds (a card element's, or a sheet's through its
// block); changes nothing and names the nearest running times that work when the target
// cannot be met. Nothing to do (no Fit, no Problem) when targetFrames is 0.
TElasticFit FitCardsToRunningTime(TElementTree &tree, qint64 targetFrames);

} // namespace velmora
